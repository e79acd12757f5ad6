// Following WhoIs referrals: chains of queries across the test suite's own
// WhoIs servers on loopback, named in the sandbox's hosts file.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "frame/frame_win.h"
#include "frame/options.h"
#include "frame/placement_win.h"
#include "net/query_win.h"
#include "res/resource.h"
#include "win/loopback_server_win.h"
#include "win/query_fixture_win.h"

namespace {

class Referrals : public Query {
protected:
    void SetUp() override
    {
        Query::SetUp();
        bFollowReferrals = true;
    }
    void TearDown() override
    {
        bFollowReferrals = false;
        Query::TearDown();
    }

    // A WhoIs server at `ip` that answers every connection with `answer`.
    static std::unique_ptr<LoopbackServer> Serving(const char *ip, const std::string &answer,
                                                   unsigned short port = 43)
    {
        auto server = std::make_unique<LoopbackServer>(ip, port);
        EXPECT_TRUE(server->ok()) << ip;
        server->Serve({SendBytes(answer), CloseNow()}, 4);
        return server;
    }
};

TEST_F(Referrals, AChainOfThreeServersShowsEveryAnswerAndCompletesOnce)
{
    auto registry = Serving("127.0.0.81", "Domain: EXAMPLE.TEST\r\n   refer:  registrar.test\r\n");
    auto registrar = Serving("127.0.0.82", "Registrar WHOIS Server: whois://reseller.test:4343/\n");
    auto reseller = Serving("127.0.0.83", "Registrant: Alice", 4343);

    ASSERT_EQ(Whois("example.test", "registry.test"), 0) << Status();
    ASSERT_TRUE(PumpUntil(Completed, 15000)) << Status();
    EXPECT_EQ(PaneText(), "Domain: EXAMPLE.TEST\r\n   refer:  registrar.test\r\n"
                          "\r\n[Referral to registrar.test]\r\n"
                          "Registrar WHOIS Server: whois://reseller.test:4343/\r\n"
                          "\r\n[Referral to reseller.test:4343]\r\n"
                          "Registrant: Alice");
    for (LoopbackServer *server : {registry.get(), registrar.get(), reseller.get()}) {
        EXPECT_EQ(server->Accepted(), 1);
        EXPECT_EQ(server->Request(), "example.test\r\n");
    }
    EXPECT_TRUE(Saw("Following referral to registrar.test"));
    EXPECT_TRUE(Saw("Following referral to reseller.test:4343"));
    // The completion steps run once, at the end of the chain; the byte count
    // is the chain's.
    EXPECT_EQ(Count("Connection Closed."), 1);
    EXPECT_EQ(Status(), "Connection Closed.");
    EXPECT_EQ(Title(), "Pellwick (WhoIs - example.test)");
    EXPECT_EQ(cbReceived, 49u + 52u + 17u);
    EXPECT_TRUE(Enabled(IDM_WHOIS));
}

TEST_F(Referrals, ALoopOrTheFifthServerEndsTheChain)
{
    // Two servers that refer to each other: each is asked once.
    {
        auto registry = Serving("127.0.0.81", "refer: REGISTRAR.test\n");
        auto registrar = Serving("127.0.0.82", "refer: registry.test\n");
        ASSERT_EQ(Whois("loop.test", "registry.test"), 0) << Status();
        ASSERT_TRUE(PumpUntil(Completed, 15000)) << Status();
        EXPECT_EQ(registry->Accepted(), 1);
        EXPECT_EQ(registrar->Accepted(), 1);
        EXPECT_EQ(Count("Connection Closed."), 1);
    }
    // Six servers in a row, each naming the next: five are asked.
    const char *names[] = {"registry.test", "registrar.test", "reseller.test",
                           "hop4.test",     "hop5.test",      "hop6.test"};
    std::vector<std::unique_ptr<LoopbackServer>> chain;
    for (int i = 0; i < 6; ++i) {
        const std::string ip = "127.0.0." + std::to_string(81 + i);
        chain.push_back(Serving(ip.c_str(), std::string("whois: ") + names[(i + 1) % 6] + "\r\n"));
    }
    ASSERT_EQ(Whois("long.test", "registry.test"), 0) << Status();
    ASSERT_TRUE(PumpUntil(Completed, 20000)) << Status();
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(chain[static_cast<size_t>(i)]->Accepted(), i < 5 ? 1 : 0) << names[i];
    EXPECT_EQ(Count("[Referral to "), 0) << "status texts are not pane lines";
    const std::string pane = PaneText();
    const std::string last = "\r\n[Referral to hop5.test]\r\nwhois: hop6.test\r\n";
    ASSERT_GE(pane.size(), last.size());
    EXPECT_EQ(pane.substr(pane.size() - last.size()), last);
}

TEST_F(Referrals, AnUnreachableReferralOrCancelEndsTheChainWithWhatCame)
{
    auto registry = Serving("127.0.0.81", "refer: hop6.test\n");
    ASSERT_EQ(Whois("example.test", "registry.test"), 0) << Status();
    ASSERT_TRUE(PumpUntil(Completed, 15000)) << Status();
    EXPECT_EQ(PaneText(), "refer: hop6.test\r\n\r\n[Referral to hop6.test]\r\n");
    EXPECT_EQ(Status(), " Connection Refused.");
    EXPECT_EQ(Title(), "Finger - Received 17 bytes.") << "the chain did not complete";
    EXPECT_EQ(Count("Connection Closed."), 0);
    EXPECT_TRUE(Enabled(IDM_WHOIS));
    EXPECT_FALSE(bOutputGrayed);

    // Cancel while the second server is answering.
    registry->Serve({SendBytes("refer: registrar.test\n"), CloseNow()});
    LoopbackServer registrar("127.0.0.82", 43);
    ASSERT_TRUE(registrar.ok());
    registrar.Serve({SendBytes("part of it\n"), HoldOpen(20000)});
    ASSERT_EQ(Whois("example.test", "registry.test"), 0) << Status();
    ASSERT_TRUE(PumpUntil([] { return PaneText().find("part of it") != std::string::npos; }));
    SendMessageA(hwndMain, WM_COMMAND, IDM_CANCELOP, 0);
    EXPECT_FALSE(bBusy);
    EXPECT_EQ(sockQuery, INVALID_SOCKET);
    EXPECT_EQ(Status(), "Operation Cancelled");
    EXPECT_EQ(PaneText(), "refer: registrar.test\r\n\r\n[Referral to registrar.test]\r\npart of it\r\n");
    EXPECT_TRUE(PumpUntil([&] { return registrar.PeerClosed(0); }));
}

// public-whois.test (192.0.2.43, in the sandbox) stands for a server on the
// internet. What it names on this machine is not asked, however it is
// written; the chain ends whole there, as at a loop. A first server on this
// machine may refer anywhere, as every other test here shows.
TEST_F(Referrals, AServerOnTheInternetIsNotFollowedIntoTheUsersOwnNetwork)
{
    auto registrar = Serving("127.0.0.82", "never asked\n");
    auto local = Serving("127.0.0.1", "never asked\n", 4343);
    LoopbackServer publicServer("192.0.2.43", 43);
    ASSERT_TRUE(publicServer.ok()) << "the sandbox puts 192.0.2.43 on its loopback device";
    wOptions = OPT_EXIT;
    for (const char *referred : {"registrar.test", "127.0.0.82", "localhost:4343"}) {
        SCOPED_TRACE(referred);
        const std::string answer = std::string("refer: ") + referred + "\n";
        publicServer.Serve({SendBytes(answer), CloseNow()});
        quitCode = -1;
        statusHistory.clear();
        ASSERT_EQ(Whois("example.test", "public-whois.test"), 0) << Status();
        ASSERT_TRUE(PumpUntil([] { return Completed() && quitCode != -1; }, 15000)) << Status();
        EXPECT_EQ(PaneText(), "refer: " + std::string(referred) + "\r\n\r\n[Referral to " +
                                  referred + " not followed: a private address]\r\n");
        EXPECT_EQ(Status(), "Connection Closed.");
        EXPECT_EQ(Title(), "Pellwick (WhoIs - example.test)");
        EXPECT_EQ(quitCode, 0) << "the answer is whole";
    }
    EXPECT_EQ(publicServer.Accepted(), 3);
    EXPECT_EQ(registrar->Accepted(), 0);
    EXPECT_EQ(local->Accepted(), 0);
}

TEST_F(Referrals, SwitchedOffAWhoisQueryAsksOnlyItsServer)
{
    bFollowReferrals = false;
    auto registry = Serving("127.0.0.81", "refer: registrar.test\n");
    auto registrar = Serving("127.0.0.82", "never asked\n");
    ASSERT_EQ(Whois("example.test", "registry.test"), 0) << Status();
    ASSERT_TRUE(PumpUntil(Completed, 15000)) << Status();
    EXPECT_EQ(PaneText(), "refer: registrar.test\r\n");
    EXPECT_EQ(registrar->Accepted(), 0);
    EXPECT_EQ(Status(), "Connection Closed.");
}

// Follow WhoIs Referrals and Use RDAP, the two switches of the Options menu.
TEST_F(Referrals, EachSwitchOfTheMenuTogglesItsSettingShowsItAndSavesIt)
{
    HMENU options = GetSubMenu(GetMenu(hwndMain), 3);
    const struct {
        int command;
        const char *label, *key;
        bool *setting;
    } switches[] = {{IDM_REFERRALS, "Follow WhoIs &Referrals", "referrals", &bFollowReferrals},
                    {IDM_RDAP, "Use &RDAP", "rdap", &bUseRdap},
                    {IDM_UNICODE, "&Unicode Text", "unicode", &bUnicodeText},
                    {IDM_IPV6, "Use IP&v6", "ipv6", &bUseIpv6}};
    for (const auto &sw : switches) {
        SCOPED_TRACE(sw.label);
        auto checked = [&] {
            SendMessageA(hwndMain, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(options), 3);
            return (GetMenuState(options, static_cast<UINT>(sw.command), MF_BYCOMMAND) & MF_CHECKED) != 0;
        };
        auto saved = [&] { return GetPrivateProfileIntA("pellwick", sw.key, -1, path.c_str()); };
        // Read with the placement at start-up; off when missing.
        *sw.setting = true;
        ReadPlacement();
        EXPECT_FALSE(*sw.setting);
        WritePrivateProfileStringA("pellwick", sw.key, "1", path.c_str());
        ReadPlacement();

        char label[64] = "";
        GetMenuStringA(options, static_cast<UINT>(sw.command), label, sizeof label, MF_BYCOMMAND);
        EXPECT_STREQ(label, sw.label);
        EXPECT_TRUE(checked());
        SendMessageA(hwndMain, WM_COMMAND, static_cast<WPARAM>(sw.command), 0);
        EXPECT_FALSE(*sw.setting);
        EXPECT_FALSE(checked());
        EXPECT_EQ(saved(), 0);
        SendMessageA(hwndMain, WM_COMMAND, static_cast<WPARAM>(sw.command), 0);
        EXPECT_TRUE(*sw.setting);
        EXPECT_TRUE(checked());
        EXPECT_EQ(saved(), 1);
        *sw.setting = false;
    }
}

} // namespace
