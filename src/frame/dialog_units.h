// Conversions between pixels and dialog units with the system's dialog base
// units. Portable: compiles without <windows.h> and is unit-tested natively.
//
// A horizontal length in dialog units is pixels * 4 / baseX, a vertical one
// pixels * 8 / baseY; back to pixels it is units * baseX / 4 and
// units * baseY / 8. The product is formed first and the division truncates
// toward zero, so -3 units at base 7 give -5 pixels, not -6.
#pragma once

#include <cstdint>

struct DialogBaseUnits {
    int32_t x;
    int32_t y;
};

// Splits the platform's packed dialog base units value: the low 16-bit word is
// the horizontal unit and the high word the vertical one, each unsigned.
DialogBaseUnits SplitDialogBaseUnits(uint32_t packed);

int32_t DluToPixelsX(int32_t units, int32_t baseX);
int32_t DluToPixelsY(int32_t units, int32_t baseY);
int32_t PixelsToDluX(int32_t pixels, int32_t baseX);
int32_t PixelsToDluY(int32_t pixels, int32_t baseY);
