// Host Lookup from its dialog to the lines in the pane, against the names of
// the test hosts file (see scripts/sandbox): plain.test has no alias,
// many.test ten, twice.test two addresses.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "frame/messages.h"
#include "frame/options.h"
#include "net/lookup_win.h"
#include "win/dialog_fixture_win.h"
#include "win/query_fixture_win.h"

namespace {

// The task of every lookup answer the main window has handled, those of
// cancelled lookups too.
std::vector<HANDLE> answered;
WNDPROC frameProc;

LRESULT CALLBACK RecordingFrameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CallWindowProcA(frameProc, hwnd, msg, wParam, lParam);
    if (msg == UM_HOSTLOOKUP)
        answered.push_back(reinterpret_cast<HANDLE>(wParam));
    return result;
}

class HostLookup : public Query {
protected:
    void SetUp() override
    {
        Query::SetUp();
        answered.clear();
        frameProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
            hwndMain, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingFrameProc)));
    }

    // Types `name` into the dialog and presses Enter.
    static void LookUp(const std::string &name)
    {
        AnswerDialog(IDM_HOSTLOOKUP, [name](HWND) {
            TypeText(name.c_str());
            PressKey(VK_RETURN);
        });
    }
    static bool Done() { return PumpUntil([] { return !bBusy; }); }
    // Until WinSock's answer to `task` has been handled: a cancelled
    // lookup's answer still comes, and nothing after it can change the pane.
    static bool Answered(HANDLE task)
    {
        return PumpUntil([task] {
            return std::find(answered.begin(), answered.end(), task) != answered.end();
        });
    }
};

TEST_F(HostLookup, ANameWithoutAliasesGivesOneLine)
{
    SetByteCountForTest(7);
    LookUp("plain.test");
    ASSERT_TRUE(Done());
    EXPECT_EQ(PaneText(), "plain.test: 127.0.0.71\r\n");
    EXPECT_STREQ(szHost, "plain.test");
    EXPECT_EQ(nQueryKind, QUERY_NONE);
    EXPECT_TRUE(Saw("")) << "the lookup starts by clearing the pane and the status";
    EXPECT_EQ(Title(), "Pellwick");
    EXPECT_EQ(Status(), "");
    EXPECT_EQ(cbReceived, 0u) << "the command counts from 0";
    EXPECT_TRUE(PumpUntil([] { return !bOutputGrayed; }, 2000))
        << "the answer can be copied and saved";
    EXPECT_TRUE(Enabled(IDM_FINGER)) << "idle again";
    EXPECT_EQ(hLookupTask, nullptr);
}

TEST_F(HostLookup, MoreThanEightAliasesShowTheFirstEight)
{
    LookUp("many.test");
    ASSERT_TRUE(Done());
    std::string expected = "many.test: 127.0.0.72\r\n";
    for (int i = 1; i <= 8; ++i)
        expected += "Alias: al" + std::to_string(i) + "\r\n";
    EXPECT_EQ(PaneText(), expected);
    EXPECT_STREQ(szHost, "al8") << "the last name written";
}

TEST_F(HostLookup, SeveralAddressesShowTheFirstAndAnAddressGoesBackward)
{
    LookUp("twice.test");
    ASSERT_TRUE(Done());
    EXPECT_EQ(PaneText(), "twice.test: 127.0.0.73\r\n");

    LookUp("127.0.0.71");
    ASSERT_TRUE(Done());
    EXPECT_EQ(PaneText(), "plain.test: 127.0.0.71\r\n");
}

TEST_F(HostLookup, AnUnknownNameSaysSoAndReturnsToIdle)
{
    LookUp("nowhere.test");
    ASSERT_TRUE(Done());
    EXPECT_EQ(PaneText(), "");
    EXPECT_EQ(Status(), " Authoritive: Host Not Found");
    EXPECT_EQ(nQueryKind, QUERY_NONE);
    EXPECT_TRUE(Enabled(IDM_HOSTLOOKUP));
}

// WinSock still answers a cancelled lookup; that late answer must not reach
// the pane, nor end the lookup that follows it.
TEST_F(HostLookup, CancelReturnsToIdleAndTheLateAnswerIsDropped)
{
    AnswerDialog(IDM_HOSTLOOKUP, [](HWND d) {
        SetDlgItemTextA(d, IDC_LOOKUPHOST, "many.test");
        PostMessageA(d, WM_COMMAND, IDOK, 0);
    });
    ASSERT_TRUE(bBusy);
    EXPECT_EQ(nQueryKind, QUERY_HOSTLOOKUP);
    const HANDLE cancelled = hLookupTask;
    ASSERT_NE(cancelled, nullptr);
    SendMessageA(hwndMain, WM_COMMAND, IDM_CANCELOP, 0);
    EXPECT_FALSE(bBusy);
    EXPECT_EQ(Status(), "Operation Cancelled");

    // The next lookup starts before the cancelled one's answer has come, as
    // the dialog's Ok would start it.
    // Its entry is for a name that is not found: the cancelled lookup's entry
    // must not stand in for it.
    BeginHostLookup("nowhere.test");
    ASSERT_TRUE(bBusy);
    ASSERT_TRUE(Done());
    ASSERT_TRUE(Answered(cancelled)) << "the cancelled lookup's late answer";
    EXPECT_EQ(PaneText(), "");
    EXPECT_EQ(Status(), " Authoritive: Host Not Found");
    EXPECT_EQ(Count("Operation Cancelled"), 1);
}

TEST_F(HostLookup, CancelBeforeAnyAnswerLeavesThePaneEmpty)
{
    AnswerDialog(IDM_HOSTLOOKUP, [](HWND d) {
        SetDlgItemTextA(d, IDC_LOOKUPHOST, "plain.test");
        PostMessageA(d, WM_COMMAND, IDOK, 0);
    });
    const HANDLE cancelled = hLookupTask;
    ASSERT_NE(cancelled, nullptr);
    SendMessageA(hwndMain, WM_COMMAND, IDM_CANCELOP, 0);
    ASSERT_TRUE(Answered(cancelled)) << "the cancelled lookup's late answer";
    EXPECT_EQ(PaneText(), "");
    EXPECT_EQ(Status(), "Operation Cancelled");
    EXPECT_EQ(Title(), "Pellwick");
    EXPECT_FALSE(bBusy);
}

// With IPv6 on, a name's IPv6 addresses follow its IPv4 entry, and an IPv6
// address is looked up backward (see scripts/sandbox: both.test has both
// families and an alias, v6only.test IPv6 alone). Off, IPv6 is not asked.
TEST_F(HostLookup, WithIpv6ANameShowsBothFamiliesAndAnIpv6AddressItsName)
{
    const struct {
        bool ipv6;
        const char *typed, *pane, *status;
    } cases[] = {
        {true, "both.test",
         "both.test: 127.0.0.123\r\nAlias: both-alias.test\r\nboth.test: 2001:db8::73\r\n", ""},
        {true, "v6only.test", "v6only.test: 2001:db8::70\r\n", ""},
        {true, "2001:db8::73", "both.test: 2001:db8::73\r\n", ""},
        {true, "[2001:DB8:0::73]", "both.test: 2001:db8::73\r\n", ""},
        {true, "plain.test", "plain.test: 127.0.0.71\r\n", ""},
        {true, "127.0.0.71", "plain.test: 127.0.0.71\r\n", ""},
        {true, "2001:db8::99", "", " Authoritive: Host Not Found"},
        {true, "nowhere.test", "", " Authoritive: Host Not Found"},
        {false, "both.test", "both.test: 127.0.0.123\r\nAlias: both-alias.test\r\n", ""},
        {false, "v6only.test", "", " Authoritive: Host Not Found"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed + std::string(c.ipv6 ? " with IPv6" : " without"));
        bUseIpv6 = c.ipv6;
        LookUp(c.typed);
        ASSERT_TRUE(Done());
        EXPECT_EQ(PaneText(), c.pane);
        EXPECT_EQ(Status(), c.status);
    }
    // A cancelled lookup's late answer reaches nothing.
    bUseIpv6 = true;
    BeginHostLookup("both.test");
    ASSERT_TRUE(bBusy);
    SendMessageA(hwndMain, WM_COMMAND, IDM_CANCELOP, 0);
    EXPECT_FALSE(bBusy);
    Sleep(200);
    Pump();
    EXPECT_EQ(PaneText(), "");
    EXPECT_EQ(Status(), "Operation Cancelled");
}

TEST_F(HostLookup, EscStartsNothing)
{
    SetWindowTextA(hwndMain, "before");
    AnswerDialog(IDM_HOSTLOOKUP, [](HWND) {
        TypeText("plain.test");
        PressKey(VK_ESCAPE);
    });
    EXPECT_FALSE(bBusy);
    EXPECT_EQ(Title(), "before");
}

// The resolver's answer, taken off the queue as it comes, so that a test can
// change it before the program sees it.
MSG TakeLookupAnswer()
{
    MSG msg = {};
    const DWORD start = GetTickCount();
    while (!PeekMessageA(&msg, hwndMain, UM_HOSTLOOKUP, UM_HOSTLOOKUP, PM_REMOVE) &&
           GetTickCount() - start < 10000)
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_POSTMESSAGE);
    return msg;
}

TEST_F(HostLookup, AFailedBackwardLookupAndAnEntryWithoutAddressSayWhy)
{
    BeginHostLookup("127.0.0.71");
    ASSERT_TRUE(bBusy);
    MSG answer = TakeLookupAnswer();
    ASSERT_EQ(answer.message, static_cast<UINT>(UM_HOSTLOOKUP));
    OnHostLookup(answer.wParam, WSAMAKEASYNCREPLY(0, 12345));
    EXPECT_EQ(Status(), " WSAAsyncGetHostByAddr() returned unknown 12345");
    EXPECT_FALSE(bBusy);

    BeginHostLookup("plain.test");
    ASSERT_TRUE(bBusy);
    answer = TakeLookupAnswer();
    ASSERT_EQ(answer.message, static_cast<UINT>(UM_HOSTLOOKUP));
    reinterpret_cast<hostent *>(bufHostEnt)->h_addr_list[0] = nullptr;
    DispatchMessageA(&answer);
    EXPECT_EQ(Status(), " Valid Name, no data record for type");
    EXPECT_FALSE(bBusy);
    Pump();
    EXPECT_EQ(PaneText(), "");
    EXPECT_TRUE(bOutputGrayed) << "nothing to save or copy";
}

} // namespace
