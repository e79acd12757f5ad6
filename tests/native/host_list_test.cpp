// How much of a host list is loaded, and where Save and Add append to it,
// whatever count the file holds.
#include <gtest/gtest.h>

#include <climits>

#include "dialogs/host_list.h"

namespace {

TEST(HostList, AppendIndexKeepsCountPlusOneInRange)
{
    EXPECT_EQ(AppendIndex(0), 0);
    EXPECT_EQ(AppendIndex(3), 3);
    EXPECT_EQ(AppendIndex(-7), 0) << "a negative count lists nothing";
    EXPECT_EQ(AppendIndex(INT_MIN), 0);
    EXPECT_EQ(AppendIndex(INT_MAX), INT_MAX - 1) << "count + 1 must not overflow";
    char key[16];
    HostKey(AppendIndex(INT_MAX), key, sizeof key);
    EXPECT_STREQ(key, "host2147483646");
}

TEST(HostList, LoadCountStopsAtTheLimit)
{
    EXPECT_EQ(HostListLoadCount(0), 0);
    EXPECT_EQ(HostListLoadCount(-1), 0);
    EXPECT_EQ(HostListLoadCount(INT_MIN), 0);
    EXPECT_EQ(HostListLoadCount(3), 3);
    EXPECT_EQ(HostListLoadCount(HOST_LIST_LOAD_LIMIT), HOST_LIST_LOAD_LIMIT);
    EXPECT_EQ(HostListLoadCount(HOST_LIST_LOAD_LIMIT + 1), HOST_LIST_LOAD_LIMIT);
    EXPECT_EQ(HostListLoadCount(INT_MAX), HOST_LIST_LOAD_LIMIT);
}

} // namespace
