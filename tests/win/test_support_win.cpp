#include "win/test_support_win.h"

#include <cstdio>

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
