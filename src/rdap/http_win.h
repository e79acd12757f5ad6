// An HTTP GET for the RDAP answer, run off the window's thread.
//
// Each request runs WinHTTP's synchronous calls on a thread of its own; the
// window's thread never waits on the network. The thread alone opens, uses
// and closes its WinHTTP handles: no other thread ever sees one, so none is
// used after it is closed, and a cancelled request cannot touch a later one
// that the platform has given the same handle values. It touches no window
// but the one it posts its single "done" message to, and shares only its
// cancel flag and its result with the table of requests here: a request
// cancelled or forgotten may finish late without harm.
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
    std::string finalUrl;     // where the redirects ended, or the address that failed
    // The server that answered last is on this machine or a private network
    // (or is reached through a proxy there): its links may lead there too.
    bool privateServer = false;
};

// How long a request waits, in milliseconds. Resolving and connecting are
// quick or never happen; a send or a read waits on a server that may be slow.
// The whole request, redirects and all, ends by totalMs: a server that
// trickles its answer a byte at a time cannot hold a query for ever.
struct HttpWaits {
    int resolveMs = 15000;
    int connectMs = 15000;
    int sendMs = 30000;
    int receiveMs = 30000;
    int totalMs = 60000;
};

// Errors of the program's own (the Win32 customer bit), beside WinHTTP's.
// The platform refuses TLS 1.2, the oldest version asked for (Windows 7
// without its TLS update).
const unsigned long HTTP_ERROR_NO_TLS12 = 0x20000001;
// A redirect to an address that is not allowed: another scheme, or http://
// from https://.
const unsigned long HTTP_ERROR_REDIRECT_REFUSED = 0x20000002;
// A redirect from a server on the internet to a host that is this machine
// or a private network by its spelling ("localhost", "10.0.0.1").
const unsigned long HTTP_ERROR_PRIVATE_REDIRECT = 0x20000003;

// The waits of the requests started from now on (the tests shorten them).
void SetHttpWaits(const HttpWaits &waits);

// Starts a GET of `url` with "Accept: application/rdap+json" over TLS 1.2 or
// 1.3 (never older), following up to ten redirects. An https:// address
// never redirects to an http:// one; with allowHttp false an http:// address
// is refused before any connection, and so is a redirect to one. A server
// on the internet is not followed to this machine or a private network.
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
// now on, and one already posted finds nothing to take. Its thread sees the
// cancel as soon as the call it waits in returns (at the latest when that
// call's wait runs out), then closes its handles, which drops the
// connection, and ends, freeing what it held. Harmless for an id that
// ended, was taken or was never given.
void CancelHttpGet(unsigned id);

// Cancels every request still running or not taken, for the program's exit:
// their threads then end by themselves or with the process.
void CancelAllHttpGets();

// A readable text for an error of a request, for the status bar and the
// answer: "timed out", "the server cannot be reached", ...; every WinHTTP
// error has one, and no text is a bare number.
std::string HttpErrorText(unsigned long error);

// True for an error that says the secure connection itself failed: the
// server's certificate was refused or no TLS version was common. The
// lookup then ends: asking port 43 instead would let whoever broke the
// connection turn it into an unauthenticated one.
bool IsSecureFailure(unsigned long error);
