// The frame window's procedure and the values it owns.
#pragma once

#include <windows.h>

extern HCURSOR hcurBusy;       // the hourglass shown over the frame while busy
extern UINT uFindReplaceMsg;   // the Find dialog's registered message
extern char szTipText[128];    // the tooltip being shown

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
