// Which WhoIs queries go out as A-labels.
#include <gtest/gtest.h>

#include "text/names.h"

TEST(LooksLikeDomainName, DomainsAgainstOtherQueries)
{
    const struct {
        const char *text;
        bool domain;
    } cases[] = {
        {"m\xC3\xBCnchen.de", true},
        {"\xD0\xBF\xD1\x80\xD0\xB8\xD0\xBC\xD0\xB5\xD1\x80.\xD1\x80\xD1\x84", true}, // пример.рф
        {"example.com.", true},                       // a trailing dot ends the name
        {"\xE4\xBE\x8B\xE3\x80\x82jp", true},         // 例。jp: the ideographic dot
        {"M\xC3\xBCller GmbH", false},                // a blank: an organisation
        {"M\xC3\xBCller", false},                     // one label: a handle or a name
        {"j\xC3\xBCrgen@example.de", false},          // an e-mail address
        {"https://m\xC3\xBCnchen.de/", false},
        {".de", false},
        {"a..de", false},
        {"de.", false},
        {"", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(LooksLikeDomainName(c.text), c.domain) << c.text;
}
