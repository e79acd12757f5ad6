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
        DeleteInstallKey();
        DeleteFileA(BareConfigPath().c_str());
        ASSERT_TRUE(server.ok());
        server.Serve({SendBytes("Login: alice\nName: Alice Example\n")});
        hwnd = program.Start("-f:alice@127.0.0.97");
        ASSERT_NE(hwnd, nullptr);
        ASSERT_TRUE(server.WaitServed(10000));
        pane = GetDlgItem(hwnd, 152);
        // GetWindowTextLength does not reach another process's control.
        ASSERT_TRUE(WaitUntil(5000, [&] { return SendMessageA(pane, WM_GETTEXTLENGTH, 0, 0) > 0; }));
    }
    void TearDown() override
    {
        if (hwnd != nullptr && IsWindow(hwnd)) {
            EXPECT_EQ(program.CloseAndWait(hwnd), 0u);
        }
        DeleteFileA(BareConfigPath().c_str());
    }

    LoopbackServer server{"127.0.0.97", 79};
    ProgramRunner program;
    HWND hwnd = nullptr;
    HWND pane = nullptr;
};

TEST_F(OutputCommands, SaveAsWritesThePaneToTheChosenFile)
{
    const std::string out = UniqueTempPath("saved");
    HWND box = program.OpenDialog(hwnd, IDM_SAVEAS);
    ASSERT_NE(box, nullptr);
    SendMessageA(GetDlgItem(box, 1152), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(out.c_str()));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil(10000, [&] { return !ReadWholeFile(out).empty(); }));
    EXPECT_EQ(ReadWholeFile(out), "Login: alice\r\nName: Alice Example\r\n");
    DeleteFileA(out.c_str());
}

TEST_F(OutputCommands, FindTextSelectsTheHit)
{
    HWND box = program.OpenDialog(hwnd, IDM_FINDTEXT);
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
    HWND box = program.OpenDialog(hwnd, IDM_FONT);
    ASSERT_NE(box, nullptr);
    PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil(10000, [&] {
        return ReadWholeFile(BareConfigPath()).find("facename=") != std::string::npos;
    }));
    const std::string text = ReadWholeFile(BareConfigPath());
    EXPECT_NE(text.find("[font]"), std::string::npos) << text;
    EXPECT_NE(text.find("pitchandfamily="), std::string::npos) << text;
}

TEST_F(OutputCommands, SaveAsAsksBeforeReplacingAFile)
{
    const std::string any = UniqueTempPath("kept");
    const std::string bare = any.substr(0, any.size() - 4); // without ".ini"
    const std::string file = bare + ".txt";
    WriteWholeFile(file, "old");
    struct Step {
        std::string typed;
        WPARAM answer;
        std::string after;
    } steps[] = {
        // Typed without its extension: the program adds ".txt", and asks.
        {bare, IDNO, "old"},
        {file, IDYES, "Login: alice\r\nName: Alice Example\r\n"},
    };
    for (const Step &step : steps) {
        HWND box = program.OpenDialog(hwnd, IDM_SAVEAS);
        ASSERT_NE(box, nullptr);
        SendMessageA(GetDlgItem(box, 1152), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(step.typed.c_str()));
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(WaitUntil(10000, [&] { return !IsWindow(box); }));
        HWND question = WaitForDialogBox(program.ProcessId(), "Save As");
        ASSERT_NE(question, nullptr) << "no question before replacing " << file;
        EXPECT_EQ(MessageBoxText(question), "File already exists.\nDo you want to replace it?");
        EXPECT_EQ(GetWindow(question, GW_OWNER), hwnd);
        PostMessageA(question, WM_COMMAND, step.answer, 0);
        ASSERT_TRUE(WaitUntil(10000, [&] { return !IsWindow(question); }));
        // The program answers a sent message only back in its loop, when
        // Save As has done all it will.
        SendMessageA(hwnd, WM_NULL, 0, 0);
        EXPECT_EQ(ReadWholeFile(file), step.after) << "typed " << step.typed;
    }
    DeleteFileA(file.c_str());
}

TEST(AnswerText, GoesToTheEndWhereverTheUserHasPutTheCaret)
{
    DeleteInstallKey();
    DeleteFileA(BareConfigPath().c_str());
    // Three parts of 60 lines each; the server sends the next one when the
    // test has done what it does between them.
    std::string parts[3], shown;
    for (int p = 0; p < 3; ++p) {
        for (int i = 0; i < 60; ++i) {
            parts[p] += "part " + std::to_string(p) + " line " + std::to_string(i) + "\n";
            shown += "part " + std::to_string(p) + " line " + std::to_string(i) + "\r\n";
        }
    }
    const size_t partShown = shown.size() / 3;
    {
        LoopbackServer server("127.0.0.96", 79);
        ASSERT_TRUE(server.ok());
        server.Serve({SendBytes(parts[0]), WaitForGo(), SendBytes(parts[1]), WaitForGo(),
                      SendBytes(parts[2])});
        ProgramRunner program;
        HWND hwnd = program.Start("-f:alice@127.0.0.96");
        ASSERT_NE(hwnd, nullptr);
        HWND pane = GetDlgItem(hwnd, 152);
        auto holds = [&](size_t length) {
            return WaitUntil(10000, [&] {
                return static_cast<size_t>(SendMessageA(pane, WM_GETTEXTLENGTH, 0, 0)) == length;
            });
        };
        ASSERT_TRUE(holds(partShown));

        // The user selects a word near the top while the answer is coming.
        const WPARAM from = shown.find("line 5\r"), to = from + 4;
        SendMessageA(pane, EM_SETSEL, from, static_cast<LPARAM>(to));
        const LRESULT top = SendMessageA(pane, EM_GETFIRSTVISIBLELINE, 0, 0);
        server.Go();
        ASSERT_TRUE(holds(2 * partShown));
        EXPECT_TRUE(WindowText(pane) == shown.substr(0, 2 * partShown))
            << "the answer out of order";
        EXPECT_EQ(static_cast<DWORD>(SendMessageA(pane, EM_GETSEL, 0, 0)), MAKELONG(from, to));
        EXPECT_EQ(SendMessageA(pane, EM_GETFIRSTVISIBLELINE, 0, 0), top) << "the view moved";

        // With the caret at the end, the pane follows the answer.
        SendMessageA(pane, EM_SETSEL, 2 * partShown, static_cast<LPARAM>(2 * partShown));
        const LRESULT bottom = SendMessageA(pane, EM_GETFIRSTVISIBLELINE, 0, 0);
        server.Go();
        ASSERT_TRUE(holds(shown.size()));
        EXPECT_TRUE(WindowText(pane) == shown) << "the answer out of order";
        EXPECT_EQ(static_cast<DWORD>(SendMessageA(pane, EM_GETSEL, 0, 0)),
                  MAKELONG(shown.size(), shown.size()));
        EXPECT_GE(SendMessageA(pane, EM_GETFIRSTVISIBLELINE, 0, 0), bottom + 60);
        ASSERT_TRUE(server.WaitServed(10000));
        EXPECT_EQ(program.CloseAndWait(hwnd), 0u);
    }
    DeleteFileA(BareConfigPath().c_str());
}

} // namespace
