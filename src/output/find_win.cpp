#include "output/find_win.h"

#include <cstring>
#include <new>
#include <string>

#include <commdlg.h>
#include <dlgs.h>

#include "frame/frame_win.h"
#include "text/text_mode.h"
#include "text/unicode_win.h"

HWND hwndFind = nullptr;
char szFindWhat[256];
long nFindStart;

namespace {

// The request record must outlive the call: the modeless dialog keeps
// using it until it closes. The open dialog is of one kind or the other,
// whatever becomes of Unicode text while it is open, and its messages carry
// its own kind of record.
FINDREPLACEA frFind;
FINDREPLACEW frFindW;
wchar_t findWhatW[256];
bool findWide;
// What the Unicode dialog's field held at Find Next, read from the field
// itself: Wine's dialog keeps the record's text in the code page and hands
// it back through it, so letters the code page lacks would be lost on the
// way. On Windows the field and the record hold the same.
wchar_t typedW[256];

const DWORD kFindFlags = FR_HIDEUPDOWN | FR_HIDEMATCHCASE | FR_HIDEWHOLEWORD;

// Selects a hit of `length` characters at `at`, shows it and gives the pane
// the focus, so that the user sees what was found and can copy it.
void SelectHit(size_t at, size_t length)
{
    SetFocus(hwndOutput);
    SendMessageA(hwndOutput, EM_SETSEL, static_cast<WPARAM>(at),
                 static_cast<LPARAM>(at + length));
    SendMessageA(hwndOutput, EM_SCROLLCARET, 0, 0);
}

// Letters in upper case, in place. The platform's mapping takes one UTF-16
// unit to one, so offsets into the copy are offsets into the pane, and it
// is the same on every system whatever the user's language (it never maps
// "i" to the Turkish dotted capital), so both texts always meet in it.
void ToUpper(std::wstring &text)
{
    if (!text.empty())
        CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));
}

// The Unicode dialog's hook: it gives the field the remembered text whole
// and takes it whole at Find Next, before the dialog's own handling.
UINT_PTR CALLBACK FindHook(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        SetDlgItemTextW(dialog, edt1, typedW);
        return TRUE; // the dialog shows itself and sets the focus
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK)
            GetDlgItemTextW(dialog, edt1, typedW, sizeof typedW / sizeof typedW[0]);
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

void OnFindTextCommand(HWND owner)
{
    FlushOutput();
    DWORD from = 0, to = 0;
    SendMessageA(hwndOutput, EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                 reinterpret_cast<LPARAM>(&to));
    nFindStart = static_cast<long>(to);
    if (hwndFind != nullptr) {
        // One Find dialog is enough: a second Find Text shows the open one.
        SetActiveWindow(hwndFind);
        return;
    }
    hwndFind = OpenFindDialog(owner);
}

HWND OpenFindDialog(HWND owner)
{
    findWide = bUnicodeText;
    if (findWide) {
        frFindW = FINDREPLACEW();
        frFindW.lStructSize = sizeof frFindW;
        frFindW.hwndOwner = owner;
        frFindW.Flags = kFindFlags | FR_ENABLEHOOK;
        frFindW.lpstrFindWhat = findWhatW;
        frFindW.wFindWhatLen = sizeof findWhatW; // in bytes, as the record counts it
        frFindW.lpfnHook = FindHook;
        return FindTextW(&frFindW);
    }
    frFind = FINDREPLACEA();
    frFind.lStructSize = sizeof frFind;
    frFind.hwndOwner = owner;
    frFind.Flags = kFindFlags;
    frFind.lpstrFindWhat = szFindWhat;
    frFind.wFindWhatLen = sizeof szFindWhat;
    return FindTextA(&frFind);
}

LRESULT OnFindReplace(LPARAM lParam)
{
    // Both records start alike, so the flags read the same from either.
    const DWORD flags = reinterpret_cast<const FINDREPLACEA *>(lParam)->Flags;
    if (flags & FR_DIALOGTERM)
        hwndFind = nullptr;
    if (flags & FR_FINDNEXT) {
        if (hwndFind != nullptr)
            PostMessageA(hwndFind, WM_CLOSE, 0, 0);
        // Find Next looks after the selection first, then from the top, so
        // a repeated search walks through every occurrence and comes round.
        bool found;
        if (findWide) {
            found = FindInOutputW(hwndOutput, nFindStart, typedW, true) ||
                    FindInOutputW(hwndOutput, -1, typedW, true);
        } else {
            const char *what = reinterpret_cast<const FINDREPLACEA *>(lParam)->lpstrFindWhat;
            found = FindInOutput(hwndOutput, nFindStart, what) ||
                    FindInOutput(hwndOutput, -1, what);
        }
        if (!found)
            MessageBoxA(hwndMain, "Text not found!", nullptr, MB_OK);
    }
    return 0;
}

int FindInOutput(HWND pane, long start, const char *text)
{
    if (bUnicodeText) {
        const std::wstring wide = Utf8ToWide(text, std::strlen(text));
        // A text that does not convert is one that cannot be looked for.
        if (wide.empty() && text[0] != '\0')
            return 0;
        return FindInOutputW(pane, start, wide.c_str(), false);
    }
    (void)pane; // the output pane, read through OutputText
    // Without memory for a copy of the text there is nothing to search.
    std::string whole;
    if (!OutputText(whole))
        return 0;
    const size_t from = start < 0 ? 0 : static_cast<size_t>(start);
    if (from > whole.size())
        return 0;
    const size_t at = whole.find(text, from, std::strlen(text));
    if (at == std::string::npos)
        return 0;
    SelectHit(at, std::strlen(text));
    return 1;
}

int FindInOutputW(HWND pane, long start, const wchar_t *text, bool ignoreCase)
{
    (void)pane; // the output pane, read through OutputTextW
    std::wstring whole, what;
    if (!OutputTextW(whole))
        return 0;
    try {
        what = text;
    } catch (const std::bad_alloc &) {
        return 0;
    }
    const size_t from = start < 0 ? 0 : static_cast<size_t>(start);
    if (from > whole.size())
        return 0;
    if (ignoreCase) {
        ToUpper(whole);
        ToUpper(what);
    }
    const size_t at = whole.find(what, from);
    if (at == std::wstring::npos)
        return 0;
    SelectHit(at, what.size());
    return 1;
}
