#include <gtest/gtest.h>

#include "rdap/retry_after.h"

TEST(RetryAfterText, SecondsDatesAndNonsense)
{
    struct Case {
        const char *header;
        const char *text;
    } cases[] = {
        {"120", "120 seconds"},
        {" 120 ", "120 seconds"},
        {"1", "1 second"},
        {"0", "0 seconds"},
        {"007", "7 seconds"},
        {"Wed, 21 Oct 2015 07:28:00 GMT", "Wed, 21 Oct 2015 07:28:00 GMT"},
        {"Sunday, 06-Nov-94 08:49:37 GMT", "Sunday, 06-Nov-94 08:49:37 GMT"},
        {"", ""},
        {"-5", ""},
        {"12.5", ""},
        {"9999999999999", ""},
        {"soon", ""},
        {"Wed, 21 Oct 2015\r\n07:28:00 GMT", ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(RetryAfterText(c.header), c.text) << '"' << c.header << '"';
}
