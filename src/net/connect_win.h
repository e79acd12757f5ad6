// Making the query connection. Each stage and a failure go to the plug.
#pragma once

#include <windows.h>
#include <winsock2.h>

#include "net/query_plug.h"

// Resolves `host` (a name or a dotted address, as the program holds it: a
// name with letters beyond ASCII is resolved by its A-labels), creates a socket and
// connects it to `service` ("finger", "whois"), or to `defaultPort` when the
// services database does not know the service. The window stays alive while
// it waits. Returns the connected socket in blocking mode, or INVALID_SOCKET
// after telling the plug which call failed. The socket is always a stream;
// `protocol` ("tcp") is what the services and protocols databases are asked
// for. A `port` other than 0, given with the server, is used instead of both.
SOCKET OpenConnection(const char *host, const char *service, u_short defaultPort,
                      const char *protocol, QueryPlug &plug, u_short port = 0);
SOCKET OpenTcpConnection(const char *host, const char *service, u_short defaultPort,
                         QueryPlug &plug);

// The two halves of OpenConnection, for an owner that looks at where a host
// leads before it connects there: the address and port `host` resolves to
// (false after telling the plug which call failed), then the connection to
// it, shown under `host`.
bool ResolveServer(const char *host, const char *service, u_short defaultPort,
                   const char *protocol, QueryPlug &plug, u_short port, sockaddr_in &address);
SOCKET ConnectResolved(const char *host, const sockaddr_in &address, const char *protocol,
                       QueryPlug &plug);
