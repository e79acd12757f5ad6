// Host lookups: a name resolved forward, or a dotted address backward, by the
// platform's asynchronous resolver while the window stays free. The entry's
// lines, a failure and the end go to the plug.
#pragma once

#include <windows.h>

#include <cstddef>

#include "net/connect_win.h"
#include "net/query_plug.h"

extern HANDLE hLookupTask;  // the running lookup's task handle, or 0
extern char *bufHostEnt;    // where WinSock writes the running lookup's entry

// Starts the lookup of `name`; its answer arrives at `window` as
// UM_HOSTLOOKUP, or with both families, for any name but a dotted address,
// as UM_BOTHLOOKUP (net/lookup_both_win.h). False, after telling the plug why, when it could not start.
bool StartHostLookup(const char *name, HWND window, QueryPlug &plug, Families families);

// UM_HOSTLOOKUP: the official name with the first address, then up to eight
// aliases, one line each, then the end; or the failure. Each name passes
// through `name` (cut to its size), which keeps the last one. Answers of
// lookups that were cancelled, or of none that runs, are dropped.
void ReadHostLookup(WPARAM task, LPARAM result, char *name, size_t nameSize, QueryPlug &plug);

// Cancels the running lookup; its late answer will be dropped.
void CancelHostLookup();
