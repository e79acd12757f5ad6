// How long Pellwick takes to start: from CreateProcess to its main window
// waiting for input (and on to its exit when that window is closed at once,
// in the log); beside it a minimal windowed program of our own, which closes
// its window as soon as it is shown, and a console program that does
// nothing, started the same way under the same Windows (or Wine), whose
// server is already running. Each figure is the median of several starts
// after one start that is not counted (the first start of a program reads it
// from disk and may set up the prefix).
//   pellwick_startup_bench PELLWICK MINIMAL CONSOLE [--runs N]
// Prints one table row per figure (see result_row.h) and the runs behind
// them; exits non-zero only when a program did not start or did not end.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "clock_win.h"
#include "result_row.h"
#include "win/test_support_win.h"

namespace {

const DWORD kEndWithinMs = 30000;

struct Start {
    bool ok = false;
    double idleMs = 0;  // to WaitForInputIdle's return; 0 when it did not wait
    double exitMs = 0;  // to the end of the process
};

// Starts `path` and times it. With a class name the program is waited for
// until it is idle, and its visible window of that class is then closed as a
// user closes it; without one it is left to end by itself.
Start Run(const std::string &path, const char *closeClass)
{
    Start run;
    std::string cmd = "\"" + path + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    const double start = Now();
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
        std::fprintf(stderr, "cannot start %s: error %lu\n", path.c_str(), GetLastError());
        return run;
    }
    if (closeClass != nullptr) {
        if (WaitForInputIdle(pi.hProcess, kEndWithinMs) == 0)
            run.idleMs = (Now() - start) * 1e3;
        const std::vector<HWND> shown = VisibleWindows(pi.dwProcessId, closeClass);
        if (!shown.empty())
            PostMessageA(shown.front(), WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(pi.hProcess, kEndWithinMs) == WAIT_OBJECT_0) {
        run.exitMs = (Now() - start) * 1e3;
        DWORD code = 1;
        GetExitCodeProcess(pi.hProcess, &code);
        run.ok = code == 0 && (closeClass == nullptr || run.idleMs > 0);
        if (!run.ok)
            std::fprintf(stderr, "%s: exit code %lu, idle %s\n", path.c_str(), code,
                         run.idleMs > 0 ? "seen" : "not seen");
    } else {
        std::fprintf(stderr, "%s did not end within %lu ms\n", path.c_str(), kEndWithinMs);
        TerminateProcess(pi.hProcess, 99);
        WaitForSingleObject(pi.hProcess, 5000);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return run;
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Series {
    std::vector<double> idleMs;
    std::vector<double> exitMs;
    bool ok = true;
};

Series Measure(const char *name, const std::string &path, const char *closeClass, int runs)
{
    Series series;
    std::printf("%-9s", name);
    for (int r = 0; r <= runs; ++r) {
        const Start run = Run(path, closeClass);
        if (!run.ok) {
            series.ok = false;
            break;
        }
        // The first start is shown but not counted.
        std::printf(r == 0 ? " (%.0f" : " %.0f", run.exitMs);
        if (closeClass != nullptr)
            std::printf("/%.0f", run.idleMs);
        std::printf(r == 0 ? ")" : "");
        if (r == 0)
            continue;
        series.idleMs.push_back(run.idleMs);
        series.exitMs.push_back(run.exitMs);
    }
    std::printf("\n");
    std::fflush(stdout);
    return series;
}

int Usage()
{
    std::fprintf(stderr, "usage: pellwick_startup_bench PELLWICK MINIMAL CONSOLE [--runs N]\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc != 4 && !(argc == 6 && std::strcmp(argv[4], "--runs") == 0))
        return Usage();
    const int runs = argc == 6 ? std::atoi(argv[5]) : 5;
    if (runs < 1)
        return Usage();

    std::printf("Start-up under %s, in ms: start to exit (/ to idle), first start in "
                "brackets and not counted\n",
                WineVersion().c_str());
    const Series console = Measure("console", argv[3], nullptr, runs);
    const Series minimal = Measure("minimal", argv[2], "PellwickBenchMinimal", runs);
    const Series pellwick = Measure("pellwick", argv[1], "PELLWICK32", runs);
    if (!console.ok || !minimal.ok || !pellwick.ok)
        return 1;

    PrintResultRow({"start-up", "pellwick.exe: start to idle main window",
                    Median(pellwick.idleMs), "ms",
                    "minimal window program: start, window shown, closed, exit",
                    Median(minimal.exitMs), "", ""});
    PrintResultRow({"start-up", "minimal window program: start, window shown, closed, exit",
                    Median(minimal.exitMs), "ms", "console program that does nothing: start to exit",
                    Median(console.exitMs), "", ""});
    return 0;
}
