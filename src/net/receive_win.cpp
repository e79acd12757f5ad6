#include "net/receive_win.h"

#include "frame/messages.h"
#include "net/answer_text.h"
#include "text/text_mode.h"

namespace {

// The worst case of one chunk: every byte a tab.
char szConverted[ConvertedCapacity(RECEIVE_CHUNK)];

// While Unicode text is on, the connection's bytes are read as UTF-8, which
// may be cut between two reads: the decoder keeps the start of a sequence
// until the rest comes.
AnswerDecoder decoder;
char szDecoded[DecodedCapacity(RECEIVE_CHUNK)];

// Where the connection's events go, and how many more bytes its owner takes.
HWND eventWindow;
uint32_t room;

// A read posted by the program itself is on its way. One is enough: with
// WinSock's own events beside it, more would pile up in the queue while a
// fast answer streams and hold up every other message.
bool followUpPosted;

// The connection has ended: the start of a sequence that never ended goes
// in as the bytes it is. False when that brought the answer to its limit.
bool FinishAnswer(QueryPlug &plug)
{
    if (!bUnicodeText)
        return true;
    const size_t length = decoder.Finish(szDecoded);
    if (length == 0)
        return true;
    room = plug.Received(szDecoded, length, 0);
    return room != 0;
}

// Reads whatever the platform still holds of an answer whose connection has
// failed. False when the answer reached its limit on the way.
bool DrainFailedConnection(SOCKET s, QueryPlug &plug)
{
    for (;;) {
        const int n = ReceiveIntoOutput(s, plug);
        if (n <= 0)
            return FinishAnswer(plug);
        if (room == 0)
            return false;
    }
}

} // namespace

int SendRequest(SOCKET s, const std::vector<std::string> &parts)
{
    for (const std::string &part : parts) {
        if (send(s, part.data(), static_cast<int>(part.size()), 0) == SOCKET_ERROR)
            return WSAGetLastError();
    }
    return 0;
}

void BeginAnswer(HWND window, uint32_t answerRoom)
{
    eventWindow = window;
    room = answerRoom;
    decoder.Reset();
}

int ArmConnection(SOCKET s)
{
    if (WSAAsyncSelect(s, eventWindow, UM_SOCKET, FD_READ | FD_CLOSE) == SOCKET_ERROR)
        return WSAGetLastError();
    // A connection that was reset before it was armed may never report an
    // event (Wine clears the error when the events are selected), so the
    // first read does not wait for one: it finds the answer, its end or the
    // failure already there, or nothing yet, and then the events follow.
    PostFollowUpRead();
    return 0;
}

void FailConnection(SOCKET s, int error, const char *call, QueryPlug &plug)
{
    // Not armed, so still blocking: reading what is left must not wait.
    u_long nonBlocking = 1;
    ioctlsocket(s, static_cast<long>(FIONBIO), &nonBlocking);
    if (DrainFailedConnection(s, plug))
        plug.Failed(error, call);
}

int ReceiveIntoOutput(SOCKET s, QueryPlug &plug)
{
    uint8_t chunk[RECEIVE_CHUNK];
    // An answer never brings more than its limit into the pane.
    const uint32_t want32 = room == 0 ? 1 : room;
    const int want = want32 < RECEIVE_CHUNK ? static_cast<int>(want32) : RECEIVE_CHUNK;
    const int n = recv(s, reinterpret_cast<char *>(chunk), want, 0);
    if (n == 0)
        return 0;
    if (n == SOCKET_ERROR)
        return -1;
    if (bUnicodeText) {
        const size_t length = decoder.Decode(chunk, static_cast<size_t>(n), szDecoded);
        room = plug.Received(szDecoded, length, n);
        return n;
    }
    const size_t length = ConvertAnswerChunk(chunk, static_cast<size_t>(n), szConverted);
    room = plug.Received(szConverted, length, n);
    return n;
}

bool ReadSocketEvent(SOCKET current, WPARAM socket, LPARAM event, QueryPlug &plug)
{
    const WORD what = WSAGETSELECTEVENT(event);
    if (what != FD_READ && what != FD_CLOSE)
        return false;
    // An event already queued when Cancel closed its socket belongs to no
    // query any more.
    if (static_cast<SOCKET>(socket) != current || current == INVALID_SOCKET)
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
        if (DrainFailedConnection(current, plug))
            plug.Failed(closeError, "recv()");
        return true;
    }
    const int n = ReceiveIntoOutput(current, plug);
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
        if (room != 0 && n < RECEIVE_CHUNK)
            PostFollowUpRead();
        return true;
    }
    if (FinishAnswer(plug))
        plug.Closed();
    return true;
}

void PostFollowUpRead()
{
    if (followUpPosted)
        return;
    followUpPosted = true;
    PostMessageA(eventWindow, UM_READAGAIN, 0, 0);
}

void ReadAgain(SOCKET current, QueryPlug &plug)
{
    // Whichever query runs now is read: one posted for an earlier query
    // stands in for the next one's, which was not posted while it waited.
    followUpPosted = false;
    if (current != INVALID_SOCKET)
        ReadSocketEvent(current, current, WSAMAKESELECTREPLY(FD_READ, 0), plug);
}
