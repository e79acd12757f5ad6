// The owner of a socket: closed when its owner is done with it, or when
// another takes its place.
#pragma once

#include <windows.h>
#include <winsock2.h>

#include "handles/owned_win.h"

namespace owned_kind {

struct Socket {
    using Handle = SOCKET;
    static Handle None() { return INVALID_SOCKET; }
    static void Release(Handle s) { closesocket(s); }
};

} // namespace owned_kind

using OwnedSocket = Owned<owned_kind::Socket>; // socket()'s; "none" is INVALID_SOCKET
