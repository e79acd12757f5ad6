// Which WhoIs server an answer refers a query to, and how far a chain of
// referrals goes.
#include <gtest/gtest.h>

#include <string>

#include "net/referral.h"

namespace {

std::string Find(const std::string &answer) { return FindReferral(answer.data(), answer.size()); }

TEST(FindReferral, TakesTheServerOfEachKindOfReferralLine)
{
    struct Case {
        const char *name;
        std::string answer, server;
    } cases[] = {
        {"IANA refer", "   refer:        whois.verisign-grs.com\r\n", "whois.verisign-grs.com"},
        {"thin registry", "Domain Name: EXAMPLE.COM\nRegistrar WHOIS Server: whois.example-registrar.com\n",
         "whois.example-registrar.com"},
        {"case and blanks", "REGISTRAR whois server:  Whois.Ex.com  \n", "Whois.Ex.com"},
        {"tabs around", "\twhois:\twhois.x.com\t\r\n", "whois.x.com"},
        {"whois scheme, port and path", "ReferralServer:  whois://rwhois.example.net:4321/\n",
         "rwhois.example.net:4321"},
        {"IPv6 with port", "ReferralServer: whois://[2001:db8::43]:4321/\n", "[2001:db8::43]:4321"},
        {"IPv6 bare", "refer: 2001:db8::43\n", "2001:db8::43"},
        {"percent referral", "%referral whois://whois.ripe.net\n", "whois.ripe.net"},
        {"WHOIS scheme any case", "refer: WHOIS://whois.x.com\n", "whois.x.com"},
        {"path dropped", "refer: whois.x.com/some/path\n", "whois.x.com"},
        {"last line without newline", "domain: x\nrefer: whois.x.com", "whois.x.com"},
        {"NUL before the line", std::string("a\0b\nrefer: whois.x.com\n", 23), "whois.x.com"},
        {"NUL inside the line", std::string("refer: who\0is.x.com\n", 20), ""},
        {"rwhois", "ReferralServer: rwhois://x.net:4321\n", ""},
        {"web page", "whois: http://whois.x.com\n", ""},
        {"https", "Registrar WHOIS Server: https://whois.x.com\n", ""},
        {"scheme after a path", "refer: whois.x.com/go/http://y\n", ""},
        {"empty value", "refer:\n", ""},
        {"port 0", "refer: host:0", ""},
        {"port too big", "refer: host:65536", ""},
        {"colon without port", "refer: host:\n", ""},
        {"blank inside", "refer: bad host\n", ""},
        {"not at line start", "xrefer: a\nsee refer: b\n", ""},
        {"no referral", "Domain Name: EXAMPLE.COM\r\nRegistrar: X\r\n", ""},
        {"nothing", "", ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Find(c.answer), c.server) << c.name;
}

TEST(FindReferral, TheFirstReferralLineAloneDecides)
{
    EXPECT_EQ(Find("refer: rwhois://a\nrefer: b\n"), "");
    EXPECT_EQ(Find("refer:\nwhois: b\n"), "");
    EXPECT_EQ(Find("whois: a\nrefer: b\n"), "a");
}

TEST(ParseWhoisServer, SplitsHostAndPortOrLeavesTheServerAlone)
{
    struct Case {
        const char *text, *host;
        uint16_t port;
    } good[] = {
        {"whois.x.com", "whois.x.com", 0},
        {"Who_is-1.X:43", "Who_is-1.X", 43},
        {"192.0.2.1:65535", "192.0.2.1", 65535},
        {"h:1", "h", 1},
        {"2001:db8::43", "2001:db8::43", 0},
        {"[2001:db8::43]", "2001:db8::43", 0},
        {"[2001:DB8::43]:4321", "2001:DB8::43", 4321},
        {"[::ffff:192.0.2.1]:43", "::ffff:192.0.2.1", 43},
    };
    for (const Case &c : good) {
        WhoisServer server{"", 7};
        EXPECT_TRUE(ParseWhoisServer(c.text, server)) << c.text;
        EXPECT_EQ(server.host, c.host) << c.text;
        EXPECT_EQ(server.port, c.port) << c.text;
    }
    const std::string bad[] = {"", ":43", "h:", "h:0", "h:65536", "h:99999999999", "h:4x",
                               "h:+43", "h:-1", "h:43:44",
                               "[2001:db8::43", "[2001:db8::43]x", "[2001:db8::43]:", "[h]:43",
                               "[2001:db8::43]:0", "2001:db8::43:4321:1:2:3:4", "[]", "::g", "a b", "a/b", "h\xC3\xA9",
                               std::string("h\0", 2), "h\r"};
    for (const std::string &text : bad) {
        WhoisServer server{"kept", 7};
        EXPECT_FALSE(ParseWhoisServer(text, server)) << text;
        EXPECT_EQ(server.host, "kept") << text;
        EXPECT_EQ(server.port, 7) << text;
    }
}

TEST(ReferralChain, AsksEachServerOnceAndAtMostFive)
{
    ReferralChain chain;
    chain.Start("whois.iana.org");
    EXPECT_EQ(chain.Asked(), 1u);
    EXPECT_FALSE(chain.Follow("WHOIS.IANA.ORG"));
    EXPECT_TRUE(chain.Follow("a:43"));
    EXPECT_FALSE(chain.Follow("A:43"));
    EXPECT_TRUE(chain.Follow("a")) << "another port is another server";
    EXPECT_TRUE(chain.Follow("b"));
    EXPECT_TRUE(chain.Follow("c"));
    EXPECT_EQ(chain.Asked(), 5u);
    EXPECT_FALSE(chain.Follow("d")) << "five servers is the limit";
    EXPECT_EQ(chain.Asked(), 5u);

    chain.Start("a"); // a new query starts a new chain
    EXPECT_EQ(chain.Asked(), 1u);
    EXPECT_TRUE(chain.Follow("b"));
}

} // namespace
