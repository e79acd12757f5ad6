#include "dialogs/dialog_helpers_win.h"

#include "config/config_win.h"
#include "dialogs/dialog_text_win.h"
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
        AddComboEntry(combo, addMessage, entry);
    }
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
}

void SaveHostList(HWND dialog, const char *section, int comboId, int limit)
{
    HWND combo = GetDlgItem(dialog, comboId);
    const int entries = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    const int n = HostListSaveCount(entries, limit);
    // An entry the file cannot keep is left out and those after it close up,
    // so the count is known before the first entry is written, and the count
    // stays the section's first key.
    int kept = 0;
    for (int i = 0; i < n; ++i) {
        char entry[HOST_ENTRY_BUFFER];
        ReadComboEntry(combo, i, entry, sizeof entry);
        kept += FileCanHold(section, entry) ? 1 : 0;
    }
    WriteListNumber(section, KEY_COUNT, kept);
    int written = 0;
    for (int i = 0; i < n && written < kept; ++i) {
        char key[16], entry[HOST_ENTRY_BUFFER];
        HostKey(written, key, sizeof key);
        ReadComboEntry(combo, i, entry, sizeof entry);
        written += WriteListText(section, key, entry) ? 1 : 0;
    }
}
