// What a full output pane costs: Find Next over a 1 MB pane, Save As of it
// (the save itself, without the dialog), and the peak working set of a
// process whose pane takes a 10 MB WhoIs answer.
//
// The answers come from the loopback WhoIs server that bench/run starts
// (bench_whois_server, outside this process), so that this process holds
// nothing of an answer but what Pellwick holds. The peak is taken first,
// in a fresh process: the query's peak working set less the idle window's,
// beside what stays held once the answer is in (the working set less the
// idle window's), which no way of getting the answer into the pane can go
// below. --peak-only stops there; --pane-only leaves it out. A peak size
// with "u" before it ("u1m") is the server's UTF-8 answer, taken with
// Unicode text on from the start, as the saved setting starts the program.
//   pellwick_pane_bench SERVER_IP [--peak-size 10m|u1m] [--pane-size 1m] [--runs 5]
//                       [--peak-only | --pane-only]
// Prints one table row per figure (see result_row.h); exits non-zero only
// when something is broken: an answer that did not arrive whole, a search
// that did not select its text, a file that does not hold the pane.
#include <windows.h>
#include <winsock2.h>
#include <commdlg.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/app_win.h"
#include "frame/frame_win.h"
#include "frame/options.h"
#include "frame/placement_win.h"
#include "bench_window_win.h"
#include "clock_win.h"
#include "config/config_win.h"
#include "net/query_win.h"
#include "output/find_win.h"
#include "output/save_win.h"
#include "res/resource.h"
#include "result_row.h"
#include "sample_answer.h"
#include "temporary_config_win.h"
#include "text/text_mode.h"

namespace {

const double kMb = 1024.0 * 1024.0;
const double kQueryDeadlineSec = 900.0;

PROCESS_MEMORY_COUNTERS MemoryCounters()
{
    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof pmc;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc))
        return PROCESS_MEMORY_COUNTERS{};
    return pmc;
}

double PeakWorkingSetMb() { return static_cast<double>(MemoryCounters().PeakWorkingSetSize) / kMb; }
double WorkingSetMb() { return static_cast<double>(MemoryCounters().WorkingSetSize) / kMb; }

// The most a 1 MB answer may add to the working set at its peak, in times
// what stays held once it is in: the control's own copy of the text is
// there in any case, and growing it copies it once more.
const double kPeakTargetRatio = 1.5;

// A WhoIs query for the answer to the loopback server, run through the
// program's own loop to its completion. False when it did not complete in
// time.
bool RunWhoisQuery(const char *server, const ServedAnswer &answer)
{
    char query[32];
    std::snprintf(query, sizeof query, "%s%luk", answer.unicode ? "u" : "",
                  static_cast<unsigned long>(answer.size >> 10));
    wOptions = 0;
    ResetByteCount();
    if (BeginWhoisQuery(query, server) != 0)
        return false;
    const double deadline = Now() + kQueryDeadlineSec;
    MSG msg;
    while (bBusy || sockQuery != INVALID_SOCKET) {
        if (Now() > deadline) {
            SendMessageA(hwndMain, WM_COMMAND, IDM_CANCELOP, 0);
            return false;
        }
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message != WM_QUIT)
                DispatchThreadMessage(msg);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        }
    }
    PumpPending();
    return true;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string TempFile(const char *name)
{
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    return std::string(dir) + name;
}

std::string ReadFileBytes(const std::string &path)
{
    std::string bytes;
    if (FILE *f = std::fopen(path.c_str(), "rb")) {
        char buffer[65536];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            bytes.append(buffer, n);
        std::fclose(f);
    }
    return bytes;
}

// The peak working set of a query for the answer, and of saving it.
bool MeasurePeak(const char *server, const ServedAnswer &answer)
{
    const size_t size = answer.size;
    const std::string answerName = SizeName(size) + (answer.unicode
                                                         ? " UTF-8 WhoIs answer, Unicode text on,"
                                                         : " WhoIs answer");
    const double idle = PeakWorkingSetMb();
    const double idleHeld = WorkingSetMb();
    if (!RunWhoisQuery(server, answer)) {
        PrintResultRow({"pane", answerName + ": BROKEN, the query did not complete", 0, "MB", "",
                        0, "", "broken"});
        return false;
    }
    const double received = PeakWorkingSetMb();
    const double held = WorkingSetMb() - idleHeld;
    const std::string path = TempFile("pellwick_bench_peak.txt");
    SaveOutputToFile(path.c_str());
    const double saved = PeakWorkingSetMb();
    DeleteFileA(path.c_str());
    const double answerMb = static_cast<double>(size) / kMb;
    char measure[200];
    std::snprintf(measure, sizeof measure,
                  "%s in the pane: peak working set over the idle window's (peak %.0f "
                  "MB, idle %.0f MB)",
                  answerName.c_str(), received, idle);
    const bool targeted = size == 1024 * 1024;
    char target[32] = "";
    if (targeted)
        std::snprintf(target, sizeof target, "ratio <= %.1f", kPeakTargetRatio);
    PrintResultRow({"pane", measure, received - idle, "MB",
                    "held once it is in: working set over the idle window's", held, target,
                    targeted ? TargetStatus(received - idle <= kPeakTargetRatio * held) : ""});
    std::snprintf(measure, sizeof measure,
                  "the same, after saving it to a file too (peak %.0f MB)", saved);
    PrintResultRow({"pane", measure, saved - idle, "MB", "the answer's size", answerMb, "", ""});
    if (PaneText() != ExpectedPaneText(MakeServedAnswer(answer))) {
        PrintResultRow({"pane", answerName + ": BROKEN, the pane differs from the answer", 0,
                        "MB", "", 0, "", "broken"});
        return false;
    }
    return true;
}

// Find Next (the Find dialog's handler, without the dialog) for the pane's
// last line, from the top of a pane holding an answer of `size`.
bool MeasureFind(const std::string &text, size_t size, int runs)
{
    // The last whole line, or its first 40 characters: text that a user
    // looks for at the end, which a search from the top finds last.
    const size_t lineEnd = text.rfind("\r\n", text.size() - 3);
    const size_t lineStart = text.rfind("\r\n", lineEnd - 1) + 2;
    const std::string what = text.substr(lineStart, std::min<size_t>(40, lineEnd - lineStart));
    const size_t expectedAt = text.find(what);
    lstrcpynA(szFindWhat, what.c_str(), sizeof szFindWhat);
    FINDREPLACEA fr = {};
    fr.lStructSize = sizeof fr;
    fr.Flags = FR_FINDNEXT;
    fr.lpstrFindWhat = szFindWhat;
    std::vector<double> findMs, copyMs, memoryMs;
    for (int r = 0; r < runs; ++r) {
        SendMessageA(hwndOutput, EM_SETSEL, 0, 0);
        SendMessageA(hwndOutput, EM_SCROLLCARET, 0, 0);
        PumpPending();
        nFindStart = 0;
        double start = Now();
        OnFindReplace(reinterpret_cast<LPARAM>(&fr));
        findMs.push_back((Now() - start) * 1e3);
        DWORD from = 0, to = 0;
        SendMessageA(hwndOutput, EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                     reinterpret_cast<LPARAM>(&to));
        PumpPending();
        if (from != expectedAt || to != expectedAt + what.size()) {
            PrintResultRow({"pane", "Find Next: BROKEN, the text found is not selected", 0, "ms",
                            "", 0, "", "broken"});
            return false;
        }
        start = Now();
        std::string copy;
        OutputText(copy);
        copyMs.push_back((Now() - start) * 1e3);
        start = Now();
        const size_t at = copy.find(what);
        memoryMs.push_back((Now() - start) * 1e3);
        if (at != expectedAt)
            return false;
    }
    char measure[220];
    std::snprintf(measure, sizeof measure,
                  "Find Next, %s pane, a line at %.0f%% of it from the top (copying the "
                  "text out: %.1f ms)",
                  SizeName(size).c_str(),
                  100.0 * static_cast<double>(expectedAt) / static_cast<double>(text.size()),
                  Median(copyMs));
    PrintResultRow({"pane", measure, Median(findMs), "ms",
                    "the same search in a copy already in memory", Median(memoryMs), "", ""});
    return true;
}

// Saving the pane to a file (what Save As does once the dialog has closed).
bool MeasureSave(const std::string &text, size_t size, int runs)
{
    const std::string path = TempFile("pellwick_bench_save.txt");
    std::vector<double> saveMs, writeMs;
    for (int r = 0; r < runs; ++r) {
        DeleteFileA(path.c_str());
        double start = Now();
        const int saved = SaveOutputToFile(path.c_str());
        saveMs.push_back((Now() - start) * 1e3);
        if (saved != 1 || ReadFileBytes(path) != text) {
            PrintResultRow({"pane", "Save As: BROKEN, the file does not hold the pane", 0, "ms",
                            "", 0, "", "broken"});
            DeleteFileA(path.c_str());
            return false;
        }
        DeleteFileA(path.c_str());
        start = Now();
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD wrote = 0;
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &wrote, nullptr);
        CloseHandle(file);
        writeMs.push_back((Now() - start) * 1e3);
    }
    DeleteFileA(path.c_str());
    char measure[160];
    std::snprintf(measure, sizeof measure,
                  "Save As, %s pane, to a new file, without the dialog", SizeName(size).c_str());
    PrintResultRow({"pane", measure, Median(saveMs), "ms",
                    "one WriteFile of the same bytes from memory", Median(writeMs), "", ""});
    return true;
}

int Usage()
{
    std::fprintf(stderr, "usage: pellwick_pane_bench SERVER_IP [--peak-size 10m|u1m] "
                         "[--pane-size 1m] [--runs 5] [--peak-only | --pane-only]\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc < 2)
        return Usage();
    const char *server = argv[1];
    ServedAnswer peak;
    peak.size = 10 * 1024 * 1024;
    size_t paneSize = 1024 * 1024;
    int runs = 5;
    bool peakOnly = false;
    bool paneOnly = false;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--peak-size" && i + 1 < argc)
            peak = ParseServedAnswer(argv[++i]);
        else if (arg == "--pane-size" && i + 1 < argc)
            paneSize = ParseSize(argv[++i]);
        else if (arg == "--runs" && i + 1 < argc)
            runs = std::atoi(argv[++i]);
        else if (arg == "--peak-only")
            peakOnly = true;
        else if (arg == "--pane-only")
            paneOnly = true;
        else
            return Usage();
    }
    // Find and Save are measured on the plain answer's pane alone.
    if (peak.size == 0 || paneSize == 0 || runs < 1 || (peakOnly && paneOnly) ||
        (peak.unicode && !peakOnly))
        return Usage();

    WSADATA wsa;
    if (WSAStartup(MAKEWORD(1, 1), &wsa) != 0) {
        std::fprintf(stderr, "WSAStartup failed\n");
        return 1;
    }
    bool ok = true;
    {
        TemporaryConfig config;
        // As the saved setting, read when the window is made: the pane gets
        // its font for Unicode text, as when the program starts with it. The
        // setting goes to the file that the installation key names.
        if (peak.unicode) {
            ReadInstallValues();
            bUnicodeText = true;
            WriteUnicodeSetting();
        }
        if (!OpenMainWindow()) {
            std::fprintf(stderr, "the main window could not be made\n");
            WSACleanup();
            return 1;
        }
        if (!paneOnly)
            ok = MeasurePeak(server, peak);
        if (peakOnly) {
            CloseMainWindow();
            WSACleanup();
            return ok ? 0 : 1;
        }
        // The pane for Find and Save in one append, as the program appends:
        // what matters to them is the text the pane holds, not how it came.
        ClearPane();
        const std::string text = ExpectedPaneText(MakeAnswer(paneSize, kWhoisAnswerSeed));
        AppendOutput(text.c_str());
        PumpPending();
        if (PaneText() != text) {
            std::fprintf(stderr, "the pane does not hold the appended text\n");
            ok = false;
        } else {
            ok = MeasureFind(text, paneSize, runs) && ok;
            ok = MeasureSave(text, paneSize, runs) && ok;
        }
        CloseMainWindow();
    }
    WSACleanup();
    return ok ? 0 : 1;
}
