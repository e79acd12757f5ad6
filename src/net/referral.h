// Finding, in a WhoIs answer, the WhoIs server it refers the query to, and
// keeping a chain of referrals short and free of loops.
// Portable: compiles without <windows.h> and is unit-tested natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A WhoIs server as a user or a referral names it: "host" or "host:port";
// an IPv6 address bare ("2001:db8::43") or in brackets, which a port
// follows ("[2001:db8::43]:4321").
struct WhoisServer {
    std::string host; // the name or address, as given, without brackets
    uint16_t port;    // 0 when none was given: the whois service's port is used
};

// Splits "host", "host:port", "[IPv6]" or "[IPv6]:port". A port is
// 1..65535 in decimal digits only. False (and `server` untouched) for an
// empty host, a host with characters other than letters, digits, '.', '-'
// and '_', a text in brackets or with two colons that is no IPv6 address,
// or a colon not followed by a valid port.
bool ParseWhoisServer(const std::string &text, WhoisServer &server);

// Looks in one answer's text (`length` bytes, not NUL-terminated, may hold
// NULs and any bytes; lines end with CR LF or LF) for the FIRST line that,
// ignoring case and leading blanks (spaces and tabs), starts with one of:
//   "refer:"  "whois:"  "Registrar WHOIS Server:"  "ReferralServer:"  "%referral"
// That first such line alone decides. Its value (the rest of the line, blanks
// trimmed on both sides) is cleaned: a leading "whois://" (any case) is
// removed; a value with any other scheme ("rwhois://", "http://", anything
// with "://") is not followed; a '/' and everything after it is dropped; a
// port (":43") is kept. Returns the cleaned value ("host" or "host:port")
// when it is a valid server for ParseWhoisServer, otherwise "" (not followed;
// also when no line matches).
std::string FindReferral(const char *text, size_t length);

// The servers asked in one chain, in order; at most REFERRAL_CHAIN_LIMIT.
enum { REFERRAL_CHAIN_LIMIT = 5 };

class ReferralChain {
public:
    // Starts a chain with the server first asked (as the user gave it).
    void Start(const std::string &first);
    // True when `next` may be asked: fewer than five servers asked so far and
    // `next` not among them, compared ignoring case, port included
    // ("Whois.X:43" equals "whois.x:43"; "whois.x" and "whois.x:43" are
    // different). On true it records `next` as asked.
    bool Follow(const std::string &next);
    size_t Asked() const;

private:
    std::vector<std::string> asked_; // in lower case, for the comparison
};
