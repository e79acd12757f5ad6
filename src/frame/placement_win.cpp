#include "frame/placement_win.h"

#include "config/config_win.h"
#include "frame/frame_win.h"
#include "frame/options.h"
#include "frame/placement.h"

int32_t nWinLeft = DEFAULT_WIN_LEFT;
int32_t nWinTop = DEFAULT_WIN_TOP;
int32_t nWinWidth = DEFAULT_WIN_WIDTH;
int32_t nWinHeight = DEFAULT_WIN_HEIGHT;
bool bTrackPlacement = true;
int32_t bHistory = DEFAULT_HISTORY;

namespace {

DialogBaseUnits BaseUnits() { return DialogBaseUnits{nBaseUnitX, nBaseUnitY}; }

int32_t ReadPlacementValue(const char *key, const char *def)
{
    return ReadSettingNumber(SECTION_PELLWICK, key, def, PLACEMENT_VALUE_BUFFER);
}

// The bounds of the whole desktop, every monitor included.
PixelRect Desktop()
{
    const int32_t x = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int32_t y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return PixelRect{x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                     y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

} // namespace

void ReadPlacement()
{
    nWinLeft = ReadPlacementValue(KEY_LEFT, "20");
    nWinTop = ReadPlacementValue(KEY_TOP, "20");
    nWinWidth = ReadPlacementValue(KEY_RIGHT, "280");
    nWinHeight = ReadPlacementValue(KEY_BOTTOM, "175");
    bHistory = ReadPlacementValue(KEY_HISTORY, "1");
    bFollowReferrals = ReadPlacementValue(KEY_REFERRALS, "0") != 0;
    bUseRdap = ReadPlacementValue(KEY_RDAP, "0") != 0;
    bUnicodeText = ReadPlacementValue(KEY_UNICODE, "0") != 0;
}

void WriteReferralsSetting()
{
    WriteSettingNumber(SECTION_PELLWICK, KEY_REFERRALS, bFollowReferrals ? 1 : 0);
}

void WriteRdapSetting()
{
    WriteSettingNumber(SECTION_PELLWICK, KEY_RDAP, bUseRdap ? 1 : 0);
}

void WriteUnicodeSetting()
{
    WriteSettingNumber(SECTION_PELLWICK, KEY_UNICODE, bUnicodeText ? 1 : 0);
}

void WritePlacement()
{
    WriteSettingNumber(SECTION_PELLWICK, KEY_LEFT, nWinLeft);
    WriteSettingNumber(SECTION_PELLWICK, KEY_TOP, nWinTop);
    WriteSettingNumber(SECTION_PELLWICK, KEY_RIGHT, nWinWidth);
    WriteSettingNumber(SECTION_PELLWICK, KEY_BOTTOM, nWinHeight);
    WriteSettingNumber(SECTION_PELLWICK, KEY_HISTORY, bHistory);
}

void RecordPlacement(HWND hwnd)
{
    if (!bTrackPlacement)
        return;
    RECT rc;
    if (!GetWindowRect(hwnd, &rc))
        return;
    const DluPlacement p =
        PlacementFromPixels(PixelRect{rc.left, rc.top, rc.right, rc.bottom}, BaseUnits());
    nWinLeft = p.left;
    nWinTop = p.top;
    nWinWidth = p.width;
    nWinHeight = p.height;
}

RECT StoredPlacementRect()
{
    PixelRect px =
        PlacementToPixels(DluPlacement{nWinLeft, nWinTop, nWinWidth, nWinHeight}, BaseUnits());
    // A damaged file, or a monitor no longer attached, would open the window
    // where nobody can see or reach it, and closing it would store that
    // again. It opens where a first run opens it instead.
    if (!PlacementOnScreen(px, Desktop()))
        px = PlacementToPixels(DluPlacement{DEFAULT_WIN_LEFT, DEFAULT_WIN_TOP, DEFAULT_WIN_WIDTH,
                                            DEFAULT_WIN_HEIGHT},
                               BaseUnits());
    RECT rc = {px.left, px.top, px.right, px.bottom};
    return rc;
}
