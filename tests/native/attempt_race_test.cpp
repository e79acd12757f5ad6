// The order and pace of the attempts to connect to a server with several
// addresses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/attempt_race.h"

namespace {

const int V4 = 2, V6 = 23; // AF_INET, AF_INET6 as Windows numbers them

TEST(AttemptRace, FamiliesTakeTurnsFromTheFirstAddressFamilyOn)
{
    struct Case {
        std::vector<int> families;
        std::vector<int> order;
    } cases[] = {
        {{}, {}},
        {{V4}, {0}},
        {{V6, V6, V6, V4}, {0, 3, 1, 2}},
        {{V6, V4, V6, V4}, {0, 1, 2, 3}},
        {{V4, V6, V6, V6}, {0, 1, 2, 3}},
        {{V4, V4, V6}, {0, 2, 1}},
        {{V6, V6, V4, V4, V4}, {0, 2, 1, 3, 4}},
    };
    for (const Case &c : cases) {
        AttemptRace race(c.families);
        std::vector<int> order;
        for (int i = race.Next(); i >= 0; i = race.Next())
            order.push_back(i);
        EXPECT_EQ(order, c.order) << ::testing::PrintToString(c.families);
        EXPECT_EQ(race.Running(), c.order.size());
        EXPECT_FALSE(race.Untried());
    }
}

TEST(AttemptRace, LostOnlyWhenEveryAddressWasTriedAndFailed)
{
    AttemptRace race({V6, V4});
    EXPECT_EQ(race.Next(), 0);
    race.Failed(); // refused: nothing runs, but an address is left
    EXPECT_FALSE(race.Lost());
    EXPECT_EQ(race.Next(), 1);
    race.Failed();
    EXPECT_TRUE(race.Lost());
    EXPECT_TRUE(AttemptRace({}).Lost());
}

} // namespace
