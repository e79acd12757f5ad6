// The input as a typed WhoIs query and as a bootstrap file. A query RDAP can
// answer has a path of its kind, without blanks or control characters, that
// classifies again to the same thing; one it cannot has a reason. A service
// found in any file is a URL fit to be asked, ending in '/'.
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_check.h"
#include "rdap/rdap_bootstrap.h"
#include "rdap/rdap_query.h"

namespace {

void CheckClassify(const std::string &text)
{
    RdapQuery query;
    std::string reason;
    if (!ClassifyRdapQuery(text, query, reason)) {
        FUZZ_CHECK(query.kind == RDAP_NONE && query.path.empty() && !reason.empty());
        return;
    }
    FUZZ_CHECK(query.kind != RDAP_NONE && reason.empty());
    for (char c : query.path)
        FUZZ_CHECK(static_cast<unsigned char>(c) > 0x20 && static_cast<unsigned char>(c) < 0x7F);
    const char *prefix = query.kind == RDAP_DOMAIN ? "domain/" : query.kind == RDAP_AUTNUM ? "autnum/" : "ip/";
    FUZZ_CHECK(query.path.compare(0, std::strlen(prefix), prefix) == 0);
    const std::string tail = query.path.substr(std::strlen(prefix));

    RdapQuery again;
    FUZZ_CHECK(ClassifyRdapQuery(query.kind == RDAP_AUTNUM ? "AS" + tail : tail, again, reason));
    FUZZ_CHECK(again.kind == query.kind && again.path == query.path && again.label == query.label &&
               again.asn == query.asn && again.prefixLength == query.prefixLength &&
               std::memcmp(again.address, query.address, sizeof query.address) == 0);
    if (query.kind == RDAP_DOMAIN) {
        FUZZ_CHECK(!query.label.empty() && tail.size() > query.label.size());
        FUZZ_CHECK(tail.compare(tail.size() - query.label.size(), query.label.size(), query.label) == 0);
        FUZZ_CHECK(tail[tail.size() - query.label.size() - 1] == '.');
    }
    if (query.kind == RDAP_IPV4)
        FUZZ_CHECK(query.prefixLength >= 0 && query.prefixLength <= 32);
    if (query.kind == RDAP_IPV6)
        FUZZ_CHECK(query.prefixLength >= 0 && query.prefixLength <= 128);
}

void CheckService(const std::string &file, const char *typed)
{
    RdapQuery query;
    std::string reason;
    FUZZ_CHECK(ClassifyRdapQuery(typed, query, reason));
    for (bool allowHttp : {false, true}) {
        const std::string url = FindRdapService(file, query, allowHttp, reason);
        FUZZ_CHECK(url.empty() != reason.empty());
        if (!url.empty())
            FUZZ_CHECK(url.back() == '/' && RdapUrlAllowed(url, allowHttp));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string input(reinterpret_cast<const char *>(data), size);
    CheckClassify(input);
    for (const char *typed : {"www.example.co.uk", "192.0.2.1", "2001:db8::/48", "AS64500"})
        CheckService(input, typed);
    return 0;
}
