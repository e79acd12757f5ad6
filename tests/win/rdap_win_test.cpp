// WhoIs queries answered over RDAP: the bootstrap files and the RDAP servers
// are the test suite's own HTTP servers on loopback, named in the sandbox's
// hosts file; the bootstrap base is http://, so they may be too.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "app/cmdline_win.h"
#include "config/config_names.h"
#include "frame/options.h"
#include "net/query_win.h"
#include "rdap/bootstrap_cache_win.h"
#include "rdap/http_win.h"
#include "res/resource.h"
#include "win/loopback_server_win.h"
#include "win/main_window_fixture_win.h"
#include "win/query_fixture_win.h"
#include "win/test_support_win.h"

namespace {

const char kBase[] = "http://bootstrap.test/";
const char kSecureBase[] = "https://bootstrap.test/";
const char *const kBootstrapFiles[] = {"dns.json", "ipv4.json", "ipv6.json", "asn.json"};

// .com, .net, .рф and 192.0.2.0/24 at rdap.test; .org at an address where
// nothing listens; .xyz nowhere.
const char kDns[] = R"({"version": "1.0", "publication": "2026-12-01T00:00:00Z", "services": [
    [["com", "net", "xn--p1ai"], ["http://rdap.test/"]],
    [["org"], ["http://127.0.0.93/"]]]})";
const char kIpv4[] = R"({"version": "1.0", "services": [[["192.0.2.0/24"], ["http://rdap.test/"]]]})";

const char kRegistry[] = R"({"objectClassName": "domain", "handle": "EX-1", "ldhName": "EXAMPLE.COM",
    "status": ["active"],
    "events": [{"eventAction": "registration", "eventDate": "1995-08-14T04:00:00Z"}],
    "links": [{"rel": "related", "type": "application/rdap+json",
               "href": "http://registrar-rdap.test/domain/EXAMPLE.COM"}]})";
const char kRegistrar[] = R"({"objectClassName": "domain", "ldhName": "EXAMPLE.COM",
    "entities": [{"objectClassName": "entity", "roles": ["registrant"],
        "vcardArray": ["vcard", [["version", {}, "text", "4.0"], ["fn", {}, "text", "Alice Example"]]]}],
    "links": [{"rel": "related", "type": "application/rdap+json",
               "href": "http://registrar-rdap.test/domain/EXAMPLE.COM"}]})";
// A record in Cyrillic, as RDAP sends it: UTF-8.
const char kCyrillic[] = R"({"objectClassName": "domain", "ldhName": "xn--e1afmkfd.xn--p1ai",
    "entities": [{"objectClassName": "entity", "roles": ["registrant"],
        "vcardArray": ["vcard", [["version", {}, "text", "4.0"], ["fn", {}, "text", "Иван Петров"],
            ["org", {}, "text", "ООО «Пример»"]]]}]})";
const char kNetwork[] = R"({"objectClassName": "ip network", "handle": "NET-192-0-2-0-1",
    "startAddress": "192.0.2.0", "endAddress": "192.0.2.255", "ipVersion": "v4",
    "name": "EXAMPLE-DOC-NET"})";

class Rdap : public Query {
protected:
    void SetUp() override
    {
        Query::SetUp();
        bUseRdap = true;
        WritePrivateProfileStringA("pellwick", "rdapbootstrap", kBase, path.c_str());
        ForgetBootstrap();
        ASSERT_TRUE(bootstrap.ok() && registry.ok() && registrar.ok() && whois.ok());
        bootstrap.Set("/dns.json", JsonAnswer(200, kDns));
        bootstrap.Set("/ipv4.json", JsonAnswer(200, kIpv4));
        registry.Set("/domain/example.com", JsonAnswer(200, kRegistry));
        registry.Set("/ip/192.0.2.1", JsonAnswer(200, kNetwork));
        registry.Set("/domain/xn--e1afmkfd.xn--p1ai", JsonAnswer(200, kCyrillic));
        registrar.Set("/domain/EXAMPLE.COM", JsonAnswer(200, kRegistrar));
        bootstrap.Start();
        registry.Start();
        registrar.Start();
        whois.Serve({SendBytes("port 43 answer\r\n"), CloseNow()}, 8);
    }
    void TearDown() override
    {
        CancelOperation();
        bUseRdap = false;
        SetHttpWaits(HttpWaits());
        bootstrap.Stop();
        registry.Stop();
        registrar.Stop();
        whois.Stop();
        ForgetBootstrap();
        Query::TearDown();
    }

    static void ForgetBootstrap()
    {
        for (const char *base : {kBase, kSecureBase, RDAP_BOOTSTRAP_DEFAULT})
            for (const char *file : kBootstrapFiles)
                DeleteFileA(BootstrapCachePath(base, file).c_str());
    }

    // Runs one WhoIs query to its end; the pane's text.
    std::string Ask(const char *query)
    {
        statusHistory.clear();
        EXPECT_EQ(Whois(query, "whois.test"), 0) << Status();
        EXPECT_TRUE(PumpUntil(Completed, 15000)) << query << ": " << Status();
        return PaneText();
    }

    HttpServer bootstrap{"127.0.0.92", 80};
    HttpServer registry{"127.0.0.90", 80};
    HttpServer registrar{"127.0.0.91", 80};
    LoopbackServer whois{"127.0.0.70", 43};
};

bool Has(const std::string &text, const std::string &part)
{
    return text.find(part) != std::string::npos;
}

TEST_F(Rdap, ADomainShowsTheRegistryAndTheRegistrarAndTheBootstrapIsKept)
{
    const std::string pane = Ask("example.com");
    const size_t first = pane.find("Object class: domain\r\nHandle: EX-1\r\nDomain name: EXAMPLE.COM\r\n"
                                   "Status: active\r\nRegistration: 1995-08-14T04:00:00Z\r\n");
    const size_t mark = pane.find("\r\n\r\n[Referral to registrar-rdap.test]\r\n");
    const size_t second = pane.find("Entity: registrant\r\n  Name: Alice Example\r\n");
    EXPECT_NE(first, std::string::npos) << pane;
    EXPECT_TRUE(first < mark && mark < second && second != std::string::npos) << pane;
    EXPECT_TRUE(Has(pane, "\"ldhName\": \"EXAMPLE.COM\"")) << "the server's JSON follows";
    EXPECT_EQ(registrar.Requests("/domain/EXAMPLE.COM"), 1) << "the registrar's own link is not followed";
    EXPECT_EQ(registry.RequestHeader(0, "Accept"), "application/rdap+json");
    EXPECT_EQ(Title(), "Pellwick (WhoIs - example.com)");
    EXPECT_EQ(Status(), "Connection Closed.");
    EXPECT_TRUE(Saw("Following referral to registrar-rdap.test"));
    EXPECT_EQ(whois.Accepted(), 0) << "port 43 is not asked";

    // The next query reads the bootstrap file from its copy.
    EXPECT_EQ(Ask("example.com"), pane);
    EXPECT_EQ(bootstrap.Requests("/dns.json"), 1);
    const std::string copy = BootstrapCachePath(kBase, "dns.json");
    EXPECT_EQ(ReadWholeFile(copy), kDns);

    // A day-old copy is fetched again; when that fails, it is used still.
    {
        HANDLE file = CreateFileA(copy.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        ULARGE_INTEGER t;
        t.LowPart = now.dwLowDateTime;
        t.HighPart = now.dwHighDateTime;
        t.QuadPart -= 25ULL * 3600 * 10000000;
        const FILETIME old = {t.LowPart, t.HighPart};
        EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &old));
        CloseHandle(file);
    }
    bootstrap.Set("/dns.json", JsonAnswer(503, "{}"));
    EXPECT_EQ(Ask("example.com"), pane);
    EXPECT_EQ(bootstrap.Requests("/dns.json"), 2);
}

TEST_F(Rdap, AnAddressAnswersAndA404IsAnAnswerToo)
{
    const std::string network = Ask("192.0.2.1");
    EXPECT_EQ(network.find("Object class: ip network\r\nHandle: NET-192-0-2-0-1\r\n"
                           "Start address: 192.0.2.0\r\nEnd address: 192.0.2.255\r\n"),
              0u)
        << network;
    EXPECT_EQ(bootstrap.Requests("/ipv4.json"), 1);

    EXPECT_EQ(Ask("nothere.com"), "No RDAP record for nothere.com\r\n");
    EXPECT_EQ(Status(), "Connection Closed.");
    EXPECT_EQ(whois.Accepted(), 0) << "a 404 is not passed on to port 43";
}

TEST_F(Rdap, ARecordInCyrillicShowsAsWrittenWithUnicodeText)
{
    const std::string names = "Entity: registrant\r\n  Name: Иван Петров\r\n"
                              "  Organisation: ООО «Пример»\r\n";
    bUnicodeText = true;
    const std::string pane = Ask("пример.рф");
    EXPECT_TRUE(Has(pane, names)) << pane;
    EXPECT_EQ(pane.find('?'), std::string::npos) << pane;
    EXPECT_EQ(registry.Requests("/domain/xn--e1afmkfd.xn--p1ai"), 1) << "asked by its A-labels";
    EXPECT_EQ(Status(), "Connection Closed.");
    // Without it the pane holds what the code page has room for.
    bUnicodeText = false;
    EXPECT_FALSE(Has(Ask("xn--e1afmkfd.xn--p1ai"), names));
}

TEST_F(Rdap, WhereRdapCannotAnswerPort43IsAskedAndTheLineSaysWhy)
{
    registry.Set("/domain/busy.com",
                 JsonAnswer(429, R"({"errorCode": 429})", "Retry-After: 120\r\n"));
    const struct {
        const char *query;
        const char *reason;
    } cases[] = {
        {"busy.com", "rdap.test is limiting queries; it asks to wait 120 seconds"},
        {"example.org", "127.0.0.93: the server cannot be reached"},
        {"example.xyz", "no RDAP service listed for .xyz"},
        {"n 192.0.2.1", "not a domain name, address or AS number"},
    };
    int asked = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.query);
        EXPECT_EQ(Ask(c.query),
                  std::string("[RDAP unavailable: ") + c.reason + "; asking whois.test]\r\nport 43 answer\r\n");
        EXPECT_EQ(whois.Accepted(), ++asked);
        EXPECT_EQ(whois.Request(asked - 1), std::string(c.query) + "\r\n");
        EXPECT_EQ(Status(), "Connection Closed.");
    }
    // A portal's page in place of the bootstrap file is not kept.
    ForgetBootstrap();
    bootstrap.Set("/dns.json", JsonAnswer(200, "<html>Sign in to this network</html>"));
    EXPECT_EQ(Ask("example.com"), "[RDAP unavailable: bootstrap file dns.json unavailable "
                                  "(bootstrap.test sent no bootstrap file); asking whois.test]\r\n"
                                  "port 43 answer\r\n");
    EXPECT_FALSE(PathExists(BootstrapCachePath(kBase, "dns.json")));
}

TEST_F(Rdap, ACopyOfNoUseIsFetchedAnewThoughUnderADayOld)
{
    // A copy that parses only with more room than a crowded process has.
    std::string large = R"({"services": [], "padding": [0)";
    for (int i = 0; i < 100000; ++i)
        large += ",0";
    large += "]}";
    // Whole and fresh, but another base's: .com would go where nothing listens.
    const char elsewhere[] = R"({"services": [[["com"], ["http://127.0.0.93/"]]]})";
    const struct {
        const char *what;
        const char *base; // whose copy it is
        std::string copy;
        bool crowded;
    } cases[] = {
        {"empty", kBase, "", false},
        {"cut short", kBase, std::string(kDns, sizeof kDns / 2), false},
        {"not a bootstrap file", kBase, R"({"version": "1.0"})", false},
        {"too large to parse here", kBase, large, true},
        {"the default base's", RDAP_BOOTSTRAP_DEFAULT, elsewhere, false},
    };
    int fetched = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ForgetBootstrap();
        WriteWholeFile(BootstrapCachePath(c.base, "dns.json"), c.copy);
        {
            std::optional<FailAllocations> tight;
            if (c.crowded)
                tight.emplace(1024 * 1024);
            EXPECT_TRUE(Has(Ask("example.com"), "Domain name: EXAMPLE.COM\r\n")) << Status();
        }
        EXPECT_EQ(bootstrap.Requests("/dns.json"), ++fetched);
        EXPECT_EQ(ReadWholeFile(BootstrapCachePath(kBase, "dns.json")), kDns);
    }
}

// A record from a service the bootstrap names by a name links to an address
// on this machine: the link is not followed. A record that came from such an
// address itself may link there.
// A server on the internet (public-rdap.test, a documentation address on
// the sandbox's own loopback device) neither links nor redirects into the
// user's own network; one there (rdap.test, on 127.0.0.90) may.
TEST_F(Rdap, ALinkOrRedirectIntoTheUsersOwnNetworkIsFollowedOnlyFromInside)
{
    const std::string record = R"({"objectClassName": "domain",
        "links": [{"rel": "related", "type": "application/rdap+json",
                   "href": "http://127.0.0.91/domain/EXAMPLE.NET"}]})";
    HttpServer outside{"192.0.2.43", 80};
    ASSERT_TRUE(outside.ok());
    outside.Set("/domain/example.net", JsonAnswer(200, record));
    outside.Set("/domain/moved.net", RedirectTo("http://127.0.0.91/domain/EXAMPLE.NET"));
    outside.Start();
    registry.Set("/domain/example.net", JsonAnswer(200, record));
    registrar.Set("/domain/EXAMPLE.NET", JsonAnswer(200, kRegistrar));
    bootstrap.Set("/dns.json",
                  JsonAnswer(200, R"({"services": [[["net"], ["http://public-rdap.test/"]]]})"));

    std::string pane = Ask("example.net");
    const std::string line = "\r\n\r\n[Referral to 127.0.0.91 not followed: a private address]\r\n";
    ASSERT_GT(pane.size(), line.size());
    EXPECT_EQ(pane.substr(pane.size() - line.size()), line);
    EXPECT_EQ(Status(), "Connection Closed.");
    EXPECT_EQ(Ask("moved.net"), "[RDAP unavailable: public-rdap.test: the server redirected to a "
                                "private address; asking whois.test]\r\nport 43 answer\r\n");
    EXPECT_EQ(registrar.Requests("/domain/EXAMPLE.NET"), 0);

    ForgetBootstrap();
    bootstrap.Set("/dns.json",
                  JsonAnswer(200, R"({"services": [[["net"], ["http://rdap.test/"]]]})"));
    pane = Ask("example.net");
    EXPECT_TRUE(Has(pane, "\r\n\r\n[Referral to 127.0.0.91]\r\n")) << pane;
    EXPECT_EQ(registrar.Requests("/domain/EXAMPLE.NET"), 1);
    EXPECT_EQ(Status(), "Connection Closed.");
    outside.Stop();
}

TEST_F(Rdap, CancelEndsAHangingRequestAtOnce)
{
    registry.Set("/domain/slow.com", Hang());
    ASSERT_EQ(Whois("slow.com", "whois.test"), 0) << Status();
    ASSERT_TRUE(PumpUntil([] { return Status() == "Asking rdap.test (RDAP)"; })) << Status();
    EXPECT_TRUE(bBusy);
    EXPECT_TRUE(Enabled(IDM_CANCELOP));
    const DWORD start = GetTickCount();
    SendMessageA(hwndMain, WM_COMMAND, IDM_CANCELOP, 0);
    EXPECT_LT(GetTickCount() - start, 500u);
    EXPECT_TRUE(Completed());
    EXPECT_EQ(Status(), "Operation Cancelled");
    ASSERT_TRUE(PumpUntil([] { return Enabled(IDM_WHOIS); }));
    EXPECT_EQ(PaneText(), "");
    EXPECT_EQ(whois.Accepted(), 0);
}

TEST_F(Rdap, AnAnswerWithoutRoomToBeLaidOutIsCutOffNotFatal)
{
    // Half a megabyte arrives; laid out, it takes more than a crowded
    // process has room for in one piece.
    std::string big = R"({"objectClassName": "domain", "remarks": [{"description": [)";
    for (int i = 0; i < 5000; ++i)
        big += (i == 0 ? "\"" : ", \"") + std::string(90, 'x') + "\"";
    big += "]}]}";
    registry.Set("/domain/big.com", JsonAnswer(200, big));
    {
        FailAllocations tight(1100000);
        ASSERT_EQ(Whois("big.com", "whois.test"), 0) << Status();
        ASSERT_TRUE(PumpUntil(Completed, 15000)) << Status();
    }
    EXPECT_EQ(Status(), "Not enough memory to show the RDAP answer.");
    EXPECT_TRUE(Enabled(IDM_WHOIS) || PumpUntil([] { return Enabled(IDM_WHOIS); }));
}

TEST_F(Rdap, TheCommandLineSavesTheRenderedAnswerAndExitsWhole)
{
    bUseRdap = false; // -j turns it on
    const std::string file = UniqueTempPath("rdap");
    std::string line = "-j -w:example.com@whois.test -s:" + file + " -e";
    quitCode = -1;
    ProcessCommandLine(&line[0]);
    EXPECT_TRUE(bUseRdap);
    ASSERT_TRUE(PumpUntil([] { return quitCode != -1; }, 15000)) << Status();
    EXPECT_EQ(quitCode, 0);
    const std::string saved = ReadWholeFile(file);
    EXPECT_EQ(saved, PaneText());
    EXPECT_TRUE(Has(saved, "Domain name: EXAMPLE.COM\r\n") && Has(saved, "[Referral to registrar-rdap.test]"))
        << saved;
    DeleteFileA(file.c_str());
}

// The same servers behind the HTTPS fronts of tests/tls_fronts.sh, with the
// test root trusted: the bootstrap base is https://, so only https:// is
// followed.
const char kSecureDns[] = R"({"version": "1.0", "services": [
    [["com"], ["https://rdap.test/"]],
    [["net"], ["https://wrongname.test/"]],
    [["org"], ["https://expired.test/"]],
    [["info"], ["https://unknownca.test/"]],
    [["biz"], ["https://tls10.test/"]],
    [["plain"], ["http://rdap.test/"]]]})";
const char kSecureRegistry[] = R"({"objectClassName": "domain", "ldhName": "EXAMPLE.COM",
    "links": [{"rel": "related", "type": "application/rdap+json",
               "href": "https://registrar-rdap.test/domain/EXAMPLE.COM"}]})";

class SecureRdap : public Rdap {
protected:
    void SetUp() override
    {
        Rdap::SetUp();
        ASSERT_TRUE(TrustTestRoot());
        WritePrivateProfileStringA("pellwick", "rdapbootstrap", kSecureBase, path.c_str());
        bootstrap.Set("/dns.json", JsonAnswer(200, kSecureDns));
        registry.Set("/domain/example.com", JsonAnswer(200, kSecureRegistry));
        registry.Set("/domain/moved.com", RedirectTo("http://rdap.test/domain/example.com"));
    }
};

TEST_F(SecureRdap, AGoodChainAnswersAndARefusedOneEndsTheQueryWithoutPort43)
{
    const std::string pane = Ask("example.com");
    EXPECT_TRUE(Has(pane, "Domain name: EXAMPLE.COM\r\n") &&
                Has(pane, "[Referral to registrar-rdap.test]\r\n") &&
                Has(pane, "  Name: Alice Example\r\n"))
        << pane;
    EXPECT_EQ(Status(), "Connection Closed.");

    const struct {
        const char *query;
        const char *why;
    } refused[] = {
        {"example.net", "wrongname.test failed: the certificate is for another name"},
        {"example.org", "expired.test failed: the certificate has expired or is not yet valid"},
        {"example.info", "unknownca.test failed: the certificate is not from a trusted root"},
        {"example.biz", "tls10.test failed: no common TLS version"},
    };
    for (const auto &c : refused) {
        SCOPED_TRACE(c.query);
        const std::string why =
            std::string("RDAP: the secure connection to ") + c.why + "; port 43 not asked";
        EXPECT_EQ(Ask(c.query), "[" + why + "]\r\n");
        EXPECT_EQ(Status(), why);
        EXPECT_EQ(registry.Requests(std::string("/domain/") + c.query), 0);
    }
    EXPECT_EQ(whois.Accepted(), 0) << "port 43 is never asked after a refused chain";

    // From the command line the query is cut off: exit code 3.
    std::string line = "-j -w:example.net@whois.test -e";
    quitCode = -1;
    ProcessCommandLine(&line[0]);
    ASSERT_TRUE(PumpUntil([] { return quitCode != -1; }, 15000)) << Status();
    EXPECT_EQ(quitCode, 3);
    EXPECT_EQ(whois.Accepted(), 0);
}

TEST_F(SecureRdap, PlainHttpIsNeitherARedirectNorAServiceToFollow)
{
    EXPECT_EQ(Ask("moved.com"), "[RDAP unavailable: rdap.test: the server redirected to an address "
                                "not allowed; asking whois.test]\r\nport 43 answer\r\n");
    EXPECT_EQ(registry.Requests("/domain/example.com"), 0);
    EXPECT_EQ(Ask("example.plain"), "[RDAP unavailable: no https RDAP service listed for .plain; "
                                    "asking whois.test]\r\nport 43 answer\r\n");
    EXPECT_EQ(whois.Accepted(), 2);
}

} // namespace
