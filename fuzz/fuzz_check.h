// What the fuzz targets share: a check that holds in every build (assert
// would vanish under NDEBUG) and the documented reading of a leading integer,
// worked out independently of ParseLeadingInt.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// A failed property aborts, which libFuzzer reports as a crash and saves the
// input as an artifact.
#define FUZZ_CHECK(cond)                                                                  \
    do {                                                                                  \
        if (!(cond)) {                                                                    \
            std::fprintf(stderr, "%s:%d: property does not hold: %s\n", __FILE__, __LINE__, \
                         #cond);                                                          \
            std::abort();                                                                 \
        }                                                                                 \
    } while (0)

// The input as a C string: the bytes up to the first NUL.
inline std::string FuzzText(const uint8_t *data, size_t size)
{
    std::string s(reinterpret_cast<const char *>(data), size);
    return s.substr(0, s.find('\0'));
}

// "An optional sign, then digits, stopping at the first other character;
// text without digits reads as 0; beyond the 32-bit range held at the nearest
// limit." The digits are counted before they are added up, so it shares no
// overflow handling with the code under test.
inline int32_t ReferenceLeadingInt(const char *text)
{
    if (text == nullptr)
        return 0;
    bool negative = false;
    if (*text == '+' || *text == '-')
        negative = (*text++ == '-');
    while (*text == '0')
        ++text;
    std::string digits;
    while (*text >= '0' && *text <= '9')
        digits += *text++;
    if (digits.size() > 10)
        return negative ? INT32_MIN : INT32_MAX;
    int64_t magnitude = 0;
    for (char c : digits)
        magnitude = magnitude * 10 + (c - '0');
    const int64_t value = negative ? -magnitude : magnitude;
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}
