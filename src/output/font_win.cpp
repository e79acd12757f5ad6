#include "output/font_win.h"

#include <commdlg.h>

#include <cstdio>

#include "config/config_win.h"
#include "config/profile_values.h"
#include "frame/frame_win.h"
#include "frame/screen_scale.h"
#include "handles/owned_win.h"
#include "text/text_mode.h"

LOGFONTA lfOutput;
HFONT hfontOutput;

namespace {

// The owner of the pane's font object; hfontOutput names what it holds.
OwnedGdiObject paneFont;

// Holds `font` as the pane's, deleting the one held before: by then the pane
// has taken the new one, or it goes with the frame.
void HoldPaneFont(HFONT font)
{
    paneFont.Reset(font);
    hfontOutput = font;
}

enum { FONT_VALUE_BUFFER = 33 };

// The keys of section "font", in the order they are read and written, each
// naming the LOGFONT field of the same meaning.
enum FieldKind { FIELD_WIDE, FIELD_BYTE, FIELD_FACE };
struct FontKey {
    const char *key;
    FieldKind kind;
    LONG LOGFONTA::*wide;
    BYTE LOGFONTA::*byte;
};
const FontKey kFontKeys[14] = {
    {"height", FIELD_WIDE, &LOGFONTA::lfHeight, nullptr},
    {"width", FIELD_WIDE, &LOGFONTA::lfWidth, nullptr},
    {"escapement", FIELD_WIDE, &LOGFONTA::lfEscapement, nullptr},
    {"orientation", FIELD_WIDE, &LOGFONTA::lfOrientation, nullptr},
    {"weight", FIELD_WIDE, &LOGFONTA::lfWeight, nullptr},
    {"italic", FIELD_BYTE, nullptr, &LOGFONTA::lfItalic},
    {"underline", FIELD_BYTE, nullptr, &LOGFONTA::lfUnderline},
    {"strikeout", FIELD_BYTE, nullptr, &LOGFONTA::lfStrikeOut},
    {"charset", FIELD_BYTE, nullptr, &LOGFONTA::lfCharSet},
    {"outprecision", FIELD_BYTE, nullptr, &LOGFONTA::lfOutPrecision},
    {"clipprecision", FIELD_BYTE, nullptr, &LOGFONTA::lfClipPrecision},
    {"quality", FIELD_BYTE, nullptr, &LOGFONTA::lfQuality},
    {"pitchandfamily", FIELD_BYTE, nullptr, &LOGFONTA::lfPitchAndFamily},
    {"facename", FIELD_FACE, nullptr, nullptr},
};

void ReadFontKeys()
{
    for (const FontKey &k : kFontKeys) {
        char value[FONT_VALUE_BUFFER];
        ReadSetting(SECTION_FONT, k.key, "0", value, sizeof value);
        switch (k.kind) {
        case FIELD_WIDE:
            lfOutput.*k.wide = ParseLeadingInt(value);
            break;
        case FIELD_BYTE:
            // Only the low byte of the number survives in a one-byte field.
            lfOutput.*k.byte = static_cast<BYTE>(ParseLeadingInt(value) & 0xFF);
            break;
        case FIELD_FACE:
            CopyBounded(lfOutput.lfFaceName, sizeof lfOutput.lfFaceName, value);
            break;
        }
    }
}

// The pane takes a new font without redrawing at once; the next paint
// shows it.
void GivePaneFont(HWND pane, HFONT font)
{
    SendMessageA(pane, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
}

int CALLBACK NoteFace(const LOGFONTA *, const TEXTMETRICA *, DWORD, LPARAM found)
{
    *reinterpret_cast<bool *>(found) = true;
    return 0; // one is enough
}

// Whether a font family of that name is installed: the platform lists only
// the families it has under their own names, never a stand-in.
bool FaceInstalled(const char *face)
{
    LOGFONTA wanted = {};
    wanted.lfCharSet = DEFAULT_CHARSET;
    CopyBounded(wanted.lfFaceName, sizeof wanted.lfFaceName, face);
    bool found = false;
    const WindowDC screen(nullptr);
    EnumFontFamiliesExA(screen.Get(), &wanted, NoteFace, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

// The pane's font when none is stored. The system's fixed font is a bitmap
// font of the code page, which shows no letters beyond it; for Unicode text
// the default is a monospaced TrueType font with the letters of many
// scripts, of the same height: Consolas, which every Windows since Vista
// has, else Courier New, which every Windows has.
void DefaultFont(LOGFONTA &lf)
{
    GetObjectA(GetStockObject(SYSTEM_FIXED_FONT), sizeof lf, &lf);
    // The stock font may be sized for an ordinary screen; the width
    // follows the height.
    const LONG height = DefaultFontHeight(lf.lfHeight, ScreenDpi());
    if (height != lf.lfHeight && lf.lfHeight != 0) {
        lf.lfWidth = MulDiv(lf.lfWidth, height, lf.lfHeight);
        lf.lfHeight = height;
    }
    if (!bUnicodeText)
        return;
    LOGFONTA tt = {};
    tt.lfHeight = lf.lfHeight; // a TrueType font takes its width from it
    tt.lfWeight = FW_NORMAL;
    tt.lfCharSet = DEFAULT_CHARSET;
    tt.lfOutPrecision = OUT_TT_PRECIS;
    tt.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    tt.lfQuality = DEFAULT_QUALITY;
    tt.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    CopyBounded(tt.lfFaceName, sizeof tt.lfFaceName,
                FaceInstalled("Consolas") ? "Consolas" : "Courier New");
    lf = tt;
}

// Gives the pane a font made from lfOutput in place of the one it has, which
// is deleted once the pane uses the new one.
void ReplacePaneFont(HWND pane)
{
    HFONT font = CreateFontIndirectA(&lfOutput);
    GivePaneFont(pane, font);
    HoldPaneFont(font);
}

} // namespace

void LoadOutputFont(HWND pane)
{
    ReadFontKeys();
    if (lfOutput.lfHeight == 0)
        DefaultFont(lfOutput);
    ReplacePaneFont(pane);
}

void ShowTextModeFont(HWND pane)
{
    char value[FONT_VALUE_BUFFER];
    ReadSetting(SECTION_FONT, "height", "0", value, sizeof value);
    if (ParseLeadingInt(value) != 0)
        return; // the user's font serves either kind of text
    DefaultFont(lfOutput);
    ReplacePaneFont(pane);
    InvalidateRect(pane, nullptr, TRUE);
}

BOOL ChooseOutputFont(HWND owner)
{
    // The dialog works on a copy: some platforms write their first listed
    // font into the record while a dialog that is then cancelled opens, and
    // a cancelled choice must leave the pane's font as it was.
    LOGFONTA chosen = lfOutput;
    CHOOSEFONTA cf = {};
    cf.lStructSize = sizeof cf;
    cf.hwndOwner = owner;
    cf.lpLogFont = &chosen;
    cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_FIXEDPITCHONLY;
    const BOOL ok = ChooseFontA(&cf);
    if (ok)
        lfOutput = chosen;
    return ok;
}

void ApplyOutputFont(HWND pane)
{
    ReplacePaneFont(pane);
    SaveOutputFont();
}

void SaveOutputFont()
{
    for (const FontKey &k : kFontKeys) {
        char value[FONT_VALUE_BUFFER];
        switch (k.kind) {
        case FIELD_WIDE:
            FormatDecimal(lfOutput.*k.wide, value, sizeof value);
            break;
        case FIELD_BYTE:
            FormatDecimal(lfOutput.*k.byte, value, sizeof value);
            break;
        case FIELD_FACE:
            CopyBounded(value, sizeof value, lfOutput.lfFaceName);
            break;
        }
        WriteSetting(SECTION_FONT, k.key, value);
    }
}

void FreeOutputFont() { HoldPaneFont(nullptr); }
