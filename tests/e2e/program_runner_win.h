// The real pellwick.exe as the end-to-end tests start it: where it is, its
// process, its frame window and the dialogs it opens.
#pragma once

#include <windows.h>

#include <string>

#include "win/test_support_win.h"

// Windows path of pellwick.exe, taken from the test program's command line.
extern std::string programPath;

// The folder that holds pellwick.exe (and the help file beside it).
std::string ProgramFolder();

// A visible top-level window of the process, of the given class and (unless
// null) caption; null if there is none.
HWND FindVisibleWindow(DWORD pid, const char *className, const char *caption = nullptr);

// A visible dialog box of the process (any, or the one with that caption),
// waited for up to 10 seconds; null if none came.
HWND WaitForDialogBox(DWORD pid, const char *caption = nullptr);

// The window class of the help viewer, where WinHelp sends its requests.
extern const char kHelpViewerClass[];

// Asks a running help viewer to end, as a program does when it quits, and
// waits until its process has gone. The viewer runs in a process of its own
// and would outlive the test that opened it.
void QuitHelpViewer();

// One run of the program. Whatever a test leaves running is ended when the
// runner stops, so a failed test never leaves the program behind.
class ProgramRunner {
public:
    ProgramRunner() = default;
    ProgramRunner(const ProgramRunner &) = delete;
    ProgramRunner &operator=(const ProgramRunner &) = delete;
    ~ProgramRunner() { Stop(); }

    // Starts the program and waits up to 20 seconds for its visible frame
    // window; null if it could not be started or no window appeared. The
    // arguments are UTF-8 (for each run below too). With
    // a folder, the program runs with it as its current directory.
    HWND Start(const std::string &args = "", const std::string &folder = "");

    // Starts the program and waits for it to end by itself, as a script
    // does with -e. Its exit code, or 0xFFFFFFFF if it is still running.
    DWORD RunToExit(const std::string &args, DWORD timeoutMs = 30000);
    DWORD WaitForExit(DWORD timeoutMs);

    // Asks the frame to close as the user does and waits up to 20 seconds for
    // the process to end. Its exit code, or 0xFFFFFFFF if it did not end.
    DWORD CloseAndWait(HWND hwnd);

    // Gives the frame a command, as the menu does, and waits for the dialog
    // box it opens (any, or the one with that caption); null if none came.
    HWND OpenDialog(HWND frame, int command, const char *caption = nullptr);

    // Ends the process if it still runs (exit code 99) and lets go of it.
    void Stop();

    DWORD ProcessId() const { return pi.dwProcessId; }
    HANDLE Process() const { return pi.hProcess; }

private:
    bool Launch(const std::string &args, const std::string &folder = "");
    PROCESS_INFORMATION pi = {};
};
