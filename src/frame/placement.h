// The main window's stored placement: position and outer size in dialog
// units, and the arithmetic between it and a pixel rectangle. Portable.
#pragma once

#include <cstdint>

#include "frame/dialog_units.h"

struct PixelRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

struct DluPlacement {
    int32_t left;
    int32_t top;
    int32_t width;
    int32_t height;
};

// Where a first run without a configuration file opens the frame, and where
// it opens when the stored placement would show nowhere. Also the values a
// missing key reads as.
constexpr DluPlacement kFirstRunPlacement = {20, 20, 280, 175};
// "Maintain Query History" is on until the file says otherwise.
enum { DEFAULT_HISTORY = 1 };

// The frame's outer rectangle in screen pixels for a stored placement.
PixelRect PlacementToPixels(const DluPlacement &placement, DialogBaseUnits base);

// The placement to store for a frame whose outer rectangle is `rect`.
DluPlacement PlacementFromPixels(const PixelRect &rect, DialogBaseUnits base);

// Whether a frame at `window` can be seen on a desktop whose bounds are
// `screen`: it has a width and a height and shares some area with it. A
// window partly off the screen (parked left of it, say) can.
bool PlacementOnScreen(const PixelRect &window, const PixelRect &screen);
