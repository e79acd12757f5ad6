// The main window's stored placement and the history switch kept beside it.
#pragma once

#include <windows.h>

#include <cstdint>

// Screen position and outer size of the frame, in dialog units.
extern int32_t nWinLeft, nWinTop, nWinWidth, nWinHeight;
// True while the frame is neither minimised nor maximised, so that its moves
// and sizes are the ones worth remembering.
extern bool bTrackPlacement;
// "Maintain Query History": 0 off, anything else on.
extern int32_t bHistory;

// Reads left, top, right (width), bottom (height) and history from section
// "pellwick" of the configured file, with the first-run defaults.
void ReadPlacement();
// Writes the same five keys back, in the same order.
void WritePlacement();
// Follow WhoIs referrals is read with the placement (off when missing) and
// written, as 1 or 0, whenever the menu toggles it.
void WriteReferralsSetting();
// Writes the RDAP switch as it stands, 1 or 0.
void WriteRdapSetting();
// Writes the Unicode text switch as it stands, 1 or 0.
void WriteUnicodeSetting();
void WriteIpv6Setting();
// Records the frame's outer rectangle while bTrackPlacement is set.
void RecordPlacement(HWND hwnd);
// The frame's outer rectangle in pixels for the stored placement, or for the
// first-run placement when the stored one would show nowhere on the desktop.
RECT StoredPlacementRect();
