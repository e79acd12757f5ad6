// Printing the output pane, page by page, with a box that cancels the job.
#pragma once

#include <windows.h>

#include "frame/dialog_place_win.h"
#include "output/print_plan.h"

extern bool bPrintAbort;     // the user cancelled the running job
// The "Cancel Printing" box while it is up: its procedure sets it as the box
// comes and clears it as the box goes.
extern HWND hwndPrintBox;

// Where the pages of a job go: the printer, or a recorder in the tests.
// While Unicode text is on, a job is named and its lines are given in UTF-16
// (the W calls), otherwise in the code page, as ever.
class PageOutput {
public:
    virtual ~PageOutput() = default;
    virtual bool StartJob(const char *documentName) = 0; // false: the job cannot start
    virtual bool StartJobW(const wchar_t *documentName) = 0;
    virtual void StartPage() = 0;
    virtual void Line(int y, const char *text, int length) = 0;
    virtual void LineW(int y, const wchar_t *text, int length) = 0; // length in UTF-16 units
    virtual bool EndPage() = 0;  // false: the page failed or the job was abandoned
    virtual void EndJob() = 0;
    virtual void AbandonJob() = 0;
};

// File > Print: the print dialog, then the job on the chosen printer.
// 1 when printed to the end or when there was nothing to do; 0 when the job
// failed or was cancelled. Only `owner` counts: the box comes from the
// program's own resources, the text from the output pane, and the job is
// named after the window's title.
int PrintOutput(HINSTANCE instance, HWND owner, HWND pane, const char *label);

// The job itself, after the dialog: the pane's text as it stands when the
// job starts (its UTF-16 while Unicode text is on), figures from `metrics`,
// the main window `owner` disabled and the box shown while the pages go to
// `out`. A quit message that arrives meanwhile abandons the job and is
// posted again when it has ended.
int PrintPane(HWND owner, const PrintMetrics &metrics, int copies, bool collate, PageOutput &out);

PELLWICK_EXPORT INT_PTR CALLBACK PrintDlgProc(HWND box, UINT msg, WPARAM wParam, LPARAM lParam);
PELLWICK_EXPORT BOOL CALLBACK AbortProc(HDC dc, int code);
