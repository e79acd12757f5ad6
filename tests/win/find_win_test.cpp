// Find Text through the platform's Find dialog, driven as a user drives it.
#include <gtest/gtest.h>

#include <windows.h>

#include <cwchar>
#include <string>

#include "app/app_win.h"
#include "frame/frame_win.h"
#include "output/find_win.h"
#include "res/resource.h"
#include "text/text_mode.h"
#include "text/unicode_win.h"
#include "win/main_window_fixture_win.h"
#include "win/test_support_win.h"

namespace {

// "Text not found!" is modal: a timer of the test's own reads and closes it.
std::string boxText;
int boxes;

void CALLBACK CloseTextNotFound(HWND, UINT, UINT_PTR, DWORD)
{
    HWND box = FindWindowA("#32770", nullptr);
    if (box == nullptr || box == hwndFind || !IsWindowVisible(box))
        return;
    boxText = MessageBoxText(box);
    ++boxes;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

class Find : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        boxText.clear();
        boxes = 0;
        timer = SetTimer(nullptr, 0, 100, CloseTextNotFound);
    }
    void TearDown() override
    {
        KillTimer(nullptr, timer);
        if (hwndFind != nullptr)
            DestroyWindow(hwndFind);
        hwndFind = nullptr;
        MainWindowTest::TearDown();
    }

    // Find Text, type the text (UTF-8: the dialog of either kind takes it as
    // typed, as far as it can hold it), press Find Next.
    static void FindNext(const std::string &text)
    {
        SendMessageA(hwndMain, WM_COMMAND, IDM_FINDTEXT, 0);
        ASSERT_NE(hwndFind, nullptr);
        SetDlgItemTextW(hwndFind, 1152, Utf8ToWide(text).c_str()); // the find-what field
        SendMessageA(hwndFind, WM_COMMAND, IDOK, 0);
        Pump();
    }

    // The selected text in UTF-8; the selection counts the pane's characters.
    static std::string Selection()
    {
        DWORD from = 0, to = 0;
        SendMessageA(hwndOutput, EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                     reinterpret_cast<LPARAM>(&to));
        std::wstring text;
        EXPECT_TRUE(OutputTextW(text));
        return WideToUtf8(text.substr(from, to - from));
    }

    static DWORD SelectionStart()
    {
        DWORD from = 0, to = 0;
        SendMessageA(hwndOutput, EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                     reinterpret_cast<LPARAM>(&to));
        return from;
    }

    UINT_PTR timer = 0;
};

TEST_F(Find, FindNextSelectsTheHitFocusesThePaneAndClosesTheDialog)
{
    AppendOutput("Login: alice\r\nName: Alice Example\r\n");
    SetFocus(hwndMain);
    FindNext("alice");
    EXPECT_EQ(Selection(), "alice");
    EXPECT_EQ(SelectionStart(), 7u);
    EXPECT_EQ(GetFocus(), hwndOutput);
    EXPECT_EQ(hwndFind, nullptr) << "the dialog closes after Find Next";
    EXPECT_EQ(boxes, 0);
}

TEST_F(Find, TheDialogShowsOnlyItsFindWhatFieldAndKeepsTheLastText)
{
    SendMessageA(hwndMain, WM_COMMAND, IDM_FINDTEXT, 0);
    ASSERT_NE(hwndFind, nullptr);
    // Direction buttons, Match case and Match whole word stay hidden.
    for (int id : {1056, 1057, 1040, 1041})
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(hwndFind, id))) << id;
    // A second Find Text brings the same dialog forward.
    HWND first = hwndFind;
    SendMessageA(hwndMain, WM_COMMAND, IDM_FINDTEXT, 0);
    EXPECT_EQ(hwndFind, first);
    SetDlgItemTextA(hwndFind, 1152, "plan");
    SendMessageA(hwndFind, WM_COMMAND, IDOK, 0);
    Pump();
    EXPECT_EQ(hwndFind, nullptr);
    SendMessageA(hwndMain, WM_COMMAND, IDM_FINDTEXT, 0);
    ASSERT_NE(hwndFind, nullptr);
    char text[64] = "";
    GetDlgItemTextA(hwndFind, 1152, text, sizeof text);
    EXPECT_STREQ(text, "plan");
}

TEST_F(Find, OtherLetterCaseIsNotFoundButPartsOfWordsAre)
{
    AppendOutput("Login: alice\r\n");
    FindNext("ALICE");
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(boxText, "Text not found!");
    FindNext("lic");
    EXPECT_EQ(Selection(), "lic");
    EXPECT_EQ(boxes, 1);
}

TEST_F(Find, RepeatedSearchesWalkThroughEveryHitAndComeRound)
{
    AppendOutput("ab ab ab");
    SendMessageA(hwndOutput, EM_SETSEL, 0, 0);
    FindNext("ab");
    EXPECT_EQ(SelectionStart(), 0u) << "a hit at the very start";
    FindNext("ab");
    EXPECT_EQ(SelectionStart(), 3u);
    FindNext("ab");
    EXPECT_EQ(SelectionStart(), 6u);
    FindNext("ab");
    EXPECT_EQ(SelectionStart(), 0u);
    EXPECT_EQ(boxes, 0);
}

TEST_F(Find, WithUnicodeTextLetterCaseIsIgnoredBeyondAscii)
{
    bUnicodeText = true;
    const std::string muenchen = u8"M\u00fcnchen", primer = u8"\u043f\u0440\u0438\u043c\u0435\u0440",
                      moskva = u8"\u041c\u043e\u0441\u043a\u0432\u0430";
    AppendOutput((u8"Ort: " + muenchen + u8"\r\nStadt: " + primer +
                  u8"\r\nGru\u00df: M\u00dcNCHEN\r\n").c_str());
    SendMessageA(hwndOutput, EM_SETSEL, 0, 0);
    // Each search goes on after the last hit; the places count UTF-16 units.
    struct Step {
        std::string typed, found;
        DWORD at;
        int boxes;
    } steps[] = {
        {u8"M\u00dcNCHEN", muenchen, 5, 0},
        {u8"\u041f\u0420\u0418\u041c\u0415\u0420", primer, 21, 0},
        {u8"m\u00fcnchen", u8"M\u00dcNCHEN", 35, 0}, // a hit beyond the first
        {u8"m\u00fcnchen", muenchen, 5, 0},            // and round to the top
        {moskva, muenchen, 5, 1},                       // not there: the box, nothing moves
    };
    for (const Step &step : steps) {
        FindNext(step.typed);
        EXPECT_EQ(Selection(), step.found) << step.typed;
        EXPECT_EQ(SelectionStart(), step.at) << step.typed;
        EXPECT_EQ(boxes, step.boxes) << step.typed;
    }
    // The dialog opens again on the last text, whole.
    SendMessageA(hwndMain, WM_COMMAND, IDM_FINDTEXT, 0);
    ASSERT_NE(hwndFind, nullptr);
    wchar_t text[16] = L"";
    GetDlgItemTextW(hwndFind, 1152, text, 16);
    EXPECT_EQ(WideToUtf8(text, wcslen(text)), moskva);
}

TEST_F(Find, TheMainLoopGivesTheUnicodeDialogWhatIsTypedWhole)
{
    bUnicodeText = true;
    SendMessageA(hwndMain, WM_COMMAND, IDM_FINDTEXT, 0);
    ASSERT_NE(hwndFind, nullptr);
    HWND field = GetDlgItem(hwndFind, 1152);
    SetWindowTextW(field, L"");
    SetFocus(field);
    // A letter no Western code page holds, as the keyboard posts it; the
    // loop runs until the quit behind it.
    PostMessageW(field, WM_CHAR, 0x043F, 1);
    PostQuitMessage(0);
    EXPECT_EQ(RunMessageLoop(), 0);
    wchar_t text[8] = L"";
    GetWindowTextW(field, text, 8);
    EXPECT_STREQ(text, L"\x043f");
}

TEST_F(Find, TextBeyondSixtyFourKilobytesIsSearchedWhole)
{
    std::string text;
    while (text.size() < 100000)
        text += "Login: nobody\r\n";
    text += "Login: needle\r\n";
    AppendOutput(text.c_str());
    FindNext("needle");
    EXPECT_EQ(Selection(), "needle");
    EXPECT_GT(SelectionStart(), 100000u);
}

} // namespace
