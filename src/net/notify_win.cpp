#include "net/notify_win.h"

#include <cstdio>

#include "frame/frame_win.h"
#include "frame/messages.h"
#include "frame/options.h"

int nNotifyMinutes = 0;
int nNotifyTicks = 0;
bool bNotifyTimer = false;

namespace {

enum { DUE_RETRY_MS = 1000 };

bool timerRunning;

} // namespace

void StartNotifyTimer()
{
    SetTimer(hwndMain, TIMER_NOTIFY, 60000, nullptr);
    bNotifyTimer = true;
    timerRunning = true;
}

void StopNotifyTimer()
{
    KillTimer(hwndMain, TIMER_NOTIFY);
    StopNotifyRetries();
    timerRunning = false;
}

void EndNotification()
{
    StopNotifyTimer();
    nNotifyTicks = 0;
}

bool NotificationWaiting()
{
    return timerRunning && (wOptions & OPT_NOTIFY) != 0;
}

bool NotifyStillWanted()
{
    if (!timerRunning)
        return false;
    if (wOptions & OPT_NOTIFY)
        return true;
    EndNotification();
    return false;
}

bool CountNotifyTick()
{
    ++nNotifyTicks;
    // Every setter raises the interval to at least a minute; the guard keeps
    // the remainder defined whatever the value.
    const int minutes = nNotifyMinutes < 1 ? 1 : nNotifyMinutes;
    const int remainder = nNotifyTicks % minutes;
    if (remainder == 0)
        return true;
    char title[64];
    std::snprintf(title, sizeof title, "Pellwick - Next notify %d minutes", minutes - remainder);
    SetWindowTextA(hwndMain, title);
    return false;
}

void RetryNotifyQuerySoon()
{
    SetTimer(hwndMain, TIMER_NOTIFY_DUE, DUE_RETRY_MS, nullptr);
}

void StopNotifyRetries()
{
    KillTimer(hwndMain, TIMER_NOTIFY_DUE);
}
