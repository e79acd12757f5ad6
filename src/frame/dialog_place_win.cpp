#include "frame/dialog_place_win.h"

#include <algorithm>

#include "frame/dialog_place.h"
#include "frame/frame_win.h"
#include "handles/owned_win.h"

void CenterDialog(HWND dialog)
{
    RECT outer;
    GetWindowRect(dialog, &outer);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    if (IsIconic(hwndMain)) {
        MoveWindow(dialog, 0, 0, width, height, FALSE);
        return;
    }
    RECT client;
    GetClientRect(hwndMain, &client);
    POINT centre = {client.right / 2, client.bottom / 2};
    ClientToScreen(hwndMain, &centre);
    const DialogPoint corner = CentredCorner(centre.x, centre.y, width, height);
    MoveWindow(dialog, corner.x, corner.y, width, height, FALSE);
}

namespace {

RECT PlaceInDialog(HWND dialog, HWND control)
{
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&r), 2);
    return r;
}

// The width the control's text needs in its own font, or 0 when it is not
// a label or check box with text.
int TextWidthNeeded(HWND control)
{
    char cls[16] = "";
    GetClassNameA(control, cls, sizeof cls);
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    int extra = 0;
    if (lstrcmpiA(cls, "Button") == 0) {
        const LONG kind = style & BS_TYPEMASK;
        if (kind != BS_CHECKBOX && kind != BS_AUTOCHECKBOX)
            return 0;
        extra = GetSystemMetrics(SM_CXMENUCHECK) + 2;  // the box beside the text
    } else if (lstrcmpiA(cls, "Static") != 0 ||
               ((style & SS_TYPEMASK) != SS_LEFT && (style & SS_TYPEMASK) != SS_LEFTNOWORDWRAP)) {
        return 0;
    }
    char text[256];
    const int length = GetWindowTextA(control, text, sizeof text);
    if (length <= 0)
        return 0;
    const WindowDC dc(control);
    const SelectedObject font(dc.Get(),
                              reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    SIZE size = {};
    GetTextExtentPoint32A(dc.Get(), text, length, &size);
    return size.cx + extra;
}

} // namespace

void FitTextsToRoom(HWND dialog)
{
    RECT client;
    GetClientRect(dialog, &client);
    for (HWND c = GetWindow(dialog, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        const int needed = TextWidthNeeded(c);
        const RECT r = PlaceInDialog(dialog, c);
        if (needed <= r.right - r.left)
            continue;
        LONG limit = client.right;
        for (HWND o = GetWindow(dialog, GW_CHILD); o != nullptr; o = GetWindow(o, GW_HWNDNEXT)) {
            const RECT other = PlaceInDialog(dialog, o);
            if (o != c && (GetWindowLongA(o, GWL_STYLE) & WS_VISIBLE) != 0 && other.left >= r.right && other.top < r.bottom &&
                other.bottom > r.top && other.left < limit)
                limit = other.left;
        }
        const LONG width = std::min<LONG>(needed, limit - r.left);
        if (width > r.right - r.left)
            SetWindowPos(c, nullptr, 0, 0, width, r.bottom - r.top,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

RECT DialogControlRect(HWND dialog, int x, int y, int width, int height)
{
    RECT r = {x, y, width, height};
    MapDialogRect(dialog, &r);
    return r;
}

void MoveDialogControl(HWND dialog, int id, int x, int y, int width, int height)
{
    const RECT r = DialogControlRect(dialog, x, y, width, height);
    MoveWindow(GetDlgItem(dialog, id), r.left, r.top, r.right, r.bottom, TRUE);
}
