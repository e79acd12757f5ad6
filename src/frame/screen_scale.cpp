#include "frame/screen_scale.h"

#include "res/resource.h"

int32_t ScaleToDpi(int32_t pixels, int32_t dpi)
{
    const int64_t scaled = static_cast<int64_t>(pixels) * dpi;
    const int64_t half = scaled < 0 ? -BASE_DPI / 2 : BASE_DPI / 2;
    const int64_t result = (scaled + half) / BASE_DPI;
    return result > INT32_MAX ? INT32_MAX : result < INT32_MIN ? INT32_MIN : static_cast<int32_t>(result);
}

ToolbarStrip ToolbarStripFor(int32_t dpi)
{
    static const ToolbarStrip kStrips[] = {
        {IDB_TOOLBAR_48, 48}, {IDB_TOOLBAR_32, 32}, {IDB_TOOLBAR_24, 24}};
    for (const ToolbarStrip &s : kStrips)
        if (static_cast<int64_t>(dpi) * 16 >= static_cast<int64_t>(s.size) * BASE_DPI)
            return s;
    return ToolbarStrip{IDB_TOOLBAR, 16};
}

int32_t DefaultFontHeight(int32_t stockHeight, int32_t dpi)
{
    if (dpi <= BASE_DPI)
        return stockHeight;
    const int32_t wanted = ScaleToDpi(16, dpi);
    if (stockHeight >= wanted || (stockHeight < 0 && stockHeight <= -wanted))
        return stockHeight;
    return stockHeight < 0 ? -wanted : wanted;
}
