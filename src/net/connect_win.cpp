#include "net/connect_win.h"

#include <cstring>

#include <string>

#include "handles/socket_win.h"
#include "net/blocking_win.h"
#include "text/unicode_win.h"

bool ResolveServer(const char *host, const char *service, u_short defaultPort,
                   const char *protocol, QueryPlug &plug, u_short port, sockaddr_in &address)
{
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    const servent *entry = getservbyname(service, protocol);
    address.sin_port = entry != nullptr ? static_cast<u_short>(entry->s_port) : htons(defaultPort);
    if (port != 0)
        address.sin_port = htons(port);

    plug.Stage(STAGE_RESOLVING, host);
    // The stages show the name as the user wrote it; the resolver gets the
    // form the network knows it by. The owner has refused a name without
    // one before it got here.
    std::string wire;
    if (!NameOnTheWire(host, wire)) {
        plug.Failed(WSAHOST_NOT_FOUND, "gethostbyname()");
        return false;
    }
    // A dotted address is used as it is. The limited-broadcast address reads
    // like INADDR_NONE and so goes to the resolver as a name.
    const u_long dotted = inet_addr(wire.c_str());
    if (dotted != INADDR_NONE) {
        address.sin_addr.s_addr = dotted;
    } else if (BlockingResolve(wire.c_str(), &address.sin_addr) == SOCKET_ERROR) {
        plug.Failed(WSAGetLastError(), "gethostbyname()");
        return false;
    }
    return true;
}

SOCKET ConnectResolved(const char *host, const sockaddr_in &address, const char *protocol,
                       QueryPlug &plug)
{
    plug.Stage(STAGE_CONNECTING, host);
    const protoent *proto = getprotobyname(protocol);
    // Every query is a stream; the protocol names only the databases' entries.
    OwnedSocket s(socket(AF_INET, SOCK_STREAM, proto != nullptr ? proto->p_proto : 0));
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
    plug.Stage(STAGE_CONNECTED, host);
    // The caller's connection owns it from here.
    const SOCKET connected = s.Get();
    s.Disown();
    return connected;
}

SOCKET OpenConnection(const char *host, const char *service, u_short defaultPort,
                      const char *protocol, QueryPlug &plug, u_short port)
{
    sockaddr_in address;
    if (!ResolveServer(host, service, defaultPort, protocol, plug, port, address))
        return INVALID_SOCKET;
    return ConnectResolved(host, address, protocol, plug);
}

SOCKET OpenTcpConnection(const char *host, const char *service, u_short defaultPort,
                         QueryPlug &plug)
{
    return OpenConnection(host, service, defaultPort, "tcp", plug);
}
