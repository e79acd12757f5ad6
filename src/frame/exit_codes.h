// How a run ends, as a script that started it with -e reads its exit code.
// Portable.
#pragma once

enum {
    EXIT_WHOLE = 0,       // the answer arrived whole (and, with -s, was saved whole)
    EXIT_NOT_STARTED = 1, // the query could not start, or the program could not run
    EXIT_SAVE_FAILED = 2, // the -s file could not be written whole
    EXIT_CUT_OFF = 3,     // the connection failed after the request, or the answer
                          // passed its limit; what came is still saved
};
