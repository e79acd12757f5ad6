// The Finger and Address Book dialogs, driven in-process as a user drives
// them: typing, clicking, Enter and Esc; then the query they start and the
// configuration file they leave.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/app_win.h"
#include "frame/frame_win.h"
#include "frame/messages.h"
#include "frame/options.h"
#include "frame/placement_win.h"
#include "net/notify_win.h"
#include "net/query_win.h"
#include "res/resource.h"
#include "win/dialog_fixture_win.h"
#include "win/loopback_server_win.h"
#include "win/test_support_win.h"

namespace {

using Strings = std::vector<std::string>;

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

class FingerDialogs : public InstalledDialogs {
protected:
    void SetUp() override
    {
        InstalledDialogs::SetUp();
        wOptions = 0;
        bHistory = 1;
    }
    void TearDown() override
    {
        // Whatever a test left running ends as the user would end it.
        if (bBusy || NotificationWaiting())
            CancelOperation();
        wOptions = 0;
        Pump();
        InstalledDialogs::TearDown();
    }
    [[nodiscard]] static bool Idle()
    {
        return PumpUntil([] { return !bBusy && sockQuery == INVALID_SOCKET; }, 10000);
    }
    static std::string History(const char *key) { return Key("__History__", key); }
    static Strings StoredHistory()
    {
        Strings v;
        const int n = std::stoi(History("count"));
        for (int i = 0; i < n; ++i)
            v.push_back(History(("host" + std::to_string(i)).c_str()));
        return v;
    }
    static std::string Book(const char *key) { return Key("__AddBk__", key); }
};

// ---- Finger: history ---------------------------------------------------------

TEST_F(FingerDialogs, HistoryOnWithoutASectionGivesAnEmptyComboOpenOnThreeMinutes)
{
    std::string field, interval, targetClass;
    size_t listed = 99;
    bool focused = false;
    Run(IDM_FINGER, [&](HWND d) {
        HWND target = GetDlgItem(d, IDC_TARGET);
        targetClass = ClassOf(target);
        field = Text(d, IDC_TARGET);
        listed = Listed(d, IDC_TARGET).size();
        interval = Text(d, IDC_FREQUENCY);
        focused = IsChild(target, GetFocus()) || GetFocus() == target;
        PressKey(VK_ESCAPE);
    });
    EXPECT_EQ(targetClass, "ComboBox");
    EXPECT_EQ(field, "");
    EXPECT_EQ(listed, 0u);
    EXPECT_EQ(interval, "3");
    EXPECT_TRUE(focused) << "the target field takes the keyboard first";
    EXPECT_FALSE(bBusy) << "Esc starts nothing";
}

TEST_F(FingerDialogs, TypedTargetMovesToTheTopInTheCaseTypedLast)
{
    StoreFile("[__History__]\r\ncount=3\r\nhost0=a\r\nhost1=b\r\nhost2=c\r\n");
    std::string field;
    Strings listed;
    Run(IDM_FINGER, [&](HWND d) {
        field = Text(d, IDC_TARGET);
        listed = Listed(d, IDC_TARGET);
        SetDlgItemTextA(d, IDC_TARGET, "");
        TypeText("B");
        PressKey(VK_RETURN);
    });
    EXPECT_EQ(field, "a");
    EXPECT_EQ(listed, (Strings{"a", "b", "c"}));
    ASSERT_TRUE(Idle());
    EXPECT_EQ(StoredHistory(), (Strings{"B", "a", "c"}));
}

TEST_F(FingerDialogs, TenStoredAndANewOneKeepsTheTenNewest)
{
    std::string lines = "[__History__]\r\ncount=10\r\n";
    for (int i = 0; i < 10; ++i)
        lines += "host" + std::to_string(i) + "=t" + std::to_string(i) + "\r\n";
    StoreFile(lines);
    Run(IDM_FINGER, [&](HWND d) {
        SetDlgItemTextA(d, IDC_TARGET, "new");
        PostMessageA(d, WM_COMMAND, IDOK, 0);
    });
    ASSERT_TRUE(Idle());
    EXPECT_EQ(StoredHistory(),
              (Strings{"new", "t0", "t1", "t2", "t3", "t4", "t5", "t6", "t7", "t8"}));
    EXPECT_EQ(History("host10"), "<none>");
}

TEST_F(FingerDialogs, AnEmptyTargetIsRememberedAndTheQuerySaysNoHost)
{
    StoreFile("[__History__]\r\ncount=1\r\nhost0=a\r\n");
    Run(IDM_FINGER, [&](HWND d) {
        SetDlgItemTextA(d, IDC_TARGET, "");
        PostMessageA(d, WM_COMMAND, IDOK, 0);
    });
    ASSERT_TRUE(Idle());
    EXPECT_EQ(StoredHistory(), (Strings{"", "a"}));
    EXPECT_EQ(StatusText(), "No host specified");
    EXPECT_FALSE(bBusy);
}

TEST_F(FingerDialogs, ALongTargetIsKeptWhole)
{
    const std::string target = "user@" + std::string(200, 'h') + ".test";
    Run(IDM_FINGER, [&](HWND d) {
        SetDlgItemTextA(d, IDC_TARGET, target.c_str());
        PostMessageA(d, WM_COMMAND, IDOK, 0);
    });
    ASSERT_TRUE(Idle());
    EXPECT_EQ(History("host0"), target);
    std::string field;
    Run(IDM_FINGER, [&](HWND d) {
        field = Text(d, IDC_TARGET);
        PressKey(VK_ESCAPE);
    });
    EXPECT_EQ(field, target);
}

TEST_F(FingerDialogs, HistoryOffGivesAnEditFieldAndLeavesTheFileAlone)
{
    StoreFile("[__History__]\r\ncount=1\r\nhost0=a\r\n");
    const std::string before = ReadWholeFile(bare);
    bHistory = 0;
    std::string targetClass, field;
    Run(IDM_FINGER, [&](HWND d) {
        targetClass = ClassOf(GetDlgItem(d, IDC_TARGET));
        field = Text(d, IDC_TARGET);
        PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(targetClass, "Edit");
    EXPECT_EQ(field, "");
    Run(IDM_FINGER, [&](HWND) {
        TypeText("nobody");
        PressKey(VK_RETURN);
    });
    ASSERT_TRUE(Idle());
    EXPECT_EQ(ReadWholeFile(bare), before);
}

TEST_F(FingerDialogs, SetupSwitchesHistoryOffForTheNextFingerDialogOnly)
{
    StoreFile("[pellwick]\r\nhistory=1\r\n[__History__]\r\ncount=1\r\nhost0=a\r\n");
    Run(IDM_SETUP, [&](HWND d) {
        SendDlgItemMessageA(d, IDC_HISTORY, BM_CLICK, 0, 0);
        PressKey(VK_RETURN);
    });
    std::string targetClass;
    Run(IDM_FINGER, [&](HWND d) {
        targetClass = ClassOf(GetDlgItem(d, IDC_TARGET));
        PressKey(VK_ESCAPE);
    });
    EXPECT_EQ(targetClass, "Edit");
    EXPECT_EQ(Key("pellwick", "history"), "1") << "the switch is written when the program ends";
}

// ---- Finger: options and the query ------------------------------------------

TEST_F(FingerDialogs, LongOutputAndNotifyExcludeEachOtherAndOutliveCancel)
{
    struct Seen {
        bool longChecked, notifyEnabled, notifyChecked, longEnabled;
    } afterLong{}, afterBoth{}, afterNotify{};
    Run(IDM_FINGER, [&](HWND d) {
        SendDlgItemMessageA(d, IDC_LONGOUTPUT, BM_CLICK, 0, 0);
        afterLong = {Checked(d, IDC_LONGOUTPUT), Enabled(d, IDC_NOTIFY), Checked(d, IDC_NOTIFY),
                     Enabled(d, IDC_LONGOUTPUT)};
        SendDlgItemMessageA(d, IDC_LONGOUTPUT, BM_CLICK, 0, 0);
        SendDlgItemMessageA(d, IDC_NOTIFY, BM_CLICK, 0, 0);
        afterNotify = {Checked(d, IDC_LONGOUTPUT), Enabled(d, IDC_NOTIFY),
                       Checked(d, IDC_NOTIFY), Enabled(d, IDC_LONGOUTPUT)};
        PressKey(VK_ESCAPE);
    });
    EXPECT_TRUE(afterLong.longChecked);
    EXPECT_FALSE(afterLong.notifyEnabled) << "Long Output greys Notify out";
    EXPECT_TRUE(afterNotify.notifyChecked);
    EXPECT_FALSE(afterNotify.longChecked);
    EXPECT_FALSE(afterNotify.longEnabled) << "Notify greys Long Output out";
    EXPECT_TRUE(afterNotify.notifyEnabled);
    EXPECT_EQ(wOptions, OPT_NOTIFY) << "the clicks act at once and Cancel keeps them";

    // The next opening shows the bits as they are. With both set (the
    // command line can do that) neither box is locked: each can be cleared.
    wOptions = OPT_LONG | OPT_NOTIFY;
    Run(IDM_FINGER, [&](HWND d) {
        afterBoth = {Checked(d, IDC_LONGOUTPUT), Enabled(d, IDC_NOTIFY), Checked(d, IDC_NOTIFY),
                     Enabled(d, IDC_LONGOUTPUT)};
        SendDlgItemMessageA(d, IDC_LONGOUTPUT, BM_CLICK, 0, 0);
        PressKey(VK_ESCAPE);
    });
    EXPECT_TRUE(afterBoth.longChecked && afterBoth.notifyChecked);
    EXPECT_TRUE(afterBoth.longEnabled && afterBoth.notifyEnabled);
    EXPECT_EQ(wOptions, OPT_NOTIFY);
}

TEST_F(FingerDialogs, OkWithNotifyAt45MinutesStartsTheTimerAndTheQuery)
{
    LoopbackServer server("127.0.0.75", 79);
    ASSERT_TRUE(server.ok());
    server.Serve({SendBytes("Login: bob\r\n")});
    nNotifyMinutes = 3;
    Run(IDM_FINGER, [&](HWND d) {
        SetDlgItemTextA(d, IDC_TARGET, "alice@127.0.0.75");
        SendDlgItemMessageA(d, IDC_NOTIFY, BM_CLICK, 0, 0);
        HWND list = GetDlgItem(d, IDC_FREQUENCY);
        const LRESULT at =
            SendMessageA(list, CB_FINDSTRINGEXACT, 0, reinterpret_cast<LPARAM>("45"));
        SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
        PostMessageA(d, WM_COMMAND, IDOK, 0);
    });
    // The timer runs before the request goes out: already when Ok returns,
    // the connection being made then.
    EXPECT_EQ(nNotifyMinutes, 45);
    EXPECT_TRUE(NotificationWaiting());
    ASSERT_TRUE(Idle());
    ASSERT_TRUE(server.WaitServed(5000));
    EXPECT_EQ(server.Request(0), "\r\n") << "notification asks for everyone logged in";
    EXPECT_TRUE(NotificationWaiting()) << "alice was not in the answer: it keeps waiting";
}

TEST_F(FingerDialogs, ATimedQueryDueUnderTheDialogWaitsUntilItsQueryHasRun)
{
    LoopbackServer server("127.0.0.78", 79);
    ASSERT_TRUE(server.ok());
    server.Serve({SendBytes("Login: bob\r\n")}, 3);
    wOptions = OPT_NOTIFY;
    nNotifyMinutes = 1;
    StartNotifyTimer();
    char target[] = "bob@127.0.0.78";
    ParseFingerTarget(target);
    bool startedUnderDialog = true;
    Run(IDM_ADDRBOOK, [&](HWND d) {
        // A minute falls due while the user types.
        SendMessageA(hwndMain, WM_TIMER, TIMER_NOTIFY, 0);
        startedUnderDialog = bBusy || sockQuery != INVALID_SOCKET;
        SetDlgItemTextA(d, IDC_ADDRBOOK, "carol@127.0.0.78");
        PostMessageA(d, WM_COMMAND, IDOK, 0);
    });
    EXPECT_FALSE(startedUnderDialog);
    ASSERT_TRUE(Idle());
    // The dialog's query ran alone; the one that fell due follows it.
    ASSERT_TRUE(PumpUntil([&] { return server.Accepted() == 2; }, 5000));
    ASSERT_TRUE(Idle());
    EXPECT_EQ(server.Accepted(), 2);
}

TEST_F(FingerDialogs, LongOutputIsAskedFor)
{
    LoopbackServer server("127.0.0.76", 79);
    ASSERT_TRUE(server.ok());
    server.Serve({SendBytes("x\r\n")});
    Run(IDM_FINGER, [&](HWND d) {
        SetDlgItemTextA(d, IDC_TARGET, "carol@127.0.0.76");
        SendDlgItemMessageA(d, IDC_LONGOUTPUT, BM_CLICK, 0, 0);
        PostMessageA(d, WM_COMMAND, IDOK, 0);
    });
    ASSERT_TRUE(Idle());
    ASSERT_TRUE(server.WaitServed(5000));
    EXPECT_EQ(server.Request(0), "/W carol\r\n");
}

// ---- Address Book -------------------------------------------------------------

TEST_F(FingerDialogs, BookShowsTheFileLastFirstAndAddAppends)
{
    StoreFile("[__AddBk__]\r\ncount=3\r\nhost0=a\r\nhost1=b\r\nhost2=c\r\n");
    std::string title, field;
    Strings listed, afterAdd;
    bool addShown = false;
    Run(IDM_ADDRBOOK, [&](HWND d) {
        title = Caption(d);
        addShown = IsWindowVisible(GetDlgItem(d, IDC_ADDENTRY)) != FALSE;
        field = Text(d, IDC_ADDRBOOK);
        listed = Listed(d, IDC_ADDRBOOK);
        SetDlgItemTextA(d, IDC_ADDRBOOK, "d");
        SendDlgItemMessageA(d, IDC_ADDENTRY, BM_CLICK, 0, 0);
        // Already listed, in another letter case: not added again.
        SetDlgItemTextA(d, IDC_ADDRBOOK, "A");
        SendDlgItemMessageA(d, IDC_ADDENTRY, BM_CLICK, 0, 0);
        afterAdd = Listed(d, IDC_ADDRBOOK);
        PressKey(VK_ESCAPE);
    });
    EXPECT_EQ(title, "Finger Address Book");
    EXPECT_TRUE(addShown);
    EXPECT_EQ(field, "c");
    EXPECT_EQ(listed, (Strings{"c", "b", "a"}));
    EXPECT_EQ(afterAdd, (Strings{"c", "b", "a", "d"}));
    EXPECT_EQ(Book("count"), "4");
    EXPECT_EQ(Book("host3"), "d");
    EXPECT_EQ(Book("host4"), "<none>");
}

TEST_F(FingerDialogs, BookDeleteRewritesInListOrder)
{
    StoreFile("[__AddBk__]\r\ncount=4\r\nhost0=d\r\nhost1=a\r\nhost2=b\r\nhost3=c\r\n");
    std::string selected, afterMiss;
    Strings listed, reopened;
    Run(IDM_ADDRBOOK, [&](HWND d) {
        SetDlgItemTextA(d, IDC_ADDRBOOK, "b");
        SendDlgItemMessageA(d, IDC_DELETEENTRY, BM_CLICK, 0, 0);
        selected = Text(d, IDC_ADDRBOOK);
        listed = Listed(d, IDC_ADDRBOOK);
        SetDlgItemTextA(d, IDC_ADDRBOOK, "zzz");
        SendDlgItemMessageA(d, IDC_DELETEENTRY, BM_CLICK, 0, 0);
        afterMiss = Text(d, IDC_ADDRBOOK);
        PressKey(VK_ESCAPE);
    });
    EXPECT_EQ(listed, (Strings{"c", "a", "d"}));
    EXPECT_EQ(selected, "a") << "the entry after the deleted one";
    EXPECT_EQ(afterMiss, "c") << "a name not listed selects the first";
    EXPECT_EQ(Book("count"), "3");
    EXPECT_EQ(Book("host0"), "c");
    EXPECT_EQ(Book("host1"), "a");
    EXPECT_EQ(Book("host2"), "d");
    EXPECT_EQ(Book("host3"), "<none>");
    Run(IDM_ADDRBOOK, [&](HWND d) {
        reopened = Listed(d, IDC_ADDRBOOK);
        PressKey(VK_ESCAPE);
    });
    EXPECT_EQ(reopened, (Strings{"d", "a", "c"}));
}

TEST_F(FingerDialogs, BookOkNeedsATargetAndCountsOnFromThePreviousQuery)
{
    LoopbackServer server("127.0.0.77", 79);
    ASSERT_TRUE(server.ok());
    server.Serve({SendBytes("0123456789")});
    SetByteCountForTest(100);
    bool openAfterEmptyOk = false;
    size_t listed = 99;
    Run(IDM_ADDRBOOK, [&](HWND d) {
        listed = Listed(d, IDC_ADDRBOOK).size();
        SendMessageA(d, WM_COMMAND, IDOK, 0);
        openAfterEmptyOk = IsWindow(d) && IsWindowVisible(d);
        TypeText("dave@127.0.0.77");
        SendDlgItemMessageA(d, IDC_NOTIFY, BM_CLICK, 0, 0);
        HWND list = GetDlgItem(d, IDC_FREQUENCY);
        SendMessageA(list, CB_SETCURSEL, 2, 0); // 10 minutes
        PressKey(VK_RETURN);
    });
    EXPECT_EQ(listed, 0u);
    EXPECT_TRUE(openAfterEmptyOk) << "Ok with an empty field keeps the dialog open";
    EXPECT_EQ(nNotifyMinutes, 10);
    EXPECT_TRUE(NotificationWaiting());
    ASSERT_TRUE(Idle());
    ASSERT_TRUE(server.WaitServed(5000));
    EXPECT_EQ(server.Request(0), "\r\n");
    EXPECT_STREQ(szUser, "dave");
    EXPECT_EQ(cbReceived, 110u) << "the book's queries count on";
    EXPECT_EQ(Book("count"), "<none>") << "Ok touches neither the book";
    EXPECT_EQ(History("count"), "<none>") << "nor the history";
}

// ---- Unicode text ----------------------------------------------------------------

TEST_F(FingerDialogs, UnicodeTargetsAreKeptAsTheCodePageHoldsThemOrWithALabels)
{
    if (GetACP() != 1252)
        GTEST_SKIP() << "the stored bytes are written for Windows-1252";
    bUnicodeText = true;
    const struct {
        const char *typed, *host, *stored, *listed; // null: not kept
    } cases[] = {
        {u8"alice@münchen.de", u8"münchen.de", "alice@m\xfc" "nchen.de", u8"alice@münchen.de"},
        {u8"MÜNCHEN.DE", u8"MÜNCHEN.DE", "M\xdc" "NCHEN.DE", u8"MÜNCHEN.DE"},
        {u8"пример.рф", u8"пример.рф", "xn--e1afmkfd.xn--p1ai", "xn--e1afmkfd.xn--p1ai"},
        {u8"jörg@ПРИМЕР.РФ", u8"ПРИМЕР.РФ", "j\xf6" "rg@xn--e1afmkfd.xn--p1ai",
         u8"jörg@xn--e1afmkfd.xn--p1ai"},
        // Cut at the last at sign, as the query cuts it.
        {u8"a@b@пример.рф", u8"пример.рф", "a@b@xn--e1afmkfd.xn--p1ai",
         "a@b@xn--e1afmkfd.xn--p1ai"},
        // A user name has no ASCII form, and a name the platform refuses
        // none either: the query runs, the file keeps neither. Windows-1252
        // has only a look-alike plain l for the first letter of the second.
        {u8"иван@finger.test", "finger.test", nullptr, nullptr},
        {u8"łukasz@finger.test", "finger.test", nullptr, nullptr},
        {u8"bob@пример..рф", u8"пример..рф", nullptr, nullptr},
    };
    Strings stored, listed;
    for (const auto &c : cases) {
        Run(IDM_FINGER, [&](HWND d) {
            SetDlgItemTextA(d, IDC_TARGET, "");
            TypeText(c.typed);
            PressKey(VK_RETURN);
        });
        EXPECT_STREQ(szHost, c.host) << "the query starts with the host as typed";
        ASSERT_TRUE(Idle());
        if (c.stored != nullptr) {
            stored.insert(stored.begin(), c.stored);
            listed.insert(listed.begin(), c.listed);
        }
        EXPECT_EQ(StoredHistory(), stored) << c.typed;
    }
    Strings reopened;
    Run(IDM_FINGER, [&](HWND d) {
        reopened = Listed(d, IDC_TARGET);
        PressKey(VK_ESCAPE);
    });
    EXPECT_EQ(reopened, listed);
}

TEST_F(FingerDialogs, UnicodeBookAddsOnlyWhatTheFileCanKeep)
{
    if (GetACP() != 1252)
        GTEST_SKIP() << "the stored bytes are written for Windows-1252";
    bUnicodeText = true;
    StoreFile("[__AddBk__]\r\ncount=1\r\nhost0=j\xf6" "rg@finger.test\r\n");
    std::string field;
    Strings listed;
    Run(IDM_ADDRBOOK, [&](HWND d) {
        field = Text(d, IDC_ADDRBOOK);
        const wchar_t *const added[] = {L"carol@пример.рф", L"CAROL@ПРИМЕР.РФ",
                                        L"иван@finger.test"};
        for (const wchar_t *target : added) {
            SetDlgItemTextW(d, IDC_ADDRBOOK, target);
            SendDlgItemMessageA(d, IDC_ADDENTRY, BM_CLICK, 0, 0);
        }
        listed = Listed(d, IDC_ADDRBOOK);
        PressKey(VK_ESCAPE);
    });
    EXPECT_EQ(field, u8"jörg@finger.test");
    EXPECT_EQ(listed, (Strings{u8"jörg@finger.test", u8"carol@пример.рф"}))
        << "listed already in another letter case; a Cyrillic user name cannot be kept";
    EXPECT_EQ(Book("count"), "2");
    EXPECT_EQ(Book("host1"), "carol@xn--e1afmkfd.xn--p1ai");
    EXPECT_EQ(Book("host2"), "<none>");
}

} // namespace
