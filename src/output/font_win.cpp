#include "output/font_win.h"

#include <commdlg.h>

#include <cstdio>

#include "config/config_win.h"
#include "config/profile_values.h"
#include "frame/frame_win.h"
#include "frame/screen_scale.h"

LOGFONTA lfOutput;
HFONT hfontOutput;

namespace {

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

} // namespace

void LoadOutputFont(HWND pane)
{
    ReadFontKeys();
    if (lfOutput.lfHeight == 0) {
        GetObjectA(GetStockObject(SYSTEM_FIXED_FONT), sizeof lfOutput, &lfOutput);
        // The stock font may be sized for an ordinary screen; the width
        // follows the height.
        const LONG height = DefaultFontHeight(lfOutput.lfHeight, ScreenDpi());
        if (height != lfOutput.lfHeight && lfOutput.lfHeight != 0) {
            lfOutput.lfWidth = MulDiv(lfOutput.lfWidth, height, lfOutput.lfHeight);
            lfOutput.lfHeight = height;
        }
    }
    hfontOutput = CreateFontIndirectA(&lfOutput);
    GivePaneFont(pane, hfontOutput);
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
    HFONT font = CreateFontIndirectA(&lfOutput);
    GivePaneFont(pane, font);
    if (hfontOutput != nullptr)
        DeleteObject(hfontOutput);
    hfontOutput = font;
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

void FreeOutputFont()
{
    if (hfontOutput != nullptr)
        DeleteObject(hfontOutput);
    hfontOutput = nullptr;
}
