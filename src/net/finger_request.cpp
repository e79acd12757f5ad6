#include "net/finger_request.h"

#include <cstring>

#include "config/profile_values.h"

void SplitFingerTarget(char *text, char *user, size_t userSize, char *host, size_t hostSize)
{
    if (text[0] == '\0') {
        CopyBounded(host, hostSize, "");
        return;
    }
    char *at = std::strrchr(text, '@');
    if (at == nullptr) {
        CopyBounded(user, userSize, "");
        CopyBounded(host, hostSize, text);
        return;
    }
    *at = '\0';
    CopyBounded(host, hostSize, at + 1);
    CopyBounded(user, userSize, text);
}

std::vector<std::string> FingerRequestParts(bool longOutput, bool notify, const char *user)
{
    std::vector<std::string> parts;
    if (longOutput)
        parts.emplace_back("/W ");
    if (user != nullptr && user[0] != '\0' && !notify)
        parts.emplace_back(user);
    parts.emplace_back("\r\n");
    return parts;
}

std::vector<std::string> WhoisRequestParts(const char *query)
{
    return {query != nullptr ? query : "", "\r\n"};
}
