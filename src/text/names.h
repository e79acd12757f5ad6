// What a WhoIs query is, as far as sending it goes, and where a host named
// by a server may lead. Portable.
#pragma once

#include <cstdint>
#include <string>

// Whether a query reads as a domain name, and so goes out as its A-labels
// when it has letters beyond ASCII: no blank, control character, '@', ':'
// or '/', and at least one dot between two labels (the ideographic and
// full-width dots count, as the name mapping turns them into dots). A name
// of a person or an organisation ("Müller GmbH") or a handle goes out as
// the UTF-8 it is. `text` is UTF-8.
bool LooksLikeDomainName(const char *text);

// The value of one hexadecimal digit (either case), -1 for any other char.
int HexDigitValue(char c);

// Addresses written out, as RDAP queries and bootstrap files give them:
// "192.0.2.0" into 4 bytes (four decimal octets 0..255, no leading zeros),
// "2001:db8::" into 16 (up to eight groups of 1..4 hex digits, at most one
// "::", an embedded IPv4 address as the last 32 bits; no zone, no
// brackets). Network byte order. False (and `bytes` unspecified) when the
// text is not such an address.
bool ParseIpv4Address(const std::string &text, uint8_t bytes[4]);
bool ParseIpv6Address(const std::string &text, uint8_t bytes[16]);

// An IPv6 address as a user or a referral writes one, bare or in brackets
// ("2001:db8::43", "[2001:db8::43]"): the address without the brackets; ""
// when the text is no such address.
std::string Ipv6Literal(const std::string &host);

// 16 bytes of an IPv6 address as text, in the one form every reader
// expects (RFC 5952): lower-case groups without leading zeros, the longest
// run of two or more zero groups (the first of equal runs) as "::", and
// an IPv4-mapped address (::ffff:0:0/96) with its last 32 bits dotted.
std::string FormatIpv6Address(const uint8_t bytes[16]);

// Whether an IPv4 address (host byte order, the low 32 bits) belongs to no
// server on the internet: "this network" 0/8, loopback 127/8, the private
// 10/8, 172.16/12 and 192.168/16, carrier-grade NAT 100.64/10 and
// link-local 169.254/16. A referral that leads there would make the program
// probe the user's own machine or network for whoever wrote the answer.
bool IsPrivateIPv4(unsigned long hostOrderAddress);

// The same for an IPv6 address (16 bytes, network order): unspecified,
// loopback, unique local fc00::/7, link-local fe80::/10, and an IPv4 address
// that IsPrivateIPv4 refuses, mapped (::ffff:0:0/96) or embedded (::/96).
bool IsPrivateIPv6(const uint8_t bytes[16]);

// Whether a host, as a referral or a link names it, is known to be such a
// place without asking a resolver: "localhost" or a name under ".localhost"
// (any case, one trailing dot allowed); an IPv4 address that IsPrivateIPv4
// refuses, written in any form the platform reads as one ("127.0.0.1",
// "127.1", "0x7f.0.0.1", "2130706433"); an IPv6 address, bare or in
// brackets, with or without a zone ("%eth0"), that is unspecified (::),
// loopback (::1), unique local (fc00::/7), link-local (fe80::/10), or an
// IPv4 address above mapped or embedded (::ffff:10.0.0.1, ::127.0.0.1). A
// port after the host (":43"; after the brackets for IPv6) is ignored.
// False for every other name: where a name leads is known only once it is
// resolved.
bool IsPrivateHostLiteral(const std::string &host);
