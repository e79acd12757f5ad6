#include "rdap/bootstrap_cache_win.h"

#include <windows.h>

#include <new>

#include "config/config_win.h"
#include "handles/owned_win.h"
#include "rdap/rdap_bootstrap.h"

std::string BootstrapCachePath(const std::string &base, const char *file)
{
    return SettingsFolder() + "\\" + RdapBootstrapCopyName(base, file);
}

bool ReadCachedBootstrap(const std::string &base, const char *file, std::string &text, bool &fresh)
{
    const std::string path = BootstrapCachePath(base, file);
    const OwnedFile in(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!in.IsValid())
        return false;
    LARGE_INTEGER size;
    FILETIME written;
    // A bootstrap file is a few hundred kilobytes; anything past 64 MB is
    // not one.
    if (!GetFileSizeEx(in.Get(), &size) || size.QuadPart > 64 * 1024 * 1024 ||
        !GetFileTime(in.Get(), nullptr, nullptr, &written))
        return false;
    std::string bytes;
    try {
        bytes.resize(static_cast<size_t>(size.QuadPart));
    } catch (const std::bad_alloc &) {
        return false; // a crowded process fetches a copy it can hold
    }
    DWORD read = 0;
    if (!bytes.empty() &&
        (!ReadFile(in.Get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr) ||
         read != bytes.size()))
        return false;
    // A copy written by a program that stopped half-way, or altered since,
    // is fetched anew: a day's wait would not mend it.
    if (!IsRdapBootstrap(bytes))
        return false;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER a, b;
    a.LowPart = written.dwLowDateTime;
    a.HighPart = written.dwHighDateTime;
    b.LowPart = now.dwLowDateTime;
    b.HighPart = now.dwHighDateTime;
    // File times count 100-nanosecond steps; a copy from the future is not
    // trusted to be fresh.
    const ULONGLONG day = static_cast<ULONGLONG>(BOOTSTRAP_FRESH_SECONDS) * 10000000ULL;
    fresh = b.QuadPart >= a.QuadPart && b.QuadPart - a.QuadPart < day;
    text.swap(bytes);
    return true;
}

void StoreBootstrap(const std::string &base, const char *file, const std::string &text)
{
    const std::string path = BootstrapCachePath(base, file);
    const std::string part = path + ".part";
    bool whole = false;
    {
        const OwnedFile out(CreateFileA(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        // Flushed before the rename: after a crash the name holds the old
        // copy or the whole new one, never a new one the disk did not get.
        whole = out.IsValid() &&
                WriteFile(out.Get(), text.data(), static_cast<DWORD>(text.size()), &written,
                          nullptr) &&
                written == text.size() && FlushFileBuffers(out.Get());
    }
    // Whatever failed, no part file stays behind.
    if (!whole || !MoveFileExA(part.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
        DeleteFileA(part.c_str());
}
