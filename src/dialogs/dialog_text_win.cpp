#include "dialogs/dialog_text_win.h"

#include <string>

#include "text/text_mode.h"
#include "text/unicode_win.h"

size_t ReadItemText(HWND dialog, int id, char *buf, size_t size)
{
    if (size == 0)
        return 0;
    if (!bUnicodeText)
        return GetDlgItemTextA(dialog, id, buf, static_cast<int>(size));
    // Each UTF-16 unit takes at least one byte of UTF-8, so `size` units
    // hold all that can fit.
    std::wstring wide(size, L'\0');
    const UINT n = GetDlgItemTextW(dialog, id, &wide[0], static_cast<int>(size));
    wide.resize(n < size ? n : 0);
    return CopyUtf8Bounded(buf, size, WideToUtf8(wide));
}

LRESULT AddComboEntry(HWND combo, UINT addMessage, const char *text)
{
    // CB_INSERTSTRING goes in at the top; CB_ADDSTRING ignores the 0.
    if (!bUnicodeText)
        return SendMessageA(combo, addMessage, 0, reinterpret_cast<LPARAM>(text));
    const std::wstring wide = Utf8ToWide(text);
    return SendMessageW(combo, addMessage, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

LRESULT FindComboEntry(HWND combo, const char *text)
{
    if (!bUnicodeText)
        return SendMessageA(combo, CB_FINDSTRINGEXACT, 0, reinterpret_cast<LPARAM>(text));
    const std::wstring wide = Utf8ToWide(text);
    return SendMessageW(combo, CB_FINDSTRINGEXACT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

void ReadComboEntry(HWND combo, int index, char *buf, size_t size)
{
    if (size == 0)
        return;
    buf[0] = '\0';
    const WPARAM at = static_cast<WPARAM>(index);
    if (!bUnicodeText) {
        const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, at, 0);
        if (length >= 0 && length < static_cast<LRESULT>(size))
            SendMessageA(combo, CB_GETLBTEXT, at, reinterpret_cast<LPARAM>(buf));
        return;
    }
    const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, at, 0);
    if (length < 0)
        return;
    std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT n = SendMessageW(combo, CB_GETLBTEXT, at, reinterpret_cast<LPARAM>(&wide[0]));
    wide.resize(n >= 0 && n <= length ? static_cast<size_t>(n) : 0);
    CopyUtf8Bounded(buf, size, WideToUtf8(wide));
}

HWND CreateTextControl(const char *className, DWORD style, const RECT &place, HWND parent,
                       int id, HINSTANCE instance)
{
    HMENU menuId = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
    if (!bUnicodeText)
        return CreateWindowA(className, "", style, place.left, place.top, place.right,
                             place.bottom, parent, menuId, instance, nullptr);
    const std::wstring wideClass = Utf8ToWide(className);
    return CreateWindowW(wideClass.c_str(), L"", style, place.left, place.top, place.right,
                         place.bottom, parent, menuId, instance, nullptr);
}
