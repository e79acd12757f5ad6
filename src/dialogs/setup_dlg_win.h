// The Setup dialog: the query history switch and the default WhoIs server.
#pragma once

#include <windows.h>

#include "dialogs/dialog_helpers_win.h"

PELLWICK_EXPORT INT_PTR CALLBACK SetupDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
