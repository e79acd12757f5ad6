#include "win/loopback_server_win.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstddef>
#include <cstring>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

// WinSock 1.1 has no name for shutdown()'s "no more sends".
const int kShutdownSend = 1;
// How often the server's waits look at the stop flag.
const int kPollMs = 20;
// How long a request may take to arrive before the script runs anyway.
const int kRequestMs = 5000;
// Longest a connect to a listener with room in its queue takes on loopback;
// a connect still pending after it has had its SYN dropped.
const int kQueuedConnectMs = 300;

sockaddr_in AddressOf(const char *ip, unsigned short port)
{
    sockaddr_in addr;
    std::memset(&addr, 0, sizeof addr);
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = inet_addr(ip);
    addr.sin_port = htons(port);
    return addr;
}

void SetNonBlocking(SOCKET s)
{
    u_long on = 1;
    ioctlsocket(s, static_cast<long>(FIONBIO), &on);
}

// A listening socket on ip:port, or INVALID_SOCKET.
SOCKET Listen(const char *ip, unsigned short port, int backlog)
{
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    if (s == INVALID_SOCKET)
        return s;
    // A test that follows another on the same address must not wait out
    // the earlier connections' TIME_WAIT.
    BOOL on = TRUE;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char *>(&on), sizeof on);
    sockaddr_in addr = AddressOf(ip, port);
    if (bind(s, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == SOCKET_ERROR ||
        listen(s, backlog) == SOCKET_ERROR) {
        closesocket(s);
        return INVALID_SOCKET;
    }
    return s;
}

enum Ready { NotReady, Readable, Writable, Failed };

// Waits up to ms for s to become readable (or, with forWrite, writable;
// a failed connect shows as Failed).
Ready WaitSocket(SOCKET s, bool forWrite, int ms)
{
    fd_set fds, errs;
    FD_ZERO(&fds);
    FD_ZERO(&errs);
    FD_SET(s, &fds);
    FD_SET(s, &errs);
    timeval tv;
    tv.tv_sec = ms / 1000;
    tv.tv_usec = (ms % 1000) * 1000;
    int n = forWrite ? select(0, nullptr, &fds, &errs, &tv) : select(0, &fds, nullptr, &errs, &tv);
    if (n == SOCKET_ERROR || FD_ISSET(s, &errs))
        return Failed;
    if (n == 0)
        return NotReady;
    return forWrite ? Writable : Readable;
}

int MsLeft(Clock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

ServerStep SendBytes(std::string bytes)
{
    ServerStep step{ServerStep::Send, std::move(bytes)};
    return step;
}

ServerStep PauseMs(int ms)
{
    ServerStep step{ServerStep::Pause, {}};
    step.ms = ms;
    return step;
}

ServerStep CloseNow()
{
    return ServerStep{ServerStep::Close, {}};
}

ServerStep ResetNow()
{
    return ServerStep{ServerStep::Reset, {}};
}

ServerStep HalfCloseNow()
{
    return ServerStep{ServerStep::HalfClose, {}};
}

ServerStep LeaveRequestUnread()
{
    return ServerStep{ServerStep::Unread, {}};
}

ServerStep WaitForGo()
{
    return ServerStep{ServerStep::Wait, {}};
}

ServerStep ReplyTo(std::string end,
                   std::function<std::vector<ServerStep>(const std::string &request)> reply)
{
    ServerStep step{ServerStep::Reply, std::move(end)};
    step.reply = std::move(reply);
    return step;
}

ServerStep HoldOpen(int ms)
{
    ServerStep step{ServerStep::Hold, {}};
    step.ms = ms;
    return step;
}

LoopbackServer::LoopbackServer(const char *ip, unsigned short port)
{
    WSADATA data;
    started_ = WSAStartup(MAKEWORD(1, 1), &data) == 0;
    if (!started_)
        return;
    listener_ = Listen(ip, port, 5);
    // The thread never blocks in accept(), so that Stop() is never kept waiting.
    if (listener_ != INVALID_SOCKET)
        SetNonBlocking(listener_);
}

LoopbackServer::~LoopbackServer()
{
    Stop();
    if (listener_ != INVALID_SOCKET)
        closesocket(listener_);
    if (started_)
        WSACleanup();
}

void LoopbackServer::Serve(std::vector<ServerStep> script, int connections)
{
    Stop();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        toServe_ = connections;
        served_ = 0;
        goes_ = 0;
    }
    if (ok())
        thread_ = std::thread(&LoopbackServer::Run, this, std::move(script), connections);
}

bool LoopbackServer::WaitServed(int timeoutMs)
{
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [this] { return served_ >= toServe_; });
}

void LoopbackServer::Stop()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = false;
}

void LoopbackServer::Go()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++goes_;
    }
    changed_.notify_all();
}

std::string LoopbackServer::Request(int connection) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (connection < 0 || connection >= static_cast<int>(connections_.size()))
        return std::string();
    return connections_[static_cast<size_t>(connection)].bytes;
}

bool LoopbackServer::PeerClosed(int connection) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (connection < 0 || connection >= static_cast<int>(connections_.size()))
        return false;
    return connections_[static_cast<size_t>(connection)].peerClosed;
}

int LoopbackServer::Accepted() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(connections_.size());
}

void LoopbackServer::Run(std::vector<ServerStep> script, int connections)
{
    for (int i = 0; i < connections; ++i) {
        SOCKET s = AcceptNext();
        if (s == INVALID_SOCKET)
            return;
        int index;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            index = static_cast<int>(connections_.size());
            connections_.emplace_back();
        }
        Handle(s, index, script);
        {
            // A connection cut short by Stop() was not served.
            std::lock_guard<std::mutex> lock(mutex_);
            if (stop_)
                return;
            ++served_;
        }
        changed_.notify_all();
    }
}

SOCKET LoopbackServer::AcceptNext()
{
    while (!Stopping()) {
        Ready ready = WaitSocket(listener_, false, kPollMs);
        if (ready == Failed)
            return INVALID_SOCKET;
        if (ready == NotReady)
            continue;
        SOCKET s = accept(listener_, nullptr, nullptr);
        if (s != INVALID_SOCKET)
            return s;
        if (WSAGetLastError() != WSAEWOULDBLOCK)
            return INVALID_SOCKET;
    }
    return INVALID_SOCKET;
}

void LoopbackServer::Handle(SOCKET s, int index, std::vector<ServerStep> script)
{
    SetNonBlocking(s);
    // Each Send is meant to reach the client as a piece of its own, not
    // held back to be joined with the next one.
    BOOL on = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char *>(&on), sizeof on);

    const bool unread = !script.empty() && script[0].kind == ServerStep::Unread;
    bool open = unread || ReadRequest(s, index);
    for (size_t i = 0; open && i < script.size() && !Stopping(); ++i) {
        const ServerStep step = script[i];
        switch (step.kind) {
        case ServerStep::Send:
            open = SendAll(s, step.bytes);
            break;
        case ServerStep::Pause:
            open = !WaitStop(step.ms);
            break;
        case ServerStep::Hold:
            open = HoldFor(s, index, step.ms);
            break;
        case ServerStep::Close:
            open = false;
            break;
        case ServerStep::HalfClose:
            shutdown(s, kShutdownSend);
            break;
        case ServerStep::Unread:
            break;
        case ServerStep::Reply: {
            open = ReadFor(s, index, kRequestMs, step.bytes.c_str());
            std::vector<ServerStep> answer = step.reply(Request(index));
            script.insert(script.begin() + static_cast<std::ptrdiff_t>(i) + 1, answer.begin(),
                          answer.end());
            break;
        }
        case ServerStep::Wait: {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return goes_ > 0 || stop_; });
            open = !stop_;
            if (open)
                --goes_;
            break;
        }
        case ServerStep::Reset: {
            linger abort;
            abort.l_onoff = 1;
            abort.l_linger = 0;
            setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char *>(&abort),
                       sizeof abort);
            closesocket(s);
            return;
        }
        }
    }
    // Whatever the client sent and we have not read would turn our close
    // into a reset, so read it first; it is part of what the client sent.
    if (!unread)
        Drain(s, index);
    shutdown(s, kShutdownSend);
    closesocket(s);
}

bool LoopbackServer::ReadRequest(SOCKET s, int index)
{
    return ReadFor(s, index, kRequestMs, "\r\n");
}

bool LoopbackServer::ReadFor(SOCKET s, int index, int ms, const char *until)
{
    if (until != nullptr && Request(index).find(until) != std::string::npos)
        return true;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(ms);
    while (!Stopping()) {
        int left = MsLeft(deadline);
        if (left == 0)
            return true;
        Ready ready = WaitSocket(s, false, std::min(left, kPollMs));
        if (ready == NotReady)
            continue;
        char buf[4096];
        int n = recv(s, buf, sizeof buf, 0);
        if (n > 0) {
            Record(index, buf, n);
            if (until != nullptr && Request(index).find(until) != std::string::npos)
                return true;
        } else if (n == 0 || WSAGetLastError() != WSAEWOULDBLOCK) {
            MarkPeerClosed(index);
            return false;
        }
    }
    return false;
}

bool LoopbackServer::SendAll(SOCKET s, const std::string &bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        if (Stopping())
            return false;
        int len = static_cast<int>(std::min<size_t>(bytes.size() - done, INT_MAX));
        int n = send(s, bytes.data() + done, len, 0);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (WSAGetLastError() == WSAEWOULDBLOCK) {
            if (WaitSocket(s, true, kPollMs) == Failed)
                return false;
        } else {
            return false;
        }
    }
    return true;
}

bool LoopbackServer::HoldFor(SOCKET s, int index, int ms)
{
    return ReadFor(s, index, ms, nullptr);
}

void LoopbackServer::Drain(SOCKET s, int index)
{
    for (;;) {
        char buf[4096];
        int n = recv(s, buf, sizeof buf, 0);
        if (n > 0) {
            Record(index, buf, n);
            continue;
        }
        if (n == 0 || WSAGetLastError() != WSAEWOULDBLOCK)
            MarkPeerClosed(index);
        return;
    }
}

void LoopbackServer::Record(int index, const char *data, int n)
{
    std::lock_guard<std::mutex> lock(mutex_);
    connections_[static_cast<size_t>(index)].bytes.append(data, static_cast<size_t>(n));
}

void LoopbackServer::MarkPeerClosed(int index)
{
    std::lock_guard<std::mutex> lock(mutex_);
    connections_[static_cast<size_t>(index)].peerClosed = true;
}

bool LoopbackServer::Stopping() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return stop_;
}

bool LoopbackServer::WaitStop(int ms)
{
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stop_; });
}

StuckListener::StuckListener(const char *ip, unsigned short port)
{
    WSADATA data;
    started_ = WSAStartup(MAKEWORD(1, 1), &data) == 0;
    if (!started_)
        return;
    // The smallest queue the system allows, filled by connects of our own that
    // are never accepted: a SYN to a full queue is dropped, so a further
    // connect waits on its retransmissions.
    listener_ = Listen(ip, port, 0);
    if (listener_ == INVALID_SOCKET)
        return;
    // How many connections a queue of "0" holds is the system's choice, so
    // keep connecting until one stays pending; that one proves the queue full.
    const sockaddr_in addr = AddressOf(ip, port);
    for (int i = 0; i < 4 && !ok_; ++i) {
        SOCKET c = socket(AF_INET, SOCK_STREAM, 0);
        if (c == INVALID_SOCKET)
            return;
        fillers_.push_back(c);
        SetNonBlocking(c);
        if (connect(c, reinterpret_cast<const sockaddr *>(&addr), sizeof addr) == 0)
            continue;
        int err = WSAGetLastError();
        if (err != WSAEWOULDBLOCK && err != WSAEINPROGRESS)
            return;
        switch (WaitSocket(c, true, kQueuedConnectMs)) {
        case NotReady:
            ok_ = true;
            break;
        case Writable:
            break;
        default:
            return;
        }
    }
}

StuckListener::~StuckListener()
{
    for (SOCKET c : fillers_)
        closesocket(c);
    if (listener_ != INVALID_SOCKET)
        closesocket(listener_);
    if (started_)
        WSACleanup();
}
