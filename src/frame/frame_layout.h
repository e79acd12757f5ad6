// The frame's fixed arrangement: where the output pane goes between the
// toolbar and the status bar, and which commands sit on the toolbar and
// follow the output or the busy state. Portable.
#pragma once

#include <cstddef>
#include <cstdint>

#include "res/resource.h"

struct ChildRect {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};

// The rectangle asked of the status bar on a resize: it settles along the
// bottom edge at its own height whatever it is given, so it is told only the
// width and roughly where the bottom is.
ChildRect StatusBarRequest(int32_t clientWidth, int32_t clientHeight);

// The output pane fills what the toolbar (height Ht) and status bar (Hs)
// leave: y = Ht + 1, height = H - (Hs + Ht + 2). A frame too small for both
// bars gives a height of 0 or less, which the pane shows as empty.
ChildRect OutputPaneRect(int32_t clientWidth, int32_t clientHeight, int32_t toolbarHeight,
                         int32_t statusHeight);

// One toolbar record: a button with its image and command, or a separator.
struct ToolbarEntry {
    int image;
    int command;
    bool separator;
};
// The toolbar, left to right. Its size is the number of records the toolbar
// is made with.
inline constexpr ToolbarEntry kToolbarEntries[] = {
    {0, IDM_FINGER, false},     {1, IDM_WHOIS, false},   {2, IDM_ADDRBOOK, false},
    {9, IDM_HOSTLOOKUP, false}, {0, 0, true},            {3, IDM_SAVEAS, false},
    {4, IDM_CLEAR, false},      {5, IDM_COPY, false},    {0, 0, true},
    {6, IDM_PRINT, false},      {0, 0, true},            {8, IDM_CANCELOP, false},
    {7, IDM_HELPCOMMANDS, false},
};
enum { TOOLBAR_IMAGE_COUNT = 10 };

// Menu items greyed and enabled together with the output, in this order.
inline constexpr int kOutputMenuItems[] = {IDM_PRINT,     IDM_SAVEAS, IDM_CLEAR,
                                           IDM_SELECTALL, IDM_COPY,   IDM_FINDTEXT};
// Toolbar buttons that follow the output, in this order.
inline constexpr int kOutputButtons[] = {IDM_SAVEAS, IDM_CLEAR, IDM_COPY, IDM_PRINT};
// Buttons that start an operation: enabled while idle, in this order.
inline constexpr int kQueryButtons[] = {IDM_FINGER, IDM_WHOIS, IDM_ADDRBOOK, IDM_HOSTLOOKUP};
