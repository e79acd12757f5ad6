// Where Save and Add append to a host list whatever count the file holds.
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

} // namespace
