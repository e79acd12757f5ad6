// Placing dialogs over the frame and controls inside them.
#pragma once

#include <windows.h>

// Dialog and hook procedures are exported by name from the program.
#define PELLWICK_EXPORT extern "C" __declspec(dllexport)

// Puts the dialog over the centre of the main window's client area, or at
// the screen's top-left corner while the main window is minimised.
void CenterDialog(HWND dialog);

// Text is not measured in dialog units: on a screen of more dots per inch a
// label's text can come out a few pixels wider than the room its template
// gives it, and would lose its end. Each such label or check box grows to
// the right, into the free room before the next control on its line or the
// dialog's edge, as far as its text needs.
void FitTextsToRoom(HWND dialog);

// A control's place in a dialog, given in that dialog's units: its font sets
// them, so a control made or moved at run time lines up with the template's
// own controls (the system's base units would put it past the dialog's
// edge). Left, top, width and height in pixels.
RECT DialogControlRect(HWND dialog, int x, int y, int width, int height);
// Moves a control to a place given in the dialog's units and repaints it.
void MoveDialogControl(HWND dialog, int id, int x, int y, int width, int height);
