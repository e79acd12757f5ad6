// Why a server's TLS connection was refused, where the platform does not
// say: Wine's WinHTTP reports every refused certificate as a failed secure
// channel (ERROR_WINHTTP_SECURE_CHANNEL_ERROR), which is also what a server
// with no TLS version in common gives.
#pragma once

#include <windows.h>
#include <winhttp.h>

// Connects to host:port again with certificate faults let through, sends
// only "HEAD /" (never the query), and checks the certificate the server
// showed against the system's roots and the name: the WinHTTP error of its
// fault (ERROR_WINHTTP_SECURE_INVALID_CA, _CERT_DATE_INVALID,
// _CERT_CN_INVALID, _CERT_REVOKED, _CERT_WRONG_USAGE, _INVALID_CERT), or
// ERROR_WINHTTP_SECURE_CHANNEL_ERROR when no secure connection can be made
// at all (no common TLS version) or the certificate shows no fault. Runs on
// the request's thread, with `session` its own; every wait is at most waitMs.
DWORD FindTlsFault(HINTERNET session, const wchar_t *host, INTERNET_PORT port, int waitMs);
