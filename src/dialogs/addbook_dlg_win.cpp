#include "dialogs/addbook_dlg_win.h"

#include "config/config_names.h"
#include "config/config_win.h"
#include "dialogs/dialog_text_win.h"
#include "dialogs/finger_options_win.h"
#include "dialogs/host_list.h"
#include "frame/frame_win.h"
#include "net/query_win.h"
#include "res/resource.h"
#include "text/text_mode.h"

namespace {

// Add, Ok and Delete read the field with one limit, so whatever Add keeps
// Delete finds again and Ok fingers whole.
int ReadTarget(HWND dialog, char (&target)[TARGET_BUFFER])
{
    return static_cast<int>(ReadItemText(dialog, IDC_ADDRBOOK, target, sizeof target));
}

void OnInitDialog(HWND dialog)
{
    SetWindowTextA(dialog, "Finger Address Book");
    CenterDialog(dialog);
    FitTextsToRoom(dialog);
    FillIntervalList(dialog);
    ShowOptionBoxes(dialog);
    // Converting through the OEM code page would take from Unicode text the
    // letters that page lacks.
    const DWORD oem = bUnicodeText ? 0 : CBS_OEMCONVERT;
    HWND book = CreateTargetField(dialog, IDC_ADDRBOOK, "COMBOBOX",
                                  WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | CBS_DROPDOWN |
                                      CBS_AUTOHSCROLL | oem,
                                  54);
    // Read from the highest index down and appended, the book shows the
    // file's entries last first.
    LoadHostList(dialog, SECTION_ADDBOOK, IDC_ADDRBOOK, CB_ADDSTRING);
    SetFocus(book);
}

void OnOk(HWND dialog)
{
    char target[TARGET_BUFFER] = "";
    if (ReadTarget(dialog, target) == 0)
        return; // nothing to finger yet: the dialog stays
    StartNotifyFromDialog(dialog);
    EndDialog(dialog, 0);
    ParseFingerTarget(target);
    BeginFingerQuery();
}

// The new entry goes under the index the file's count gives; an entry
// already listed, in any letter case, is not added, and neither is one the
// file cannot keep (the book is what the file holds): that one only beeps.
void OnAdd(HWND dialog)
{
    char target[TARGET_BUFFER] = "";
    if (ReadTarget(dialog, target) == 0)
        return;
    HWND combo = GetDlgItem(dialog, IDC_ADDRBOOK);
    if (FindComboEntry(combo, target) != CB_ERR)
        return;
    if (!FileCanHold(SECTION_ADDBOOK, target)) {
        MessageBeep(MB_OK);
        return;
    }
    const int n = AppendIndex(ReadSettingNumber(SECTION_ADDBOOK, KEY_COUNT, "", 75));
    char key[16];
    HostKey(n, key, sizeof key);
    WriteSetting(SECTION_ADDBOOK, key, target);
    AddComboEntry(combo, CB_ADDSTRING, target);
    WriteSettingNumber(SECTION_ADDBOOK, KEY_COUNT, n + 1);
}

// The section is written again in the order the list shows, so each Delete
// reverses the order of what stays in the file.
void OnDelete(HWND dialog)
{
    char target[TARGET_BUFFER] = "";
    if (ReadTarget(dialog, target) == 0)
        return;
    HWND combo = GetDlgItem(dialog, IDC_ADDRBOOK);
    LRESULT at = FindComboEntry(combo, target);
    if (at != CB_ERR) {
        SendMessageA(combo, CB_DELETESTRING, static_cast<WPARAM>(at), 0);
        RemoveSection(SECTION_ADDBOOK);
        SaveHostList(dialog, SECTION_ADDBOOK, IDC_ADDRBOOK, -1);
    } else {
        at = 0;
    }
    if (SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(at), 0) == CB_ERR)
        SendMessageA(combo, CB_SETCURSEL, 0, 0);
}

} // namespace

INT_PTR CALLBACK AddBookDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return FALSE; // the focus stays on the book
    case WM_COMMAND:
        switch (wParam) {
        case IDOK:
            OnOk(dialog);
            return TRUE;
        case IDC_ADDENTRY:
            OnAdd(dialog);
            return TRUE;
        case IDC_DELETEENTRY:
            OnDelete(dialog);
            return TRUE;
        default:
            return OnSharedFingerCommand(dialog, wParam) ? TRUE : FALSE;
        }
    default:
        return FALSE;
    }
}
