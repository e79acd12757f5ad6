// Helpers every dialog of the program shares.
#pragma once

#include <windows.h>

// Dialog and hook procedures are exported by name from the program.
#define PELLWICK_EXPORT extern "C" __declspec(dllexport)

// Puts the dialog over the centre of the main window's client area, or at
// the screen's top-left corner while the main window is minimised.
void CenterDialog(HWND dialog);

// A control's place in a dialog, given in that dialog's units: its font sets
// them, so a control made or moved at run time lines up with the template's
// own controls (the system's base units would put it past the dialog's
// edge). Left, top, width and height in pixels.
RECT DialogControlRect(HWND dialog, int x, int y, int width, int height);
// Moves a control to a place given in the dialog's units and repaints it.
void MoveDialogControl(HWND dialog, int id, int x, int y, int width, int height);

// Fills a combo box from a host-list section (read through the configured
// path), entries sent from the highest index down with `addMessage`
// (CB_ADDSTRING, or CB_INSERTSTRING at position 0), then selects entry 0.
// At most HOST_LIST_LOAD_LIMIT entries are read, whatever the count says.
void LoadHostList(HWND dialog, const char *section, int comboId, UINT addMessage);
// Writes the combo box's entries, in its order, as the section's list; a
// limit other than -1 keeps at most 10.
void SaveHostList(HWND dialog, const char *section, int comboId, int limit);

// Entries are read with room for a whole Finger target, so a long history
// entry comes back as it was saved.
enum { HOST_ENTRY_BUFFER = 256 };
