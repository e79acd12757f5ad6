// The choices the Finger and Address Book dialogs offer beside the target.
// Portable.
#pragma once

#include <cstddef>
#include <cstdint>

// Minutes between two checks of Notify If Logged In, in the order offered;
// the first is the default.
extern const int NotifyIntervals[8];
enum { NOTIFY_INTERVAL_COUNT = 8 };

// The two option check boxes as the bits leave them: each shows its bit, and
// each is greyed while the other one's bit is set and its own is clear, since
// a long answer and a search for the user's name exclude each other.
struct FingerOptionBoxes {
    bool longChecked;
    bool longEnabled;
    bool notifyChecked;
    bool notifyEnabled;
};
FingerOptionBoxes OptionBoxesFor(uint32_t options);
