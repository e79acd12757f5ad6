#include "app/html_help_win.h"

#include <htmlhelp.h>

#include <string>

namespace {

typedef HWND(WINAPI *HtmlHelpProc)(HWND, LPCSTR, UINT, DWORD_PTR);

// The control's entry, loaded on the first need and kept for the program's
// life; null where the system has none.
HtmlHelpProc HtmlHelpEntry()
{
    static bool tried = false;
    static HtmlHelpProc entry = nullptr;
    if (tried)
        return entry;
    tried = true;
    char folder[MAX_PATH];
    const UINT n = GetSystemDirectoryA(folder, sizeof folder);
    if (n == 0 || n >= sizeof folder)
        return nullptr;
    const std::string path = std::string(folder, n) + "\\hhctrl.ocx";
    HMODULE control = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (control != nullptr)
        entry = reinterpret_cast<HtmlHelpProc>(
            reinterpret_cast<void *>(GetProcAddress(control, "HtmlHelpA")));
    return entry;
}

// pllwck32.chm beside pellwick.exe, by its full path; "" when it is not there.
std::string HelpFileBesideProgram()
{
    char exe[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, exe, sizeof exe);
    if (n == 0 || n >= sizeof exe)
        return std::string();
    std::string path(exe, n);
    path = path.substr(0, path.find_last_of('\\') + 1) + "pllwck32.chm";
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return std::string();
    return path;
}

bool opened = false;

} // namespace

bool OpenHtmlHelp(HWND owner, const char *topic)
{
    const std::string file = HelpFileBesideProgram();
    if (file.empty())
        return false;
    const HtmlHelpProc entry = HtmlHelpEntry();
    if (entry == nullptr)
        return false;
    // "file::/page" opens a page of the file; the file alone its default topic.
    const std::string target = topic == nullptr ? file : file + "::/" + topic;
    if (entry(owner, target.c_str(), HH_DISPLAY_TOPIC, 0) == nullptr)
        return false;
    opened = true;
    return true;
}

void CloseHtmlHelp()
{
    if (opened)
        HtmlHelpEntry()(nullptr, nullptr, HH_CLOSE_ALL, 0);
    opened = false;
}
