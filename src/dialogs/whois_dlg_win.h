// The WhoIs dialog: a query string, a server from the stored list, and the
// buttons that keep that list.
#pragma once

#include <windows.h>

#include "dialogs/dialog_helpers_win.h"

// The server selected first when no default has been recorded: a public
// registry's WhoIs server. It is only looked for in the list, never added.
#define DEFAULT_WHOIS_SERVER "whois.iana.org"

PELLWICK_EXPORT INT_PTR CALLBACK WhoisDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

// Selects the recorded default server when the list holds it.
void SelectDefaultWhoisServer(HWND dialog, int comboId);
// Removes `server` from the list and rewrites the section from the list,
// keeping the recorded default when it is still listed.
void DeleteWhoisServer(HWND dialog, const char *server);
