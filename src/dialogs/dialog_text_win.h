// The text of the dialogs' fields and lists as the program holds it. While
// Unicode text is on, the dialogs and their controls are Unicode windows
// (commands_win's RunDialog) and these helpers speak UTF-8 to the program and
// UTF-16 to the controls, so what the user types reaches the query whole
// whatever the code page; while it is off they are the plain ANSI calls.
#pragma once

#include <windows.h>

#include <cstddef>

// A field's text, cut to `size` - 1 bytes between two characters and always
// terminated. Returns its length.
size_t ReadItemText(HWND dialog, int id, char *buf, size_t size);

// Adds an entry to a combo box with CB_ADDSTRING, or CB_INSERTSTRING at the
// top; returns what the box answers.
LRESULT AddComboEntry(HWND combo, UINT addMessage, const char *text);
// CB_FINDSTRINGEXACT from the top, in any letter case; CB_ERR when absent.
LRESULT FindComboEntry(HWND combo, const char *text);
// Entry `index`, cut like a field. An entry longer than the buffer reads as
// empty while Unicode text is off.
void ReadComboEntry(HWND combo, int index, char *buf, size_t size);

// CreateWindow for a control of `className`, a Unicode window while Unicode
// text is on.
HWND CreateTextControl(const char *className, DWORD style, const RECT &place, HWND parent,
                       int id, HINSTANCE instance);
