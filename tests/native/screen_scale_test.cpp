#include <gtest/gtest.h>

#include "frame/screen_scale.h"
#include "res/resource.h"

namespace {

TEST(ScreenScale, EachScreenGetsTheLargestStripNoBiggerThanItsScale)
{
    const struct {
        int dpi, bitmap, size;
    } cases[] = {{96, IDB_TOOLBAR, 16},     {120, IDB_TOOLBAR, 16},     {143, IDB_TOOLBAR, 16},
                 {144, IDB_TOOLBAR_24, 24}, {168, IDB_TOOLBAR_24, 24},  {191, IDB_TOOLBAR_24, 24},
                 {192, IDB_TOOLBAR_32, 32}, {287, IDB_TOOLBAR_32, 32},  {288, IDB_TOOLBAR_48, 48},
                 {960, IDB_TOOLBAR_48, 48}, {0, IDB_TOOLBAR, 16},       {-96, IDB_TOOLBAR, 16}};
    for (const auto &c : cases) {
        const ToolbarStrip s = ToolbarStripFor(c.dpi);
        EXPECT_EQ(s.bitmap, c.bitmap) << c.dpi;
        EXPECT_EQ(s.size, c.size) << c.dpi;
    }
}

TEST(ScreenScale, TheDefaultFontGrowsOnlyWhereTheSystemLeftItSmall)
{
    const struct {
        int stock, dpi, height;
    } cases[] = {
        {15, 96, 15},   // an ordinary screen keeps the stock font as it is
        {16, 192, 32},  // a font made for 96 DPI on a 192 DPI screen
        {20, 192, 32},  // ... or for 120 DPI
        {32, 192, 32},  // a system that scales its stock font already
        {40, 192, 40},
        {16, 144, 24},
        {-16, 192, -32}, // a character height keeps its sign
        {-32, 192, -32},
        {16, 120, 20},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DefaultFontHeight(c.stock, c.dpi), c.height) << c.stock << " at " << c.dpi;
    EXPECT_EQ(ScaleToDpi(15, 144), 23);  // 22.5 rounds up
    EXPECT_EQ(ScaleToDpi(-15, 144), -23);
    EXPECT_EQ(ScaleToDpi(INT32_MAX, 192), INT32_MAX);
}

} // namespace
