// The layout of a host list in the configuration file: a "count" and one
// "host%d" key per entry. Portable.
#pragma once

#include <cstddef>

// The key of entry `index`.
void HostKey(int index, char *buf, size_t size);

// How many of `entries` are saved: all of them, or at most 10 when the list
// has a limit (any limit other than -1).
int HostListSaveCount(int entries, int limit);
