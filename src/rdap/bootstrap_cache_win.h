// The RDAP bootstrap files, kept beside the user's settings: read on first
// need, fetched again when a day old. A failed fetch keeps using the copy
// there is. Each bootstrap base has copies of its own.
#pragma once

#include <string>

// How long a fetched bootstrap file is used before it is fetched again.
enum { BOOTSTRAP_FRESH_SECONDS = 24 * 60 * 60 };

// The copy of `file` ("dns.json", ...) fetched from `base` (the bootstrap
// base, ending in '/'): false when there is none, or none of use: one that
// cannot be read whole or held in memory, and one that is no bootstrap file
// (empty, cut short, a portal's page, too large to parse), however young.
// `fresh` tells whether it is younger than a day.
bool ReadCachedBootstrap(const std::string &base, const char *file, std::string &text, bool &fresh);
// Keeps `text` as the copy of `file` from `base`, written whole or not at
// all: a copy is replaced only by one flushed to the disk whole.
void StoreBootstrap(const std::string &base, const char *file, const std::string &text);
// Where the copy of `file` from `base` is kept.
std::string BootstrapCachePath(const std::string &base, const char *file);
