// Placing dialogs over the frame and controls inside them.
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
