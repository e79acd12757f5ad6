#include "frame/placement.h"

PixelRect PlacementToPixels(const DluPlacement &placement, DialogBaseUnits base)
{
    const int32_t left = DluToPixelsX(placement.left, base.x);
    const int32_t top = DluToPixelsY(placement.top, base.y);
    // Width and height convert on their own, not through the edges, so the
    // same stored size gives the same window size wherever it stands.
    const int64_t right = static_cast<int64_t>(left) + DluToPixelsX(placement.width, base.x);
    const int64_t bottom = static_cast<int64_t>(top) + DluToPixelsY(placement.height, base.y);
    auto clamp = [](int64_t v) {
        return static_cast<int32_t>(v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : v);
    };
    return PixelRect{left, top, clamp(right), clamp(bottom)};
}

DluPlacement PlacementFromPixels(const PixelRect &rect, DialogBaseUnits base)
{
    auto span = [](int32_t from, int32_t to) {
        const int64_t d = static_cast<int64_t>(to) - from;
        return static_cast<int32_t>(d > INT32_MAX ? INT32_MAX : d < INT32_MIN ? INT32_MIN : d);
    };
    return DluPlacement{PixelsToDluX(rect.left, base.x), PixelsToDluY(rect.top, base.y),
                        PixelsToDluX(span(rect.left, rect.right), base.x),
                        PixelsToDluY(span(rect.top, rect.bottom), base.y)};
}

bool PlacementOnScreen(const PixelRect &window, const PixelRect &screen)
{
    if (window.right <= window.left || window.bottom <= window.top)
        return false;
    return window.left < screen.right && screen.left < window.right &&
           window.top < screen.bottom && screen.top < window.bottom;
}
