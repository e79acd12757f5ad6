#include "net/blocking_win.h"

#include <cstring>

#include "net/host_entry_win.h"

namespace {

const UINT WM_LOOKUP_DONE = WM_APP + 1;
const UINT WM_CONNECT_DONE = WM_APP + 2;
const UINT_PTR TIMER_WAIT = 1;

struct Wait {
    bool active;
    bool done;
    bool answered; // the lookup's own answer arrived
    int error;
    HANDLE task;   // the lookup being waited for
    SOCKET sock;   // the socket being connected
};
Wait wait;

HWND hwndWait;

void DispatchPlainly(MSG &msg)
{
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

MessageDispatcher dispatchMessage = DispatchPlainly;

void Finish(int error)
{
    wait.error = error;
    wait.done = true;
}

LRESULT CALLBACK WaitWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_LOOKUP_DONE: {
        HANDLE task = reinterpret_cast<HANDLE>(wParam);
        if (wait.active && !wait.done && task == wait.task) {
            wait.answered = true;
            Finish(WSAGETASYNCERROR(lParam));
            return 0;
        }
        ReleaseAbandonedLookup(task);
        return 0;
    }
    case WM_CONNECT_DONE:
        if (wait.active && !wait.done && static_cast<SOCKET>(wParam) == wait.sock &&
            WSAGETSELECTEVENT(lParam) == FD_CONNECT)
            Finish(WSAGETSELECTERROR(lParam));
        return 0;
    case WM_TIMER:
        if (wParam == TIMER_WAIT && wait.active && !wait.done)
            Finish(WSAETIMEDOUT);
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

// The window that receives the completions: message-only, never shown.
HWND WaitWindow()
{
    if (hwndWait != nullptr)
        return hwndWait;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WaitWndProc;
    wc.hInstance = instance;
    wc.lpszClassName = "PellwickWait";
    RegisterClassA(&wc);
    hwndWait = CreateWindowExA(0, "PellwickWait", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               instance, nullptr);
    return hwndWait;
}

// Begins a wait, refusing a second one as WinSock refused a second blocking
// call.
bool Begin()
{
    if (wait.active) {
        WSASetLastError(WSAEINPROGRESS);
        return false;
    }
    if (WaitWindow() == nullptr) {
        WSASetLastError(WSAENOBUFS);
        return false;
    }
    wait = Wait{true, false, false, 0, nullptr, INVALID_SOCKET};
    return true;
}

// Takes and dispatches the thread's messages until the wait is over. A quit
// message ends the wait as a cancel does and is put back for the main loop.
int RunWait(DWORD timeoutMs)
{
    if (timeoutMs != 0)
        SetTimer(hwndWait, TIMER_WAIT, timeoutMs, nullptr);
    MSG msg;
    while (!wait.done) {
        // Taken in UTF-16, as the main loop takes them: what is typed into a
        // Unicode window meanwhile stays whole.
        if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            Finish(WSAEINTR);
            break;
        }
        dispatchMessage(msg);
    }
    if (timeoutMs != 0)
        KillTimer(hwndWait, TIMER_WAIT);
    wait.active = false;
    if (wait.error != 0) {
        WSASetLastError(wait.error);
        return SOCKET_ERROR;
    }
    return 0;
}

} // namespace

void SetWaitDispatcher(MessageDispatcher dispatcher)
{
    dispatchMessage = dispatcher != nullptr ? dispatcher : DispatchPlainly;
}

bool IsBlockingCallActive() { return wait.active && !wait.done; }

void CancelBlockingCall()
{
    if (IsBlockingCallActive())
        Finish(WSAEINTR);
}

int BlockingResolve(const char *host, in_addr *address)
{
    if (!Begin())
        return SOCKET_ERROR;
    HostEntryBuffer buffer = NewHostEntryBuffer();
    wait.task =
        WSAAsyncGetHostByName(hwndWait, WM_LOOKUP_DONE, host, buffer.get(), MAXGETHOSTSTRUCT);
    if (wait.task == nullptr) {
        const int error = WSAGetLastError();
        wait.active = false;
        WSASetLastError(error);
        return SOCKET_ERROR;
    }
    const int result = RunWait(0);
    if (!wait.answered) {
        // Given up before the answer came (cancelled, or the program is
        // ending): the answer may still be written into the buffer.
        const int error = wait.error;
        WSACancelAsyncRequest(wait.task);
        AbandonLookup(wait.task, std::move(buffer));
        WSASetLastError(error);
        return SOCKET_ERROR;
    }
    if (result == 0) {
        const hostent *entry = reinterpret_cast<const hostent *>(buffer.get());
        if (entry->h_addr_list == nullptr || entry->h_addr_list[0] == nullptr) {
            WSASetLastError(WSANO_DATA);
            return SOCKET_ERROR;
        }
        // An IPv4 address is four bytes whatever length the entry claims.
        std::memset(address, 0, sizeof *address);
        const size_t length = entry->h_length > 0 ? static_cast<size_t>(entry->h_length) : 0;
        std::memcpy(address, entry->h_addr_list[0],
                    length < sizeof *address ? length : sizeof *address);
    }
    const int error = wait.error;
    if (result == SOCKET_ERROR)
        WSASetLastError(error);
    return result;
}

int BlockingConnect(SOCKET s, const sockaddr_in &address, DWORD timeoutMs)
{
    if (!Begin())
        return SOCKET_ERROR;
    wait.sock = s;
    // Asking for FD_CONNECT makes the socket non-blocking, so connect returns
    // at once and its outcome arrives as a message.
    if (WSAAsyncSelect(s, hwndWait, WM_CONNECT_DONE, FD_CONNECT) == SOCKET_ERROR) {
        const int error = WSAGetLastError();
        wait.active = false;
        WSASetLastError(error);
        return SOCKET_ERROR;
    }
    int result = connect(s, reinterpret_cast<const sockaddr *>(&address), sizeof address);
    if (result == SOCKET_ERROR) {
        const int error = WSAGetLastError();
        if (error == WSAEWOULDBLOCK) {
            result = RunWait(timeoutMs);
        } else {
            wait.active = false;
            WSASetLastError(error);
        }
    } else {
        wait.active = false;
    }
    const int error = WSAGetLastError();
    // Back to blocking mode for the sends: events off first, then the mode,
    // which the platform refuses while events are selected.
    WSAAsyncSelect(s, hwndWait, 0, 0);
    u_long blocking = 0;
    ioctlsocket(s, static_cast<long>(FIONBIO), &blocking);
    if (result == SOCKET_ERROR)
        WSASetLastError(error);
    return result;
}
