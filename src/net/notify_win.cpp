#include "net/notify_win.h"

#include <cstdio>

#include "frame/frame_win.h"
#include "frame/messages.h"
#include "frame/options.h"
#include "net/blocking_win.h"
#include "net/query_win.h"
#include "output/find_win.h"
#include "res/resource.h"

int nNotifyMinutes = 0;
int nNotifyTicks = 0;
bool bNotifyTimer = false;

namespace {

enum { DUE_RETRY_MS = 1000 };

bool timerRunning;

// A query runs from the moment a starter takes the busy state until its
// socket is closed; a waiting connect counts too.
bool QueryRunning()
{
    return bBusy || sockQuery != INVALID_SOCKET || IsBlockingCallActive();
}

// Starts the timed query, or, while another query runs or a modal window
// (a query dialog, Save As, a print job, a message box) holds the frame,
// tries again every second until it can. A query dialog's Ok would
// otherwise start a second query over this one, and a print or save would
// see the pane cleared under it.
void StartDueQuery()
{
    if (QueryRunning() || !IsWindowEnabled(hwndMain)) {
        SetTimer(hwndMain, TIMER_NOTIFY_DUE, DUE_RETRY_MS, nullptr);
        return;
    }
    KillTimer(hwndMain, TIMER_NOTIFY_DUE);
    BeginFingerQuery(); // a failure shows in the status bar; the next tick tries again
}

// Notification that was switched off, in a dialog, stops at its next tick.
bool StillWanted()
{
    if (!timerRunning)
        return false; // a tick already queued when the timer stopped
    if (wOptions & OPT_NOTIFY)
        return true;
    StopNotifyTimer();
    nNotifyTicks = 0;
    return false;
}

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
    KillTimer(hwndMain, TIMER_NOTIFY_DUE);
    timerRunning = false;
}

bool NotificationWaiting()
{
    return timerRunning && (wOptions & OPT_NOTIFY) != 0;
}

void OnNotifyTick()
{
    if (!StillWanted())
        return;
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
    StartDueQuery();
}

void OnNotifyDue()
{
    if (StillWanted())
        StartDueQuery();
    else
        KillTimer(hwndMain, TIMER_NOTIFY_DUE);
}

int CheckLoggedIn()
{
    if (!FindInOutput(hwndOutput, -1, szUser))
        return 0;
    // The notification is over before the notice shows: no tick under the
    // box may start another query, clear the pane it describes or stack a
    // second box on it, and Cancel Operation is no longer offered.
    StopNotifyTimer();
    nNotifyTicks = 0;
    PostMessageA(hwndMain, WM_COMMAND, IDM_UPDATEBUSYSTATE, 0);
    char text[2 * QUERY_TEXT_BUFFER + 32];
    std::snprintf(text, sizeof text, "%s is logged on at %s", szUser, szHost);
    MessageBeep(0);
    MessageBoxA(nullptr, text, "Pellwick Notify", MB_OK | MB_ICONINFORMATION | MB_TASKMODAL);
    return 1;
}
