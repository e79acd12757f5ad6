#include "e2e/program_runner_win.h"

#include <gtest/gtest.h>

#include <cstring>

std::string programPath;

namespace {

struct Search {
    DWORD pid;
    const char *className;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM lParam)
{
    Search *s = reinterpret_cast<Search *>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char cls[64];
    if (pid == s->pid && GetClassNameA(hwnd, cls, sizeof cls) &&
        std::strcmp(cls, s->className) == 0 && IsWindowVisible(hwnd)) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND FindVisibleWindow(DWORD pid, const char *className)
{
    Search s = {pid, className, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

bool ProgramRunner::Launch(const std::string &args)
{
    Stop();
    std::string cmd = "\"" + programPath + "\"" + (args.empty() ? "" : " " + args);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
        ADD_FAILURE() << "cannot start " << programPath << ": " << GetLastError();
        pi = {};
        return false;
    }
    return true;
}

HWND ProgramRunner::Start(const std::string &args)
{
    if (!Launch(args))
        return nullptr;
    HWND hwnd = nullptr;
    WaitUntil(20000, [&] {
        hwnd = FindVisibleWindow(pi.dwProcessId, "PELLWICK32");
        return hwnd != nullptr;
    });
    return hwnd;
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

namespace {

struct BoxSearch {
    DWORD pid;
    const char *caption;
    HWND found;
};

BOOL CALLBACK MatchBox(HWND hwnd, LPARAM lParam)
{
    BoxSearch *s = reinterpret_cast<BoxSearch *>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char cls[16] = "", caption[128] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    GetWindowTextA(hwnd, caption, sizeof caption);
    if (pid == s->pid && IsWindowVisible(hwnd) && std::string(cls) == "#32770" &&
        (s->caption == nullptr || std::string(caption) == s->caption)) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND WaitForDialogBox(DWORD pid, const char *caption)
{
    BoxSearch s = {pid, caption, nullptr};
    WaitUntil(10000, [&] {
        s.found = nullptr;
        EnumWindows(MatchBox, reinterpret_cast<LPARAM>(&s));
        return s.found != nullptr;
    });
    return s.found;
}

std::string MessageBoxText(HWND box)
{
    char text[512] = "";
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    return text;
}
