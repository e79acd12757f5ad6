#include "frame/dialog_units.h"

#include <climits>

namespace {

// Products are formed in 64 bits so that a stored value far out of range
// cannot overflow; a result beyond 32 bits is held at the nearest limit. A
// base of 0 (never reported by the platform) converts to 0 rather than
// dividing by zero.
int32_t Scale(int32_t value, int32_t mul, int32_t div)
{
    if (div == 0)
        return 0;
    const int64_t result = static_cast<int64_t>(value) * mul / div;
    if (result > INT32_MAX)
        return INT32_MAX;
    if (result < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(result);
}

} // namespace

DialogBaseUnits SplitDialogBaseUnits(uint32_t packed)
{
    return DialogBaseUnits{static_cast<int32_t>(packed & 0xFFFFu),
                           static_cast<int32_t>((packed >> 16) & 0xFFFFu)};
}

int32_t DluToPixelsX(int32_t units, int32_t baseX) { return Scale(units, baseX, 4); }
int32_t DluToPixelsY(int32_t units, int32_t baseY) { return Scale(units, baseY, 8); }
int32_t PixelsToDluX(int32_t pixels, int32_t baseX) { return Scale(pixels, 4, baseX); }
int32_t PixelsToDluY(int32_t pixels, int32_t baseY) { return Scale(pixels, 8, baseY); }
