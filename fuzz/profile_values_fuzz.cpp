// The configuration file's number and text helpers.
//
// Input: the whole input (up to a NUL) is a value's text; its first four
// bytes (little-endian, padded with zeros) are also a number to write and
// read back, and byte 4 picks a small buffer size (mod 16) for the cut
// writes and copies. Every buffer is exactly sized, so ASan sees overruns.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "config/profile_values.h"
#include "fuzz_check.h"

namespace {

// A buffer of exactly `size` bytes, or a one-byte sentinel for size 0 that
// nothing may touch.
struct Buffer {
    explicit Buffer(size_t size) : bytes(new char[size == 0 ? 1 : size]), size(size)
    {
        std::memset(bytes.get(), 'z', size == 0 ? 1 : size);
    }
    std::unique_ptr<char[]> bytes;
    size_t size;

    // The text held: terminated inside the buffer (or, for size 0, untouched).
    std::string Text() const
    {
        if (size == 0) {
            FUZZ_CHECK(bytes[0] == 'z');
            return "";
        }
        const void *nul = std::memchr(bytes.get(), '\0', size);
        FUZZ_CHECK(nul != nullptr);
        return std::string(bytes.get(),
                           static_cast<size_t>(static_cast<const char *>(nul) - bytes.get()));
    }
};

std::string Cut(const std::string &s, size_t size) { return size == 0 ? "" : s.substr(0, size - 1); }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text = FuzzText(data, size);
    std::vector<char> exact(text.begin(), text.end());
    exact.push_back('\0');

    // Reading: the documented leading integer.
    const int32_t parsed = ParseLeadingInt(exact.data());
    FUZZ_CHECK(parsed == ReferenceLeadingInt(exact.data()));

    // Any number (the first four bytes) is written in full into 12 bytes as
    // signed decimal and reads back the same; so does whatever was read.
    uint8_t raw[4] = {0, 0, 0, 0};
    std::memcpy(raw, data, size < 4 ? size : 4);
    const int32_t value = static_cast<int32_t>(static_cast<uint32_t>(raw[0]) |
                                               static_cast<uint32_t>(raw[1]) << 8 |
                                               static_cast<uint32_t>(raw[2]) << 16 |
                                               static_cast<uint32_t>(raw[3]) << 24);
    for (int32_t v : {value, parsed}) {
        Buffer full(12);
        FormatDecimal(v, full.bytes.get(), full.size);
        const std::string written = full.Text();
        FUZZ_CHECK(written == std::to_string(v));
        FUZZ_CHECK(ParseLeadingInt(written.c_str()) == v);
    }

    // A smaller buffer gets the cut text, always terminated; size 0 nothing.
    const size_t small = size > 4 ? data[4] % 16 : 0;
    Buffer cut(small);
    FormatDecimal(value, cut.bytes.get(), cut.size);
    FUZZ_CHECK(cut.Text() == Cut(std::to_string(value), small));

    // CopyBounded: size - 1 characters at most, terminated, length returned.
    for (size_t bufferSize : {small, text.size(), text.size() + 1}) {
        Buffer copy(bufferSize);
        const size_t n = CopyBounded(copy.bytes.get(), copy.size, exact.data());
        const std::string held = copy.Text();
        FUZZ_CHECK(held == Cut(text, bufferSize));
        FUZZ_CHECK(n == held.size());
    }
    Buffer none(small);
    FUZZ_CHECK(CopyBounded(none.bytes.get(), none.size, nullptr) == 0);
    FUZZ_CHECK(none.Text().empty());
    return 0;
}
