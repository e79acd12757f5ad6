#include "app/app_win.h"

#include <commctrl.h>

#include <string>

#include "app/cmdline_win.h"
#include "app/mainwnd_win.h"
#include "config/config_win.h"
#include "frame/dialog_units.h"
#include "frame/exit_codes.h"
#include "frame/placement_win.h"
#include "net/blocking_win.h"
#include "output/find_win.h"
#include "rdap/http_win.h"
#include "res/resource.h"

HACCEL haccelMain;

bool RegisterMainClass(HINSTANCE instance)
{
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, ICON_MAIN);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszMenuName = MENU_MAIN;
    wc.lpszClassName = MAIN_CLASS_NAME;
    return RegisterClassA(&wc) != 0;
}

HWND CreateMainWindow(HINSTANCE instance)
{
    hInstance = instance;

    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);

    ReadInstallValues();
    ReadPlacement();

    const DialogBaseUnits base = SplitDialogBaseUnits(static_cast<uint32_t>(GetDialogBaseUnits()));
    nBaseUnitX = base.x;
    nBaseUnitY = base.y;

    const RECT rc = StoredPlacementRect();
    hwndMain = CreateWindowExA(0, MAIN_CLASS_NAME, MAIN_WINDOW_TITLE, WS_OVERLAPPEDWINDOW,
                               rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, nullptr,
                               nullptr, instance, nullptr);
    return hwndMain;
}

void LoadMainAccelerators(HINSTANCE instance)
{
    haccelMain = LoadAcceleratorsA(instance, ACCEL_MAIN);
    if (haccelMain == nullptr)
        MessageBoxA(nullptr, "Accelerator Load Failed", STARTUP_ERROR_CAPTION,
                    MB_OK | MB_ICONEXCLAMATION);
}

namespace {

// Messages come in two forms, and each is handed on in the form it was
// taken in: a character typed into a Unicode window (the Find dialog while
// Unicode text is on) stays whole only when it was taken in UTF-16, and an
// ANSI window still gets its characters converted on dispatch.
void DispatchAs(MSG &msg, bool wide)
{
    if (hwndFind != nullptr && (wide ? IsDialogMessageW(hwndFind, &msg)
                                     : IsDialogMessageA(hwndFind, &msg)))
        return;
    if (wide ? TranslateAcceleratorW(hwndMain, haccelMain, &msg)
             : TranslateAcceleratorA(hwndMain, haccelMain, &msg))
        return;
    TranslateMessage(&msg);
    if (wide)
        DispatchMessageW(&msg);
    else
        DispatchMessageA(&msg);
}

} // namespace

void DispatchThreadMessage(MSG &msg)
{
    DispatchAs(msg, false);
}

void DispatchThreadMessageW(MSG &msg)
{
    DispatchAs(msg, true);
}

int RunMessageLoop()
{
    MSG msg = {};
    BOOL got;
    while ((got = GetMessageW(&msg, nullptr, 0, 0)) > 0)
        DispatchThreadMessageW(msg);
    // GetMessage answers -1 only for an invalid call, and then fills no
    // message: the run ends as one that could not go on, never as a success.
    if (got < 0)
        return EXIT_NOT_STARTED;
    return static_cast<int>(msg.wParam);
}

int RunPellwick(HINSTANCE instance, HINSTANCE previous, const char *cmdLine, int cmdShow)
{
    if (WSAStartup(MAKEWORD(1, 1), &wsaData) != 0) {
        MessageBoxA(nullptr, "WSAStartup Failed", STARTUP_ERROR_CAPTION,
                    MB_OK | MB_ICONEXCLAMATION);
        return EXIT_NOT_STARTED;
    }
    // Without its window the program cannot run a query either.
    int exitCode = EXIT_NOT_STARTED;
    SetWaitDispatcher(DispatchThreadMessageW);
    if (previous == nullptr && RegisterMainClass(instance) && CreateMainWindow(instance)) {
        ShowWindow(hwndMain, cmdShow);
        UpdateWindow(hwndMain);
        LoadMainAccelerators(instance);
        // Its query starts before the loop runs, so the busy refresh posted
        // while the window was created shows that query's state.
        if (cmdLine != nullptr && cmdLine[0] != '\0') {
            std::string tail(cmdLine);
            ProcessCommandLine(&tail[0]);
        }
        exitCode = RunMessageLoop();
    }
    // An RDAP request still running posts nothing more; its thread ends
    // with the process.
    CancelAllHttpGets();
    WSACleanup();
    return exitCode;
}
