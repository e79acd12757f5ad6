// Searching the output pane: the Find dialog and the search they share with
// the logged-in check.
#pragma once

#include <windows.h>

// The Find dialog while it is open, otherwise null. The message loop hands it
// its keyboard messages so that Tab and Enter work inside it.
extern HWND hwndFind;

// Looks for `text` in the pane: exact bytes, case-sensitive, anywhere, also
// inside a longer word; an empty text occurs at the start. The search starts
// at character `start`, or at the beginning when `start` is negative. A hit
// is selected, scrolled into view and given the focus. 1 when found, else 0.
int FindInOutput(HWND pane, long start, const char *text);
