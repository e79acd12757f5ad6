#include "rdap/rdap_lookup_win.h"

#include <new>
#include <string>

#include "config/config_names.h"
#include "config/config_win.h"
#include "frame/messages.h"
#include "rdap/bootstrap_cache_win.h"
#include "rdap/http_win.h"
#include "rdap/rdap_bootstrap.h"
#include "rdap/rdap_query.h"
#include "rdap/rdap_render.h"
#include "rdap/retry_after.h"
#include "text/names.h"
#include "text/text_mode.h"

namespace {

// The steps of one lookup, each a request whose end moves it on.
enum Step { STEP_IDLE, STEP_BOOTSTRAP, STEP_RECORD, STEP_REGISTRAR };

struct Lookup {
    Step step = STEP_IDLE;
    unsigned request = 0;  // the running request's id
    HWND window = nullptr;
    RdapPlug *plug = nullptr;
    std::string query;     // as the user gave it
    RdapQuery what;
    std::string base;      // the bootstrap base, ending in '/'
    bool allowHttp = false;
    std::string stale;     // a cached bootstrap file too old to trust alone
    std::string recordUrl;
};
Lookup lookup;

// The bootstrap base: an http:// one lets the services and links it leads
// to be http:// too (a test's loopback server); otherwise only https:// is
// followed.
void ReadBootstrapBase()
{
    char base[512];
    ReadSetting(SECTION_PELLWICK, KEY_RDAP_BOOTSTRAP, RDAP_BOOTSTRAP_DEFAULT, base, sizeof base);
    lookup.base = base[0] != '\0' ? base : RDAP_BOOTSTRAP_DEFAULT;
    if (lookup.base.back() != '/')
        lookup.base += '/';
    lookup.allowHttp = lookup.base.compare(0, 7, "http://") == 0 ||
                       lookup.base.compare(0, 7, "HTTP://") == 0;
}

// RDAP answers are UTF-8, which the pane takes as it is while Unicode text
// is on; otherwise it shows the program's code page, with '?' for a
// character it lacks.
std::string PaneText(const std::string &utf8)
{
    if (utf8.empty() || bUnicodeText)
        return utf8;
    const int n = static_cast<int>(utf8.size());
    const int wide = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), n, nullptr, 0);
    if (wide <= 0)
        return std::string();
    std::wstring w(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), n, &w[0], wide);
    const int narrow = WideCharToMultiByte(CP_ACP, 0, w.data(), wide, nullptr, 0, "?", nullptr);
    if (narrow <= 0)
        return std::string();
    std::string out(static_cast<size_t>(narrow), '\0');
    WideCharToMultiByte(CP_ACP, 0, w.data(), wide, &out[0], narrow, "?", nullptr);
    return out;
}

bool Tell(const std::string &utf8)
{
    return lookup.plug->Text(PaneText(utf8));
}

// Ends the lookup; the plug it returns is told how, on a clean state, so
// that it may start whatever comes next (the port-43 query).
RdapPlug &Finish()
{
    lookup.step = STEP_IDLE;
    lookup.request = 0;
    lookup.stale.clear();
    return *lookup.plug;
}

void Unavailable(const std::string &reason)
{
    Finish().Unavailable(reason);
}

// Starts the request of one step; 0, or the error that kept it from
// starting.
unsigned long Request(Step step, const std::string &url, const char *stage)
{
    unsigned long error = 0;
    const unsigned id = StartHttpGet(url, lookup.allowHttp, lookup.window, UM_HTTPDONE, &error);
    if (id == 0)
        return error != 0 ? error : ERROR_INVALID_PARAMETER;
    lookup.step = step;
    lookup.request = id;
    lookup.plug->Stage(stage);
    return 0;
}

void AskRecord(const std::string &bootstrap)
{
    std::string reason;
    const std::string service = FindRdapService(bootstrap, lookup.what, lookup.allowHttp, reason);
    if (service.empty()) {
        Unavailable(reason);
        return;
    }
    lookup.recordUrl = service + lookup.what.path;
    const std::string stage = "Asking " + RdapUrlHost(lookup.recordUrl) + " (RDAP)";
    if (const unsigned long error = Request(STEP_RECORD, lookup.recordUrl, stage.c_str()))
        Unavailable(RdapUrlHost(lookup.recordUrl) + ": " + HttpErrorText(error));
}

// A secure connection that failed ends the lookup there, in the pane and
// the status bar alike: port 43 is not asked, since whoever can break a TLS
// connection could otherwise turn every lookup into an unauthenticated one.
// `url` is the address asked when the result names none.
bool EndedInsecure(const HttpResult &r, const std::string &url)
{
    if (!IsSecureFailure(r.error))
        return false;
    const std::string host = RdapUrlHost(r.finalUrl.empty() ? url : r.finalUrl);
    const std::string why = "RDAP: the secure connection to " + host +
                            " failed: " + HttpErrorText(r.error) + "; port 43 not asked";
    const bool shown = Tell("[" + why + "]\r\n");
    RdapPlug &plug = Finish();
    if (shown)
        plug.CutOff(why.c_str());
    return true;
}

// What a failed request says in the fallback line.
std::string Failure(const HttpResult &r, const std::string &host)
{
    if (r.error != 0)
        return host + ": " + HttpErrorText(r.error);
    if (r.status == 429) {
        const std::string wait = RetryAfterText(r.retryAfter);
        return host + " is limiting queries" +
               (wait.empty() ? std::string() : "; it asks to wait " + wait);
    }
    return host + " answered HTTP " + std::to_string(r.status);
}

void OnBootstrap(const HttpResult &r)
{
    const char *file = RdapBootstrapFile(lookup.what.kind);
    if (EndedInsecure(r, lookup.base + file))
        return;
    const bool fetched = r.error == 0 && r.status == 200 && !r.truncated;
    if (fetched && IsRdapBootstrap(r.body)) {
        StoreBootstrap(lookup.base, file, r.body);
        AskRecord(r.body);
    } else if (!lookup.stale.empty()) {
        const std::string old = std::move(lookup.stale);
        AskRecord(old); // a failed refresh keeps using the old copy
    } else {
        const std::string host = RdapUrlHost(lookup.base);
        Unavailable("bootstrap file " + std::string(file) + " unavailable (" +
                    (fetched ? host + " sent no bootstrap file" : Failure(r, host)) + ")");
    }
}

// Shows one answer, rendered. False when the lookup is over: the owner
// ended the query on it, or there was no room to lay it out in a crowded
// process, which cuts the answer off.
bool Show(const HttpResult &r, RdapAnswer &answer)
{
    bool shown = false;
    try {
        answer = RenderRdap(r.body.data(), r.body.size());
        shown = Tell(answer.text);
    } catch (const std::bad_alloc &) {
        Finish().CutOff("Not enough memory to show the RDAP answer.");
        return false;
    }
    if (!shown)
        Finish();
    return shown;
}

void OnRecord(const HttpResult &r)
{
    if (EndedInsecure(r, lookup.recordUrl))
        return;
    const std::string host = RdapUrlHost(lookup.recordUrl);
    if (r.error == 0 && r.status == 404) {
        const std::string text = "No RDAP record for " + lookup.query + "\r\n";
        if (Tell(text))
            Finish().Done();
        else
            Finish();
        return;
    }
    if (r.error != 0 || r.status < 200 || r.status > 299) {
        Unavailable(Failure(r, host));
        return;
    }
    RdapAnswer answer;
    if (!Show(r, answer))
        return;
    if (r.truncated || answer.truncated) {
        Finish().CutOff("RDAP answer cut off at its limit.");
        return;
    }
    // A thin registry's domain record links to the registrar's, asked once.
    if (answer.related.empty() || answer.related == lookup.recordUrl ||
        !RdapUrlAllowed(answer.related, lookup.allowHttp)) {
        Finish().Done();
        return;
    }
    const std::string next = RdapUrlHost(answer.related);
    // A record on the internet that links to this machine or the user's own
    // network is not followed, as for a WhoIs referral.
    if (IsPrivateHostLiteral(next) && !r.privateServer &&
        !IsPrivateHostLiteral(RdapUrlHost(r.finalUrl))) {
        if (Tell("\r\n[Referral to " + next + " not followed: a private address]\r\n"))
            Finish().Done();
        else
            Finish();
        return;
    }
    lookup.recordUrl = answer.related;
    if (!Tell("\r\n[Referral to " + next + "]\r\n")) {
        Finish();
        return;
    }
    const std::string stage = "Following referral to " + next;
    if (const unsigned long error = Request(STEP_REGISTRAR, answer.related, stage.c_str())) {
        const std::string why = next + ": " + HttpErrorText(error);
        Finish().CutOff(why.c_str());
    }
}

void OnRegistrar(const HttpResult &r)
{
    if (EndedInsecure(r, lookup.recordUrl))
        return;
    const std::string host = RdapUrlHost(lookup.recordUrl);
    if (r.error != 0 || r.status < 200 || r.status > 299) {
        const std::string why = r.status == 404 ? host + " has no record for " + lookup.query
                                                : Failure(r, host);
        const bool shown = Tell("[" + why + "]\r\n");
        RdapPlug &plug = Finish();
        if (shown)
            plug.CutOff(why.c_str());
        return;
    }
    RdapAnswer answer;
    if (!Show(r, answer))
        return;
    if (r.truncated || answer.truncated)
        Finish().CutOff("RDAP answer cut off at its limit.");
    else
        Finish().Done();
}

} // namespace

void StartRdapLookup(const std::string &query, HWND window, RdapPlug &plug)
{
    CancelRdapLookup();
    lookup.window = window;
    lookup.plug = &plug;
    lookup.query = query;
    lookup.what = RdapQuery();
    std::string reason;
    if (!ClassifyRdapQuery(query, lookup.what, reason)) {
        Unavailable(reason);
        return;
    }
    ReadBootstrapBase();
    const char *file = RdapBootstrapFile(lookup.what.kind);
    std::string cached;
    bool fresh = false;
    if (ReadCachedBootstrap(lookup.base, file, cached, fresh) && fresh) {
        AskRecord(cached);
        return;
    }
    lookup.stale.swap(cached);
    const std::string stage = std::string("Fetching RDAP bootstrap file ") + file;
    if (const unsigned long error = Request(STEP_BOOTSTRAP, lookup.base + file, stage.c_str())) {
        HttpResult none;
        none.error = error;
        OnBootstrap(none);
    }
}

void OnRdapRequestDone(WPARAM id)
{
    if (lookup.step == STEP_IDLE || id != lookup.request)
        return;
    HttpResult r;
    if (!TakeHttpResult(lookup.request, r))
        return;
    lookup.request = 0;
    switch (lookup.step) {
    case STEP_BOOTSTRAP:
        OnBootstrap(r);
        break;
    case STEP_RECORD:
        OnRecord(r);
        break;
    case STEP_REGISTRAR:
        OnRegistrar(r);
        break;
    case STEP_IDLE:
        break;
    }
}

void CancelRdapLookup()
{
    if (lookup.request != 0)
        CancelHttpGet(lookup.request);
    lookup.request = 0;
    lookup.step = STEP_IDLE;
    lookup.stale.clear();
}
