#include "output/print_win.h"

#include <commdlg.h>

#include <string>
#include <string_view>

#include "frame/frame_win.h"
#include "handles/owned_win.h"
#include "text/text_mode.h"

bool bPrintAbort;
HWND hwndPrintBox;

namespace {

// The printer, through the platform's job and page calls.
class PrinterOutput : public PageOutput {
public:
    explicit PrinterOutput(HDC dc) : dc_(dc) {}
    bool StartJob(const char *documentName) override
    {
        DOCINFOA doc = {};
        doc.cbSize = sizeof doc;
        doc.lpszDocName = documentName;
        return StartDocA(dc_, &doc) > 0;
    }
    bool StartJobW(const wchar_t *documentName) override
    {
        DOCINFOW doc = {};
        doc.cbSize = sizeof doc;
        doc.lpszDocName = documentName;
        return StartDocW(dc_, &doc) > 0;
    }
    void StartPage() override { ::StartPage(dc_); }
    void Line(int y, const char *text, int length) override { TextOutA(dc_, 0, y, text, length); }
    void LineW(int y, const wchar_t *text, int length) override
    {
        TextOutW(dc_, 0, y, text, length);
    }
    // The platform reports a failed or abandoned page as 0 or less.
    bool EndPage() override { return ::EndPage(dc_) > 0; }
    void EndJob() override { EndDoc(dc_); }
    void AbandonJob() override { AbortDoc(dc_); }

private:
    HDC dc_;
};

// A quit message that the abort procedure took from the queue while a job
// was printing: the job ends, and the quit is posted again once it has.
bool bPrintQuit;
WPARAM wPrintQuitCode;

} // namespace

namespace {

// A job is named after the window's title, as far as 39 characters of it:
// in the code page, or whole in UTF-16 while Unicode text is on.
bool StartNamedJob(HWND owner, PageOutput &out, const std::string &)
{
    char name[40] = "";
    GetWindowTextA(owner, name, sizeof name);
    return out.StartJob(name);
}

bool StartNamedJob(HWND owner, PageOutput &out, const std::wstring &)
{
    // The frame is an ANSI window, whose own handling of the title gives it
    // in the code page; the default handling gives the title as it is kept.
    wchar_t name[40] = L"";
    int length = static_cast<int>(DefWindowProcW(owner, WM_GETTEXT, sizeof name / sizeof name[0],
                                                 reinterpret_cast<LPARAM>(name)));
    // The title is cut at its last whole character.
    if (length > 0 && name[length - 1] >= 0xD800 && name[length - 1] <= 0xDBFF)
        name[--length] = L'\0';
    return out.StartJobW(name);
}

void PrintLine(PageOutput &out, const std::string &text, const PrintedLine &line)
{
    out.Line(line.y, text.data() + line.begin, static_cast<int>(line.length));
}

void PrintLine(PageOutput &out, const std::wstring &text, const PrintedLine &line)
{
    out.LineW(line.y, text.data() + line.begin, static_cast<int>(line.length));
}

bool CopyPaneText(std::string &text) { return OutputText(text); }
bool CopyPaneText(std::wstring &text) { return OutputTextW(text); }

// The "Cancel Printing" box for as long as a job runs, over the main window,
// which is disabled beneath it.
class CancelBox {
public:
    explicit CancelBox(HWND owner) : owner_(owner)
    {
        EnableWindow(owner, FALSE);
        // The box disowns its owner as it goes, which it may do before the
        // job ends: on its Cancel, or with the main window.
        box_.Reset(CreateDialogParamA(hInstance, "PRINTDLGBOX", owner, PrintDlgProc,
                                      reinterpret_cast<LPARAM>(&box_)));
    }
    // The main window is enabled before the box goes, so that it, and not
    // another program's window, takes the activation back.
    ~CancelBox() { EnableWindow(owner_, TRUE); }
    CancelBox(const CancelBox &) = delete;
    CancelBox &operator=(const CancelBox &) = delete;

private:
    HWND owner_;
    OwnedWindow box_;
};

// Sends the pages in the order the copies want; false when a page failed.
// A cancel or a quit stops it after the page being sent.
template <typename Text>
bool SendPages(const Text &text, const PrintPlan &plan, int copies, bool collate,
               PageOutput &out)
{
    const std::basic_string_view<typename Text::value_type> view(text);
    PageOrder order(plan.figures.pageCount, copies, collate);
    for (int page; order.Next(page);) {
        out.StartPage();
        PageLines lines(view, plan, page);
        for (PrintedLine line; lines.Next(line);)
            PrintLine(out, text, line);
        if (!out.EndPage())
            return false;
        if (bPrintAbort || bPrintQuit)
            break;
    }
    return true;
}

// The job from its start to its end; false when it could not start or a
// page failed.
template <typename Text>
bool RunJob(HWND owner, const Text &text, const PrintPlan &plan, int copies, bool collate,
            PageOutput &out)
{
    const CancelBox box(owner);
    if (!StartNamedJob(owner, out, text))
        return false;
    const bool sent = SendPages(text, plan, copies, collate, out);
    // A cancelled job is abandoned, never finished with an end of document;
    // so is one whose program is ending.
    if (sent && !bPrintAbort && !bPrintQuit)
        out.EndJob();
    else
        out.AbandonJob();
    return sent;
}

// The job over the pane's text in the form `Text` holds it: bytes of the
// code page, or UTF-16 units.
template <typename Text>
int PrintText(HWND owner, const PrintMetrics &metrics, int copies, bool collate, PageOutput &out)
{
    // The job prints the text as it stands now: the abort procedure lets
    // answers and notification ticks go on while the pages are sent, and
    // they must not mix another answer into this one.
    Text text;
    if (!CopyPaneText(text))
        return 0;
    // A device that cannot hold one character or one line prints nothing,
    // rather than dividing by zero.
    PrintPlan plan;
    if (!PlanPages(std::basic_string_view<typename Text::value_type>(text), metrics, plan))
        return 0;

    bPrintAbort = false;
    bPrintQuit = false;
    const bool success = RunJob(owner, text, plan, copies, collate, out);
    if (bPrintQuit) {
        bPrintQuit = false;
        PostQuitMessage(static_cast<int>(wPrintQuitCode));
        return 0;
    }
    return success && !bPrintAbort ? 1 : 0;
}

} // namespace

int PrintPane(HWND owner, const PrintMetrics &metrics, int copies, bool collate, PageOutput &out)
{
    if (bUnicodeText)
        return PrintText<std::wstring>(owner, metrics, copies, collate, out);
    return PrintText<std::string>(owner, metrics, copies, collate, out);
}

int PrintOutput(HINSTANCE instance, HWND owner, HWND pane, const char *label)
{
    // The menu command's call gives them; the job needs none of them.
    (void)instance;
    (void)pane;
    (void)label;
    PRINTDLGA pd = {};
    pd.lStructSize = sizeof pd;
    pd.hwndOwner = owner;
    pd.Flags = PD_RETURNDC | PD_COLLATE;
    pd.nCopies = 1;
    const BOOL chosen = PrintDlgA(&pd);
    // The choice made in the dialog serves this job only. The printer's
    // context goes first: the job on it has ended by then.
    const OwnedGlobal devNames(pd.hDevNames);
    const OwnedGlobal devMode(pd.hDevMode);
    const OwnedDC dc(pd.hDC);
    if (!chosen || !dc.IsValid())
        return 1;
    TEXTMETRICA tm = {};
    GetTextMetricsA(dc.Get(), &tm);
    const PrintMetrics metrics = {
        static_cast<int>(tm.tmHeight), static_cast<int>(tm.tmExternalLeading),
        static_cast<int>(tm.tmAveCharWidth), GetDeviceCaps(dc.Get(), HORZRES),
        GetDeviceCaps(dc.Get(), VERTRES)};
    SetAbortProc(dc.Get(), AbortProc);
    PrinterOutput out(dc.Get());
    return PrintPane(owner, metrics, pd.nCopies, (pd.Flags & PD_COLLATE) != 0, out);
}

INT_PTR CALLBACK PrintDlgProc(HWND box, UINT msg, WPARAM, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG:
        // The box's owner, where a job holds one, is told when the box goes.
        SetWindowLongPtrA(box, DWLP_USER, lParam);
        hwndPrintBox = box;
        // Only the Cancel button ends the job, not the caption's Close.
        EnableMenuItem(GetSystemMenu(box, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
        CenterDialog(box);
        return TRUE;
    case WM_COMMAND:
        bPrintAbort = true;
        EnableWindow(GetWindow(box, GW_OWNER), TRUE);
        DestroyWindow(box);
        return TRUE;
    case WM_DESTROY:
        // However the box goes, on its Cancel, at the job's end or with the
        // main window, it is no longer up, and its owner must not destroy it
        // again (nor a window that takes its handle after it).
        if (auto *owner = reinterpret_cast<OwnedWindow *>(GetWindowLongPtrA(box, DWLP_USER)))
            owner->Disown();
        if (hwndPrintBox == box)
            hwndPrintBox = nullptr;
        return FALSE;
    default:
        return FALSE;
    }
}

BOOL CALLBACK AbortProc(HDC, int)
{
    // Taken and handed on in UTF-16, as the main loop does, so that what is
    // typed meanwhile into a Unicode window (the Find dialog) stays whole.
    MSG msg;
    while (!bPrintAbort && !bPrintQuit && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        // The quit belongs to the message loop, which ends the program with
        // it: the job is abandoned and the quit posted again after it.
        if (msg.message == WM_QUIT) {
            bPrintQuit = true;
            wPrintQuitCode = msg.wParam;
            break;
        }
        if (hwndPrintBox != nullptr && IsDialogMessageW(hwndPrintBox, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return !bPrintAbort && !bPrintQuit;
}
