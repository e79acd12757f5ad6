// Process start-up, the main window's creation and the message loop.
#pragma once

#include <windows.h>
#include <winsock2.h>

#include <cstdint>

#include "frame/frame_win.h"

extern HACCEL haccelMain;    // accelerator table "PELLWICK32"; may be null

#define MAIN_CLASS_NAME "PELLWICK32"
#define MAIN_WINDOW_TITLE "Pellwick32"
#define STARTUP_ERROR_CAPTION "PELLWICK32 - Error"

// Registers the frame window class. False when it could not be registered.
bool RegisterMainClass(HINSTANCE instance);

// Reads the installation values and the stored placement, takes the dialog
// base units and creates the main window at the stored placement (not yet
// shown). Returns the window, or null when it could not be created.
HWND CreateMainWindow(HINSTANCE instance);

// Loads the accelerators, warning once when they are missing.
void LoadMainAccelerators(HINSTANCE instance);

// Hands one message of the thread to the Find dialog, the accelerators or
// its window: a message taken in the code page's form (GetMessageA,
// PeekMessageA), as the benchmarks' loops take them, or one taken in UTF-16
// (GetMessageW), as the main loop and the waits of the connection set-up do.
void DispatchThreadMessage(MSG &msg);
void DispatchThreadMessageW(MSG &msg);

// Runs the one message loop of the program until the quit message and
// returns its exit code.
int RunMessageLoop();

// The whole life of the process, from WinSock start-up to clean-up.
// `cmdLine` is the command-line tail in UTF-8.
int RunPellwick(HINSTANCE instance, HINSTANCE previous, const char *cmdLine, int cmdShow);
