// Finger and WhoIs queries with IPv6 on, against the test suite's servers on
// the sandbox's loopback device (see scripts/sandbox): v6only.test has an
// IPv6 address alone; refused6.test and silent6.test have both families,
// with nothing listening on the IPv6 address of the first and a server that
// never answers on that of the second.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "frame/options.h"
#include "handles/socket_win.h"
#include "net/attempt_race.h"
#include "net/connect_win.h"
#include "net/query_win.h"
#include "res/resource.h"
#include "win/dialog_fixture_win.h"
#include "win/loopback_server_win.h"
#include "win/query_fixture_win.h"

namespace {

class Ipv6 : public Query {
protected:
    void SetUp() override
    {
        Query::SetUp();
        bUseIpv6 = true;
    }
    void TearDown() override
    {
        bFollowReferrals = false;
        Query::TearDown();
    }
};

int PeerFamily(SOCKET s)
{
    sockaddr_storage peer = {};
    int length = sizeof peer;
    return getpeername(s, reinterpret_cast<sockaddr *>(&peer), &length) == 0 ? peer.ss_family : -1;
}

TEST_F(Ipv6, ANameWithAnIpv6AddressAloneIsReachedOnlyWithIpv6)
{
    LoopbackServer server("2001:db8::70", 79);
    ASSERT_TRUE(server.ok());
    server.Serve({SendBytes("Login: bob\r\n")});
    bUseIpv6 = false;
    EXPECT_EQ(Finger("bob@v6only.test"), -1);
    EXPECT_FALSE(Saw("Connecting to v6only.test"));
    EXPECT_EQ(Status(), " Authoritive: Host Not Found");
    EXPECT_FALSE(bBusy);

    bUseIpv6 = true;
    statusHistory.clear();
    ASSERT_EQ(Finger("bob@v6only.test"), 0) << Status();
    ASSERT_TRUE(PumpUntil(Completed));
    EXPECT_EQ(server.Request(0), "bob\r\n");
    EXPECT_EQ(PaneText(), "Login: bob\r\n");
    EXPECT_TRUE(Saw("Resolving v6only.test"));
    EXPECT_TRUE(Saw("Connected to v6only.test"));
    EXPECT_EQ(Status(), "Connection Closed.");
}

// The IPv6 address is sorted first. Refused, it costs nothing; silent, its
// head start and no more: the IPv4 server answers within a second, not
// after the connect's time-out.
TEST_F(Ipv6, WhenTheIpv6ServerRefusesOrIsSilentIpv4AnswersWithinASecond)
{
    StuckListener silent("2001:db8::72", 79);
    ASSERT_TRUE(silent.ok());
    // A refusal starts the next attempt at once, before the head start is out.
    const struct {
        const char *host, *ipv4;
        long atLeastMs, lessThanMs;
    } cases[] = {
        {"refused6.test", "127.0.0.121", 0, HEAD_START_MS},
        {"silent6.test", "127.0.0.122", HEAD_START_MS, 1000},
    };
    for (const auto &c : cases) {
        LoopbackServer server(c.ipv4, 79);
        ASSERT_TRUE(server.ok());
        RecordingPlug plug;
        ServerAddresses sorted;
        ASSERT_TRUE(ResolveServer(c.host, "finger", 79, "tcp", plug, 0, Families::Both, sorted));
        ASSERT_EQ(sorted.size(), 2u) << c.host;
        EXPECT_EQ(sorted[0].storage.ss_family, AF_INET6) << c.host << ": IPv6 is tried first";
        OwnedSocket s(OpenTcpConnection(c.host, "finger", 79, plug, Families::Both));
        ASSERT_TRUE(s.IsValid()) << c.host << ": " << plug.log;
        EXPECT_EQ(PeerFamily(s.Get()), AF_INET) << c.host;
        const long ms = plug.Millis(STAGE_CONNECTING, STAGE_CONNECTED);
        std::printf("[ measured ] %s: \"Connecting to\" to \"Connected to\" in %ld ms\n", c.host,
                    ms);
        EXPECT_GE(ms, c.atLeastMs - 5) << c.host;
        EXPECT_LT(ms, c.lessThanMs) << c.host;
    }
}

// The option changed from the menu while the name resolves: the query
// connects to what it resolved, with the families it started with.
TEST_F(Ipv6, TheOptionChangedDuringAQueryTakesEffectWithTheNext)
{
    LoopbackServer server("127.0.0.121", 79);
    ASSERT_TRUE(server.ok());
    server.Serve({SendBytes("ok\r\n")});
    PostMessageA(hwndMain, WM_COMMAND, IDM_IPV6, 0); // runs inside the resolver's wait
    ASSERT_EQ(Finger("bob@refused6.test"), 0) << Status();
    ASSERT_TRUE(PumpUntil(Completed));
    EXPECT_FALSE(bUseIpv6);
    EXPECT_EQ(server.Request(0), "bob\r\n");
}

// A literal address typed into each query dialog, bare or in brackets.
TEST_F(Ipv6, EachDialogTakesAnIpv6Address)
{
    LoopbackServer finger("2001:db8::43", 79), whois("2001:db8::43", 43);
    ASSERT_TRUE(finger.ok() && whois.ok());
    const struct {
        int command, field;
        const char *typed, *server;
        LoopbackServer &asked;
        const char *request, *title;
    } cases[] = {
        {IDM_FINGER, IDC_TARGET, "bob@2001:db8::43", nullptr, finger, "bob\r\n",
         "Pellwick (Finger - 2001:db8::43)"},
        {IDM_FINGER, IDC_TARGET, "bob@[2001:db8::43]", nullptr, finger, "bob\r\n",
         "Pellwick (Finger - [2001:db8::43])"},
        {IDM_WHOIS, IDC_QUERY, "example.test", "2001:db8::43", whois, "example.test\r\n",
         "Pellwick (WhoIs - example.test)"},
        {IDM_WHOIS, IDC_QUERY, "example.test", "[2001:db8::43]", whois, "example.test\r\n",
         "Pellwick (WhoIs - example.test)"},
    };
    int served[2] = {0, 0};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed + std::string(" ") + (c.server ? c.server : ""));
        c.asked.Serve({SendBytes("ok\r\n")});
        AnswerDialog(c.command, [&c](HWND d) {
            SetDlgItemTextA(d, c.field, c.typed);
            if (c.server != nullptr)
                SetDlgItemTextA(d, IDC_WHOISHOST, c.server);
            PostMessageA(d, WM_COMMAND, IDOK, 0);
        });
        ASSERT_TRUE(PumpUntil(Completed)) << Status();
        int &n = served[&c.asked == &finger ? 0 : 1];
        EXPECT_EQ(c.asked.Request(n++), c.request);
        EXPECT_EQ(PaneText(), "ok\r\n");
        EXPECT_EQ(Title(), c.title);
    }
}

// A referral to a bracketed IPv6 host:port is followed with IPv6 alone;
// without, the chain ends whole where it is named.
TEST_F(Ipv6, AReferralToABracketedAddressAndPortIsFollowedWithIpv6)
{
    bFollowReferrals = true;
    const std::string referral = "ReferralServer: whois://[2001:db8::43]:4321\r\n";
    for (bool ipv6 : {true, false}) {
        SCOPED_TRACE(ipv6 ? "IPv6 on" : "IPv6 off");
        bUseIpv6 = ipv6;
        LoopbackServer registry("127.0.0.81", 43), registrar("2001:db8::43", 4321);
        ASSERT_TRUE(registry.ok() && registrar.ok());
        registry.Serve({SendBytes(referral)});
        registrar.Serve({SendBytes("Registrant: Bob\r\n")});
        ASSERT_EQ(Whois("example.test", "registry.test"), 0) << Status();
        ASSERT_TRUE(PumpUntil(Completed)) << Status();
        EXPECT_EQ(Status(), "Connection Closed.");
        if (ipv6) {
            EXPECT_EQ(PaneText(), referral + "\r\n[Referral to [2001:db8::43]:4321]\r\nRegistrant: Bob\r\n");
            EXPECT_EQ(registrar.Request(0), "example.test\r\n");
        } else {
            EXPECT_EQ(PaneText(), referral);
            EXPECT_EQ(registrar.Accepted(), 0);
        }
    }
}

void CALLBACK CancelFromTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    SendMessageA(hwndMain, WM_COMMAND, IDM_CANCELOP, 0);
}

// Cancel while the name resolves (the command is queued before the
// resolver's answer) and while the connect is awaited: the set-up ends at
// once, and a late answer does not disturb the next query.
TEST_F(Ipv6, CancelWhileResolvingOrConnectingEndsTheSetUpAtOnce)
{
    StuckListener stuck("2001:db8::72", 79);
    ASSERT_TRUE(stuck.ok());
    const struct {
        const char *target, *reached;
        UINT cancelAfterMs; // 0: queued before the query starts
    } cases[] = {
        {"bob@v6only.test", "Resolving v6only.test", 0},
        {"bob@2001:db8::72", "Connecting to 2001:db8::72", 300},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.target);
        statusHistory.clear();
        if (c.cancelAfterMs == 0)
            PostMessageA(hwndMain, WM_COMMAND, IDM_CANCELOP, 0);
        else
            SetTimer(nullptr, 0, c.cancelAfterMs, CancelFromTimer);
        const DWORD start = GetTickCount();
        EXPECT_EQ(Finger(c.target), -1);
        EXPECT_LT(GetTickCount() - start, 3000u);
        EXPECT_TRUE(Saw(c.reached));
        EXPECT_FALSE(Saw("Connected to"));
        EXPECT_TRUE(Saw("Operation Cancelled"));
        EXPECT_EQ(Status(), " Blocking call canceled");
        EXPECT_FALSE(bBusy);
        EXPECT_EQ(sockQuery, INVALID_SOCKET);
    }
    LoopbackServer server("2001:db8::70", 79);
    ASSERT_TRUE(server.ok());
    server.Serve({SendBytes("next\r\n")});
    ASSERT_EQ(Finger("bob@v6only.test"), 0) << Status();
    ASSERT_TRUE(PumpUntil(Completed));
    EXPECT_EQ(PaneText(), "next\r\n");
}

} // namespace
