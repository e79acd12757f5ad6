// The About and Setup dialogs and the host-list helpers, driven in-process as
// a user drives them.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/app_win.h"
#include "config/config_win.h"
#include "config/profile_values.h"
#include "dialogs/about_dlg_win.h"
#include "dialogs/setup_dlg_win.h"
#include "dialogs/whois_dlg_win.h"
#include "frame/frame_win.h"
#include "frame/placement_win.h"
#include "net/query_win.h"
#include "res/resource.h"
#include "text/text_mode.h"
#include "win/dialog_fixture_win.h"
#include "win/loopback_server_win.h"
#include "win/test_support_win.h"

namespace {

TEST_F(Dialogs, AboutShowsProductVersionAndWinsockAndClosesOnlyWithOk)
{
    CopyBounded(szProduct, sizeof szProduct, "Pellwick32");
    CopyBounded(szVersion, sizeof szVersion, "2.5");
    WSADATA data;
    WSAStartup(MAKEWORD(1, 1), &data);
    wsaData = data;
    std::string version, winsock;
    bool openAfterEsc = false;
    Run(IDM_ABOUT, [&](HWND dialog) {
        version = Text(dialog, IDC_VERSION);
        winsock = Text(dialog, IDC_WINSOCK);
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        openAfterEsc = IsWindow(dialog) != FALSE;
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    WSACleanup();
    EXPECT_EQ(version, "Pellwick32 2.5");
    EXPECT_EQ(winsock, std::string("Winsock: ") + data.szDescription);
    EXPECT_TRUE(openAfterEsc) << "Esc must not close the About box";
}

TEST_F(Dialogs, AboutWithoutAnInstallationShowsABlankVersionLine)
{
    szProduct[0] = szVersion[0] = '\0';
    std::string version;
    Run(IDM_ABOUT, [&](HWND dialog) {
        version = Text(dialog, IDC_VERSION);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(version, " ");
}

TEST_F(Dialogs, SetupOpensOnTheFirstSortedServerAndOkStoresIt)
{
    StoreServers("count=2\r\nhost0=whois.b.example\r\nhost1=whois.a.example\r\n"
                 "default=whois.b.example\r\n");
    bHistory = 1;
    std::string shown;
    bool checked = false;
    Run(IDM_SETUP, [&](HWND dialog) {
        shown = Text(dialog, IDC_DEFAULTHOST);
        checked = IsDlgButtonChecked(dialog, IDC_HISTORY) == BST_CHECKED;
        CheckDlgButton(dialog, IDC_HISTORY, BST_UNCHECKED);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(shown, "whois.a.example");
    EXPECT_TRUE(checked);
    EXPECT_EQ(bHistory, 0);
    EXPECT_EQ(DefaultServer(), "whois.a.example");
}

TEST_F(Dialogs, SetupCancelChangesNothingAndAnEmptyListWritesNoDefault)
{
    bHistory = 1;
    Run(IDM_SETUP, [&](HWND dialog) {
        CheckDlgButton(dialog, IDC_HISTORY, BST_UNCHECKED);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(bHistory, 1);
    Run(IDM_SETUP, [&](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDOK, 0); });
    EXPECT_EQ(DefaultServer(), "<none>");
}

// The list helpers against a small dialog of the program's own.
class HostLists : public Dialogs {};

TEST_F(HostLists, LoadOrderMissingEntriesAndTheLimitedSave)
{
    StoreServers("count=3\r\nhost0=a\r\nhost2=c\r\n");
    HWND dialog = CreateDialogA(GetModuleHandleA(nullptr), "DLGSETUP", hwndMain, SetupDlgProc);
    ASSERT_NE(dialog, nullptr);
    HWND combo = GetDlgItem(dialog, IDC_DEFAULTHOST);
    // The sorted list holds the three entries, one of them empty.
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 0);

    for (int i = 0; i < 9; ++i)
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(("x" + std::to_string(i)).c_str()));
    SaveHostList(dialog, "__WhoIs__", IDC_DEFAULTHOST, 10);
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
    EXPECT_EQ(ReadProfileNumber("__WhoIs__", "count", "0", 16, path.c_str()), 10);
    char last[16] = "";
    GetPrivateProfileStringA("__WhoIs__", "host11", "", last, sizeof last, path.c_str());
    EXPECT_STREQ(last, "") << "only ten entries are written";
    SaveHostList(dialog, "__WhoIs__", IDC_DEFAULTHOST, -1);
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
    EXPECT_EQ(ReadProfileNumber("__WhoIs__", "count", "0", 16, path.c_str()), 12);
    DestroyWindow(dialog);
}

class WhoisDialog : public InstalledDialogs {
protected:
    void StoreWhois(const std::string &lines) { StoreFile("[__Whois__]\r\n" + lines); }
    static std::vector<std::string> Listed(HWND dialog) { return Dialogs::Listed(dialog, IDC_WHOISHOST); }
    static std::string Key(const char *key) { return Dialogs::Key("__Whois__", key); }
};

TEST_F(WhoisDialog, OpensOnTheRecordedDefaultOrTheFirstServer)
{
    std::string host;
    Run(IDM_WHOIS, [&](HWND d) { host = Text(d, IDC_WHOISHOST); PostMessageA(d, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_EQ(host, "") << "no section: an empty field, the built-in server not offered";

    StoreWhois("count=2\r\nhost0=whois.b.example\r\nhost1=whois.a.example\r\n");
    std::vector<std::string> listed;
    Run(IDM_WHOIS, [&](HWND d) {
        host = Text(d, IDC_WHOISHOST);
        listed = Listed(d);
        PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(listed, (std::vector<std::string>{"whois.a.example", "whois.b.example"}));
    EXPECT_EQ(host, "whois.a.example");

    StoreWhois("count=2\r\nhost0=whois.b.example\r\nhost1=whois.a.example\r\n"
               "default=WHOIS.B.EXAMPLE\r\n");
    Run(IDM_WHOIS, [&](HWND d) { host = Text(d, IDC_WHOISHOST); PostMessageA(d, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_EQ(host, "whois.b.example") << "the default is found ignoring case";
}

TEST_F(WhoisDialog, SaveAppendsUnderTheFilesCountEvenTwice)
{
    StoreWhois("count=1\r\nhost0=whois.a.example\r\n");
    std::vector<std::string> listed;
    Run(IDM_WHOIS, [&](HWND d) {
        SetDlgItemTextA(d, IDC_WHOISHOST, "whois.a.example");
        SendMessageA(d, WM_COMMAND, IDC_ADDENTRY, 0);
        listed = Listed(d);
        PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(listed.size(), 2u);
    EXPECT_EQ(Key("count"), "2");
    EXPECT_EQ(Key("host1"), "whois.a.example");
}

TEST_F(WhoisDialog, DeleteRewritesTheSectionAndKeepsAListedDefault)
{
    StoreWhois("count=3\r\nhost0=c\r\nhost1=a\r\nhost2=b\r\ndefault=a\r\n");
    std::string selected;
    std::vector<std::string> listed;
    Run(IDM_WHOIS, [&](HWND d) {
        SetDlgItemTextA(d, IDC_WHOISHOST, "c");
        SendMessageA(d, WM_COMMAND, IDC_DELETEENTRY, 0);
        selected = Text(d, IDC_WHOISHOST);
        listed = Listed(d);
        PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(listed, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(selected, "a") << "after the last entry went, the first is selected";
    EXPECT_EQ(Key("count"), "2");
    EXPECT_EQ(Key("host0"), "a");
    EXPECT_EQ(Key("host1"), "b");
    EXPECT_EQ(Key("host2"), "<none>");
    EXPECT_EQ(Key("default"), "a");

    // Deleting the default removes it too; a name not listed renumbers.
    Run(IDM_WHOIS, [&](HWND d) {
        SetDlgItemTextA(d, IDC_WHOISHOST, "a");
        SendMessageA(d, WM_COMMAND, IDC_DELETEENTRY, 0);
        SetDlgItemTextA(d, IDC_WHOISHOST, "zzz");
        SendMessageA(d, WM_COMMAND, IDC_DELETEENTRY, 0);
        PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(Key("default"), "<none>");
    EXPECT_EQ(Key("count"), "1");
    EXPECT_EQ(Key("host0"), "b");
}

TEST_F(WhoisDialog, DeleteWithoutARecordedDefaultStillDeletes)
{
    StoreWhois("count=2\r\nhost0=a\r\nhost1=b\r\n");
    Run(IDM_WHOIS, [&](HWND d) {
        SetDlgItemTextA(d, IDC_WHOISHOST, "a");
        SendMessageA(d, WM_COMMAND, IDC_DELETEENTRY, 0);
        PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(Key("count"), "1");
    EXPECT_EQ(Key("host0"), "b");
}

TEST_F(WhoisDialog, OkRunsTheQueryOnTheChosenServer)
{
    LoopbackServer server("127.0.0.98", 43);
    ASSERT_TRUE(server.ok());
    server.Serve({SendBytes("Domain Name: EXAMPLE.NET\n")});
    StoreWhois("count=1\r\nhost0=127.0.0.98\r\n");
    SetByteCountForTest(5);
    Run(IDM_WHOIS, [&](HWND d) {
        SetDlgItemTextA(d, IDC_QUERY, "example.net");
        PostMessageA(d, WM_COMMAND, IDOK, 0);
    });
    ASSERT_TRUE(PumpUntil([] { return !bBusy && sockQuery == INVALID_SOCKET; }, 10000))
        << "the WhoIs query ends";
    ASSERT_TRUE(server.WaitServed(5000));
    EXPECT_EQ(server.Request(0), "example.net\r\n");
    EXPECT_EQ(cbReceived, 25u) << "the WhoIs command counts from 0";
    EXPECT_EQ(Title(), "Pellwick (WhoIs - example.net)");
}

// ---- Unicode text ----------------------------------------------------------------

// Wine's own controls answer as Unicode windows whichever way they were
// made, so what is typed into them is the check of that (the tests below).
TEST_F(Dialogs, TheDialogsAreUnicodeWindowsJustWhileUnicodeTextIsOn)
{
    bHistory = 1;
    for (const bool on : {false, true}) {
        bUnicodeText = on;
        for (const int command : {IDM_FINGER, IDM_ADDRBOOK, IDM_WHOIS, IDM_HOSTLOOKUP, IDM_SETUP}) {
            bool unicode = !on;
            LONG bookStyle = 0;
            Run(command, [&](HWND dialog) {
                unicode = IsWindowUnicode(dialog) != FALSE;
                bookStyle = GetWindowLongA(GetDlgItem(dialog, IDC_ADDRBOOK), GWL_STYLE);
                PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            });
            EXPECT_EQ(unicode, on) << "the dialog of command " << command;
            if (command == IDM_ADDRBOOK) {
                EXPECT_EQ((bookStyle & CBS_OEMCONVERT) != 0, !on)
                    << "the OEM code page would take letters";
            }
        }
    }
    // The host name goes to the lookup as typed, in UTF-8.
    Run(IDM_HOSTLOOKUP, [](HWND) {
        TypeText(u8"münchen.de");
        PressKey(VK_RETURN);
    });
    EXPECT_STREQ(szHost, u8"münchen.de");
    EXPECT_TRUE(PumpUntil([] { return !bBusy; })) << "the lookup ends";
}

TEST_F(WhoisDialog, UnicodeQueryAndServerReachTheQueryWhole)
{
    bUnicodeText = true;
    LoopbackServer server("127.0.0.98", 43);
    ASSERT_TRUE(server.ok());
    server.Serve({SendBytes("Domain Name: XN--E1AFMKFD.XN--P1AI\n")});
    StoreWhois("count=1\r\nhost0=127.0.0.98\r\n");
    Run(IDM_WHOIS, [](HWND d) {
        SetFocus(GetDlgItem(d, IDC_QUERY));
        TypeText(u8"пример.рф");
        PressKey(VK_RETURN);
    });
    ASSERT_TRUE(PumpUntil([] { return !bBusy && sockQuery == INVALID_SOCKET; }))
        << "the WhoIs query ends";
    ASSERT_TRUE(server.WaitServed(5000));
    EXPECT_EQ(Utf8Title(), u8"Pellwick (WhoIs - пример.рф)");

    // A server no name server here knows: its name shows whole while it is
    // looked up.
    const StatusTexts status;
    Run(IDM_WHOIS, [](HWND d) {
        SetDlgItemTextW(d, IDC_QUERY, L"example.test");
        SetFocus(GetDlgItem(d, IDC_WHOISHOST));
        SetDlgItemTextA(d, IDC_WHOISHOST, "");
        TypeText(u8"münchen.de");
        PressKey(VK_RETURN);
    });
    ASSERT_TRUE(PumpUntil([] { return !bBusy; })) << "the WhoIs query ends";
    EXPECT_TRUE(status.Saw(u8"Resolving münchen.de"));
}

TEST_F(WhoisDialog, UnicodeServersAreSavedAsTheCodePageHoldsThemOrAsALabels)
{
    if (GetACP() != 1252)
        GTEST_SKIP() << "the stored bytes are written for Windows-1252";
    bUnicodeText = true;
    StoreWhois("count=1\r\nhost0=m\xfc" "nchen.de\r\n");
    std::vector<std::string> opened, saved, afterDelete, reopened;
    std::string savedCount, savedHost;
    Run(IDM_WHOIS, [&](HWND d) {
        opened = Listed(d);
        SetDlgItemTextW(d, IDC_WHOISHOST, L"пример.рф");
        SendMessageA(d, WM_COMMAND, IDC_ADDENTRY, 0);
        // The platform refuses an empty label: nothing to list or keep.
        SetDlgItemTextW(d, IDC_WHOISHOST, L"whois.пример..рф");
        SendMessageA(d, WM_COMMAND, IDC_ADDENTRY, 0);
        saved = Listed(d);
        savedCount = Key("count");
        savedHost = Key("host1");
        SetDlgItemTextW(d, IDC_WHOISHOST, L"MÜNCHEN.DE");
        SendMessageA(d, WM_COMMAND, IDC_DELETEENTRY, 0);
        afterDelete = Listed(d);
        PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(opened, std::vector<std::string>{u8"münchen.de"});
    EXPECT_EQ(saved, (std::vector<std::string>{u8"münchen.de", u8"пример.рф"}));
    EXPECT_EQ(savedCount, "2");
    EXPECT_EQ(savedHost, "xn--e1afmkfd.xn--p1ai");
    EXPECT_EQ(afterDelete, std::vector<std::string>{u8"пример.рф"}) << "found in any letter case";
    EXPECT_EQ(Key("count"), "1");
    EXPECT_EQ(Key("host0"), "xn--e1afmkfd.xn--p1ai");
    Run(IDM_WHOIS, [&](HWND d) {
        reopened = Listed(d);
        PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(reopened, std::vector<std::string>{"xn--e1afmkfd.xn--p1ai"});
}

} // namespace

namespace {

// ---- Every dialog's looks ----------------------------------------------------

std::string ControlName(HWND control)
{
    return "control " + std::to_string(GetDlgCtrlID(control)) + " \"" + Caption(control) + "\"";
}

// Visible controls lie inside the dialog and do not overlap (a group box
// holds others, so it is left out), and every text fits on its control in
// the dialog's own font: plain text and buttons on one line, a check box's
// text beside its box.
std::vector<std::string> LayoutProblems(HWND dialog)
{
    std::vector<std::string> problems;
    RECT client;
    GetClientRect(dialog, &client);
    std::vector<std::pair<HWND, RECT>> placed;
    for (HWND c = GetWindow(dialog, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        if (!IsWindowVisible(c))
            continue;
        RECT r;
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&r), 2);
        if (r.left < 0 || r.top < 0 || r.right > client.right || r.bottom > client.bottom)
            problems.push_back(ControlName(c) + " reaches outside the dialog");
        const std::string cls = ClassOf(c);
        const LONG style = GetWindowLongA(c, GWL_STYLE);
        const bool button = cls == "Button";
        const LONG kind = style & BS_TYPEMASK;
        if (!(button && kind == BS_GROUPBOX))
            placed.push_back({c, r});

        const std::string text = Caption(c);
        const bool hasText = !text.empty() && (button || cls == "Static");
        if (!hasText || (cls == "Static" && (style & SS_TYPEMASK) == SS_ICON))
            continue;
        HDC dc = GetDC(c);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(c, WM_GETFONT, 0, 0)));
        SIZE size;
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(c, dc);
        int room = r.right - r.left;
        if (button && (kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX))
            room -= GetSystemMetrics(SM_CXMENUCHECK) + 2;
        if (size.cx > room || size.cy > r.bottom - r.top + 2)
            problems.push_back(ControlName(c) + " needs " + std::to_string(size.cx) + "x" +
                               std::to_string(size.cy) + " pixels, has " + std::to_string(room) +
                               "x" + std::to_string(r.bottom - r.top));
    }
    // Controls that touch in the template may share their edge pixel: the
    // dialog manager rounds a control's place and its size each on its own.
    for (size_t i = 0; i < placed.size(); ++i)
        for (size_t j = i + 1; j < placed.size(); ++j) {
            RECT both;
            if (IntersectRect(&both, &placed[i].second, &placed[j].second) &&
                both.right - both.left > 1 && both.bottom - both.top > 1)
                problems.push_back(ControlName(placed[i].first) + " overlaps " +
                                   ControlName(placed[j].first));
        }
    return problems;
}

// A case for another screen than this process's runs in a fresh process of
// this program started for that screen, which runs that case alone: Wine
// sets a process's DPI as it starts.
DWORD RunThisCaseAtDpi(DWORD dpi)
{
    const ScreenDpiSetting screen(dpi);
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    const testing::TestInfo *test = testing::UnitTest::GetInstance()->current_test_info();
    SetEnvironmentVariableA("PELLWICK_DPI_CASE", "1");
    const DWORD code = RunAndWait(std::string("\"") + self + "\" --gtest_filter=" +
                                      test->test_suite_name() + "." + test->name(),
                                  120000);
    SetEnvironmentVariableA("PELLWICK_DPI_CASE", nullptr);
    return code;
}

// Each dialog at 100, 150 and 200 per cent, in the dialog font the screen
// gives, with and without history.
class DialogLayout : public Dialogs, public testing::WithParamInterface<DWORD> {};

TEST_P(DialogLayout, EveryDialogsTextsFitAndNothingOverlaps)
{
    const DWORD dpi = GetParam();
    if (GetEnvironmentVariableA("PELLWICK_DPI_CASE", nullptr, 0) == 0 &&
        static_cast<DWORD>(ScreenDpi()) != dpi) {
        EXPECT_EQ(RunThisCaseAtDpi(dpi), 0u) << "the case at " << dpi << " DPI failed (its output is above)";
        return;
    }
    ASSERT_EQ(static_cast<DWORD>(ScreenDpi()), dpi) << "the screen's DPI was not set";
    StoreFile("[__History__]\r\ncount=1\r\nhost0=someone@finger.test\r\n"
              "[__AddBk__]\r\ncount=1\r\nhost0=someone@finger.test\r\n"
              "[__WhoIs__]\r\ncount=1\r\nhost0=whois.test\r\n");
    CopyBounded(szProduct, sizeof szProduct, "Pellwick32");
    CopyBounded(szVersion, sizeof szVersion, "1.0.0");
    const struct {
        int command;
        const char *caption;
    } dialogs[] = {{IDM_FINGER, "Finger"},       {IDM_WHOIS, "WhoIs Query"},
                   {IDM_ADDRBOOK, "Finger Address Book"}, {IDM_HOSTLOOKUP, "Host Name Lookup"},
                   {IDM_SETUP, "Pellwick32 Setup"}, {IDM_ABOUT, "About Pellwick32"}};
    for (int history = 1; history >= 0; --history) {
        bHistory = history;
        for (const auto &d : dialogs) {
            SCOPED_TRACE(d.caption);
            std::string caption;
            std::vector<std::string> problems;
            Run(d.command, [&](HWND dialog) {
                caption = Caption(dialog);
                problems = LayoutProblems(dialog);
                // The About box closes only with Ok.
                PostMessageA(dialog, WM_COMMAND, d.command == IDM_ABOUT ? IDOK : IDCANCEL, 0);
            });
            EXPECT_EQ(caption, d.caption);
            for (const std::string &p : problems)
                ADD_FAILURE() << p;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Screens, DialogLayout, testing::Values(96u, 144u, 192u),
                         [](const testing::TestParamInfo<DWORD> &i) {
                             return std::to_string(i.param) + "dpi";
                         });

} // namespace
