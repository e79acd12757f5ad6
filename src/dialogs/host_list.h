// The layout of a host list in the configuration file: a "count" and one
// "host%d" key per entry. Portable.
#pragma once

#include <cstddef>

// The key of entry `index`.
void HostKey(int index, char *buf, size_t size);

// How many of `entries` are saved: all of them, or at most 10 when the list
// has a limit (any limit other than -1).
int HostListSaveCount(int entries, int limit);

// The index a new entry is appended under, from the count the file holds: a
// negative count (which lists nothing) appends at 0, and the largest count
// stays in range so that count + 1 can be written back.
int AppendIndex(int count);
