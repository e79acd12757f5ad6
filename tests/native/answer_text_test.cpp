// Conversion of received answer bytes into pane text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/answer_text.h"

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

} // namespace
