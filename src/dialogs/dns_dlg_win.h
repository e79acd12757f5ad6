// The Host Name Lookup dialog: a host name or dotted address to look up.
#pragma once

#include <windows.h>

#include "dialogs/dialog_helpers_win.h"

PELLWICK_EXPORT INT_PTR CALLBACK DNSDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
