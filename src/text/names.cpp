#include "text/names.h"

#include <cstring>

namespace {

// The length of a dot at `p` (".", "。", "．", "｡" in UTF-8), or 0.
size_t DotAt(const char *p)
{
    if (*p == '.')
        return 1;
    static const char *const kWideDots[] = {"\xE3\x80\x82", "\xEF\xBC\x8E", "\xEF\xBD\xA1"};
    for (const char *dot : kWideDots) {
        if (std::strncmp(p, dot, 3) == 0)
            return 3;
    }
    return 0;
}

} // namespace

bool LooksLikeDomainName(const char *text)
{
    bool dotBetweenLabels = false;
    size_t label = 0; // bytes of the label read so far
    for (const char *p = text; *p != '\0';) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c <= ' ' || c == 0x7F || c == '@' || c == ':' || c == '/')
            return false;
        const size_t dot = DotAt(p);
        if (dot != 0) {
            if (label == 0)
                return false; // an empty label
            label = 0;
            p += dot;
            if (*p != '\0')
                dotBetweenLabels = true;
            continue;
        }
        ++label;
        ++p;
    }
    return dotBetweenLabels;
}
