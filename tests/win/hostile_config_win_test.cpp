// Configuration files and installation values no installer wrote: garbage,
// binary bytes, numbers far out of range, enormous counts and keys, a file
// that cannot be written. Nothing crashes or overruns a buffer, no message
// box appears for what fails silently, and what can be kept is kept.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/app_win.h"
#include "config/config_win.h"
#include "dialogs/dialog_helpers_win.h"
#include "dialogs/host_list.h"
#include "frame/frame_win.h"
#include "frame/placement_win.h"
#include "net/query_win.h"
#include "output/font_win.h"
#include "res/resource.h"
#include "win/dialog_fixture_win.h"
#include "win/test_support_win.h"

namespace {

double NowMs()
{
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// Every dialog box of the thread whose procedure is not one of the
// program's own (a message box) is recorded and closed as it comes up.
class BoxWatcher {
public:
    BoxWatcher()
    {
        boxes.clear();
        hook_ = SetWindowsHookExA(WH_CBT, Hook, nullptr, GetCurrentThreadId());
    }
    ~BoxWatcher() { UnhookWindowsHookEx(hook_); }
    bool ok() const { return hook_ != nullptr; }

    static std::vector<std::string> boxes;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        HWND hwnd = reinterpret_cast<HWND>(wParam);
        if (code == HCBT_ACTIVATE && ClassOf(hwnd) == "#32770" && !OwnDialog(hwnd)) {
            boxes.push_back(Caption(hwnd));
            PostMessageA(hwnd, WM_COMMAND, IDOK, 0);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static bool OwnDialog(HWND hwnd)
    {
        const LONG_PTR proc = GetWindowLongPtrA(hwnd, DWLP_DLGPROC);
        HMODULE module = nullptr;
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<const char *>(proc), &module);
        return module == GetModuleHandleA(nullptr);
    }

    HHOOK hook_ = nullptr;
};

std::vector<std::string> BoxWatcher::boxes;

// What fails here fails silently: no message box may come up from the
// fixture's set-up to the end of the test.
template <class Base> class WatchingForBoxes : public Base {
protected:
    void SetUp() override
    {
        Base::SetUp();
        ASSERT_TRUE(watcher_.ok());
    }
    void TearDown() override
    {
        EXPECT_TRUE(BoxWatcher::boxes.empty()) << BoxWatcher::boxes.front();
        Base::TearDown();
    }

private:
    BoxWatcher watcher_;
};

std::string Repeat(char c, size_t n) { return std::string(n, c); }

// A literal's bytes, NUL bytes inside it included.
template <size_t N> std::string Bytes(const char (&text)[N]) { return std::string(text, N - 1); }

// ---- Host lists ------------------------------------------------------------------

// Opens the dialog of `command` and returns what its list shows, top first;
// `ms` is how long the dialog took to come up.
std::vector<std::string> Open(int command, double *ms = nullptr)
{
    const int id = command == IDM_FINGER  ? IDC_TARGET
                   : command == IDM_WHOIS ? IDC_WHOISHOST
                   : command == IDM_SETUP ? IDC_DEFAULTHOST
                                          : IDC_ADDRBOOK;
    std::vector<std::string> listed;
    const double start = NowMs();
    AnswerDialog(command, [&](HWND d) {
        if (ms != nullptr)
            *ms = NowMs() - start;
        HWND combo = GetDlgItem(d, id);
        const int n = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            char text[HOST_ENTRY_BUFFER + 64] = "";
            if (SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0) <
                static_cast<LRESULT>(sizeof text))
                SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            listed.push_back(text);
        }
        PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
    });
    return listed;
}

// The configured path and the bare name are one file, as installed.
using HostileLists = WatchingForBoxes<InstalledDialogs>;

TEST_F(HostileLists, AnEnormousCountOpensEveryDialogAtOnceWithTheFirstEntries)
{
    struct {
        const char *section;
        int command;
    } lists[] = {{"__History__", IDM_FINGER},
                 {"__WhoIs__", IDM_WHOIS},
                 {"__AddBk__", IDM_ADDRBOOK},
                 {"__WhoIs__", IDM_SETUP}};
    for (const auto &list : lists) {
        StoreFile(std::string("[") + list.section +
                  "]\r\ncount=100000\r\nhost0=first\r\nhost1=second\r\nhost99999=last\r\n");
        double ms = 0;
        const std::vector<std::string> listed = Open(list.command, &ms);
        std::printf("[ hostile ] %s with count=100000 opened in %.0f ms\n", list.section, ms);
        EXPECT_EQ(listed.size(), static_cast<size_t>(HOST_LIST_LOAD_LIMIT)) << list.section;
        int found = 0;
        for (const std::string &s : listed)
            found += s == "first" || s == "second";
        EXPECT_EQ(found, 2) << list.section;
    }
}

TEST_F(HostileLists, NegativeAndGarbageCountsListNothingAndSaveStartsAtZero)
{
    for (const char *count : {"-5", "-2147483648", "-99999999999", "banana", "", "0x10"}) {
        StoreServers(std::string("count=") + count + "\r\nhost0=whois.example\r\n");
        EXPECT_TRUE(Open(IDM_WHOIS).empty()) << count;
    }
    // A Save after a negative count starts the list afresh at index 0.
    StoreServers("count=-7\r\nhost0=old.example\r\n");
    Run(IDM_WHOIS, [&](HWND d) {
        SetDlgItemTextA(d, IDC_WHOISHOST, "new.example");
        SendMessageA(d, WM_COMMAND, IDC_ADDENTRY, 0);
        PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(Key("__WhoIs__", "count"), "1");
    EXPECT_EQ(Key("__WhoIs__", "host0"), "new.example");
}

TEST_F(HostileLists, HugeKeysValuesAndBinaryLinesAreCutOrPassedOver)
{
    const std::string longValue = Repeat('v', 10000);
    std::string file;
    file += "[" + Repeat('s', 10000) + "]\r\n" + Repeat('k', 10000) + "=" + longValue + "\r\n";
    file += Bytes("\x00\x01\xff\xfe garbage \x1b[2J\r\n");
    file += "no equals sign at all\r\n=no key\r\n[__AddBk__\r\n";
    file += "[__AddBk__]\r\ncount=4\r\nhost0=" + longValue + "\r\n";
    file += Repeat('h', 10000) + "=ignored\r\n";
    file += "host1=bin\x01\x7f\xc3\xa9" "ary\r\n";
    file += "host2=ok@finger.test\r\n";
    file += "host3 = spaced@finger.test \r\n";
    StoreFile(file);
    const std::vector<std::string> listed = Open(IDM_ADDRBOOK);
    ASSERT_EQ(listed.size(), 4u);
    // The book shows the file's entries last first; each value is cut to
    // what an entry holds.
    EXPECT_EQ(listed[3], Repeat('v', HOST_ENTRY_BUFFER - 1));
    EXPECT_EQ(listed[1], "ok@finger.test");
    EXPECT_EQ(listed[0], "spaced@finger.test");
    EXPECT_EQ(listed[2].substr(0, 3), "bin");
}

// ---- Placement, history and font ---------------------------------------------------

// The configured path is a file of its own, named in the registry.
class HostileSettings : public WatchingForBoxes<Dialogs> {
protected:
    // Ends the main window (which writes its placement) and starts it again
    // on a file holding exactly `text`.
    void Reopen(const std::string &text)
    {
        DestroyWindow(hwndMain);
        Pump();
        StoreFile(text);
        ASSERT_NE(CreateMainWindow(GetModuleHandleA(nullptr)), nullptr);
        ShowWindow(hwndMain, SW_SHOWNORMAL);
        UpdateWindow(hwndMain);
        Pump();
    }
    void Close()
    {
        DestroyWindow(hwndMain);
        Pump();
    }
    // A key of the configured file, read fresh.
    std::string FileKey(const char *section, const char *key) const
    {
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
        std::vector<char> text(20000);
        GetPrivateProfileStringA(section, key, "<none>", text.data(),
                                 static_cast<DWORD>(text.size()), path.c_str());
        return text.data();
    }
};

TEST_F(HostileSettings, APlacementNoScreenShowsOpensWhereAFirstRunOpens)
{
    // Where a first run without a file puts the window.
    const RECT first = DialogUnitRect(20, 20, 280, 175);
    struct {
        const char *what, *placement;
    } cases[] = {
        {"far out", "left=99999999999\r\ntop=-99999999999\r\nright=2147483647\r\nbottom=9\r\n"},
        {"right of the screen", "left=30000\r\ntop=25\r\nright=200\r\nbottom=120\r\n"},
        {"no size", "left=30\r\ntop=25\r\nright=-5\r\nbottom=0x7FFFFFFF\r\n"},
    };
    for (const auto &c : cases) {
        Reopen(std::string("[pellwick]\r\n") + c.placement);
        EXPECT_EQ(WindowRectOf(hwndMain), first) << c.what;
    }
    // Closing stores where the window was, so the next run opens there too.
    Close();
    EXPECT_EQ(FileKey("pellwick", "left"), "20");
    EXPECT_EQ(FileKey("pellwick", "right"), "280");
    // Partly off the screen is still on it: a window parked left of it.
    Reopen("[pellwick]\r\nleft=-40\r\ntop=25\r\nright=200\r\nbottom=120\r\n");
    EXPECT_LT(WindowRectOf(hwndMain).left, 0);
}

TEST_F(HostileSettings, GarbageAroundThePlacementIsPassedOverAndKept)
{
    std::string file = "garbage before any section\r\n";
    file += Bytes("\x00\xff\xfe\x01\x1b[2J binary\r\n");
    file += "[other]\r\nkeep=me\r\n";
    file += "[pellwick]\r\nleft=40\r\n=no key\r\ntop=30abc\r\nright=210\r\n";
    file += "bottom=130\r\nhistory=banana\r\n";
    file += Repeat('k', 10000) + "=1\r\nextra=" + Repeat('x', 10000) + "\r\n";
    Reopen(file);
    const RECT rc = WindowRectOf(hwndMain), want = DialogUnitRect(40, 30, 0, 0);
    EXPECT_EQ(rc.left, want.left);
    EXPECT_EQ(rc.top, want.top);
    EXPECT_EQ(bHistory, 0);
    Close();
    // The placement goes back as plain numbers, and the rest of the file
    // stays as it was.
    EXPECT_EQ(FileKey("pellwick", "left"), "40");
    EXPECT_EQ(FileKey("pellwick", "top"), "30");
    EXPECT_EQ(FileKey("pellwick", "history"), "0");
    EXPECT_EQ(FileKey("other", "keep"), "me");
    EXPECT_EQ(FileKey("pellwick", "extra"), Repeat('x', 10000));
}

TEST_F(HostileSettings, AFontFarOutOfRangeStillGivesThePaneAFont)
{
    // The font is kept under the bare name.
    const std::string bare = BareConfigPath();
    std::string font = "[font]\r\nheight=99999999999\r\nwidth=-99999999999\r\n";
    font += "escapement=2147483647\r\norientation=-2147483648\r\nweight=99999\r\n";
    font += "italic=256\r\nunderline=-1\r\ncharset=-1\r\npitchandfamily=65535\r\n";
    font += "facename=" + Repeat('F', 10000) + "\r\n";
    WriteWholeFile(bare, font);
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, "pellwick.ini");
    Reopen("[pellwick]\r\nleft=10\r\ntop=10\r\nright=200\r\nbottom=120\r\n");
    EXPECT_EQ(lfOutput.lfHeight, 2147483647);
    EXPECT_EQ(lfOutput.lfItalic, 0);
    EXPECT_EQ(lfOutput.lfCharSet, 255);
    EXPECT_EQ(std::string(lfOutput.lfFaceName), Repeat('F', LF_FACESIZE - 1));
    ASSERT_NE(hfontOutput, nullptr);
    // The pane draws an answer in it.
    AppendOutput("text in a font nobody asked for\r\n");
    InvalidateRect(hwndOutput, nullptr, TRUE);
    const double start = NowMs();
    UpdateWindow(hwndMain);
    Pump();
    std::printf("[ hostile ] painted in %.0f ms\n", NowMs() - start);
    std::string text;
    EXPECT_TRUE(OutputText(text));
    EXPECT_EQ(text, "text in a font nobody asked for\r\n");
    DeleteFileA(bare.c_str());
}

// ---- A file that cannot be written ---------------------------------------------------

TEST_F(HostileSettings, AReadOnlyFileIsReadButNeverChangedAndNothingSays)
{
    const std::string text = "[pellwick]\r\nleft=30\r\ntop=25\r\nright=200\r\nbottom=120\r\n"
                             "history=1\r\n[__History__]\r\ncount=1\r\nhost0=kept@finger.test\r\n";
    Reopen(text);
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    // Wine lets root write a read-only file, so the file is also held open
    // here for reading with only reading shared: every write to it fails as
    // it would on a read-only file, and reads still work.
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    // The history comes from the file; a new target cannot be added to it.
    std::vector<std::string> listed;
    Run(IDM_FINGER, [&](HWND d) {
        listed = Listed(d, IDC_TARGET);
        SetDlgItemTextA(d, IDC_TARGET, "new@127.0.1.30");
        PostMessageA(d, WM_COMMAND, IDOK, 0);
    });
    EXPECT_TRUE(PumpUntil([] { return !bBusy; }, 10000)) << "the Finger query ends";
    EXPECT_EQ(listed, std::vector<std::string>{"kept@finger.test"});
    MoveWindow(hwndMain, 50, 60, 500, 400, TRUE);
    Close();
    CloseHandle(held);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadWholeFile(path), text);
}

TEST_F(HostileSettings, AConfiguredPathInAMissingFolderGivesTheDefaultsSilently)
{
    const std::string missing = "C:\\no such folder\\deeper\\pellwick.ini";
    SetInstallValue(REG_VALUE_CFGFILE, missing);
    Reopen("");
    EXPECT_STREQ(ConfiguredPath(), missing.c_str());
    EXPECT_EQ(nWinLeft, 20);
    EXPECT_EQ(nWinWidth, 280);
    EXPECT_EQ(bHistory, 1);
    Run(IDM_FINGER, [&](HWND d) {
        SetDlgItemTextA(d, IDC_TARGET, "someone@127.0.1.31");
        PostMessageA(d, WM_COMMAND, IDOK, 0);
    });
    EXPECT_TRUE(PumpUntil([] { return !bBusy; }, 10000)) << "the Finger query ends";
    EXPECT_TRUE(Open(IDM_FINGER).empty()) << "the history could not have been kept";
    Close();
    EXPECT_EQ(GetFileAttributesA("C:\\no such folder"), INVALID_FILE_ATTRIBUTES);
}

// ---- Installation values --------------------------------------------------------------

TEST_F(HostileSettings, InstallationValuesLongerThanTheirBuffersAreCut)
{
    SetInstallValue(REG_VALUE_PRODUCT, Repeat('P', 5000));
    SetInstallValue(REG_VALUE_VERSION, Repeat('9', 70000));
    // A configured path longer than the buffer: cut, it names a file in a
    // folder that does not exist, and so nothing can be stored.
    const std::string folder = "C:\\" + Repeat('d', 200);
    SetInstallValue(REG_VALUE_CFGFILE, folder + "\\" + Repeat('f', 800) + ".ini");
    Reopen("");
    EXPECT_EQ(std::string(szProduct), Repeat('P', PRODUCT_BUFFER - 1));
    EXPECT_EQ(std::string(szVersion), Repeat('9', VERSION_BUFFER - 1));
    EXPECT_EQ(std::string(szCfgFile), (folder + "\\" + Repeat('f', 800)).substr(0, 255));
    std::string version;
    Run(IDM_ABOUT, [&](HWND d) {
        version = Text(d, IDC_VERSION);
        PostMessageA(d, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(version, Repeat('P', PRODUCT_BUFFER - 1) + " " + Repeat('9', VERSION_BUFFER - 1));
    Close();
}

TEST_F(HostileSettings, AnInstallationValueWithoutItsTerminatorStaysInItsBuffer)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, REG_KEY_PELLWICK, 0, nullptr, 0, KEY_WRITE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    // Stored without a terminator, and one with a NUL in the middle.
    RegSetValueExA(key, REG_VALUE_VERSION, 0, REG_SZ, reinterpret_cast<const BYTE *>("1.2.3"), 5);
    RegSetValueExA(key, REG_VALUE_PRODUCT, 0, REG_SZ,
                   reinterpret_cast<const BYTE *>("Pell\0wick"), 10);
    RegCloseKey(key);
    std::memset(szVersion, 'x', sizeof szVersion);
    ReadInstallValues();
    EXPECT_STREQ(szVersion, "1.2.3");
    EXPECT_STREQ(szProduct, "Pell");
}

} // namespace
