#include "frame/placement_win.h"

#include "config/config_win.h"
#include "config/profile_values.h"
#include "frame/frame_win.h"
#include "frame/options.h"
#include "frame/placement.h"

int32_t nWinLeft = kFirstRunPlacement.left;
int32_t nWinTop = kFirstRunPlacement.top;
int32_t nWinWidth = kFirstRunPlacement.width;
int32_t nWinHeight = kFirstRunPlacement.height;
bool bTrackPlacement = true;
int32_t bHistory = DEFAULT_HISTORY;

namespace {

DialogBaseUnits BaseUnits() { return DialogBaseUnits{nBaseUnitX, nBaseUnitY}; }

// A missing key reads as `def`, given to the file reader as the text the
// file would hold for it.
int32_t ReadPlacementValue(const char *key, int32_t def)
{
    char text[12];
    FormatDecimal(def, text, sizeof text);
    return ReadSettingNumber(SECTION_PELLWICK, key, text, PLACEMENT_VALUE_BUFFER);
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
    nWinLeft = ReadPlacementValue(KEY_LEFT, kFirstRunPlacement.left);
    nWinTop = ReadPlacementValue(KEY_TOP, kFirstRunPlacement.top);
    nWinWidth = ReadPlacementValue(KEY_RIGHT, kFirstRunPlacement.width);
    nWinHeight = ReadPlacementValue(KEY_BOTTOM, kFirstRunPlacement.height);
    bHistory = ReadPlacementValue(KEY_HISTORY, DEFAULT_HISTORY);
    bFollowReferrals = ReadPlacementValue(KEY_REFERRALS, 0) != 0;
    bUseRdap = ReadPlacementValue(KEY_RDAP, 0) != 0;
    bUnicodeText = ReadPlacementValue(KEY_UNICODE, 0) != 0;
    bUseIpv6 = ReadPlacementValue(KEY_IPV6, 0) != 0;
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
        px = PlacementToPixels(kFirstRunPlacement, BaseUnits());
    RECT rc = {px.left, px.top, px.right, px.bottom};
    return rc;
}

void WriteIpv6Setting()
{
    WriteSettingNumber(SECTION_PELLWICK, KEY_IPV6, bUseIpv6 ? 1 : 0);
}
