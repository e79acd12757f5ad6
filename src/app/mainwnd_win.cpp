#include "app/mainwnd_win.h"

#include <commctrl.h>

#include "app/commands_win.h"
#include "app/html_help_win.h"
#include "frame/frame_win.h"
#include "frame/messages.h"
#include "frame/options.h"
#include "frame/placement_win.h"
#include "net/notify_win.h"
#include "net/progress_win.h"
#include "net/query_win.h"
#include "output/find_win.h"
#include "output/font_win.h"
#include "res/resource.h"

HCURSOR hcurBusy;
UINT uFindReplaceMsg;
char szTipText[128];

namespace {

LRESULT OnCreate(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    hwndStatus = CreateStatusBar(hwnd);
    hwndToolbar = CreateToolbar(hwnd);
    if (hwndToolbar == nullptr) {
        // The frame opens without its output pane; the user can still close it.
        MessageBoxA(nullptr, "Toolbar not created!", nullptr, MB_OK);
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    hcurBusy = LoadCursor(nullptr, IDC_WAIT);
    nNotifyTicks = 0;
    CreateOutputPane(hwnd, hwndStatus, hwndToolbar, reinterpret_cast<CREATESTRUCTA *>(lParam));
    LoadOutputFont(hwndOutput);
    uFindReplaceMsg = RegisterWindowMessageA("commdlg_FindReplace");
    bOutputGrayed = false;
    ResetBusyState();
    // Both run after the command line has had its turn, so the toolbar shows
    // the busy state of a query started from there.
    PostMessageA(hwnd, WM_COMMAND, IDM_UPDATEOUTPUTSTATE, 0);
    PostMessageA(hwnd, WM_COMMAND, IDM_UPDATEBUSYSTATE, 0);
    return 0;
}

void OnDestroy(HWND hwnd)
{
    WritePlacement();
    if (bNotifyTimer)
        KillTimer(hwnd, TIMER_NOTIFY);
    FreeOutputFont();
    CloseHtmlHelp();
    PostQuitMessage(0);
}

// Moves and sizes of the normal frame are remembered; those caused by
// minimising or maximising are not, so the next run opens where the user
// last had the window in its normal state.
void OnSize(WPARAM sizeType, LPARAM lParam, HWND hwnd)
{
    bTrackPlacement = !(sizeType == SIZE_MINIMIZED || sizeType == SIZE_MAXIMIZED);
    RecordPlacement(hwnd);
    LayoutFrame(LOWORD(lParam), HIWORD(lParam));
}

// The platform keeps bits of its own in the low four (a double click on the
// caption maximises with 0xF032), so only the rest names the command.
void OnSysCommand(WPARAM command)
{
    const WPARAM what = command & 0xFFF0;
    if (what == SC_MINIMIZE || what == SC_MAXIMIZE)
        bTrackPlacement = false;
}

// Child windows ask their parent first, so the hourglass covers the frame,
// the toolbar and the pane alike while an operation runs.
bool OnSetCursor()
{
    if (!bBusy)
        return false;
    SetCursor(hcurBusy);
    return true;
}

LRESULT OnNotify(LPARAM lParam)
{
    NMHDR *hdr = reinterpret_cast<NMHDR *>(lParam);
    if (hdr->code != TTN_NEEDTEXTA)
        return 1;
    NMTTDISPINFOA *tip = reinterpret_cast<NMTTDISPINFOA *>(lParam);
    LoadStringA(hInstance, static_cast<UINT>(hdr->idFrom), szTipText, sizeof szTipText);
    tip->lpszText = szTipText;
    return 0;
}

} // namespace

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        return OnCreate(hwnd, msg, wParam, lParam);
    case WM_DESTROY:
        OnDestroy(hwnd);
        return 0;
    case WM_MOVE:
        RecordPlacement(hwnd);
        return 0;
    case WM_SIZE:
        OnSize(wParam, lParam, hwnd);
        return 0;
    case WM_SYSCOMMAND:
        OnSysCommand(wParam);
        break;
    case WM_SETCURSOR:
        if (OnSetCursor())
            return 1;
        break;
    case WM_INITMENUPOPUP:
        // The check mark shows the setting as it stands when the menu opens,
        // whoever changed it last (the menu, -r, -j, -u, -6 or the stored value).
        CheckMenuItem(reinterpret_cast<HMENU>(wParam), IDM_REFERRALS,
                      bFollowReferrals ? MF_BYCOMMAND | MF_CHECKED : MF_BYCOMMAND | MF_UNCHECKED);
        CheckMenuItem(reinterpret_cast<HMENU>(wParam), IDM_RDAP,
                      bUseRdap ? MF_BYCOMMAND | MF_CHECKED : MF_BYCOMMAND | MF_UNCHECKED);
        CheckMenuItem(reinterpret_cast<HMENU>(wParam), IDM_UNICODE,
                      bUnicodeText ? MF_BYCOMMAND | MF_CHECKED : MF_BYCOMMAND | MF_UNCHECKED);
        CheckMenuItem(reinterpret_cast<HMENU>(wParam), IDM_IPV6,
                      bUseIpv6 ? MF_BYCOMMAND | MF_CHECKED : MF_BYCOMMAND | MF_UNCHECKED);
        break;
    case WM_NOTIFY:
        return OnNotify(lParam);
    case WM_COMMAND:
        if (DispatchCommand(hwnd, LOWORD(wParam)))
            return 0;
        break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        // The read-only pane would be drawn grey; answers read better on white.
        if (reinterpret_cast<HWND>(lParam) == hwndOutput)
            return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
        break;
    case WM_TIMER:
        if (wParam == TIMER_OUTPUT)
            FlushOutput();
        else if (wParam == TIMER_NOTIFY)
            OnNotifyTick();
        else if (wParam == TIMER_NOTIFY_DUE)
            OnNotifyDue();
        else if (wParam == TIMER_PROGRESS)
            OnProgressTick();
        else if (wParam == TIMER_ANSWER)
            OnAnswerTimeout();
        return 0;
    case UM_SOCKET:
        if (OnSocketEvent(wParam, lParam))
            return 0;
        break;
    case UM_READAGAIN:
        OnReadAgain();
        return 0;
    case UM_HOSTLOOKUP:
        OnHostLookup(wParam, lParam);
        return 0;
    case UM_BOTHLOOKUP:
        OnBothLookup(wParam);
        return 0;
    case UM_HTTPDONE:
        OnHttpDone(wParam);
        return 0;
    case UM_GETTOOLBAR:
        return reinterpret_cast<LRESULT>(hwndToolbar);
    default:
        if (msg == uFindReplaceMsg && uFindReplaceMsg != 0)
            return OnFindReplace(lParam);
        break;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}
