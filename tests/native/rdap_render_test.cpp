// An RDAP answer as the pane shows it: the fields that matter in a fixed
// order, then the server's JSON, from any bytes a server may send.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "rdap/rdap_render.h"

namespace {

RdapAnswer Render(const std::string &body) { return RenderRdap(body.data(), body.size()); }

// The lines of the readable part: those before the first empty line.
std::vector<std::string> Readable(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find("\r\n", start);
        if (end == std::string::npos || end == start)
            return lines;
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
}

// What any rendering holds to: every line ends CR LF, no NUL or other control
// character in the text but a DEL the layout escapes, and the pane gets
// something to show.
void ExpectOneLineValues(const std::string &text)
{
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    size_t i = 0;
    for (; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\r' ? i + 1 == text.size() || text[i + 1] != '\n'
                      : c == '\n' ? i == 0 || text[i - 1] != '\r' : c < 0x20 || c == 0x7F)
            break;
    }
    EXPECT_EQ(i, text.size()) << "a lone CR or LF, or control character "
                              << int(static_cast<unsigned char>(text[i < text.size() ? i : 0]))
                              << " at " << i;
}

const char *const ThinDomain = R"({
  "objectClassName": "domain",
  "handle": "2336799_DOMAIN_COM-EXAMPLE",
  "ldhName": "EXAMPLE.COM",
  "links": [
    {"value": "https://rdap.example-registry.net/domain/EXAMPLE.COM", "rel": "self",
     "href": "https://rdap.example-registry.net/domain/EXAMPLE.COM", "type": "application/rdap+json"},
    {"value": "https://rdap.example-registry.net/domain/EXAMPLE.COM", "rel": "related",
     "href": "https://rdap.example-registrar.net/domain/EXAMPLE.COM", "type": "application/rdap+json"}
  ],
  "status": ["client delete prohibited", "client transfer prohibited", "client update prohibited"],
  "entities": [
    {"objectClassName": "entity", "handle": "376", "roles": ["registrar"],
     "publicIds": [{"type": "IANA Registrar ID", "identifier": "376"}],
     "vcardArray": ["vcard", [["version", {}, "text", "4.0"], ["fn", {}, "text", "Example Registrar, Inc."]]],
     "entities": [
       {"objectClassName": "entity", "roles": ["abuse"],
        "vcardArray": ["vcard", [["version", {}, "text", "4.0"], ["fn", {}, "text", ""],
          ["tel", {"type": "voice"}, "uri", "tel:+1.5555550100"],
          ["email", {}, "text", "abuse@example-registrar.net"]]]}
     ]}
  ],
  "events": [
    {"eventAction": "registration", "eventDate": "1995-08-14T04:00:00Z"},
    {"eventAction": "expiration", "eventDate": "2030-08-13T04:00:00Z"},
    {"eventAction": "last changed", "eventDate": "2024-08-14T07:01:38Z"},
    {"eventAction": "last update of RDAP database", "eventDate": "2025-01-20T10:12:41Z"}
  ],
  "secureDNS": {"delegationSigned": true,
    "dsData": [{"keyTag": 370, "algorithm": 13, "digestType": 2,
                "digest": "BE74359954660069D5C63D200C39F5603827D7DD02B56F120EE9F3A86764247C"}]},
  "nameservers": [
    {"objectClassName": "nameserver", "ldhName": "A.NS.EXAMPLE.NET"},
    {"objectClassName": "nameserver", "ldhName": "B.NS.EXAMPLE.NET",
     "ipAddresses": {"v4": ["192.0.2.53"], "v6": ["2001:db8::53"]}}
  ],
  "rdapConformance": ["rdap_level_0", "icann_rdap_technical_implementation_guide_1", "icann_rdap_response_profile_1"],
  "notices": [
    {"title": "Terms of Use",
     "description": ["Service subject to Terms of Use."],
     "links": [{"href": "https://www.example-registry.net/rdap-terms", "type": "text/html"}]},
    {"title": "Status Codes",
     "description": ["For more information on domain status codes, please visit https://icann.example/epp"]}
  ]
})";

const char *const IpNetwork = R"({
  "rdapConformance": ["rdap_level_0", "cidr0"],
  "objectClassName": "ip network",
  "handle": "NET-192-0-2-0-1",
  "startAddress": "192.0.2.0",
  "endAddress": "192.0.2.255",
  "ipVersion": "v4",
  "name": "EXAMPLE-DOC-NET",
  "type": "ASSIGNMENT",
  "country": "ZZ",
  "parentHandle": "NET-192-0-0-0-0",
  "cidr0_cidrs": [{"v4prefix": "192.0.2.0", "length": 24}],
  "status": ["active"],
  "events": [
    {"eventAction": "registration", "eventDate": "2010-01-28T16:34:21-05:00"},
    {"eventAction": "last changed", "eventDate": "2021-12-14T20:28:42-05:00"}
  ],
  "entities": [
    {"objectClassName": "entity", "handle": "EXNET-1", "roles": ["registrant"],
     "vcardArray": ["vcard", [
       ["version", {}, "text", "4.0"],
       ["fn", {}, "text", "Example Networks"],
       ["adr", {"label": "100 Example Way\nSuite 5\nSpringfield\nZZ\n"}, "text", ["", "", "", "", "", "", ""]],
       ["kind", {}, "text", "org"]]],
     "entities": [
       {"objectClassName": "entity", "handle": "NOC-EX", "roles": ["technical", "abuse"],
        "vcardArray": ["vcard", [
          ["version", {}, "text", "4.0"],
          ["fn", {}, "text", "Network Operations"],
          ["org", {}, "text", "Example Networks"],
          ["adr", {}, "text", ["", "", "100 Example Way", "Springfield", "", "12345", "ZZ"]],
          ["tel", {"type": ["work", "voice"]}, "text", "+1-555-555-0100"],
          ["tel", {"type": ["work", "fax"]}, "uri", "tel:+1-555-555-0199"],
          ["email", {}, "text", "noc@example.net"]]]}
     ]}
  ],
  "port43": "whois.example.net",
  "remarks": [{"title": "Registration Comments", "description": ["Documentation block.", "Not for use on the Internet."]}]
})";

const char *const Autnum = R"({
  "objectClassName": "autnum", "handle": "AS64496", "startAutnum": 64496, "endAutnum": 64511,
  "name": "EXAMPLE-AS-BLOCK", "type": "DIRECT ALLOCATION", "country": "ZZ", "status": ["active"],
  "events": [{"eventAction": "registration", "eventDate": "2008-03-14T00:00:00Z"},
             {"eventAction": "transfer", "eventDate": "2012-01-01T00:00:00Z", "eventActor": "X"}],
  "entities": [{"handle": "EXAS-ADMIN", "roles": ["administrative"],
                "vcardArray": ["vcard", [["fn", {}, "text", "AS Admin"], ["email", {}, "text", "as@example.com"]]]}]
})";

TEST(RenderRdap, ThinRegistryDomainInTheFixedOrderWithItsRegistrarLink)
{
    const RdapAnswer a = Render(ThinDomain);
    EXPECT_TRUE(a.json);
    EXPECT_EQ(a.related, "https://rdap.example-registrar.net/domain/EXAMPLE.COM");
    const std::vector<std::string> expected = {
        "Object class: domain",
        "Handle: 2336799_DOMAIN_COM-EXAMPLE",
        "Domain name: EXAMPLE.COM",
        "Status: client delete prohibited, client transfer prohibited, client update prohibited",
        "Registration: 1995-08-14T04:00:00Z",
        "Expiration: 2030-08-13T04:00:00Z",
        "Last changed: 2024-08-14T07:01:38Z",
        "Last update of RDAP database: 2025-01-20T10:12:41Z",
        "Entity: registrar",
        "  Handle: 376",
        "  Name: Example Registrar, Inc.",
        "  IANA Registrar ID: 376",
        "  Entity: abuse",
        "    Phone: +1.5555550100",
        "    Email: abuse@example-registrar.net",
        "Name server: A.NS.EXAMPLE.NET",
        "Name server: B.NS.EXAMPLE.NET (192.0.2.53, 2001:db8::53)",
        "DNSSEC: signed",
        "DS record: key tag 370, algorithm 13, digest type 2, "
        "digest BE74359954660069D5C63D200C39F5603827D7DD02B56F120EE9F3A86764247C",
        "Notice: Terms of Use",
        "  Service subject to Terms of Use.",
        "Notice: Status Codes",
        "  For more information on domain status codes, please visit https://icann.example/epp",
    };
    EXPECT_EQ(Readable(a.text), expected);
    // Then the whole JSON, laid out with two spaces, nothing left out.
    const size_t layout = a.text.find("\r\n\r\n{\r\n  \"entities\": [\r\n    {\r\n");
    ASSERT_NE(layout, std::string::npos);
    EXPECT_NE(a.text.find("\r\n  \"rdapConformance\": [\r\n    \"rdap_level_0\",", layout), std::string::npos);
    EXPECT_NE(a.text.find("\"href\": \"https://www.example-registry.net/rdap-terms\"", layout), std::string::npos);
    EXPECT_EQ(a.text.substr(a.text.size() - 6), "]\r\n}\r\n");
    ExpectOneLineValues(a.text);
}

TEST(RenderRdap, IpNetworkAndAsNumberBlocks)
{
    const std::vector<std::string> network = {
        "Object class: ip network",
        "Handle: NET-192-0-2-0-1",
        "Start address: 192.0.2.0",
        "End address: 192.0.2.255",
        "IP version: v4",
        "Name: EXAMPLE-DOC-NET",
        "Type: ASSIGNMENT",
        "Country: ZZ",
        "Parent handle: NET-192-0-0-0-0",
        "CIDR: 192.0.2.0/24",
        "Status: active",
        "Registration: 2010-01-28T16:34:21-05:00",
        "Last changed: 2021-12-14T20:28:42-05:00",
        "Entity: registrant",
        "  Handle: EXNET-1",
        "  Name: Example Networks",
        "  Address: 100 Example Way, Suite 5, Springfield, ZZ",
        "  Entity: technical, abuse",
        "    Handle: NOC-EX",
        "    Name: Network Operations",
        "    Organisation: Example Networks",
        "    Address: 100 Example Way, Springfield, 12345, ZZ",
        "    Phone: +1-555-555-0100",
        "    Fax: +1-555-555-0199",
        "    Email: noc@example.net",
        "Port 43: whois.example.net",
        "Remark: Registration Comments",
        "  Documentation block.",
        "  Not for use on the Internet.",
    };
    const RdapAnswer ip = Render(IpNetwork);
    EXPECT_EQ(Readable(ip.text), network);
    EXPECT_EQ(ip.related, ""); // only a domain refers to a registrar
    ExpectOneLineValues(ip.text);

    const std::vector<std::string> autnum = {
        "Object class: autnum",
        "Handle: AS64496",
        "Start autnum: 64496",
        "End autnum: 64511",
        "Name: EXAMPLE-AS-BLOCK",
        "Type: DIRECT ALLOCATION",
        "Country: ZZ",
        "Status: active",
        "Registration: 2008-03-14T00:00:00Z",
        "Transfer: 2012-01-01T00:00:00Z",
        "Entity: administrative",
        "  Handle: EXAS-ADMIN",
        "  Name: AS Admin",
        "  Email: as@example.com",
    };
    EXPECT_EQ(Readable(Render(Autnum).text), autnum);
}

TEST(RenderRdap, ErrorsComeFirstAndWrongTypesAreSkipped)
{
    const RdapAnswer error = Render(R"({"errorCode": 404, "title": "Not Found",
        "description": ["The domain is not registered here.", 5, "Try another registry."],
        "notices": [{"title": "Terms", "description": ["Be nice."]}]})");
    EXPECT_TRUE(error.json);
    const std::vector<std::string> errorLines = {
        "Error 404: Not Found",
        "  The domain is not registered here.",
        "  Try another registry.",
        "Notice: Terms",
        "  Be nice.",
    };
    EXPECT_EQ(Readable(error.text), errorLines);

    // Every field of the wrong type, or missing what makes it a field.
    const RdapAnswer odd = Render(R"({
        "objectClassName": "domain", "handle": 12, "ldhName": ["x"], "unicodeName": "ex\u00e4mple.com",
        "status": "active",
        "events": [{"eventAction": 3, "eventDate": "2001"}, "x", {"eventAction": "expiration"},
                   {"eventAction": "", "eventDate": "2002"}, {"eventAction": "expiration", "eventDate": "2030"}],
        "entities": [7, {"roles": "registrar", "handle": ["h"], "vcardArray": ["vcard", "no"]},
                     {"roles": [1, "tech"], "vcardArray": ["vcard", [["fn"], ["fn", {}, "text", 5],
                       ["tel", [], "text", "+1"], ["org", {}, "text", ["A", 1, "B"]], ["adr", 3, "text", 4]]],
                      "entities": {"x": 1}, "publicIds": [{"type": 5, "identifier": "i"}, {"type": "ID"}]}],
        "nameservers": [null, {"ldhName": ["x"]}, {"unicodeName": "ns.example.com", "ipAddresses": [1]}],
        "secureDNS": {"delegationSigned": "yes", "dsData": [{"keyTag": "370", "algorithm": 8.5}, {"keyTag": 1}]},
        "port43": {"host": "x"},
        "notices": [{"description": "flat"}, 4, {"title": ["t"], "description": [["nested"]]}],
        "links": [{"rel": "related", "type": "application/rdap+json", "href": 5},
                  {"rel": "related", "type": "text/html", "href": "https://www.example.net/"},
                  {"rel": "related", "type": "application/rdap+json", "href": ""},
                  {"rel": "related", "type": "application/rdap+json", "href": "javascript:void"}]
    })");
    EXPECT_TRUE(odd.json);
    const std::vector<std::string> oddLines = {
        "Object class: domain",
        "Unicode name: ex\xC3\xA4mple.com",
        "Expiration: 2030",
        "Entity: no role given",
        "Entity: tech",
        "  Phone: +1",
        "  Organisation: A, B",
        "Name server: ns.example.com",
        "DS record: key tag 1",
        "Notice:",
        "Notice:",
    };
    EXPECT_EQ(Readable(odd.text), oddLines);
    EXPECT_EQ(odd.related, "");
    ExpectOneLineValues(odd.text);

    // The first related link that qualifies, whatever the case of its words.
    EXPECT_EQ(Render(R"({"objectClassName": "domain", "links": [
        {"rel": "self", "type": "application/rdap+json", "href": "https://a.example/"},
        {"rel": "Related", "type": "Application/RDAP+JSON", "href": "http://b.example/domain/x"}]})").related,
              "http://b.example/domain/x");
}

TEST(RenderRdap, NoValueCanAddALineOrEndTheText)
{
    const RdapAnswer a = Render(R"({"objectClassName": "domain", "handle": "H\u0000idden\r\nInjected: yes",
        "port43": "whois\texample\u007f.net", "remarks": [{"title": "T\nU", "description": ["a\u001bb"]}]})");
    const std::vector<std::string> lines = {
        "Object class: domain",
        "Handle: H idden  Injected: yes",
        "Port 43: whois example .net",
        "Remark: T U",
        "  a b",
    };
    EXPECT_EQ(Readable(a.text), lines);
    // The layout escapes them as JSON does.
    EXPECT_NE(a.text.find(R"("handle": "H\u0000idden\r\nInjected: yes")"), std::string::npos);
    EXPECT_NE(a.text.find(R"("port43": "whois\texample\u007f.net")"), std::string::npos);
    ExpectOneLineValues(a.text);
}

TEST(RenderRdap, ShowsWhatIsNotAnRdapObjectAsItCame)
{
    const char raw[] = "<html>\n<b>Not\0found</b>\r\n\xFF\xFE\r</html>";
    const std::string html(raw, sizeof raw - 1);
    const RdapAnswer a = Render(html);
    EXPECT_FALSE(a.json);
    EXPECT_EQ(a.related, "");
    EXPECT_EQ(a.text.rfind("The answer is not JSON: parse error at line 1, column 1: ", 0), 0u) << a.text;
    EXPECT_NE(a.text.find("\r\n\r\n<html>\r\n<b>Not found</b>\r\n\xFF\xFE\r\n</html>\r\n"), std::string::npos)
        << a.text;
    ExpectOneLineValues(a.text);

    const RdapAnswer empty = RenderRdap(nullptr, 0);
    EXPECT_FALSE(empty.json);
    EXPECT_EQ(empty.text.rfind("The answer is not JSON: ", 0), 0u);

    // The parser quotes what it read; a long string does not become a long line.
    const std::string open = "{\"title\": \"" + std::string(100000, 'x');
    const std::string unterminated = Render(open).text;
    EXPECT_LT(unterminated.find("\r\n"), 400u);

    const RdapAnswer array = Render("[1, \"two\"]");
    EXPECT_FALSE(array.json);
    EXPECT_EQ(array.text, "The answer is not an RDAP object but JSON array\r\n\r\n[\r\n  1,\r\n  \"two\"\r\n]\r\n");
}

// The widest indent of any line.
size_t WidestIndent(const std::string &text)
{
    size_t widest = 0;
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find("\r\n", start);
        const size_t line = (end == std::string::npos ? text.size() : end) - start;
        size_t spaces = 0;
        while (spaces < line && text[start + spaces] == ' ')
            ++spaces;
        widest = std::max(widest, spaces);
        if (end == std::string::npos)
            break;
        start = end + 2;
    }
    return widest;
}

TEST(RenderRdap, NestingAndRepetitionLayOutIntoNoMoreThanTheLimit)
{
    // An object whose member "a" nests `levels` deep around `count` zeros.
    auto nested = [](size_t levels, size_t count) {
        std::string zeros;
        for (size_t i = 0; i < count; ++i)
            zeros += i == 0 ? "0" : ",0";
        return "{\"a\": " + std::string(levels, '[') + zeros + std::string(levels, ']') + "}";
    };
    // Strings of DEL, which the layout writes six bytes for one: 3 MB that
    // lay out into more than the limit at any indent, each a line of 24 kB.
    std::string dels = "{\"a\": [";
    for (int i = 0; i < 800; ++i)
        dels += (i == 0 ? "\"" : ", \"") + std::string(4096, '\x7f') + "\"";
    dels += "]}";
    const struct {
        const char *what;
        std::string body;
        bool truncated;
        size_t indent; // the widest the text may and does indent
    } cases[] = {
        {"a small answer 250 levels deep", nested(250, 2000), false, 32},
        {"100000 levels", nested(100000, 0), false, 32},
        {"strings that lay out six times their size", dels, true, 4},
        {"line ends that double, not JSON", "<" + std::string(9u << 20, '\n'), true, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const RdapAnswer a = Render(c.body);
        EXPECT_EQ(a.truncated, c.truncated);
        EXPECT_LE(a.text.size(), RDAP_TEXT_LIMIT);
        if (c.truncated) // the line that did not fit is left out whole
            EXPECT_GT(a.text.size(), RDAP_TEXT_LIMIT - 32768) << "filled to the limit";
        else
            EXPECT_EQ(a.text.substr(a.text.size() - 3), "}\r\n") << "laid out to its end";
        EXPECT_EQ(WidestIndent(a.text), c.indent);
        ExpectOneLineValues(a.text);
    }
}

TEST(RenderRdap, RendersALargeAnswerWhole)
{
    // A five-megabyte answer: thousands of entities with remarks.
    std::string body = R"({"objectClassName": "ip network", "handle": "NET-BIG", "entities": [)";
    int count = 0;
    while (body.size() < 5 * 1024 * 1024) {
        if (count > 0)
            body += ',';
        body += R"({"handle": "E)" + std::to_string(count++) +
                R"(", "roles": ["technical"], "vcardArray": ["vcard", [["fn", {}, "text", "Example Contact"],
                ["email", {}, "text", "contact@example.net"]]], "remarks": [{"description": [")" +
                std::string(300, 'r') + R"("]}]})";
    }
    body += "]}";
    const RdapAnswer a = Render(body);
    EXPECT_TRUE(a.json);
    EXPECT_FALSE(a.truncated);
    const std::string last = "Entity: technical\r\n  Handle: E" + std::to_string(count - 1) + "\r\n";
    EXPECT_NE(a.text.find(last), std::string::npos);
    EXPECT_NE(a.text.find("\"handle\": \"E" + std::to_string(count - 1) + "\""), std::string::npos);
    EXPECT_GT(a.text.size(), body.size());
}

} // namespace
