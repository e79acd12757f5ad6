// The layout of a host list in the configuration file: a "count" and one
// "host%d" key per entry. Portable.
#pragma once

#include <cstddef>

// The most entries a list is loaded with. Lists grow by one entry per Save,
// so no list a person built comes near it; a stored count beyond it (a
// damaged or hand-edited file) would otherwise keep the dialog from opening
// for minutes while it reads keys that are not there.
enum { HOST_LIST_LOAD_LIMIT = 1000 };

// How many entries of a list whose file says `count` are loaded: none for a
// count of 0 or less, at most HOST_LIST_LOAD_LIMIT. The entries kept are those
// of the lowest indexes, where the newest history entries stand.
int HostListLoadCount(int count);

// The key of entry `index`.
void HostKey(int index, char *buf, size_t size);

// How many of `entries` are saved: all of them, or at most 10 when the list
// has a limit (any limit other than -1).
int HostListSaveCount(int entries, int limit);

// The index a new entry is appended under, from the count the file holds: a
// negative count (which lists nothing) appends at 0, and the largest count
// stays in range so that count + 1 can be written back.
int AppendIndex(int count);
