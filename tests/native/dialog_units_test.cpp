// Pixel and dialog-unit arithmetic of the window placement.
#include <gtest/gtest.h>

#include <climits>

#include "frame/dialog_units.h"
#include "frame/placement.h"

TEST(DialogUnits, SplitsThePackedBaseUnitsAsUnsignedWords)
{
    DialogBaseUnits b = SplitDialogBaseUnits(0x00100008u);
    EXPECT_EQ(b.x, 8);
    EXPECT_EQ(b.y, 16);
    b = SplitDialogBaseUnits(0xFFFF8000u);
    EXPECT_EQ(b.x, 0x8000);
    EXPECT_EQ(b.y, 0xFFFF);
}

TEST(DialogUnits, ConvertWithTruncationTowardZero)
{
    struct Case {
        int32_t value, base, toPixelsX, toPixelsY, toDluX, toDluY;
    } cases[] = {
        // value, base, units->px (x, y), px->units (x, y)
        {20, 8, 40, 20, 10, 20},
        {-3, 7, -5, -2, -1, -3},  // -21/4 = -5.25 -> -5; -21/8 -> -2
        {7, 6, 10, 5, 4, 9},      // 42/4 = 10.5 -> 10; 28/6 = 4.67 -> 4
        {-7, 6, -10, -5, -4, -9},
        {0, 9, 0, 0, 0, 0},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(DluToPixelsX(c.value, c.base), c.toPixelsX) << c.value << " @" << c.base;
        EXPECT_EQ(DluToPixelsY(c.value, c.base), c.toPixelsY) << c.value << " @" << c.base;
        EXPECT_EQ(PixelsToDluX(c.value, c.base), c.toDluX) << c.value << " @" << c.base;
        EXPECT_EQ(PixelsToDluY(c.value, c.base), c.toDluY) << c.value << " @" << c.base;
    }
}

TEST(DialogUnits, NeitherOverflowsNorDividesByZero)
{
    EXPECT_EQ(DluToPixelsX(INT32_MAX, 8), INT32_MAX);
    EXPECT_EQ(DluToPixelsY(INT32_MIN, 16), INT32_MIN);
    EXPECT_EQ(PixelsToDluY(INT32_MAX, 16), INT32_MAX / 2);
    EXPECT_EQ(PixelsToDluX(100, 0), 0);
}

TEST(Placement, StoredUnitsBecomeTheWindowRectangle)
{
    // 20, 20, 280 x 175 units with base units 8 and 16: pixel 40, 40, 560 x 350.
    PixelRect r = PlacementToPixels({20, 20, 280, 175}, {8, 16});
    EXPECT_EQ(r.left, 40);
    EXPECT_EQ(r.top, 40);
    EXPECT_EQ(r.right - r.left, 560);
    EXPECT_EQ(r.bottom - r.top, 350);

    // A window parked left of the primary screen.
    r = PlacementToPixels({-3, 0, 10, 10}, {7, 13});
    EXPECT_EQ(r.left, -5);
    EXPECT_EQ(r.right - r.left, 17);  // the width converts on its own
}

TEST(Placement, WindowRectangleBecomesStoredUnits)
{
    DluPlacement p = PlacementFromPixels({40, 40, 600, 390}, {8, 16});
    EXPECT_EQ(p.left, 20);
    EXPECT_EQ(p.top, 20);
    EXPECT_EQ(p.width, 280);
    EXPECT_EQ(p.height, 175);

    // Edges at odd pixels truncate toward zero, on both sides of the origin.
    p = PlacementFromPixels({-11, -9, 13, 31}, {8, 16});
    EXPECT_EQ(p.left, -5);   // -44/8
    EXPECT_EQ(p.top, -4);    // -72/16
    EXPECT_EQ(p.width, 12);  // 24*4/8
    EXPECT_EQ(p.height, 20); // 40*8/16

    // Extreme rectangles do not overflow the width.
    p = PlacementFromPixels({INT32_MIN, 0, INT32_MAX, 10}, {4, 8});
    EXPECT_EQ(p.width, INT32_MAX);
}

TEST(Placement, OnlyAWindowWithASizeThatSharesSomeScreenIsOnIt)
{
    const PixelRect screen = {0, 0, 1280, 1024};
    struct {
        PixelRect window;
        bool on;
    } cases[] = {
        {{40, 40, 600, 390}, true},
        {{-300, 40, 10, 390}, true},      // parked mostly left of the screen
        {{1279, 1023, 1400, 1100}, true}, // one pixel of it shows
        {{1280, 40, 1800, 390}, false},   // just right of it
        {{40, -400, 600, 0}, false},      // just above it
        {{INT32_MAX, -200000000, INT32_MAX, -199999971}, false},
        {{40, 40, 40, 390}, false},       // no width
        {{40, 40, 600, 30}, false},       // a negative height
    };
    for (const auto &c : cases)
        EXPECT_EQ(PlacementOnScreen(c.window, screen), c.on)
            << c.window.left << "," << c.window.top << " - " << c.window.right << ","
            << c.window.bottom;
    // A second monitor left of the primary one.
    EXPECT_TRUE(PlacementOnScreen({-1000, 40, -500, 390}, {-1280, 0, 1280, 1024}));
}
