#include "frame/dialog_place_win.h"

#include "frame/dialog_place.h"
#include "frame/frame_win.h"

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
