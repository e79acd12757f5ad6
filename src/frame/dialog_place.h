// Where a dialog goes over the main window. Portable.
#pragma once

#include <cstdint>

struct DialogPoint {
    int32_t x;
    int32_t y;
};

// The top-left corner that centres a width x height dialog on the screen
// point (centreX, centreY). A corner that would come out left of or above
// the screen's origin is moved to 0; nothing is clamped at the right or
// bottom.
DialogPoint CentredCorner(int32_t centreX, int32_t centreY, int32_t width, int32_t height);
