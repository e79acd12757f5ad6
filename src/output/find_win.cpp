#include "output/find_win.h"

#include <cstring>
#include <string>

#include <commdlg.h>

#include "frame/frame_win.h"

HWND hwndFind = nullptr;
char szFindWhat[256];
long nFindStart;

namespace {

// The request record must outlive the call: the modeless dialog keeps
// using it until it closes.
FINDREPLACEA frFind;

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
    frFind = FINDREPLACEA();
    frFind.lStructSize = sizeof frFind;
    frFind.hwndOwner = owner;
    frFind.Flags = FR_HIDEUPDOWN | FR_HIDEMATCHCASE | FR_HIDEWHOLEWORD;
    frFind.lpstrFindWhat = szFindWhat;
    frFind.wFindWhatLen = sizeof szFindWhat;
    return FindTextA(&frFind);
}

LRESULT OnFindReplace(LPARAM lParam)
{
    const FINDREPLACEA *fr = reinterpret_cast<const FINDREPLACEA *>(lParam);
    if (fr->Flags & FR_DIALOGTERM)
        hwndFind = nullptr;
    if (fr->Flags & FR_FINDNEXT) {
        if (hwndFind != nullptr)
            PostMessageA(hwndFind, WM_CLOSE, 0, 0);
        // Find Next looks after the selection first, then from the top, so
        // a repeated search walks through every occurrence and comes round.
        if (!FindInOutput(hwndOutput, nFindStart, fr->lpstrFindWhat) &&
            !FindInOutput(hwndOutput, -1, fr->lpstrFindWhat))
            MessageBoxA(hwndMain, "Text not found!", nullptr, MB_OK);
    }
    return 0;
}

int FindInOutput(HWND pane, long start, const char *text)
{
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
    SetFocus(hwndOutput);
    SendMessageA(hwndOutput, EM_SETSEL, static_cast<WPARAM>(at),
                 static_cast<LPARAM>(at + std::strlen(text)));
    SendMessageA(hwndOutput, EM_SCROLLCARET, 0, 0);
    return 1;
}
