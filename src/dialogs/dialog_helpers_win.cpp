#include "dialogs/dialog_helpers_win.h"

#include "app/app_win.h"
#include "dialogs/dialog_place.h"

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
