// The loopback servers the network tests rely on, checked from plain blocking
// WinSock clients so that a fault here is not mistaken for one in the program.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

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

struct Answer {
    std::string bytes;
    int end = -1;  // 0: closed; otherwise the WSA error that ended it
};

// Reads with blocking recv() until the server closes or resets. Not select():
// under Wine a select() that sees the reset clears it, and the recv() after
// it then reads a plain end of stream.
Answer ReadAnswer(SOCKET s)
{
    Answer a;
    for (;;) {
        char buf[8192];
        int n = recv(s, buf, sizeof buf, 0);
        if (n <= 0) {
            a.end = n == 0 ? 0 : WSAGetLastError();
            return a;
        }
        a.bytes.append(buf, static_cast<size_t>(n));
    }
}

class LoopbackServerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &wsa_), 0); }
    void TearDown() override
    {
        if (client_ != INVALID_SOCKET)
            closesocket(client_);
        WSACleanup();
    }

    // A blocking client connected to ip:port; or, with `pending`, a
    // non-blocking one whose connect has only begun.
    SOCKET Connect(const char *ip, unsigned short port, bool pending = false)
    {
        if (client_ != INVALID_SOCKET)
            closesocket(client_);
        client_ = socket(AF_INET, SOCK_STREAM, 0);
        // A server that never answers fails the test instead of hanging it.
        DWORD timeout = 10000;
        setsockopt(client_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char *>(&timeout),
                   sizeof timeout);
        u_long nonBlocking = pending;
        ioctlsocket(client_, static_cast<long>(FIONBIO), &nonBlocking);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = inet_addr(ip);
        addr.sin_port = htons(port);
        int rc = connect(client_, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
        EXPECT_EQ(rc == 0 ? 0 : WSAGetLastError(), pending ? WSAEWOULDBLOCK : 0);
        return client_;
    }

    static void Send(SOCKET s, const std::string &bytes)
    {
        EXPECT_EQ(send(s, bytes.data(), static_cast<int>(bytes.size()), 0),
                  static_cast<int>(bytes.size()));
    }

    WSADATA wsa_;
    SOCKET client_ = INVALID_SOCKET;
};

TEST_F(LoopbackServerTest, RecordsARequestSentInPiecesAndAnswersOnlyAfterCrLf)
{
    LoopbackServer server("127.0.0.50", 79);
    ASSERT_TRUE(server.ok());
    server.Serve({SendBytes("hello\r\n")});
    SOCKET s = Connect("127.0.0.50", 79);
    for (const char *piece : {"/W ", "alice", "\r"}) {
        Send(s, piece);
        EXPECT_FALSE(ReadableWithin(s, 150)) << "answered after " << piece;
    }
    Send(s, "\n");
    Answer a = ReadAnswer(s);
    EXPECT_EQ(a.bytes, "hello\r\n");
    EXPECT_EQ(a.end, 0);
    ASSERT_TRUE(server.WaitServed(2000));
    EXPECT_EQ(server.Request(), "/W alice\r\n");
    EXPECT_FALSE(server.PeerClosed());
}

TEST_F(LoopbackServerTest, ServesEachConnectionInTurnAndKeepsEveryRequest)
{
    LoopbackServer server("127.0.0.51", 43);
    ASSERT_TRUE(server.ok());
    server.Serve({SendBytes("answer\r\n")}, 2);
    for (const char *request : {"example.com\r\n", "example.org\r\n"}) {
        Send(Connect("127.0.0.51", 43), request);
        EXPECT_EQ(ReadAnswer(client_).bytes, "answer\r\n");
    }
    ASSERT_TRUE(server.WaitServed(2000));
    EXPECT_EQ(server.Accepted(), 2);
    EXPECT_EQ(server.Request(0), "example.com\r\n");
    EXPECT_EQ(server.Request(1), "example.org\r\n");
}

TEST_F(LoopbackServerTest, ChunksArriveInOrderSeparatedByPauses)
{
    LoopbackServer server("127.0.0.52", 79);
    ASSERT_TRUE(server.ok());
    server.Serve({SendBytes("one "), PauseMs(400), SendBytes("two "), PauseMs(400),
                  SendBytes("three\r\n")});
    SOCKET s = Connect("127.0.0.52", 79);
    Send(s, "\r\n");
    char buf[64];
    ASSERT_EQ(recv(s, buf, sizeof buf, 0), 4);
    const Clock::time_point first = Clock::now();
    EXPECT_EQ(std::string(buf, 4), "one ");
    Answer rest = ReadAnswer(s);
    EXPECT_GE(MsSince(first), 700);
    EXPECT_EQ(rest.bytes, "two three\r\n");
    EXPECT_EQ(rest.end, 0);
}

TEST_F(LoopbackServerTest, CloseEndsTheAnswerAndResetIsSeenAsConnReset)
{
    LoopbackServer server("127.0.0.53", 79);
    ASSERT_TRUE(server.ok());
    server.Serve({SendBytes("bye\r\n"), CloseNow(), SendBytes("never")});
    Send(Connect("127.0.0.53", 79), "\r\n");
    Answer closed = ReadAnswer(client_);
    EXPECT_EQ(closed.bytes, "bye\r\n");
    EXPECT_EQ(closed.end, 0);

    server.Serve({SendBytes("partial"), PauseMs(200), ResetNow()});
    Send(Connect("127.0.0.53", 79), "\r\n");
    Answer reset = ReadAnswer(client_);
    EXPECT_EQ(reset.bytes, "partial");
    EXPECT_EQ(reset.end, WSAECONNRESET);
}

TEST_F(LoopbackServerTest, HoldStaysSilentUntilItsTimeTheClientLeavesOrStop)
{
    LoopbackServer server("127.0.0.54", 79);
    ASSERT_TRUE(server.ok());
    server.Serve({HoldOpen(1000), SendBytes("late\r\n")});
    SOCKET s = Connect("127.0.0.54", 79);
    Send(s, "\r\n");
    EXPECT_FALSE(ReadableWithin(s, 700));
    EXPECT_EQ(ReadAnswer(s).bytes, "late\r\n");

    // A client that gives up ends the hold at once, and the server sees it.
    server.Serve({HoldOpen(30000)});
    Send(Connect("127.0.0.54", 79), "\r\n");
    closesocket(client_);
    client_ = INVALID_SOCKET;
    EXPECT_TRUE(server.WaitServed(3000));
    EXPECT_TRUE(server.PeerClosed(1));

    // Stop does not wait out a hold; the client is closed on.
    server.Serve({HoldOpen(30000)});
    Send(Connect("127.0.0.54", 79), "\r\n");
    const Clock::time_point start = Clock::now();
    ASSERT_TRUE(WaitUntil(3000, [&] { return server.Accepted() == 3; })) << "not accepted";
    server.Stop();
    EXPECT_LT(MsSince(start), 2000);
    EXPECT_EQ(ReadAnswer(client_).end, 0);
}

TEST_F(LoopbackServerTest, AMegabyteAnswerArrivesWhole)
{
    std::string big(1 << 20, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>((i * 31 + i / 251) & 0xFF);
    LoopbackServer server("127.0.0.55", 43);
    ASSERT_TRUE(server.ok());
    server.Serve({SendBytes(big)});
    Send(Connect("127.0.0.55", 43), "example.com\r\n");
    Answer a = ReadAnswer(client_);
    EXPECT_EQ(a.end, 0);
    EXPECT_EQ(a.bytes.size(), big.size());
    EXPECT_TRUE(a.bytes == big);
}

using StuckListenerTest = LoopbackServerTest;

TEST_F(StuckListenerTest, KeepsAFurtherConnectPending)
{
    StuckListener stuck("127.0.0.56", 79);
    ASSERT_TRUE(stuck.ok());
    Connect("127.0.0.56", 79, true);
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(client_, &writable);
    FD_SET(client_, &failed);
    timeval tv{2, 500000};
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(select(0, nullptr, &writable, &failed, &tv), 0);
    EXPECT_GE(MsSince(start), 2400);
}

}  // namespace
