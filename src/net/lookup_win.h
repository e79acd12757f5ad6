// Host Lookup: a name resolved forward, or a dotted address backward, by the
// platform's asynchronous resolver while the window stays free.
#pragma once

#include <windows.h>

extern HANDLE hLookupTask;  // the running lookup's task handle, or 0
extern char *bufHostEnt;    // where WinSock writes the running lookup's entry

// Clears the pane and starts the lookup of `name`; its answer arrives as
// UM_HOSTLOOKUP. 0 when it runs, otherwise the WinSock error code.
int StartHostLookup(const char *name);

// UM_HOSTLOOKUP: the official name with the first address, then up to eight
// aliases, one line each; then idle again. A failed lookup says why in the
// status bar. Answers of lookups that were cancelled are dropped.
void OnHostLookup(WPARAM task, LPARAM result);

// A lookup that could not start or failed: its reason in the status bar,
// and the window idle again.
void FailHostLookup(int error);

// Cancel Operation during a lookup: idle at once, the late answer dropped.
void CancelHostLookup();
