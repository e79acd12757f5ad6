// What grows with the screen's dots per inch beyond the dialog units, which
// scale by themselves: the toolbar's images and the pane's default font.
// Portable: compiles without <windows.h> and is unit-tested natively.
#pragma once

#include <cstdint>

// The dots per inch everything is drawn for at 100 per cent.
enum { BASE_DPI = 96 };

// `pixels` at 96 DPI on a screen of `dpi`, rounded to the nearest pixel.
int32_t ScaleToDpi(int32_t pixels, int32_t dpi);

// The toolbar strip drawn for a screen of `dpi`: the largest of the 16-,
// 24-, 32- and 48-pixel strips that is not larger than 16 pixels scaled to
// that screen, so the 16-pixel one below 144 DPI. A strip of the right size
// stays sharp where a stretched one is blurred.
struct ToolbarStrip {
    int bitmap;  // resource id
    int size;    // width and height of one image
};
ToolbarStrip ToolbarStripFor(int32_t dpi);

// The height of the pane's default font, the system's fixed font, whose
// height is `stockHeight` on a screen of `dpi`. Some systems hand out that
// font at the size made for a screen of 96 or 120 DPI whatever the screen;
// above 96 DPI a font smaller than 16 pixels scaled to the screen gets that
// height, so the text is as large as on an ordinary screen. A negative
// height (a character height) is compared and scaled by its size.
int32_t DefaultFontHeight(int32_t stockHeight, int32_t dpi);
