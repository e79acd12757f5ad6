#include "win/process_resources_win.h"

#include <psapi.h>

#include <vector>

namespace {

typedef LONG(WINAPI *QuerySystemFn)(ULONG, PVOID, ULONG, PULONG);
typedef LONG(WINAPI *QueryProcessFn)(HANDLE, ULONG, PVOID, ULONG, PULONG);

template <typename Fn> Fn NtFunction(const char *name)
{
    return reinterpret_cast<Fn>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("ntdll.dll"), name)));
}

// The system's list of open handles (information class 16).
struct HandleEntry {
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT value;
    PVOID object;
    ULONG access;
};
struct HandleList {
    ULONG count;
    HandleEntry entries[1];
};

long CountOwnHandles()
{
    QuerySystemFn query = NtFunction<QuerySystemFn>("NtQuerySystemInformation");
    if (query == nullptr)
        return -1;
    std::vector<char> buf(1 << 16);
    for (int tries = 0; tries < 8; ++tries) {
        ULONG needed = 0;
        const LONG status =
            query(16, buf.data(), static_cast<ULONG>(buf.size()), &needed);
        if (status == 0) {
            const HandleList *list = reinterpret_cast<const HandleList *>(buf.data());
            long own = 0;
            for (ULONG i = 0; i < list->count; ++i)
                if (list->entries[i].ownerPid == GetCurrentProcessId())
                    ++own;
            return own;
        }
        buf.resize(buf.size() * 4); // the list was longer than the buffer
    }
    return -1;
}

// The GDI handle table that the process environment block points to: 24-byte
// entries of a 64-bit process, the owner's id (low 16 bits) at offset 8 and
// the object type at 14, 0 for a free entry. Stock objects have owner 0.
long CountOwnGdiObjects()
{
#ifdef _WIN64
    QueryProcessFn query = NtFunction<QueryProcessFn>("NtQueryInformationProcess");
    if (query == nullptr)
        return -1;
    ULONG_PTR basic[6] = {}; // PROCESS_BASIC_INFORMATION; [1] is the PEB
    if (query(GetCurrentProcess(), 0, basic, sizeof basic, nullptr) != 0 || basic[1] == 0)
        return -1;
    const BYTE *peb = reinterpret_cast<const BYTE *>(basic[1]);
    const BYTE *table = *reinterpret_cast<const BYTE *const *>(peb + 0xF8);
    if (table == nullptr)
        return -1;
    const USHORT self = static_cast<USHORT>(GetCurrentProcessId());
    long used = 0;
    for (int i = 0; i < 0x10000; ++i) {
        const BYTE *entry = table + 24 * i;
        const USHORT owner = *reinterpret_cast<const USHORT *>(entry + 8);
        if (entry[14] != 0 && (owner == self || owner == 0))
            ++used;
    }
    return used;
#else
    return -1;
#endif
}

BOOL CALLBACK CountChild(HWND, LPARAM count)
{
    ++*reinterpret_cast<long *>(count);
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND hwnd, LPARAM count)
{
    ++*reinterpret_cast<long *>(count);
    EnumChildWindows(hwnd, CountChild, count);
    return TRUE;
}

long CountThreadWindows()
{
    long count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountTopLevel, reinterpret_cast<LPARAM>(&count));
    for (HWND w = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); w != nullptr;
         w = FindWindowExA(HWND_MESSAGE, w, nullptr, nullptr)) {
        if (GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId())
            CountTopLevel(w, reinterpret_cast<LPARAM>(&count));
    }
    return count;
}

} // namespace

ProcessResources MeasureProcessResources()
{
    ProcessResources r;
    GetProcessHandleCount(GetCurrentProcess(), &r.reportedHandles);
    r.reportedGdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    r.reportedUser = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    r.handles = CountOwnHandles();
    r.gdi = CountOwnGdiObjects();
    r.windows = CountThreadWindows();
    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof pmc;
    if (GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc))
        r.workingSet = pmc.WorkingSetSize;
    return r;
}
