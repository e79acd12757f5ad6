// Find Text through the platform's Find dialog, driven as a user drives it.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/app_win.h"
#include "frame/frame_win.h"
#include "output/find_win.h"
#include "res/resource.h"
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

    // Find Text, type the text, press Find Next.
    static void FindNext(const char *text)
    {
        SendMessageA(hwndMain, WM_COMMAND, IDM_FINDTEXT, 0);
        ASSERT_NE(hwndFind, nullptr);
        SetDlgItemTextA(hwndFind, 1152, text); // the find-what field
        SendMessageA(hwndFind, WM_COMMAND, IDOK, 0);
        Pump();
    }

    static std::string Selection()
    {
        DWORD from = 0, to = 0;
        SendMessageA(hwndOutput, EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                     reinterpret_cast<LPARAM>(&to));
        std::string text;
        EXPECT_TRUE(OutputText(text));
        return text.substr(from, to - from);
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
