#include "net/blocking_win.h"

#include <ws2tcpip.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <system_error>
#include <thread>

#include "handles/socket_win.h"
#include "net/attempt_race.h"
#include "net/host_entry_win.h"

namespace {

const UINT WM_LOOKUP_DONE = WM_APP + 1;
const UINT WM_CONNECT_DONE = WM_APP + 2;
const UINT WM_RESOLVE_DONE = WM_APP + 3;
const UINT_PTR TIMER_WAIT = 1;
const UINT_PTR TIMER_HEAD_START = 2;

struct Race;

struct Wait {
    bool active;
    bool done;
    bool answered;   // the lookup's own answer arrived
    int error;
    HANDLE task;     // the lookup being waited for
    SOCKET sock;     // the socket being connected
    Race *race;      // the connects being raced
    WPARAM resolve;  // the number of the resolver thread's job being waited for
};
Wait wait;

void OnRaceEvent(SOCKET s, int error);
void OnHeadStartOver();

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
        if (!wait.active || wait.done || WSAGETSELECTEVENT(lParam) != FD_CONNECT)
            return 0;
        if (wait.race != nullptr)
            OnRaceEvent(static_cast<SOCKET>(wParam), WSAGETSELECTERROR(lParam));
        else if (static_cast<SOCKET>(wParam) == wait.sock)
            Finish(WSAGETSELECTERROR(lParam));
        return 0;
    case WM_RESOLVE_DONE:
        // A job given up on has no waiter; its thread has let go of it.
        if (wait.active && !wait.done && wParam == wait.resolve)
            Finish(static_cast<int>(lParam));
        return 0;
    case WM_TIMER:
        if (wParam == TIMER_WAIT && wait.active && !wait.done)
            Finish(WSAETIMEDOUT);
        if (wParam == TIMER_HEAD_START) {
            KillTimer(hwnd, TIMER_HEAD_START);
            if (wait.active && !wait.done && wait.race != nullptr)
                OnHeadStartOver();
        }
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
    wait = Wait{true, false, false, 0, nullptr, INVALID_SOCKET, nullptr, 0};
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

// Back to blocking mode for the request's sends: events off first, then the
// mode, which the platform refuses while events are selected.
void MakeBlocking(SOCKET s)
{
    WSAAsyncSelect(s, hwndWait, 0, 0);
    u_long blocking = 0;
    ioctlsocket(s, static_cast<long>(FIONBIO), &blocking);
}

// ---- Resolving both families ------------------------------------------------

// What the resolver's thread finds, shared with the waiter until both are
// done with it.
struct ResolveJob {
    std::string host;
    std::vector<SocketAddress> addresses;
    std::atomic<bool> finished{false}; // set once `addresses` is whole
};

// On the resolver's thread: the platform's call, then the one message that
// says it is over (its error in lParam). Nothing else is touched here.
void Resolve(std::shared_ptr<ResolveJob> job, HWND window, WPARAM number)
{
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    const int error = getaddrinfo(job->host.c_str(), nullptr, &hints, &found);
    for (const addrinfo *a = found; error == 0 && a != nullptr; a = a->ai_next) {
        if ((a->ai_family != AF_INET && a->ai_family != AF_INET6) || a->ai_addr == nullptr ||
            a->ai_addrlen > sizeof(sockaddr_storage))
            continue;
        SocketAddress address = {};
        std::memcpy(&address.storage, a->ai_addr, a->ai_addrlen);
        address.length = static_cast<int>(a->ai_addrlen);
        job->addresses.push_back(address);
    }
    if (found != nullptr)
        freeaddrinfo(found);
    job->finished.store(true, std::memory_order_release);
    const int result = error != 0 ? error : job->addresses.empty() ? WSANO_DATA : 0;
    PostMessageW(window, WM_RESOLVE_DONE, number, result);
}

// ---- Racing the connects ----------------------------------------------------

struct Race {
    const std::vector<SocketAddress> &addresses;
    int protocol;
    AttemptRace pace;
    std::vector<OwnedSocket> attempts; // one place for each address
    SOCKET winner;
    int lastError;
};

std::vector<int> FamiliesOf(const std::vector<SocketAddress> &addresses)
{
    std::vector<int> families;
    for (const SocketAddress &a : addresses)
        families.push_back(a.storage.ss_family);
    return families;
}

// Starts one attempt on address `i`: 0 once it is under way (or connected
// at once, which wins the race), or the error that ended it at once.
int StartAttempt(Race &race, size_t i)
{
    const SocketAddress &to = race.addresses[i];
    OwnedSocket &s = race.attempts[i];
    s.Reset(socket(to.storage.ss_family, SOCK_STREAM, race.protocol));
    if (!s.IsValid())
        return WSAGetLastError();
    // Asking for FD_CONNECT makes the socket non-blocking.
    if (WSAAsyncSelect(s.Get(), hwndWait, WM_CONNECT_DONE, FD_CONNECT) == SOCKET_ERROR)
        return WSAGetLastError();
    if (connect(s.Get(), reinterpret_cast<const sockaddr *>(&to.storage), to.length) == 0) {
        race.winner = s.Get();
        Finish(0);
        return 0;
    }
    const int error = WSAGetLastError();
    return error == WSAEWOULDBLOCK ? 0 : error;
}

// Starts the next address that can be tried, passing over those that fail
// at once, and gives it its head start; the race is lost when none is left
// and none runs.
void StartNext(Race &race)
{
    for (int i = race.pace.Next(); i >= 0; i = race.pace.Next()) {
        const int error = StartAttempt(race, static_cast<size_t>(i));
        if (error == 0) {
            if (race.pace.Untried() && !wait.done)
                SetTimer(hwndWait, TIMER_HEAD_START, HEAD_START_MS, nullptr);
            return;
        }
        race.attempts[static_cast<size_t>(i)].Reset();
        race.lastError = error;
        race.pace.Failed();
    }
    if (race.pace.Lost())
        Finish(race.lastError);
}

void OnRaceEvent(SOCKET s, int error)
{
    Race &race = *wait.race;
    for (OwnedSocket &attempt : race.attempts) {
        if (!attempt.IsValid() || attempt.Get() != s)
            continue;
        if (error == 0) {
            race.winner = s;
            Finish(0);
            return;
        }
        attempt.Reset();
        race.lastError = error;
        race.pace.Failed();
        StartNext(race); // the next at once, without waiting out its turn
        return;
    }
}

void OnHeadStartOver()
{
    StartNext(*wait.race);
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
    MakeBlocking(s);
    if (result == SOCKET_ERROR)
        WSASetLastError(error);
    return result;
}

int BlockingResolveAll(const char *host, u_short port, std::vector<SocketAddress> &addresses)
{
    static WPARAM jobs = 0;
    if (!Begin())
        return SOCKET_ERROR;
    auto job = std::make_shared<ResolveJob>();
    job->host = host;
    wait.resolve = ++jobs;
    try {
        // Detached: it holds its own share of the job and touches nothing
        // else, so it may outlive a wait that gave up on it.
        std::thread(Resolve, job, hwndWait, wait.resolve).detach();
    } catch (const std::system_error &) {
        wait.active = false;
        WSASetLastError(WSAENOBUFS);
        return SOCKET_ERROR;
    }
    if (RunWait(0) == SOCKET_ERROR)
        return SOCKET_ERROR; // failed or cancelled: a late answer is dropped
    if (!job->finished.load(std::memory_order_acquire)) {
        WSASetLastError(WSANO_DATA);
        return SOCKET_ERROR;
    }
    addresses = job->addresses;
    for (SocketAddress &a : addresses) {
        if (a.storage.ss_family == AF_INET6)
            reinterpret_cast<sockaddr_in6 &>(a.storage).sin6_port = port;
        else
            reinterpret_cast<sockaddr_in &>(a.storage).sin_port = port;
    }
    return 0;
}

int BlockingConnectFirst(const std::vector<SocketAddress> &addresses, int protocol,
                         SOCKET &connected, DWORD timeoutMs)
{
    connected = INVALID_SOCKET;
    if (!Begin())
        return SOCKET_ERROR;
    Race race{addresses, protocol, AttemptRace(FamiliesOf(addresses)),
              std::vector<OwnedSocket>(addresses.size()), INVALID_SOCKET, WSANO_DATA};
    wait.race = &race;
    StartNext(race); // may decide the race at once
    const int result = RunWait(timeoutMs);
    const int error = wait.error;
    KillTimer(hwndWait, TIMER_HEAD_START);
    wait.race = nullptr;
    if (result == SOCKET_ERROR) {
        WSASetLastError(error);
        return SOCKET_ERROR; // every attempt is closed with the race
    }
    for (OwnedSocket &attempt : race.attempts) {
        if (attempt.Get() == race.winner) {
            MakeBlocking(race.winner);
            connected = race.winner;
            attempt.Disown(); // the caller's now
        }
    }
    return 0;
}
