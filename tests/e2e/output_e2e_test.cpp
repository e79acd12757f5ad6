// The output commands on the real program, as a user gives them: an answer
// arrives from a loopback server, then Save As, Find Text and Font.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "config/config_names.h"
#include "e2e/program_runner_win.h"
#include "res/resource.h"
#include "win/loopback_server_win.h"
#include "win/test_support_win.h"

namespace {

class OutputCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        WSADATA data;
        WSAStartup(MAKEWORD(1, 1), &data);
        DeleteInstallKey();
        DeleteFileA(BareConfigPath().c_str());
        server = new LoopbackServer("127.0.0.97", 79);
        ASSERT_TRUE(server->ok());
        server->Serve({SendBytes("Login: alice\nName: Alice Example\n")});
        hwnd = program.Start("-f:alice@127.0.0.97");
        ASSERT_NE(hwnd, nullptr);
        ASSERT_TRUE(server->WaitServed(10000));
        pane = GetDlgItem(hwnd, 152);
        // GetWindowTextLength does not reach another process's control.
        ASSERT_TRUE(WaitUntil(5000, [&] { return SendMessageA(pane, WM_GETTEXTLENGTH, 0, 0) > 0; }));
    }
    void TearDown() override
    {
        if (hwnd != nullptr && IsWindow(hwnd)) {
            EXPECT_EQ(program.CloseAndWait(hwnd), 0u);
        }
        delete server;
        DeleteFileA(BareConfigPath().c_str());
        WSACleanup();
    }

    ProgramRunner program;
    LoopbackServer *server = nullptr;
    HWND hwnd = nullptr;
    HWND pane = nullptr;
};

TEST_F(OutputCommands, SaveAsWritesThePaneToTheChosenFile)
{
    const std::string out = UniqueTempPath("saved");
    PostMessageA(hwnd, WM_COMMAND, IDM_SAVEAS, 0);
    HWND box = WaitForDialogBox(program.ProcessId());
    ASSERT_NE(box, nullptr);
    SendMessageA(GetDlgItem(box, 1152), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(out.c_str()));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil(10000, [&] { return !ReadWholeFile(out).empty(); }));
    EXPECT_EQ(ReadWholeFile(out), "Login: alice\r\nName: Alice Example\r\n");
    DeleteFileA(out.c_str());
}

TEST_F(OutputCommands, FindTextSelectsTheHit)
{
    PostMessageA(hwnd, WM_COMMAND, IDM_FINDTEXT, 0);
    HWND box = WaitForDialogBox(program.ProcessId());
    ASSERT_NE(box, nullptr);
    SendMessageA(GetDlgItem(box, 1152), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Example"));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil(5000, [&] { return !IsWindow(box); })) << "the dialog closes";
    const DWORD sel = static_cast<DWORD>(SendMessageA(pane, EM_GETSEL, 0, 0));
    EXPECT_EQ(LOWORD(sel), 26);
    EXPECT_EQ(HIWORD(sel), 33);
}

TEST_F(OutputCommands, FontCancelledStillStoresTheFontInUse)
{
    PostMessageA(hwnd, WM_COMMAND, IDM_FONT, 0);
    HWND box = WaitForDialogBox(program.ProcessId());
    ASSERT_NE(box, nullptr);
    PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil(10000, [&] {
        return ReadWholeFile(BareConfigPath()).find("facename=") != std::string::npos;
    }));
    const std::string text = ReadWholeFile(BareConfigPath());
    EXPECT_NE(text.find("[font]"), std::string::npos) << text;
    EXPECT_NE(text.find("pitchandfamily="), std::string::npos) << text;
}

} // namespace
