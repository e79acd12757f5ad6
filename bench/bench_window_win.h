// Pellwick's real main window in a benchmark's own process, made by the
// program's start-up code and pumped as its message loop pumps it.
#pragma once

#include <string>

// Registers the class (once per process), creates the frame at its stored
// placement, shows it and runs what that queued. False when the window could
// not be made. It can be made again after CloseMainWindow.
bool OpenMainWindow();
// Empties the pane and destroys the frame.
void CloseMainWindow();

// Runs whatever is waiting, as the program's loop would; a quit message is
// dropped.
void PumpPending();

// The Clear command, and the refresh it posts.
void ClearPane();

// The pane's whole text, after whatever is still queued for it: the
// program's text, UTF-8 while Unicode text is on.
std::string PaneText();

// What the pane shows for an answer without CR: converted in one piece, as
// the program converts it piece by piece (decoded as UTF-8 while Unicode
// text is on).
std::string ExpectedPaneText(const std::string &answer);
