#include "dialogs/finger_options.h"

#include "frame/options.h"

const int NotifyIntervals[8] = {3, 5, 10, 15, 20, 30, 45, 60};

FingerOptionBoxes OptionBoxesFor(uint32_t options)
{
    const bool isLong = (options & OPT_LONG) != 0;
    const bool notify = (options & OPT_NOTIFY) != 0;
    // A box whose own bit is set stays enabled, so that a user faced with
    // both bits set (the command line can do that) can still clear either.
    return FingerOptionBoxes{isLong, isLong || !notify, notify, notify || !isLong};
}
