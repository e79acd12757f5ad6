// What the network code tells the query that owns a connection or a lookup:
// the stages of setting it up, the answer as it comes, and how it ends. The
// network code shows nothing itself and keeps no query state; the owner
// decides what the user sees and what follows.
#pragma once

#include <cstddef>
#include <cstdint>

enum ConnectStage { STAGE_RESOLVING, STAGE_CONNECTING, STAGE_CONNECTED };

class QueryPlug {
public:
    // A stage of setting up the connection to `host` has been reached.
    virtual void Stage(ConnectStage stage, const char *host) = 0;
    // The WinSock call `call` failed with `error`. Before the connection is
    // made the set-up then gives up; after it, nothing more comes.
    virtual void Failed(int error, const char *call) = 0;
    // Answer text, converted for the pane, with a NUL at `length`, from
    // `bytes` bytes off the wire. Returns how many more bytes the owner takes;
    // 0 when it has ended the query on this piece (the answer reached its
    // limit), and nothing more may be read.
    virtual uint32_t Received(const char *text, size_t length, int bytes) = 0;
    // The server's close has been announced; its last bytes may still come.
    virtual void Closing() = 0;
    // The server has closed: the answer is whole.
    virtual void Closed() = 0;

protected:
    ~QueryPlug() = default;
};
