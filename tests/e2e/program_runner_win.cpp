#include "e2e/program_runner_win.h"

#include <gtest/gtest.h>

std::string programPath;

HWND FindVisibleWindow(DWORD pid, const char *className, const char *caption)
{
    for (HWND window : VisibleWindows(pid, className))
        if (caption == nullptr || Caption(window) == caption)
            return window;
    return nullptr;
}

std::string ProgramFolder()
{
    const size_t slash = programPath.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : programPath.substr(0, slash);
}

bool ProgramRunner::Launch(const std::string &args, const std::string &folder)
{
    Stop();
    const std::string line = "\"" + programPath + "\"" + (args.empty() ? "" : " " + args);
    // The line is UTF-8, handed on whole as a user's shell hands it on.
    std::wstring cmd(line.size() + 1, L'\0');
    cmd.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, line.c_str(), -1, &cmd[0],
                                                       static_cast<int>(cmd.size()))));
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    const std::wstring dir(folder.begin(), folder.end()); // the test folders are ASCII
    if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : dir.c_str(), &si, &pi)) {
        ADD_FAILURE() << "cannot start " << programPath << ": " << GetLastError();
        pi = {};
        return false;
    }
    return true;
}

HWND ProgramRunner::Start(const std::string &args, const std::string &folder)
{
    if (!Launch(args, folder))
        return nullptr;
    HWND hwnd = nullptr;
    return WaitUntil(20000, [&] {
        hwnd = FindVisibleWindow(pi.dwProcessId, "PELLWICK32");
        return hwnd != nullptr;
    }) ? hwnd : nullptr;
}

DWORD ProgramRunner::RunToExit(const std::string &args, DWORD timeoutMs)
{
    if (!Launch(args))
        return 0xFFFFFFFF;
    return WaitForExit(timeoutMs);
}

DWORD ProgramRunner::WaitForExit(DWORD timeoutMs)
{
    if (WaitForSingleObject(pi.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return 0xFFFFFFFF;
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(pi.hProcess, &code);
    return code;
}

DWORD ProgramRunner::CloseAndWait(HWND hwnd)
{
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 20000) != WAIT_OBJECT_0)
        return 0xFFFFFFFF;
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(pi.hProcess, &code);
    return code;
}

HWND ProgramRunner::OpenDialog(HWND frame, int command, const char *caption)
{
    PostMessageA(frame, WM_COMMAND, static_cast<WPARAM>(command), 0);
    return WaitForDialogBox(pi.dwProcessId, caption);
}

void ProgramRunner::Stop()
{
    if (pi.hProcess == nullptr)
        return;
    // Waits for the end so the next test's program never overlaps this one.
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(pi.hProcess, 99);
        WaitForSingleObject(pi.hProcess, 5000);
    }
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    pi = {};
}

HWND WaitForDialogBox(DWORD pid, const char *caption)
{
    HWND box = nullptr;
    return WaitUntil(10000, [&] {
        box = FindVisibleWindow(pid, "#32770", caption);
        return box != nullptr;
    }) ? box : nullptr;
}

const char kHelpViewerClass[] = "MS_WINHELP";

void QuitHelpViewer()
{
    HWND viewer = FindWindowA(kHelpViewerClass, nullptr);
    if (viewer == nullptr)
        return;
    DWORD pid = 0;
    GetWindowThreadProcessId(viewer, &pid);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    WinHelpA(nullptr, "pllwck32.hlp", HELP_QUIT, 0);
    if (process != nullptr) {
        EXPECT_EQ(WaitForSingleObject(process, 10000), WAIT_OBJECT_0) << "the help viewer stays";
        CloseHandle(process);
    }
}
