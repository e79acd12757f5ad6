// What the network tests take on trust from the scripted server but cannot
// see through the program, checked from plain blocking WinSock clients so
// that a fault here is not mistaken for one in the program: the program sends
// its request whole and, under Wine, reads a reset as a close, and nothing
// it does tells whether steps after a Close would run, a hold would end or
// Stop() would wait one out. (Each
// connection's request, the pauses, answers larger than the send buffer and
// the stuck listener are held exactly by the query and HTTP tests.)
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "win/loopback_server_win.h"
#include "win/test_support_win.h"

namespace {

using Clock = std::chrono::steady_clock;

long long MsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

bool ReadableWithin(SOCKET s, int ms)
{
    fd_set fds;
    FD_ZERO(&fds);
    FD_SET(s, &fds);
    timeval tv{ms / 1000, (ms % 1000) * 1000};
    return select(0, &fds, nullptr, nullptr, &tv) == 1;
}

// A blocking client connected to ip:port, closed with the object.
struct Client {
    Client(const char *ip, unsigned short port) : s(socket(AF_INET, SOCK_STREAM, 0))
    {
        // A server that never answers fails the test instead of hanging it.
        DWORD timeout = 10000;
        setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char *>(&timeout),
                   sizeof timeout);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = inet_addr(ip);
        addr.sin_port = htons(port);
        connected = connect(s, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0;
    }
    ~Client() { closesocket(s); }
    Client(const Client &) = delete;
    Client &operator=(const Client &) = delete;

    bool Send(const std::string &bytes) const
    {
        return send(s, bytes.data(), static_cast<int>(bytes.size()), 0) ==
               static_cast<int>(bytes.size());
    }

    // Reads with blocking recv() until the server closes or resets: the
    // bytes, and 0 for a close or the WSA error that ended them. Not
    // select(): under Wine a select() that sees the reset clears it, and the
    // recv() after it then reads a plain end of stream.
    std::string ReadAnswer(int *end) const
    {
        std::string bytes;
        for (;;) {
            char buf[8192];
            int n = recv(s, buf, sizeof buf, 0);
            if (n <= 0) {
                *end = n == 0 ? 0 : WSAGetLastError();
                return bytes;
            }
            bytes.append(buf, static_cast<size_t>(n));
        }
    }

    SOCKET s;
    bool connected = false;
};

TEST(LoopbackServer, RunsEachScriptAsWritten)
{
    struct Case {
        const char *name;
        std::vector<ServerStep> script;
        std::vector<std::string> request;  // sent a piece at a time
        int quietMs;                       // nothing comes for this long after the request
        bool stop;                         // the test calls Stop() while the script runs
        std::string answer;
        int end;  // 0: closed; otherwise the WSA error that ended it
    } cases[] = {
        {"the answer waits for the request's CR LF", {SendBytes("hello\r\n")},
         {"/W ", "alice", "\r", "\n"}, 0, false, "hello\r\n", 0},
        {"Close ends the script", {SendBytes("bye\r\n"), CloseNow(), SendBytes("never")},
         {"\r\n"}, 0, false, "bye\r\n", 0},
        {"Reset reaches the client as one", {SendBytes("partial"), PauseMs(200), ResetNow()},
         {"\r\n"}, 0, false, "partial", WSAECONNRESET},
        {"Hold is silent for its time, then the script goes on",
         {HoldOpen(1000), SendBytes("late\r\n")}, {"\r\n"}, 700, false, "late\r\n", 0},
        {"Stop does not wait out a hold", {HoldOpen(30000)}, {"\r\n"}, 0, true, "", 0},
    };
    LoopbackServer server("127.0.0.50", 79);
    ASSERT_TRUE(server.ok());
    int connection = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        server.Serve(c.script);
        Client client("127.0.0.50", 79);
        ASSERT_TRUE(client.connected);
        std::string request;
        for (const std::string &piece : c.request) {
            ASSERT_TRUE(client.Send(piece));
            request += piece;
            if (&piece != &c.request.back()) {
                EXPECT_FALSE(ReadableWithin(client.s, 150)) << "answered after " << piece;
            }
        }
        if (c.quietMs > 0) {
            EXPECT_FALSE(ReadableWithin(client.s, c.quietMs));
        }
        if (c.stop) {
            ASSERT_TRUE(WaitUntil(3000, [&] { return server.Request(connection) == request; }));
            const Clock::time_point start = Clock::now();
            server.Stop();
            EXPECT_LT(MsSince(start), 2000);
        }
        int end = -1;
        EXPECT_EQ(client.ReadAnswer(&end), c.answer);
        EXPECT_EQ(end, c.end);
        EXPECT_EQ(server.Request(connection), request);
        // Else the tests that wait for the program to hang up could not fail.
        EXPECT_FALSE(server.PeerClosed(connection)) << "the client never closed first";
        ++connection;
    }
}

// Every address (0.0.0.0) would reach beyond this machine outside the sandbox.
TEST(LoopbackServer, ListensOnLoopbackAlone)
{
    for (const char *everywhere : {"0.0.0.0", "::", "2001:db9::43"})
        EXPECT_FALSE(LoopbackServer(everywhere, 79).ok()) << everywhere;
    for (const char *here : {"192.0.2.43", "::1", "2001:db8::43"})
        EXPECT_TRUE(LoopbackServer(here, 79).ok()) << here;
}

}  // namespace
