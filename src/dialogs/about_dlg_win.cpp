#include "dialogs/about_dlg_win.h"

#include <cstdio>

#include "config/config_win.h"
#include "frame/frame_win.h"
#include "res/resource.h"

namespace {

void OnInitDialog(HWND dialog)
{
    char text[128];
    std::snprintf(text, sizeof text, "%s %s", szProduct, szVersion);
    SetDlgItemTextA(dialog, IDC_VERSION, text);
    std::snprintf(text, sizeof text, "Winsock: %s", wsaData.szDescription);
    SetDlgItemTextA(dialog, IDC_WINSOCK, text);
    CenterDialog(dialog);
    FitTextsToRoom(dialog);
}

} // namespace

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        // Only Ok (or Enter) closes the box; Esc does nothing.
        if (wParam == IDOK) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}
