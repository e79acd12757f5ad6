// Buffers that WinSock's asynchronous resolver writes a host entry into.
#pragma once

#include <windows.h>
#include <winsock2.h>

#include <memory>

using HostEntryBuffer = std::unique_ptr<char[]>;

// A buffer of MAXGETHOSTSTRUCT bytes for one lookup.
HostEntryBuffer NewHostEntryBuffer();

// Cancelling a lookup does not stop WinSock from answering later and writing
// the entry into the buffer it was given, so a lookup that was given up
// hands its buffer here, where it stays until that late answer has come.
void AbandonLookup(HANDLE task, HostEntryBuffer buffer);

// A lookup's answer came: frees its buffer if the lookup had been given up.
// True when it had, and the answer belongs to nobody.
bool ReleaseAbandonedLookup(HANDLE task);
