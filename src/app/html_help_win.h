// The program's HTML Help (pllwck32.chm), shown by the platform's hhctrl.ocx.
// The control is loaded from the system folder by its full path, never by a
// bare name that the current folder could answer, and the help file is
// named by its full path beside pellwick.exe.
#pragma once

#include <windows.h>

// Opens the help beside the program: at its default topic (the contents)
// when `topic` is null, else at that page ("using_help.htm"). False, and
// nothing shown, where there is no hhctrl.ocx or no pllwck32.chm beside the
// program: the caller then opens the WinHelp file as before.
bool OpenHtmlHelp(HWND owner, const char *topic);

// Closes every help window this program opened; for the program's end.
void CloseHtmlHelp();
