// Entry points of the frame's commands whose work is not built yet: the
// query dialogs.
// Each is dispatched already and does nothing, so every menu item, toolbar
// button and accelerator is safe to press. Each moves to the header of its
// own subsystem when its work arrives.
#pragma once

#include <windows.h>

INT_PTR CALLBACK FingerDlgProc(HWND hdlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AddBookDlgProc(HWND hdlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DNSDlgProc(HWND hdlg, UINT msg, WPARAM wParam, LPARAM lParam);

