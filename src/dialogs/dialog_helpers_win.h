// Helpers every dialog of the program shares.
#pragma once

#include <windows.h>

// Dialog and hook procedures are exported by name from the program.
#define PELLWICK_EXPORT extern "C" __declspec(dllexport)

// Puts the dialog over the centre of the main window's client area, or at
// the screen's top-left corner while the main window is minimised.
void CenterDialog(HWND dialog);
