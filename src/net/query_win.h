// The one query that can run at a time: a Finger or WhoIs query or a host
// lookup, asked for by a dialog, the command line or a notification tick.
// This is its one owner. It begins the query, hears from the network code
// how it goes (net/query_plug.h), completes, fails or cancels it, and takes
// the steps that follow an answer: the save and exit of a command-line run
// and the logged-in check. It keeps the query's one phase (idle,
// connecting, receiving, asking RDAP, looking a host up); the state below,
// derived from it, is read everywhere and written here alone.
#pragma once

#include <windows.h>
#include <winsock2.h>

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

// The most an answer may bring, in bytes off the wire. Real Finger and WhoIs
// answers come to a few kilobytes, the largest well under a megabyte; 16 MB
// is far above any of them, yet even a worst-case answer (every byte a tab,
// eight characters in the pane) fits, with the copies that Save and Find
// make, in what a 32-bit process can hold. A server that streams for ever is
// cut there instead of filling memory and keeping a command-line run from
// ending. Tests lower it.
enum : uint32_t { ANSWER_LIMIT_BYTES = 16u * 1024 * 1024 };
extern uint32_t cbAnswerLimit;

// Splits a "[user@]host" target into szUser and szHost; overwrites the last
// at sign in `text`. Parts too long for their buffers are cut.
void ParseFingerTarget(char *text);

// The one way a query begins, whoever asks for it: the busy state and its
// refresh; the pane cleared; the connection, the whole request sent, and
// the socket armed so that the answer arrives as UM_SOCKET. Finger asks
// szUser at szHost. 0 once connected: the query runs, or, when the
// connection failed while the request went out, has already ended as a
// failed answer. -1 when it could not start: idle again, the wait cursor
// given up at once.
int BeginFingerQuery();
int BeginWhoisQuery(const char *query, const char *server);
// A host lookup; one WinSock will not start says why and ends at once.
void BeginHostLookup(const char *name);

// The Finger, WhoIs and Host Lookup commands count the next answer's bytes
// from 0; the address book's queries count on.
void ResetByteCount();
// A new frame starts with nothing busy.
void ResetBusyState();

// The main window's messages for the query.
bool OnSocketEvent(WPARAM socket, LPARAM event);  // UM_SOCKET; false: not ours
void OnReadAgain();                               // UM_READAGAIN
void OnHostLookup(WPARAM task, LPARAM result);    // UM_HOSTLOOKUP
void OnBothLookup(WPARAM number);                 // UM_BOTHLOOKUP
// TIMER_ANSWER: the server has sent nothing for `answertimeout` seconds
// (section pellwick, 60 when missing, 0 for no limit): the query ends as a
// failed one, "No answer from HOST in N seconds", and what came stays.
void OnAnswerTimeout();
void OnHttpDone(WPARAM request);                  // UM_HTTPDONE
// WM_TIMER with TIMER_NOTIFY: counts down in the title, and at the end of
// each interval starts the Finger query again, as soon as nothing else runs
// and no modal window holds the frame.
void OnNotifyTick();
// WM_TIMER with TIMER_NOTIFY_DUE: another try at a query that fell due.
void OnNotifyDue();

// Command 1001: ends whatever operation runs, and the notification.
void CancelOperation();

// Looks for the user in the answer; when found, ends the notification
// (timer stopped, tick count 0), says so in a box and returns 1.
int CheckLoggedIn();

// Seams for the window tests, through the owner: the state a query in
// progress leaves (busy, with no connection yet), which Cancel Operation or
// ResetBusyState ends; and the byte count as earlier answers left it.
void EnterBusyForTest();
void SetByteCountForTest(uint32_t bytes);

// Shows the status text for a WinSock failure of the named call.
void ShowWinsockError(int code, const char *call);
