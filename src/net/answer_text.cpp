#include "net/answer_text.h"

size_t ConvertAnswerChunk(uint8_t *bytes, size_t n, char *out)
{
    size_t len = 0;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t b = static_cast<uint8_t>(bytes[i] & 0x7F);
        bytes[i] = b;
        switch (b) {
        case 0:
            break;
        case '\t':
            for (int k = 0; k < 8; ++k)
                out[len++] = ' ';
            break;
        case '\n':
            if (i == 0 || bytes[i - 1] != '\r')
                out[len++] = '\r';
            out[len++] = '\n';
            break;
        default:
            out[len++] = static_cast<char>(b);
            break;
        }
    }
    out[len] = '\0';
    return len;
}

namespace {

// Windows-1252's characters for 0x80-0x9F (the rest of its upper half is
// Latin-1, U+00A0-U+00FF). The five it leaves undefined keep their own value,
// as MultiByteToWideChar reads them.
const uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, //
};

// A lead byte of strict UTF-8: the length of its sequence and the range its
// second byte must lie in. The ranges are what exclude overlong forms (E0,
// F0), surrogates (ED) and code points above U+10FFFF (F4); C0, C1 and F5-FF
// start nothing (length 0).
struct SequenceStart {
    size_t length;
    uint8_t low, high;
};

SequenceStart StartOf(uint8_t lead)
{
    if (lead >= 0xC2 && lead <= 0xDF)
        return {2, 0x80, 0xBF};
    if (lead == 0xE0)
        return {3, 0xA0, 0xBF};
    if (lead == 0xED)
        return {3, 0x80, 0x9F};
    if (lead >= 0xE1 && lead <= 0xEF)
        return {3, 0x80, 0xBF};
    if (lead == 0xF0)
        return {4, 0x90, 0xBF};
    if (lead >= 0xF1 && lead <= 0xF3)
        return {4, 0x80, 0xBF};
    if (lead == 0xF4)
        return {4, 0x80, 0x8F};
    return {0, 0, 0};
}

// Writes decoded characters as UTF-8 under ConvertAnswerChunk's rules for
// tabs, line feeds and NUL.
class TextWriter {
public:
    explicit TextWriter(char *out) : out_(out) {}

    void Ascii(uint8_t c)
    {
        switch (c) {
        case 0:
            break;
        case '\t':
            for (int k = 0; k < 8; ++k)
                Put(' ');
            break;
        case '\n':
            if (!afterCr_)
                Put('\r');
            Put('\n');
            break;
        default:
            Put(static_cast<char>(c));
            break;
        }
        // A dropped NUL still stands between a CR and an LF, as it does in
        // ConvertAnswerChunk.
        afterCr_ = c == '\r';
    }

    void Cp1252(uint8_t b)
    {
        const uint32_t c = b < 0xA0 ? kCp1252High[b - 0x80] : b;
        if (c < 0x800) {
            Put(static_cast<char>(0xC0 | (c >> 6)));
        } else {
            Put(static_cast<char>(0xE0 | (c >> 12)));
            Put(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        }
        Put(static_cast<char>(0x80 | (c & 0x3F)));
        afterCr_ = false;
    }

    // One byte of a valid sequence; the sequence stands for no tab, LF or NUL.
    void Copy(uint8_t b)
    {
        Put(static_cast<char>(b));
        afterCr_ = false;
    }

    size_t End()
    {
        out_[length_] = '\0';
        return length_;
    }

private:
    void Put(char c) { out_[length_++] = c; }

    char *out_;
    size_t length_ = 0;
    bool afterCr_ = false;
};

} // namespace

size_t AnswerDecoder::Decode(const uint8_t *bytes, size_t n, char *out)
{
    // The held bytes come first, as if they had arrived with this chunk.
    const size_t held = heldLength_;
    const size_t total = held + n;
    const auto at = [&](size_t i) { return i < held ? held_[i] : bytes[i - held]; };

    TextWriter text(out);
    uint8_t tail[3] = {};
    size_t tailLength = 0;
    size_t i = 0;
    while (i < total) {
        const uint8_t lead = at(i);
        if (lead < 0x80) {
            text.Ascii(lead);
            ++i;
            continue;
        }
        const SequenceStart start = StartOf(lead);
        size_t valid = 1; // bytes of the sequence that fit so far
        while (valid < start.length && i + valid < total) {
            const uint8_t c = at(i + valid);
            const uint8_t low = valid == 1 ? start.low : 0x80;
            const uint8_t high = valid == 1 ? start.high : 0xBF;
            if (c < low || c > high)
                break;
            ++valid;
        }
        if (start.length != 0 && valid == start.length) {
            for (size_t k = 0; k < valid; ++k)
                text.Copy(at(i + k));
            i += valid;
        } else if (start.length != 0 && i + valid == total) {
            // Every byte fits but the chunk ended: the next one may finish it.
            for (size_t k = 0; k < valid; ++k)
                tail[k] = at(i + k);
            tailLength = valid;
            break;
        } else {
            // Not part of valid UTF-8: the lead alone is read as 1252, and
            // the bytes after it are looked at again on their own.
            text.Cp1252(lead);
            ++i;
        }
    }
    for (size_t k = 0; k < tailLength; ++k)
        held_[k] = tail[k];
    heldLength_ = tailLength;
    return text.End();
}

size_t AnswerDecoder::Finish(char *out)
{
    TextWriter text(out);
    for (size_t k = 0; k < heldLength_; ++k)
        text.Cp1252(held_[k]);
    heldLength_ = 0;
    return text.End();
}
