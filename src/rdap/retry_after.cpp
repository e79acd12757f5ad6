#include "rdap/retry_after.h"

#include <cstddef>

namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

// All three forms of an HTTP date begin with the day's name ("Sun, 06 Nov
// 1994 08:49:37 GMT", "Sunday, 06-Nov-94 ...", "Sun Nov  6 ..."). A date is
// shown as sent, so it must be printable and short enough for a status line.
bool LooksLikeHttpDate(std::string_view text)
{
    static const char *const days[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    const size_t longest = 64;
    if (text.size() < 16 || text.size() > longest)
        return false;
    for (char c : text) {
        if (c < ' ' || c > '~')
            return false;
    }
    for (const char *day : days) {
        if (text.substr(0, 3) == day)
            return true;
    }
    return false;
}

}  // namespace

std::string RetryAfterText(std::string_view header)
{
    std::string_view text = Trimmed(header);
    if (text.empty())
        return std::string();
    bool digits = true;
    for (char c : text)
        digits = digits && IsDigit(c);
    if (digits) {
        // Leading zeros say nothing; a wait of more than twelve digits is
        // not one a server means.
        size_t first = text.find_first_not_of('0');
        std::string_view number = first == std::string_view::npos ? "0" : text.substr(first);
        if (number.size() > 12)
            return std::string();
        return std::string(number) + (number == "1" ? " second" : " seconds");
    }
    if (LooksLikeHttpDate(text))
        return std::string(text);
    return std::string();
}
