// What a typed WhoIs query asks of RDAP, and which service a bootstrap file
// names for it.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "rdap/rdap_bootstrap.h"
#include "rdap/rdap_query.h"

namespace {

TEST(ClassifyRdapQuery, NamesTheKindAndThePathOfEachValidQuery)
{
    struct Case {
        const char *text;
        RdapKind kind;
        const char *path, *label;
        int prefix;
    } cases[] = {
        {"example.com", RDAP_DOMAIN, "domain/example.com", "com", 0},
        {"  Example.CO.UK.\t", RDAP_DOMAIN, "domain/example.co.uk", "uk", 0},
        {"xn--bcher-kva.example", RDAP_DOMAIN, "domain/xn--bcher-kva.example", "example", 0},
        {"2.0.192.in-addr.arpa", RDAP_DOMAIN, "domain/2.0.192.in-addr.arpa", "arpa", 0},
        {"192.0.2.1", RDAP_IPV4, "ip/192.0.2.1", "", 32},
        {"192.0.2.0/24", RDAP_IPV4, "ip/192.0.2.0/24", "", 24},
        {"192.0.2.1/24", RDAP_IPV4, "ip/192.0.2.1/24", "", 24}, // host bits kept as typed
        {"0.0.0.0/0", RDAP_IPV4, "ip/0.0.0.0/0", "", 0},
        {"192.0.2.0/024", RDAP_IPV4, "ip/192.0.2.0/24", "", 24},
        {"2001:DB8::/32", RDAP_IPV6, "ip/2001:db8::/32", "", 32},
        {"2001:db8::1", RDAP_IPV6, "ip/2001:db8::1", "", 128},
        {"::", RDAP_IPV6, "ip/::", "", 128},
        {"::ffff:192.0.2.1", RDAP_IPV6, "ip/::ffff:192.0.2.1", "", 128},
        {"2001:db8:0:0:0:0:0:1/128", RDAP_IPV6, "ip/2001:db8:0:0:0:0:0:1/128", "", 128},
        {"AS64500", RDAP_AUTNUM, "autnum/64500", "", 0},
        {"as64511", RDAP_AUTNUM, "autnum/64511", "", 0},
        {"64496", RDAP_AUTNUM, "autnum/64496", "", 0}, // a bare number is an AS number
        {"4294967295", RDAP_AUTNUM, "autnum/4294967295", "", 0},
        {"AS00064500", RDAP_AUTNUM, "autnum/64500", "", 0},
    };
    for (const Case &c : cases) {
        RdapQuery q;
        std::string reason = "stale";
        EXPECT_TRUE(ClassifyRdapQuery(c.text, q, reason)) << c.text << ": " << reason;
        EXPECT_EQ(q.kind, c.kind) << c.text;
        EXPECT_EQ(q.path, c.path) << c.text;
        EXPECT_EQ(q.label, c.label) << c.text;
        if (c.kind == RDAP_IPV4 || c.kind == RDAP_IPV6) {
            EXPECT_EQ(q.prefixLength, c.prefix) << c.text;
        }
        EXPECT_EQ(reason, "") << c.text;
    }
}

TEST(ClassifyRdapQuery, KeepsAddressesAndNumbersInNetworkOrder)
{
    RdapQuery q;
    std::string reason;
    ASSERT_TRUE(ClassifyRdapQuery("192.0.2.255", q, reason));
    EXPECT_EQ(std::string(reinterpret_cast<char *>(q.address), 16),
              std::string("\xC0\x00\x02\xFF", 4) + std::string(12, '\0'));
    ASSERT_TRUE(ClassifyRdapQuery("2001:db8:1::ffff:192.0.2.1", q, reason));
    const uint8_t v6[16] = {0x20, 0x01, 0x0d, 0xb8, 0, 1, 0, 0, 0, 0, 0xff, 0xff, 192, 0, 2, 1};
    EXPECT_EQ(std::string(reinterpret_cast<char *>(q.address), 16), std::string(reinterpret_cast<const char *>(v6), 16));
    ASSERT_TRUE(ClassifyRdapQuery("1::8", q, reason));
    EXPECT_EQ(q.address[1], 1);
    EXPECT_EQ(q.address[15], 8);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(q.address) + 2, 12), std::string(12, '\0'));
    ASSERT_TRUE(ClassifyRdapQuery("AS4200000000", q, reason));
    EXPECT_EQ(q.asn, 4200000000u);
}

TEST(ClassifyRdapQuery, SendsEverythingElseToPort43WithAReason)
{
    const std::string notRdap = "not a domain name, address or AS number";
    struct Case {
        const char *text, *reason;
    } cases[] = {
        {"", "nothing to look up"},
        {" \t ", "nothing to look up"},
        {"example", notRdap.c_str()},
        {"com.", notRdap.c_str()},
        {"NET-192-0-2-0-1", notRdap.c_str()},
        {"example .com", notRdap.c_str()},
        {"-h example.com", notRdap.c_str()},
        {"ex_ample.com", notRdap.c_str()},
        {"b\xC3\xBC" "cher.example", notRdap.c_str()},
        {"AS", notRdap.c_str()},
        {"AS-64500", notRdap.c_str()},
        {"example.com:43", notRdap.c_str()},
        {"fe80::1%eth0", notRdap.c_str()},
        {"example..com", "not a valid domain name"},
        {".example.com", "not a valid domain name"},
        {"-example.com", "not a valid domain name"},
        {"example-.com", "not a valid domain name"},
        {"example.123", "not a valid domain name"},
        {"4294967296", "AS number out of range"},
        {"AS99999999999999999999", "AS number out of range"},
        {"192.0.2.256", "not a valid IPv4 address"},
        {"192.0.2", "not a valid IPv4 address"},
        {"192.0.2.1.5", "not a valid IPv4 address"},
        {"192.0.02.1", "not a valid IPv4 address"},
        {"192.0.2.1/33", "prefix length out of range"},
        {"192.0.2.1/", "prefix length out of range"},
        {"2001:db8::/129", "prefix length out of range"},
        {"2001:db8:::1", "not a valid IPv6 address"},
        {"2001:db8::1::2", "not a valid IPv6 address"},
        {"1:2:3:4:5:6:7:8:9", "not a valid IPv6 address"},
        {"1:2:3:4::5:6:7:8", "not a valid IPv6 address"},
        {"1:2:3:4:5:6:7", "not a valid IPv6 address"},
        {"2001:db8::12345", "not a valid IPv6 address"},
        {":1::", "not a valid IPv6 address"},
        {"1:", "not a valid IPv6 address"},
        {"::192.0.2.1:1", "not a valid IPv6 address"},
    };
    for (const Case &c : cases) {
        RdapQuery q;
        q.kind = RDAP_DOMAIN;
        q.path = "stale";
        std::string reason;
        EXPECT_FALSE(ClassifyRdapQuery(c.text, q, reason)) << c.text;
        EXPECT_EQ(q.kind, RDAP_NONE) << c.text;
        EXPECT_EQ(q.path, "") << c.text;
        EXPECT_EQ(reason, c.reason) << c.text;
    }
    // 63 characters make a label, 64 do not; 253 make a name, 254 do not.
    RdapQuery q;
    std::string reason;
    EXPECT_TRUE(ClassifyRdapQuery(std::string(63, 'a') + ".example", q, reason));
    EXPECT_FALSE(ClassifyRdapQuery(std::string(64, 'a') + ".example", q, reason));
    std::string name;
    while (name.size() < 253 - 4)
        name += "abc.";
    name.resize(253 - 4);
    if (name.back() == '.')
        name.back() = 'x';
    EXPECT_TRUE(ClassifyRdapQuery(name + ".com", q, reason)) << name.size();
    EXPECT_FALSE(ClassifyRdapQuery("a" + name + ".com", q, reason));
}

RdapQuery Query(const char *text)
{
    RdapQuery q;
    std::string reason;
    EXPECT_TRUE(ClassifyRdapQuery(text, q, reason)) << text;
    return q;
}

const char *const Dns = R"({
  "version": "1.0", "publication": "2025-01-01T00:00:00Z",
  "services": [
    [["uk"], ["https://rdap.uk.example/"]],
    [["CO.UK", "org.uk"], ["http://rdap.co-uk.example/plain/", "https://rdap.co-uk.example/rdap"]],
    [["net", "com"], ["https://rdap.example-registry.net/", "https://backup.example-registry.net/"]],
    [["test"], ["http://rdap.test.example/"]],
    [["bad"], ["ftp://rdap.bad.example/", "https:// spaced.example/", "https:///nohost", 7]],
    "not a service",
    [["broken"]],
    [[7, "sample"], ["https://rdap.sample.example"]]
  ]
})";

const char *const Ipv4 = R"({"services": [
    [["192.0.0.0/8"], ["https://rdap.wide.example/"]],
    [["192.0.2.0/24", "198.51.100.0/24"], ["https://rdap.doc.example/"]],
    [["203.0.113.0/25"], ["https://rdap.low.example/"]]
]})";

const char *const Ipv6 = R"({"services": [
    [["2001:db8::/32"], ["https://rdap.v6.example/"]],
    [["2001:db8:8000::/33"], ["https://rdap.v6-high.example/"]],
    [["2001:db8::/29"], ["https://rdap.v6-wide.example/"]]
]})";

const char *const Asn = R"({"services": [
    [["64496-64511", "65536-65551"], ["https://rdap.asn.example/"]],
    [["64500"], ["https://rdap.one.example/"]],
    [["4200000000-4294967295"], ["https://rdap.private.example/"]],
    [["x-1", "5-", "10-4"], ["https://rdap.junk.example/"]]
]})";

TEST(FindRdapService, ChoosesTheClosestEntryAndItsBestUrl)
{
    struct Case {
        const char *file, *query;
        bool allowHttp;
        const char *url, *reason;
    } cases[] = {
        {Dns, "example.co.uk", false, "https://rdap.co-uk.example/rdap/", ""},
        {Dns, "example.org.uk", true, "https://rdap.co-uk.example/rdap/", ""}, // https preferred
        {Dns, "example.uk", false, "https://rdap.uk.example/", ""},
        {Dns, "www.example.com", false, "https://rdap.example-registry.net/", ""},
        {Dns, "example.sample", false, "https://rdap.sample.example/", ""},
        {Dns, "example.xyz", false, "", "no RDAP service listed for .xyz"},
        {Dns, "example.ouk", false, "", "no RDAP service listed for .ouk"},
        {Dns, "example.test", false, "", "no https RDAP service listed for .test"},
        {Dns, "example.test", true, "http://rdap.test.example/", ""},
        {Dns, "example.bad", true, "", "no usable RDAP service listed for .bad"},
        {Dns, "example.broken", false, "", "no RDAP service listed for .broken"},
        {Ipv4, "192.0.2.1", false, "https://rdap.doc.example/", ""},
        {Ipv4, "192.0.2.0/24", false, "https://rdap.doc.example/", ""},
        {Ipv4, "192.0.3.1", false, "https://rdap.wide.example/", ""},
        {Ipv4, "192.0.0.0/7", false, "", "no RDAP service listed for 192.0.0.0/7"},
        {Ipv4, "203.0.113.127", false, "https://rdap.low.example/", ""},
        {Ipv4, "203.0.113.128", false, "", "no RDAP service listed for 203.0.113.128"},
        {Ipv6, "2001:db8::1", false, "https://rdap.v6.example/", ""},
        {Ipv6, "2001:db8:8000::1", false, "https://rdap.v6-high.example/", ""},
        {Ipv6, "2001:db9::/32", false, "https://rdap.v6-wide.example/", ""},
        {Ipv6, "2001:db0::1", false, "", "no RDAP service listed for 2001:db0::1"},
        {Ipv4, "2001:db8::1", false, "", "no RDAP service listed for 2001:db8::1"},
        {Asn, "AS64496", false, "https://rdap.asn.example/", ""},
        {Asn, "64500", false, "https://rdap.one.example/", ""}, // the narrower range
        {Asn, "AS65551", false, "https://rdap.asn.example/", ""},
        {Asn, "AS4294967295", false, "https://rdap.private.example/", ""},
        {Asn, "AS65552", false, "", "no RDAP service listed for AS65552"},
        {Asn, "AS7", false, "", "no RDAP service listed for AS7"},
        {"", "example.com", false, "", "bootstrap file unreadable"},
        {"<html>Not found</html>", "example.com", false, "", "bootstrap file unreadable"},
        {R"({"services": {}})", "example.com", false, "", "bootstrap file unreadable"},
        {R"([["com"], ["https://x.example/"]])", "example.com", false, "", "bootstrap file unreadable"},
    };
    for (const Case &c : cases) {
        std::string reason = "stale";
        EXPECT_EQ(FindRdapService(c.file, Query(c.query), c.allowHttp, reason), c.url) << c.query;
        EXPECT_EQ(reason, c.reason) << c.query;
    }
    std::string reason;
    EXPECT_EQ(FindRdapService(Dns, RdapQuery(), true, reason), "");
    EXPECT_EQ(reason, "nothing to look up");
}

TEST(RdapUrl, AllowsHttpsAlwaysAndHttpOnRequest)
{
    struct Case {
        const char *url;
        bool strict, lax;
        const char *host;
    } cases[] = {
        {"https://rdap.example.net/domain/x", true, true, "rdap.example.net"},
        {"HTTPS://rdap.example.net:8443", true, true, "rdap.example.net:8443"},
        {"http://rdap.example.net/", false, true, "rdap.example.net"},
        {"Http://user@rdap.example.net?x", false, true, "rdap.example.net"},
        {"https://[2001:db8::1]:8080/x", true, true, "[2001:db8::1]:8080"},
        {"ftp://rdap.example.net/", false, false, ""},
        {"rdap.example.net", false, false, ""},
        {"https://", false, false, ""},
        {"https://:8080/", false, false, ""},
        {"https://rdap.example.net/a b", false, false, "rdap.example.net"},
        {"https://rdap.example.net/\r\nX: y", false, false, "rdap.example.net"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(RdapUrlAllowed(c.url, false), c.strict) << c.url;
        EXPECT_EQ(RdapUrlAllowed(c.url, true), c.lax) << c.url;
        EXPECT_EQ(RdapUrlHost(c.url), c.host) << c.url;
    }
    EXPECT_STREQ(RdapBootstrapFile(RDAP_DOMAIN), "dns.json");
    EXPECT_STREQ(RdapBootstrapFile(RDAP_IPV6), "ipv6.json");
    EXPECT_EQ(RdapBootstrapFile(RDAP_NONE), nullptr);
}

TEST(RdapBootstrapCopyName, KeepsTheDefaultBasesNamesAndADigestOfAnyOther)
{
    // The digests are FNV-1a 64's published values ("" is its offset basis):
    // a copy's name must not change between builds, or with the word size.
    const struct {
        const char *base, *file, *name;
    } cases[] = {
        {"https://data.iana.org/rdap/", "dns.json", "pellwick-rdap-dns.json"},
        {"http://bootstrap.test/", "dns.json", "pellwick-rdap-5917bd4f046324c0-dns.json"},
        {"", "ipv4.json", "pellwick-rdap-cbf29ce484222325-ipv4.json"},
        {"a", "asn.json", "pellwick-rdap-af63dc4c8601ec8c-asn.json"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(RdapBootstrapCopyName(c.base, c.file), c.name) << c.base;
}

} // namespace
