// The logged-in notification, with ticks given by sending the timer's
// WM_TIMER instead of waiting minutes.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "config/profile_values.h"
#include "frame/messages.h"
#include "net/notify_win.h"
#include "text/text_mode.h"
#include "text/unicode_win.h"
#include "win/loopback_server_win.h"
#include "win/query_fixture_win.h"

namespace {

// The notice box is task-modal: a timer of the test's own, run by the box's
// message loop, reads it and closes it.
struct NoticeWatch {
    int shown = 0;
    std::string caption, text;
    bool postTicks = true;   // three ticks go to the frame while the box is up
    bool ticksPosted = false;
    // Read under the box once those ticks have been handled.
    int ticksWhileShown = -1;
    bool queryUnderBox = false, cancelOffered = true;
};
NoticeWatch notice;

BOOL CALLBACK FindNotice(HWND hwnd, LPARAM found)
{
    char caption[64] = "";
    GetWindowTextA(hwnd, caption, sizeof caption);
    if (IsWindowVisible(hwnd) && std::string(caption) == "Pellwick Notify") {
        *reinterpret_cast<HWND *>(found) = hwnd;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK WatchForNotice(HWND, UINT, UINT_PTR, DWORD)
{
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindNotice, reinterpret_cast<LPARAM>(&box));
    if (box == nullptr)
        return;
    if (notice.postTicks && !notice.ticksPosted) {
        // The box's own loop hands these to the frame before this timer
        // comes round again.
        notice.ticksWhileShown = nNotifyTicks;
        notice.ticksPosted = true;
        for (int i = 0; i < 3; ++i)
            PostMessageA(hwndMain, WM_TIMER, TIMER_NOTIFY, 0);
        return;
    }
    if (notice.ticksPosted)
        notice.ticksWhileShown = nNotifyTicks - notice.ticksWhileShown;
    notice.queryUnderBox = bBusy || sockQuery != INVALID_SOCKET;
    notice.cancelOffered = SendMessageA(hwndToolbar, TB_ISBUTTONENABLED, IDM_CANCELOP, 0) != 0;
    char caption[64] = "";
    wchar_t text[600] = L"";
    GetWindowTextA(box, caption, sizeof caption);
    GetDlgItemTextW(box, 0xFFFF, text, 600);
    notice.caption = caption;
    notice.text = WideToUtf8(text, wcslen(text)); // as typed, whatever the code page
    ++notice.shown;
    notice.ticksPosted = false;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

class Notify : public Query {
protected:
    void SetUp() override
    {
        Query::SetUp();
        notice = NoticeWatch();
        watch = SetTimer(nullptr, 0, 100, WatchForNotice);
        nNotifyTicks = 0;
    }
    void TearDown() override
    {
        KillTimer(nullptr, watch);
        Query::TearDown();
    }

    // What the dialogs do when Notify If Logged In is ticked.
    static int StartNotify(const char *target, int minutes)
    {
        wOptions |= OPT_NOTIFY;
        nNotifyMinutes = minutes;
        StartNotifyTimer();
        return Finger(target);
    }

    static void Tick() { SendMessageA(hwndMain, WM_TIMER, TIMER_NOTIFY, 0); }

    UINT_PTR watch = 0;
};

TEST_F(Notify, CountsDownInTheTitleAndAsksAgainAtTheEndOfEachInterval)
{
    LoopbackServer server("127.0.0.80", 79);
    ASSERT_TRUE(server.ok());
    server.Serve({SendBytes("Login: bob\nLogin: carol\n")}, 2);
    ASSERT_EQ(StartNotify("alice@127.0.0.80", 3), 0) << Status();
    ASSERT_TRUE(PumpUntil(Completed));
    EXPECT_EQ(notice.shown, 0);
    EXPECT_TRUE(NotificationWaiting());
    Pump();
    EXPECT_TRUE(Enabled(IDM_CANCELOP)) << "Cancel must stay available between queries";

    Tick();
    EXPECT_EQ(Title(), "Pellwick - Next notify 2 minutes");
    Tick();
    EXPECT_EQ(Title(), "Pellwick - Next notify 1 minutes");
    EXPECT_FALSE(bBusy);
    Tick();
    EXPECT_TRUE(bBusy || Completed());
    ASSERT_TRUE(PumpUntil(Completed));
    ASSERT_TRUE(server.WaitServed(5000));
    // In notification mode the user is never sent: the whole list is asked.
    EXPECT_EQ(server.Request(0), "\r\n");
    EXPECT_EQ(server.Request(1), "\r\n");
    EXPECT_EQ(Title(), "Pellwick (Finger - 127.0.0.80)");
    EXPECT_EQ(notice.shown, 0);
}

TEST_F(Notify, AUserInsideALongerNameIsAnnouncedOnceAndTheNotificationEnds)
{
    LoopbackServer server("127.0.0.81", 79);
    ASSERT_TRUE(server.ok());
    server.Serve({SendBytes("Login: bob\nLogin: xalicex\n")}, 4);
    // Every minute would be due, yet the ticks that come under the box start
    // nothing: the notification ended before the box showed.
    ASSERT_EQ(StartNotify("alice@127.0.0.81", 1), 0) << Status();
    ASSERT_TRUE(PumpUntil(Completed));
    ASSERT_TRUE(PumpUntil([] { return notice.shown > 0; }));
    Pump();
    EXPECT_EQ(notice.shown, 1);
    EXPECT_EQ(notice.text, "alice is logged on at 127.0.0.81");
    EXPECT_EQ(notice.ticksWhileShown, 0);
    EXPECT_FALSE(notice.queryUnderBox);
    EXPECT_FALSE(notice.cancelOffered) << "nothing is left for Cancel to end";
    EXPECT_EQ(server.Accepted(), 1);
    EXPECT_FALSE(NotificationWaiting());
    EXPECT_EQ(nNotifyTicks, 0);
    EXPECT_EQ(nQueryKind, QUERY_NONE);
    EXPECT_NE(wOptions & OPT_NOTIFY, 0) << "the mode stays on after a find";
    // The find selects the name where it stands.
    DWORD from = 0, to = 0;
    SendMessageA(hwndOutput, EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                 reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(PaneText().substr(from, to - from), "alice");
}

TEST_F(Notify, AUserFoundInTheFirstAnswerNeverSeesACountdown)
{
    notice.postTicks = false;
    LoopbackServer server("127.0.0.87", 79);
    ASSERT_TRUE(server.ok());
    server.Serve({SendBytes("Login: alice\n")});
    ASSERT_EQ(StartNotify("alice@127.0.0.87", 3), 0) << Status();
    ASSERT_TRUE(PumpUntil(Completed));
    Pump();
    EXPECT_EQ(notice.shown, 1);
    EXPECT_EQ(Title(), "Pellwick (Finger - 127.0.0.87)");
    EXPECT_EQ(nNotifyTicks, 0);
}

TEST_F(Notify, ANameInOtherLetterCaseIsNotFound)
{
    LoopbackServer server("127.0.0.82", 79);
    ASSERT_TRUE(server.ok());
    server.Serve({SendBytes("Login: ALICE\n")});
    ASSERT_EQ(StartNotify("alice@127.0.0.82", 5), 0) << Status();
    ASSERT_TRUE(PumpUntil(Completed));
    EXPECT_EQ(notice.shown, 0);
    EXPECT_TRUE(NotificationWaiting());
}

TEST_F(Notify, WithUnicodeTextTheNameIsLookedForExactlyAndShownWhole)
{
    notice.postTicks = false;
    bUnicodeText = true;
    const std::string name = u8"j\u00fcrgen.\u043f\u0451\u0442\u0440";
    CopyBounded(szUser, sizeof szUser, name.c_str());
    CopyBounded(szHost, sizeof szHost, "finger.test");
    // Letter case counts beyond ASCII too.
    AppendOutput(u8"Login: J\u00dcRGEN.\u041f\u0401\u0422\u0420\r\n");
    EXPECT_EQ(CheckLoggedIn(), 0);
    EXPECT_EQ(notice.shown, 0);
    AppendOutput((u8"Login: " + name + u8"\r\n").c_str());
    EXPECT_EQ(CheckLoggedIn(), 1);
    EXPECT_EQ(notice.shown, 1);
    EXPECT_EQ(notice.text, name + " is logged on at finger.test");
    DWORD from = 0, to = 0;
    SendMessageA(hwndOutput, EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                 reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 27u) << "the second line, in UTF-16 units";
    EXPECT_EQ(to - from, 11u);
}

TEST_F(Notify, CancelDuringAQueryEndsBothWithOneNotice)
{
    LoopbackServer server("127.0.0.83", 79);
    ASSERT_TRUE(server.ok());
    server.Serve({SendBytes("Login: bob\n"), HoldOpen(20000)});
    ASSERT_EQ(StartNotify("alice@127.0.0.83", 3), 0) << Status();
    ASSERT_TRUE(PumpUntil([] { return cbReceived > 0; }));
    SendMessageA(hwndMain, WM_COMMAND, IDM_CANCELOP, 0);
    EXPECT_EQ(sockQuery, INVALID_SOCKET);
    EXPECT_FALSE(NotificationWaiting());
    EXPECT_EQ(wOptions & OPT_NOTIFY, 0);
    EXPECT_EQ(Count("Operation Cancelled"), 1);
    Pump();
    EXPECT_FALSE(Enabled(IDM_CANCELOP));
}

TEST_F(Notify, CancelBetweenQueriesStopsIt)
{
    LoopbackServer server("127.0.0.84", 79);
    ASSERT_TRUE(server.ok());
    server.Serve({SendBytes("Login: bob\n")});
    ASSERT_EQ(StartNotify("alice@127.0.0.84", 3), 0) << Status();
    ASSERT_TRUE(PumpUntil(Completed));
    Tick();
    SendMessageA(hwndMain, WM_COMMAND, IDM_CANCELOP, 0);
    EXPECT_EQ(Status(), "Operation Cancelled");
    EXPECT_FALSE(NotificationWaiting());
    EXPECT_EQ(wOptions & OPT_NOTIFY, 0);
}

TEST_F(Notify, ANewNotificationContinuesTheTickCount)
{
    LoopbackServer server("127.0.0.85", 79);
    ASSERT_TRUE(server.ok());
    server.Serve({SendBytes("Login: bob\n")}, 3);
    ASSERT_EQ(StartNotify("alice@127.0.0.85", 5), 0) << Status();
    ASSERT_TRUE(PumpUntil(Completed));
    Tick();
    Tick();
    SendMessageA(hwndMain, WM_COMMAND, IDM_CANCELOP, 0);
    EXPECT_EQ(nNotifyTicks, 2);

    ASSERT_EQ(StartNotify("alice@127.0.0.85", 3), 0) << Status();
    ASSERT_TRUE(PumpUntil(Completed));
    const int accepted = server.Accepted();
    Tick(); // the third tick of the run: due at once for an interval of 3
    EXPECT_EQ(Title().find("Next notify"), std::string::npos);
    ASSERT_TRUE(PumpUntil([&] { return server.Accepted() > accepted; }));
    ASSERT_TRUE(PumpUntil(Completed));
}

TEST_F(Notify, AQueryThatFallsDueWhileAnotherRunsWaitsForItsEnd)
{
    LoopbackServer server("127.0.0.86", 79);
    ASSERT_TRUE(server.ok());
    server.Serve({SendBytes("Login: bob\n"), HoldOpen(20000)});
    ASSERT_EQ(StartNotify("alice@127.0.0.86", 1), 0) << Status();
    ASSERT_TRUE(PumpUntil([] { return cbReceived > 0; }));
    const SOCKET running = sockQuery;
    Tick();
    EXPECT_EQ(sockQuery, running) << "the running query keeps its socket";
    EXPECT_EQ(server.Accepted(), 1);
    // Once it has ended the query that fell due runs.
    server.Serve({SendBytes("Login: carol\n")});
    ASSERT_TRUE(PumpUntil([&] { return server.Accepted() == 2; }));
    ASSERT_TRUE(PumpUntil(Completed));
    EXPECT_EQ(PaneText(), "Login: carol\r\n");
}

} // namespace
