#include <winsock2.h>
#include <ws2tcpip.h>

#include "rdap/http_win.h"

#include <winhttp.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "handles/winhttp_handle_win.h"
#include "rdap/rdap_bootstrap.h"
#include "rdap/tls_fault_win.h"
#include "text/names.h"
#include "text/unicode_win.h"
#include "version.h"

namespace {

const wchar_t kUserAgent[] = L"Pellwick/" PELLWICK_VERSION_TEXT;
const wchar_t kAcceptHeader[] = L"Accept: application/rdap+json\r\n";
const DWORD kReadPiece = 64 * 1024;
// As many redirects as WinHTTP itself follows.
const int kMostRedirects = 10;

// One request, shared by its thread and the table below. What is fixed
// before the thread starts is read without the lock; the rest is the lock's.
// It holds no handle: those are the thread's own, in Fetch alone.
struct Request {
    unsigned id = 0;
    HWND window = nullptr;
    UINT message = 0;
    bool allowHttp = false;
    std::wstring url;
    HttpWaits waits;

    std::mutex mutex;
    bool cancelled = false;
    bool done = false;
    HttpResult result;
};

HttpWaits &Waits()
{
    static HttpWaits waits;
    return waits;
}

// The requests not yet taken or cancelled, by id; the window's thread's alone.
std::map<unsigned, std::shared_ptr<Request>> &Requests()
{
    static std::map<unsigned, std::shared_ptr<Request>> requests;
    return requests;
}

unsigned NextId()
{
    static unsigned last = 0;
    do {
        ++last;
    } while (last == 0 || Requests().count(last) != 0);
    return last;
}

// Strict: an address holding bytes that are not UTF-8 is refused, not
// mended into another one.
bool WideOf(const std::string &text, std::wstring &out)
{
    out.clear();
    if (text.empty())
        return true;
    int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0)
        return false;
    out.assign(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                        &out[0], n);
    return true;
}

// The parts of an address a request needs.
struct Target {
    bool secure = false;
    std::wstring host;
    INTERNET_PORT port = 0;
    std::wstring path;  // the path and the query
};

// Reads `url`: 0 and `target` filled in, or the error that refuses it.
DWORD Crack(const std::wstring &url, bool allowHttp, Target &target)
{
    URL_COMPONENTS parts;
    ZeroMemory(&parts, sizeof parts);
    parts.dwStructSize = sizeof parts;
    parts.dwSchemeLength = static_cast<DWORD>(-1);
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) {
        const DWORD error = GetLastError();
        return error == ERROR_WINHTTP_UNRECOGNIZED_SCHEME
                   ? error
                   : static_cast<DWORD>(ERROR_WINHTTP_INVALID_URL);
    }
    target.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    if (!target.secure && !(parts.nScheme == INTERNET_SCHEME_HTTP && allowHttp))
        return ERROR_WINHTTP_UNRECOGNIZED_SCHEME;
    if (parts.lpszHostName == nullptr || parts.dwHostNameLength == 0)
        return ERROR_WINHTTP_INVALID_URL;
    target.host.assign(parts.lpszHostName, parts.dwHostNameLength);
    target.port = parts.nPort;
    target.path.clear();
    if (parts.lpszUrlPath != nullptr)
        target.path.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
    if (parts.lpszExtraInfo != nullptr)
        target.path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (target.path.empty())
        target.path = L"/";
    return 0;
}

bool Cancelled(Request &r)
{
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.cancelled;
}

// What the thread knows of its request as it runs: its own, never shared.
struct Progress {
    ULONGLONG deadline = 0;  // GetTickCount64() by which the request ends
    DWORD secureFlags = 0;   // what the platform said of a refused certificate
    bool privateServer = false;  // the server answering now is at a private address
};

void CALLBACK OnSecureFailure(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info,
                              DWORD length)
{
    // Windows names the certificate's faults here before the call fails
    // with ERROR_WINHTTP_SECURE_FAILURE; the callback runs on the thread
    // that made the call, this request's own.
    if (status != WINHTTP_CALLBACK_STATUS_SECURE_FAILURE || context == 0 || info == nullptr ||
        length < sizeof(DWORD))
        return;
    reinterpret_cast<Progress *>(context)->secureFlags |= *static_cast<const DWORD *>(info);
}

// The error that ended a call: a cancelled request says so, whatever the
// call reported. Wine's WinHTTP passes some socket errors through as they
// are; they become WinHTTP's own. Windows' one error for a refused
// certificate becomes the fault the callback named.
DWORD Failure(Request &r, const Progress &progress)
{
    DWORD error = GetLastError();
    if (Cancelled(r))
        return ERROR_WINHTTP_OPERATION_CANCELLED;
    switch (error) {
    case 0:
        return ERROR_WINHTTP_INTERNAL_ERROR;
    case WSAETIMEDOUT:
        return ERROR_WINHTTP_TIMEOUT;
    case WSAECONNREFUSED:
    case WSAENETUNREACH:
    case WSAEHOSTUNREACH:
        return ERROR_WINHTTP_CANNOT_CONNECT;
    case WSAECONNRESET:
    case WSAECONNABORTED:
        return ERROR_WINHTTP_CONNECTION_ERROR;
    case ERROR_WINHTTP_SECURE_FAILURE: {
        // The gravest fault first.
        static const DWORD faults[][2] = {
            {WINHTTP_CALLBACK_STATUS_FLAG_CERT_REVOKED, ERROR_WINHTTP_SECURE_CERT_REVOKED},
            {WINHTTP_CALLBACK_STATUS_FLAG_INVALID_CA, ERROR_WINHTTP_SECURE_INVALID_CA},
            {WINHTTP_CALLBACK_STATUS_FLAG_CERT_DATE_INVALID,
             ERROR_WINHTTP_SECURE_CERT_DATE_INVALID},
            {WINHTTP_CALLBACK_STATUS_FLAG_CERT_CN_INVALID, ERROR_WINHTTP_SECURE_CERT_CN_INVALID},
            {WINHTTP_CALLBACK_STATUS_FLAG_CERT_REV_FAILED, ERROR_WINHTTP_SECURE_CERT_REV_FAILED},
            {WINHTTP_CALLBACK_STATUS_FLAG_CERT_WRONG_USAGE, ERROR_WINHTTP_SECURE_CERT_WRONG_USAGE},
            {WINHTTP_CALLBACK_STATUS_FLAG_SECURITY_CHANNEL_ERROR,
             ERROR_WINHTTP_SECURE_CHANNEL_ERROR},
        };
        for (const auto &fault : faults) {
            if (progress.secureFlags & fault[0])
                return fault[1];
        }
        return error;
    }
    default:
        return error;
    }
}

WinHttpHandle OpenSession()
{
    // The system's automatic proxy where the system has it, else the proxy
    // set for WinHTTP.
    WinHttpHandle session(WinHttpOpen(kUserAgent, WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY,
                               WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session)
        session = WinHttpHandle(WinHttpOpen(kUserAgent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                     WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    return session;
}

// TLS 1.2 and 1.3, never older, whatever the system's defaults; a Windows
// that knows no TLS 1.3 takes TLS 1.2 alone. False when it refuses both.
bool AskModernTls(HINTERNET session)
{
    DWORD both = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3;
    if (WinHttpSetOption(session, WINHTTP_OPTION_SECURE_PROTOCOLS, &both, sizeof both))
        return true;
    DWORD tls12 = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2;
    return WinHttpSetOption(session, WINHTTP_OPTION_SECURE_PROTOCOLS, &tls12, sizeof tls12) != 0;
}

// The waits of the next call: the request's own, each cut to what is left
// of the whole. False when nothing is left.
bool SetWaits(HINTERNET request, const HttpWaits &waits, const Progress &progress)
{
    const ULONGLONG now = GetTickCount64();
    if (now >= progress.deadline)
        return false;
    const int left = static_cast<int>(std::min<ULONGLONG>(progress.deadline - now, 0x7fffffff));
    const int resolve = std::min(waits.resolveMs, left);
    const int connect = std::min(waits.connectMs, left);
    const int send = std::min(waits.sendMs, left);
    DWORD receive = static_cast<DWORD>(std::min(waits.receiveMs, left));
    WinHttpSetTimeouts(request, resolve, connect, send, static_cast<int>(receive));
    // The wait for the answer's headers is a read like any other.
    WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &receive, sizeof receive);
    return true;
}

std::string HeaderText(HINTERNET request, DWORD which)
{
    DWORD bytes = 0;
    WinHttpQueryHeaders(request, which, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER,
                        &bytes, WINHTTP_NO_HEADER_INDEX);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || bytes == 0)
        return std::string();
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    if (!WinHttpQueryHeaders(request, which, WINHTTP_HEADER_NAME_BY_INDEX, &text[0], &bytes,
                             WINHTTP_NO_HEADER_INDEX))
        return std::string();
    text.resize(bytes / sizeof(wchar_t));
    return WideToUtf8(text);
}

// `location` read against `base`, as a redirect's Location is.
std::wstring Resolved(const std::wstring &base, const std::wstring &location)
{
    size_t scheme = location.find(L"://");
    if (scheme != std::wstring::npos && location.find(L'/') > scheme)
        return location;
    size_t authority = base.find(L"://");
    if (authority == std::wstring::npos)
        return location;
    if (location.compare(0, 2, L"//") == 0)
        return base.substr(0, authority + 1) + location;
    size_t pathStart = base.find(L'/', authority + 3);
    std::wstring origin = base.substr(0, pathStart);
    if (!location.empty() && location[0] == L'/')
        return origin + location;
    std::wstring path = pathStart == std::wstring::npos ? L"/" : base.substr(pathStart);
    path = path.substr(0, path.find_first_of(L"?#"));
    return origin + path.substr(0, path.rfind(L'/') + 1) + location;
}

bool IsRedirect(DWORD status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// Sends one GET to `target` and waits for the answer's headers: 0 and the
// open request in `request`, or the error that stopped it.
DWORD Ask(Request &r, Progress &progress, HINTERNET session, const Target &target,
          WinHttpHandle &connection, WinHttpHandle &request)
{
    request.Reset();
    connection = WinHttpHandle(WinHttpConnect(session, target.host.c_str(), target.port, 0));
    if (!connection)
        return Failure(r, progress);
    request = WinHttpHandle(WinHttpOpenRequest(connection.Get(), L"GET", target.path.c_str(),
                                               nullptr, WINHTTP_NO_REFERER,
                                               WINHTTP_DEFAULT_ACCEPT_TYPES,
                                               target.secure ? WINHTTP_FLAG_SECURE : 0));
    if (!request)
        return Failure(r, progress);
    // Each redirect is looked at here before it is followed.
    DWORD features = WINHTTP_DISABLE_REDIRECTS;
    WinHttpSetOption(request.Get(), WINHTTP_OPTION_DISABLE_FEATURE, &features, sizeof features);
    DWORD_PTR context = reinterpret_cast<DWORD_PTR>(&progress);
    WinHttpSetOption(request.Get(), WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof context);
    WinHttpSetStatusCallback(request.Get(), OnSecureFailure, WINHTTP_CALLBACK_FLAG_SECURE_FAILURE,
                             0);
    if (!SetWaits(request.Get(), r.waits, progress))
        return ERROR_WINHTTP_TIMEOUT;
    if (!WinHttpSendRequest(request.Get(), kAcceptHeader, static_cast<DWORD>(-1L),
                            WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
        !WinHttpReceiveResponse(request.Get(), nullptr)) {
        const DWORD error = Failure(r, progress);
        if (error != ERROR_WINHTTP_SECURE_CHANNEL_ERROR || progress.secureFlags != 0)
            return error;
        // Wine says no more than this of a refused certificate.
        const ULONGLONG now = GetTickCount64();
        if (now >= progress.deadline || Cancelled(r))
            return error;
        return FindTlsFault(session, target.host.c_str(), target.port,
                            static_cast<int>(std::min<ULONGLONG>(progress.deadline - now,
                                                                 static_cast<ULONGLONG>(
                                                                     r.waits.connectMs))));
    }
    return 0;
}

// Whether the server a request reached is on this machine or a private
// network: by the address connected to where the platform tells it, else
// by how its host is written.
bool ServerIsPrivate(HINTERNET request, const Target &target)
{
    WINHTTP_CONNECTION_INFO info = {};
    DWORD size = sizeof info;
    info.cbSize = sizeof info;
    if (WinHttpQueryOption(request, WINHTTP_OPTION_CONNECTION_INFO, &info, &size)) {
        const SOCKADDR_STORAGE &peer = info.RemoteAddress;
        if (peer.ss_family == AF_INET) {
            const auto *v4 = reinterpret_cast<const sockaddr_in *>(&peer);
            return IsPrivateIPv4(ntohl(v4->sin_addr.s_addr));
        }
        if (peer.ss_family == AF_INET6) {
            const unsigned char *b =
                reinterpret_cast<const sockaddr_in6 *>(&peer)->sin6_addr.s6_addr;
            std::string text;
            char group[8];
            for (int i = 0; i < 16; i += 2) {
                std::snprintf(group, sizeof group, i == 0 ? "%x" : ":%x", b[i] << 8 | b[i + 1]);
                text += group;
            }
            return IsPrivateHostLiteral(text);
        }
    }
    return IsPrivateHostLiteral(WideToUtf8(target.host));
}

// Runs the request to its end: 0 with the status, headers and body in
// `out`, or the error that stopped it, with out.finalUrl the address asked
// last.
DWORD Fetch(Request &r, HttpResult &out)
{
    Progress progress;
    progress.deadline = GetTickCount64() + static_cast<ULONGLONG>(std::max(r.waits.totalMs, 1));
    out.finalUrl = WideToUtf8(r.url);

    WinHttpHandle session = OpenSession();
    if (!session)
        return Failure(r, progress);
    if (!AskModernTls(session.Get()))
        return HTTP_ERROR_NO_TLS12;

    std::wstring url = r.url;
    Target target;
    if (const DWORD error = Crack(url, r.allowHttp, target))
        return error;
    WinHttpHandle connection;
    WinHttpHandle request;
    DWORD status = 0;
    for (int redirects = 0;; ++redirects) {
        if (const DWORD error = Ask(r, progress, session.Get(), target, connection, request))
            return error;
        progress.privateServer = ServerIsPrivate(request.Get(), target);
        DWORD bytes = sizeof status;
        if (!WinHttpQueryHeaders(request.Get(),
                                 WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                                 WINHTTP_HEADER_NAME_BY_INDEX, &status, &bytes,
                                 WINHTTP_NO_HEADER_INDEX))
            return Failure(r, progress);
        std::wstring location;
        if (IsRedirect(status)) {
            std::string text = HeaderText(request.Get(), WINHTTP_QUERY_LOCATION);
            if (!text.empty() && !WideOf(text, location))
                return HTTP_ERROR_REDIRECT_REFUSED;
        }
        if (location.empty())
            break;
        if (redirects == kMostRedirects)
            return ERROR_WINHTTP_REDIRECT_FAILED;
        url = Resolved(url, location);
        out.finalUrl = WideToUtf8(url);
        // Never to a scheme other than http(s), to http:// only where plain
        // HTTP is allowed, and never from https:// to http://.
        Target next;
        if (Crack(url, r.allowHttp, next) != 0 || !RdapUrlAllowed(out.finalUrl, r.allowHttp) ||
            (target.secure && !next.secure))
            return HTTP_ERROR_REDIRECT_REFUSED;
        // As a WhoIs referral: from the internet, never into the user's own
        // machine or network.
        if (!progress.privateServer && IsPrivateHostLiteral(WideToUtf8(next.host)))
            return HTTP_ERROR_PRIVATE_REDIRECT;
        target = next;
        if (Cancelled(r))
            return ERROR_WINHTTP_OPERATION_CANCELLED;
    }
    out.retryAfter = HeaderText(request.Get(), WINHTTP_QUERY_RETRY_AFTER);

    std::vector<char> piece(kReadPiece);
    for (;;) {
        if (Cancelled(r))
            return ERROR_WINHTTP_OPERATION_CANCELLED;
        if (!SetWaits(request.Get(), r.waits, progress))
            return ERROR_WINHTTP_TIMEOUT;
        // A read waits until its whole buffer is full, however slowly the
        // bytes come; asking first for what has arrived keeps each wait
        // within the time left.
        DWORD ready = 0;
        if (!WinHttpQueryDataAvailable(request.Get(), &ready))
            return Failure(r, progress);
        if (GetTickCount64() >= progress.deadline)
            return ERROR_WINHTTP_TIMEOUT;
        DWORD got = 0;
        if (ready != 0 &&
            !WinHttpReadData(request.Get(), piece.data(), std::min(ready, kReadPiece), &got))
            return Failure(r, progress);
        if (got == 0)
            break;
        size_t room = HTTP_BODY_LIMIT - out.body.size();
        if (got > room) {
            // The rest is not read: closing the handles drops the connection.
            out.body.append(piece.data(), room);
            out.truncated = true;
            break;
        }
        out.body.append(piece.data(), got);
    }
    out.status = static_cast<int>(status);
    out.privateServer = progress.privateServer;
    return 0;
}

void Run(std::shared_ptr<Request> r)
{
    HttpResult result;
    DWORD error;
    try {
        error = Fetch(*r, result);
    } catch (const std::bad_alloc &) {
        // A crowded 32-bit process may not find room for a large body; the
        // request fails instead of ending the program.
        result = HttpResult();
        error = ERROR_NOT_ENOUGH_MEMORY;
    }
    // Fetch's handles are closed by now, on this thread, which alone had them.
    if (error != 0) {
        result.error = error;
        result.status = 0;
    }
    std::lock_guard<std::mutex> lock(r->mutex);
    if (r->cancelled)
        return;
    r->result = std::move(result);
    r->done = true;
    // Under the lock, so that a Cancel that returned has stopped it.
    PostMessage(r->window, r->message, static_cast<WPARAM>(r->id), 0);
}

void SetStartError(unsigned long *startError, unsigned long error)
{
    if (startError != nullptr)
        *startError = error;
}

}  // namespace

unsigned StartHttpGet(const std::string &url, bool allowHttp, HWND window, UINT message,
                      unsigned long *startError)
{
    SetStartError(startError, 0);
    std::wstring wide;
    if (url.empty() || !WideOf(url, wide)) {
        SetStartError(startError, ERROR_WINHTTP_INVALID_URL);
        return 0;
    }
    Target target;
    if (const DWORD error = Crack(wide, allowHttp, target)) {
        SetStartError(startError, error);
        return 0;
    }

    auto r = std::make_shared<Request>();
    r->window = window;
    r->message = message;
    r->allowHttp = allowHttp;
    r->url = wide;
    r->waits = Waits();
    r->id = NextId();
    Requests()[r->id] = r;
    try {
        // Detached: the thread holds its own share of the request, opens,
        // uses and closes its handles itself and shares nothing else, so
        // nobody waits for it; a cancelled one ends when its call returns.
        std::thread(Run, r).detach();
    } catch (const std::system_error &) {
        Requests().erase(r->id);
        SetStartError(startError, ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    return r->id;
}

void SetHttpWaits(const HttpWaits &waits)
{
    Waits() = waits;
}

bool TakeHttpResult(unsigned id, HttpResult &result)
{
    auto found = Requests().find(id);
    if (found == Requests().end())
        return false;
    std::shared_ptr<Request> r = found->second;
    {
        std::lock_guard<std::mutex> lock(r->mutex);
        if (!r->done)
            return false;
        result = std::move(r->result);
    }
    Requests().erase(found);
    return true;
}

void CancelHttpGet(unsigned id)
{
    auto found = Requests().find(id);
    if (found == Requests().end())
        return;
    std::shared_ptr<Request> r = std::move(found->second);
    Requests().erase(found);
    std::lock_guard<std::mutex> lock(r->mutex);
    r->cancelled = true;
}

void CancelAllHttpGets()
{
    while (!Requests().empty())
        CancelHttpGet(Requests().begin()->first);
}

bool IsSecureFailure(unsigned long error)
{
    switch (error) {
    case ERROR_WINHTTP_SECURE_FAILURE:
    case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:
    case ERROR_WINHTTP_SECURE_INVALID_CA:
    case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
    case ERROR_WINHTTP_SECURE_INVALID_CERT:
    case ERROR_WINHTTP_SECURE_CERT_REVOKED:
    case ERROR_WINHTTP_SECURE_CERT_REV_FAILED:
    case ERROR_WINHTTP_SECURE_CERT_WRONG_USAGE:
        return true;
    default:
        return false;
    }
}

std::string HttpErrorText(unsigned long error)
{
    struct Text {
        unsigned long error;
        const char *text;
    };
    // Every error WinHTTP names, and the program's own. A handshake that
    // fails without naming a certificate fault is one where client and
    // server found no TLS version (or cipher) in common.
    static const Text texts[] = {
        {ERROR_WINHTTP_OUT_OF_HANDLES, "the system has no more connections to give"},
        {ERROR_WINHTTP_TIMEOUT, "timed out"},
        {ERROR_WINHTTP_INTERNAL_ERROR, "the system's HTTP service failed"},
        {ERROR_WINHTTP_INVALID_URL, "the address is not valid"},
        {ERROR_WINHTTP_UNRECOGNIZED_SCHEME, "the address is not an allowed https:// address"},
        {ERROR_WINHTTP_NAME_NOT_RESOLVED, "the server's name is not known"},
        {ERROR_WINHTTP_INVALID_OPTION, "the system's HTTP service refused a setting"},
        {ERROR_WINHTTP_OPTION_NOT_SETTABLE, "the system's HTTP service refused a setting"},
        {ERROR_WINHTTP_SHUTDOWN, "the system's HTTP service is shutting down"},
        {ERROR_WINHTTP_LOGIN_FAILURE, "the server or proxy refused the login"},
        {ERROR_WINHTTP_OPERATION_CANCELLED, "cancelled"},
        {ERROR_WINHTTP_INCORRECT_HANDLE_TYPE, "the system's HTTP service failed"},
        {ERROR_WINHTTP_INCORRECT_HANDLE_STATE, "the system's HTTP service failed"},
        {ERROR_WINHTTP_CANNOT_CONNECT, "the server cannot be reached"},
        {ERROR_WINHTTP_CONNECTION_ERROR, "the connection was reset"},
        {ERROR_WINHTTP_RESEND_REQUEST, "the server asked for the request again"},
        {ERROR_WINHTTP_CLIENT_AUTH_CERT_NEEDED, "the server asks for a client certificate"},
        {ERROR_WINHTTP_CANNOT_CALL_BEFORE_OPEN, "the system's HTTP service failed"},
        {ERROR_WINHTTP_CANNOT_CALL_BEFORE_SEND, "the system's HTTP service failed"},
        {ERROR_WINHTTP_CANNOT_CALL_AFTER_SEND, "the system's HTTP service failed"},
        {ERROR_WINHTTP_CANNOT_CALL_AFTER_OPEN, "the system's HTTP service failed"},
        {ERROR_WINHTTP_HEADER_NOT_FOUND, "the server's answer lacks a header"},
        {ERROR_WINHTTP_INVALID_SERVER_RESPONSE, "the server's answer is not HTTP"},
        {ERROR_WINHTTP_INVALID_HEADER, "the server's answer has a broken header"},
        {ERROR_WINHTTP_INVALID_QUERY_REQUEST, "the system's HTTP service failed"},
        {ERROR_WINHTTP_HEADER_ALREADY_EXISTS, "the system's HTTP service failed"},
        {ERROR_WINHTTP_REDIRECT_FAILED, "the server redirected too often"},
        {ERROR_WINHTTP_AUTO_PROXY_SERVICE_ERROR, "the proxy cannot be found"},
        {ERROR_WINHTTP_BAD_AUTO_PROXY_SCRIPT, "the proxy's set-up script is broken"},
        {ERROR_WINHTTP_UNABLE_TO_DOWNLOAD_SCRIPT, "the proxy's set-up script cannot be had"},
        {ERROR_WINHTTP_UNHANDLED_SCRIPT_TYPE, "the proxy's set-up script is broken"},
        {ERROR_WINHTTP_SCRIPT_EXECUTION_ERROR, "the proxy's set-up script is broken"},
        {ERROR_WINHTTP_AUTODETECTION_FAILED, "the proxy cannot be found"},
        {ERROR_WINHTTP_NOT_INITIALIZED, "the system's HTTP service failed"},
        {ERROR_WINHTTP_HEADER_COUNT_EXCEEDED, "the server's answer has too many headers"},
        {ERROR_WINHTTP_HEADER_SIZE_OVERFLOW, "the server's headers are too long"},
        {ERROR_WINHTTP_CHUNKED_ENCODING_HEADER_SIZE_OVERFLOW, "the server's answer is broken"},
        {ERROR_WINHTTP_RESPONSE_DRAIN_OVERFLOW, "the server's answer is too long"},
        {ERROR_WINHTTP_CLIENT_CERT_NO_PRIVATE_KEY, "the server asks for a client certificate"},
        {ERROR_WINHTTP_CLIENT_CERT_NO_ACCESS_PRIVATE_KEY,
         "the server asks for a client certificate"},
        {ERROR_WINHTTP_SECURE_CERT_CN_INVALID, "the certificate is for another name"},
        {ERROR_WINHTTP_SECURE_CERT_DATE_INVALID,
         "the certificate has expired or is not yet valid"},
        {ERROR_WINHTTP_SECURE_INVALID_CA, "the certificate is not from a trusted root"},
        {ERROR_WINHTTP_SECURE_CERT_REVOKED, "the certificate was revoked"},
        {ERROR_WINHTTP_SECURE_CERT_REV_FAILED,
         "whether the certificate was revoked cannot be checked"},
        {ERROR_WINHTTP_SECURE_CERT_WRONG_USAGE, "the certificate is not one for a server"},
        {ERROR_WINHTTP_SECURE_INVALID_CERT, "the certificate is not valid"},
        {ERROR_WINHTTP_SECURE_FAILURE, "the certificate is not valid"},
        {ERROR_WINHTTP_SECURE_CHANNEL_ERROR, "no common TLS version"},
        {ERROR_NOT_ENOUGH_MEMORY, "not enough memory"},
        {ERROR_OUTOFMEMORY, "not enough memory"},
        {HTTP_ERROR_NO_TLS12, "this Windows cannot make the connection (it has no TLS 1.2)"},
        {HTTP_ERROR_REDIRECT_REFUSED, "the server redirected to an address not allowed"},
        {HTTP_ERROR_PRIVATE_REDIRECT, "the server redirected to a private address"},
    };
    if (error == 0)
        return std::string();
    for (const Text &t : texts) {
        if (t.error == error)
            return t.text;
    }
    // Not WinHTTP's: the system's own words, or at least words.
    char text[512] = "";
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             error, 0, text, sizeof text, nullptr);
    std::string message(text, n);
    while (!message.empty() &&
           (message.back() == '\r' || message.back() == '\n' || message.back() == '.' ||
            message.back() == ' '))
        message.pop_back();
    if (message.empty())
        message = "the request failed (code " + std::to_string(error) + ")";
    return message;
}
