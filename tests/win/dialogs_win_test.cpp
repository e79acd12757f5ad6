// The About and Setup dialogs and the host-list helpers, driven in-process as
// a user drives them.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/app_win.h"
#include "app/placement_win.h"
#include "config/config_win.h"
#include "config/profile_values.h"
#include "dialogs/about_dlg_win.h"
#include "dialogs/setup_dlg_win.h"
#include "dialogs/whois_dlg_win.h"
#include "net/query_win.h"
#include "win/loopback_server_win.h"
#include "res/resource.h"
#include "win/main_window_fixture_win.h"
#include "win/test_support_win.h"

namespace {

// What the user does once the dialog is up, run by a timer in its loop.
std::function<void(HWND)> userAction;
bool acted;

void CALLBACK ActOnDialog(HWND, UINT, UINT_PTR, DWORD)
{
    HWND dialog = GetActiveWindow();
    if (acted || dialog == nullptr || dialog == hwndMain)
        return;
    acted = true;
    userAction(dialog);
}

class Dialogs : public MainWindowTest {
protected:
    void SetUp() override
    {
        DeleteFileA(BareConfigPath().c_str());
        MainWindowTest::SetUp();
        acted = false;
        timer = SetTimer(nullptr, 0, 100, ActOnDialog);
    }
    void TearDown() override
    {
        KillTimer(nullptr, timer);
        MainWindowTest::TearDown();
        DeleteFileA(BareConfigPath().c_str());
    }
    // Runs a command whose modal dialog `action` answers.
    static void Run(int command, std::function<void(HWND)> action)
    {
        userAction = std::move(action);
        SendMessageA(hwndMain, WM_COMMAND, command, 0);
    }
    static std::string Text(HWND dialog, int id)
    {
        char text[256] = "";
        GetDlgItemTextA(dialog, id, text, sizeof text);
        return text;
    }
    static std::string DefaultServer()
    {
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, "pellwick.ini");
        char text[128] = "";
        GetPrivateProfileStringA("__WhoIs__", "default", "", text, sizeof text, "pellwick.ini");
        return text;
    }
    void StoreServers(const std::string &lines)
    {
        WriteWholeFile(path, "[__WhoIs__]\r\n" + lines);
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
    }

    UINT_PTR timer = 0;
};

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
    acted = false;
    Run(IDM_SETUP, [&](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDOK, 0); });
    EXPECT_EQ(DefaultServer(), "");
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

// As an installation has it: the configured path and the bare name are one
// file, so what Save writes through one the list loads through the other.
class WhoisDialog : public Dialogs {
protected:
    void SetUp() override
    {
        Dialogs::SetUp();
        bare = BareConfigPath();
        CopyBounded(szCfgFile, sizeof szCfgFile, bare.c_str());
    }
    void StoreWhois(const std::string &lines)
    {
        WriteWholeFile(bare, "[__Whois__]\r\n" + lines);
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, "pellwick.ini");
    }
    static std::vector<std::string> Listed(HWND dialog)
    {
        std::vector<std::string> v;
        HWND combo = GetDlgItem(dialog, IDC_WHOISHOST);
        const int n = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            char text[128] = "";
            SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            v.push_back(text);
        }
        return v;
    }
    static std::string Key(const char *key)
    {
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, "pellwick.ini");
        char text[128] = "";
        GetPrivateProfileStringA("__Whois__", key, "<none>", text, sizeof text, "pellwick.ini");
        return text;
    }
    std::string bare;
};

TEST_F(WhoisDialog, OpensOnTheRecordedDefaultOrTheFirstServer)
{
    std::string host;
    Run(IDM_WHOIS, [&](HWND d) { host = Text(d, IDC_WHOISHOST); PostMessageA(d, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_EQ(host, "") << "no section: an empty field, the built-in server not offered";

    StoreWhois("count=2\r\nhost0=whois.b.example\r\nhost1=whois.a.example\r\n");
    std::vector<std::string> listed;
    acted = false;
    Run(IDM_WHOIS, [&](HWND d) {
        host = Text(d, IDC_WHOISHOST);
        listed = Listed(d);
        PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(listed, (std::vector<std::string>{"whois.a.example", "whois.b.example"}));
    EXPECT_EQ(host, "whois.a.example");

    StoreWhois("count=2\r\nhost0=whois.b.example\r\nhost1=whois.a.example\r\n"
               "default=WHOIS.B.EXAMPLE\r\n");
    acted = false;
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
    acted = false;
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
    cbReceived = 5;
    Run(IDM_WHOIS, [&](HWND d) {
        SetDlgItemTextA(d, IDC_QUERY, "example.net");
        PostMessageA(d, WM_COMMAND, IDOK, 0);
    });
    const DWORD start = GetTickCount();
    while ((bBusy || sockQuery != INVALID_SOCKET) && GetTickCount() - start < 10000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        Pump();
    }
    ASSERT_TRUE(server.WaitServed(5000));
    EXPECT_EQ(server.Request(0), "example.net\r\n");
    EXPECT_EQ(cbReceived, 25u) << "the WhoIs command counts from 0";
    char title[128] = "";
    GetWindowTextA(hwndMain, title, sizeof title);
    EXPECT_STREQ(title, "Pellwick (WhoIs - example.net)");
}

} // namespace
