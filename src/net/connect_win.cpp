#include "net/connect_win.h"

#include <cstdio>
#include <cstring>

#include "frame/frame_win.h"
#include "net/blocking_win.h"
#include "net/winsock_errors.h"

namespace {

// Room for the longest host (255 characters) after the longest prefix, so
// the status shows the host whole.
enum { STAGE_TEXT_BUFFER = 300 };

void ShowStage(const char *format, const char *host)
{
    char text[STAGE_TEXT_BUFFER];
    std::snprintf(text, sizeof text, format, host);
    SetStatusText(text);
}

} // namespace

void ShowWinsockError(int code, const char *call)
{
    char text[96];
    FormatWinsockError(code, call, text, sizeof text);
    SetStatusText(text);
}

SOCKET OpenConnection(const char *host, const char *service, u_short defaultPort,
                      const char *protocol)
{
    sockaddr_in address;
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    const servent *entry = getservbyname(service, protocol);
    address.sin_port = entry != nullptr ? static_cast<u_short>(entry->s_port) : htons(defaultPort);

    ShowStage("Resolving %s", host);
    // A dotted address is used as it is. The limited-broadcast address reads
    // like INADDR_NONE and so goes to the resolver as a name.
    const u_long dotted = inet_addr(host);
    if (dotted != INADDR_NONE) {
        address.sin_addr.s_addr = dotted;
    } else if (BlockingResolve(host, &address.sin_addr) == SOCKET_ERROR) {
        ShowWinsockError(WSAGetLastError(), "gethostbyname()");
        return INVALID_SOCKET;
    }

    ShowStage("Connecting to %s", host);
    const protoent *proto = getprotobyname(protocol);
    // Every query is a stream; the protocol names only the databases' entries.
    SOCKET s = socket(AF_INET, SOCK_STREAM, proto != nullptr ? proto->p_proto : 0);
    if (s == INVALID_SOCKET) {
        ShowWinsockError(WSAGetLastError(), "Socket()");
        return INVALID_SOCKET;
    }
    if (BlockingConnect(s, address) == SOCKET_ERROR) {
        const int error = WSAGetLastError();
        closesocket(s); // nothing else refers to it
        ShowWinsockError(error, "Connect()");
        return INVALID_SOCKET;
    }
    ShowStage("Connected to %s", host);
    return s;
}

SOCKET OpenTcpConnection(const char *host, const char *service, u_short defaultPort)
{
    return OpenConnection(host, service, defaultPort, "tcp");
}
