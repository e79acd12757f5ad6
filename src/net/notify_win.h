// The logged-in notification: a Finger query repeated every few minutes
// until the user shows up in the host's list of who is logged in.
#pragma once

#include <windows.h>

extern int nNotifyMinutes;  // minutes between two queries
extern int nNotifyTicks;    // one-minute ticks counted since start-up or the last find
extern bool bNotifyTimer;   // the timer has been started in this run

// Starts (or restarts) the one-minute timer of the main window.
void StartNotifyTimer();
// Stops it, and any query waiting to start; the tick count is left alone.
void StopNotifyTimer();
// True while notification is on and its timer runs: between two queries
// that is the state Cancel Operation ends.
bool NotificationWaiting();

// WM_TIMER with TIMER_NOTIFY: counts down in the title, and at the end of
// each interval starts the Finger query again, as soon as nothing else
// runs and no modal window holds the frame. A tick that finds notification
// switched off stops the timer.
void OnNotifyTick();
// WM_TIMER with TIMER_NOTIFY_DUE: another try at a query that fell due.
void OnNotifyDue();

// Looks for the user in the answer; when found, ends the notification
// (timer stopped, tick count 0), says so in a box and returns 1.
int CheckLoggedIn();
