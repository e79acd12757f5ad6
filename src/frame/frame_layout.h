// The frame's fixed arrangement: where the output pane goes between the
// toolbar and the status bar, and which commands sit on the toolbar and
// follow the output or the busy state. Portable.
#pragma once

#include <cstddef>
#include <cstdint>

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
extern const ToolbarEntry kToolbarEntries[13];
enum { TOOLBAR_IMAGE_COUNT = 10 };

// Menu items greyed and enabled together with the output, in this order.
extern const int kOutputMenuItems[6];
// Toolbar buttons that follow the output, in this order.
extern const int kOutputButtons[4];
// Buttons that start an operation: enabled while idle, in this order.
extern const int kQueryButtons[4];
