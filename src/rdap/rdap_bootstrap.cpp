#include "rdap/rdap_bootstrap.h"

#include <cstdint>
#include <exception>
#include <nlohmann/json.hpp>

#include "config/config_names.h"

using nlohmann::json;

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerAscii(std::string s)
{
    for (char &c : s)
        c = LowerAscii(c);
    return s;
}

bool StartsWithNoCase(const std::string &s, const char *prefix)
{
    size_t i = 0;
    for (; prefix[i] != '\0'; ++i)
        if (i >= s.size() || LowerAscii(s[i]) != prefix[i])
            return false;
    return true;
}

// The length of the scheme and "://" of an http(s) URL, 0 for any other.
size_t SchemeLength(const std::string &url)
{
    if (StartsWithNoCase(url, "https://"))
        return 8;
    if (StartsWithNoCase(url, "http://"))
        return 7;
    return 0;
}

// The part of a URL between "://" and the path, query or fragment.
std::string Authority(const std::string &url, size_t scheme)
{
    const size_t end = url.find_first_of("/?#", scheme);
    return url.substr(scheme, end == std::string::npos ? std::string::npos : end - scheme);
}

// How well one bootstrap entry holds the query: -1 when it does not, else a
// score where higher is a closer match.
int64_t DomainScore(const std::string &entry, const std::string &name)
{
    std::string e = LowerAscii(entry);
    if (!e.empty() && e.back() == '.')
        e.pop_back();
    if (e.empty() || e.size() > name.size())
        return -1;
    if (name.compare(name.size() - e.size(), e.size(), e) != 0)
        return -1;
    if (e.size() < name.size() && name[name.size() - e.size() - 1] != '.')
        return -1; // "ample.com" is no suffix of "example.com" by labels
    return static_cast<int64_t>(e.size());
}

int64_t IpScore(const std::string &entry, const RdapQuery &query)
{
    uint8_t bytes[16] = {};
    int length = 0;
    if (!ParseIpNetwork(entry, query.kind, bytes, length) || length > query.prefixLength)
        return -1;
    for (int bit = 0; bit < length; ++bit) {
        const unsigned mask = 0x80u >> (bit % 8);
        if ((bytes[bit / 8] & mask) != (query.address[bit / 8] & mask))
            return -1;
    }
    return length;
}

bool ParseAsn(const std::string &digits, uint32_t &value)
{
    if (digits.empty() || digits.size() > 10)
        return false;
    uint64_t v = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + static_cast<uint64_t>(c - '0');
    }
    if (v > 0xFFFFFFFFu)
        return false;
    value = static_cast<uint32_t>(v);
    return true;
}

int64_t AsnScore(const std::string &entry, uint32_t asn)
{
    const size_t dash = entry.find('-');
    uint32_t first = 0, last = 0;
    if (!ParseAsn(entry.substr(0, dash), first))
        return -1;
    last = first;
    if (dash != std::string::npos && !ParseAsn(entry.substr(dash + 1), last))
        return -1;
    if (asn < first || asn > last)
        return -1;
    // The narrower the range, the higher the score.
    return INT64_C(0xFFFFFFFF) - (static_cast<int64_t>(last) - static_cast<int64_t>(first));
}

int64_t EntryScore(const std::string &entry, const RdapQuery &query, const std::string &name)
{
    switch (query.kind) {
    case RDAP_DOMAIN:
        return DomainScore(entry, name);
    case RDAP_IPV4:
    case RDAP_IPV6:
        return IpScore(entry, query);
    case RDAP_AUTNUM:
        return AsnScore(entry, query.asn);
    case RDAP_NONE:
        break;
    }
    return -1;
}

// What the query is called in the reason text.
std::string Subject(const RdapQuery &query)
{
    switch (query.kind) {
    case RDAP_DOMAIN:
        return "." + query.label;
    case RDAP_IPV4:
    case RDAP_IPV6:
        return query.path.substr(query.path.find('/') + 1);
    case RDAP_AUTNUM:
        return "AS" + std::to_string(query.asn);
    case RDAP_NONE:
        break;
    }
    return "";
}

} // namespace

const char *RdapBootstrapFile(RdapKind kind)
{
    switch (kind) {
    case RDAP_DOMAIN:
        return "dns.json";
    case RDAP_IPV4:
        return "ipv4.json";
    case RDAP_IPV6:
        return "ipv6.json";
    case RDAP_AUTNUM:
        return "asn.json";
    case RDAP_NONE:
        break;
    }
    return nullptr;
}

bool RdapUrlAllowed(const std::string &url, bool allowHttp)
{
    const size_t scheme = SchemeLength(url);
    if (scheme == 0 || (scheme == 7 && !allowHttp))
        return false;
    for (char c : url) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u == 0x7F)
            return false;
    }
    return !RdapUrlHost(url).empty();
}

std::string RdapUrlHost(const std::string &url)
{
    const size_t scheme = SchemeLength(url);
    if (scheme == 0)
        return "";
    std::string host = Authority(url, scheme);
    const size_t at = host.rfind('@');
    if (at != std::string::npos)
        host.erase(0, at + 1);
    // A port alone is no host.
    if (host.empty() || host[0] == ':')
        return "";
    return host;
}

namespace {

// The "services" array of a bootstrap file, or null.
const json *ServicesOf(const json &root)
{
    if (!root.is_object())
        return nullptr;
    const auto it = root.find("services");
    return it != root.end() && it->is_array() ? &*it : nullptr;
}

} // namespace

bool IsRdapBootstrap(const std::string &text)
{
    try {
        return ServicesOf(json::parse(text.begin(), text.end(), nullptr, false)) != nullptr;
    } catch (const std::exception &) {
        return false; // std::bad_alloc, or whatever else the parser may throw
    }
}

std::string RdapBootstrapCopyName(const std::string &base, const char *file)
{
    const std::string prefix = "pellwick-rdap-";
    if (base == RDAP_BOOTSTRAP_DEFAULT)
        return prefix + file; // the names copies had before other bases were kept apart
    uint64_t hash = UINT64_C(0xcbf29ce484222325);
    for (char c : base) {
        hash ^= static_cast<unsigned char>(c);
        hash *= UINT64_C(0x100000001b3);
    }
    static const char hex[] = "0123456789abcdef";
    std::string digits(16, '0');
    for (int i = 15; i >= 0; --i, hash >>= 4)
        digits[static_cast<size_t>(i)] = hex[hash & 0xF];
    return prefix + digits + "-" + file;
}

namespace {

std::string FindService(const std::string &bootstrapJson, const RdapQuery &query, bool allowHttp,
                        std::string &reason)
{
    if (query.kind == RDAP_NONE) {
        reason = "nothing to look up";
        return "";
    }
    const json root = json::parse(bootstrapJson.begin(), bootstrapJson.end(), nullptr, false);
    const json *services = ServicesOf(root);
    if (services == nullptr) {
        reason = "bootstrap file unreadable";
        return "";
    }

    const std::string name = query.kind == RDAP_DOMAIN ? query.path.substr(query.path.find('/') + 1) : "";
    // Each service is [[entries...], [urls...]]; the best entry decides.
    const json *best = nullptr;
    int64_t bestScore = -1;
    for (const json &service : *services) {
        if (!service.is_array() || service.size() < 2 || !service[0].is_array() || !service[1].is_array())
            continue;
        for (const json &entry : service[0]) {
            if (!entry.is_string())
                continue;
            const int64_t score = EntryScore(entry.get_ref<const std::string &>(), query, name);
            if (score > bestScore) {
                bestScore = score;
                best = &service[1];
            }
        }
    }
    if (best == nullptr) {
        reason = "no RDAP service listed for " + Subject(query);
        return "";
    }

    std::string chosen;
    for (const json &url : *best) {
        if (!url.is_string())
            continue;
        const std::string &u = url.get_ref<const std::string &>();
        if (RdapUrlAllowed(u, false)) {
            chosen = u;
            break;
        }
        if (chosen.empty() && allowHttp && RdapUrlAllowed(u, true))
            chosen = u;
    }
    if (chosen.empty()) {
        reason = (allowHttp ? "no usable RDAP service listed for " : "no https RDAP service listed for ") +
                 Subject(query);
        return "";
    }
    if (chosen.back() != '/')
        chosen += '/';
    return chosen;
}

} // namespace

std::string FindRdapService(const std::string &bootstrapJson, const RdapQuery &query, bool allowHttp,
                            std::string &reason)
{
    reason.clear();
    try {
        return FindService(bootstrapJson, query, allowHttp, reason);
    } catch (const std::exception &) {
        // Too large to parse in the memory at hand (std::bad_alloc), or
        // whatever else the parser may throw: no more use than a broken file.
        reason = "bootstrap file unreadable";
        return "";
    }
}
