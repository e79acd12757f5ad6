#include "dialogs/dialog_helpers_win.h"

#include "config/config_win.h"
#include "dialogs/host_list.h"

void LoadHostList(HWND dialog, const char *section, int comboId, UINT addMessage)
{
    const int count = HostListLoadCount(ReadListNumber(section, KEY_COUNT, "0", 128));
    if (count == 0)
        return;
    HWND combo = GetDlgItem(dialog, comboId);
    for (int i = count - 1; i >= 0; --i) {
        char key[16], entry[HOST_ENTRY_BUFFER];
        HostKey(i, key, sizeof key);
        ReadListText(section, key, "", entry, sizeof entry);
        // CB_INSERTSTRING goes in at the top; CB_ADDSTRING ignores the 0.
        SendMessageA(combo, addMessage, 0, reinterpret_cast<LPARAM>(entry));
    }
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
}

void SaveHostList(HWND dialog, const char *section, int comboId, int limit)
{
    HWND combo = GetDlgItem(dialog, comboId);
    const int entries = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    const int n = HostListSaveCount(entries, limit);
    WriteListNumber(section, KEY_COUNT, n);
    for (int i = 0; i < n; ++i) {
        char key[16], entry[HOST_ENTRY_BUFFER] = "";
        HostKey(i, key, sizeof key);
        const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length >= 0 && length < static_cast<LRESULT>(sizeof entry))
            SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(entry));
        WriteListText(section, key, entry);
    }
}
