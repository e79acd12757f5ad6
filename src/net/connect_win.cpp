#include "net/connect_win.h"

#include <ws2tcpip.h>

#include <cstring>
#include <string>

#include "handles/socket_win.h"
#include "text/names.h"
#include "text/unicode_win.h"

namespace {

// The design's one address: a dotted address as it is, or the first IPv4
// address of a name. The limited-broadcast address reads like INADDR_NONE
// and so goes to the resolver as a name.
bool ResolveIpv4(const std::string &wire, u_short port, QueryPlug &plug, ServerAddresses &addresses)
{
    SocketAddress one = {};
    sockaddr_in &address = reinterpret_cast<sockaddr_in &>(one.storage);
    one.length = sizeof address;
    address.sin_family = AF_INET;
    address.sin_port = port;
    const u_long dotted = inet_addr(wire.c_str());
    if (dotted != INADDR_NONE) {
        address.sin_addr.s_addr = dotted;
    } else if (BlockingResolve(wire.c_str(), &address.sin_addr) == SOCKET_ERROR) {
        plug.Failed(WSAGetLastError(), "gethostbyname()");
        return false;
    }
    addresses.assign(1, one);
    return true;
}

// Both families; an IPv6 address may come in brackets.
bool ResolveBoth(std::string wire, u_short port, QueryPlug &plug, ServerAddresses &addresses)
{
    const std::string literal = Ipv6Literal(wire);
    if (!literal.empty())
        wire = literal;
    if (BlockingResolveAll(wire.c_str(), port, addresses) == SOCKET_ERROR) {
        plug.Failed(WSAGetLastError(), "getaddrinfo()");
        return false;
    }
    return true;
}

// The design's connect: one socket to the one address.
SOCKET ConnectIpv4(const sockaddr_in &address, int protocol, QueryPlug &plug)
{
    OwnedSocket s(socket(AF_INET, SOCK_STREAM, protocol));
    if (!s.IsValid()) {
        plug.Failed(WSAGetLastError(), "Socket()");
        return INVALID_SOCKET;
    }
    if (BlockingConnect(s.Get(), address) == SOCKET_ERROR) {
        const int error = WSAGetLastError();
        s.Reset(); // nothing else refers to it
        plug.Failed(error, "Connect()");
        return INVALID_SOCKET;
    }
    // The caller's connection owns it from here.
    const SOCKET connected = s.Get();
    s.Disown();
    return connected;
}

} // namespace

bool ResolveServer(const char *host, const char *service, u_short defaultPort,
                   const char *protocol, QueryPlug &plug, u_short port, Families families,
                   ServerAddresses &addresses)
{
    const bool both = families == Families::Both;
    const servent *entry = getservbyname(service, protocol);
    u_short wirePort = entry != nullptr ? static_cast<u_short>(entry->s_port) : htons(defaultPort);
    if (port != 0)
        wirePort = htons(port);

    plug.Stage(STAGE_RESOLVING, host);
    // The stages show the name as the user wrote it; the resolver gets the
    // form the network knows it by. The owner has refused a name without
    // one before it got here.
    std::string wire;
    if (!NameOnTheWire(host, wire)) {
        plug.Failed(WSAHOST_NOT_FOUND, both ? "getaddrinfo()" : "gethostbyname()");
        return false;
    }
    return both ? ResolveBoth(wire, wirePort, plug, addresses)
                    : ResolveIpv4(wire, wirePort, plug, addresses);
}

SOCKET ConnectResolved(const char *host, const ServerAddresses &addresses, const char *protocol,
                       QueryPlug &plug, Families families)
{
    plug.Stage(STAGE_CONNECTING, host);
    const protoent *proto = getprotobyname(protocol);
    // Every query is a stream; the protocol names only the databases' entries.
    const int number = proto != nullptr ? proto->p_proto : 0;
    SOCKET s = INVALID_SOCKET;
    if (families == Families::Ipv4) {
        s = ConnectIpv4(reinterpret_cast<const sockaddr_in &>(addresses.at(0).storage), number,
                        plug);
    } else if (BlockingConnectFirst(addresses, number, s) == SOCKET_ERROR) {
        plug.Failed(WSAGetLastError(), "Connect()");
        return INVALID_SOCKET;
    }
    if (s != INVALID_SOCKET)
        plug.Stage(STAGE_CONNECTED, host);
    return s;
}

SOCKET OpenConnection(const char *host, const char *service, u_short defaultPort,
                      const char *protocol, QueryPlug &plug, Families families, u_short port)
{
    ServerAddresses addresses;
    if (!ResolveServer(host, service, defaultPort, protocol, plug, port, families, addresses))
        return INVALID_SOCKET;
    return ConnectResolved(host, addresses, protocol, plug, families);
}

SOCKET OpenTcpConnection(const char *host, const char *service, u_short defaultPort,
                         QueryPlug &plug, Families families)
{
    return OpenConnection(host, service, defaultPort, "tcp", plug, families);
}

bool IsPrivateAddress(const sockaddr *address)
{
    if (address->sa_family == AF_INET)
        return IsPrivateIPv4(ntohl(reinterpret_cast<const sockaddr_in *>(address)->sin_addr.s_addr));
    if (address->sa_family == AF_INET6)
        return IsPrivateIPv6(reinterpret_cast<const sockaddr_in6 *>(address)->sin6_addr.s6_addr);
    return false;
}
