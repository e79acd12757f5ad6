// The logged-in notification's timer: a Finger query repeated every few
// minutes until the user shows up in the host's list of who is logged in.
// The query itself, and the look for the user in its answer, belong to the
// query (net/query_win.h); this keeps the time.
#pragma once

#include <windows.h>

extern int nNotifyMinutes;  // minutes between two queries
extern int nNotifyTicks;    // one-minute ticks counted since start-up or the last find
extern bool bNotifyTimer;   // the timer has been started in this run

// Starts (or restarts) the one-minute timer of the main window.
void StartNotifyTimer();
// Stops it, and any query waiting to start; the tick count is left alone.
void StopNotifyTimer();
// The notification is over: timer stopped, tick count 0.
void EndNotification();
// True while notification is on and its timer runs: between two queries
// that is the state Cancel Operation ends.
bool NotificationWaiting();

// Whether a tick still counts. A tick already queued when the timer stopped
// does not; notification that was switched off, in a dialog, stops here.
bool NotifyStillWanted();
// Counts a one-minute tick. True when the interval is over and the query is
// due; otherwise the title counts down the minutes to the next one.
bool CountNotifyTick();
// A due query that has to wait is tried again every second until it can
// start, and the retries stop when it does.
void RetryNotifyQuerySoon();
void StopNotifyRetries();
