// The About and Setup dialogs and the host-list helpers, driven in-process as
// a user drives them.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>

#include "app/app_win.h"
#include "app/placement_win.h"
#include "config/config_win.h"
#include "config/profile_values.h"
#include "dialogs/about_dlg_win.h"
#include "dialogs/setup_dlg_win.h"
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

} // namespace
