// The frame of the real pellwick.exe as a user first meets it: which toolbar
// buttons can be pressed before any answer arrives, the output pane filling
// the space between the bars, and the tooltip naming each query button when
// the mouse rests on it. A screenshot of the last tooltip is kept beside the
// program under artifacts\frame.bmp for a person to look at.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "frame/frame_win.h"
#include "e2e/program_runner_win.h"
#include "e2e/screenshot_win.h"
#include "res/resource.h"
#include "win/test_support_win.h"

namespace {

// The four query buttons lead the toolbar, before its first separator.
struct QueryButton {
    int command;
    const char *tip;
};
const QueryButton kQueryButtonTips[4] = {
    {IDM_FINGER, "Finger"},
    {IDM_WHOIS, "WhoIs"},
    {IDM_ADDRBOOK, "Address Book (F12)"},
    {IDM_HOSTLOOKUP, "Host Lookup"},
};

// Greyed while the pane is empty or nothing is running.
const int kGreyAtStart[5] = {IDM_CANCELOP, IDM_SAVEAS, IDM_CLEAR, IDM_COPY, IDM_PRINT};

int ClientHeight(HWND hwnd)
{
    RECT rc = {};
    GetClientRect(hwnd, &rc);
    return rc.bottom - rc.top;
}

// A child's outer rectangle in its parent's client coordinates.
RECT RectInParent(HWND parent, HWND child)
{
    RECT rc = {};
    GetWindowRect(child, &rc);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT *>(&rc), 2);
    return rc;
}

bool IsButtonEnabled(HWND toolbar, int command)
{
    return SendMessageA(toolbar, TB_ISBUTTONENABLED, static_cast<WPARAM>(command), 0) != 0;
}

class Frame : public ::testing::Test {
protected:
    // Starts the program, finds the frame and its three children (a missing
    // one is a fatal failure of the calling test) and waits for it to be idle.
    void StartAndFindChildren()
    {
        frame = runner.Start();
        ASSERT_NE(frame, nullptr) << "no frame window appeared";
        toolbar = GetDlgItem(frame, IDC_TOOLBAR);
        status = GetDlgItem(frame, IDC_STATUS);
        output = GetDlgItem(frame, IDC_OUTPUT);
        ASSERT_NE(toolbar, nullptr);
        ASSERT_NE(status, nullptr);
        ASSERT_NE(output, nullptr);
        EXPECT_EQ(ClassOf(toolbar), "ToolbarWindow32");
        EXPECT_EQ(ClassOf(status), "msctls_statusbar32");
        EXPECT_EQ(ClassOf(output), "Edit");
        // The frame greys the output and cancel buttons from messages it
        // posts to itself while being made; the program is idle once they
        // have run.
        EXPECT_EQ(WaitForInputIdle(runner.Process(), 10000), 0u);
    }

    // The pane fills the frame's width between toolbar and status bar: it
    // starts a pixel below the toolbar's client height and leaves the status
    // bar its own.
    void ExpectPaneBetweenTheBars()
    {
        RECT client = {};
        GetClientRect(frame, &client);
        const int toolbarHeight = ClientHeight(toolbar);
        const int statusHeight = ClientHeight(status);
        const RECT pane = RectInParent(frame, output);
        EXPECT_EQ(pane.left, 0);
        EXPECT_EQ(pane.right, client.right);
        EXPECT_EQ(pane.top, toolbarHeight + 1);
        EXPECT_EQ(pane.bottom - pane.top, client.bottom - (statusHeight + toolbarHeight + 2));

        // The bars hug the frame's edges and the pane meets both: at most a
        // pixel apart from the status bar, whose border comctl32 may keep
        // (the pane then overlaps it) or drop (a one-pixel seam).
        const RECT bar = RectInParent(frame, toolbar);
        const RECT foot = RectInParent(frame, status);
        EXPECT_LE(bar.top, 0);
        EXPECT_EQ(foot.bottom, client.bottom);
        EXPECT_LE(pane.top, bar.bottom) << "gap under the toolbar";
        EXPECT_LE(std::abs(pane.bottom - foot.top), 1) << "pane and status bar apart";
    }

    // A frame wide enough for the whole toolbar, at a place of its own.
    const TestConfigFile ini{"frame", "[pellwick]\r\nleft=20\r\ntop=20\r\nright=260\r\n"
                                      "bottom=160\r\nhistory=0\r\n"};
    ProgramRunner runner;
    HWND frame = nullptr;
    HWND toolbar = nullptr;
    HWND status = nullptr;
    HWND output = nullptr;
};

TEST_F(Frame, OffersOnlyTheQueriesAtStartAndKeepsThePaneBetweenTheBars)
{
    ASSERT_NO_FATAL_FAILURE(StartAndFindChildren());
    for (const QueryButton &b : kQueryButtonTips)
        EXPECT_TRUE(IsButtonEnabled(toolbar, b.command)) << "button " << b.command;
    for (int command : kGreyAtStart)
        EXPECT_FALSE(IsButtonEnabled(toolbar, command)) << "button " << command;

    EXPECT_EQ(GetWindowTextLengthA(output), 0);
    EXPECT_NE(GetWindowLongA(output, GWL_STYLE) & ES_READONLY, 0);
    {
        SCOPED_TRACE("as opened");
        ExpectPaneBetweenTheBars();
    }

    // The user drags the frame larger and then smaller; the pane follows.
    const SIZE sizes[2] = {{700, 520}, {420, 260}};
    for (const SIZE &s : sizes) {
        SCOPED_TRACE(testing::Message() << "resized to " << s.cx << " x " << s.cy);
        SetWindowPos(frame, nullptr, 0, 0, s.cx, s.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        RECT rc = {};
        GetWindowRect(frame, &rc);
        ASSERT_EQ(rc.right - rc.left, s.cx);
        ASSERT_EQ(rc.bottom - rc.top, s.cy);
        ExpectPaneBetweenTheBars();
    }

    EXPECT_EQ(runner.CloseAndWait(frame), 0u);
}

TEST_F(Frame, NamesEachQueryButtonInATooltipUnderThePointer)
{
    ASSERT_NO_FATAL_FAILURE(StartAndFindChildren());

    const LRESULT size = SendMessageA(toolbar, TB_GETBUTTONSIZE, 0, 0);
    const int buttonWidth = LOWORD(size);
    ASSERT_GT(buttonWidth, 0);
    const int middle = ClientHeight(toolbar) / 2;

    HWND tip = nullptr;
    for (int i = 0; i < 4; ++i) {
        const QueryButton &b = kQueryButtonTips[i];
        SCOPED_TRACE(b.tip);
        POINT at = {i * buttonWidth + buttonWidth / 2, middle};
        ClientToScreen(toolbar, &at);
        ASSERT_TRUE(SetCursorPos(at.x, at.y));

        std::string shown;
        tip = nullptr;
        const bool seen = WaitUntil(5000, [&] {
            tip = FindVisibleWindow(runner.ProcessId(), TOOLTIPS_CLASSA);
            // The tooltip answers WM_GETTEXT with the text it shows.
            shown = tip != nullptr ? WindowText(tip) : "";
            return shown == b.tip;
        });
        ASSERT_TRUE(seen) << "pointer at " << at.x << "," << at.y << ": "
                          << (tip == nullptr ? "no tooltip" : "tooltip says \"" + shown + "\"");
    }

    // Kept before it is judged, so a failed run leaves the picture behind.
    Screenshot shot;
    ASSERT_TRUE(CaptureScreen(shot));
    const std::string path = ArtifactFolder() + "\\frame.bmp";
    EXPECT_TRUE(WriteBmp(path, shot)) << path;
    std::printf("screenshot: %s\n", path.c_str());

    // The capture shows the tooltip's pale background where the window is.
    RECT tipRect = {};
    GetWindowRect(tip, &tipRect);
    const long area = (tipRect.right - tipRect.left) * (tipRect.bottom - tipRect.top);
    ASSERT_GT(area, 0);
    EXPECT_GT(shot.CountColour(tipRect, GetSysColor(COLOR_INFOBK)), area / 2)
        << "the screenshot does not show the tooltip";

    EXPECT_EQ(runner.CloseAndWait(frame), 0u);
}

} // namespace
