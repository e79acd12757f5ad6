// An RDAP answer (a JSON body) as the text the output pane shows.
// Portable: compiles without <windows.h> and is unit-tested natively.
#pragma once

#include <cstddef>
#include <string>

// The most text one answer is laid out into, as much as the most of a body
// kept (HTTP_BODY_LIMIT) and the most of an answer the pane takes: a body
// that lays out into more is hostile, not long.
const size_t RDAP_TEXT_LIMIT = 16u * 1024u * 1024u;

struct RdapAnswer {
    bool json = false;       // the body parsed as a JSON object
    std::string text;        // what the pane shows, CR LF line ends, UTF-8
    std::string related;     // a domain answer's link to the registrar's record, "" if none
    bool truncated = false;  // the text reached RDAP_TEXT_LIMIT and ends before it
};

// Renders one RDAP response body (any bytes, any size; not NUL-terminated).
//
// A JSON object becomes one "Label: value" line per field, in this order:
// an error's code, title and description; object class; handle; LDH and
// Unicode name; status (comma-joined); events ("Registration: <date>",
// "Expiration:", "Last changed:", other actions in their own words); each
// entity with its roles, handle and its vCard's name, organisation, address,
// email and phone, nested entities indented two spaces a level; an IP
// network's start and end address, IP version, name, type, country, parent
// handle and CIDRs; an AS number block's start and end, name, type and
// country; name servers with their addresses; DNSSEC and its DS records;
// the port 43 server; notices and remarks (title, then each description
// line indented). Then a blank line and the server's JSON laid out with two
// spaces a level (an object's members sorted by name), so nothing is hidden;
// members nested deeper than 16 levels keep the 16th level's indent.
//
// Every value is made safe for one line: control characters (below 0x20,
// and 0x7F) become a space; bytes of invalid UTF-8 are kept as they are.
// Missing fields are left out and fields of the wrong type passed over.
//
// A body that is not JSON gives "The answer is not JSON: <why>" and the body
// as it came; valid JSON that is not an object says so and is laid out. In
// both, line ends become CR LF and other control characters a space.
//
// `related`: for an answer of object class "domain", the href of the first
// link with rel "related" and type "application/rdap+json" whose href is an
// http(s) URL with a host (RdapUrlAllowed with http allowed), else "".
//
// The text holds at most RDAP_TEXT_LIMIT bytes, however the body lays out:
// appending stops at the limit, the text then ends with the last whole line
// before it, and `truncated` is set.
RdapAnswer RenderRdap(const char *body, size_t length);
