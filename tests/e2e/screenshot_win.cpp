#include "e2e/screenshot_win.h"

#include <cstdio>

#include "handles/owned_win.h"

#include "e2e/program_runner_win.h"

COLORREF Screenshot::PixelAt(int x, int y) const
{
    const uint8_t *p = &bits[static_cast<size_t>(height - 1 - (y - top)) * Stride() +
                             static_cast<size_t>(x - left) * 3];
    return RGB(p[2], p[1], p[0]);
}

long Screenshot::CountColour(const RECT &r, COLORREF colour) const
{
    long n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (x >= left && x < left + width && y >= top && y < top + height &&
                PixelAt(x, y) == colour)
                ++n;
    return n;
}

bool CaptureScreen(Screenshot &shot)
{
    shot.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    shot.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    shot.width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    shot.height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (shot.width <= 0 || shot.height <= 0)
        return false;

    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = shot.width;
    bmi.bmiHeader.biHeight = shot.height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    bmi.bmiHeader.biCompression = BI_RGB;

    const WindowDC screen(nullptr);
    const OwnedDC memory(CreateCompatibleDC(screen.Get()));
    void *bits = nullptr;
    const OwnedGdiObject dib(
        CreateDIBSection(screen.Get(), &bmi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib.IsValid())
        return false;
    const SelectedObject selected(memory.Get(), dib.Get());
    const bool ok = BitBlt(memory.Get(), 0, 0, shot.width, shot.height, screen.Get(), shot.left,
                           shot.top, SRCCOPY | CAPTUREBLT) != FALSE;
    GdiFlush();
    const uint8_t *first = static_cast<const uint8_t *>(bits);
    shot.bits.assign(first, first + shot.Stride() * static_cast<size_t>(shot.height));
    return ok;
}

bool WriteBmp(const std::string &path, const Screenshot &shot)
{
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = shot.width;
    info.biHeight = shot.height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = static_cast<DWORD>(shot.bits.size());

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + info.biSizeImage;

    FILE *f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    bool ok = std::fwrite(&file, sizeof file, 1, f) == 1 &&
              std::fwrite(&info, sizeof info, 1, f) == 1 &&
              std::fwrite(shot.bits.data(), 1, shot.bits.size(), f) == shot.bits.size();
    ok = std::fclose(f) == 0 && ok;
    return ok;
}

std::string ArtifactFolder()
{
    const std::string folder = ProgramFolder() + "\\artifacts";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}
