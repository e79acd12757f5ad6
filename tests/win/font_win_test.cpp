// The output font: read from section "font" of the bare-named file, written
// back in full, with the system's fixed font when no height is stored.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/cmdline_win.h"
#include "app/app_win.h"
#include "frame/frame_win.h"
#include "output/font_win.h"
#include "res/resource.h"
#include "text/text_mode.h"
#include "win/main_window_fixture_win.h"
#include "win/test_support_win.h"

namespace {

class OutputFont : public MainWindowTest {
protected:
    void SetUp() override
    {
        DeleteFileA(BareConfigPath().c_str());
        FlushProfileCache();
        MainWindowTest::SetUp();
    }
    void TearDown() override
    {
        MainWindowTest::TearDown();
        DeleteFileA(BareConfigPath().c_str());
        FlushProfileCache();
    }
    static void FlushProfileCache() { WritePrivateProfileStringA(nullptr, nullptr, nullptr, "pellwick.ini"); }

    static void StoreFontSection(const std::string &keys)
    {
        WriteWholeFile(BareConfigPath(), "[font]\r\n" + keys);
        FlushProfileCache();
    }

    static LOGFONTA PaneFont()
    {
        LOGFONTA lf = {};
        HFONT font = reinterpret_cast<HFONT>(SendMessageA(hwndOutput, WM_GETFONT, 0, 0));
        GetObjectA(font, sizeof lf, &lf);
        return lf;
    }
};

TEST_F(OutputFont, AFirstRunUsesTheSystemFixedFont)
{
    LOGFONTA stock = {};
    GetObjectA(GetStockObject(SYSTEM_FIXED_FONT), sizeof stock, &stock);
    EXPECT_EQ(lfOutput.lfHeight, stock.lfHeight);
    EXPECT_STREQ(lfOutput.lfFaceName, stock.lfFaceName);
    EXPECT_EQ(PaneFont().lfHeight, stock.lfHeight);
}

// The face a DC renders a font of that face name in: the name itself where
// the font is installed, some other where the system stands in for it.
std::string RenderedFace(HFONT font)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    char face[LF_FACESIZE] = "";
    GetTextFaceA(dc, sizeof face, face);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return face;
}

// Whether the pane's font is a monospaced TrueType one that has the letter.
bool ShowsMonospaced(HFONT font, wchar_t letter)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA tm = {};
    GetTextMetricsA(dc, &tm);
    WORD glyph = 0xFFFF;
    GetGlyphIndicesW(dc, &letter, 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    // TMPF_FIXED_PITCH set means a variable pitch.
    return (tm.tmPitchAndFamily & TMPF_TRUETYPE) && !(tm.tmPitchAndFamily & TMPF_FIXED_PITCH) &&
           glyph != 0xFFFF;
}

TEST_F(OutputFont, WithNoFontStoredTheDefaultFollowsUnicodeTextAndAStoredFontStays)
{
    LOGFONTA stock = {};
    GetObjectA(GetStockObject(SYSTEM_FIXED_FONT), sizeof stock, &stock);
    HFONT consolas = CreateFontA(16, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_TT_PRECIS, 0,
                                 0, FIXED_PITCH | FF_MODERN, "Consolas");
    const std::string unicodeFace =
        RenderedFace(consolas) == "Consolas" ? "Consolas" : "Courier New";
    DeleteObject(consolas);
    const char kStored[] = "height=-13\r\nfacename=Stored Face\r\n";
    // Unicode text switched from the menu, with the font the program
    // started with stored or not: the pane's font afterwards.
    struct Step {
        const char *stored;
        bool unicode;
        std::string face;
        LONG height;
    } steps[] = {
        {nullptr, true, unicodeFace, stock.lfHeight},
        {nullptr, false, stock.lfFaceName, stock.lfHeight},
        {kStored, true, "Stored Face", -13},
        {kStored, false, "Stored Face", -13},
    };
    for (const Step &step : steps) {
        if (step.stored != nullptr) {
            StoreFontSection(step.stored);
            LoadOutputFont(hwndOutput);
        }
        SendMessageA(hwndMain, WM_COMMAND, IDM_UNICODE, 0);
        ASSERT_EQ(bUnicodeText, step.unicode);
        const LOGFONTA pane = PaneFont();
        EXPECT_EQ(std::string(pane.lfFaceName), step.face) << "Unicode text " << step.unicode;
        EXPECT_EQ(pane.lfHeight, step.height) << "Unicode text " << step.unicode;
    }
    // A start with Unicode text on and no font stored: the default has the
    // letters of a Cyrillic answer, in columns. -u gives the window, made in
    // the saved mode, the same font.
    DeleteFileA(BareConfigPath().c_str());
    FlushProfileCache();
    bUnicodeText = false;
    LoadOutputFont(hwndOutput);
    std::string line = "-u";
    ProcessCommandLine(&line[0]);
    EXPECT_EQ(std::string(PaneFont().lfFaceName), unicodeFace) << "after -u";
    bUnicodeText = true;
    LoadOutputFont(hwndOutput);
    EXPECT_EQ(std::string(lfOutput.lfFaceName), unicodeFace);
    EXPECT_TRUE(ShowsMonospaced(hfontOutput, 0x043F)) << RenderedFace(hfontOutput);
}

TEST_F(OutputFont, StoredValuesAreReadWithTheirFieldSizes)
{
    StoreFontSection("height=-13\r\nwidth=0\r\nweight=700\r\nitalic=257\r\ncharset=0\r\n"
                     "facename=" + std::string(40, 'F') + "\r\n");
    LoadOutputFont(hwndOutput);
    EXPECT_EQ(lfOutput.lfHeight, -13);
    EXPECT_EQ(lfOutput.lfWeight, 700);
    EXPECT_EQ(lfOutput.lfItalic, 1) << "only the low byte of 257 is kept";
    EXPECT_EQ(std::string(lfOutput.lfFaceName), std::string(31, 'F'));
}

TEST_F(OutputFont, WithoutAFaceNameTheFaceIsZero)
{
    StoreFontSection("height=12\r\n");
    LoadOutputFont(hwndOutput);
    EXPECT_EQ(lfOutput.lfHeight, 12);
    EXPECT_STREQ(lfOutput.lfFaceName, "0");
}

TEST_F(OutputFont, AHeightOfZeroIgnoresEveryOtherKey)
{
    StoreFontSection("height=0\r\nweight=900\r\nitalic=1\r\nfacename=Courier New\r\n");
    LoadOutputFont(hwndOutput);
    LOGFONTA stock = {};
    GetObjectA(GetStockObject(SYSTEM_FIXED_FONT), sizeof stock, &stock);
    EXPECT_EQ(lfOutput.lfWeight, stock.lfWeight);
    EXPECT_EQ(lfOutput.lfItalic, stock.lfItalic);
    EXPECT_STREQ(lfOutput.lfFaceName, stock.lfFaceName);
}

TEST_F(OutputFont, ApplyingWritesAllFourteenKeysInOrderAndReplacesTheFont)
{
    StoreFontSection("height=-13\r\nweight=700\r\nitalic=257\r\nfacename=Courier New\r\n");
    LoadOutputFont(hwndOutput);
    const HFONT before = hfontOutput;
    // Written into a fresh file, so the order is the program's own.
    DeleteFileA(BareConfigPath().c_str());
    FlushProfileCache();
    ApplyOutputFont(hwndOutput);
    EXPECT_NE(hfontOutput, before);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(hwndOutput, WM_GETFONT, 0, 0)), hfontOutput);
    EXPECT_EQ(GetObjectType(before), 0u) << "the previous font object is deleted";
    FlushProfileCache();
    const std::string text = ReadWholeFile(BareConfigPath());
    const char *keys[] = {"height=-13", "width=", "escapement=", "orientation=", "weight=700",
                          "italic=1", "underline=", "strikeout=", "charset=", "outprecision=",
                          "clipprecision=", "quality=", "pitchandfamily=", "facename=Courier New"};
    size_t at = 0;
    for (const char *key : keys) {
        const size_t found = text.find(key, at);
        ASSERT_NE(found, std::string::npos) << key << " missing or out of order in\n" << text;
        at = found;
    }
    // Reading the font again replaces the one held too, and the frame's end
    // deletes the last.
    const HFONT applied = hfontOutput;
    LoadOutputFont(hwndOutput);
    EXPECT_EQ(GetObjectType(applied), 0u) << "a second read deletes the font it replaces";
    const HFONT last = hfontOutput;
    DestroyWindow(hwndMain);
    EXPECT_EQ(hfontOutput, nullptr);
    EXPECT_EQ(GetObjectType(last), 0u);
}

// The Font command with the dialog cancelled still applies and writes the
// font in use, so the next run starts with it rather than the stock font.
void CALLBACK CancelChooseFont(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND box = FindWindowA("#32770", nullptr);
    if (box != nullptr && IsWindowVisible(box) && GetWindowThreadProcessId(box, nullptr) == GetCurrentThreadId()) {
        KillTimer(nullptr, id);
        PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    }
}

TEST_F(OutputFont, ACancelledFontCommandStillWritesTheSection)
{
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, CancelChooseFont);
    SendMessageA(hwndMain, WM_COMMAND, IDM_FONT, 0);
    KillTimer(nullptr, timer);
    FlushProfileCache();
    char height[33] = "";
    GetPrivateProfileStringA("font", "height", "", height, sizeof height, "pellwick.ini");
    LOGFONTA stock = {};
    GetObjectA(GetStockObject(SYSTEM_FIXED_FONT), sizeof stock, &stock);
    EXPECT_EQ(std::string(height), std::to_string(stock.lfHeight));
    char face[33] = "";
    GetPrivateProfileStringA("font", "facename", "", face, sizeof face, "pellwick.ini");
    EXPECT_STREQ(face, stock.lfFaceName);
}

} // namespace
