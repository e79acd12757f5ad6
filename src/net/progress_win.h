// An answer's byte count in the title and the status bar, "Finger - Received
// %lu bytes.". Setting both costs more than reading a chunk, so a fast
// answer shows its count at most every PROGRESS_INTERVAL_MS, the exact count
// as soon as the reads pause for as long, and the exact count again before
// whatever ends the query takes the title or the status bar over.
#pragma once

#include <cstdint>

enum { PROGRESS_INTERVAL_MS = 100 };

// A new query shows its first count at once.
void ResetProgress();
// The count has grown to `count`: shown now when the last showing is old
// enough, otherwise by TIMER_PROGRESS, which fires only while no other
// message waits, that is once the reads have paused.
void NoteProgress(uint32_t count);
// Shows the exact count if the last one shown is behind, and stops the timer.
void CatchUpProgress();
// WM_TIMER with TIMER_PROGRESS.
void OnProgressTick();
