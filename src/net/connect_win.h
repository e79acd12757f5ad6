// Making the query connection. Each stage and a failure go to the plug.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <vector>

#include "net/blocking_win.h"
#include "net/query_plug.h"

// Where a host leads: one IPv4 address; with both families, every address
// of both, in the order they are tried.
using ServerAddresses = std::vector<SocketAddress>;

// The families a set-up uses: IPv4 alone, one address and one connect, or
// both (the owner's IPv6 option), every address and a race of connects.
enum class Families { Ipv4, Both };

// Resolves `host` (a name or a dotted address, as the program holds it: a
// name with letters beyond ASCII is resolved by its A-labels; with both
// families, an IPv6 address too, bare or in brackets), creates a socket and
// connects it to `service` ("finger", "whois"), or to `defaultPort` when the
// services database does not know the service. The window stays alive while
// it waits. Returns the connected socket in blocking mode, or INVALID_SOCKET
// after telling the plug which call failed. The socket is always a stream;
// `protocol` ("tcp") is what the services and protocols databases are asked
// for. A `port` other than 0, given with the server, is used instead of both.
SOCKET OpenConnection(const char *host, const char *service, u_short defaultPort,
                      const char *protocol, QueryPlug &plug, Families families, u_short port = 0);
SOCKET OpenTcpConnection(const char *host, const char *service, u_short defaultPort,
                         QueryPlug &plug, Families families);

// The two halves of OpenConnection, for an owner that looks at where a host
// leads before it connects there: the addresses and port `host` resolves to
// (false after telling the plug which call failed), then the connection to
// them, shown under `host`.
bool ResolveServer(const char *host, const char *service, u_short defaultPort,
                   const char *protocol, QueryPlug &plug, u_short port, Families families,
                   ServerAddresses &addresses);
SOCKET ConnectResolved(const char *host, const ServerAddresses &addresses, const char *protocol,
                       QueryPlug &plug, Families families);

// Whether an address, of either family, belongs to no server on the
// internet (IsPrivateIPv4, IsPrivateIPv6); false for any other family.
bool IsPrivateAddress(const sockaddr *address);
