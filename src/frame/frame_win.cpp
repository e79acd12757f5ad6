#include "frame/frame_win.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <new>
#include <string>

#include "frame/frame_layout.h"
#include "frame/messages.h"
#include "frame/screen_scale.h"
#include "handles/owned_win.h"
#include "res/resource.h"
#include "text/text_mode.h"
#include "text/unicode_win.h"

HINSTANCE hInstance;
HWND hwndMain;
int32_t nBaseUnitX;
int32_t nBaseUnitY;
WSADATA wsaData;

HWND hwndToolbar;
HWND hwndOutput;
HWND hwndStatus;
bool bOutputGrayed;

namespace {

// An answer has ended since the pane was last cleared.
bool outputReady;

// What the pane holds, as far as the limits of a piece need to know: its
// characters, and those after its last line break.
size_t paneChars;
size_t paneLastLine;

} // namespace

int ScreenDpi()
{
    const WindowDC screen(nullptr);
    return GetDeviceCaps(screen.Get(), LOGPIXELSY);
}

HWND CreateStatusBar(HWND parent)
{
    HWND status = CreateWindowExA(0, STATUSCLASSNAMEA, "",
                                  WS_CHILD | WS_VISIBLE | WS_BORDER | SBARS_SIZEGRIP, 0, 0, 0, 0,
                                  parent, reinterpret_cast<HMENU>(IDC_STATUS), hInstance, nullptr);
    if (status == nullptr)
        MessageBoxA(nullptr, "Status Bar not created!", nullptr, MB_OK);
    return status;
}

HWND CreateToolbar(HWND parent)
{
    TBBUTTON buttons[std::size(kToolbarEntries)] = {};
    for (size_t i = 0; i < std::size(kToolbarEntries); ++i) {
        const ToolbarEntry &e = kToolbarEntries[i];
        buttons[i].iBitmap = e.separator ? 0 : e.image;
        buttons[i].idCommand = e.command;
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].fsStyle = e.separator ? TBSTYLE_SEP : TBSTYLE_BUTTON;
    }
    const ToolbarStrip strip = ToolbarStripFor(ScreenDpi());
    return CreateToolbarEx(parent, WS_CHILD | WS_VISIBLE | WS_BORDER | TBSTYLE_TOOLTIPS,
                           IDC_TOOLBAR, TOOLBAR_IMAGE_COUNT, hInstance,
                           static_cast<UINT_PTR>(strip.bitmap), buttons,
                           static_cast<int>(std::size(buttons)), strip.size, strip.size,
                           strip.size, strip.size, sizeof(TBBUTTON));
}

int CreateOutputPane(HWND parent, HWND status, HWND toolbar, const CREATESTRUCTA *create)
{
    // The first layout gives the pane its place; the frame always gets a size
    // message before it is first shown.
    (void)status;
    (void)toolbar;
    // A Unicode window, so that an answer shows as written whatever the code
    // page. While Unicode text is off only 7-bit text goes in, which shows
    // the same in either kind of window.
    hwndOutput = CreateWindowExW(
        0, L"EDIT", nullptr,
        WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE, 0, 0, 0, 0,
        parent, reinterpret_cast<HMENU>(IDC_OUTPUT), create->hInstance, nullptr);
    outputReady = false; // a new pane holds no answer
    paneChars = 0;
    paneLastLine = 0;
    SendMessageA(hwndOutput, EM_LIMITTEXT, 0, 0);
    SendMessageA(hwndOutput, EM_SETREADONLY, TRUE, 0);
    return 1;
}

void SetStatusText(const char *text)
{
    if (hwndStatus == nullptr)
        return;
    // Switching to the simple field costs a relayout each time; the bar
    // stays in it once it is there.
    if (!SendMessageA(hwndStatus, SB_ISSIMPLE, 0, 0))
        SendMessageA(hwndStatus, SB_SIMPLE, TRUE, 0);
    if (bUnicodeText) {
        const std::wstring wide = Utf8ToWide(text, std::strlen(text));
        SendMessageW(hwndStatus, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(wide.c_str()));
        return;
    }
    SendMessageA(hwndStatus, SB_SETTEXTA, SB_SIMPLEID, reinterpret_cast<LPARAM>(text));
}

void SetFrameTitle(const char *text)
{
    if (!bUnicodeText) {
        SetWindowTextA(hwndMain, text);
        return;
    }
    // The frame is an ANSI window, whose own handling of the title would
    // reduce it to the code page; the default handling keeps it whole.
    const std::wstring wide = Utf8ToWide(text, std::strlen(text));
    DefWindowProcW(hwndMain, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

void EnableQueryButtons(bool idle, bool notifying)
{
    HWND toolbar = reinterpret_cast<HWND>(SendMessageA(hwndMain, UM_GETTOOLBAR, 0, 0));
    for (int id : kQueryButtons)
        SendMessageA(toolbar, TB_ENABLEBUTTON, static_cast<WPARAM>(id), MAKELONG(idle ? TRUE : FALSE, 0));
    const bool cancel = !idle || notifying;
    SendMessageA(toolbar, TB_ENABLEBUTTON, IDM_CANCELOP, MAKELONG(cancel ? TRUE : FALSE, 0));
}

namespace {

std::string pendingOutput;
DWORD pendingSince;
DWORD pendingAgeLimit; // of the piece gathering now

// Clearing the pane clears what was on its way into it as well.
void DiscardQueuedOutput()
{
    pendingOutput.clear();
    KillTimer(hwndMain, TIMER_OUTPUT);
}

// The size limit of the next piece: it grows with the pane, and it is at
// least twice the pane's last line. Unicode text costs the pane about twice
// as much a byte to take in (its TrueType font, and letters drawn from linked
// fonts), so its pieces are a third as large: one then holds the window
// about half as long as a piece of 7-bit text, not twice as long.
size_t PieceLimit()
{
    const size_t divisor = bUnicodeText ? 3 : 1;
    const size_t grown = std::min<size_t>(OUTPUT_PIECE_BYTES + paneChars / OUTPUT_PIECE_GROWTH,
                                          OUTPUT_PIECE_MAX) /
                         divisor;
    return std::max(grown, 2 * paneLastLine);
}

// A larger piece may wait longer: its append costs more, and a slow stream
// would otherwise pay that cost every OUTPUT_DELAY_MS.
DWORD AgeLimit(size_t piece)
{
    const uint64_t ms = uint64_t{OUTPUT_DELAY_MS} * piece / OUTPUT_PIECE_BYTES;
    return static_cast<DWORD>(std::min<uint64_t>(ms, OUTPUT_DELAY_MAX_MS));
}

// Records what an append added to the pane.
void CountPaneText(const char *text)
{
    const size_t length = std::strlen(text);
    const char *lastBreak = std::strrchr(text, '\n');
    paneChars += length;
    paneLastLine = lastBreak != nullptr ? length - static_cast<size_t>(lastBreak - text) - 1
                                        : paneLastLine + length;
}

// While text goes in, the pane is marked as not visible, as the default
// handling of WM_SETREDRAW marks a window, and it is drawn afresh, scroll
// bars included, at the next paint. Under Wine the pane's own handling of
// WM_SETREDRAW leaves it visible, and every append then draws both scroll
// bars on the spot, which costs more than the rest of a small append.
bool StopPaneDrawing()
{
    if ((GetWindowLongPtrA(hwndOutput, GWL_STYLE) & WS_VISIBLE) == 0)
        return false;
    DefWindowProcA(hwndOutput, WM_SETREDRAW, FALSE, 0);
    return true;
}

void ResumePaneDrawing(bool stopped)
{
    if (!stopped)
        return;
    DefWindowProcA(hwndOutput, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(hwndOutput, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
}

int ClientHeight(HWND hwnd)
{
    RECT rc = {};
    GetClientRect(hwnd, &rc);
    return rc.bottom - rc.top;
}

} // namespace

void LayoutFrame(int width, int height)
{
    const ChildRect s = StatusBarRequest(width, height);
    MoveWindow(hwndStatus, s.x, s.y, s.width, s.height, TRUE);
    SendMessageA(hwndToolbar, TB_AUTOSIZE, 0, 0);
    const int statusHeight = hwndStatus != nullptr ? ClientHeight(hwndStatus) : 0;
    const int toolbarHeight = ClientHeight(hwndToolbar);
    const ChildRect o = OutputPaneRect(width, height, toolbarHeight, statusHeight);
    MoveWindow(hwndOutput, o.x, o.y, o.width, o.height, TRUE);
}

void OfferOutput()
{
    outputReady = true;
    if (bOutputGrayed)
        PostMessageA(hwndMain, WM_COMMAND, IDM_UPDATEOUTPUTSTATE, 0);
}

void ShowOutputState()
{
    FlushOutput(); // the line count below must see every line received
    HMENU menu = GetMenu(hwndMain);
    const UINT menuState = outputReady ? MF_ENABLED : MF_GRAYED | MF_DISABLED;
    for (int id : kOutputMenuItems)
        EnableMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | menuState);
    // A single line is what a short status answer leaves; the toolbar
    // keeps its output buttons for answers of more than one line.
    const bool buttons = outputReady && SendMessageA(hwndOutput, EM_GETLINECOUNT, 0, 0) != 1;
    for (int id : kOutputButtons)
        SendMessageA(hwndToolbar, TB_ENABLEBUTTON, static_cast<WPARAM>(id),
                     MAKELONG(buttons ? TRUE : FALSE, 0));
    bOutputGrayed = !outputReady;
}

void ClearOutput()
{
    DiscardQueuedOutput();
    SendMessageA(hwndOutput, EM_SETSEL, 0, -1);
    SendMessageA(hwndOutput, EM_SETREADONLY, FALSE, 0);
    SendMessageA(hwndOutput, WM_CLEAR, 0, 0);
    SendMessageA(hwndOutput, EM_SETREADONLY, TRUE, 0);
    paneChars = 0;
    paneLastLine = 0;
    SetWindowTextA(hwndMain, "Pellwick");
    SetStatusText("");
    outputReady = false;
    if (!bOutputGrayed)
        PostMessageA(hwndMain, WM_COMMAND, IDM_UPDATEOUTPUTSTATE, 0);
}

namespace {

// Puts the text in at the pane's selection: the program's text, UTF-8 while
// Unicode text is on.
void ReplacePaneSelection(const char *text)
{
    if (!bUnicodeText) {
        SendMessageA(hwndOutput, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text));
        return;
    }
    const std::wstring wide = Utf8ToWide(text, std::strlen(text));
    SendMessageW(hwndOutput, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str()));
}

} // namespace

void AppendOutput(const char *text)
{
    CountPaneText(text);
    DWORD start = 0, end = 0;
    SendMessageA(hwndOutput, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    // The pane has no position for the place after its last character: the
    // caret stands at the end. (Its text length would cost a pass over the
    // whole text on every append.)
    if (start == end && SendMessageA(hwndOutput, EM_POSFROMCHAR, end, 0) == -1) {
        // The text goes in at the caret and the pane follows it.
        const bool stopped = StopPaneDrawing();
        SendMessageA(hwndOutput, EM_SETSEL, static_cast<WPARAM>(-1), 0);
        ReplacePaneSelection(text);
        ResumePaneDrawing(stopped);
        return;
    }
    // The user has clicked, selected or found something: the text still goes
    // to the end, and the selection and the view are put back as they were.
    const DWORD length = static_cast<DWORD>(GetWindowTextLengthW(hwndOutput));
    const LRESULT firstLine = SendMessageA(hwndOutput, EM_GETFIRSTVISIBLELINE, 0, 0);
    const int column = GetScrollPos(hwndOutput, SB_HORZ);
    const bool stopped = StopPaneDrawing();
    SendMessageA(hwndOutput, EM_SETSEL, length, static_cast<LPARAM>(length));
    ReplacePaneSelection(text);
    SendMessageA(hwndOutput, EM_SETSEL, start, static_cast<LPARAM>(end));
    const LRESULT nowFirst = SendMessageA(hwndOutput, EM_GETFIRSTVISIBLELINE, 0, 0);
    if (nowFirst != firstLine)
        SendMessageA(hwndOutput, EM_LINESCROLL, 0, firstLine - nowFirst);
    if (GetScrollPos(hwndOutput, SB_HORZ) != column)
        SendMessageA(hwndOutput, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, column), 0);
    ResumePaneDrawing(stopped);
}

void QueueOutput(const char *text, size_t length)
{
    if (length == 0)
        return;
    const DWORD now = GetTickCount();
    const bool first = pendingOutput.empty();
    try {
        pendingOutput.append(text, length);
    } catch (const std::bad_alloc &) {
        // No room to gather it: what has gathered goes in, then this piece
        // on its own, so the answer stays whole and in order.
        FlushOutput();
        AppendOutput(text);
        return;
    }
    const size_t piece = PieceLimit();
    if (first) {
        pendingSince = now;
        pendingAgeLimit = AgeLimit(piece);
        // The timer covers a server that goes quiet; a steady stream keeps
        // the queue busy, and the timer only fires on an idle queue, so the
        // age check below covers that.
        SetTimer(hwndMain, TIMER_OUTPUT, pendingAgeLimit, nullptr);
    }
    // Each append blocks the thread longer the more it carries, so a fast
    // stream goes in pieces of bounded size as well as bounded age.
    if (now - pendingSince >= pendingAgeLimit || pendingOutput.size() >= piece)
        FlushOutput();
}

void FlushOutput()
{
    if (pendingOutput.empty())
        return;
    KillTimer(hwndMain, TIMER_OUTPUT);
    AppendOutput(pendingOutput.c_str());
    // The room of a piece of a long line is given back rather than kept
    // beside the pane's own copy of the text.
    if (pendingOutput.capacity() > 2 * OUTPUT_PIECE_MAX)
        std::string().swap(pendingOutput);
    else
        pendingOutput.clear();
}

namespace {

// The pane's whole text through one form of the platform's calls: ANSI or
// UTF-16. False, with `text` empty, when no memory could be had for it.
template <typename Char>
bool CopyPaneText(std::basic_string<Char> &text, int(WINAPI *lengthOf)(HWND),
                  int(WINAPI *copy)(HWND, Char *, int))
{
    text.clear();
    const int length = lengthOf(hwndOutput);
    if (length <= 0)
        return true;
    try {
        text.resize(static_cast<size_t>(length) + 1);
    } catch (const std::bad_alloc &) {
        return false;
    }
    const int copied = copy(hwndOutput, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return true;
}

} // namespace

bool OutputText(std::string &text)
{
    FlushOutput();
    text.clear();
    if (bUnicodeText) {
        std::wstring wide;
        if (!OutputTextW(wide))
            return false;
        text = WideToUtf8(wide);
        return text.empty() == wide.empty();
    }
    return CopyPaneText(text, GetWindowTextLengthA, GetWindowTextA);
}

bool OutputTextW(std::wstring &text)
{
    FlushOutput();
    return CopyPaneText(text, GetWindowTextLengthW, GetWindowTextW);
}
