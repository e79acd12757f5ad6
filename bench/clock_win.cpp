#include "clock_win.h"

#include <windows.h>

double Now()
{
    static const double period = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return 1.0 / static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * period;
}

std::string WineVersion()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    FARPROC proc = ntdll != nullptr ? GetProcAddress(ntdll, "wine_get_version") : nullptr;
    if (proc == nullptr)
        return "Windows";
    using VersionFn = const char *(*)();
    const VersionFn version = reinterpret_cast<VersionFn>(reinterpret_cast<void (*)()>(proc));
    return std::string("Wine ") + version();
}
