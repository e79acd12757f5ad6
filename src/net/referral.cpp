#include "net/referral.h"

#include <cstring>

#include "text/names.h"

namespace {

// The starts of the lines that name another WhoIs server, as registries
// write them; matched ignoring case.
const char *const ReferralPrefixes[] = {
    "refer:", "whois:", "Registrar WHOIS Server:", "ReferralServer:", "%referral",
};

// ASCII only: the answers' bytes are not text in any locale.
char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsHostChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           c == '.' || c == '-' || c == '_';
}

// True when [begin, end) starts with `prefix`, ignoring case.
bool StartsWithNoCase(const char *begin, const char *end, const char *prefix)
{
    for (; *prefix != '\0'; ++begin, ++prefix)
        if (begin == end || LowerAscii(*begin) != LowerAscii(*prefix))
            return false;
    return true;
}

// A referral's value made into "host" or "host:port", or "" when it is not
// to be followed.
std::string CleanReferral(const char *begin, const char *end)
{
    if (StartsWithNoCase(begin, end, "whois://"))
        begin += std::strlen("whois://");
    std::string value(begin, end);
    if (value.find("://") != std::string::npos)
        return ""; // another protocol: rwhois, a web page
    value = value.substr(0, value.find('/'));
    WhoisServer server;
    return ParseWhoisServer(value, server) ? value : "";
}

} // namespace

bool ParseWhoisServer(const std::string &text, WhoisServer &server)
{
    std::string host;
    size_t colon = std::string::npos; // the one before the port
    if (!text.empty() && text[0] == '[') {
        // An IPv6 address in brackets, a port after them or not.
        const size_t close = text.find(']');
        if (close == std::string::npos)
            return false;
        host = Ipv6Literal(text.substr(0, close + 1));
        if (host.empty() || (close + 1 < text.size() && text[close + 1] != ':'))
            return false;
        if (close + 1 < text.size())
            colon = close + 1;
    } else if (text.find(':') != text.rfind(':')) {
        // Two colons or more: a bare IPv6 address, which cannot carry a port.
        host = Ipv6Literal(text);
        if (host.empty())
            return false;
    } else {
        colon = text.find(':');
        host = text.substr(0, colon);
        if (host.empty())
            return false;
        for (char c : host)
            if (!IsHostChar(c))
                return false;
    }
    uint32_t port = 0;
    if (colon != std::string::npos) {
        const std::string digits = text.substr(colon + 1);
        if (digits.empty())
            return false;
        for (char c : digits) {
            if (c < '0' || c > '9')
                return false;
            port = port * 10 + static_cast<uint32_t>(c - '0');
            if (port > 65535)
                return false; // stops before it could wrap
        }
        if (port == 0)
            return false;
    }
    server.host = host;
    server.port = static_cast<uint16_t>(port);
    return true;
}

std::string FindReferral(const char *text, size_t length)
{
    if (text == nullptr)
        return "";
    const char *const end = text + length;
    for (const char *line = text; line < end;) {
        const void *lf = std::memchr(line, '\n', static_cast<size_t>(end - line));
        const char *lineEnd = lf != nullptr ? static_cast<const char *>(lf) : end;
        const char *next = lf != nullptr ? lineEnd + 1 : end;
        if (lineEnd > line && lineEnd[-1] == '\r')
            --lineEnd;
        while (line < lineEnd && IsBlank(*line))
            ++line;
        for (const char *prefix : ReferralPrefixes) {
            if (!StartsWithNoCase(line, lineEnd, prefix))
                continue;
            const char *value = line + std::strlen(prefix);
            while (value < lineEnd && IsBlank(*value))
                ++value;
            while (lineEnd > value && IsBlank(lineEnd[-1]))
                --lineEnd;
            return CleanReferral(value, lineEnd);
        }
        line = next;
    }
    return "";
}

void ReferralChain::Start(const std::string &first)
{
    asked_.clear();
    Follow(first);
}

bool ReferralChain::Follow(const std::string &next)
{
    if (asked_.size() >= REFERRAL_CHAIN_LIMIT)
        return false;
    std::string key(next);
    for (char &c : key)
        c = LowerAscii(c);
    for (const std::string &s : asked_)
        if (s == key)
            return false;
    asked_.push_back(key);
    return true;
}

size_t ReferralChain::Asked() const { return asked_.size(); }
