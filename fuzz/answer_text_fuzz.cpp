// ConvertAnswerChunk on any received bytes: the text stays within
// ConvertedCapacity (the output buffer is exactly that size, so ASan sees any
// write past it), is terminated with no NUL inside, follows the documented
// rules, and converting the same bytes as two chunks gives the same text
// except for the documented CR CR LF at a CR | LF boundary.
//
// AnswerDecoder on the same bytes: each chunk's text stays within
// DecodedCapacity, is valid UTF-8 with no NUL, no tab and every LF after a
// CR; the whole answer reads as a model written from the header says (strict
// UTF-8 worked out from its bit patterns and limits, any other byte as its
// 1252 character); and cut into three chunks anywhere it gives the same
// text, but for the same CR CR LF at a CR | LF boundary.
#include <cstdint>
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

// The code point of the strict UTF-8 sequence at data[i], worked out from
// the bit patterns and limits rather than the decoder's table of lead bytes;
// its length, or 0 when the bytes there are not one.
size_t Utf8SequenceAt(const uint8_t *data, size_t i, size_t size, uint32_t &c)
{
    const uint8_t b = data[i];
    size_t length = 0;
    uint32_t least = 0;
    if (b < 0x80) {
        c = b;
        return 1;
    } else if ((b & 0xE0) == 0xC0) {
        length = 2, least = 0x80, c = b & 0x1Fu;
    } else if ((b & 0xF0) == 0xE0) {
        length = 3, least = 0x800, c = b & 0x0Fu;
    } else if ((b & 0xF8) == 0xF0) {
        length = 4, least = 0x10000, c = b & 0x07u;
    } else {
        return 0;
    }
    if (size - i < length)
        return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((data[i + k] & 0xC0) != 0x80)
            return 0;
        c = c << 6 | (data[i + k] & 0x3Fu);
    }
    if (c < least || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
        return 0;
    return length;
}

bool IsUtf8WithoutNul(const std::string &text)
{
    const uint8_t *p = reinterpret_cast<const uint8_t *>(text.data());
    uint32_t c = 0;
    for (size_t i = 0; i < text.size();) {
        const size_t length = Utf8SequenceAt(p, i, text.size(), c);
        if (length == 0 || c == 0)
            return false;
        i += length;
    }
    return true;
}

// Decodes bytes [from, to) as the next chunk on `decoder`, each into a buffer
// of exactly its size, and checks what holds for any one chunk.
std::string DecodeChunk(AnswerDecoder &decoder, const uint8_t *data, size_t from, size_t to)
{
    const size_t n = to - from;
    const std::vector<uint8_t> bytes(data + from, data + to);
    const size_t capacity = DecodedCapacity(n);
    std::unique_ptr<char[]> out(new char[capacity]);
    const size_t len = decoder.Decode(bytes.data(), n, out.get());
    FUZZ_CHECK(len < capacity);
    FUZZ_CHECK(out[len] == '\0');
    const std::string text(out.get(), len);
    FUZZ_CHECK(IsUtf8WithoutNul(text)); // a held sequence is never cut in two
    return text;
}

std::string FinishDecoding(AnswerDecoder &decoder)
{
    const size_t capacity = DecodedCapacity(0);
    std::unique_ptr<char[]> out(new char[capacity]);
    const size_t len = decoder.Finish(out.get());
    FUZZ_CHECK(len < capacity);
    FUZZ_CHECK(out[len] == '\0');
    return std::string(out.get(), len);
}

// A byte that is not strict UTF-8, read alone: its 1252 character, one code
// point, Latin-1's from 0xA0 on (the table of 0x80-0x9F is the unit tests').
std::string Cp1252Of(uint8_t b)
{
    AnswerDecoder decoder;
    const std::string text = DecodeChunk(decoder, &b, 0, 1) + FinishDecoding(decoder);
    uint32_t c = 0;
    FUZZ_CHECK(Utf8SequenceAt(reinterpret_cast<const uint8_t *>(text.data()), 0, text.size(),
                              c) == text.size());
    FUZZ_CHECK(b < 0xA0 ? c >= 0x80 : c == b);
    return text;
}

// The whole answer as the header describes it, in one chunk.
std::string ModelDecoding(const uint8_t *data, size_t size)
{
    std::string text;
    bool afterCr = false;
    for (size_t i = 0; i < size;) {
        uint32_t c = 0;
        const size_t length = Utf8SequenceAt(data, i, size, c);
        if (length == 0) {
            text += Cp1252Of(data[i]);
            ++i;
        } else if (c == '\t') {
            text += "        ";
        } else if (c == '\n') {
            text += afterCr ? "\n" : "\r\n";
        } else if (c != 0) {
            text.append(reinterpret_cast<const char *>(data + i), length);
        }
        afterCr = length == 1 && c == '\r';
        i += length;
    }
    return text;
}

void CheckDecoder(const uint8_t *data, size_t size, const std::string &converted)
{
    AnswerDecoder decoder;
    const std::string whole = DecodeChunk(decoder, data, 0, size) + FinishDecoding(decoder);
    FUZZ_CHECK(whole == ModelDecoding(data, size));
    for (size_t i = 0; i < whole.size(); ++i) {
        FUZZ_CHECK(whole[i] != '\t');
        if (whole[i] == '\n')
            FUZZ_CHECK(i > 0 && whole[i - 1] == '\r');
    }
    bool ascii = true;
    for (size_t i = 0; i < size; ++i)
        ascii = ascii && data[i] < 0x80;
    if (ascii)
        FUZZ_CHECK(whole == converted);

    // Three receives, cut where the first two bytes say, on a decoder that
    // has decoded another answer before: Reset forgets what it held.
    const size_t a = size == 0 ? 0 : data[0] % (size + 1);
    const size_t b = size < 2 ? a : data[1] % (size + 1);
    const size_t cuts[4] = {0, a < b ? a : b, a < b ? b : a, size};
    DecodeChunk(decoder, reinterpret_cast<const uint8_t *>("\xF0\x9F"), 0, 2);
    decoder.Reset();
    std::string pieces;
    for (size_t k = 0; k < 3; ++k) {
        const size_t from = cuts[k], to = cuts[k + 1];
        std::string piece = DecodeChunk(decoder, data, from, to);
        // A line feed first in a chunk has no CR before it in that chunk.
        if (from > 0 && from < to && data[from - 1] == '\r' && data[from] == '\n') {
            FUZZ_CHECK(piece.compare(0, 2, "\r\n") == 0);
            piece.erase(0, 1);
        }
        pieces += piece;
    }
    pieces += FinishDecoding(decoder);
    FUZZ_CHECK(pieces == whole);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string whole = Convert(data, 0, size);
    CheckDecoder(data, size, whole);

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
