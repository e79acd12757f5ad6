// The frame every part of the program shows itself in: the main window and
// its three children (toolbar, output pane, status bar), their layout, the
// status text, the pane's text and the enabled state of the output-dependent
// and query commands.
#pragma once

#include <windows.h>
#include <winsock2.h>

#include <cstdint>
#include <string>

#define IDC_TOOLBAR (1)
#define IDC_OUTPUT (152)
#define IDC_STATUS (10102)

extern HINSTANCE hInstance;  // source of every resource
extern HWND hwndMain;        // the frame window
extern int32_t nBaseUnitX;   // dialog base units, read once before the
extern int32_t nBaseUnitY;   // main window is created
extern WSADATA wsaData;      // filled by the WinSock start-up

extern HWND hwndToolbar;     // along the top
extern HWND hwndOutput;      // read-only multi-line edit holding every answer
extern HWND hwndStatus;      // along the bottom; null if it could not be made
extern bool bOutputGrayed;   // the output-dependent commands show greyed

// The screen's dots per inch, as the program sees them: the system's
// setting, since the program declares itself aware of it.
int ScreenDpi();
// Creates the status bar; on failure says so and returns null.
HWND CreateStatusBar(HWND parent);
// Creates the toolbar with a button or separator for each record of
// kToolbarEntries; null on failure.
HWND CreateToolbar(HWND parent);
// Creates the output pane: unlimited text, read-only. Returns 1.
int CreateOutputPane(HWND parent, HWND status, HWND toolbar, const CREATESTRUCTA *create);

// Puts one line of text in the status bar's simple field; "" clears it.
// The text is the program's: UTF-8 while Unicode text is on.
void SetStatusText(const char *text);
// Sets the frame's title, the program's text like the status.
void SetFrameTitle(const char *text);

// Enables Finger, WhoIs, Address Book and Host Lookup when idle, and Cancel
// Operation when not. Between two timed queries of the logged-in
// notification nothing runs, but Cancel Operation is what ends the
// notification, so `notifying` keeps its button available.
void EnableQueryButtons(bool idle, bool notifying);

// Places the children for a client area of the given size.
void LayoutFrame(int width, int height);

// The output-dependent commands are offered once an answer has ended and
// withdrawn when the pane is cleared. OfferOutput records that an answer
// has ended and posts IDM_UPDATEOUTPUTSTATE unless the commands already
// show as available.
void OfferOutput();
// IDM_UPDATEOUTPUTSTATE: shows the menu items and toolbar buttons as the
// pane's state stands now, so a repeated or late command does no harm.
void ShowOutputState();

// Command 202: empties the pane, resets title and status, greys the output
// commands unless they already are.
void ClearOutput();

// Appends text at the end of the pane, without an undo record, wherever the
// caret is. A caret at the end moves on with the text, so the pane follows
// the answer; a caret or selection the user put elsewhere stays where it is,
// and so does the view.
void AppendOutput(const char *text);

// Answer text arrives in many small reads, and every append to the pane
// costs a part that grows with the text already there, and a part that grows
// with the pane's last line, which the pane measures whole again. Text from
// reads that follow each other closely is therefore gathered and appended in
// one piece, before anything reads the pane and at the latest once the piece
// is as large or as old as its limits. Both limits grow as the pane fills, up
// to a piece that still goes in within a fraction of a second, so a large
// answer takes far fewer appends than reads; while the last line is long, a
// piece is at least twice as long, so a line without end is measured again
// only each time it has tripled. `text` has a NUL at `length`: when no memory
// can be had to gather it, it is appended at once instead.
enum {
    OUTPUT_DELAY_MS = 40,              // the age limit of a piece of OUTPUT_PIECE_BYTES
    OUTPUT_DELAY_MAX_MS = 1000,        // the largest age limit
    OUTPUT_PIECE_BYTES = 40 * 1024,    // the size limit while the pane is nearly empty
    OUTPUT_PIECE_GROWTH = 24,          // it grows by the pane's text / this
    OUTPUT_PIECE_MAX = 256 * 1024,     // as far as this
};
void QueueOutput(const char *text, size_t length);
// Appends whatever is queued. Every reader of the pane calls it first.
void FlushOutput();

// Copies the pane's whole text into `text`, counted in full: answers of 64 KB
// and more are read, saved and searched whole. False, with `text` empty, when
// no memory could be had for the copy; it never throws.
// While Unicode text is on the copy is UTF-8.
bool OutputText(std::string &text);
// The same copy as UTF-16, as the pane holds it.
bool OutputTextW(std::wstring &text);
