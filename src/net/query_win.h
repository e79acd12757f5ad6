// The state of the one query that can run at a time.
#pragma once

#include <windows.h>
#include <winsock.h>

#include <cstdint>

enum { QUERY_NONE = -1, QUERY_FINGER = 0, QUERY_WHOIS = 1, QUERY_HOSTLOOKUP = 2 };
enum { QUERY_TEXT_BUFFER = 256 };

extern bool bBusy;            // a Finger, WhoIs or host-lookup operation runs
extern int nQueryKind;        // QUERY_NONE ... QUERY_HOSTLOOKUP
extern SOCKET sockQuery;      // the query socket, or INVALID_SOCKET
extern uint32_t cbReceived;   // answer bytes received, as they came off the wire
extern char szUser[QUERY_TEXT_BUFFER];  // Finger user (WhoIs: the query text)
extern char szHost[QUERY_TEXT_BUFFER];  // Finger host (WhoIs: the server)

// The title shown when the answer is complete.
enum { QUERY_TITLE_BUFFER = 300 };
extern char szQueryTitle[QUERY_TITLE_BUFFER];

// Splits a "[user@]host" target into szUser and szHost; overwrites the last
// at sign in `text`. Parts too long for their buffers are cut.
void ParseFingerTarget(char *text);

// Start a query: clear the pane, connect, send the whole request, then arm
// the socket so that the answer arrives as UM_SOCKET. The caller has set
// bBusy and nQueryKind. 0 once connected: the query runs, or, when the
// connection failed while the request went out, has already ended as a
// failed answer. -1 when it could not start, with bBusy already cleared.
int StartFingerQuery();
int StartWhoisQuery(const char *query, const char *server);

// The one way a query begins, whoever asks for it (a dialog, the command
// line, a notification tick): the busy state and its refresh, then the
// start; a query that cannot start gives the wait cursor up at once. Finger
// asks szUser at szHost. 0 when it runs, -1 when it could not start.
int BeginFingerQuery();
int BeginWhoisQuery(const char *query, const char *server);
// A host lookup; one WinSock will not start says why and ends at once.
void BeginHostLookup(const char *name);
