// The frame as the real window procedure builds and drives it: toolbar
// records, busy and output states, layout, tooltips, status text, cursor and
// colours.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "app/app_win.h"
#include "app/mainwnd_win.h"
#include "frame/frame_win.h"
#include "frame/messages.h"
#include "net/notify_win.h"
#include "net/query_win.h"
#include "output/find_win.h"
#include "output/save_win.h"
#include "res/resource.h"
#include "win/main_window_fixture_win.h"
#include "win/test_support_win.h"

namespace {

using Frame = MainWindowTest;

bool ButtonEnabled(int id)
{
    return SendMessageA(hwndToolbar, TB_ISBUTTONENABLED, static_cast<WPARAM>(id), 0) != 0;
}

bool MenuGreyed(int id)
{
    const UINT state = GetMenuState(GetMenu(hwndMain), static_cast<UINT>(id), MF_BYCOMMAND);
    return (state & (MF_GRAYED | MF_DISABLED)) != 0;
}

void Post(int id) { PostMessageA(hwndMain, WM_COMMAND, static_cast<WPARAM>(id), 0); }

const int kOutputMenu[] = {IDM_PRINT, IDM_SAVEAS, IDM_CLEAR, IDM_SELECTALL, IDM_COPY,
                           IDM_FINDTEXT};
const int kOutputTools[] = {IDM_SAVEAS, IDM_CLEAR, IDM_COPY, IDM_PRINT};
const int kQueryTools[] = {IDM_FINGER, IDM_WHOIS, IDM_ADDRBOOK, IDM_HOSTLOOKUP};

// The query buttons are offered while idle, Cancel Operation while busy.
void ExpectBusyButtons(bool busy)
{
    for (int id : kQueryTools)
        EXPECT_EQ(ButtonEnabled(id), !busy) << (busy ? "busy" : "idle") << ": button " << id;
    EXPECT_EQ(ButtonEnabled(IDM_CANCELOP), busy);
}

// The output commands as the menu and the toolbar offer them.
void ExpectOutputCommands(const char *when, bool inMenu, bool onToolbar)
{
    for (int id : kOutputMenu)
        EXPECT_EQ(MenuGreyed(id), !inMenu) << when << ": menu command " << id;
    for (int id : kOutputTools)
        EXPECT_EQ(ButtonEnabled(id), onToolbar) << when << ": button " << id;
}

TEST_F(Frame, ToolbarHoldsItsThirteenRecordsInOrder)
{
    ASSERT_NE(hwndToolbar, nullptr);
    EXPECT_EQ(GetDlgCtrlID(hwndToolbar), 1);
    ASSERT_EQ(SendMessageA(hwndToolbar, TB_BUTTONCOUNT, 0, 0), 13);
    struct {
        int image, command;
        bool separator;
    } want[13] = {{0, 101, false}, {1, 304, false}, {2, 305, false}, {9, 1007, false},
                  {0, 0, true},    {3, 106, false}, {4, 202, false}, {5, 201, false},
                  {0, 0, true},    {6, 102, false}, {0, 0, true},    {8, 1001, false},
                  {7, 903, false}};
    for (int i = 0; i < 13; ++i) {
        TBBUTTON b = {};
        ASSERT_TRUE(
            SendMessageA(hwndToolbar, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&b)));
        EXPECT_EQ(b.idCommand, want[i].command) << "record " << i;
        EXPECT_EQ((b.fsStyle & TBSTYLE_SEP) != 0, want[i].separator) << "record " << i;
        if (!want[i].separator) {
            EXPECT_EQ(b.iBitmap, want[i].image) << "record " << i;
        }
    }
    EXPECT_EQ(GetDlgCtrlID(hwndOutput), 152);
    EXPECT_EQ(GetDlgCtrlID(hwndStatus), 10102);
    EXPECT_EQ(SendMessageA(hwndMain, UM_GETTOOLBAR, 0, 0), reinterpret_cast<LRESULT>(hwndToolbar));
}

TEST_F(Frame, QueryButtonsFollowTheBusyState)
{
    ExpectBusyButtons(false);
    for (bool busy : {true, false}) {
        SCOPED_TRACE(busy ? "busy" : "idle again");
        if (busy)
            EnterBusyForTest();
        else
            ResetBusyState();
        Post(IDM_UPDATEBUSYSTATE);
        Pump();
        ExpectBusyButtons(busy);
    }
}

TEST_F(Frame, OutputCommandsAreGreyedUntilAnAnswerArrivesAndAgainAfterClear)
{
    EXPECT_TRUE(bOutputGrayed);
    ExpectOutputCommands("at first", false, false);

    // What the close of a query connection does once the answer is in.
    AppendOutput("Login: root\r\nNo Plan.\r\n");
    OfferOutput();
    Pump();
    EXPECT_FALSE(bOutputGrayed);
    ExpectOutputCommands("with an answer", true, true);

    Post(IDM_CLEAR);
    Pump();
    EXPECT_EQ(GetWindowTextLengthA(hwndOutput), 0);
    EXPECT_TRUE(bOutputGrayed);
    ExpectOutputCommands("after Clear", false, false);
}

TEST_F(Frame, ASingleLineEnablesTheMenuButNotTheToolbar)
{
    AppendOutput("Connection refused");
    OfferOutput();
    Pump();
    ExpectOutputCommands("with one line", true, false);
}

TEST_F(Frame, TheOutputStateCommandShowsTheStateAsItStands)
{
    // However often it comes, and in whatever order with a clear, the last
    // word is what the pane holds: an answer offered and then cleared away.
    AppendOutput("Login: root\r\nNo Plan.\r\n");
    OfferOutput();
    Post(IDM_UPDATEOUTPUTSTATE);
    Post(IDM_CLEAR);
    Post(IDM_UPDATEOUTPUTSTATE);
    Pump();
    EXPECT_TRUE(bOutputGrayed);
    EXPECT_TRUE(MenuGreyed(IDM_SAVEAS));
    OfferOutput();
    OfferOutput();
    Pump();
    EXPECT_FALSE(bOutputGrayed);
    EXPECT_FALSE(MenuGreyed(IDM_SAVEAS));
}

TEST_F(Frame, ClearOnAnEmptyGreyedPaneChangesOnlyTitleAndStatus)
{
    ASSERT_TRUE(bOutputGrayed);
    SetWindowTextA(hwndMain, "Finger - Received 10 bytes.");
    SetStatusText("Connection Closed.");
    EXPECT_EQ(StatusText(), "Connection Closed.");
    SendMessageA(hwndMain, WM_COMMAND, IDM_CLEAR, 0);
    EXPECT_EQ(Title(), "Pellwick");
    EXPECT_EQ(StatusText(), "");
    // No flip was posted: the commands stay greyed after the queue drains.
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, hwndMain, WM_COMMAND, WM_COMMAND, PM_NOREMOVE));
    Pump();
    EXPECT_TRUE(bOutputGrayed);
    EXPECT_TRUE(MenuGreyed(IDM_CLEAR));
}

TEST_F(Frame, OutputPaneSitsBetweenToolbarAndStatusBarAtEverySize)
{
    const SIZE sizes[] = {{640, 400}, {300, 200}, {900, 700}, {200, 30}, {120, 5}};
    for (const SIZE &s : sizes) {
        SCOPED_TRACE(testing::Message() << "client area " << s.cx << "x" << s.cy);
        ResizeClient(s.cx, s.cy);
        RECT client, tb, sb, out;
        GetClientRect(hwndMain, &client);
        GetClientRect(hwndToolbar, &tb);
        GetClientRect(hwndStatus, &sb);
        GetWindowRect(hwndOutput, &out);
        MapWindowPoints(nullptr, hwndMain, reinterpret_cast<POINT *>(&out), 2);
        const int w = client.right, h = client.bottom;
        const int want = h - (sb.bottom + tb.bottom + 2);
        EXPECT_EQ(out.left, 0);
        EXPECT_EQ(out.top, tb.bottom + 1);
        EXPECT_EQ(out.right, w);
        // A frame too small for both bars leaves the pane empty.
        EXPECT_EQ(out.bottom - out.top, want > 0 ? want : 0);
        RECT sbw;
        GetWindowRect(hwndStatus, &sbw);
        MapWindowPoints(nullptr, hwndMain, reinterpret_cast<POINT *>(&sbw), 2);
        EXPECT_EQ(sbw.bottom, h) << "status bar along the bottom";
    }
}

TEST_F(Frame, TooltipsComeFromTheStringTableAndOtherNotificationsAnswerOne)
{
    struct {
        int id;
        const char *text;
    } tips[] = {{IDM_FINGER, "Finger"},
                {IDM_WHOIS, "WhoIs"},
                {IDM_ADDRBOOK, "Address Book (F12)"},
                {IDM_HOSTLOOKUP, "Host Lookup"},
                {IDM_SAVEAS, "Save As"},
                {IDM_CLEAR, "Clear Output"},
                {IDM_COPY, "Copy to Clipboard"},
                {IDM_PRINT, "Print"},
                {IDM_CANCELOP, "Cancel Operation"},
                {IDM_HELPCOMMANDS, "Help (F1)"}};
    for (const auto &t : tips) {
        NMTTDISPINFOA info = {};
        info.hdr.hwndFrom = hwndToolbar;
        info.hdr.idFrom = static_cast<UINT_PTR>(t.id);
        info.hdr.code = TTN_NEEDTEXTA;
        EXPECT_EQ(SendMessageA(hwndMain, WM_NOTIFY, static_cast<WPARAM>(t.id),
                               reinterpret_cast<LPARAM>(&info)),
                  0);
        ASSERT_NE(info.lpszText, nullptr);
        EXPECT_STREQ(info.lpszText, t.text);
    }
    NMHDR click = {hwndStatus, 10102, static_cast<UINT>(NM_CLICK)};
    EXPECT_EQ(SendMessageA(hwndMain, WM_NOTIFY, 10102, reinterpret_cast<LPARAM>(&click)), 1);
}

TEST_F(Frame, BusyCursorAndWhitePane)
{
    EnterBusyForTest();
    EXPECT_EQ(SendMessageA(hwndMain, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwndMain), 0), 1);
    EXPECT_EQ(GetCursor(), hcurBusy);
    ResetBusyState();

    HDC dc = GetDC(hwndOutput);
    const LRESULT pane =
        SendMessageA(hwndMain, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(hwndOutput));
    EXPECT_EQ(pane, reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH)));
    const LRESULT other =
        SendMessageA(hwndMain, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(hwndStatus));
    EXPECT_NE(other, reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH)));
    ReleaseDC(hwndOutput, dc);
    EXPECT_NE(GetWindowLongA(hwndOutput, GWL_STYLE) & ES_READONLY, 0);
}

TEST_F(Frame, StatusTextReplacesThePreviousOne)
{
    SetStatusText("Resolving example");
    SetStatusText("Connected to example");
    EXPECT_EQ(StatusText(), "Connected to example");
    EXPECT_TRUE(SendMessageA(hwndStatus, SB_ISSIMPLE, 0, 0));
    SetStatusText("");
    EXPECT_EQ(StatusText(), "");
}

TEST_F(Frame, NoMemoryForTheTextEndsInZeroNotInAnException)
{
    const std::string answer = "Login: alice\r\n" + std::string(100000, 'x');
    AppendOutput(answer.c_str());
    std::snprintf(szUser, sizeof szUser, "alice");
    const std::string saveFile = UniqueTempPath("nomemory");
    WriteWholeFile(saveFile, "an earlier answer");
    const std::string piece(200000, 'y');
    {
        FailAllocations tight(64 * 1024);
        std::string text;
        EXPECT_FALSE(OutputText(text));
        EXPECT_EQ(SaveOutputToFile(saveFile.c_str()), 0);
        EXPECT_EQ(FindInOutput(hwndOutput, -1, "alice"), 0);
        EXPECT_EQ(CheckLoggedIn(), 0);
        // A piece too large to gather goes into the pane at once.
        QueueOutput(piece.c_str(), piece.size());
    }
    EXPECT_EQ(static_cast<size_t>(GetWindowTextLengthA(hwndOutput)), answer.size() + piece.size());
    EXPECT_EQ(ReadWholeFile(saveFile), "an earlier answer") << "a failed save left the file emptied";
    DeleteFileA(saveFile.c_str());
}

} // namespace
