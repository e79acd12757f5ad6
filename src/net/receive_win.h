// Sending the request and reading the answer off the query connection: one
// read per WinSock event, and reads of the program's own where WinSock stays
// silent. What comes, and how the connection ends, goes to the plug.
#pragma once

#include <windows.h>
#include <winsock.h>

#include <cstdint>
#include <string>
#include <vector>

#include "net/query_plug.h"

// One read takes at most this many bytes.
enum { RECEIVE_CHUNK = 1600 };

// A new answer begins: its events and the program's own reads go to
// `window`, and it may bring `room` bytes.
void BeginAnswer(HWND window, uint32_t room);

// Sends each part in its own send while the socket is still blocking. 0, or
// the error of the first send that failed.
int SendRequest(SOCKET s, const std::vector<std::string> &parts);

// Arms `s` once the whole request is out: its events go to the window as
// UM_SOCKET, so none can arrive before the starter has returned. The first
// read does not wait for an event (see PostFollowUpRead). 0, or the error of
// WSAAsyncSelect.
int ArmConnection(SOCKET s);

// The connection failed after it was made: reads whatever the platform still
// holds of the answer without waiting, then tells the plug of the failure
// unless the answer reached its limit on the way.
void FailConnection(SOCKET s, int error, const char *call, QueryPlug &plug);

// UM_SOCKET for the connection `current`: one read per message. An event of
// another socket (one closed since) is dropped. False for events other than
// FD_READ and FD_CLOSE, which go to the default window procedure.
bool ReadSocketEvent(SOCKET current, WPARAM socket, LPARAM event, QueryPlug &plug);

// Posts UM_READAGAIN: a read of the query socket as if WinSock
// had announced data. A read that finds nothing yet changes nothing. At most
// one is on its way at a time.
void PostFollowUpRead();
// UM_READAGAIN: reads `current`, whichever connection that is now.
void ReadAgain(SOCKET current, QueryPlug &plug);

// Reads at most one chunk from `s`, no more than the answer's room, and
// hands its converted text to the plug. Bytes read, 0 once the server has
// closed, -1 on failure (the reason in WSAGetLastError).
int ReceiveIntoOutput(SOCKET s, QueryPlug &plug);
