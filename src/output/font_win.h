// The output pane's font: read from the configuration file at start-up,
// chosen in the platform's Choose Font dialog, written back after each
// choice.
#pragma once

#include <windows.h>

extern LOGFONTA lfOutput;   // the one description of the pane's font
// The font object the pane uses now; written and deleted in font_win.cpp alone.
extern HFONT hfontOutput;

// Builds the pane's font from section "font", deleting the font object held
// before, if any; a height of 0 (no file, no section) brings the default:
// the system's fixed-pitch font, or while Unicode text is on a monospaced
// TrueType font of the same height (Consolas, else Courier New).
void LoadOutputFont(HWND pane);
// After Unicode text was switched: with no font stored, the pane takes the
// default of the new mode; a stored font stays.
void ShowTextModeFont(HWND pane);
// Runs the Choose Font dialog on lfOutput, offering fixed-pitch screen fonts.
// Non-zero when the user chose a font.
BOOL ChooseOutputFont(HWND owner);
// Gives the pane a new font from lfOutput, deletes the old one, writes the
// fourteen keys.
void ApplyOutputFont(HWND pane);
void SaveOutputFont();
// Deletes the last font object when the frame goes.
void FreeOutputFont();
