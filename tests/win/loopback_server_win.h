// Servers on loopback addresses for the Windows tests: a scriptable Finger
// and WhoIs server, an HTTP server for the RDAP requests built on it, and a
// listener that never accepts. Each server plays a remote host from a
// background thread while the program's own single-threaded code runs on the
// test thread. They listen only on loopback addresses (127.x and ::1, and
// 192.0.2.43 and addresses of 2001:db8::/32, which the test sandbox puts on
// its loopback device); elsewhere ok() is false.
#pragma once

#include <windows.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// WinSock started for an object's lifetime, so that a server made before
// the test starts WinSock, or kept after it stops it, still works.
class WinsockUse {
public:
    WinsockUse();
    ~WinsockUse();
    WinsockUse(const WinsockUse &) = delete;
    WinsockUse &operator=(const WinsockUse &) = delete;

    bool ok() const { return started_; }

private:
    bool started_ = false;
};

// One step of the server's answer, run after the request has been read.
struct ServerStep {
    enum Kind { Send, Pause, Close, Reset, Hold, HalfClose, Unread, Wait, Reply } kind;
    std::string bytes;  // Send: the bytes of one send() call; Reply: what ends the request
    int ms = 0;         // Pause: sleep; Hold: stay open and silent for up to ms
    // Reply: the steps that answer the request, made from every byte read.
    std::function<std::vector<ServerStep>(const std::string &request)> reply = nullptr;
};

ServerStep SendBytes(std::string bytes);
ServerStep PauseMs(int ms);
ServerStep CloseNow();   // shutdown and close: the client reads the end of the answer
// Abortive close (SO_LINGER {1, 0}): a reset goes to the client. Under Wine
// only a recv() already waiting when it arrives reports WSAECONNRESET; a
// select() or WSAAsyncSelect() that sees it first clears the error, and the
// client then sees an ordinary close (FD_CLOSE with no error, recv() == 0).
ServerStep ResetNow();
// Keeps the connection open and silent for up to ms, or until Stop(). Ends
// early when the client closes, which PeerClosed() then tells.
ServerStep HoldOpen(int ms);
// Shuts down the sending side only (the client reads the end of the answer)
// and goes on with the script: a HoldOpen after it keeps reading until the
// client closes.
ServerStep HalfCloseNow();
// First in a script: answer without reading the request, and close with it
// unread, as a server does that writes and hangs up: the request then meets
// a closed connection and the client's end is reset.
ServerStep LeaveRequestUnread();
// Stays silent until the test calls Go(), so that it can act between two
// parts of an answer however long that takes.
ServerStep WaitForGo();
// Reads on until the request holds `end` (or the peer closes, or 5 s pass),
// then runs the steps that reply() makes of the whole request: an answer
// that depends on what was asked, as an HTTP server's does.
ServerStep ReplyTo(std::string end,
                   std::function<std::vector<ServerStep>(const std::string &request)> reply);

class LoopbackServer {
public:
    // Binds and listens on ip:port (SO_REUSEADDR), without accepting yet.
    LoopbackServer(const char *ip, unsigned short port);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer &) = delete;
    LoopbackServer &operator=(const LoopbackServer &) = delete;

    bool ok() const { return listener_ != INVALID_SOCKET; }

    // Serves the next `connections` connections in turn with the same script:
    // reads the request until it has seen CR LF (or the peer closes, or 5 s
    // pass), then runs the steps. A script that ends without Close or Reset
    // closes gracefully. An earlier script still running is stopped first.
    void Serve(std::vector<ServerStep> script, int connections = 1);
    // True once every connection of the last Serve() has been served.
    bool WaitServed(int timeoutMs);
    // Stops serving at once; connections still open are closed.
    void Stop();
    // Lets the script go on past one WaitForGo(), now or when it gets there.
    void Go();

    // Connections are numbered from 0 in the order accepted, across Serve() calls.
    std::string Request(int connection = 0) const;  // every byte read from it
    bool PeerClosed(int connection = 0) const;      // the client closed or reset it first
    int Accepted() const;

private:
    struct Connection {
        std::string bytes;
        bool peerClosed = false;
    };

    void Run(std::vector<ServerStep> script, int connections);
    SOCKET AcceptNext();
    void Handle(SOCKET s, int index, std::vector<ServerStep> script);
    bool SendAll(SOCKET s, const std::string &bytes);
    // Reads and records what the client sends for up to ms, or until what
    // it has sent holds `until` (when not null); false when the client
    // closed or the server stops.
    bool ReadFor(SOCKET s, int index, int ms, const char *until);
    // Reads what has arrived into the connection's record: the number of
    // bytes, 0 when none has come yet, -1 once the client has closed or
    // reset (which PeerClosed() then tells).
    int Receive(SOCKET s, int index);
    bool Stopping() const;
    bool WaitStop(int ms);  // sleeps up to ms; true if Stop() came first

    WinsockUse winsock_;
    SOCKET listener_ = INVALID_SOCKET;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool stop_ = false;
    int goes_ = 0;  // Go() calls not yet taken by a WaitForGo()
    int toServe_ = 0;
    int served_ = 0;
    std::vector<Connection> connections_;
    std::thread thread_;
};

// A listener that never accepts and whose queue is full, so that a further
// connect to it stays pending: for tests of Cancel while connecting and of the
// connect timeout. ok() is true only once a connect of its own has been seen
// to stay pending.
class StuckListener {
public:
    StuckListener(const char *ip, unsigned short port);
    ~StuckListener();
    StuckListener(const StuckListener &) = delete;
    StuckListener &operator=(const StuckListener &) = delete;

    bool ok() const { return ok_; }

private:
    WinsockUse winsock_;
    SOCKET listener_ = INVALID_SOCKET;
    std::vector<SOCKET> fillers_;
    bool ok_ = false;
};

// ---- HTTP -------------------------------------------------------------------

// A small HTTP/1.1 server for the tests of the RDAP requests, a front-end to
// LoopbackServer: each path answers as the test says, every answer closes
// its connection, and every request is kept to be looked at.
struct HttpAnswer {
    int status = 200;
    std::string headers;  // further header lines, each ending in CR LF
    std::string body;
    bool hang = false;    // say nothing and keep the connection until Stop()
    int trickleMs = 0;    // send the body a byte at a time, this many ms apart
};

HttpAnswer JsonAnswer(int status, std::string body, std::string headers = std::string());
HttpAnswer RedirectTo(const std::string &location);
HttpAnswer Hang();
HttpAnswer Trickle(std::string body, int ms);

class HttpServer {
public:
    // Listens on ip:port; answers nothing until Start().
    HttpServer(const char *ip, unsigned short port);
    bool ok() const { return server_.ok(); }

    // Where the answers come from: a path not set answers 404. A test may
    // change an answer while the server runs.
    void Set(const std::string &path, HttpAnswer answer);
    // Serves connections one after another until Stop() or the end.
    void Start();
    void Stop() { server_.Stop(); }

    int Accepted() const { return server_.Accepted(); }
    // How many requests asked for `path`.
    int Requests(const std::string &path) const;
    // A header of the request on connection `connection`, "" when not sent.
    std::string RequestHeader(int connection, const std::string &name) const;
    // The client closed connection `connection` before the server did.
    bool PeerClosed(int connection) const { return server_.PeerClosed(connection); }

private:
    std::vector<ServerStep> AnswerTo(const std::string &request) const;

    // Before the server, which is stopped first: its thread reads them.
    mutable std::mutex answersMutex_;
    std::map<std::string, HttpAnswer> answers_;
    LoopbackServer server_;
};
