// The query's connection: its socket, the request sent over it, and the
// answer read off it, one read per WinSock event and reads of the program's
// own where WinSock stays silent. What comes, and how the connection ends,
// goes to the plug. It shows nothing and keeps no query state.
#pragma once

#include <windows.h>
#include <winsock2.h>

#include <cstdint>
#include <string>
#include <vector>

#include "handles/socket_win.h"
#include "net/answer_text.h"
#include "net/query_plug.h"

// One read takes at most this many bytes.
enum { RECEIVE_CHUNK = 1600 };

class Connection {
public:
    // Takes `s`, connected and still blocking, in place of any socket held
    // before: a new answer begins. Its events and the program's own reads
    // go to `window`, and it may bring `room` bytes.
    void Open(SOCKET s, HWND window, uint32_t room);
    // Closes the socket; events of it already queued are dropped.
    void Close();
    bool IsOpen() const { return socket_.IsValid(); }
    SOCKET Socket() const { return socket_.Get(); }

    // Sends each part in its own send while the socket is still blocking. 0,
    // or the error of the first send that failed.
    int Send(const std::vector<std::string> &parts);

    // Arms the socket once the whole request is out: its events go to the
    // window as UM_SOCKET, so none can arrive before the starter has
    // returned. The first read does not wait for an event (see
    // PostFollowUpRead). 0, or the error of WSAAsyncSelect.
    int Arm();

    // The connection failed after it was made: reads whatever the platform
    // still holds of the answer without waiting, then tells the plug of the
    // failure unless the answer reached its limit on the way.
    void Fail(int error, const char *call, QueryPlug &plug);

    // UM_SOCKET: one read per message. An event of another socket (one
    // closed since) is dropped. False for events other than FD_READ and
    // FD_CLOSE, which go to the default window procedure.
    bool OnEvent(WPARAM socket, LPARAM event, QueryPlug &plug);

    // UM_READAGAIN: a read as if WinSock had announced data; one that finds
    // nothing yet changes nothing.
    void ReadAgain(QueryPlug &plug);

private:
    int Receive(QueryPlug &plug);
    bool FinishAnswer(QueryPlug &plug);
    bool DrainFailed(QueryPlug &plug);
    void PostFollowUpRead();

    OwnedSocket socket_;
    HWND window_ = nullptr;
    uint32_t room_ = 0;  // how many more bytes the owner takes
    // While Unicode text is on, the bytes are read as UTF-8, which may be
    // cut between two reads: the decoder keeps the start of a sequence
    // until the rest comes.
    AnswerDecoder decoder_;
    // A read posted by the program itself is on its way. One is enough:
    // with WinSock's own events beside it, more would pile up in the queue
    // while a fast answer streams and hold up every other message. It
    // outlives a socket: one posted for an earlier connection of a chain
    // stands in for the next one's.
    bool followUpPosted_ = false;
};
