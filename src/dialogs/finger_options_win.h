// What the Finger and Address Book dialogs share besides their template:
// the interval list, the two option check boxes, the run-time target field
// and starting the query.
#pragma once

#include <windows.h>

// A target is read with room for a whole "[user@]host".
enum { TARGET_BUFFER = 256 };

// Fills the interval list and selects 3 minutes, whatever was used last.
void FillIntervalList(HWND dialog);

// Shows Long Output and Notify If Logged In as wOptions holds them.
void ShowOptionBoxes(HWND dialog);
// A click on either box flips its bit at once; Cancel does not undo it.
void OnOptionBoxClicked(HWND dialog, int boxId);

// Cancel and the two option boxes, which both dialogs handle alike; false
// for any other command.
bool OnSharedFingerCommand(HWND dialog, WPARAM command);

// Creates the target field at run time: 7, 16 in dialog units, 182 wide,
// in the dialog's font and first in the tab order.
HWND CreateTargetField(HWND dialog, int id, const char *className, DWORD style, int height);

// With Notify If Logged In on, takes the chosen interval and starts the
// timer, before the first query is sent.
void StartNotifyFromDialog(HWND dialog);
