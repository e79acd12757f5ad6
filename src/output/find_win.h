// The modeless Find dialog.
#pragma once

#include <windows.h>

// The Find dialog while it is open, otherwise null. The message loop hands it
// its keyboard messages so that Tab and Enter work inside it.
extern HWND hwndFind;
