#include "win/query_fixture_win.h"

#include "net/notify_win.h"
#include "text/unicode_win.h"

std::vector<std::string> statusHistory;

namespace {

WNDPROC statusProc;

// Every text the status bar is given, in order.
LRESULT CALLBACK RecordingStatusProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == SB_SETTEXTA && lParam != 0)
        statusHistory.emplace_back(reinterpret_cast<const char *>(lParam));
    // Unicode text's status lines are recorded as the UTF-8 they came from.
    if (msg == SB_SETTEXTW && lParam != 0)
        statusHistory.push_back(WideToUtf8(std::wstring(reinterpret_cast<const wchar_t *>(lParam))));
    return CallWindowProcA(statusProc, hwnd, msg, wParam, lParam);
}

} // namespace

void Query::SetUp()
{
    MainWindowTest::SetUp();
    statusHistory.clear();
    statusProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        hwndStatus, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingStatusProc)));
    wOptions = 0;
    ResetByteCount();
}

void Query::TearDown()
{
    // Whatever a test left running ends as a user's cancel ends it.
    CancelOperation();
    StopNotifyTimer();
    ResetBusyState();
    wOptions = 0;
    bUnicodeText = false;
    MainWindowTest::TearDown();
}

int Query::Finger(const char *target)
{
    char text[512];
    lstrcpynA(text, target, sizeof text);
    ParseFingerTarget(text);
    return BeginFingerQuery();
}

int Query::Whois(const char *query, const char *server)
{
    return BeginWhoisQuery(query, server);
}

std::string Query::PaneText()
{
    std::string text;
    EXPECT_TRUE(OutputText(text));
    return text;
}

bool Query::Saw(const std::string &text) { return Count(text) > 0; }

int Query::Count(const std::string &text)
{
    int n = 0;
    for (const std::string &s : statusHistory)
        if (s == text)
            ++n;
    return n;
}
