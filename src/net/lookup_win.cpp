#include "net/lookup_win.h"

#include <winsock2.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "config/profile_values.h"
#include "frame/messages.h"
#include "net/host_entry_win.h"
#include "net/lookup_both_win.h"
#include "text/unicode_win.h"

HANDLE hLookupTask = nullptr;
char *bufHostEnt = nullptr;

namespace {

// The running lookup's entry; bufHostEnt points into it.
HostEntryBuffer hostEntry;

// A dotted address is looked up backward, by another call, which a failure
// names.
bool byAddress;

// The name asked, in the form the network knows it by, kept while the
// lookup runs.
std::string askedName;

const char *LookupCall()
{
    return byAddress ? "WSAAsyncGetHostByAddr()" : "WSAAsyncGetHostByName()";
}

void ReleaseBuffer()
{
    hostEntry.reset();
    bufHostEnt = nullptr;
    hLookupTask = nullptr;
}

void Fail(int error, QueryPlug &plug)
{
    ReleaseBuffer();
    plug.Failed(error, LookupCall());
}

void ShowLine(const char *line, QueryPlug &plug)
{
    plug.Received(line, std::strlen(line), 0);
}

void ShowEntry(const hostent *entry, char *name, size_t nameSize, QueryPlug &plug)
{
    char line[LOOKUP_LINE_BUFFER];
    in_addr first;
    std::memcpy(&first, entry->h_addr_list[0], sizeof first);
    CopyBounded(name, nameSize, entry->h_name);
    std::snprintf(line, sizeof line, "%s: %s\r\n", name, inet_ntoa(first));
    ShowLine(line, plug);
    for (int i = 0; i < LOOKUP_ALIAS_LIMIT && entry->h_aliases[i] != nullptr; ++i) {
        CopyBounded(name, nameSize, entry->h_aliases[i]);
        std::snprintf(line, sizeof line, "Alias: %s\r\n", name);
        ShowLine(line, plug);
    }
}

} // namespace

bool StartHostLookup(const char *name, HWND window, QueryPlug &plug, Families families)
{
    hostEntry = NewHostEntryBuffer();
    bufHostEnt = hostEntry.get();
    if (!NameOnTheWire(name, askedName)) {
        Fail(WSAHOST_NOT_FOUND, plug); // the owner has refused such a name already
        return false;
    }
    name = askedName.c_str();
    const u_long address = inet_addr(name);
    byAddress = address != INADDR_NONE;
    if (families == Families::Both && !byAddress) {
        // Both families, or an IPv6 address backward, off the window's thread.
        ReleaseBuffer();
        return StartBothLookup(name, window, plug);
    }
    if (byAddress)
        hLookupTask = WSAAsyncGetHostByAddr(window, UM_HOSTLOOKUP,
                                            reinterpret_cast<const char *>(&address), 4, AF_INET,
                                            bufHostEnt, MAXGETHOSTSTRUCT);
    else
        hLookupTask = WSAAsyncGetHostByName(window, UM_HOSTLOOKUP, name, bufHostEnt,
                                            MAXGETHOSTSTRUCT);
    if (hLookupTask != nullptr)
        return true;
    Fail(WSAGetLastError(), plug);
    return false;
}

void ReadHostLookup(WPARAM task, LPARAM result, char *name, size_t nameSize, QueryPlug &plug)
{
    const HANDLE handle = reinterpret_cast<HANDLE>(task);
    if (ReleaseAbandonedLookup(handle))
        return; // the user cancelled this one
    if (handle != hLookupTask || hLookupTask == nullptr)
        return;
    const int error = WSAGETASYNCERROR(result);
    if (error != 0) {
        Fail(error, plug);
        return;
    }
    const hostent *entry = reinterpret_cast<const hostent *>(bufHostEnt);
    if (entry->h_addr_list == nullptr || entry->h_addr_list[0] == nullptr) {
        // A name without an address has nothing to show; the pane stays
        // empty and its commands unavailable.
        Fail(WSANO_DATA, plug);
        return;
    }
    ShowEntry(entry, name, nameSize, plug);
    ReleaseBuffer();
    plug.Closed();
}

void CancelHostLookup()
{
    CancelBothLookup();
    if (hLookupTask == nullptr)
        return;
    WSACancelAsyncRequest(hLookupTask);
    AbandonLookup(hLookupTask, std::move(hostEntry));
    bufHostEnt = nullptr;
    hLookupTask = nullptr;
}
