// Conversion of received answer bytes into pane text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/answer_text.h"

using namespace std::string_literals;

namespace {

std::string Convert(std::string chunk)
{
    std::vector<uint8_t> bytes(chunk.begin(), chunk.end());
    std::vector<char> out(ConvertedCapacity(bytes.size()));
    const size_t len = ConvertAnswerChunk(bytes.data(), bytes.size(), out.data());
    EXPECT_EQ(out[len], '\0');
    return std::string(out.data(), len);
}

TEST(ConvertAnswerChunk, LineEndsTabsAndHighBits)
{
    struct Case {
        const char *name;
        std::string in, out;
    } cases[] = {
        {"lone LF", "a\nb\n", "a\r\nb\r\n"},
        {"CR LF kept", "a\r\nb\r\n", "a\r\nb\r\n"},
        {"LF first in chunk", "\nx", "\r\nx"},
        {"lone CR kept", "a\rb", "a\rb"},
        {"LF LF", "\n\n", "\r\n\r\n"},
        {"tab is eight spaces", "\tx\t", "        x        "},
        {"tab mid-column", "abc\td", "abc        d"},
        {"high bit cleared", std::string("\xC1\xE2\x8A", 3), "Ab\r\n"},
        {"control chars kept", std::string("\x01\x1b[0m", 5), std::string("\x01\x1b[0m", 5)},
        {"empty", "", ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Convert(c.in), c.out) << c.name;
}

TEST(ConvertAnswerChunk, CarriageReturnAndLineFeedSplitAcrossChunksGiveCrCrLf)
{
    EXPECT_EQ(Convert("line\r") + Convert("\nnext"), "line\r\r\nnext");
}

TEST(ConvertAnswerChunk, ANulByteIsDroppedWithoutCuttingTheRest)
{
    EXPECT_EQ(Convert(std::string("ab\0cd", 5)), "abcd");
    EXPECT_EQ(Convert(std::string("ab\x80" "cd", 5)), "abcd");
    // A cleared 0x8D is a carriage return and still pairs with the LF after it.
    EXPECT_EQ(Convert(std::string("x\x8D\n", 3)), "x\r\n");
}

TEST(ConvertAnswerChunk, ClearsTheHighBitInTheReceiveBufferItself)
{
    std::vector<uint8_t> bytes = {0xE1, 0x80, 0x0A};
    std::vector<char> out(ConvertedCapacity(bytes.size()));
    ConvertAnswerChunk(bytes.data(), bytes.size(), out.data());
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0x61, 0x00, 0x0A}));
}

TEST(ConvertAnswerChunk, AChunkOfTabsConvertsWholeInTheWorstCaseBuffer)
{
    const std::string tabs(1600, '\t');
    const std::string text = Convert(tabs);
    EXPECT_EQ(text.size(), 12800u);
    EXPECT_EQ(text.find_first_not_of(' '), std::string::npos);
}

TEST(ConvertAnswerChunk, EveryByteValueConvertsWithinCapacity)
{
    std::string all;
    for (int i = 0; i < 256; ++i)
        all.push_back(static_cast<char>(i));
    const std::string text = Convert(all);
    // 0x00 and 0x80 dropped; two tabs add 7 each; LF at 0x0A and 0x8A follow
    // 0x09/0x89, not CR, so each gains a CR.
    EXPECT_EQ(text.size(), 256u - 2 + 14 + 2);
    EXPECT_EQ(text.find('\0'), std::string::npos);
    for (char c : text)
        EXPECT_LT(static_cast<unsigned char>(c), 0x80u);
}

// Decodes one chunk on `decoder` into a buffer of exactly DecodedCapacity, so
// ASan sees any write past it.
std::string DecodeChunk(AnswerDecoder &decoder, const std::string &chunk)
{
    std::vector<char> out(DecodedCapacity(chunk.size()));
    const size_t len =
        decoder.Decode(reinterpret_cast<const uint8_t *>(chunk.data()), chunk.size(), out.data());
    EXPECT_EQ(out[len], '\0');
    return std::string(out.data(), len);
}

std::string FinishDecoding(AnswerDecoder &decoder)
{
    std::vector<char> out(DecodedCapacity(0));
    const size_t len = decoder.Finish(out.data());
    EXPECT_EQ(out[len], '\0');
    return std::string(out.data(), len);
}

// One connection's answer received in the given chunks, then closed.
std::string Decode(const std::vector<std::string> &chunks)
{
    AnswerDecoder decoder;
    std::string text;
    for (const std::string &chunk : chunks)
        text += DecodeChunk(decoder, chunk);
    return text + FinishDecoding(decoder);
}

TEST(AnswerDecoder, KeepsValidUtf8AndReadsEveryOtherByteAsWindows1252)
{
    struct Case {
        const char *name;
        std::string in, out;
    } cases[] = {
        {"one to four bytes", "a\xC3\xBC\xE2\x82\xAC\xF0\x9F\x98\x80", "a\u00FC\u20AC\U0001F600"},
        {"edges of each length", "\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF",
         "\u0080\u07FF\u0800\uD7FF\uE000\uFFFF"},
        {"edges of four bytes", "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", "\U00010000\U0010FFFF"},
        {"Latin-1", "M\xFCller \xA0\xFF", "M\u00FCller \u00A0\u00FF"},
        {"1252 quotes", "\x93quoted\x94", "\u201Cquoted\u201D"},
        {"all of 0x80-0x9F, the undefined five as Windows reads them",
         "\x80\x81\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8D\x8E\x8F"
         "\x90\x91\x92\x93\x94\x95\x96\x97\x98\x99\x9A\x9B\x9C\x9D\x9E\x9F",
         "\u20AC\u0081\u201A\u0192\u201E\u2026\u2020\u2021\u02C6\u2030\u0160\u2039\u0152"
         "\u008D\u017D\u008F\u0090\u2018\u2019\u201C\u201D\u2022\u2013\u2014\u02DC\u2122"
         "\u0161\u203A\u0153\u009D\u017E\u0178"},
        {"overlong two bytes", "\xC0\xAF\xC1\xBF", "\u00C0\u00AF\u00C1\u00BF"},
        {"overlong three bytes", "\xE0\x80\xAF", "\u00E0\u20AC\u00AF"},
        {"overlong four bytes", "\xF0\x80\x80\xAF", "\u00F0\u20AC\u20AC\u00AF"},
        {"surrogates", "\xED\xA0\x80\xED\xBF\xBF", "\u00ED\u00A0\u20AC\u00ED\u00BF\u00BF"},
        {"above U+10FFFF", "\xF4\x90\x80\x80", "\u00F4\u0090\u20AC\u20AC"},
        {"F5 and up", "\xF5\x80\xFE\xFF", "\u00F5\u20AC\u00FE\u00FF"},
        {"lone continuations", "\xBF\xC3\xBC\xBC", "\u00BF\u00FC\u00BC"},
        {"truncated, then ASCII", "\xE2\x82x\xF0\x9F\x98 ", "\u00E2\u201Ax\u00F0\u0178\u02DC "},
        {"truncated, then a valid sequence", "\xE2\xC3\xBC", "\u00E2\u00FC"},
        {"truncated at the end", "ab\xF0\x9F", "ab\u00F0\u0178"},
        {"tab, LF, NUL", "a\tb\nc\r\n\0d"s, "a        b\r\nc\r\nd"},
        {"LF first, LF after a non-ASCII character", "\n\xC3\xBC\n", "\r\n\u00FC\r\n"},
        {"a NUL between CR and LF", "\r\0\n"s, "\r\r\n"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Decode({c.in}), c.out) << c.name;
}

TEST(AnswerDecoder, AnySplitGivesTheTextOfOneChunk)
{
    // No CR LF pair: a split between the two gives CR CR LF (below).
    const std::string texts[] = {
        "a\xC3\xBC\xE2\x82\xAC\xF0\x9F\x98\x80\n",
        "\xE0\x80\xAF\xED\xA0\x80\xF4\x90\x80\x80\t",
        "M\xFCller \x93x\x94 \xE2\x82x\xF0\x9F\x98",
        "\xE2\xC3\xBC\xF1\x80\x80\xC3",
    };
    for (const std::string &text : texts) {
        const std::string whole = Decode({text});
        std::vector<std::string> bytes;
        for (char c : text)
            bytes.push_back(std::string(1, c));
        EXPECT_EQ(Decode(bytes), whole) << "byte by byte: " << whole;
        for (size_t cut = 0; cut <= text.size(); ++cut)
            EXPECT_EQ(Decode({text.substr(0, cut), text.substr(cut)}), whole)
                << "cut at " << cut << ": " << whole;
    }
}

TEST(AnswerDecoder, HoldsAnUnfinishedSequenceUntilTheNextChunkOrTheEnd)
{
    AnswerDecoder decoder;
    EXPECT_EQ(DecodeChunk(decoder, "ab\xF0\x9F"), "ab");
    EXPECT_EQ(DecodeChunk(decoder, ""), "");
    EXPECT_EQ(DecodeChunk(decoder, "\x98"), "");
    EXPECT_EQ(DecodeChunk(decoder, "\x80!"), "\U0001F600!");
    // Closed early: the held bytes are 1252 text.
    EXPECT_EQ(DecodeChunk(decoder, "\xE2\x82"), "");
    EXPECT_EQ(FinishDecoding(decoder), "\u00E2\u201A");
    EXPECT_EQ(FinishDecoding(decoder), "");
    // A new connection does not finish the last one's sequence.
    EXPECT_EQ(DecodeChunk(decoder, "\xE2\x82"), "");
    decoder.Reset();
    EXPECT_EQ(DecodeChunk(decoder, "\xAC"), "\u00AC");
}

TEST(AnswerDecoder, CarriageReturnAndLineFeedSplitAcrossChunksGiveCrCrLf)
{
    // As ConvertAnswerChunk does: each chunk's line ends are its own.
    EXPECT_EQ(Decode({"line\r", "\nnext"}), "line\r\r\nnext");
}

TEST(AnswerDecoder, TheWorstChunkAfterTheWorstHeldBytesFitsItsCapacity)
{
    // Held F1 80 80 become 2 + 3 + 3 bytes of 1252 text; a tab becomes 8.
    AnswerDecoder decoder;
    EXPECT_EQ(DecodeChunk(decoder, "\xF1\x80\x80"), "");
    const std::string text = DecodeChunk(decoder, std::string(1600, '\t'));
    EXPECT_EQ(text, "\u00F1\u20AC\u20AC" + std::string(12800, ' '));
}

} // namespace
