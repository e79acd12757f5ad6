#include "win/main_window_fixture_win.h"

#include <cstdlib>
#include <new>

#include <commctrl.h>

#include "app/app_win.h"
#include "config/config_names.h"
#include "frame/frame_win.h"
#include "frame/options.h"
#include "text/text_mode.h"
#include "win/test_support_win.h"

int MainWindowTest::quitCode = -1;

void MainWindowTest::SetUpTestSuite()
{
    RegisterMainClass(GetModuleHandleA(nullptr));
}

void MainWindowTest::SetUp()
{
    DeleteInstallKey();
    path = UniqueTempPath("mainwnd");
    SetInstallValue(REG_VALUE_CFGFILE, path);
    WriteWholeFile(path, "[pellwick]\r\nleft=30\r\ntop=25\r\nright=200\r\nbottom=120\r\n");
    ASSERT_NE(CreateMainWindow(GetModuleHandleA(nullptr)), nullptr);
    ShowWindow(hwndMain, SW_SHOWNORMAL);
    UpdateWindow(hwndMain);
    Pump();
}

void MainWindowTest::TearDown()
{
    if (IsWindow(hwndMain))
        DestroyWindow(hwndMain);
    Pump();
    quitCode = -1;
    // A test that turned one on leaves the next one as ever.
    bUnicodeText = false;
    bUseIpv6 = false;
    DeleteInstallKey();
    DeleteFileA(path.c_str());
}

void MainWindowTest::Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quitCode = static_cast<int>(msg.wParam);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool MainWindowTest::PumpUntil(const std::function<bool()> &done, DWORD timeoutMs)
{
    return WaitUntil(timeoutMs, done, [] {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        Pump();
    });
}

std::string MainWindowTest::Title() { return Caption(hwndMain); }

std::string MainWindowTest::StatusText()
{
    // In the simple mode the bar is in, part 0 reads the simple text.
    const size_t length = LOWORD(SendMessageA(hwndStatus, SB_GETTEXTLENGTHA, 0, 0));
    std::string text(length + 1, '\0');
    SendMessageA(hwndStatus, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(&text[0]));
    return text.c_str();
}

void MainWindowTest::ResizeClient(int width, int height)
{
    RECT rc = {0, 0, width, height};
    AdjustWindowRect(&rc, WS_OVERLAPPEDWINDOW, TRUE);
    SetWindowPos(hwndMain, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    Pump();
}

void MainWindowTest::MoveFrame(int left, int top, int width, int height)
{
    const RECT to = DialogUnitRect(left, top, width, height);
    SetWindowPos(hwndMain, nullptr, to.left, to.top, to.right - to.left, to.bottom - to.top,
                 SWP_NOZORDER);
    Pump();
}

namespace {

size_t failFrom; // 0: every allocation is served

} // namespace

FailAllocations::FailAllocations(size_t bytes) { failFrom = bytes; }
FailAllocations::~FailAllocations() { failFrom = 0; }

// The test program's own operator new, which the standard library's other
// forms (arrays, nothrow) call in turn: the seam that FailAllocations opens.
void *operator new(size_t size)
{
    if (failFrom != 0 && size >= failFrom)
        throw std::bad_alloc();
    for (;;) {
        if (void *p = std::malloc(size != 0 ? size : 1))
            return p;
        std::new_handler handler = std::get_new_handler();
        if (handler == nullptr)
            throw std::bad_alloc();
        handler();
    }
}

void operator delete(void *p) noexcept { std::free(p); }
void operator delete(void *p, size_t) noexcept { std::free(p); }

namespace {

// The program starts WinSock once for its whole run; so do the tests, so that
// helpers that start and stop it for themselves never leave it stopped.
class WinsockEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        WSADATA data;
        WSAStartup(MAKEWORD(1, 1), &data);
    }
    void TearDown() override { WSACleanup(); }
};

::testing::Environment *const winsockEnvironment =
    ::testing::AddGlobalTestEnvironment(new WinsockEnvironment);

} // namespace
