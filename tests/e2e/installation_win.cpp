#include "e2e/installation_win.h"

#include <objbase.h>
#include <shlobj.h>

#include <vector>

namespace {

std::string ShellFolder(int csidl)
{
    char path[MAX_PATH] = "";
    if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return "";
    return path;
}

} // namespace

std::string InstallFolder()
{
    return ShellFolder(CSIDL_PROGRAM_FILES) + "\\Pellwick32";
}

std::string ShortcutPath(const char *name)
{
    return ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\" + name + ".lnk";
}

bool ReadMachineString(const char *key, const char *value, REGSAM view, std::string &out)
{
    out.clear();
    HKEY h;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ | view, &h) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, bytes = 0;
    LONG rc = RegQueryValueExA(h, value, nullptr, &type, nullptr, &bytes);
    if (rc == ERROR_SUCCESS && type == REG_SZ) {
        std::vector<char> buf(bytes + 1, '\0');
        rc = RegQueryValueExA(h, value, nullptr, &type, reinterpret_cast<BYTE *>(buf.data()),
                              &bytes);
        out = buf.data();
    }
    RegCloseKey(h);
    return rc == ERROR_SUCCESS && type == REG_SZ;
}

bool MachineKeyExists(const char *key, REGSAM view)
{
    HKEY h;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ | view, &h) != ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

void DeleteMachineTree(const char *key)
{
    HKEY h;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_ALL_ACCESS | PROGRAM_VIEW, &h) !=
        ERROR_SUCCESS)
        return;
    RegDeleteTreeA(h, nullptr);
    RegCloseKey(h);
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, key, PROGRAM_VIEW, 0);
}

std::string ShortcutTarget(const std::string &link)
{
    std::string target;
    const bool initialised = SUCCEEDED(CoInitialize(nullptr));
    IShellLinkA *shellLink = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IShellLinkA, reinterpret_cast<void **>(&shellLink)))) {
        IPersistFile *file = nullptr;
        if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile,
                                                reinterpret_cast<void **>(&file)))) {
            wchar_t wide[MAX_PATH];
            char path[MAX_PATH] = "";
            if (MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH) > 0 &&
                SUCCEEDED(file->Load(wide, STGM_READ)) &&
                SUCCEEDED(shellLink->GetPath(path, MAX_PATH, nullptr, 0)))
                target = path;
            file->Release();
        }
        shellLink->Release();
    }
    if (initialised)
        CoUninitialize();
    return target;
}
