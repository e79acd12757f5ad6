#include "dialogs/dns_dlg_win.h"

#include "dialogs/dialog_text_win.h"
#include "frame/frame_win.h"
#include "net/query_win.h"
#include "res/resource.h"

namespace {

void OnOk(HWND dialog)
{
    ReadItemText(dialog, IDC_LOOKUPHOST, szHost, sizeof szHost);
    EndDialog(dialog, 0);
    SetWindowTextA(hwndMain, "Pellwick (DNS Lookup)");
    BeginHostLookup(szHost);
}

} // namespace

INT_PTR CALLBACK DNSDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        CenterDialog(dialog);
        FitTextsToRoom(dialog);
        return TRUE; // the focus goes to the edit field
    case WM_COMMAND:
        if (wParam == IDOK) {
            OnOk(dialog);
            return TRUE;
        }
        if (wParam == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}
