#include "temporary_config_win.h"

#include <windows.h>

#include <cstdio>

#include "config/config_names.h"

TemporaryConfig::TemporaryConfig()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, REG_KEY_PELLWICK, 0, KEY_READ, &key) ==
        ERROR_SUCCESS) {
        keyExisted_ = true;
        char value[CFGFILE_BUFFER] = "";
        DWORD size = sizeof value - 1;
        DWORD type = 0;
        if (RegQueryValueExA(key, REG_VALUE_CFGFILE, nullptr, &type,
                             reinterpret_cast<BYTE *>(value), &size) == ERROR_SUCCESS &&
            type == REG_SZ) {
            valueExisted_ = true;
            oldValue_ = value;
        }
        RegCloseKey(key);
    }
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    char path[MAX_PATH + 64];
    std::snprintf(path, sizeof path, "%spellwick_bench_%lu.ini", dir,
                  static_cast<unsigned long>(GetCurrentProcessId()));
    path_ = path;
    if (FILE *f = std::fopen(path_.c_str(), "wb")) {
        std::fputs("[pellwick]\r\n", f);
        std::fclose(f);
    }
    SetValue(path_);
}

TemporaryConfig::~TemporaryConfig()
{
    if (!keyExisted_) {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, REG_KEY_PELLWICK);
    } else if (valueExisted_) {
        SetValue(oldValue_);
    } else {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, REG_KEY_PELLWICK, 0, KEY_WRITE, &key) ==
            ERROR_SUCCESS) {
            RegDeleteValueA(key, REG_VALUE_CFGFILE);
            RegCloseKey(key);
        }
    }
    DeleteFileA(path_.c_str());
}

void TemporaryConfig::SetValue(const std::string &value)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, REG_KEY_PELLWICK, 0, nullptr, 0, KEY_WRITE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, REG_VALUE_CFGFILE, 0, REG_SZ,
                   reinterpret_cast<const BYTE *>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
}
