#include "rdap/rdap_query.h"

#include "text/names.h"

namespace {

const char *const NotRdap = "not a domain name, address or AS number";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// ASCII only: what the user typed is not text in any locale.
std::string LowerAscii(std::string s)
{
    for (char &c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(const std::string &s)
{
    size_t begin = 0, end = s.size();
    while (begin < end && IsBlank(s[begin]))
        ++begin;
    while (end > begin && IsBlank(s[end - 1]))
        --end;
    return s.substr(begin, end - begin);
}

bool AllDigits(const std::string &s, size_t from = 0)
{
    if (from >= s.size())
        return false;
    for (size_t i = from; i < s.size(); ++i)
        if (!IsDigit(s[i]))
            return false;
    return true;
}

// Decimal digits (any number of leading zeros) up to `max`; false beyond it.
bool ParseDecimal(const std::string &digits, uint64_t max, uint64_t &value)
{
    if (!AllDigits(digits))
        return false;
    value = 0;
    for (char c : digits) {
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > max)
            return false; // stops long before it could wrap
    }
    return true;
}

enum PrefixResult { PREFIX_NONE, PREFIX_OK, PREFIX_BAD };

// Splits "address/length". PREFIX_NONE when there is no '/', PREFIX_BAD when
// the length is not digits or is beyond `max`.
PrefixResult SplitPrefix(const std::string &text, int max, std::string &address, int &length)
{
    const size_t slash = text.find('/');
    address = text.substr(0, slash);
    if (slash == std::string::npos)
        return PREFIX_NONE;
    uint64_t value = 0;
    if (!ParseDecimal(text.substr(slash + 1), static_cast<uint64_t>(max), value))
        return PREFIX_BAD;
    length = static_cast<int>(value);
    return PREFIX_OK;
}

bool ClassifyAutnum(const std::string &text, RdapQuery &query, std::string &reason)
{
    const size_t from = (text.size() > 2 && LowerAscii(text.substr(0, 2)) == "as") ? 2 : 0;
    uint64_t value = 0;
    if (!ParseDecimal(text.substr(from), 0xFFFFFFFFu, value)) {
        reason = "AS number out of range";
        return false;
    }
    query.kind = RDAP_AUTNUM;
    query.asn = static_cast<uint32_t>(value);
    query.path = "autnum/" + std::to_string(value);
    return true;
}

bool ClassifyIp(const std::string &text, RdapKind kind, RdapQuery &query, std::string &reason)
{
    const int max = kind == RDAP_IPV4 ? 32 : 128;
    std::string address;
    int length = max;
    const PrefixResult prefix = SplitPrefix(text, max, address, length);
    const bool valid = kind == RDAP_IPV4 ? ParseIpv4Address(address, query.address)
                                         : ParseIpv6Address(address, query.address);
    if (!valid) {
        reason = kind == RDAP_IPV4 ? "not a valid IPv4 address" : "not a valid IPv6 address";
        return false;
    }
    if (prefix == PREFIX_BAD) {
        reason = "prefix length out of range";
        return false;
    }
    query.kind = kind;
    query.prefixLength = length;
    query.path = "ip/" + LowerAscii(address);
    if (prefix == PREFIX_OK)
        query.path += "/" + std::to_string(length);
    return true;
}

bool ClassifyDomain(std::string name, RdapQuery &query, std::string &reason)
{
    if (name.back() == '.')
        name.pop_back();
    reason = "not a valid domain name";
    if (name.empty() || name.size() > 253)
        return false;
    size_t start = 0;
    for (;;) {
        size_t dot = name.find('.', start);
        const size_t end = dot == std::string::npos ? name.size() : dot;
        const size_t size = end - start;
        if (size == 0 || size > 63 || name[start] == '-' || name[end - 1] == '-')
            return false;
        if (dot == std::string::npos)
            break;
        start = dot + 1;
    }
    const std::string top = name.substr(start);
    if (AllDigits(top))
        return false;
    query.kind = RDAP_DOMAIN;
    query.path = "domain/" + LowerAscii(name);
    query.label = LowerAscii(top);
    reason.clear();
    return true;
}

} // namespace

bool ParseIpNetwork(const std::string &text, RdapKind kind, uint8_t bytes[16], int &prefixLength)
{
    const int max = kind == RDAP_IPV4 ? 32 : 128;
    std::string address;
    int length = max;
    if (SplitPrefix(text, max, address, length) == PREFIX_BAD)
        return false;
    if (kind == RDAP_IPV4 ? !ParseIpv4Address(address, bytes)
                          : kind != RDAP_IPV6 || !ParseIpv6Address(address, bytes))
        return false;
    prefixLength = length;
    return true;
}

bool ClassifyRdapQuery(const std::string &text, RdapQuery &query, std::string &reason)
{
    query = RdapQuery();
    reason.clear();
    const std::string s = Trim(text);
    if (s.empty()) {
        reason = "nothing to look up";
        return false;
    }
    bool ldh = true, addressChars = true, hasLetter = false;
    for (char c : s) {
        hasLetter = hasLetter || IsLetter(c);
        ldh = ldh && (IsLetter(c) || IsDigit(c) || c == '-' || c == '.');
        addressChars = addressChars && (IsDigit(c) || c == '.' || c == '/');
    }
    if (AllDigits(s) || (s.size() > 2 && LowerAscii(s.substr(0, 2)) == "as" && AllDigits(s, 2)))
        return ClassifyAutnum(s, query, reason);
    if (s.find(':') != std::string::npos) {
        for (char c : s)
            if (!(HexDigitValue(c) >= 0 || c == ':' || c == '.' || c == '/')) {
                reason = NotRdap;
                return false;
            }
        return ClassifyIp(s, RDAP_IPV6, query, reason);
    }
    if (addressChars && s.find('.') != std::string::npos)
        return ClassifyIp(s, RDAP_IPV4, query, reason);
    // A name of one label ("localhost", a handle such as "NET-192-0-2-0-1")
    // is not a domain name RDAP can be asked about.
    const size_t dot = s.find('.');
    if (!ldh || !hasLetter || dot == std::string::npos || dot + 1 == s.size()) {
        reason = NotRdap;
        return false;
    }
    return ClassifyDomain(s, query, reason);
}
