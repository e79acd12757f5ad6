// Helpers every dialog of the program shares.
#pragma once

#include <windows.h>

#include "frame/dialog_place_win.h"

// Fills a combo box from a host-list section, entries sent from the highest
// index down with `addMessage` (CB_ADDSTRING, or CB_INSERTSTRING at
// position 0), then selects entry 0.
// At most HOST_LIST_LOAD_LIMIT entries are read, whatever the count says.
void LoadHostList(HWND dialog, const char *section, int comboId, UINT addMessage);
// Writes the combo box's entries, in its order, as the section's list; a
// limit other than -1 keeps at most 10. An entry the file cannot keep (see
// config_win.h) is left out, and the count says how many were written.
void SaveHostList(HWND dialog, const char *section, int comboId, int limit);

// Entries are read with room for a whole Finger target, so a long history
// entry comes back as it was saved.
enum { HOST_ENTRY_BUFFER = 256 };
