#include "output/print_win.h"

#include <commdlg.h>

#include <new>

#include "app/app_win.h"
#include "app/frame_win.h"

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
    bool EndPage() override { return ::EndPage(dc_) >= 0; }
    void EndJob() override { EndDoc(dc_); }
    void AbandonJob() override { AbortDoc(dc_); }

private:
    HDC dc_;
};

// Fetches line `index` of the pane into `buffer`, at most `room` characters.
int FetchLine(HWND pane, int index, char *buffer, int room)
{
    // The edit control reads the buffer's size from its first two bytes.
    const WORD size = static_cast<WORD>(room > 0xFFFF ? 0xFFFF : room);
    buffer[0] = static_cast<char>(size & 0xFF);
    buffer[1] = static_cast<char>(size >> 8);
    const LRESULT got = SendMessageA(pane, EM_GETLINE, index, reinterpret_cast<LPARAM>(buffer));
    return static_cast<int>(got < 0 ? 0 : got > room ? room : got);
}

} // namespace

int PrintPane(HWND owner, HWND pane, const char *label, const PrintMetrics &metrics, int copies,
              bool collate, PageOutput &out)
{
    FlushOutput();
    const int lineCount = static_cast<int>(SendMessageA(pane, EM_GETLINECOUNT, 0, 0));
    if (lineCount <= 0)
        return 1;
    const PrintFigures f = ComputePrintFigures(lineCount, metrics);
    // A device that cannot hold one character or one line prints nothing,
    // rather than dividing by zero.
    if (!f.usable)
        return 0;
    // The buffer holds one printed line, and at least the two bytes the edit
    // control reads its size from.
    const int room = f.charsPerLine < 2 ? 2 : f.charsPerLine;
    char *buffer = new (std::nothrow) char[static_cast<size_t>(room) + 1]();
    if (buffer == nullptr)
        return 0;

    EnableWindow(owner, FALSE);
    bool success = true;
    bPrintAbort = false;
    hwndPrintBox = CreateDialogA(hInstance, "PRINTDLGBOX", owner, PrintDlgProc);
    SetDlgItemTextA(hwndPrintBox, 10, label);

    char name[40] = "";
    GetWindowTextA(owner, name, sizeof name);
    bool started = out.StartJob(name);
    if (!started) {
        success = false;
    } else {
        PageOrder order(f.pageCount, copies, collate);
        for (int page; order.Next(page);) {
            out.StartPage();
            for (int l = 0; l < f.linesPerPage; ++l) {
                const long long index = static_cast<long long>(page) * f.linesPerPage + l;
                if (index >= lineCount)
                    break;
                const int n = FetchLine(pane, static_cast<int>(index), buffer, f.charsPerLine);
                out.Line(l * f.lineHeight, buffer, n);
            }
            if (!out.EndPage()) {
                success = false;
                break;
            }
            if (bPrintAbort)
                break;
        }
    }
    // A cancelled job is abandoned, never finished with an end of document.
    if (success && !bPrintAbort)
        out.EndJob();
    else if (started)
        out.AbandonJob();
    if (!bPrintAbort) {
        EnableWindow(owner, TRUE);
        DestroyWindow(hwndPrintBox);
        hwndPrintBox = nullptr;
    }
    delete[] buffer;
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
    if (!PrintDlgA(&pd))
        return 1;
    int result = 1;
    if (pd.hDC != nullptr) {
        TEXTMETRICA tm = {};
        GetTextMetricsA(pd.hDC, &tm);
        const PrintMetrics metrics = {static_cast<int>(tm.tmHeight),
                                      static_cast<int>(tm.tmExternalLeading),
                                      static_cast<int>(tm.tmAveCharWidth),
                                      GetDeviceCaps(pd.hDC, HORZRES), GetDeviceCaps(pd.hDC, VERTRES)};
        SetAbortProc(pd.hDC, AbortProc);
        PrinterOutput out(pd.hDC);
        result = PrintPane(owner, pane, label, metrics, pd.nCopies,
                           (pd.Flags & PD_COLLATE) != 0, out);
        DeleteDC(pd.hDC);
    }
    // The choice made in the dialog serves this job only.
    if (pd.hDevMode != nullptr)
        GlobalFree(pd.hDevMode);
    if (pd.hDevNames != nullptr)
        GlobalFree(pd.hDevNames);
    return result;
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
    while (!bPrintAbort && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (hwndPrintBox != nullptr && IsDialogMessageA(hwndPrintBox, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return !bPrintAbort;
}
