// Printing through the page seam: what each page receives, in which order,
// and how a cancel ends the job.
#include <gtest/gtest.h>

#include <windows.h>

#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "app/app_win.h"
#include "frame/frame_win.h"
#include "output/print_win.h"
#include "text/text_mode.h"
#include "text/unicode_win.h"
#include "win/main_window_fixture_win.h"

namespace {

struct Page {
    std::vector<std::string> lines;
    std::vector<int> ys;
};

class Recorder : public PageOutput {
public:
    std::string name;
    std::vector<Page> pages;
    bool ended = false, abandoned = false, startFails = false;
    int cancelAfterPage = -1;
    bool boxSeen = false, ownerDisabled = false;
    // Runs when that page ends, inside the platform's call to the abort
    // procedure as the page is spooled; the page fails if the job is
    // abandoned there.
    int actAfterPage = -1;
    std::function<void()> act;

    bool wide = false; // the job came in UTF-16; its name and lines are kept in UTF-8

    bool StartJob(const char *documentName) override
    {
        name = documentName;
        boxSeen = hwndPrintBox != nullptr && IsWindowVisible(hwndPrintBox);
        ownerDisabled = !IsWindowEnabled(hwndMain);
        return !startFails;
    }
    bool StartJobW(const wchar_t *documentName) override
    {
        wide = true;
        return StartJob(WideToUtf8(documentName, wcslen(documentName)).c_str());
    }
    void StartPage() override { pages.emplace_back(); }
    void Line(int y, const char *text, int length) override
    {
        pages.back().lines.emplace_back(text, static_cast<size_t>(length));
        pages.back().ys.push_back(y);
    }
    void LineW(int y, const wchar_t *text, int length) override
    {
        const std::string utf8 = WideToUtf8(text, static_cast<size_t>(length));
        Line(y, utf8.c_str(), static_cast<int>(utf8.size()));
    }
    bool EndPage() override
    {
        if (static_cast<int>(pages.size()) == cancelAfterPage)
            SendMessageA(hwndPrintBox, WM_COMMAND, IDCANCEL, 0); // the user presses Cancel
        if (static_cast<int>(pages.size()) == actAfterPage) {
            act();
            return AbortProc(nullptr, 0) != FALSE;
        }
        return true;
    }
    void EndJob() override { ended = true; }
    void AbandonJob() override { abandoned = true; }
};

// 60 lines of 10 units on a page, 80 characters of 10 units on a line.
const PrintMetrics kPage = {8, 2, 10, 800, 600};

using Print = MainWindowTest;

void FillLines(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "line " + std::to_string(i) + (i + 1 < count ? "\r\n" : "");
    AppendOutput(text.c_str());
}

TEST_F(Print, PagesHoldTheirLinesAtTheirPlaces)
{
    FillLines(130);
    Recorder r;
    EXPECT_EQ(PrintPane(hwndMain, kPage, 1, true, r), 1);
    ASSERT_EQ(r.pages.size(), 3u);
    EXPECT_EQ(r.pages[0].lines.size(), 60u);
    EXPECT_EQ(r.pages[1].lines.size(), 60u);
    EXPECT_EQ(r.pages[2].lines.size(), 10u);
    EXPECT_EQ(r.pages[1].lines[0], "line 60");
    EXPECT_EQ(r.pages[2].lines[9], "line 129");
    EXPECT_EQ(r.pages[0].ys[59], 590);
    EXPECT_TRUE(r.ended);
    EXPECT_TRUE(r.boxSeen);
    EXPECT_TRUE(r.ownerDisabled);
    EXPECT_TRUE(IsWindowEnabled(hwndMain));
    EXPECT_EQ(hwndPrintBox, nullptr);
}

TEST_F(Print, CopiesComeCollatedOrPageByPage)
{
    FillLines(130);
    Recorder collated, grouped;
    PrintPane(hwndMain, kPage, 2, true, collated);
    PrintPane(hwndMain, kPage, 2, false, grouped);
    auto firstLines = [](const Recorder &r) {
        std::vector<std::string> v;
        for (const Page &p : r.pages)
            v.push_back(p.lines[0]);
        return v;
    };
    EXPECT_EQ(firstLines(collated), (std::vector<std::string>{"line 0", "line 60", "line 120",
                                                              "line 0", "line 60", "line 120"}));
    EXPECT_EQ(firstLines(grouped), (std::vector<std::string>{"line 0", "line 0", "line 60",
                                                             "line 60", "line 120", "line 120"}));
}

TEST_F(Print, ExactlyOnePageAndAnEmptyPane)
{
    FillLines(60);
    Recorder full;
    PrintPane(hwndMain, kPage, 1, true, full);
    EXPECT_EQ(full.pages.size(), 1u) << "no blank page after a full one";

    SendMessageA(hwndMain, WM_COMMAND, 202, 0);
    Recorder empty;
    EXPECT_EQ(PrintPane(hwndMain, kPage, 1, true, empty), 1);
    ASSERT_EQ(empty.pages.size(), 1u);
    ASSERT_EQ(empty.pages[0].lines.size(), 1u);
    EXPECT_EQ(empty.pages[0].lines[0], "");
}

TEST_F(Print, LongLinesAreCutAndTheTitleNamesTheJob)
{
    AppendOutput((std::string(100, 'x') + "\r\nshort").c_str());
    SetWindowTextA(hwndMain, "Pellwick (Finger - a.very.long.host.name.example.org)");
    Recorder r;
    PrintPane(hwndMain, kPage, 1, true, r);
    ASSERT_EQ(r.pages.size(), 1u);
    EXPECT_EQ(r.pages[0].lines[0], std::string(80, 'x'));
    EXPECT_EQ(r.pages[0].lines[1], "short");
    EXPECT_EQ(r.name, std::string("Pellwick (Finger - a.very.long.host.name.example.org)").substr(0, 39));
    EXPECT_FALSE(r.wide) << "the code page's text goes out as its bytes";
}

TEST_F(Print, UnicodeTextIsPrintedInUtf16AndCutByItsUnits)
{
    bUnicodeText = true;
    std::string cyrillic; // 100 letters, 200 bytes of UTF-8
    for (int i = 0; i < 100; ++i)
        cyrillic += u8"\u0416";
    AppendOutput((cyrillic + u8"\r\nStra\u00dfe\r\n\ud55c\uad6d\uc5b4").c_str());
    SetFrameTitle(u8"Pellwick (Finger - \u043f\u0440\u0438\u043c\u0435\u0440.example)");
    Recorder r;
    EXPECT_EQ(PrintPane(hwndMain, kPage, 1, true, r), 1);
    EXPECT_TRUE(r.wide);
    EXPECT_EQ(r.name, u8"Pellwick (Finger - \u043f\u0440\u0438\u043c\u0435\u0440.example)");
    ASSERT_EQ(r.pages.size(), 1u);
    EXPECT_EQ(r.pages[0].lines, (std::vector<std::string>{
                                    cyrillic.substr(0, 160), // 80 letters on a line of 80
                                    u8"Stra\u00dfe", u8"\ud55c\uad6d\uc5b4"}));
}

TEST_F(Print, CancelEndsTheJobAtOnceWithoutAnEndOfDocument)
{
    FillLines(300);
    Recorder r;
    r.cancelAfterPage = 2;
    EXPECT_EQ(PrintPane(hwndMain, kPage, 1, true, r), 0);
    EXPECT_EQ(r.pages.size(), 2u);
    EXPECT_FALSE(r.ended);
    EXPECT_TRUE(r.abandoned);
    EXPECT_TRUE(IsWindowEnabled(hwndMain));
    EXPECT_EQ(hwndPrintBox, nullptr);
}

TEST_F(Print, AJobThatCannotStartOrADeviceTooSmallPrintsNothing)
{
    FillLines(5);
    Recorder refused;
    refused.startFails = true;
    EXPECT_EQ(PrintPane(hwndMain, kPage, 1, true, refused), 0);
    EXPECT_TRUE(refused.pages.empty());
    EXPECT_FALSE(refused.ended);
    EXPECT_TRUE(IsWindowEnabled(hwndMain));

    Recorder tiny;
    EXPECT_EQ(PrintPane(hwndMain, {8, 2, 1000, 800, 600}, 1, true, tiny), 0);
    EXPECT_TRUE(tiny.pages.empty());
    EXPECT_TRUE(IsWindowEnabled(hwndMain));
}

TEST_F(Print, ThePrintBoxCannotBeClosedFromItsCaption)
{
    hwndPrintBox = CreateDialogA(GetModuleHandleA(nullptr), "PRINTDLGBOX", hwndMain, PrintDlgProc);
    ASSERT_NE(hwndPrintBox, nullptr);
    const UINT state = GetMenuState(GetSystemMenu(hwndPrintBox, FALSE), SC_CLOSE, MF_BYCOMMAND);
    EXPECT_NE(state & MF_GRAYED, 0u);
    bPrintAbort = false;
    EnableWindow(hwndMain, FALSE);
    // Escape reaches the procedure as a command and cancels like the button.
    SendMessageA(hwndPrintBox, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(bPrintAbort);
    EXPECT_EQ(hwndPrintBox, nullptr);
    EXPECT_TRUE(IsWindowEnabled(hwndMain));
}

TEST_F(Print, PanesOfMoreThan32767LinesPrintWhole)
{
    FillLines(40000);
    Recorder r;
    EXPECT_EQ(PrintPane(hwndMain, kPage, 1, true, r), 1);
    ASSERT_EQ(r.pages.size(), 667u);
    EXPECT_EQ(r.pages.back().lines.back(), "line 39999");
}

TEST_F(Print, TheJobPrintsThePaneAsItStoodWhenItStarted)
{
    FillLines(130);
    Recorder r;
    // A notification tick clears the pane and a new answer fills it while
    // the first page is spooled.
    r.actAfterPage = 1;
    r.act = [] {
        SendMessageA(hwndMain, WM_COMMAND, 202, 0);
        AppendOutput("another answer\r\n");
    };
    EXPECT_EQ(PrintPane(hwndMain, kPage, 1, true, r), 1);
    ASSERT_EQ(r.pages.size(), 3u);
    EXPECT_EQ(r.pages[1].lines[0], "line 60");
    ASSERT_EQ(r.pages[2].lines.size(), 10u);
    EXPECT_EQ(r.pages[2].lines[9], "line 129");
}

TEST_F(Print, AQuitWhilePrintingAbandonsTheJobAndEndsTheProgramAfterIt)
{
    struct Case {
        const char *what;
        std::function<void()> act;
        int code;
    } cases[] = {
        // A command-line query with -e completes while the pages go out.
        {"quit posted", [] { PostMessageA(hwndMain, WM_QUIT, 7, 0); }, 7},
        // The main window is destroyed while the pages go out.
        {"window destroyed", [] { DestroyWindow(hwndMain); }, 0},
    };
    for (const Case &c : cases) {
        if (!IsWindow(hwndMain)) {
            ASSERT_NE(CreateMainWindow(GetModuleHandleA(nullptr)), nullptr);
        }
        FillLines(130);
        Recorder r;
        r.actAfterPage = 1;
        r.act = c.act;
        quitCode = -1;
        EXPECT_EQ(PrintPane(hwndMain, kPage, 1, true, r), 0) << c.what;
        EXPECT_EQ(r.pages.size(), 1u) << c.what;
        EXPECT_TRUE(r.abandoned) << c.what;
        EXPECT_FALSE(r.ended) << c.what;
        EXPECT_EQ(hwndPrintBox, nullptr) << c.what;
        Pump();
        EXPECT_EQ(quitCode, c.code) << c.what << ": the quit reaches the message loop";
    }
}

TEST_F(Print, ManyCopiesOrNoMemoryForTheTextEndTheJobWithoutAnException)
{
    FillLines(130);
    {
        FailAllocations tight(64 * 1024);
        // 30,000 copies of three pages are printed one page after another,
        // not listed first.
        Recorder many;
        many.cancelAfterPage = 1;
        EXPECT_EQ(PrintPane(hwndMain, kPage, 30000, false, many), 0);
        EXPECT_EQ(many.pages.size(), 1u);
    }
    SendMessageA(hwndMain, WM_COMMAND, 202, 0);
    AppendOutput(std::string(100000, 'x').c_str());
    Recorder none;
    {
        FailAllocations tight(64 * 1024);
        EXPECT_EQ(PrintPane(hwndMain, kPage, 1, true, none), 0);
    }
    EXPECT_TRUE(none.pages.empty());
    EXPECT_TRUE(IsWindowEnabled(hwndMain));
}

} // namespace
