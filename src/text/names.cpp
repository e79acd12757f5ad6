#include "text/names.h"

#include <cstdio>
#include <cstring>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

int HexDigitValue(char c)
{
    if (IsDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

namespace {

// An IPv4 address as inet_addr and the resolvers read one, which is more
// than four decimal octets: one to four parts, each decimal, octal (a
// leading 0) or hex (0x), the last filling the bytes left, so that "127.1"
// and "2130706433" are 127.0.0.1 too. Host byte order.
bool ParseIpv4Literal(const std::string &text, uint32_t &address)
{
    uint32_t parts[4];
    int count = 0;
    size_t i = 0;
    const size_t n = text.size();
    for (;;) {
        if (count == 4)
            return false;
        unsigned base = 10;
        if (i < n && text[i] == '0') {
            base = 8;
            if (i + 1 < n && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
                base = 16;
                i += 2; // "0x" alone reads as 0
            }
        }
        uint64_t value = 0;
        size_t digits = 0;
        for (; i < n && text[i] != '.'; ++i, ++digits) {
            const int d = HexDigitValue(text[i]);
            if (d < 0 || static_cast<unsigned>(d) >= base)
                return false;
            value = value * base + static_cast<unsigned>(d);
            if (value > 0xFFFFFFFFu)
                return false; // stops long before it could wrap
        }
        if (digits == 0 && base != 16)
            return false;
        parts[count++] = static_cast<uint32_t>(value);
        if (i == n)
            break;
        if (++i == n)
            return false; // a dot ends the text
    }
    const int last = count - 1;
    const uint32_t lastMax = last == 0 ? 0xFFFFFFFFu : 0xFFFFFFFFu >> (8 * last);
    if (parts[last] > lastMax)
        return false;
    address = parts[last];
    for (int p = 0; p < last; ++p) {
        if (parts[p] > 255)
            return false;
        address |= parts[p] << (24 - 8 * p);
    }
    return true;
}

// ASCII only: host names are not text in any locale.
std::string LowerAscii(std::string s)
{
    for (char &c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool EndsWith(const std::string &s, const char *tail)
{
    const size_t n = std::strlen(tail);
    return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}



// The length of a dot at `p` (".", "。", "．", "｡" in UTF-8), or 0.
size_t DotAt(const char *p)
{
    if (*p == '.')
        return 1;
    static const char *const kWideDots[] = {"\xE3\x80\x82", "\xEF\xBC\x8E", "\xEF\xBD\xA1"};
    for (const char *dot : kWideDots) {
        if (std::strncmp(p, dot, 3) == 0)
            return 3;
    }
    return 0;
}

} // namespace

bool IsPrivateIPv6(const uint8_t a[16])
{
    if ((a[0] & 0xFE) == 0xFC)
        return true; // unique local fc00::/7
    if (a[0] == 0xFE && (a[1] & 0xC0) == 0x80)
        return true; // link-local fe80::/10
    for (int i = 0; i < 10; ++i)
        if (a[i] != 0)
            return false;
    // ::/96 (:: and ::1 among them) and ::ffff:0:0/96 carry an IPv4 address.
    const bool mapped = a[10] == 0xFF && a[11] == 0xFF;
    if (!mapped && (a[10] != 0 || a[11] != 0))
        return false;
    const unsigned long v4 = static_cast<unsigned long>(a[12]) << 24 |
                             static_cast<unsigned long>(a[13]) << 16 |
                             static_cast<unsigned long>(a[14]) << 8 | a[15];
    return IsPrivateIPv4(v4);
}

bool LooksLikeDomainName(const char *text)
{
    bool dotBetweenLabels = false;
    size_t label = 0; // bytes of the label read so far
    for (const char *p = text; *p != '\0';) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c <= ' ' || c == 0x7F || c == '@' || c == ':' || c == '/')
            return false;
        const size_t dot = DotAt(p);
        if (dot != 0) {
            if (label == 0)
                return false; // an empty label
            label = 0;
            p += dot;
            if (*p != '\0')
                dotBetweenLabels = true;
            continue;
        }
        ++label;
        ++p;
    }
    return dotBetweenLabels;
}

bool ParseIpv4Address(const std::string &text, uint8_t bytes[4])
{
    size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        const size_t dot = text.find('.', start);
        if ((dot == std::string::npos) != (i == 3))
            return false;
        const size_t end = dot == std::string::npos ? text.size() : dot;
        const size_t digits = end - start;
        // Whether "010" means 8 or 10 is not ours to guess.
        if (digits == 0 || digits > 3 || (digits > 1 && text[start] == '0'))
            return false;
        unsigned value = 0;
        for (size_t k = start; k < end; ++k) {
            if (!IsDigit(text[k]))
                return false;
            value = value * 10 + static_cast<unsigned>(text[k] - '0');
        }
        if (value > 255)
            return false;
        bytes[i] = static_cast<uint8_t>(value);
        start = end + 1;
    }
    return true;
}

bool ParseIpv6Address(const std::string &text, uint8_t bytes[16])
{
    // The groups before "::" and after it, each as 16-bit values; an
    // embedded IPv4 address counts as two groups at the end.
    uint16_t head[8] = {}, tail[8] = {};
    int heads = 0, tails = 0;
    bool gap = false;
    size_t i = 0;
    const size_t n = text.size();
    if (n >= 2 && text[0] == ':' && text[1] == ':') {
        gap = true;
        i = 2;
    } else if (n > 0 && text[0] == ':') {
        return false;
    }
    while (i < n) {
        uint16_t *groups = gap ? tail : head;
        int &count = gap ? tails : heads;
        if (heads + tails >= 8)
            return false;
        size_t end = i;
        while (end < n && text[end] != ':')
            ++end;
        const std::string group = text.substr(i, end - i);
        if (group.find('.') != std::string::npos) {
            // The last 32 bits written as an IPv4 address.
            uint8_t v4[4];
            if (end != n || heads + tails > 6 || !ParseIpv4Address(group, v4))
                return false;
            groups[count++] = static_cast<uint16_t>(v4[0] << 8 | v4[1]);
            groups[count++] = static_cast<uint16_t>(v4[2] << 8 | v4[3]);
            break;
        }
        if (group.empty() || group.size() > 4)
            return false;
        unsigned value = 0;
        for (char c : group) {
            const int h = HexDigitValue(c);
            if (h < 0)
                return false;
            value = value << 4 | static_cast<unsigned>(h);
        }
        groups[count++] = static_cast<uint16_t>(value);
        if (end == n)
            break;
        // A ':' follows: another group, or "::".
        i = end + 1;
        if (i < n && text[i] == ':') {
            if (gap)
                return false;
            gap = true;
            ++i;
        } else if (i == n) {
            return false; // a trailing single ':'
        }
    }
    if (gap ? heads + tails > 7 : heads != 8)
        return false;
    std::memset(bytes, 0, 16);
    for (int g = 0; g < heads; ++g) {
        bytes[2 * g] = static_cast<uint8_t>(head[g] >> 8);
        bytes[2 * g + 1] = static_cast<uint8_t>(head[g] & 0xFF);
    }
    for (int g = 0; g < tails; ++g) {
        const int at = 8 - tails + g;
        bytes[2 * at] = static_cast<uint8_t>(tail[g] >> 8);
        bytes[2 * at + 1] = static_cast<uint8_t>(tail[g] & 0xFF);
    }
    return true;
}


bool IsPrivateIPv4(unsigned long hostOrderAddress)
{
    static const struct {
        uint32_t network, mask;
    } kRanges[] = {
        {0x00000000u, 0xFF000000u}, // 0/8
        {0x0A000000u, 0xFF000000u}, // 10/8
        {0x64400000u, 0xFFC00000u}, // 100.64/10
        {0x7F000000u, 0xFF000000u}, // 127/8
        {0xA9FE0000u, 0xFFFF0000u}, // 169.254/16
        {0xAC100000u, 0xFFF00000u}, // 172.16/12
        {0xC0A80000u, 0xFFFF0000u}, // 192.168/16
    };
    const uint32_t address = static_cast<uint32_t>(hostOrderAddress & 0xFFFFFFFFu);
    for (const auto &range : kRanges)
        if ((address & range.mask) == range.network)
            return true;
    return false;
}

bool IsPrivateHostLiteral(const std::string &host)
{
    std::string name = host;
    bool v6 = false;
    if (!name.empty() && name[0] == '[') {
        const size_t close = name.find(']');
        if (close == std::string::npos)
            return false;
        name = name.substr(1, close - 1);
        v6 = true;
    } else {
        const size_t colon = name.find(':');
        if (colon != std::string::npos && name.find(':', colon + 1) == std::string::npos)
            name.erase(colon); // "host:port"
        else
            v6 = colon != std::string::npos;
    }
    if (v6) {
        uint8_t bytes[16];
        return ParseIpv6Address(name.substr(0, name.find('%')), bytes) && IsPrivateIPv6(bytes);
    }
    if (!name.empty() && name.back() == '.')
        name.pop_back();
    name = LowerAscii(name);
    if (name == "localhost" || EndsWith(name, ".localhost"))
        return true;
    uint32_t address = 0;
    return ParseIpv4Literal(name, address) && IsPrivateIPv4(address);
}

std::string Ipv6Literal(const std::string &host)
{
    std::string inner = host;
    if (inner.size() >= 2 && inner.front() == '[' && inner.back() == ']')
        inner = inner.substr(1, inner.size() - 2);
    uint8_t bytes[16];
    return ParseIpv6Address(inner, bytes) ? inner : std::string();
}

std::string FormatIpv6Address(const uint8_t bytes[16])
{
    uint16_t groups[8];
    for (int g = 0; g < 8; ++g)
        groups[g] = static_cast<uint16_t>(bytes[2 * g] << 8 | bytes[2 * g + 1]);
    char text[48];
    bool mapped = true;
    for (int g = 0; g < 5; ++g)
        mapped = mapped && groups[g] == 0;
    if (mapped && groups[5] == 0xFFFF) {
        std::snprintf(text, sizeof text, "::ffff:%u.%u.%u.%u", bytes[12], bytes[13], bytes[14],
                      bytes[15]);
        return text;
    }
    // The longest run of zero groups, if it is two or more long.
    int bestAt = -1, bestLength = 1;
    for (int g = 0; g < 8;) {
        int end = g;
        while (end < 8 && groups[end] == 0)
            ++end;
        if (end - g > bestLength) {
            bestAt = g;
            bestLength = end - g;
        }
        g = end > g ? end : g + 1;
    }
    std::string out;
    for (int g = 0; g < 8; ++g) {
        if (g == bestAt) {
            out += "::";
            g += bestLength - 1;
            continue;
        }
        if (!out.empty() && out.back() != ':')
            out += ':';
        std::snprintf(text, sizeof text, "%x", groups[g]);
        out += text;
    }
    return out;
}
