// What a WhoIs query asks of RDAP: a domain name, an IPv4 or IPv6 address or
// network, or an AS number, and the path that asks for it.
// Portable: compiles without <windows.h> and is unit-tested natively.
#pragma once

#include <cstdint>
#include <string>

enum RdapKind { RDAP_NONE, RDAP_DOMAIN, RDAP_IPV4, RDAP_IPV6, RDAP_AUTNUM };

struct RdapQuery {
    RdapKind kind = RDAP_NONE;
    std::string path;         // "domain/example.com", "ip/192.0.2.1", "ip/2001:db8::/32", "autnum/64500"
    std::string label;        // RDAP_DOMAIN: the top-level label, lower case ("com")
    uint8_t address[16] = {}; // IPv4 in the first 4 bytes, IPv6 all 16 (network order)
    int prefixLength = 0;     // 32 / 128 for a single address, the CIDR length otherwise
    uint32_t asn = 0;         // RDAP_AUTNUM
};

// Classifies what the user typed in the WhoIs dialog, blanks (spaces, tabs)
// trimmed on both sides:
//  - an AS number: "AS64500" (any case) or a bare number, 0..4294967295.
//    A bare number is an AS number, never an IPv4 address. Path
//    "autnum/64500" (leading zeros dropped).
//  - an IPv4 address or network: four dotted decimal octets 0..255, no
//    leading zeros (whether "010" means 8 or 10 is not ours to guess), an
//    optional "/0".."/32". A network with host bits set ("192.0.2.1/24") is
//    kept as typed: the server decides what it means. Path "ip/" and the
//    text, with the prefix written in plain decimal.
//  - an IPv6 address or network: up to eight groups of 1..4 hex digits, at
//    most one "::", an embedded IPv4 address as the last 32 bits, an
//    optional "/0".."/128"; no zone ("%eth0"). Path "ip/" and the text in
//    lower case.
//  - a domain name: labels of letters, digits and '-' (not first or last),
//    1..63 characters each, at least two labels, 253 characters in all; one
//    trailing dot is dropped and the name is lower-cased. A top label of
//    digits alone is not a domain ("192.0.2" is a broken address).
//    Path "domain/" and the name; `label` is the top label.
// Anything else (blanks inside, flags, handles, one label, non-ASCII) is
// RDAP_NONE: false, with `reason` saying why for the line that tells the user
// the query goes by port 43 instead, e.g.
// "not a domain name, address or AS number". On true `reason` is cleared.
// `query` is reset in either case.
bool ClassifyRdapQuery(const std::string &text, RdapQuery &query, std::string &reason);

// The addresses are read by ParseIpv4Address and ParseIpv6Address
// (text/names.h), also for the networks a bootstrap file lists.

// "address/length" or a bare address (length 32 or 128) of the given kind
// (RDAP_IPV4 or RDAP_IPV6). False when the address or the length is not
// valid.
bool ParseIpNetwork(const std::string &text, RdapKind kind, uint8_t bytes[16], int &prefixLength);
