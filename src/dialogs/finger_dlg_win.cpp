#include "dialogs/finger_dlg_win.h"

#include "config/config_names.h"
#include "dialogs/dialog_text_win.h"
#include "dialogs/finger_options_win.h"
#include "frame/frame_win.h"
#include "frame/placement_win.h"
#include "net/query_win.h"
#include "res/resource.h"

namespace {

enum { HISTORY_LIMIT = 10 };

// Ok and Cancel move to the middle, where Add and Delete would stand.
void CentreButtons(HWND dialog)
{
    ShowWindow(GetDlgItem(dialog, IDC_ADDENTRY), SW_HIDE);
    ShowWindow(GetDlgItem(dialog, IDC_DELETEENTRY), SW_HIDE);
    MoveDialogControl(dialog, IDOK, 68, 64, 30, 13);
    MoveDialogControl(dialog, IDCANCEL, 98, 64, 30, 13);
}

void OnInitDialog(HWND dialog)
{
    CenterDialog(dialog);
    FitTextsToRoom(dialog);
    CentreButtons(dialog);
    FillIntervalList(dialog);
    ShowOptionBoxes(dialog);
    HWND target;
    if (bHistory) {
        // The height takes in the dropped-down list.
        target = CreateTargetField(dialog, IDC_TARGET, "COMBOBOX",
                                   WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWN |
                                       CBS_AUTOHSCROLL,
                                   54);
        LoadHostList(dialog, SECTION_HISTORY, IDC_TARGET, CB_INSERTSTRING);
    } else {
        target = CreateTargetField(dialog, IDC_TARGET, "EDIT",
                                   WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL,
                                   12);
    }
    SetFocus(target);
}

// The target typed again moves to the top, in the letter case typed last;
// the file keeps the ten most recent.
void RememberTarget(HWND dialog, const char *target)
{
    HWND combo = GetDlgItem(dialog, IDC_TARGET);
    const LRESULT at = FindComboEntry(combo, target);
    if (at != CB_ERR)
        SendMessageA(combo, CB_DELETESTRING, static_cast<WPARAM>(at), 0);
    AddComboEntry(combo, CB_INSERTSTRING, target);
    SaveHostList(dialog, SECTION_HISTORY, IDC_TARGET, HISTORY_LIMIT);
}

void OnOk(HWND dialog)
{
    char target[TARGET_BUFFER] = "";
    ReadItemText(dialog, IDC_TARGET, target, sizeof target);
    if (bHistory)
        RememberTarget(dialog, target);
    StartNotifyFromDialog(dialog);
    EndDialog(dialog, 0);
    SetWindowTextA(hwndMain, "Pellwick (Finger)");
    // An empty target closes the dialog like any other; the query then says
    // that no host was given.
    ParseFingerTarget(target);
    BeginFingerQuery();
}

} // namespace

INT_PTR CALLBACK FingerDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return FALSE; // the focus stays on the target
    case WM_COMMAND:
        switch (wParam) {
        case IDOK:
            OnOk(dialog);
            return TRUE;
        default:
            return OnSharedFingerCommand(dialog, wParam) ? TRUE : FALSE;
        }
    default:
        return FALSE;
    }
}
