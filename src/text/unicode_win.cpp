#include "text/unicode_win.h"

#include <new>

#include "text/text_mode.h"

namespace {

std::wstring ToWide(UINT codePage, const char *text, size_t length)
{
    std::wstring wide;
    if (length == 0)
        return wide;
    const int n = MultiByteToWideChar(codePage, 0, text, static_cast<int>(length), nullptr, 0);
    if (n <= 0)
        return wide;
    try {
        wide.resize(static_cast<size_t>(n));
    } catch (const std::bad_alloc &) {
        return std::wstring();
    }
    MultiByteToWideChar(codePage, 0, text, static_cast<int>(length), &wide[0], n);
    return wide;
}

std::string FromWide(UINT codePage, const wchar_t *text, size_t length, BOOL *lossy)
{
    std::string bytes;
    if (length == 0)
        return bytes;
    // UTF-8 takes no default character and reports no loss.
    BOOL *used = codePage == CP_UTF8 ? nullptr : lossy;
    const int n = WideCharToMultiByte(codePage, 0, text, static_cast<int>(length), nullptr, 0,
                                      nullptr, used);
    if (n <= 0)
        return bytes;
    try {
        bytes.resize(static_cast<size_t>(n));
    } catch (const std::bad_alloc &) {
        return std::string();
    }
    WideCharToMultiByte(codePage, 0, text, static_cast<int>(length), &bytes[0], n, nullptr, used);
    return bytes;
}

} // namespace

std::wstring Utf8ToWide(const char *text, size_t length)
{
    return ToWide(CP_UTF8, text, length);
}

std::wstring Utf8ToWide(const std::string &text)
{
    return ToWide(CP_UTF8, text.data(), text.size());
}

std::string WideToUtf8(const wchar_t *text, size_t length)
{
    return FromWide(CP_UTF8, text, length, nullptr);
}

std::string WideToUtf8(const std::wstring &text)
{
    return FromWide(CP_UTF8, text.data(), text.size(), nullptr);
}

std::wstring ProgramTextToWide(const char *text)
{
    return ToWide(bUnicodeText ? CP_UTF8 : CP_ACP, text, std::char_traits<char>::length(text));
}

std::string WideToProgramText(const wchar_t *text, size_t length)
{
    return FromWide(bUnicodeText ? CP_UTF8 : CP_ACP, text, length, nullptr);
}

bool WideToCodePage(const std::wstring &text, std::string &bytes)
{
    BOOL lossy = FALSE;
    bytes = FromWide(CP_ACP, text.data(), text.size(), &lossy);
    return !lossy && (text.empty() || !bytes.empty());
}

bool HasNonAscii(const char *text)
{
    for (; *text != '\0'; ++text) {
        if (static_cast<unsigned char>(*text) >= 0x80)
            return true;
    }
    return false;
}

bool NameOnTheWire(const char *name, std::string &ascii)
{
    ascii.clear();
    if (!bUnicodeText || !HasNonAscii(name)) {
        ascii = name;
        return true;
    }
    const std::wstring wide = Utf8ToWide(name, std::char_traits<char>::length(name));
    if (wide.empty())
        return false;
    wchar_t converted[256];
    const int n = IdnToAscii(0, wide.c_str(), static_cast<int>(wide.size()), converted,
                             static_cast<int>(sizeof converted / sizeof converted[0]));
    if (n <= 0)
        return false;
    ascii = WideToUtf8(converted, static_cast<size_t>(n));
    return !ascii.empty();
}
