#include "net/connection_win.h"

#include "frame/messages.h"
#include "text/text_mode.h"

namespace {

// Room for one chunk once converted: the worst case, every byte a tab, in
// the code page; or decoded from UTF-8. One read fills one at a time.
char szConverted[ConvertedCapacity(RECEIVE_CHUNK)];
char szDecoded[DecodedCapacity(RECEIVE_CHUNK)];

} // namespace

void Connection::Open(SOCKET s, HWND window, uint32_t room)
{
    socket_.Reset(s);
    window_ = window;
    room_ = room;
    decoder_.Reset();
}

void Connection::Close()
{
    socket_.Reset();
}

int Connection::Send(const std::vector<std::string> &parts)
{
    for (const std::string &part : parts) {
        if (send(socket_.Get(), part.data(), static_cast<int>(part.size()), 0) == SOCKET_ERROR)
            return WSAGetLastError();
    }
    return 0;
}

int Connection::Arm()
{
    if (WSAAsyncSelect(socket_.Get(), window_, UM_SOCKET, FD_READ | FD_CLOSE) == SOCKET_ERROR)
        return WSAGetLastError();
    // A connection that was reset before it was armed may never report an
    // event (Wine clears the error when the events are selected), so the
    // first read does not wait for one: it finds the answer, its end or the
    // failure already there, or nothing yet, and then the events follow.
    PostFollowUpRead();
    return 0;
}

void Connection::Fail(int error, const char *call, QueryPlug &plug)
{
    // Not armed, so still blocking: reading what is left must not wait.
    u_long nonBlocking = 1;
    ioctlsocket(socket_.Get(), static_cast<long>(FIONBIO), &nonBlocking);
    if (DrainFailed(plug))
        plug.Failed(error, call);
}

// The connection has ended: the start of a sequence that never ended goes
// in as the bytes it is. False when that brought the answer to its limit.
bool Connection::FinishAnswer(QueryPlug &plug)
{
    if (!bUnicodeText)
        return true;
    const size_t length = decoder_.Finish(szDecoded);
    if (length == 0)
        return true;
    room_ = plug.Received(szDecoded, length, 0);
    return room_ != 0;
}

// Reads whatever the platform still holds of an answer whose connection has
// failed. False when the answer reached its limit on the way.
bool Connection::DrainFailed(QueryPlug &plug)
{
    for (;;) {
        const int n = Receive(plug);
        if (n <= 0)
            return FinishAnswer(plug);
        if (room_ == 0)
            return false;
    }
}

// Reads at most one chunk, no more than the answer's room, and hands its
// converted text to the plug. Bytes read, 0 once the server has closed, -1
// on failure (the reason in WSAGetLastError).
int Connection::Receive(QueryPlug &plug)
{
    uint8_t chunk[RECEIVE_CHUNK];
    // An answer never brings more than its limit into the pane.
    const uint32_t want32 = room_ == 0 ? 1 : room_;
    const int want = want32 < RECEIVE_CHUNK ? static_cast<int>(want32) : RECEIVE_CHUNK;
    const int n = recv(socket_.Get(), reinterpret_cast<char *>(chunk), want, 0);
    if (n == 0)
        return 0;
    if (n == SOCKET_ERROR)
        return -1;
    if (bUnicodeText) {
        const size_t length = decoder_.Decode(chunk, static_cast<size_t>(n), szDecoded);
        room_ = plug.Received(szDecoded, length, n);
        return n;
    }
    const size_t length = ConvertAnswerChunk(chunk, static_cast<size_t>(n), szConverted);
    room_ = plug.Received(szConverted, length, n);
    return n;
}

bool Connection::OnEvent(WPARAM socket, LPARAM event, QueryPlug &plug)
{
    const WORD what = WSAGETSELECTEVENT(event);
    if (what != FD_READ && what != FD_CLOSE)
        return false;
    // An event already queued when Cancel closed its socket belongs to no
    // query any more.
    if (!IsOpen() || static_cast<SOCKET>(socket) != socket_.Get())
        return true;
    if (what == FD_CLOSE)
        plug.Closing();
    const int closeError = what == FD_CLOSE ? WSAGETSELECTERROR(event) : 0;
    // Windows reports a reset as a close carrying the error. Wine (8.0)
    // reports it as an ordinary close: no error in the event, none in
    // SO_ERROR or select(), and the reads find the answer's bytes and then
    // its end; only a blocking read already waiting when the reset comes
    // fails, and no read here waits. There such an answer ends as whole.
    if (closeError != 0) {
        // A reset connection: its close is the socket's last event, so the
        // query ends here, after whatever of the answer is still readable.
        if (DrainFailed(plug))
            plug.Failed(closeError, "recv()");
        return true;
    }
    const int n = Receive(plug);
    if (n < 0) {
        // Nothing to read yet is no failure. Any other failed read is not
        // followed by a close, so it ends the query.
        const int error = WSAGetLastError();
        if (error != WSAEWOULDBLOCK)
            plug.Failed(error, "recv()");
        return true;
    }
    if (n > 0) {
        // A read that emptied the socket is followed by another: when the
        // connection was reset before its events were armed, Wine reports
        // neither the reset nor the end, and only a read finds the end. A
        // full chunk leaves more behind, which WinSock does announce.
        if (room_ != 0 && n < RECEIVE_CHUNK)
            PostFollowUpRead();
        return true;
    }
    if (FinishAnswer(plug))
        plug.Closed();
    return true;
}

void Connection::PostFollowUpRead()
{
    if (followUpPosted_)
        return;
    followUpPosted_ = true;
    PostMessageA(window_, UM_READAGAIN, 0, 0);
}

void Connection::ReadAgain(QueryPlug &plug)
{
    // Whichever connection is open now is read: one posted for an earlier
    // one stands in for the next one's, which was not posted while it
    // waited.
    followUpPosted_ = false;
    if (IsOpen())
        OnEvent(socket_.Get(), WSAMAKESELECTREPLY(FD_READ, 0), plug);
}
