// Queries from the command line of the real program, as a script runs it:
// the answer saved byte for byte and the program ended with its exit code.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "e2e/program_runner_win.h"
#include "win/loopback_server_win.h"
#include "win/test_support_win.h"

namespace {

// Select All, posted behind whatever the test posted before: once the whole
// (short, non-empty) pane is selected, the program has handled all of it.
[[nodiscard]] bool SelectAllRoundTrip(HWND frame)
{
    PostMessageA(frame, WM_COMMAND, 203, 0);
    HWND pane = FindWindowExA(frame, nullptr, "Edit", nullptr);
    return WaitUntil(5000, [&] {
        const LRESULT sel = SendMessageA(pane, EM_GETSEL, 0, 0);
        return LOWORD(sel) == 0 && HIWORD(sel) > 0;
    });
}

class CommandLine : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The command line cuts at every '-': the path must have none.
        ASSERT_EQ(out.find('-'), std::string::npos) << out;
    }
    void TearDown() override { DeleteFileA(out.c_str()); }

    // The placement a run with -e must leave alone.
    const std::string placement =
        "[pellwick]\r\nleft=31\r\ntop=32\r\nright=210\r\nbottom=130\r\nhistory=1\r\n";
    const TestConfigFile ini{"cmdline", placement};
    const std::string out = UniqueTempPath("answer");
    ProgramRunner program;
};

TEST_F(CommandLine, FingerSavesTheAnswerAndEndsWithZero)
{
    LoopbackServer server("127.0.0.90", 79);
    ASSERT_TRUE(server.ok());
    server.Serve({SendBytes("Login: alice\n"), SendBytes("\tName: Alice\r\n")});
    EXPECT_EQ(program.RunToExit("-f:alice@127.0.0.90 -s:" + out + " -e"), 0u);
    ASSERT_TRUE(server.WaitServed(5000));
    EXPECT_EQ(server.Request(0), "alice\r\n");
    EXPECT_EQ(ReadWholeFile(out), "Login: alice\r\n        Name: Alice\r\n");
    EXPECT_EQ(ReadWholeFile(ini.path), placement) << "a run ended by -e writes no placement";
}

TEST_F(CommandLine, WhoisAndLongFingerSendTheirRequests)
{
    LoopbackServer whois("127.0.0.91", 43);
    ASSERT_TRUE(whois.ok());
    whois.Serve({SendBytes("Domain Name: EXAMPLE.COM\n")});
    EXPECT_EQ(program.RunToExit("-w:example.com@127.0.0.91 -s:" + out + " -e"), 0u);
    ASSERT_TRUE(whois.WaitServed(5000));
    EXPECT_EQ(whois.Request(0), "example.com\r\n");
    EXPECT_EQ(ReadWholeFile(out), "Domain Name: EXAMPLE.COM\r\n");

    LoopbackServer finger("127.0.0.92", 79);
    ASSERT_TRUE(finger.ok());
    finger.Serve({SendBytes("long\n")});
    EXPECT_EQ(program.RunToExit("-l -f:127.0.0.92 -e"), 0u);
    ASSERT_TRUE(finger.WaitServed(5000));
    EXPECT_EQ(finger.Request(0), "/W \r\n");
}

// An IPv6 address on the command line: with -6 it is reached, bare or in
// brackets, and the setting is not saved; without, the query cannot start.
TEST_F(CommandLine, WithSixAnIpv6AddressIsReachedForThisRunAlone)
{
    LoopbackServer whois("2001:db8::43", 43);
    ASSERT_TRUE(whois.ok());
    whois.Serve({SendBytes("Domain Name: EXAMPLE.COM\n")}, 2);
    EXPECT_EQ(program.RunToExit("-6 -w:example.com@2001:db8::43 -s:" + out + " -e"), 0u);
    EXPECT_EQ(ReadWholeFile(out), "Domain Name: EXAMPLE.COM\r\n");
    EXPECT_EQ(program.RunToExit("-w:example.com@[2001:db8::43] -s:" + out + " -6 -e"), 0u);
    ASSERT_TRUE(whois.WaitServed(5000));
    EXPECT_EQ(whois.Request(1), "example.com\r\n");
    EXPECT_EQ(ReadWholeFile(ini.path), placement) << "-6 is for one run";
    DeleteFileA(out.c_str());
    EXPECT_EQ(program.RunToExit("-w:example.com@2001:db8::43 -s:" + out + " -e"), 1u);
    EXPECT_FALSE(PathExists(out));
}

TEST_F(CommandLine, AnEmptyAnswerIsSavedAsAnEmptyFile)
{
    LoopbackServer server("127.0.0.93", 79);
    ASSERT_TRUE(server.ok());
    server.Serve({CloseNow()});
    EXPECT_EQ(program.RunToExit("-f:127.0.0.93 -s:" + out + " -e"), 0u);
    ASSERT_TRUE(PathExists(out));
    EXPECT_EQ(ReadWholeFile(out), "");
}

TEST_F(CommandLine, AQueryThatCannotStartEndsWithOneAndSavesNothing)
{
    // Nothing listens there: the connection is refused.
    EXPECT_EQ(program.RunToExit("-f:alice@127.0.0.94 -s:" + out + " -e"), 1u);
    EXPECT_FALSE(PathExists(out));
    // No host at all.
    EXPECT_EQ(program.RunToExit("-f:alice@ -s:" + out + " -e"), 1u);
    EXPECT_FALSE(PathExists(out));
}

TEST_F(CommandLine, ExitCodesSayWhetherTheAnswerAndItsFileAreWhole)
{
    LoopbackServer server("127.0.0.97", 79);
    ASSERT_TRUE(server.ok());
    // A server that answers and hangs up without reading the request: the
    // request meets a closed connection, which the platform reports as a
    // reset (3) or as the answer's end (0); either way the run ends, with
    // what came saved. A few runs, since which of them happens is a race.
    for (int run = 0; run < 4; ++run) {
        server.Serve({LeaveRequestUnread(), SendBytes("hello"), CloseNow()});
        DeleteFileA(out.c_str());
        const DWORD code = program.RunToExit("-f:alice@127.0.0.97 -s:" + out + " -e", 15000);
        EXPECT_TRUE(code == 0 || code == 3) << "run " << run << " ended with " << code;
        // The platform may drop what came with the reset, never keep part of it.
        const std::string saved = ReadWholeFile(out);
        EXPECT_TRUE(PathExists(out) && (saved == "hello" || saved.empty()))
            << "run " << run << " saved \"" << saved << "\"";
    }
    // The answer cannot be saved where no folder is.
    server.Serve({SendBytes("Login: alice\n")});
    const std::string nowhere = UniqueTempPath("nofolder") + "\\answer.txt";
    EXPECT_EQ(program.RunToExit("-f:127.0.0.97 -s:" + nowhere + " -e"), 2u);
}

TEST_F(CommandLine, WithReferralsTheWholeChainIsSavedAndItsEndSetsTheCode)
{
    LoopbackServer registry("127.0.0.81", 43), registrar("127.0.0.82", 43);
    ASSERT_TRUE(registry.ok() && registrar.ok());
    registry.Serve({SendBytes("refer: registrar.test\n")});
    registrar.Serve({SendBytes("Registrant: Alice\n")});
    EXPECT_EQ(program.RunToExit("-r -w:example.test@registry.test -s:" + out + " -e"), 0u);
    EXPECT_EQ(ReadWholeFile(out), "refer: registrar.test\r\n\r\n[Referral to registrar.test]\r\n"
                                  "Registrant: Alice\r\n");
    EXPECT_EQ(ReadWholeFile(ini.path), placement) << "-r is for this run alone";

    // Nobody answers at the referral: what came is saved, and the answer
    // counts as cut off.
    registry.Serve({SendBytes("refer: hop6.test\n")});
    EXPECT_EQ(program.RunToExit("-R -w:example.test@registry.test -s:" + out + " -e"), 3u);
    EXPECT_EQ(ReadWholeFile(out), "refer: hop6.test\r\n\r\n[Referral to hop6.test]\r\n");
}

TEST_F(CommandLine, ASyntaxErrorIsShownAndNothingStarts)
{
    HWND hwnd = program.Start("-f alice@127.0.0.95 -e");
    ASSERT_NE(hwnd, nullptr);
    HWND box = WaitForDialogBox(program.ProcessId(), "Pellwick Command Line Error");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), "Syntax error in command line option.");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    // Processing stopped before -e, but a script that gave -e is waiting:
    // the program ends as one whose query could not start.
    EXPECT_EQ(program.WaitForExit(10000), 1u);

    // Without -e it stays open and idle.
    hwnd = program.Start("-f alice@127.0.0.95");
    ASSERT_NE(hwnd, nullptr);
    box = WaitForDialogBox(program.ProcessId(), "Pellwick Command Line Error");
    ASSERT_NE(box, nullptr);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(program.WaitForExit(1500), 0xFFFFFFFFu);
    EXPECT_EQ(program.CloseAndWait(hwnd), 0u);
}

TEST_F(CommandLine, QuotesHoldHyphensAndBlanksAndUnicodeNamesGoAsALabels)
{
    // A folder and a file whose names the cutting at '-' would break.
    const std::string folder = UniqueTempPath("quoted") + "\\My Files-1";
    const std::string parent = folder.substr(0, folder.find_last_of('\\'));
    ASSERT_TRUE(CreateDirectoryA(parent.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const std::string file = folder + "\\whois-out.txt";
    LoopbackServer whois("127.0.0.91", 43); // registrar-rdap.test
    ASSERT_TRUE(whois.ok());
    const struct {
        const char *options, *wire, *answer, *saved;
    } cases[] = {
        {"-w:example.com@\"registrar-rdap.test\"", "example.com\r\n", "Domain Name: EXAMPLE.COM\n",
         "Domain Name: EXAMPLE.COM\r\n"},
        {"-w:\"example.com@registrar-rdap.test\"", "example.com\r\n", "ok\n", "ok\r\n"},
        {"-u -w:пример.рф@\"registrar-rdap.test\"", "xn--e1afmkfd.xn--p1ai\r\n",
         "Администратор: Иван\n", "Администратор: Иван\r\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.options);
        whois.Serve({SendBytes(c.answer)});
        EXPECT_EQ(program.RunToExit(std::string(c.options) + " -s:\"" + file + "\" -e"), 0u);
        ASSERT_TRUE(whois.WaitServed(5000));
        EXPECT_EQ(whois.Request(whois.Accepted() - 1), c.wire);
        EXPECT_EQ(ReadWholeFile(file), c.saved);
    }
    EXPECT_EQ(ReadWholeFile(ini.path), placement) << "-u is for this run alone";
    DeleteFileA(file.c_str());
    RemoveDirectoryA(folder.c_str());
    RemoveDirectoryA(parent.c_str());
}

TEST_F(CommandLine, NotificationCountsDownAsksAgainAndTellsTheUser)
{
    LoopbackServer server("127.0.0.96", 79);
    ASSERT_TRUE(server.ok());
    server.Serve({SendBytes("Login: bob\n")});
    HWND hwnd = program.Start("-n:2 -f:alice@127.0.0.96");
    ASSERT_NE(hwnd, nullptr);
    ASSERT_TRUE(server.WaitServed(10000));
    ASSERT_TRUE(WaitUntil(5000, [&] { return Caption(hwnd) == "Pellwick (Finger - 127.0.0.96)"; }))
        << Caption(hwnd);

    // The minute ticks, given by hand.
    server.Serve({SendBytes("Login: bob\nLogin: alice\n")});
    PostMessageA(hwnd, WM_TIMER, 10101, 0);
    EXPECT_TRUE(WaitUntil(5000, [&] {
        return Caption(hwnd) == "Pellwick - Next notify 1 minutes";
    })) << Caption(hwnd);
    PostMessageA(hwnd, WM_TIMER, 10101, 0);
    ASSERT_TRUE(server.WaitServed(10000));
    EXPECT_EQ(server.Request(1), "\r\n");
    HWND box = WaitForDialogBox(program.ProcessId(), "Pellwick Notify");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), "alice is logged on at 127.0.0.96");
    // The notification is over: nothing is left for Cancel Operation to end.
    HWND toolbar = FindWindowExA(hwnd, nullptr, "ToolbarWindow32", nullptr);
    EXPECT_TRUE(WaitUntil(5000, [&] {
        return SendMessageA(toolbar, TB_ISBUTTONENABLED, 1001, 0) == 0;
    })) << "Cancel Operation still offered under the notice";
    // Minutes that pass under the box start nothing: two ticks, the second
    // due at an interval of two.
    PostMessageA(hwnd, WM_TIMER, 10101, 0);
    PostMessageA(hwnd, WM_TIMER, 10101, 0);
    EXPECT_TRUE(SelectAllRoundTrip(hwnd)) << "the pane was cleared or Select All never ran";
    EXPECT_EQ(Caption(hwnd), "Pellwick (Finger - 127.0.0.96)");
    EXPECT_EQ(server.Accepted(), 2);
    int notices = 0;
    for (HWND w : VisibleWindows(program.ProcessId()))
        notices += Caption(w) == "Pellwick Notify";
    EXPECT_EQ(notices, 1);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil(5000, [&] { return !IsWindow(box); }));
    EXPECT_EQ(program.CloseAndWait(hwnd), 0u);
}

TEST_F(CommandLine, NotificationSwitchedOffInTheDialogStopsAtTheNextTick)
{
    LoopbackServer server("127.0.0.98", 79);
    ASSERT_TRUE(server.ok());
    server.Serve({SendBytes("Login: bob\n")}, 2);
    HWND hwnd = program.Start("-n:1 -f:alice@127.0.0.98");
    ASSERT_NE(hwnd, nullptr);
    const std::string done = "Pellwick (Finger - 127.0.0.98)";
    ASSERT_TRUE(WaitUntil(10000, [&] { return Caption(hwnd) == done; })) << Caption(hwnd);

    // The user opens the Finger dialog, unticks Notify If Logged In and asks
    // once more.
    HWND dialog = program.OpenDialog(hwnd, 101, "Finger");
    ASSERT_NE(dialog, nullptr);
    SendDlgItemMessageA(dialog, 2014, BM_CLICK, 0, 0);
    ASSERT_EQ(SendDlgItemMessageA(dialog, 2014, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    SendDlgItemMessageA(dialog, 2002, WM_SETTEXT, 0,
                        reinterpret_cast<LPARAM>("alice@127.0.0.98"));
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(server.WaitServed(10000));
    EXPECT_EQ(server.Request(1), "alice\r\n") << "without notification the user is asked for";
    ASSERT_TRUE(WaitUntil(10000, [&] { return Caption(hwnd) == done; })) << Caption(hwnd);

    // Two ticks, each due at an interval of one minute, then Select All: once
    // the pane is selected the ticks have been handled, and they started
    // nothing.
    PostMessageA(hwnd, WM_TIMER, 10101, 0);
    PostMessageA(hwnd, WM_TIMER, 10101, 0);
    ASSERT_TRUE(SelectAllRoundTrip(hwnd)) << "Select All never ran";
    EXPECT_EQ(Caption(hwnd), done);
    EXPECT_EQ(server.Accepted(), 2);
    EXPECT_EQ(program.CloseAndWait(hwnd), 0u);
}

} // namespace
