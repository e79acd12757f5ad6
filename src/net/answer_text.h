// Turning the bytes of a Finger or WhoIs answer into text the output pane
// shows. Portable: compiles without <windows.h> and is unit-tested natively.
#pragma once

#include <cstddef>
#include <cstdint>

// The most text one byte can become: a tab is eight spaces.
enum { ANSWER_EXPANSION = 8 };

// Room needed for the converted text of `n` bytes, terminator included.
constexpr size_t ConvertedCapacity(size_t n) { return n * ANSWER_EXPANSION + 1; }

// Converts one received chunk, in order:
//  - each byte's high bit is cleared in `bytes` itself (the answers are
//    7-bit text; later searches see the cleared value);
//  - a tab becomes eight spaces, with no tab stops;
//  - a line feed not preceded by a carriage return in this chunk becomes
//    CR LF (a line feed at the start of a chunk counts as not preceded);
//  - a byte that is NUL after clearing (0x00, 0x80) is dropped, so it cannot
//    end the text early and hide the rest of the chunk;
//  - every other byte is copied as it is.
// `out` must hold ConvertedCapacity(n) bytes; the text is NUL-terminated.
// Returns the length of the converted text.
size_t ConvertAnswerChunk(uint8_t *bytes, size_t n, char *out);
