// The host list's keys and save count.
//
// Input: bytes 0-3, 4-7 and 8-11 (little-endian, padded with zeros) are an
// index, an entry count and a limit; byte 12 picks a key buffer size
// (mod 24); the rest (up to a NUL) is a "count" value as the configuration
// file may hold it, which the WhoIs dialog's Save turns into a key.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "config/profile_values.h"
#include "dialogs/host_list.h"
#include "fuzz_check.h"

namespace {

enum { KEY_BUFFER = 16 }; // the key buffers of dialog_helpers_win.cpp and whois_dlg_win.cpp

int32_t Int32At(const uint8_t *data, size_t size, size_t offset)
{
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i)
        if (offset + i < size)
            v |= static_cast<uint32_t>(data[offset + i]) << (8 * i);
    return static_cast<int32_t>(v);
}

// HostKey into a buffer of exactly `size` bytes; returns the text it holds.
std::string Key(int index, size_t size)
{
    std::unique_ptr<char[]> buf(new char[size == 0 ? 1 : size]);
    buf[0] = 'z';
    HostKey(index, buf.get(), size);
    if (size == 0) {
        FUZZ_CHECK(buf[0] == 'z'); // nothing written
        return "";
    }
    const void *nul = std::memchr(buf.get(), '\0', size);
    FUZZ_CHECK(nul != nullptr);
    return std::string(buf.get(), static_cast<size_t>(static_cast<const char *>(nul) - buf.get()));
}

// The key of `index` fits the program's key buffers whole and names it.
void CheckFullKey(int index)
{
    const std::string key = Key(index, KEY_BUFFER);
    FUZZ_CHECK(key == "host" + std::to_string(index));
    FUZZ_CHECK(ParseLeadingInt(key.c_str() + 4) == index);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const int32_t index = Int32At(data, size, 0);
    const int32_t entries = Int32At(data, size, 4);
    const int32_t limit = Int32At(data, size, 8);
    const size_t keySize = size > 12 ? data[12] % 24 : 0;

    CheckFullKey(index);
    const std::string full = "host" + std::to_string(index);
    FUZZ_CHECK(Key(index, keySize) == (keySize == 0 ? "" : full.substr(0, keySize - 1)));

    // All entries, or at most 10 with a limit (anything but -1); never fewer
    // than none.
    const int n = HostListSaveCount(entries, limit);
    const int all = entries < 0 ? 0 : entries;
    FUZZ_CHECK(n == (limit == -1 ? all : (all > 10 ? 10 : all)));
    for (int i = 0; i < n && i < 16; ++i)
        CheckFullKey(i);

    // Save in the WhoIs dialog and Add in the Address Book: the file's
    // count, whatever it says, read through an 80-byte field, names the new
    // entry's key, and the count written back is one more.
    if (size > 13) {
        std::string count = FuzzText(data + 13, size - 13);
        count = count.substr(0, 79);
        const int appended = AppendIndex(ParseLeadingInt(count.c_str()));
        FUZZ_CHECK(appended >= 0 && appended < INT32_MAX);
        CheckFullKey(appended);
    }
    return 0;
}
