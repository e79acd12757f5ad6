// An HTTP GET for the RDAP answer, run off the window's thread.
//
// Each request runs WinHTTP's synchronous calls on a thread of its own; the
// window's thread never waits on the network. The thread touches no window
// but the one it posts its single "done" message to, and keeps everything it
// writes in state of its own, shared with the table of requests here: a
// request cancelled or forgotten may finish late without harm.
//
// Every function here is called from the window's thread only.
//
// Like the rest of the network code, this file shows nothing and keeps no
// query state: the caller owns the query and reads the result.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

// The most of a body kept: an RDAP answer is a few kilobytes, and a server
// that sends more than this is not sending one.
const size_t HTTP_BODY_LIMIT = 16u * 1024u * 1024u;

struct HttpResult {
    unsigned long error = 0;  // 0, or the WinHTTP/Win32 error that stopped the request (no status then)
    int status = 0;           // the final HTTP status, after redirects
    std::string body;         // at most HTTP_BODY_LIMIT bytes
    bool truncated = false;   // the server sent more than HTTP_BODY_LIMIT
    std::string retryAfter;   // the Retry-After header as sent, "" if none
    std::string finalUrl;     // where the redirects ended
};

// How long a request waits, in milliseconds. Resolving and connecting are
// quick or never happen; a send or a read waits on a server that may be slow.
struct HttpWaits {
    int resolveMs = 15000;
    int connectMs = 15000;
    int sendMs = 30000;
    int receiveMs = 30000;
};

// The waits of the requests started from now on (the tests shorten them).
void SetHttpWaits(const HttpWaits &waits);

// Starts a GET of `url` with "Accept: application/rdap+json", following
// redirects. An https:// address never redirects to an http:// one; with
// allowHttp false an http:// address is refused before any connection, and
// so is an answer whose redirects ended at one.
//
// When the request ends, posts `message` to `window` with wParam the id
// returned here; the result is then taken once with TakeHttpResult(id).
// Returns 0 when it could not start, with the reason in *startError (when
// startError is not null): ERROR_WINHTTP_INVALID_URL for an address that is
// not one, ERROR_WINHTTP_UNRECOGNIZED_SCHEME for one that is neither https://
// nor an allowed http://.
unsigned StartHttpGet(const std::string &url, bool allowHttp, HWND window, UINT message,
                      unsigned long *startError);

// The result of a request that has posted its message, once: true and the
// result filled in; false for an id unknown, still running, cancelled or
// already taken.
bool TakeHttpResult(unsigned id, HttpResult &result);

// Stops a request and returns at once: no message is posted for it from
// now on, one already posted finds nothing to take, and its handles are
// closed, which on Windows makes a call the request's thread waits in return
// and drops the connection. (Wine's WinHTTP finishes such a call first: the
// connection then closes when the server answers or the wait runs out.) The
// thread ends by itself and frees what it held. Harmless for an id that
// ended, was taken or was never given.
void CancelHttpGet(unsigned id);

// Cancels every request still running or not taken, for the program's exit:
// their threads then end by themselves or with the process.
void CancelAllHttpGets();

// A readable text for an error of a request, for the status bar and the
// answer: "timed out", "the server cannot be reached", ...; WinHTTP's own
// message for the errors not named here.
std::string HttpErrorText(unsigned long error);
