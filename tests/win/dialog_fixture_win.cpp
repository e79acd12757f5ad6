#include "win/dialog_fixture_win.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include "app/app_win.h"
#include "config/config_win.h"
#include "config/profile_values.h"
#include "frame/frame_win.h"
#include "text/text_mode.h"
#include "win/test_support_win.h"

namespace {

std::function<void(HWND)> userAction;
bool acted;
DWORD actedAt;

// Acts once on the first dialog that comes up. A dialog still up long after
// the action is a test that went wrong: it is ended, so that the run goes on.
void CALLBACK ActOnDialog(HWND, UINT, UINT_PTR, DWORD)
{
    // A modal dialog shows itself once its loop first runs idle; the user
    // acts on what is on the screen.
    HWND dialog = GetActiveWindow();
    if (dialog == nullptr || dialog == hwndMain || !IsWindowVisible(dialog))
        return;
    if (!acted) {
        acted = true;
        actedAt = GetTickCount();
        userAction(dialog);
    } else if (GetTickCount() - actedAt > 10000) {
        ADD_FAILURE() << "the dialog was still open 10 s after the test's action";
        EndDialog(dialog, 0);
    }
}

std::string Utf8(const wchar_t *text, int length)
{
    if (length <= 0)
        return "";
    std::string bytes(static_cast<size_t>(length) * 3, '\0');
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, length, &bytes[0],
                                      static_cast<int>(bytes.size()), nullptr, nullptr);
    bytes.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return bytes;
}

std::vector<std::string> statusSeen;
WNDPROC statusProc;

LRESULT CALLBACK RecordStatus(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    // While Unicode text is on the program gives the bar UTF-16 alone.
    if (msg == SB_SETTEXTW && lParam != 0) {
        const auto *text = reinterpret_cast<const wchar_t *>(lParam);
        statusSeen.push_back(Utf8(text, lstrlenW(text)));
    }
    return CallWindowProcW(statusProc, hwnd, msg, wParam, lParam);
}

} // namespace

StatusTexts::StatusTexts()
{
    statusSeen.clear();
    proc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hwndStatus, GWLP_WNDPROC,
                                                        reinterpret_cast<LONG_PTR>(RecordStatus)));
    statusProc = proc_;
}

StatusTexts::~StatusTexts()
{
    SetWindowLongPtrW(hwndStatus, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc_));
}

bool StatusTexts::Saw(const std::string &text) const
{
    for (const std::string &s : statusSeen)
        if (s == text)
            return true;
    return false;
}

void AnswerDialog(int command, std::function<void(HWND)> action)
{
    acted = false;
    userAction = std::move(action);
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, ActOnDialog);
    SendMessageA(hwndMain, WM_COMMAND, static_cast<WPARAM>(command), 0);
    KillTimer(nullptr, timer);
}

// Posted, so that they reach the control through the dialog's own loop in
// order, as the keyboard's would.
void TypeText(const char *text)
{
    HWND focus = GetFocus();
    wchar_t wide[512];
    const int n = MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, 512);
    for (int i = 0; i + 1 < n; ++i)
        PostMessageW(focus, WM_CHAR, wide[i], 1);
}

void PressKey(UINT virtualKey)
{
    HWND focus = GetFocus() != nullptr ? GetFocus() : GetActiveWindow();
    PostMessageA(focus, WM_KEYDOWN, virtualKey, 1);
    PostMessageA(focus, WM_KEYUP, virtualKey, static_cast<LPARAM>(0xC0000001));
}

void Dialogs::SetUp()
{
    DeleteFileA(BareConfigPath().c_str());
    MainWindowTest::SetUp();
    store = path;
}

void Dialogs::TearDown()
{
    bUnicodeText = false;
    MainWindowTest::TearDown();
    DeleteFileA(BareConfigPath().c_str());
}

std::string Dialogs::Text(HWND dialog, int id)
{
    if (bUnicodeText)
        return Utf8Text(GetDlgItem(dialog, id));
    char text[300] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

std::vector<std::string> Dialogs::Listed(HWND dialog, int comboId)
{
    std::vector<std::string> v;
    HWND combo = GetDlgItem(dialog, comboId);
    const int n = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        if (bUnicodeText) {
            wchar_t text[300] = L"";
            SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i),
                         reinterpret_cast<LPARAM>(text));
            v.push_back(Utf8(text, lstrlenW(text)));
            continue;
        }
        char text[300] = "";
        SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        v.push_back(text);
    }
    return v;
}

std::string Dialogs::Utf8Text(HWND window)
{
    wchar_t text[300] = L"";
    return Utf8(text, GetWindowTextW(window, text, 300));
}

std::string Dialogs::Utf8Title()
{
    wchar_t text[300] = L"";
    // The default handling keeps the frame's title whole; the frame's own,
    // an ANSI window's, would give it in the code page.
    const LRESULT n = DefWindowProcW(hwndMain, WM_GETTEXT, 300, reinterpret_cast<LPARAM>(text));
    return Utf8(text, static_cast<int>(n));
}

std::string Dialogs::Key(const char *section, const char *key)
{
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, "pellwick.ini");
    char text[300] = "";
    GetPrivateProfileStringA(section, key, "<none>", text, sizeof text, "pellwick.ini");
    return text;
}

void Dialogs::StoreFile(const std::string &text)
{
    WriteWholeFile(store, text);
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, store.c_str());
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, "pellwick.ini");
}

void Dialogs::StoreServers(const std::string &lines)
{
    StoreFile("[__WhoIs__]\r\n" + lines);
}

void InstalledDialogs::SetUp()
{
    Dialogs::SetUp();
    bare = BareConfigPath();
    store = bare;
    CopyBounded(szCfgFile, sizeof szCfgFile, bare.c_str());
}
