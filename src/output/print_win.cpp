#include "output/print_win.h"

#include <commdlg.h>

#include <new>
#include <string>
#include <vector>

#include "config/scoped_win.h"
#include "frame/frame_win.h"

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
    void StartPage() override { ::StartPage(dc_); }
    void Line(int y, const char *text, int length) override { TextOutA(dc_, 0, y, text, length); }
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

int PrintPane(HWND owner, HWND pane, const char *label, const PrintMetrics &metrics, int copies,
              bool collate, PageOutput &out)
{
    (void)pane; // the output pane, read through OutputText
    // The job prints the text as it stands now: the abort procedure lets
    // answers and notification ticks go on while the pages are sent, and
    // they must not mix another answer into this one.
    std::string text;
    if (!OutputText(text))
        return 0;
    const size_t lines = CountLines(text);
    const int lineCount = lines > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(lines);
    const PrintFigures f = ComputePrintFigures(lineCount, metrics);
    // A device that cannot hold one character or one line prints nothing,
    // rather than dividing by zero.
    if (!f.usable)
        return 0;
    // Where each page starts in the text, so that copies can go back to it.
    std::vector<size_t> pageStarts;
    try {
        pageStarts.resize(static_cast<size_t>(f.pageCount));
    } catch (const std::bad_alloc &) {
        return 0;
    }
    size_t at = 0;
    for (int p = 0; p < f.pageCount; ++p) {
        pageStarts[static_cast<size_t>(p)] = at;
        for (int l = 0; l < f.linesPerPage && at < text.size(); ++l)
            at = LineAt(text, at).next;
    }

    EnableWindow(owner, FALSE);
    bool success = true;
    bPrintAbort = false;
    bPrintQuit = false;
    hwndPrintBox = CreateDialogA(hInstance, "PRINTDLGBOX", owner, PrintDlgProc);
    (void)label; // the box has no place for it; the caller names the job by the title

    char name[40] = "";
    GetWindowTextA(owner, name, sizeof name);
    bool started = out.StartJob(name);
    if (!started) {
        success = false;
    } else {
        PageOrder order(f.pageCount, copies, collate);
        for (int page; order.Next(page);) {
            out.StartPage();
            size_t from = pageStarts[static_cast<size_t>(page)];
            for (int l = 0; l < f.linesPerPage; ++l) {
                const long long index = static_cast<long long>(page) * f.linesPerPage + l;
                if (index >= lineCount)
                    break;
                const TextLine line = LineAt(text, from);
                // A line longer than the page is wide is cut there.
                const size_t shown = line.length < static_cast<size_t>(f.charsPerLine)
                                         ? line.length
                                         : static_cast<size_t>(f.charsPerLine);
                out.Line(l * f.lineHeight, text.data() + line.begin, static_cast<int>(shown));
                from = line.next;
            }
            if (!out.EndPage()) {
                success = false;
                break;
            }
            if (bPrintAbort || bPrintQuit)
                break;
        }
    }
    // A cancelled job is abandoned, never finished with an end of document;
    // so is one whose program is ending.
    if (success && !bPrintAbort && !bPrintQuit)
        out.EndJob();
    else if (started)
        out.AbandonJob();
    if (!bPrintAbort) {
        EnableWindow(owner, TRUE);
        // The box goes with its owner when the main window was destroyed
        // while the pages were sent.
        if (IsWindow(hwndPrintBox))
            DestroyWindow(hwndPrintBox);
        hwndPrintBox = nullptr;
    }
    if (bPrintQuit) {
        bPrintQuit = false;
        PostQuitMessage(static_cast<int>(wPrintQuitCode));
        return 0;
    }
    return success && !bPrintAbort ? 1 : 0;
}

int PrintOutput(HINSTANCE instance, HWND owner, HWND pane, const char *label)
{
    (void)instance; // the box comes from the program's own resources
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
    return PrintPane(owner, pane, label, metrics, pd.nCopies, (pd.Flags & PD_COLLATE) != 0, out);
}

INT_PTR CALLBACK PrintDlgProc(HWND box, UINT msg, WPARAM, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        // Only the Cancel button ends the job, not the caption's Close.
        EnableMenuItem(GetSystemMenu(box, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
        CenterDialog(box);
        return TRUE;
    case WM_COMMAND:
        bPrintAbort = true;
        EnableWindow(GetWindow(box, GW_OWNER), TRUE);
        DestroyWindow(box);
        hwndPrintBox = nullptr;
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL CALLBACK AbortProc(HDC, int)
{
    MSG msg;
    while (!bPrintAbort && !bPrintQuit && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        // The quit belongs to the message loop, which ends the program with
        // it: the job is abandoned and the quit posted again after it.
        if (msg.message == WM_QUIT) {
            bPrintQuit = true;
            wPrintQuitCode = msg.wParam;
            break;
        }
        if (hwndPrintBox != nullptr && IsDialogMessageA(hwndPrintBox, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return !bPrintAbort && !bPrintQuit;
}
