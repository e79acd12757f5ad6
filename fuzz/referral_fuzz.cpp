// Referrals in any WhoIs answer: the whole input is one answer's bytes, and
// also the text of a server as a user might type it. FindReferral returns ""
// or a server ParseWhoisServer accepts, taken whole from the answer, never
// with a scheme, a path, blanks or a line end; ParseWhoisServer accepts only
// a valid host with an optional port 1..65535, or an IPv6 address bare or in
// brackets with an optional port after them, and leaves the server alone
// otherwise. An IPv6 address written out reads back as itself. Whether a host is private does not hang on how it is written:
// a port, a trailing dot, capitals or brackets around an IPv6 address
// change nothing, and a plain dotted address is judged by its value.
#include <algorithm>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "net/referral.h"
#include "text/names.h"

namespace {

bool IsHostChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           c == '.' || c == '-' || c == '_';
}

// ":" then decimal digits whose value is `port`.
void CheckPort(const std::string &rest, uint16_t port)
{
    FUZZ_CHECK(rest[0] == ':' && rest.size() > 1);
    uint64_t value = 0;
    for (size_t i = 1; i < rest.size(); ++i) {
        FUZZ_CHECK(rest[i] >= '0' && rest[i] <= '9');
        if (value <= 65535)
            value = value * 10 + static_cast<uint64_t>(rest[i] - '0');
    }
    FUZZ_CHECK(value >= 1 && value <= 65535 && port == value);
}

void CheckParse(const std::string &text)
{
    WhoisServer server{"untouched", 7};
    if (!ParseWhoisServer(text, server)) {
        FUZZ_CHECK(server.host == "untouched" && server.port == 7);
        return;
    }
    FUZZ_CHECK(!server.host.empty());
    if (server.host.find(':') != std::string::npos) {
        // An IPv6 address: bare without a port, or in brackets with or without one.
        FUZZ_CHECK(Ipv6Literal(server.host) == server.host);
        if (text == server.host || text == "[" + server.host + "]") {
            FUZZ_CHECK(server.port == 0);
            return;
        }
        const std::string bracketed = "[" + server.host + "]";
        FUZZ_CHECK(text.compare(0, bracketed.size(), bracketed) == 0);
        CheckPort(text.substr(bracketed.size()), server.port);
        return;
    }
    for (char c : server.host)
        FUZZ_CHECK(IsHostChar(c));
    FUZZ_CHECK(text.compare(0, server.host.size(), server.host) == 0);
    const std::string rest = text.substr(server.host.size());
    if (rest.empty()) {
        FUZZ_CHECK(server.port == 0);
        return;
    }
    CheckPort(rest, server.port);
}

// An IPv6 address written out reads back as the same address, and writing
// that again changes nothing.
void CheckIpv6Text(const std::string &text)
{
    uint8_t bytes[16], again[16];
    if (!ParseIpv6Address(text, bytes))
        return;
    const std::string written = FormatIpv6Address(bytes);
    FUZZ_CHECK(ParseIpv6Address(written, again) && std::equal(bytes, bytes + 16, again));
    FUZZ_CHECK(FormatIpv6Address(again) == written);
}

void CheckPrivate(const std::string &host)
{
    const bool isPrivate = IsPrivateHostLiteral(host);
    if (host.find_first_of("[]") != std::string::npos)
        return;
    const auto colons = std::count(host.begin(), host.end(), ':');
    if (colons >= 2) {
        FUZZ_CHECK(IsPrivateHostLiteral("[" + host + "]:443") == isPrivate);
        return;
    }
    if (colons == 1)
        return;
    FUZZ_CHECK(IsPrivateHostLiteral(host + ":43") == isPrivate);
    if (host.empty() || host.back() != '.')
        FUZZ_CHECK(IsPrivateHostLiteral(host + ".") == isPrivate);
    std::string upper = host;
    for (char &c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    FUZZ_CHECK(IsPrivateHostLiteral(upper) == isPrivate);
    uint8_t b[4];
    if (ParseIpv4Address(host, b))
        FUZZ_CHECK(isPrivate == IsPrivateIPv4(static_cast<unsigned long>(b[0]) << 24 |
                                              static_cast<unsigned long>(b[1]) << 16 |
                                              static_cast<unsigned long>(b[2]) << 8 | b[3]));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string answer(reinterpret_cast<const char *>(data), size);
    CheckParse(answer);
    CheckPrivate(answer);
    CheckIpv6Text(answer);

    const std::string found = FindReferral(answer.data(), answer.size());
    if (found.empty())
        return 0;
    WhoisServer server{"", 0};
    FUZZ_CHECK(ParseWhoisServer(found, server));
    FUZZ_CHECK(found.find("://") == std::string::npos);
    FUZZ_CHECK(found.find_first_of("/ \t\r\n") == std::string::npos);
    FUZZ_CHECK(answer.find(found) != std::string::npos);
    return 0;
}
