// The main window as start-up creates it, in this process: placement,
// resources, placement tracking and the end of the message loop.
#include <gtest/gtest.h>

#include <string>

#include "app/app_win.h"
#include "config/config_win.h"
#include "config/profile_values.h"
#include "frame/placement_win.h"
#include "res/resource.h"
#include "win/main_window_fixture_win.h"
#include "win/test_support_win.h"

namespace {

using MainWindow = MainWindowTest;

TEST_F(MainWindow, OpensAtTheStoredPlacementWithItsTitle)
{
    const LONG units = GetDialogBaseUnits();
    EXPECT_EQ(nBaseUnitX, LOWORD(units));
    EXPECT_EQ(nBaseUnitY, HIWORD(units));

    EXPECT_EQ(WindowRectOf(hwndMain), DialogUnitRect(30, 25, 200, 120));
    EXPECT_EQ(Title(), "Pellwick32");
    EXPECT_EQ(ClassOf(hwndMain), "PELLWICK32");
}

TEST_F(MainWindow, CarriesTheMenuWithEveryCommand)
{
    HMENU menu = GetMenu(hwndMain);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(GetMenuItemCount(menu), 5);
    const UINT ids[] = {IDM_SAVEAS, IDM_PRINT, IDM_EXIT, IDM_COPY, IDM_CLEAR, IDM_SELECTALL,
                        IDM_FINDTEXT, IDM_ADDRBOOK, IDM_FONT, IDM_SETUP, IDM_HELPINDEX,
                        IDM_HELPCOMMANDS, IDM_HELPUSING, IDM_ABOUT};
    for (UINT id : ids)
        EXPECT_NE(GetMenuState(menu, id, MF_BYCOMMAND), static_cast<UINT>(-1)) << id;
    char text[64];
    GetMenuStringA(menu, IDM_COPY, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ(text, "&Copy\tCtrl+C");
}

TEST_F(MainWindow, AcceleratorsSendTheirCommands)
{
    LoadMainAccelerators(GetModuleHandleA(nullptr));
    ASSERT_NE(haccelMain, nullptr);
    ACCEL table[8];
    ASSERT_EQ(CopyAcceleratorTableA(haccelMain, table, 8), 4);
    struct {
        WORD key;
        WORD cmd;
        bool virtkey;
    } want[] = {{VK_RETURN, IDM_ENTER, true},
                {VK_F1, IDM_HELPUSING, true},
                {3, IDM_COPY, false},
                {VK_F12, IDM_ADDRBOOK, true}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(table[i].key, want[i].key) << i;
        EXPECT_EQ(table[i].cmd, want[i].cmd) << i;
        EXPECT_EQ((table[i].fVirt & FVIRTKEY) != 0, want[i].virtkey) << i;
    }
    DestroyAcceleratorTable(haccelMain);
    haccelMain = nullptr;
}

TEST_F(MainWindow, MovesAreRecordedButNotThoseOfMinimiseOrMaximise)
{
    MoveFrame(16, 48, 400, 240);
    EXPECT_EQ(nWinLeft, 16);
    EXPECT_EQ(nWinTop, 48);
    EXPECT_EQ(nWinWidth, 400);
    EXPECT_EQ(nWinHeight, 240);

    SendMessageA(hwndMain, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    Pump();
    EXPECT_FALSE(bTrackPlacement);
    EXPECT_EQ(nWinWidth, 400);
    SendMessageA(hwndMain, WM_SYSCOMMAND, SC_RESTORE, 0);
    Pump();
    EXPECT_TRUE(bTrackPlacement);
    EXPECT_EQ(nWinLeft, 16);
    EXPECT_EQ(nWinWidth, 400);

    SendMessageA(hwndMain, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    Pump();
    EXPECT_FALSE(bTrackPlacement);
    EXPECT_EQ(nWinLeft, 16);
    EXPECT_EQ(nWinHeight, 240);
}

TEST_F(MainWindow, ExitWritesThePlacementAndEndsTheLoopWithZero)
{
    MoveFrame(40, 80, 480, 320);
    PostMessageA(hwndMain, WM_COMMAND, IDM_EXIT, 0);
    // The real loop, as the program runs it, ends on the quit message.
    EXPECT_EQ(RunMessageLoop(), 0);
    EXPECT_FALSE(IsWindow(hwndMain));
    const std::string text = ReadWholeFile(path);
    for (const char *line : {"left=40", "top=80", "right=480", "bottom=320", "history=1"})
        EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
}

TEST_F(MainWindow, MaximiseThenCloseStoresTheLastNormalRectangle)
{
    MoveFrame(24, 40, 360, 280);
    SendMessageA(hwndMain, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    Pump();
    ASSERT_TRUE(IsZoomed(hwndMain));
    DestroyWindow(hwndMain);
    Pump();
    EXPECT_EQ(quitCode, 0);
    const std::string text = ReadWholeFile(path);
    for (const char *line : {"left=24", "top=40", "right=360", "bottom=280"})
        EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
}

TEST_F(MainWindow, AFirstRunWithoutAFileOpensAtTheDefaultPlacement)
{
    DestroyWindow(hwndMain);
    Pump();
    DeleteFileA(path.c_str());
    ASSERT_NE(CreateMainWindow(GetModuleHandleA(nullptr)), nullptr);
    const RECT rc = WindowRectOf(hwndMain);
    const RECT want = DialogUnitRect(20, 20, 280, 175);
    EXPECT_EQ(rc.left, want.left);
    EXPECT_EQ(rc.top, want.top);
    EXPECT_EQ(rc.right - rc.left, want.right - want.left);
    EXPECT_EQ(rc.bottom - rc.top, want.bottom - want.top);
}

} // namespace
