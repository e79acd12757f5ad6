#include "dialogs/setup_dlg_win.h"

#include "config/config_win.h"
#include "dialogs/dialog_text_win.h"
#include "frame/placement_win.h"
#include "res/resource.h"

namespace {

void OnInitDialog(HWND dialog)
{
    CenterDialog(dialog);
    FitTextsToRoom(dialog);
    CheckDlgButton(dialog, IDC_HISTORY, bHistory ? BST_CHECKED : BST_UNCHECKED);
    // The list opens on its first server, not on the recorded default.
    LoadHostList(dialog, SECTION_WHOIS, IDC_DEFAULTHOST, CB_ADDSTRING);
}

void OnOk(HWND dialog)
{
    char server[256] = "";
    ReadItemText(dialog, IDC_DEFAULTHOST, server, sizeof server);
    bHistory = IsDlgButtonChecked(dialog, IDC_HISTORY) == BST_CHECKED ? 1 : 0;
    EndDialog(dialog, 0);
    // The history switch is written with the placement when the program
    // ends; the default server is written now.
    if (server[0] != '\0')
        WriteSetting(SECTION_WHOIS_KEYS, KEY_DEFAULT, server);
}

} // namespace

INT_PTR CALLBACK SetupDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        // The whole command word is compared, so only clicks, Enter and Esc
        // match; notifications from the list never do.
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
