// Saving the output pane as a text file.
#pragma once

#include <windows.h>

#include "frame/dialog_place_win.h"

// Writes the pane's text to `path` (the program's text: UTF-8 while Unicode
// text is on) byte for byte: the code page's bytes, or while Unicode text is
// on UTF-8 without a byte-order mark; no header, nothing added at the end;
// an existing file is replaced. 1 when the whole text is in the
// file; 0 when the file could not be created, not all of the text could be
// written, or no memory could be had for it. Failures are silent to the
// user: the command line turns them into its exit code.
int SaveOutputToFile(const char *path);

// File > Save As: asks for a file name in the classic Save As dialog
// (offering "pellwick.txt" every time; a Unicode dialog while Unicode text is
// on) and writes the pane to it. Before it
// replaces a file the user has not been asked about, it asks; a file it could
// not write is reported in a message box, with the system's reason. 1 when
// written, 0 when cancelled, refused or not written.
int SaveOutputAs(HWND owner);

// The Save As dialog's hook: centres it over the main window.
PELLWICK_EXPORT UINT_PTR CALLBACK lpfnFileSave(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
