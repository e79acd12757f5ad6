// Private window messages and timer ids of the main window. Portable.
#pragma once

#define UM_SOCKET (1025)        // socket event of the query connection
#define UM_READAGAIN (1026)     // the program's own read of the query connection
#define UM_HTTPDONE (1027)      // an RDAP request has ended; wParam is its id
#define UM_HOSTLOOKUP (10025)   // asynchronous host lookup finished
#define UM_BOTHLOOKUP (10026)   // a lookup of both families finished; wParam is its number
#define UM_GETTOOLBAR (10103)   // returns the toolbar's window handle
#define TIMER_NOTIFY (10101)    // the one-minute logged-in notification timer
#define TIMER_OUTPUT (10110)    // hands queued answer text to the pane
#define TIMER_NOTIFY_DUE (10111) // retries a timed query that had to wait
#define TIMER_PROGRESS (10112)  // shows the exact byte count of an answer that paused
#define TIMER_ANSWER (10113)    // ends a query whose server has sent nothing for too long
