// Reading and writing the values of the configuration file as text.
// Portable: compiles without <windows.h> and is unit-tested natively.
#pragma once

#include <cstddef>
#include <cstdint>

// Every number in the configuration file is read by taking its leading
// integer: an optional sign, then digits, stopping at the first other
// character. Text without digits reads as 0, so "10x" is 10 and "abc" is 0.
// A number beyond the 32-bit range is held at the nearest limit rather than
// wrapped, so a hand-edited huge value cannot turn into a negative one.
int32_t ParseLeadingInt(const char *text);

// Formats a number the way the file stores it: signed decimal, no fill.
// The buffer must hold at least 12 bytes for every value to fit; a smaller
// one gets the cut text, always terminated.
void FormatDecimal(int32_t value, char *buf, size_t size);

// Copies text into a fixed buffer of `size` bytes, cutting it to size - 1
// characters and always terminating it. Returns the length copied. A size of
// 0 copies nothing.
size_t CopyBounded(char *dst, size_t size, const char *src);
