// Number and text handling of configuration values.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "config/profile_values.h"

TEST(ParseLeadingInt, TakesSignAndDigitsUpToTheFirstOtherCharacter)
{
    struct Case {
        const char *text;
        int32_t expected;
    } cases[] = {
        {"10x", 10},   {"abc", 0},  {"-3", -3},  {"+7", 7},     {"", 0},
        {"-", 0},      {"+", 0},    {"--5", 0},  {"0042", 42},  {"12 34", 12},
        {" 5", 0},     {"-0", 0},   {"175", 175}, {"-2147483648", INT32_MIN},
        {"2147483647", INT32_MAX},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ParseLeadingInt(c.text), c.expected) << "text \"" << c.text << "\"";
}

TEST(ParseLeadingInt, HoldsOutOfRangeNumbersAtTheLimitInsteadOfWrapping)
{
    EXPECT_EQ(ParseLeadingInt("2147483648"), INT32_MAX);
    EXPECT_EQ(ParseLeadingInt("-2147483649"), INT32_MIN);
    EXPECT_EQ(ParseLeadingInt(std::string(10000, '9').c_str()), INT32_MAX);
    EXPECT_EQ(ParseLeadingInt(("-" + std::string(500, '7') + "x").c_str()), INT32_MIN);
    EXPECT_EQ(ParseLeadingInt(nullptr), 0);
}

TEST(FormatDecimal, WritesSignedDecimalThatReadsBackTheSame)
{
    const int32_t values[] = {0, 1, -1, 20, 280, -5, 700, INT32_MAX, INT32_MIN};
    for (int32_t v : values) {
        char buf[12];
        FormatDecimal(v, buf, sizeof buf);
        EXPECT_EQ(ParseLeadingInt(buf), v) << buf;
        EXPECT_EQ(std::string(buf), std::to_string(v));
    }
}

TEST(FormatDecimal, CutsToASmallBufferAndStaysTerminated)
{
    char buf[4];
    std::memset(buf, 'z', sizeof buf);
    FormatDecimal(-123456, buf, sizeof buf);
    EXPECT_STREQ(buf, "-12");
    FormatDecimal(5, buf, 0); // must not write at all
    EXPECT_STREQ(buf, "-12");
}

TEST(CopyBounded, CutsToTheBufferLessOneAndTerminates)
{
    char buf[10];
    EXPECT_EQ(CopyBounded(buf, sizeof buf, "1234567890123"), 9u);
    EXPECT_STREQ(buf, "123456789");
    EXPECT_EQ(CopyBounded(buf, sizeof buf, "short"), 5u);
    EXPECT_STREQ(buf, "short");
    EXPECT_EQ(CopyBounded(buf, 1, "x"), 0u);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(CopyBounded(buf, sizeof buf, nullptr), 0u);
    EXPECT_STREQ(buf, "");
    buf[0] = 'q';
    EXPECT_EQ(CopyBounded(buf, 0, "abc"), 0u);
    EXPECT_EQ(buf[0], 'q');
}
