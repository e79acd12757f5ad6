#include "win/loopback_server_win.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <climits>
#include <cstddef>
#include <cstdio>
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

// ip:port of either family; an address of neither has family AF_UNSPEC.
struct Address {
    sockaddr_storage storage;
    int length;
    const sockaddr *get() const { return reinterpret_cast<const sockaddr *>(&storage); }
};

Address AddressOf(const char *ip, unsigned short port)
{
    Address a = {};
    auto &v4 = reinterpret_cast<sockaddr_in &>(a.storage);
    auto &v6 = reinterpret_cast<sockaddr_in6 &>(a.storage);
    if (inet_pton(AF_INET, ip, &v4.sin_addr) == 1) {
        v4.sin_family = AF_INET;
        v4.sin_port = htons(port);
        a.length = sizeof v4;
    } else if (inet_pton(AF_INET6, ip, &v6.sin6_addr) == 1) {
        v6.sin6_family = AF_INET6;
        v6.sin6_port = htons(port);
        a.length = sizeof v6;
    }
    return a;
}

void SetNonBlocking(SOCKET s)
{
    u_long on = 1;
    ioctlsocket(s, static_cast<long>(FIONBIO), &on);
}

// 127.0.0.0/8 and ::1, or the documentation addresses that the sandbox puts
// on its loopback device to stand for servers on the internet: 192.0.2.43
// and those of 2001:db8::/32.
bool OnLoopback(const Address &a)
{
    if (a.storage.ss_family == AF_INET) {
        const unsigned long host =
            ntohl(reinterpret_cast<const sockaddr_in &>(a.storage).sin_addr.s_addr);
        return (host >> 24) == 127 || host == 0xC000022Bul;
    }
    if (a.storage.ss_family != AF_INET6)
        return false;
    const unsigned char *b = reinterpret_cast<const sockaddr_in6 &>(a.storage).sin6_addr.s6_addr;
    static const unsigned char loopback[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    return std::memcmp(b, loopback, 16) == 0 ||
           (b[0] == 0x20 && b[1] == 0x01 && b[2] == 0x0d && b[3] == 0xb8);
}

// A listening socket on ip:port, or INVALID_SOCKET. A test server never
// listens where something beyond this machine could reach it.
SOCKET Listen(const char *ip, unsigned short port, int backlog)
{
    const Address addr = AddressOf(ip, port);
    if (!OnLoopback(addr))
        return INVALID_SOCKET;
    SOCKET s = socket(addr.storage.ss_family, SOCK_STREAM, 0);
    if (s == INVALID_SOCKET)
        return s;
    // A test that follows another on the same address must not wait out
    // the earlier connections' TIME_WAIT.
    BOOL on = TRUE;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char *>(&on), sizeof on);
    if (bind(s, addr.get(), addr.length) == SOCKET_ERROR ||
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

// The HTTP server's: more connections than any test makes, so that serving
// ends with Stop(),
const int kConnections = 1000;
// and the longest a hanging answer stays silent when the test forgets Stop().
const int kHangMs = 120000;

// The path asked for: the second word of the request line.
std::string PathOf(const std::string &request)
{
    size_t start = request.find(' ');
    if (start == std::string::npos)
        return std::string();
    size_t end = request.find(' ', start + 1);
    if (end == std::string::npos)
        return std::string();
    return request.substr(start + 1, end - start - 1);
}

bool SameLetters(const std::string &a, const std::string &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

}  // namespace

WinsockUse::WinsockUse()
{
    WSADATA data;
    started_ = WSAStartup(MAKEWORD(1, 1), &data) == 0;
}

WinsockUse::~WinsockUse()
{
    if (started_)
        WSACleanup();
}

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
    if (!winsock_.ok())
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
    bool open = unread || ReadFor(s, index, kRequestMs, "\r\n");
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
            open = ReadFor(s, index, step.ms, nullptr);
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
    while (!unread && Receive(s, index) > 0)
        continue;
    shutdown(s, kShutdownSend);
    closesocket(s);
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
        const int got = Receive(s, index);
        if (got < 0)
            return false;
        if (got > 0 && until != nullptr && Request(index).find(until) != std::string::npos)
            return true;
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

int LoopbackServer::Receive(SOCKET s, int index)
{
    char buf[4096];
    const int n = recv(s, buf, sizeof buf, 0);
    // Asked before the lock, which may set the thread's last error.
    const bool closed = n == 0 || (n < 0 && WSAGetLastError() != WSAEWOULDBLOCK);
    std::lock_guard<std::mutex> lock(mutex_);
    Connection &connection = connections_[static_cast<size_t>(index)];
    if (n > 0)
        connection.bytes.append(buf, static_cast<size_t>(n));
    if (closed)
        connection.peerClosed = true;
    return closed ? -1 : std::max(n, 0);
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
    if (!winsock_.ok())
        return;
    // The smallest queue the system allows, filled by connects of our own that
    // are never accepted: a SYN to a full queue is dropped, so a further
    // connect waits on its retransmissions.
    listener_ = Listen(ip, port, 0);
    if (listener_ == INVALID_SOCKET)
        return;
    // How many connections a queue of "0" holds is the system's choice, so
    // keep connecting until one stays pending; that one proves the queue full.
    const Address addr = AddressOf(ip, port);
    for (int i = 0; i < 4 && !ok_; ++i) {
        SOCKET c = socket(addr.storage.ss_family, SOCK_STREAM, 0);
        if (c == INVALID_SOCKET)
            return;
        fillers_.push_back(c);
        SetNonBlocking(c);
        if (connect(c, addr.get(), addr.length) == 0)
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
}

// ---- HTTP -------------------------------------------------------------------

HttpAnswer JsonAnswer(int status, std::string body, std::string headers)
{
    HttpAnswer answer;
    answer.status = status;
    answer.headers = "Content-Type: application/rdap+json\r\n" + headers;
    answer.body = std::move(body);
    return answer;
}

HttpAnswer RedirectTo(const std::string &location)
{
    HttpAnswer answer;
    answer.status = 302;
    answer.headers = "Location: " + location + "\r\n";
    return answer;
}

HttpAnswer Hang()
{
    HttpAnswer answer;
    answer.hang = true;
    return answer;
}

HttpAnswer Trickle(std::string body, int ms)
{
    HttpAnswer answer = JsonAnswer(200, std::move(body));
    answer.trickleMs = ms;
    return answer;
}

HttpServer::HttpServer(const char *ip, unsigned short port) : server_(ip, port) {}

void HttpServer::Set(const std::string &path, HttpAnswer answer)
{
    std::lock_guard<std::mutex> lock(answersMutex_);
    answers_[path] = std::move(answer);
}

void HttpServer::Start()
{
    server_.Serve({ReplyTo("\r\n\r\n",
                           [this](const std::string &request) { return AnswerTo(request); })},
                  kConnections);
}

std::vector<ServerStep> HttpServer::AnswerTo(const std::string &request) const
{
    HttpAnswer answer = JsonAnswer(404, "{}");
    {
        std::lock_guard<std::mutex> lock(answersMutex_);
        auto found = answers_.find(PathOf(request));
        if (found != answers_.end())
            answer = found->second;
    }
    if (answer.hang)
        return {HoldOpen(kHangMs)};
    char statusLine[64];
    std::snprintf(statusLine, sizeof statusLine, "HTTP/1.1 %d Status\r\n", answer.status);
    const std::string head = statusLine + answer.headers + "Content-Length: " +
                             std::to_string(answer.body.size()) + "\r\nConnection: close\r\n\r\n";
    if (answer.trickleMs == 0)
        return {SendBytes(head + answer.body), CloseNow()};
    std::vector<ServerStep> steps = {SendBytes(head)};
    for (char c : answer.body) {
        steps.push_back(PauseMs(answer.trickleMs));
        steps.push_back(SendBytes(std::string(1, c)));
    }
    steps.push_back(CloseNow());
    return steps;
}

int HttpServer::Requests(const std::string &path) const
{
    int count = 0;
    for (int i = 0; i < server_.Accepted(); ++i)
        count += PathOf(server_.Request(i)) == path ? 1 : 0;
    return count;
}

std::string HttpServer::RequestHeader(int connection, const std::string &name) const
{
    const std::string request = server_.Request(connection);
    size_t line = request.find("\r\n");
    while (line != std::string::npos) {
        line += 2;
        size_t end = request.find("\r\n", line);
        if (end == std::string::npos || end == line)
            break;
        size_t colon = request.find(':', line);
        if (colon != std::string::npos && colon < end &&
            SameLetters(request.substr(line, colon - line), name)) {
            size_t value = request.find_first_not_of(' ', colon + 1);
            return value < end ? request.substr(value, end - value) : std::string();
        }
        line = end;
    }
    return std::string();
}
