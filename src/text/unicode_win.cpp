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
    // UTF-8 takes no default character and reports no loss. A look-alike
    // the code page would put in for a letter it lacks is no loss the
    // platform reports, so where loss counts none is put in.
    BOOL *used = codePage == CP_UTF8 ? nullptr : lossy;
    const DWORD flags = used != nullptr ? WC_NO_BEST_FIT_CHARS : 0;
    const int n = WideCharToMultiByte(codePage, flags, text, static_cast<int>(length), nullptr, 0,
                                      nullptr, used);
    if (n <= 0)
        return bytes;
    try {
        bytes.resize(static_cast<size_t>(n));
    } catch (const std::bad_alloc &) {
        return std::string();
    }
    WideCharToMultiByte(codePage, flags, text, static_cast<int>(length), &bytes[0], n, nullptr,
                        used);
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

bool WideToCodePage(const std::wstring &text, std::string &bytes)
{
    BOOL lossy = FALSE;
    bytes = FromWide(CP_ACP, text.data(), text.size(), &lossy);
    return !lossy && (text.empty() || !bytes.empty());
}

std::wstring CodePageToWide(const char *text)
{
    return ToWide(CP_ACP, text, std::char_traits<char>::length(text));
}

size_t Utf8FitLength(const std::string &text, size_t room)
{
    if (text.size() <= room)
        return text.size();
    // A byte 10xxxxxx goes on the character before it.
    size_t n = room;
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
        --n;
    return n;
}

size_t CopyUtf8Bounded(char *dst, size_t size, const std::string &text)
{
    if (size == 0)
        return 0;
    const size_t n = Utf8FitLength(text, size - 1);
    text.copy(dst, n);
    dst[n] = '\0';
    return n;
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

bool EntryInCodePage(const char *entry, std::string &bytes)
{
    if (WideToCodePage(Utf8ToWide(entry, std::char_traits<char>::length(entry)), bytes))
        return true;
    // The target is cut at its last at sign, as a query cuts it.
    const std::string whole = entry;
    const size_t at = whole.rfind('@');
    const size_t hostStart = at == std::string::npos ? 0 : at + 1;
    std::string user, host;
    if (!WideToCodePage(Utf8ToWide(whole.substr(0, hostStart)), user) ||
        !NameOnTheWire(whole.c_str() + hostStart, host)) {
        bytes.clear();
        return false;
    }
    bytes = user + host;
    return true;
}
