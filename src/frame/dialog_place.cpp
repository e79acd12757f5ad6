#include "frame/dialog_place.h"

DialogPoint CentredCorner(int32_t centreX, int32_t centreY, int32_t width, int32_t height)
{
    int32_t x = centreX - width / 2;
    int32_t y = centreY - height / 2;
    if (x < 0)
        x = 0;
    if (y < 0)
        y = 0;
    return DialogPoint{x, y};
}
