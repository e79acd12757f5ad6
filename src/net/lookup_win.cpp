#include "net/lookup_win.h"

#include <winsock.h>

#include <cstdio>
#include <cstring>

#include "config/profile_values.h"
#include "frame/frame_win.h"
#include "frame/messages.h"
#include "net/connect_win.h"
#include "net/host_entry_win.h"
#include "net/query_win.h"
#include "res/resource.h"

HANDLE hLookupTask = nullptr;
char *bufHostEnt = nullptr;

namespace {

enum { ALIAS_LIMIT = 8 };
// A name of up to 255 characters, its decoration and a dotted address.
enum { LOOKUP_LINE_BUFFER = 300 };

// The running lookup's entry; bufHostEnt points into it.
HostEntryBuffer hostEntry;

// A dotted address is looked up backward, by another call, which a failure
// names.
bool byAddress;

void ReleaseBuffer()
{
    hostEntry.reset();
    bufHostEnt = nullptr;
    hLookupTask = nullptr;
}

void ReturnToIdle()
{
    bBusy = false;
    nQueryKind = QUERY_NONE;
    PostMessageA(hwndMain, WM_COMMAND, IDM_UPDATEBUSYSTATE, 0);
}

void ShowEntry(const hostent *entry)
{
    char line[LOOKUP_LINE_BUFFER];
    in_addr first;
    std::memcpy(&first, entry->h_addr_list[0], sizeof first);
    CopyBounded(szHost, sizeof szHost, entry->h_name);
    std::snprintf(line, sizeof line, "%s: %s\r\n", szHost, inet_ntoa(first));
    AppendOutput(line);
    for (int i = 0; i < ALIAS_LIMIT && entry->h_aliases[i] != nullptr; ++i) {
        CopyBounded(szHost, sizeof szHost, entry->h_aliases[i]);
        std::snprintf(line, sizeof line, "Alias: %s\r\n", szHost);
        AppendOutput(line);
    }
}

} // namespace

int StartHostLookup(const char *name)
{
    SendMessageA(hwndMain, WM_COMMAND, IDM_CLEAR, 0);
    hostEntry = NewHostEntryBuffer();
    bufHostEnt = hostEntry.get();
    const u_long address = inet_addr(name);
    byAddress = address != INADDR_NONE;
    if (byAddress)
        hLookupTask = WSAAsyncGetHostByAddr(hwndMain, UM_HOSTLOOKUP,
                                            reinterpret_cast<const char *>(&address), 4, AF_INET,
                                            bufHostEnt, MAXGETHOSTSTRUCT);
    else
        hLookupTask = WSAAsyncGetHostByName(hwndMain, UM_HOSTLOOKUP, name, bufHostEnt,
                                            MAXGETHOSTSTRUCT);
    if (hLookupTask != nullptr)
        return 0;
    const int error = WSAGetLastError();
    ReleaseBuffer();
    return error;
}

void OnHostLookup(WPARAM task, LPARAM result)
{
    const HANDLE handle = reinterpret_cast<HANDLE>(task);
    if (ReleaseAbandonedLookup(handle))
        return; // the user cancelled this one
    if (handle != hLookupTask || hLookupTask == nullptr)
        return;
    const int error = WSAGETASYNCERROR(result);
    if (error != 0) {
        FailHostLookup(error);
        return;
    }
    const hostent *entry = reinterpret_cast<const hostent *>(bufHostEnt);
    if (entry->h_addr_list == nullptr || entry->h_addr_list[0] == nullptr) {
        // A name without an address has nothing to show; the pane stays
        // empty and its commands unavailable.
        FailHostLookup(WSANO_DATA);
        return;
    }
    ShowEntry(entry);
    ReleaseBuffer();
    ReturnToIdle();
    OfferOutput();
    SendMessageA(hwndMain, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwndMain), 0);
}

void FailHostLookup(int error)
{
    ReleaseBuffer();
    ShowWinsockError(error, byAddress ? "WSAAsyncGetHostByAddr()" : "WSAAsyncGetHostByName()");
    ReturnToIdle();
    SendMessageA(hwndMain, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwndMain), 0);
}

void CancelHostLookup()
{
    bBusy = false;
    nQueryKind = QUERY_NONE;
    if (hLookupTask != nullptr) {
        WSACancelAsyncRequest(hLookupTask);
        AbandonLookup(hLookupTask, std::move(hostEntry));
        bufHostEnt = nullptr;
        hLookupTask = nullptr;
    }
    PostMessageA(hwndMain, WM_COMMAND, IDM_UPDATEBUSYSTATE, 0);
    SetStatusText("Operation Cancelled");
}
