#include "output/find_win.h"

#include <cstring>
#include <string>

#include "app/frame_win.h"

HWND hwndFind = nullptr;

int FindInOutput(HWND pane, long start, const char *text)
{
    (void)pane; // the output pane, read through OutputText
    const std::string whole = OutputText();
    const size_t from = start < 0 ? 0 : static_cast<size_t>(start);
    if (from > whole.size())
        return 0;
    const size_t at = whole.find(text, from, std::strlen(text));
    if (at == std::string::npos)
        return 0;
    SetFocus(hwndOutput);
    SendMessageA(hwndOutput, EM_SETSEL, at, at + std::strlen(text));
    SendMessageA(hwndOutput, EM_SCROLLCARET, 0, 0);
    return 1;
}
