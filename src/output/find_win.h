// Searching the output pane: the Find dialog and the search they share with
// the logged-in check.
#pragma once

#include <windows.h>

// The Find dialog while it is open, otherwise null. The message loop hands it
// its keyboard messages so that Tab and Enter work inside it.
extern HWND hwndFind;

// The text to find, kept for the run so the dialog reopens with it: the
// code page's dialog keeps it here, the Unicode one (while Unicode text is
// on) in a UTF-16 copy of its own.
extern char szFindWhat[256];
// Where Find Next starts: the end of the pane's selection when Find Text was
// given.
extern long nFindStart;

// Command 204: records the search start and opens the Find dialog, or brings
// it forward when it is open already.
void OnFindTextCommand(HWND owner);
// Opens the modeless Find dialog with only its find-what field: a Unicode
// dialog while Unicode text is on, so that any letter can be typed. Returns
// it, or null when the platform could not make it.
HWND OpenFindDialog(HWND owner);
// The Find dialog's registered message: Find Next searches and closes the
// dialog; its closing clears hwndFind. The code page's dialog searches as
// FindInOutput does; the Unicode one ignores letter case.
LRESULT OnFindReplace(LPARAM lParam);

// Looks for `text` (the program's text: UTF-8 while Unicode text is on) in
// the pane: exact, case-sensitive, anywhere, also inside a longer word; an
// empty text occurs at the start. The search starts at character `start`, or
// at the beginning when `start` is negative. A hit is selected, scrolled into
// view and given the focus. 1 when found; 0 when not, or when no memory could
// be had for a copy of the pane's text. While Unicode text is off the search
// runs over the code page's bytes, while it is on over the pane's UTF-16,
// whose offsets are the pane's characters.
int FindInOutput(HWND pane, long start, const char *text);
// The same over the pane's UTF-16, exact or with letter case ignored: every
// letter of both texts compared in its upper case, one UTF-16 unit for one,
// so a word in capitals finds it written small, German umlauts, Greek and
// Cyrillic letters included.
int FindInOutputW(HWND pane, long start, const wchar_t *text, bool ignoreCase);
