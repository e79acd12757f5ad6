// The Finger options' check boxes for every combination of the two bits.
#include <gtest/gtest.h>

#include "dialogs/finger_options.h"
#include "frame/options.h"

namespace {

TEST(FingerOptions, EachBoxShowsItsBitAndIsNeverLockedWhileChecked)
{
    struct Case {
        uint32_t options;
        FingerOptionBoxes boxes;
    };
    const Case cases[] = {
        {0, {false, true, false, true}},
        {OPT_LONG, {true, true, false, false}},
        {OPT_NOTIFY, {false, false, true, true}},
        {OPT_LONG | OPT_NOTIFY, {true, true, true, true}},
        {OPT_SAVE | OPT_EXIT, {false, true, false, true}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.options);
        const FingerOptionBoxes b = OptionBoxesFor(c.options);
        EXPECT_EQ(b.longChecked, c.boxes.longChecked);
        EXPECT_EQ(b.longEnabled, c.boxes.longEnabled);
        EXPECT_EQ(b.notifyChecked, c.boxes.notifyChecked);
        EXPECT_EQ(b.notifyEnabled, c.boxes.notifyEnabled);
    }
}

} // namespace
