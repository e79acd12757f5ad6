// Which WhoIs queries go out as A-labels.
#include <gtest/gtest.h>

#include "text/names.h"

TEST(LooksLikeDomainName, DomainsAgainstOtherQueries)
{
    const struct {
        const char *text;
        bool domain;
    } cases[] = {
        {"m\xC3\xBCnchen.de", true},
        {"\xD0\xBF\xD1\x80\xD0\xB8\xD0\xBC\xD0\xB5\xD1\x80.\xD1\x80\xD1\x84", true}, // пример.рф
        {"example.com.", true},                       // a trailing dot ends the name
        {"\xE4\xBE\x8B\xE3\x80\x82jp", true},         // 例。jp: the ideographic dot
        {"M\xC3\xBCller GmbH", false},                // a blank: an organisation
        {"M\xC3\xBCller", false},                     // one label: a handle or a name
        {"j\xC3\xBCrgen@example.de", false},          // an e-mail address
        {"https://m\xC3\xBCnchen.de/", false},
        {".de", false},
        {"a..de", false},
        {"de.", false},
        {"", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(LooksLikeDomainName(c.text), c.domain) << c.text;
}

// Where a referral or a link may lead without a resolver being asked: this
// machine, the user's networks and the addresses no server has, in every
// spelling the platform reads as one of them.
TEST(IsPrivateHostLiteral, PrivatePlacesInEverySpellingAgainstTheInternet)
{
    const struct {
        const char *host;
        bool isPrivate;
    } cases[] = {
        {"localhost", true},
        {"LocalHost.", true},
        {"printer.LOCALHOST", true},
        {"localhost.example.com", false},
        {"mylocalhost", false},
        {"example.com", false},
        {"", false},
        // Each range at its edges.
        {"0.0.0.0", true},
        {"0.255.255.255", true},
        {"1.0.0.0", false},
        {"10.0.0.0", true},
        {"10.255.255.255", true},
        {"11.0.0.0", false},
        {"100.63.255.255", false},
        {"100.64.0.0", true},
        {"100.127.255.255", true},
        {"100.128.0.0", false},
        {"126.255.255.255", false},
        {"127.0.0.1", true},
        {"127.255.255.255", true},
        {"128.0.0.0", false},
        {"169.253.255.255", false},
        {"169.254.169.254", true},
        {"169.255.0.0", false},
        {"172.15.255.255", false},
        {"172.16.0.0", true},
        {"172.31.255.255", true},
        {"172.32.0.0", false},
        {"192.167.255.255", false},
        {"192.168.0.1", true},
        {"192.169.0.0", false},
        {"192.0.2.43", false},
        // The shorter and other-base forms inet_addr reads.
        {"127.1", true},
        {"10.1.2", true},
        {"2130706433", true},
        {"0x7f.0.0.1", true},
        {"0177.0.0.1", true},
        {"0xA9FEA9FE", true},
        {"0x08080808", false},
        {"8.8.8.8", false},
        {"127.0.0.1.", true},
        {"127.0.0.1:43", true},
        {"256.0.0.1", false},
        {"0x100.0.0.1", false},
        {"127.0.0.0.1", false},
        {"08.0.0.1", false},
        {"127.0.0.1x", false},
        {"127..1", false},
        // IPv6, bare and in brackets.
        {"::1", true},
        {"[::1]", true},
        {"[::1]:8080", true},
        {"::", true},
        {"fc00::", true},
        {"fdff:ffff::1", true},
        {"fe80::1%eth0", true},
        {"[fe80::1%25en0]", true},
        {"febf::1", true},
        {"fec0::1", false},
        {"ff02::1", false},
        {"2001:db8::1", false},
        {"[2001:db8::1]:443", false},
        {"::ffff:192.168.0.1", true},
        {"::ffff:7f00:1", true},
        {"::ffff:8.8.8.8", false},
        {"::127.0.0.1", true},
        {"::8.8.8.8", false},
        {"[::1", false},
        {"::1::", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(IsPrivateHostLiteral(c.host), c.isPrivate) << c.host;
    // Only the low 32 bits are an address.
    EXPECT_TRUE(IsPrivateIPv4(0x7F000001ul));
    EXPECT_FALSE(IsPrivateIPv4(0xC0000201ul));
}

// An IPv6 address read as a user writes it, and written out again in the
// form RFC 5952 gives.
TEST(Ipv6Text, LiteralsAreReadAndWrittenInTheRecommendedForm)
{
    const struct {
        const char *written, *address, *formatted;
    } cases[] = {
        {"2001:db8::43", "2001:db8::43", "2001:db8::43"},
        {"[2001:DB8:0:0:0:0:0:43]", "2001:DB8:0:0:0:0:0:43", "2001:db8::43"},
        {"::1", "::1", "::1"},
        {"::", "::", "::"},
        {"2001:db8:0:1:0:0:0:1", "2001:db8:0:1:0:0:0:1", "2001:db8:0:1::1"}, // the longer run
        {"2001:db8:0:0:1:0:0:1", "2001:db8:0:0:1:0:0:1", "2001:db8::1:0:0:1"}, // the first of two
        {"2001:0:1:1:1:1:1:1", "2001:0:1:1:1:1:1:1", "2001:0:1:1:1:1:1:1"}, // one zero group stays
        {"fe80:0:0:0:0:0:0:0", "fe80:0:0:0:0:0:0:0", "fe80::"},
        {"0:0:0:0:0:ffff:c000:22b", "0:0:0:0:0:ffff:c000:22b", "::ffff:192.0.2.43"},
        {"2001:db8::0043", "2001:db8::0043", "2001:db8::43"},
        // No IPv6 address: a name, an IPv4 address, half brackets, a zone.
        {"whois.test", "", nullptr},
        {"192.0.2.43", "", nullptr},
        {"[2001:db8::43", "", nullptr},
        {"2001:db8::43]", "", nullptr},
        {"[whois.test]", "", nullptr},
        {"fe80::1%eth0", "", nullptr},
        {"", "", nullptr},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Ipv6Literal(c.written), c.address) << c.written;
        if (c.formatted == nullptr)
            continue;
        uint8_t bytes[16];
        ASSERT_TRUE(ParseIpv6Address(c.address, bytes)) << c.written;
        EXPECT_EQ(FormatIpv6Address(bytes), c.formatted) << c.written;
    }
}
