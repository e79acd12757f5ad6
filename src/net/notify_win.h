// The logged-in notification: a Finger query repeated every few minutes.
#pragma once

extern int nNotifyMinutes;  // minutes between two queries
extern int nNotifyTicks;    // one-minute ticks since the last query
extern bool bNotifyTimer;   // the timer has been started in this run
