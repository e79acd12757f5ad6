#include "net/notify_win.h"

#include <cstdio>

#include "app/app_win.h"
#include "app/frame_win.h"
#include "app/messages.h"
#include "app/options.h"
#include "net/query_win.h"
#include "output/find_win.h"

int nNotifyMinutes = 0;
int nNotifyTicks = 0;
bool bNotifyTimer = false;

namespace {
bool timerRunning;
}

void StartNotifyTimer()
{
    SetTimer(hwndMain, TIMER_NOTIFY, 60000, nullptr);
    bNotifyTimer = true;
    timerRunning = true;
}

void StopNotifyTimer()
{
    KillTimer(hwndMain, TIMER_NOTIFY);
    timerRunning = false;
}

bool NotificationWaiting()
{
    return timerRunning && (wOptions & OPT_NOTIFY) != 0;
}

void OnNotifyTick()
{
    ++nNotifyTicks;
    // Every setter raises the interval to at least a minute; the guard keeps
    // the remainder defined whatever the value.
    const int minutes = nNotifyMinutes < 1 ? 1 : nNotifyMinutes;
    const int remainder = nNotifyTicks % minutes;
    if (remainder != 0) {
        char title[64];
        std::snprintf(title, sizeof title, "Pellwick - Next notify %d minutes", minutes - remainder);
        SetWindowTextA(hwndMain, title);
        return;
    }
    // A query still running when the next one falls due is left to finish;
    // starting over it would lose its socket.
    if (bBusy)
        return;
    bBusy = true;
    nQueryKind = QUERY_FINGER;
    StartFingerQuery();
}

int CheckLoggedIn()
{
    if (!FindInOutput(hwndOutput, -1, szUser))
        return 0;
    char text[2 * QUERY_TEXT_BUFFER + 32];
    std::snprintf(text, sizeof text, "%s is logged on at %s", szUser, szHost);
    MessageBeep(0);
    MessageBoxA(nullptr, text, "Pellwick Notify", MB_OK | MB_ICONINFORMATION | MB_TASKMODAL);
    return 1;
}
