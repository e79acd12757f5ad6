#include "net/progress_win.h"

#include <windows.h>

#include <cstdio>

#include "frame/frame_win.h"
#include "frame/messages.h"

namespace {

struct ProgressState {
    uint32_t count = 0;   // the latest count noted
    bool shown = false;   // this query has shown a count
    DWORD shownAt = 0;    // when it last did
    bool behind = false;  // the count has grown since
    bool ticking = false; // TIMER_PROGRESS runs
};
ProgressState progress;

void ShowByteCount()
{
    char text[64];
    std::snprintf(text, sizeof text, "Finger - Received %lu bytes.",
                  static_cast<unsigned long>(progress.count));
    SetWindowTextA(hwndMain, text);
    SetStatusText(text);
    progress.shown = true;
    progress.shownAt = GetTickCount();
    progress.behind = false;
}

void StopProgressTimer()
{
    if (progress.ticking)
        KillTimer(hwndMain, TIMER_PROGRESS);
    progress.ticking = false;
}

} // namespace

void ResetProgress()
{
    StopProgressTimer();
    progress = ProgressState();
}

void NoteProgress(uint32_t count)
{
    progress.count = count;
    if (!progress.shown || GetTickCount() - progress.shownAt >= PROGRESS_INTERVAL_MS) {
        ShowByteCount();
        return;
    }
    progress.behind = true;
    if (!progress.ticking) {
        SetTimer(hwndMain, TIMER_PROGRESS, PROGRESS_INTERVAL_MS, nullptr);
        progress.ticking = true;
    }
}

void CatchUpProgress()
{
    if (progress.behind)
        ShowByteCount();
    StopProgressTimer();
}

void OnProgressTick()
{
    if (progress.behind && GetTickCount() - progress.shownAt >= PROGRESS_INTERVAL_MS)
        ShowByteCount();
    if (!progress.behind)
        StopProgressTimer();
}
