// Screenshots of the whole screen, kept beside the program under test as
// .bmp files for a person to look at, and read back by the tests that take
// them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// The whole virtual screen, as 24-bit bottom-up rows like a .bmp holds them.
struct Screenshot {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bits;

    size_t Stride() const { return (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3); }

    COLORREF PixelAt(int x, int y) const;

    // How many pixels of a screen rectangle have the colour.
    long CountColour(const RECT &r, COLORREF colour) const;
};

bool CaptureScreen(Screenshot &shot);
bool WriteBmp(const std::string &path, const Screenshot &shot);

// <folder of pellwick.exe>\artifacts, made if need be.
std::string ArtifactFolder();
