#include "app/mainwnd_win.h"

#include "app/placement_win.h"
#include "res/resource.h"

namespace {

// Moves and sizes of the normal frame are remembered; those caused by
// minimising or maximising are not, so the next run opens where the user
// last had the window in its normal state.
void OnSize(HWND hwnd, WPARAM sizeType)
{
    bTrackPlacement = !(sizeType == SIZE_MINIMIZED || sizeType == SIZE_MAXIMIZED);
    RecordPlacement(hwnd);
}

void OnSysCommand(WPARAM command)
{
    if (command == SC_MINIMIZE || command == SC_MAXIMIZE)
        bTrackPlacement = false;
}

void OnDestroy()
{
    WritePlacement();
    PostQuitMessage(0);
}

bool OnCommand(HWND hwnd, WORD id)
{
    switch (id) {
    case IDM_EXIT:
        SendMessageA(hwnd, WM_CLOSE, 0, 0);
        return true;
    default:
        return false;
    }
}

} // namespace

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        return 0;
    case WM_MOVE:
        RecordPlacement(hwnd);
        return 0;
    case WM_SIZE:
        OnSize(hwnd, wParam);
        return 0;
    case WM_SYSCOMMAND:
        OnSysCommand(wParam);
        break;
    case WM_COMMAND:
        if (OnCommand(hwnd, LOWORD(wParam)))
            return 0;
        break;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    default:
        break;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}
