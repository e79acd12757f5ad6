// Waits that keep the window alive.
//
// The connection set-up waits for a name to resolve and for a connect to
// finish; with IPv6, for the addresses of both families and for the first
// of several connects. WinSock 1.1 let such blocking calls go on dispatching the thread's
// window messages while they waited, so the window repainted, posted commands
// ran and Cancel Operation could be pressed; a cancelled call then failed
// with WSAEINTR. Neither the hook nor the cancellation exists any more, so
// these calls give that behaviour themselves: the work is started
// asynchronously and the thread runs a nested message loop until it is done,
// cancelled or timed out. The program stays single-threaded.
//
// Like the calls they stand for, both return SOCKET_ERROR on failure with the
// reason in WSAGetLastError: WSAEINTR after CancelBlockingCall,
// WSAEINPROGRESS when another waiting call is already under way,
// WSAETIMEDOUT when a connect gets no answer in time.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <vector>

// How long a connect may go unanswered.
enum { CONNECT_TIMEOUT_MS = 30000 };

// How a wait hands on the thread's messages, taken in UTF-16: the program's
// own dispatch (modeless dialog, accelerators, window), set once at
// start-up. Until then a message is translated and dispatched plainly.
using MessageDispatcher = void (*)(MSG &msg);
void SetWaitDispatcher(MessageDispatcher dispatcher);

// True while a waiting call is in progress (its nested loop is running).
bool IsBlockingCallActive();

// Makes the waiting call fail with WSAEINTR as soon as control returns to it.
// Does nothing when no call waits.
void CancelBlockingCall();

// Resolves a host name to its first IPv4 address. 0 or SOCKET_ERROR.
int BlockingResolve(const char *host, in_addr *address);

// Connects a fresh socket, waiting at most `timeoutMs`. On success the socket
// is back in blocking mode for the request's sends. 0 or SOCKET_ERROR.
int BlockingConnect(SOCKET s, const sockaddr_in &address, DWORD timeoutMs = CONNECT_TIMEOUT_MS);

// An address of either family, as the platform's calls take one.
struct SocketAddress {
    sockaddr_storage storage;
    int length;
};

// Resolves a name or an address to every address of both families, in the
// order the platform sorts them (RFC 6724), each with `port` (network byte
// order). The platform's resolver blocks, so it runs on a thread of its own
// that only posts its answer here; a cancelled wait leaves that thread to
// finish alone and drops its answer. 0 or SOCKET_ERROR.
int BlockingResolveAll(const char *host, u_short port, std::vector<SocketAddress> &addresses);

// Connects to the first of `addresses` that accepts, racing them as
// AttemptRace paces them, each attempt on a fresh stream socket of
// `protocol`, waiting at most `timeoutMs` in all. On success `connected`
// holds the winner, back in blocking mode, and every other attempt is
// closed. 0, or SOCKET_ERROR with the last error an attempt met.
int BlockingConnectFirst(const std::vector<SocketAddress> &addresses, int protocol,
                         SOCKET &connected, DWORD timeoutMs = CONNECT_TIMEOUT_MS);
