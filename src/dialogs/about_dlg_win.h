// The About box: product, version and the WinSock in use.
#pragma once

#include <windows.h>

#include "dialogs/dialog_helpers_win.h"

PELLWICK_EXPORT INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
