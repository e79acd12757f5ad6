// Where to ask RDAP: the registries' bootstrap files name, for each top-level
// domain, address block and AS number range, the base URLs of its service.
// Portable: compiles without <windows.h> and is unit-tested natively.
#pragma once

#include <string>

#include "rdap/rdap_query.h"

// The bootstrap file that lists services for a kind of query: "dns.json",
// "ipv4.json", "ipv6.json", "asn.json"; nullptr for RDAP_NONE.
const char *RdapBootstrapFile(RdapKind kind);

// True when `text` is a bootstrap file: a JSON object with a "services"
// array. A page that is not one (a proxy's or a portal's) is not kept, nor
// a copy used; neither is a text too large to parse in the memory at hand,
// which gives false rather than an exception.
bool IsRdapBootstrap(const std::string &text);

// The name a copy of `file` fetched from `base` (the bootstrap base, ending
// in '/') is kept under: "pellwick-rdap-dns.json" for the default base,
// RDAP_BOOTSTRAP_DEFAULT, and for any other "pellwick-rdap-" followed by the
// FNV-1a 64-bit hash of the base in 16 lower-case hex digits, '-' and the
// file ("pellwick-rdap-0123456789abcdef-dns.json"): the copies of one base
// never answer for another's, and a copy keeps its name from run to run.
std::string RdapBootstrapCopyName(const std::string &base, const char *file);

// Looks the query up in one bootstrap file's JSON text (any bytes): a domain
// by the longest listed label suffix of its name ("co.uk" over "uk" when both
// are listed; case ignored), an address or network by the longest listed
// prefix holding it (a network shorter than every listed one matches none),
// an AS number by the entry "first-last" (or a single number) holding it,
// the narrowest if several do. Services and entries of the wrong shape are
// passed over. Of the matching entry's URLs the first https:// one is chosen;
// an http:// one only when allowHttp and no https:// one is listed; URLs
// with blanks or control characters, or without a host, never. The base URL
// is returned ending in '/', so the request URL is it followed by
// query.path. "" when nothing matches, the file is not a bootstrap file or
// the query is RDAP_NONE, with `reason` saying which:
//   "no RDAP service listed for .xyz"  (or "for 192.0.2.1", "for AS64500")
//   "no https RDAP service listed for .xyz"   (only http:// ones, not allowed)
//   "bootstrap file unreadable"
// On a match `reason` is cleared. A file too large to parse in the memory at
// hand is unreadable too, not an exception.
std::string FindRdapService(const std::string &bootstrapJson, const RdapQuery &query, bool allowHttp,
                            std::string &reason);

// True for an https:// URL, or an http:// one when allowHttp (scheme case
// ignored), that has a host and holds no blanks or control characters.
bool RdapUrlAllowed(const std::string &url, bool allowHttp);

// The host of an http(s) URL, with its port when one is given
// ("rdap.example.net" or "rdap.example.net:8080"; an IPv6 literal keeps its
// brackets; user information before '@' is dropped), for
// "[Referral to HOST]". "" when the URL is not http(s) or has no host.
std::string RdapUrlHost(const std::string &url);
