// The RDAP side of a WhoIs query: what to ask, where (the bootstrap files,
// fetched on first need and kept for a day), the answer as text, and a
// domain's link to its registrar's record. The requests run off the window's
// thread and end in UM_HTTPDONE; everything else happens on the window's
// thread. It shows nothing itself: it tells the query's owner through a plug.
#pragma once

#include <windows.h>

#include <string>

class RdapPlug {
public:
    // A stage for the status bar.
    virtual void Stage(const char *text) = 0;
    // Text for the pane, in its code page, with CR LF line ends. Returns
    // false when the owner has ended the query on it (the answer reached its
    // limit); the lookup is then over.
    virtual bool Text(const std::string &text) = 0;
    // The answer is whole.
    virtual void Done() = 0;
    // The answer ends without its last part; `status` says why.
    virtual void CutOff(const char *status) = 0;
    // RDAP cannot answer this query: the owner asks port 43 instead.
    virtual void Unavailable(const std::string &reason) = 0;

protected:
    ~RdapPlug() = default;
};

// Starts the lookup of `query`. Whatever happens is told to `plug`, possibly
// before this returns (a query that is no domain, address or AS number, or
// one the cached bootstrap lists no service for, is unavailable at once).
// `window` receives UM_HTTPDONE for each request.
void StartRdapLookup(const std::string &query, HWND window, RdapPlug &plug);
// A request has ended: wParam of UM_HTTPDONE. Ids of no running request are
// ignored.
void OnRdapRequestDone(WPARAM id);
// Stops the running request at once; nothing more is told to the plug.
void CancelRdapLookup();
