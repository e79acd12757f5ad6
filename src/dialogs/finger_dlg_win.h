// The Finger dialog: a "[user@]host" target, with the recent targets
// offered while the query history is kept, and the Finger options.
#pragma once

#include <windows.h>

#include "dialogs/dialog_helpers_win.h"

PELLWICK_EXPORT INT_PTR CALLBACK FingerDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
