// ConvertAnswerChunk on any received bytes: the text stays within
// ConvertedCapacity (the output buffer is exactly that size, so ASan sees any
// write past it), is terminated with no NUL inside, follows the documented
// rules, and converting the same bytes as two chunks gives the same text
// except for the documented CR CR LF at a CR | LF boundary.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "net/answer_text.h"

namespace {

// Converts a copy of bytes [from, to) into an exactly sized buffer and checks
// what holds for any one chunk. Returns the text.
std::string Convert(const uint8_t *data, size_t from, size_t to)
{
    const size_t n = to - from;
    std::vector<uint8_t> bytes(data + from, data + to);
    const size_t capacity = ConvertedCapacity(n);
    std::unique_ptr<char[]> out(new char[capacity]);
    const size_t len = ConvertAnswerChunk(bytes.data(), n, out.get());

    FUZZ_CHECK(len < capacity);
    FUZZ_CHECK(out[len] == '\0');
    FUZZ_CHECK(std::strlen(out.get()) == len); // no NUL inside the text
    // The receive buffer keeps the cleared bytes, for later searches.
    for (size_t i = 0; i < n; ++i)
        FUZZ_CHECK(bytes[i] == (data[from + i] & 0x7F));

    // The rules of the header, byte by byte.
    std::string expected;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t b = data[from + i] & 0x7F;
        if (b == 0)
            continue;
        if (b == '\t')
            expected += "        ";
        else if (b == '\n' && (i == 0 || (data[from + i - 1] & 0x7F) != '\r'))
            expected += "\r\n";
        else
            expected += static_cast<char>(b);
    }
    const std::string text(out.get(), len);
    FUZZ_CHECK(text == expected);

    // What the pane can rely on: 7-bit text, no tabs, every LF after a CR.
    for (size_t i = 0; i < len; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        FUZZ_CHECK(c < 0x80 && c != '\t');
        if (c == '\n')
            FUZZ_CHECK(i > 0 && text[i - 1] == '\r');
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string whole = Convert(data, 0, size);

    // The same bytes in two receives, cut where the first byte says.
    const size_t cut = size == 0 ? 0 : data[0] % (size + 1);
    const std::string first = Convert(data, 0, cut);
    const std::string second = Convert(data, cut, size);
    FUZZ_CHECK(whole.compare(0, first.size(), first) == 0);
    const bool crLfSplit =
        cut > 0 && cut < size && (data[cut - 1] & 0x7F) == '\r' && (data[cut] & 0x7F) == '\n';
    FUZZ_CHECK(second == (crLfSplit ? "\r" : "") + whole.substr(first.size()));
    return 0;
}
