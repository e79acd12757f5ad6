// The RDAP bootstrap files, kept beside the user's settings: read on first
// need, fetched again when a day old. A failed fetch keeps using the copy
// there is.
#pragma once

#include <string>

// How long a fetched bootstrap file is used before it is fetched again.
enum { BOOTSTRAP_FRESH_SECONDS = 24 * 60 * 60 };

// The cached copy of `file` ("dns.json", ...): false when there is none.
// `fresh` tells whether it is younger than a day.
bool ReadCachedBootstrap(const char *file, std::string &text, bool &fresh);
// Keeps `text` as the copy of `file`, written whole or not at all.
void StoreBootstrap(const char *file, const std::string &text);
// Where the copy of `file` is kept.
std::string BootstrapCachePath(const char *file);
