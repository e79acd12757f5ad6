// Finger targets, request bytes and WinSock error texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "net/finger_request.h"
#include "net/winsock_errors.h"

namespace {

using Parts = std::vector<std::string>;

struct Split {
    std::string user, host;
};

Split SplitTarget(const std::string &target, const char *previousUser = "")
{
    std::vector<char> text(target.begin(), target.end());
    text.push_back('\0');
    char user[256], host[256] = "unchanged";
    std::strcpy(user, previousUser);
    SplitFingerTarget(text.data(), user, sizeof user, host, sizeof host);
    return {user, host};
}

TEST(SplitFingerTarget, SplitsAtTheLastAtSign)
{
    struct Case {
        const char *target, *user, *host;
    } cases[] = {
        {"alice@example.org", "alice", "example.org"},
        {"example.org", "", "example.org"},
        {"@example.org", "", "example.org"},
        {"alice@", "alice", ""},
        {"a@b@host", "a@b", "host"},
        {"@", "", ""},
    };
    for (const Case &c : cases) {
        const Split s = SplitTarget(c.target, "old");
        EXPECT_EQ(s.user, c.user) << c.target;
        EXPECT_EQ(s.host, c.host) << c.target;
    }
}

TEST(SplitFingerTarget, AnEmptyTargetEmptiesTheHostAndKeepsTheUser)
{
    const Split s = SplitTarget("", "bob");
    EXPECT_EQ(s.user, "bob");
    EXPECT_EQ(s.host, "");
}

TEST(SplitFingerTarget, LongPartsAreCutToTheirBuffers)
{
    const std::string user(400, 'u'), host(300, 'h');
    const Split s = SplitTarget(user + "@" + host);
    EXPECT_EQ(s.user, std::string(255, 'u'));
    EXPECT_EQ(s.host, std::string(255, 'h'));
}

TEST(SplitFingerTarget, OverwritesTheAtSignInTheText)
{
    char text[] = "x@y@z";
    char user[8], host[8];
    SplitFingerTarget(text, user, sizeof user, host, sizeof host);
    EXPECT_EQ(std::memcmp(text, "x@y\0z", 6), 0);
}

TEST(FingerRequestParts, EveryCombinationOfLongNotifyAndUser)
{
    struct Case {
        bool longOutput, notify;
        const char *user;
        Parts parts;
    } cases[] = {
        {false, false, "alice", {"alice", "\r\n"}},
        {false, false, "", {"\r\n"}},
        {true, false, "alice", {"/W ", "alice", "\r\n"}},
        {true, false, "", {"/W ", "\r\n"}},
        {false, true, "alice", {"\r\n"}},
        {false, true, "", {"\r\n"}},
        {true, true, "alice", {"/W ", "\r\n"}},
        {true, true, "", {"/W ", "\r\n"}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FingerRequestParts(c.longOutput, c.notify, c.user), c.parts)
            << "long " << c.longOutput << " notify " << c.notify << " user " << c.user;
}

TEST(WhoisRequestParts, QueryThenLineEnd)
{
    EXPECT_EQ(WhoisRequestParts("example.org"), (Parts{"example.org", "\r\n"}));
    EXPECT_EQ(WhoisRequestParts(""), (Parts{"", "\r\n"}));
}

TEST(WinsockErrors, KnownCodesShowTheirTextAfterASpace)
{
    char buf[96];
    FormatWinsockError(10061, "Connect()", buf, sizeof buf);
    EXPECT_STREQ(buf, " Connection Refused.");
    FormatWinsockError(11001, "gethostbyname()", buf, sizeof buf);
    EXPECT_STREQ(buf, " Authoritive: Host Not Found");
    FormatWinsockError(10004, "Connect()", buf, sizeof buf);
    EXPECT_STREQ(buf, " Blocking call canceled");
    FormatWinsockError(10093, "Socket()", buf, sizeof buf);
    EXPECT_STREQ(buf, " WSA Startup not intialized");
}

TEST(WinsockErrors, TheTableHoldsExactlyItsTwentyThreeCodes)
{
    const int known[] = {10004, 10022, 10024, 10036, 10041, 10043, 10044, 10047,
                         10050, 10053, 10054, 10055, 10060, 10061, 10064, 10065,
                         10091, 10092, 10093, 11001, 11002, 11003, 11004};
    int found = 0;
    for (int code = 0; code < 12000; ++code) {
        if (const char *text = WinsockErrorText(code)) {
            ++found;
            EXPECT_NE(std::find(std::begin(known), std::end(known), code), std::end(known)) << code;
            EXPECT_LT(std::strlen(text) + 1, 80u) << code;
        }
    }
    EXPECT_EQ(found, 23);
}

TEST(WinsockErrors, UnknownCodesNameTheCall)
{
    char buf[96];
    FormatWinsockError(10051, "Connect()", buf, sizeof buf);
    EXPECT_STREQ(buf, " Connect() returned unknown 10051");
    FormatWinsockError(-1, "Socket()", buf, sizeof buf);
    EXPECT_STREQ(buf, " Socket() returned unknown 4294967295");
    char small[10];
    FormatWinsockError(10051, "gethostbyname()", small, sizeof small);
    EXPECT_STREQ(small, " gethostb");
}

} // namespace
