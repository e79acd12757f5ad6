#include "win/test_support_win.h"

#include <wincrypt.h>

#include <cstdio>
#include <ostream>

#include "config/config_names.h"

std::string UniqueTempPath(const char *stem)
{
    static unsigned serial;
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    char path[MAX_PATH + 64];
    std::snprintf(path, sizeof path, "%s%s_%lu_%u.ini", dir, stem,
                  static_cast<unsigned long>(GetCurrentProcessId()), ++serial);
    DeleteFileA(path);
    return path;
}

std::string BareConfigPath()
{
    char dir[MAX_PATH];
    GetWindowsDirectoryA(dir, sizeof dir);
    return std::string(dir) + "\\" + CONFIG_BARE_NAME;
}

void SetInstallValue(const char *name, const std::string &value)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, REG_KEY_PELLWICK, 0, nullptr, 0, KEY_WRITE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
}

void DeleteInstallKey()
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, REG_KEY_PELLWICK);
}

DWORD RunAndWait(const std::string &commandLine, DWORD timeoutMs)
{
    std::string cmd = commandLine;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return 0xFFFFFFFF;
    DWORD code = 0xFFFFFFFF;
    if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &code);
    else
        TerminateProcess(pi.hProcess, 99);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return code;
}

namespace {
const char kDesktopKey[] = "Control Panel\\Desktop";
} // namespace

ScreenDpiSetting::ScreenDpiSetting(DWORD dpi)
{
    DWORD size = sizeof old_;
    had_ = RegGetValueA(HKEY_CURRENT_USER, kDesktopKey, "LogPixels", RRF_RT_REG_DWORD, nullptr,
                        &old_, &size) == ERROR_SUCCESS;
    RegSetKeyValueA(HKEY_CURRENT_USER, kDesktopKey, "LogPixels", REG_DWORD, &dpi, sizeof dpi);
}

ScreenDpiSetting::~ScreenDpiSetting()
{
    if (had_)
        RegSetKeyValueA(HKEY_CURRENT_USER, kDesktopKey, "LogPixels", REG_DWORD, &old_, sizeof old_);
    else
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kDesktopKey, "LogPixels");
}

std::string ReadWholeFile(const std::string &path)
{
    std::string text;
    if (FILE *f = std::fopen(path.c_str(), "rb")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
            text.append(buf, n);
        std::fclose(f);
    }
    return text;
}

void WriteWholeFile(const std::string &path, const std::string &text)
{
    if (FILE *f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
}

bool PathExists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool TrustTestRoot()
{
    char exe[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, exe, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return false;
    std::string path(exe, n);
    path = path.substr(0, path.find_last_of('\\') + 1) + "tls\\root.der";
    const std::string der = ReadWholeFile(path);
    if (der.empty())
        return false;
    HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0,
                                     CERT_SYSTEM_STORE_LOCAL_MACHINE, "ROOT");
    if (store == nullptr)
        return false;
    const BOOL added = CertAddEncodedCertificateToStore(
        store, X509_ASN_ENCODING, reinterpret_cast<const BYTE *>(der.data()),
        static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    CertCloseStore(store, 0);
    return added != FALSE;
}

std::string WindowsPathOf(const std::string &path)
{
    if (path.empty() || path[0] != '/')
        return path;
    std::string out = "Z:" + path;
    for (char &c : out)
        if (c == '/')
            c = '\\';
    return out;
}

TestConfigFile::TestConfigFile(const char *stem, const std::string &text)
    : path(UniqueTempPath(stem))
{
    WriteWholeFile(path, text);
    SetInstallValue(REG_VALUE_CFGFILE, path);
}

TestConfigFile::~TestConfigFile()
{
    DeleteInstallKey();
    DeleteFileA(path.c_str());
}

void SleepBetweenLooks() { Sleep(50); }

bool WaitUntil(DWORD timeoutMs, const std::function<bool()> &ready, void (*between)())
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (ready())
            return true;
        if (GetTickCount64() >= deadline)
            return false;
        between();
    }
}

std::string Caption(HWND window)
{
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string WindowText(HWND control)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length))
        return "";
    std::string text(static_cast<size_t>(length) + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                             SMTO_ABORTIFHUNG, 2000, &copied))
        return "";
    text.resize(copied < text.size() ? static_cast<size_t>(copied) : 0);
    return text;
}

std::string MessageBoxText(HWND box)
{
    char text[512] = "";
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    return text;
}

std::string ClassOf(HWND window)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

namespace {

struct WindowFilter {
    DWORD pid;
    const char *className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM lParam)
{
    WindowFilter *filter = reinterpret_cast<WindowFilter *>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if ((filter->pid == 0 || pid == filter->pid) && IsWindowVisible(window) &&
        (filter->className == nullptr || ClassOf(window) == filter->className))
        filter->found.push_back(window);
    return TRUE;
}

} // namespace

std::vector<HWND> VisibleWindows(DWORD pid, const char *className)
{
    WindowFilter filter = {pid, className, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&filter));
    return filter.found;
}

RECT DialogUnitRect(int left, int top, int width, int height)
{
    const LONG units = GetDialogBaseUnits();
    const int x = LOWORD(units), y = HIWORD(units);
    RECT rc = {left * x / 4, top * y / 8, 0, 0};
    rc.right = rc.left + width * x / 4;
    rc.bottom = rc.top + height * y / 8;
    return rc;
}

RECT WindowRectOf(HWND window)
{
    RECT rc = {};
    GetWindowRect(window, &rc);
    return rc;
}

bool operator==(const RECT &a, const RECT &b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

void PrintTo(const RECT &r, std::ostream *out)
{
    *out << "(" << r.left << ", " << r.top << ") - (" << r.right << ", " << r.bottom << ")";
}
