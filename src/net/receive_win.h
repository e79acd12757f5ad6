// Receiving the answer, ending the query and cancelling an operation.
#pragma once

#include <windows.h>

#include <cstdint>

// The most an answer may bring, in bytes off the wire. Real Finger and WhoIs
// answers come to a few kilobytes, the largest well under a megabyte; 16 MB
// is far above any of them, yet even a worst-case answer (every byte a tab,
// eight characters in the pane) fits, with the copies that Save and Find
// make, in what a 32-bit process can hold. A server that streams for ever is
// cut there instead of filling memory and keeping a command-line run from
// ending. Tests lower it.
enum : uint32_t { ANSWER_LIMIT_BYTES = 16u * 1024 * 1024 };
extern uint32_t cbAnswerLimit;

// A new answer begins on a freshly connected socket.
void BeginAnswer();

// The connection failed after it was made (the request could not be sent,
// or its events could not be armed). Keeps whatever the server had already
// sent, then ends the query as a failed one with the WinSock error text of
// `call` in the status bar.
void FailConnectedQuery(int error, const char *call);

// Posts UM_READAGAIN: a read of the query socket as if WinSock had
// announced data. A read that finds nothing yet changes nothing. At most one
// is on its way at a time.
void PostFollowUpRead();
void OnReadAgain();

// UM_SOCKET: one read per message. False for events other than FD_READ and
// FD_CLOSE, which go to the default window procedure.
bool OnSocketEvent(WPARAM socket, LPARAM event);

// Reads at most one 1600-byte chunk from sockQuery and adds its converted
// text to the pane. Bytes read, 0 once the server has closed, -1 on failure
// (the reason in WSAGetLastError).
int ReceiveIntoOutput(HWND pane);

// Command 1001: ends whatever operation runs.
void CancelOperation();
