#include "rdap/http_win.h"

#include <winhttp.h>

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "rdap/rdap_bootstrap.h"
#include "version.h"

namespace {

const wchar_t kUserAgent[] = L"Pellwick/" PELLWICK_VERSION_TEXT;
const wchar_t kAcceptHeader[] = L"Accept: application/rdap+json\r\n";
const DWORD kReadPiece = 64 * 1024;

// One request, shared by its thread and the table below. What is fixed
// before the thread starts is read without the lock; the rest is the lock's.
struct Request {
    unsigned id = 0;
    HWND window = nullptr;
    UINT message = 0;
    bool allowHttp = false;
    bool secure = false;
    std::wstring host;
    INTERNET_PORT port = 0;
    std::wstring path;  // the path and the query
    HttpWaits waits;
    // Where the request is now: the address asked for, then each redirect's.
    // Its thread's alone, like the handles' callbacks.
    std::wstring url;

    std::mutex mutex;
    bool cancelled = false;
    bool done = false;
    // The handles open now, so that Cancel can close them under a call
    // that waits on the network: on Windows the call then returns at once.
    // The thread may still pass a handle just closed to one more call,
    // which then fails, and it stops at its next look at `cancelled`.
    HINTERNET session = nullptr;
    HINTERNET connection = nullptr;
    HINTERNET request = nullptr;
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

std::string Utf8Of(const std::wstring &text)
{
    if (text.empty())
        return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                0, nullptr, nullptr);
    if (n <= 0)
        return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n,
                        nullptr, nullptr);
    return out;
}

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

bool Cancelled(Request &r)
{
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.cancelled;
}

// Puts a handle the thread has just opened where Cancel can close it.
// False when there is none or Cancel came first (the handle is closed then).
bool Keep(Request &r, HINTERNET Request::*slot, HINTERNET handle)
{
    if (handle == nullptr)
        return false;
    {
        std::lock_guard<std::mutex> lock(r.mutex);
        if (!r.cancelled) {
            r.*slot = handle;
            return true;
        }
    }
    WinHttpCloseHandle(handle);
    return false;
}

// Closes whatever handles are still open, the request's first.
void CloseHandles(Request &r)
{
    HINTERNET handles[3];
    {
        std::lock_guard<std::mutex> lock(r.mutex);
        handles[0] = std::exchange(r.request, nullptr);
        handles[1] = std::exchange(r.connection, nullptr);
        handles[2] = std::exchange(r.session, nullptr);
    }
    for (HINTERNET h : handles) {
        if (h != nullptr)
            WinHttpCloseHandle(h);
    }
}

// The error that ended a call: a cancelled request says so, whatever
// the closed handle made the call report. Wine's WinHTTP passes some
// socket errors through as they are; they become WinHTTP's own.
DWORD Failure(Request &r)
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
    default:
        return error;
    }
}

HINTERNET OpenSession()
{
    // The system's automatic proxy where the system has it, else the proxy
    // set for WinHTTP.
    HINTERNET session = WinHttpOpen(kUserAgent, WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY,
                                    WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
    if (session == nullptr)
        session = WinHttpOpen(kUserAgent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                              WINHTTP_NO_PROXY_BYPASS, 0);
    return session;
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
    return Utf8Of(text);
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

// Follows the redirects as WinHTTP takes them, for the address the answer
// came from: Wine's WinHTTP does not tell it afterwards.
void CALLBACK OnStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info, DWORD length)
{
    if (status != WINHTTP_CALLBACK_STATUS_REDIRECT || context == 0 || info == nullptr)
        return;
    Request &r = *reinterpret_cast<Request *>(context);
    const wchar_t *location = static_cast<const wchar_t *>(info);
    size_t chars = 0;
    while (chars < length && location[chars] != L'\0')
        ++chars;
    r.url = Resolved(r.url, std::wstring(location, chars));
}

std::string FinalUrl(HINTERNET request, const Request &r)
{
    wchar_t url[2048];
    DWORD bytes = sizeof url;
    if (!WinHttpQueryOption(request, WINHTTP_OPTION_URL, url, &bytes))
        return Utf8Of(r.url);
    std::wstring text(url, std::min<size_t>(bytes / sizeof(wchar_t), 2048));
    while (!text.empty() && text.back() == L'\0')
        text.pop_back();
    return Utf8Of(text);
}

// Runs the request to its end: 0 with the status, headers and body in
// `out`, or the error that stopped it.
DWORD Fetch(Request &r, HttpResult &out)
{
    HINTERNET session = OpenSession();
    if (!Keep(r, &Request::session, session))
        return Failure(r);
    WinHttpSetTimeouts(session, r.waits.resolveMs, r.waits.connectMs, r.waits.sendMs,
                       r.waits.receiveMs);

    HINTERNET connection = WinHttpConnect(session, r.host.c_str(), r.port, 0);
    if (!Keep(r, &Request::connection, connection))
        return Failure(r);

    HINTERNET request = WinHttpOpenRequest(connection, L"GET", r.path.c_str(), nullptr,
                                           WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                           r.secure ? WINHTTP_FLAG_SECURE : 0);
    if (!Keep(r, &Request::request, request))
        return Failure(r);
    // Redirects are followed, but never from https:// to http://, whatever
    // the system's default.
    DWORD policy = WINHTTP_OPTION_REDIRECT_POLICY_DISALLOW_HTTPS_TO_HTTP;
    WinHttpSetOption(request, WINHTTP_OPTION_REDIRECT_POLICY, &policy, sizeof policy);
    // The wait for the answer's headers is a read like any other.
    DWORD headersMs = static_cast<DWORD>(r.waits.receiveMs);
    WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &headersMs, sizeof headersMs);
    DWORD_PTR context = reinterpret_cast<DWORD_PTR>(&r);
    WinHttpSetOption(request, WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof context);
    WinHttpSetStatusCallback(request, OnStatus, WINHTTP_CALLBACK_FLAG_REDIRECT, 0);

    if (!WinHttpSendRequest(request, kAcceptHeader, static_cast<DWORD>(-1L),
                            WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
        !WinHttpReceiveResponse(request, nullptr))
        return Failure(r);

    out.finalUrl = FinalUrl(request, r);
    if (!RdapUrlAllowed(out.finalUrl, r.allowHttp))
        return ERROR_WINHTTP_REDIRECT_FAILED;

    DWORD status = 0;
    DWORD bytes = sizeof status;
    if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &bytes,
                             WINHTTP_NO_HEADER_INDEX))
        return Failure(r);
    out.retryAfter = HeaderText(request, WINHTTP_QUERY_RETRY_AFTER);

    std::vector<char> piece(kReadPiece);
    for (;;) {
        DWORD got = 0;
        if (!WinHttpReadData(request, piece.data(), kReadPiece, &got))
            return Failure(r);
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
    CloseHandles(*r);
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
    URL_COMPONENTS parts;
    ZeroMemory(&parts, sizeof parts);
    parts.dwStructSize = sizeof parts;
    parts.dwSchemeLength = static_cast<DWORD>(-1);
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(wide.c_str(), static_cast<DWORD>(wide.size()), 0, &parts)) {
        DWORD error = GetLastError();
        SetStartError(startError, error == ERROR_WINHTTP_UNRECOGNIZED_SCHEME
                                      ? error
                                      : static_cast<DWORD>(ERROR_WINHTTP_INVALID_URL));
        return 0;
    }
    const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    if (!secure && !(parts.nScheme == INTERNET_SCHEME_HTTP && allowHttp)) {
        SetStartError(startError, ERROR_WINHTTP_UNRECOGNIZED_SCHEME);
        return 0;
    }
    if (parts.lpszHostName == nullptr || parts.dwHostNameLength == 0) {
        SetStartError(startError, ERROR_WINHTTP_INVALID_URL);
        return 0;
    }

    auto r = std::make_shared<Request>();
    r->window = window;
    r->message = message;
    r->allowHttp = allowHttp;
    r->secure = secure;
    r->host.assign(parts.lpszHostName, parts.dwHostNameLength);
    r->port = parts.nPort;
    if (parts.lpszUrlPath != nullptr)
        r->path.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
    if (parts.lpszExtraInfo != nullptr)
        r->path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (r->path.empty())
        r->path = L"/";
    r->waits = Waits();
    r->url = wide;
    r->id = NextId();
    Requests()[r->id] = r;
    try {
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
    {
        std::lock_guard<std::mutex> lock(r->mutex);
        r->cancelled = true;
    }
    CloseHandles(*r);
}

void CancelAllHttpGets()
{
    while (!Requests().empty())
        CancelHttpGet(Requests().begin()->first);
}

std::string HttpErrorText(unsigned long error)
{
    switch (error) {
    case 0:
        return std::string();
    case ERROR_WINHTTP_TIMEOUT:
        return "timed out";
    case ERROR_WINHTTP_CANNOT_CONNECT:
        return "the server cannot be reached";
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
        return "the server's name is not known";
    case ERROR_WINHTTP_CONNECTION_ERROR:
        return "the connection was reset";
    case ERROR_WINHTTP_OPERATION_CANCELLED:
        return "cancelled";
    case ERROR_WINHTTP_INVALID_URL:
        return "the address is not valid";
    case ERROR_WINHTTP_UNRECOGNIZED_SCHEME:
        return "the address is not an allowed https:// address";
    case ERROR_WINHTTP_REDIRECT_FAILED:
        return "the server redirected to an address not allowed";
    case ERROR_WINHTTP_INVALID_SERVER_RESPONSE:
        return "the server's answer is not HTTP";
    case ERROR_WINHTTP_SECURE_FAILURE:
    case ERROR_WINHTTP_SECURE_INVALID_CA:
    case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
    case ERROR_WINHTTP_SECURE_INVALID_CERT:
    case ERROR_WINHTTP_SECURE_CERT_REVOKED:
        return "the server's certificate is not trusted";
    default:
        break;
    }
    // WinHTTP's own errors are in its message table, the rest in the system's.
    char text[512] = "";
    DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    HMODULE winhttp = GetModuleHandleA("winhttp.dll");
    if (winhttp != nullptr && error >= WINHTTP_ERROR_BASE && error <= WINHTTP_ERROR_LAST)
        flags |= FORMAT_MESSAGE_FROM_HMODULE;
    DWORD n = FormatMessageA(flags, winhttp, error, 0, text, sizeof text, nullptr);
    std::string message(text, n);
    while (!message.empty() &&
           (message.back() == '\r' || message.back() == '\n' || message.back() == '.' ||
            message.back() == ' '))
        message.pop_back();
    if (message.empty())
        message = "error " + std::to_string(error);
    return message;
}
