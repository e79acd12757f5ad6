// Making the query connection, with each stage and every failure shown in
// the status bar.
#pragma once

#include <windows.h>
#include <winsock.h>

// Shows the status text for a WinSock failure of the named call.
void ShowWinsockError(int code, const char *call);

// Resolves `host` (a name or a dotted address), creates a socket and
// connects it to `service` ("finger", "whois"), or to `defaultPort` when the
// services database does not know the service. The window stays alive while
// it waits. Returns the connected socket in blocking mode, or INVALID_SOCKET
// after showing why. The socket is always a stream; `protocol` ("tcp") is
// what the services and protocols databases are asked for.
SOCKET OpenConnection(const char *host, const char *service, u_short defaultPort,
                      const char *protocol);
SOCKET OpenTcpConnection(const char *host, const char *service, u_short defaultPort);
