// Host lookups with IPv6: the platform's resolvers block, so they run on a
// thread of their own that only posts its answer to the window, as
// UM_BOTHLOOKUP with the lookup's number. A name is looked up forward in
// both families; an IPv6 address backward.
#pragma once

#include <windows.h>

#include <cstddef>

#include "net/query_plug.h"

// The aliases an entry shows, at most; the room for one line of a lookup (a
// name of up to 255 characters, its decoration and an address).
enum { LOOKUP_ALIAS_LIMIT = 8, LOOKUP_LINE_BUFFER = 320 };

// Starts the lookup of `name` (as the network knows it; an IPv6 address
// bare or in brackets). False, after telling the plug why, when no thread
// could run it.
bool StartBothLookup(const char *name, HWND window, QueryPlug &plug);

// UM_BOTHLOOKUP: the lines of the answer, then the end; or the failure.
// Forward: the official name with its first IPv4 address and its aliases,
// as an IPv4 lookup shows them, then a line "name: address" for each IPv6
// address. Backward: "name: address". Each name passes through `name`, cut
// to its size. Answers of lookups that were cancelled are dropped.
void ReadBothLookup(WPARAM number, char *name, size_t nameSize, QueryPlug &plug);

// Gives up the running lookup; its thread finishes alone and its answer is
// dropped.
void CancelBothLookup();
