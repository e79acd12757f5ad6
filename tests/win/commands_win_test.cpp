// The command table's guards and the edit commands that work on the pane.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "app/app_win.h"
#include "frame/frame_win.h"
#include "frame/options.h"
#include "handles/owned_win.h"
#include "net/query_win.h"
#include "res/resource.h"
#include "text/text_mode.h"
#include "text/unicode_win.h"
#include "win/main_window_fixture_win.h"

namespace {

// Dialogs the commands open are cancelled as soon as they are up, as a user
// who changes their mind would.
void CALLBACK CancelOpenDialog(HWND, UINT, UINT_PTR, DWORD)
{
    HWND dialog = GetActiveWindow();
    if (dialog != nullptr && dialog != hwndMain)
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

class Commands : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        timer = SetTimer(nullptr, 0, 50, CancelOpenDialog);
    }
    void TearDown() override
    {
        KillTimer(nullptr, timer);
        MainWindowTest::TearDown();
    }
    UINT_PTR timer = 0;
};

void Send(int id) { SendMessageA(hwndMain, WM_COMMAND, static_cast<WPARAM>(id), 0); }

// The clipboard's text in one format: the code page's bytes (CF_TEXT), or
// CF_UNICODETEXT given in UTF-8.
std::string ClipboardText(UINT format = CF_TEXT)
{
    std::string text;
    if (!OpenClipboard(hwndMain))
        return "<clipboard not opened>";
    {
        // Unlocked before the clipboard closes.
        const LockedGlobal data(GetClipboardData(format));
        if (format == CF_UNICODETEXT) {
            if (const wchar_t *p = static_cast<const wchar_t *>(data.Get()))
                text = WideToUtf8(p, wcslen(p));
        } else if (const char *p = static_cast<const char *>(data.Get())) {
            text = p;
        }
    }
    CloseClipboard();
    return text;
}

// Each query-starting command resets the byte count before its dialog, so an
// untouched count shows that the command did nothing.
TEST_F(Commands, QueryCommandsDoNothingWhileBusy)
{
    EnterBusyForTest();
    for (int id : {IDM_FINGER, IDM_WHOIS, IDM_HOSTLOOKUP, IDM_FINGER_ALT, IDM_WHOIS_ALT}) {
        SetByteCountForTest(77);
        Send(id);
        EXPECT_EQ(cbReceived, 77u) << id;
    }
    ResetBusyState();
    for (int id : {IDM_FINGER, IDM_WHOIS, IDM_HOSTLOOKUP, IDM_FINGER_ALT, IDM_WHOIS_ALT}) {
        SetByteCountForTest(77);
        Send(id);
        EXPECT_EQ(cbReceived, 0u) << id;
    }
}

TEST_F(Commands, HostLookupDoesNothingWhileNotificationWaits)
{
    wOptions = OPT_NOTIFY;
    SetByteCountForTest(5);
    Send(IDM_HOSTLOOKUP);
    EXPECT_EQ(cbReceived, 5u);
    wOptions = 0;
}

TEST_F(Commands, AddressBookKeepsTheByteCount)
{
    SetByteCountForTest(42);
    Send(IDM_ADDRBOOK);
    Send(IDM_ADDRBOOK_ALT);
    EXPECT_EQ(cbReceived, 42u);
}

TEST_F(Commands, CopyPutsTheSelectionOnTheClipboard)
{
    AppendOutput("Login: alice\r\nName: Alice\r\n");
    SendMessageA(hwndOutput, EM_SETSEL, 7, 12);
    Send(IDM_COPY);
    EXPECT_EQ(ClipboardText(), "alice");
}

TEST_F(Commands, CopyOfUnicodeTextPutsItWholeOnTheClipboard)
{
    bUnicodeText = true;
    const std::string cyrillic = u8"\u041f\u0440\u0438\u043c\u0435\u0440",
                      korean = u8"\ud55c\uad6d\uc5b4";
    AppendOutput((u8"Name: " + cyrillic + u8" " + korean + u8"\r\n").c_str());
    SendMessageA(hwndOutput, EM_SETSEL, 6, 16); // the two words, in UTF-16 units
    Send(IDM_COPY);
    EXPECT_EQ(ClipboardText(CF_UNICODETEXT), cyrillic + u8" " + korean);
}

TEST_F(Commands, SelectAllSelectsTheWholeTextAndFocusesThePane)
{
    AppendOutput("one\r\ntwo\r\nthree");
    Send(IDM_SELECTALL);
    DWORD start = 1, end = 0;
    SendMessageA(hwndOutput, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, static_cast<DWORD>(GetWindowTextLengthA(hwndOutput)));
    EXPECT_EQ(GetFocus(), hwndOutput);
}

TEST_F(Commands, ClearAliasAndAppendKeepThePaneReadOnly)
{
    AppendOutput("abc");
    AppendOutput("def");
    char buf[16];
    GetWindowTextA(hwndOutput, buf, sizeof buf);
    EXPECT_STREQ(buf, "abcdef");
    Send(IDM_CLEAR_ALT);
    EXPECT_EQ(GetWindowTextLengthA(hwndOutput), 0);
    EXPECT_NE(GetWindowLongA(hwndOutput, GWL_STYLE) & ES_READONLY, 0);
}

TEST_F(Commands, UnknownIdsAndTheEnterKeyGoToTheDefaultProcedure)
{
    AppendOutput("kept");
    Send(IDM_ENTER);
    Send(4242);
    EXPECT_EQ(GetWindowTextLengthA(hwndOutput), 4);
    EXPECT_TRUE(IsWindow(hwndMain));
}

} // namespace
