// The Address Book: Finger targets the user keeps, with Add and Delete, and
// the Finger options; Ok fingers the chosen one.
#pragma once

#include <windows.h>

#include "dialogs/dialog_helpers_win.h"

PELLWICK_EXPORT INT_PTR CALLBACK AddBookDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
