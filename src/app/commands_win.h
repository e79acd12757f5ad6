// The frame's command table: menu items, toolbar buttons, accelerators and
// the commands the program posts to itself.
#pragma once

#include <windows.h>

// Carries out one command. False for ids the table does not know, which go
// to the default window procedure.
bool DispatchCommand(HWND hwnd, int id);
