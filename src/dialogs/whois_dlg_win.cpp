#include "dialogs/whois_dlg_win.h"

#include "config/config_win.h"
#include "dialogs/dialog_text_win.h"
#include "dialogs/host_list.h"
#include "frame/frame_win.h"
#include "net/query_win.h"
#include "res/resource.h"
#include "text/text_mode.h"

namespace {

// A field holds 79 characters: as many bytes in the code page, up to three
// times as many in UTF-8.
enum { FIELD_BUFFER = 80, UTF8_FIELD_BUFFER = 3 * (FIELD_BUFFER - 1) + 1 };

// How much of a field's buffer is used.
DWORD FieldRoom()
{
    return bUnicodeText ? UTF8_FIELD_BUFFER : FIELD_BUFFER;
}

size_t ReadField(HWND dialog, int id, char (&text)[UTF8_FIELD_BUFFER])
{
    return ReadItemText(dialog, id, text, FieldRoom());
}

void OnInitDialog(HWND dialog)
{
    CenterDialog(dialog);
    FitTextsToRoom(dialog);
    LoadHostList(dialog, SECTION_WHOIS, IDC_WHOISHOST, CB_ADDSTRING);
    SelectDefaultWhoisServer(dialog, IDC_WHOISHOST);
}

void OnOk(HWND dialog)
{
    char query[UTF8_FIELD_BUFFER] = "", server[UTF8_FIELD_BUFFER] = "";
    ReadField(dialog, IDC_QUERY, query);
    ReadField(dialog, IDC_WHOISHOST, server);
    EndDialog(dialog, 0);
    SetWindowTextA(hwndMain, "Pellwick (WhoIs)");
    BeginWhoisQuery(query, server);
}

// Save: the new server goes under the index the file's count gives; nothing
// is checked, so a server saved twice is listed twice. A server the file
// cannot keep is neither listed nor written; Save only beeps.
void OnSave(HWND dialog)
{
    char server[UTF8_FIELD_BUFFER] = "";
    ReadField(dialog, IDC_WHOISHOST, server);
    if (!FileCanHold(SECTION_WHOIS_KEYS, server)) {
        MessageBeep(MB_OK);
        return;
    }
    const int n = AppendIndex(ReadSettingNumber(SECTION_WHOIS_KEYS, KEY_COUNT, "", FIELD_BUFFER));
    char key[16];
    HostKey(n, key, sizeof key);
    WriteSetting(SECTION_WHOIS_KEYS, key, server);
    AddComboEntry(GetDlgItem(dialog, IDC_WHOISHOST), CB_ADDSTRING, server);
    WriteSettingNumber(SECTION_WHOIS_KEYS, KEY_COUNT, n + 1);
}

void OnDelete(HWND dialog)
{
    char server[UTF8_FIELD_BUFFER] = "";
    ReadField(dialog, IDC_WHOISHOST, server);
    DeleteWhoisServer(dialog, server);
}

} // namespace

void SelectDefaultWhoisServer(HWND dialog, int comboId)
{
    char server[120];
    ReadSetting(SECTION_WHOIS_KEYS, KEY_DEFAULT, DEFAULT_WHOIS_SERVER, server, sizeof server);
    const LRESULT at = FindComboEntry(GetDlgItem(dialog, comboId), server);
    if (at != CB_ERR)
        SendDlgItemMessageA(dialog, comboId, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
}

void DeleteWhoisServer(HWND dialog, const char *server)
{
    char recorded[UTF8_FIELD_BUFFER];
    ReadSetting(SECTION_WHOIS_KEYS, KEY_DEFAULT, "", recorded, FieldRoom());
    HWND combo = GetDlgItem(dialog, IDC_WHOISHOST);
    LRESULT at = FindComboEntry(combo, server);
    if (at != CB_ERR)
        SendMessageA(combo, CB_DELETESTRING, static_cast<WPARAM>(at), 0);
    else
        at = 0;
    if (SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(at), 0) == CB_ERR)
        SendMessageA(combo, CB_SETCURSEL, 0, 0);
    // Without a recorded default the entry is still deleted and the section
    // rewritten; there is just no default to put back.
    RemoveSection(SECTION_WHOIS_KEYS);
    if (recorded[0] != '\0' && FindComboEntry(combo, recorded) != CB_ERR)
        WriteSetting(SECTION_WHOIS_KEYS, KEY_DEFAULT, recorded);
    SaveHostList(dialog, SECTION_WHOIS, IDC_WHOISHOST, -1);
}

INT_PTR CALLBACK WhoisDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (wParam) {
        case IDOK:
            OnOk(dialog);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        case IDC_ADDENTRY:
            OnSave(dialog);
            return TRUE;
        case IDC_DELETEENTRY:
            OnDelete(dialog);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}
