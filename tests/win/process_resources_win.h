// What the test process holds of the system's resources, for tests that run
// many operations and look for anything left behind.
#pragma once

#include <windows.h>

#include <cstddef>

struct ProcessResources {
    // As the platform reports them. Wine answers 0 for all three whatever is
    // open, so the counts below are what a test can rely on there.
    DWORD reportedHandles = 0;
    DWORD reportedGdi = 0;
    DWORD reportedUser = 0;
    // Counted directly: entries of this process in the system's handle list
    // and in the GDI handle table (-1 where that cannot be read), and the
    // windows of the calling thread, message-only ones included.
    long handles = -1;
    long gdi = -1;
    long windows = 0;
    size_t workingSet = 0;
};

ProcessResources MeasureProcessResources();
