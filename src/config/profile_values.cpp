#include "config/profile_values.h"

#include <climits>
#include <cstdio>

int32_t ParseLeadingInt(const char *text)
{
    if (text == nullptr)
        return 0;
    const char *p = text;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = (*p == '-');
        ++p;
    }
    // Accumulate as a magnitude in 64 bits and stop growing once it is past
    // the 32-bit range; the digits that follow are still consumed.
    const int64_t limit = negative ? -static_cast<int64_t>(INT32_MIN) : INT32_MAX;
    int64_t magnitude = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (magnitude <= limit)
            magnitude = magnitude * 10 + (*p - '0');
    }
    if (magnitude > limit)
        magnitude = limit;
    return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

void FormatDecimal(int32_t value, char *buf, size_t size)
{
    if (size == 0)
        return;
    std::snprintf(buf, size, "%ld", static_cast<long>(value));
}

size_t CopyBounded(char *dst, size_t size, const char *src)
{
    if (size == 0)
        return 0;
    size_t n = 0;
    if (src != nullptr) {
        while (n + 1 < size && src[n] != '\0') {
            dst[n] = src[n];
            ++n;
        }
    }
    dst[n] = '\0';
    return n;
}
