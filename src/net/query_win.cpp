#include "net/query_win.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "config/config_win.h"
#include "frame/exit_codes.h"
#include "frame/frame_win.h"
#include "frame/messages.h"
#include "frame/options.h"
#include "net/blocking_win.h"
#include "net/connect_win.h"
#include "net/connection_win.h"
#include "net/finger_request.h"
#include "net/lookup_both_win.h"
#include "net/lookup_win.h"
#include "net/notify_win.h"
#include "net/progress_win.h"
#include "net/query_plug.h"
#include "net/referral.h"
#include "net/winsock_errors.h"
#include "output/find_win.h"
#include "output/save_win.h"
#include "rdap/rdap_lookup_win.h"
#include "res/resource.h"
#include "text/names.h"
#include "text/text_mode.h"
#include "text/unicode_win.h"

bool bBusy = false;
int nQueryKind = QUERY_FINGER;
SOCKET sockQuery = INVALID_SOCKET;
uint32_t cbReceived = 0;
char szUser[QUERY_TEXT_BUFFER];
char szHost[QUERY_TEXT_BUFFER];
char szQueryTitle[QUERY_TITLE_BUFFER];
uint32_t cbAnswerLimit = ANSWER_LIMIT_BYTES;

namespace {

// What the one query is doing. Changed in EnterPhase alone, which derives
// bBusy and nQueryKind from it and shows the change.
enum class Phase {
    Idle,
    Connecting,    // a server's name resolves or its connect is awaited, in
                   // the window's nested wait: a first query's, a referral's
                   // or port 43's after RDAP
    Receiving,     // the request is out and the answer comes over `connection`
    AskingRdap,    // an RDAP request runs off the window's thread
    LookingUpHost  // the platform's resolver looks a host up
};
Phase phase = Phase::Idle;

// The connection of a Finger or WhoIs query; sockQuery mirrors its socket.
Connection connection;

// Bytes of the answer now arriving; cbReceived counts on across answers.
// A chain of referrals is one answer: its limit holds for the whole chain.
uint32_t cbAnswer;

// A WhoIs query that follows referrals: when a server's answer names
// another server, the same query goes there, and its answer goes on below
// the last one in the pane, until an answer names none that may be asked.
struct ReferralState {
    bool on = false;        // this query follows referrals
    std::string query;      // what every server of the chain is asked
    ReferralChain servers;  // who has been asked, in order
    std::string answer;     // what the current connection brought, from its start
    bool lineEnded = true;  // the pane's text ends with a whole line
    // The first server is at a private address (a company's own, a test's):
    // its referrals may lead anywhere. Otherwise none leads to one.
    bool privateStart = false;
};
// Servers put the referral near the top of their answer; only the start of
// a long answer is kept to look for it, so a chain adds no second copy of a
// large answer to what a 32-bit process holds.
enum { REFERRAL_SCAN_BYTES = 1024 * 1024 };
ReferralState referral;

// The server a WhoIs query asks on port 43: at once, or when RDAP cannot
// answer it.
std::string whoisServer;

// A server that accepts the connection and then sends nothing would hold
// the query, the timed queries behind it and a waiting -e run for ever. The
// answer's clock starts when the request is out and starts again with each
// read; when it runs out, the query ends as a failed one. A read only notes
// its time: the timer, when it falls due, waits on for what is left.
struct AnswerClock {
    std::string host;    // the server asked now, as the status names it
    UINT seconds = 0;    // 0: no limit
    bool running = false;
    DWORD lastRead = 0;  // when the request went out or the last bytes came
};
AnswerClock answerClock;

void StartAnswerClock(const std::string &host)
{
    answerClock.host = host;
    const int32_t seconds = ReadSettingNumber(SECTION_PELLWICK, KEY_ANSWER_TIMEOUT,
                                              ANSWER_TIMEOUT_DEFAULT, 16);
    // More than a day is no limit anyone means; it also keeps the
    // milliseconds within a timer's range.
    answerClock.seconds = seconds <= 0 ? 0 : static_cast<UINT>(seconds < 86400 ? seconds : 86400);
    answerClock.running = answerClock.seconds != 0;
    answerClock.lastRead = GetTickCount();
    if (answerClock.running)
        SetTimer(hwndMain, TIMER_ANSWER, answerClock.seconds * 1000, nullptr);
}

// A read has brought something: the clock starts again.
void RestartAnswerClock()
{
    answerClock.lastRead = GetTickCount();
}

void StopAnswerClock()
{
    if (answerClock.running)
        KillTimer(hwndMain, TIMER_ANSWER);
    answerClock.running = false;
}

void EndCutOff(const char *status);
bool FollowReferral();
void AskPort43(const std::string &reason);

void PostCommand(int id)
{
    PostMessageA(hwndMain, WM_COMMAND, static_cast<WPARAM>(id), 0);
}

// The main window sets its cursor anew: the hourglass while busy.
void RefreshCursor()
{
    SendMessageA(hwndMain, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwndMain), 0);
}

// ---- The phase and the connection ---------------------------------------

// The query buttons as the busy state and the notification have them now.
void ShowBusyState()
{
    EnableQueryButtons(!bBusy, NotificationWaiting());
}

// The one place the phase changes. The design's bBusy and nQueryKind follow
// it; the query buttons and the cursor show a change at once.
void EnterPhase(Phase next, int kind)
{
    const bool wasBusy = bBusy;
    phase = next;
    bBusy = next != Phase::Idle;
    nQueryKind = next == Phase::Idle ? QUERY_NONE : kind;
    if (bBusy != wasBusy) {
        ShowBusyState();
        RefreshCursor();
    }
}

// A step of the same query.
void EnterPhase(Phase next)
{
    EnterPhase(next, nQueryKind);
}

// The design's sockQuery names the connection's socket; written here alone.
void MirrorSocket()
{
    sockQuery = connection.Socket();
}

// The connection takes `s`, and the answer now arriving may bring what is
// left of its limit.
void HoldConnection(SOCKET s)
{
    connection.Open(s, hwndMain, cbAnswerLimit - cbAnswer);
    MirrorSocket();
    EnterPhase(Phase::Receiving);
}

void DropConnection()
{
    connection.Close();
    MirrorSocket();
}

// ---- Beginning ---------------------------------------------------------

void ClearForQuery()
{
    SendMessageA(hwndMain, WM_COMMAND, IDM_CLEAR, 0);
}

// A query that could not start has nothing to end: idle again.
int NotStarted()
{
    EnterPhase(Phase::Idle);
    return -1;
}

// A new answer: the title it will show when whole, and its count and
// progress from nothing. `kind` is "Finger" or "WhoIs".
void StartAnswer(const char *kind, const char *subject)
{
    std::snprintf(szQueryTitle, sizeof szQueryTitle, "Pellwick (%s - %s)", kind, subject);
    cbAnswer = 0;
    ResetProgress();
}

// A name with letters beyond ASCII goes out as its A-labels. One the
// platform cannot convert is not sent: the status bar says so, and the
// query does not start. `kind` is "host" or "domain".
bool NameForTheWire(const char *name, const char *kind, std::string &wire)
{
    if (NameOnTheWire(name, wire))
        return true;
    char text[2 * QUERY_TEXT_BUFFER];
    std::snprintf(text, sizeof text, "Not a valid %s name: %s", kind, name);
    SetStatusText(text);
    return false;
}

// The host part of a WhoIs server as it is connected to: without a port
// where a query that follows referrals takes one.
std::string WhoisServerHost(const std::string &server)
{
    WhoisServer parsed;
    if (referral.on && ParseWhoisServer(server, parsed) && parsed.port != 0)
        return parsed.host;
    return server;
}

// What a WhoIs server is asked: a domain name with letters beyond ASCII as
// its A-labels; any other query (a person, a handle, an address) as it was
// typed, in UTF-8 while Unicode text is on.
bool WhoisQueryForTheWire(const char *query, std::string &wire)
{
    if (!bUnicodeText || !HasNonAscii(query) || !LooksLikeDomainName(query)) {
        wire = query;
        return true;
    }
    return NameForTheWire(query, "domain", wire);
}

// ---- Ending ------------------------------------------------------------

// What a command-line run asks for once its answer has ended: the save, and
// the end of the program with a code that says how the answer ended.
void SaveAndExit(int exitCode)
{
    if (wOptions & OPT_SAVE) {
        if (!SaveOutputToFile(szSaveFile))
            exitCode = EXIT_SAVE_FAILED; // a file that cannot be trusted matters most
        wOptions &= ~static_cast<uint32_t>(OPT_SAVE); // only the first answer is saved
    }
    if (wOptions & OPT_EXIT)
        PostMessageA(hwndMain, WM_QUIT, static_cast<WPARAM>(exitCode), 0);
}

// Closes the connection and leaves the busy state; the pane keeps the answer.
void CloseQuery()
{
    StopAnswerClock();
    FlushOutput(); // everything after this reads the whole answer
    DropConnection();
    EnterPhase(Phase::Idle);
}

// The server's close ends the answer.
void CompleteQuery()
{
    const bool lookForUser = nQueryKind == QUERY_FINGER && (wOptions & OPT_NOTIFY) != 0;
    OfferOutput(); // also when a read found the end before the close event
    CloseQuery();
    CatchUpProgress();
    SetFrameTitle(szQueryTitle);
    SetStatusText("Connection Closed.");
    SaveAndExit(EXIT_WHOLE);
    if (lookForUser)
        CheckLoggedIn(); // ends the notification itself when the user is there
}

// The answer ended without the server's close: the connection failed, or the
// answer reached its limit. The title keeps the byte count and the status
// says why; what came stays, can be saved, and is saved with -s.
void EndCutOff(const char *status)
{
    OfferOutput();
    CloseQuery();
    CatchUpProgress();
    if (status != nullptr) // otherwise the failure already shows
        SetStatusText(status);
    SaveAndExit(EXIT_CUT_OFF);
}

// Counts a chunk that has gone into the pane. Returns how many more bytes
// the answer may bring; 0 when this one brought it to its limit, which ends
// the query.
uint32_t CountChunk(int n)
{
    cbReceived += static_cast<uint32_t>(n);
    cbAnswer += static_cast<uint32_t>(n);
    NoteProgress(cbReceived);
    if (cbAnswer < cbAnswerLimit)
        return cbAnswerLimit - cbAnswer;
    char text[64];
    std::snprintf(text, sizeof text, "Answer cut off after %lu bytes.",
                  static_cast<unsigned long>(cbAnswer));
    EndCutOff(text);
    return 0;
}

// ---- What the network code tells the query ------------------------------

// A Finger or WhoIs query: the stages and failures of the set-up in the
// status bar, the answer into the pane, and its end.
class AnswerPlug final : public QueryPlug {
public:
    void Stage(ConnectStage stage, const char *host) override
    {
        static const char *const kFormats[] = {"Resolving %s", "Connecting to %s",
                                               "Connected to %s"};
        // Room for the longest host (255 characters) after the longest
        // prefix, so the status shows the host whole.
        char text[300];
        std::snprintf(text, sizeof text, kFormats[stage], host);
        SetStatusText(text);
    }

    void Failed(int error, const char *call) override
    {
        if (!connection.IsOpen()) {
            ShowWinsockError(error, call); // the set-up gives up; the start says the rest
            return;
        }
        char text[96];
        FormatWinsockError(error, call, text, sizeof text);
        EndCutOff(text);
    }

    uint32_t Received(const char *text, size_t length, int bytes) override
    {
        if (bytes > 0)
            RestartAnswerClock();
        QueueOutput(text, length);
        if (referral.on && length > 0)
            referral.lineEnded = text[length - 1] == '\n';
        if (referral.on && referral.answer.size() < REFERRAL_SCAN_BYTES)
            referral.answer.append(text, std::min<size_t>(length, REFERRAL_SCAN_BYTES));
        return CountChunk(bytes);
    }

    // The close makes the output commands available before the last read,
    // so a user can save what has come.
    void Closing() override { OfferOutput(); }

    void Closed() override
    {
        if (!FollowReferral())
            CompleteQuery();
    }
};
AnswerPlug answerPlug;

// A host lookup: its lines straight into the pane, then idle again.
class LookupPlug final : public QueryPlug {
public:
    void Stage(ConnectStage, const char *) override {}

    void Failed(int error, const char *call) override
    {
        ShowWinsockError(error, call);
        EnterPhase(Phase::Idle);
    }

    uint32_t Received(const char *text, size_t, int) override
    {
        AppendOutput(text);
        return 1; // a lookup's entry has no limit but its own
    }

    void Closing() override {}

    void Closed() override
    {
        EnterPhase(Phase::Idle);
        OfferOutput();
    }
};
LookupPlug lookupPlug;

// A WhoIs query over RDAP: the stages in the status bar, the rendered
// answer into the pane, counted and limited like any answer; where RDAP
// cannot answer, the same query on port 43.
class RdapAnswerPlug final : public RdapPlug {
public:
    void Stage(const char *text) override { SetStatusText(text); }

    bool Text(const std::string &text) override
    {
        if (text.empty())
            return true;
        QueueOutput(text.c_str(), text.size());
        return CountChunk(static_cast<int>(text.size())) != 0;
    }

    void Done() override { CompleteQuery(); }

    void CutOff(const char *status) override { EndCutOff(status); }

    void Unavailable(const std::string &reason) override { AskPort43(reason); }
};
RdapAnswerPlug rdapPlug;

// The one way each connection of a query begins, its first or a later one
// (a referral's, or port 43's after RDAP): `s` is connected to `host`, or
// INVALID_SOCKET when it could not be. The request goes out and the socket
// is armed; a connection that fails on the way ends the query at once, as a
// failed answer, for neither event would ever come for it. False when there
// was no connection: a first query has then not started; a later one ends
// with what came, unless a Cancel while it was being reached has ended it
// already.
bool AskOver(SOCKET s, bool first, const std::string &host, const std::vector<std::string> &parts)
{
    if (s == INVALID_SOCKET) {
        if (first)
            NotStarted();
        else if (phase != Phase::Idle)
            EndCutOff(nullptr);
        return false;
    }
    HoldConnection(s);
    const int sendError = connection.Send(parts);
    if (sendError != 0) {
        connection.Fail(sendError, "send()", answerPlug);
        return true;
    }
    // Armed, the connection may end within the call; the clock runs only
    // for one that is still open.
    StartAnswerClock(host);
    const int armError = connection.Arm();
    if (armError != 0)
        connection.Fail(armError, "WSAAsyncSelect()", answerPlug);
    return true;
}

// The families every connection of the running query uses: the IPv6 option
// as it stood when the query started. The menu can change it while a name
// resolves, and what resolved for one set-up must be connected by the same.
Families families = Families::Ipv4;

// A query or lookup starts: it takes the option as it stands.
void TakeFamilies()
{
    families = bUseIpv6 ? Families::Both : Families::Ipv4;
}

bool PeerIsPrivate(SOCKET s)
{
    sockaddr_storage peer;
    int length = sizeof peer;
    if (getpeername(s, reinterpret_cast<sockaddr *>(&peer), &length) == SOCKET_ERROR)
        return false;
    return IsPrivateAddress(reinterpret_cast<const sockaddr *>(&peer));
}

// Any of the addresses a host leads to is such a place: a racing connect
// could reach any of them.
bool AnyPrivate(const ServerAddresses &addresses)
{
    for (const SocketAddress &a : addresses)
        if (IsPrivateAddress(reinterpret_cast<const sockaddr *>(&a.storage)))
            return true;
    return false;
}

// Connects to the first WhoIs server of a query's chain; where it is decides
// where its referrals may lead. A query that follows referrals takes a
// "host:port" server to that port; otherwise the name goes to the resolver
// whole, as it always has.
SOCKET OpenWhoisServer(const std::string &server)
{
    WhoisServer parsed;
    const SOCKET s =
        referral.on && ParseWhoisServer(server, parsed) && parsed.port != 0
            ? OpenConnection(parsed.host.c_str(), "whois", 43, "tcp", answerPlug, families,
                             parsed.port)
            : OpenTcpConnection(server.c_str(), "whois", 43, answerPlug, families);
    referral.privateStart = s != INVALID_SOCKET && PeerIsPrivate(s);
    return s;
}

// The server has closed the connection of one answer in a chain. When that
// answer names a server that may still be asked, the connection is closed,
// a line names the next server, and the same query goes there: true. False
// when the chain ends here and the query completes.
bool FollowReferral()
{
    if (!referral.on)
        return false;
    const std::string next = FindReferral(referral.answer.data(), referral.answer.size());
    referral.answer.clear();
    WhoisServer server;
    ParseWhoisServer(next, server); // FindReferral names only servers it parses
    // Without IPv6 an IPv6 server cannot be reached: the chain ends here whole.
    if (next.empty() || (families == Families::Ipv4 && !Ipv6Literal(server.host).empty()) ||
        !referral.servers.Follow(next))
        return false;
    FlushOutput();
    CatchUpProgress();
    StopAnswerClock(); // the next server's clock starts with its request
    DropConnection();
    EnterPhase(Phase::Connecting);
    SetStatusText(("Following referral to " + next).c_str());
    // A blank line, then the line that names the next server.
    const std::string mark = (referral.lineEnded ? "\r\n" : "\r\n\r\n") + std::string("[Referral to ") +
                             next;
    referral.lineEnded = true;
    // A server on the internet that names one on the user's own machine or
    // network is not followed: the answer comes from whoever runs it. A
    // name that says so is not even resolved.
    const bool anywhere = referral.privateStart;
    bool inside = !anywhere && IsPrivateHostLiteral(server.host);
    ServerAddresses addresses;
    if (!inside) {
        if (!ResolveServer(server.host.c_str(), "whois", 43, "tcp", answerPlug, server.port,
                           families, addresses)) {
            // A server that cannot be reached ends the chain with what came;
            // a Cancel while it was being reached has ended it already.
            AppendOutput((mark + "]\r\n").c_str());
            if (phase != Phase::Idle)
                EndCutOff(nullptr);
            return true;
        }
        inside = !anywhere && AnyPrivate(addresses);
    }
    if (inside) {
        // The chain ends whole here, as at a server asked before.
        AppendOutput((mark + " not followed: a private address]\r\n").c_str());
        return false;
    }
    AppendOutput((mark + "]\r\n").c_str());
    AskOver(ConnectResolved(server.host.c_str(), addresses, "tcp", answerPlug, families),
            false, next,
            WhoisRequestParts(referral.query.c_str()));
    return true;
}

// RDAP cannot answer the query: a line says why, and the named server is
// asked on port 43, following referrals if that is on.
void AskPort43(const std::string &reason)
{
    FlushOutput();
    AppendOutput(("[RDAP unavailable: " + reason + "; asking " + whoisServer + "]\r\n").c_str());
    EnterPhase(Phase::Connecting);
    // The note stays whatever comes of the connection.
    AskOver(OpenWhoisServer(whoisServer), false, whoisServer,
            WhoisRequestParts(referral.query.c_str()));
}

// ---- The logged-in notification's queries ------------------------------

// A query runs from the moment it leaves the idle phase until it is idle
// again; a waiting connect counts too.
bool QueryRunning()
{
    return phase != Phase::Idle;
}

// Starts the timed query, or, while another query runs or a modal window
// (a query dialog, Save As, a print job, a message box) holds the frame,
// tries again every second until it can. A query dialog's Ok would
// otherwise start a second query over this one, and a print or save would
// see the pane cleared under it.
void StartDueQuery()
{
    if (QueryRunning() || !IsWindowEnabled(hwndMain)) {
        RetryNotifyQuerySoon();
        return;
    }
    StopNotifyRetries();
    BeginFingerQuery(); // a failure shows in the status bar; the next tick tries again
}

} // namespace

void ParseFingerTarget(char *text)
{
    SplitFingerTarget(text, szUser, sizeof szUser, szHost, sizeof szHost);
}

int BeginFingerQuery()
{
    EnterPhase(Phase::Connecting, QUERY_FINGER);
    TakeFamilies();
    ClearForQuery();
    referral.on = false;
    if (szHost[0] == '\0') {
        SetStatusText("No host specified");
        return NotStarted();
    }
    std::string wireHost;
    if (!NameForTheWire(szHost, "host", wireHost))
        return NotStarted();
    StartAnswer("Finger", szHost);
    const SOCKET s = OpenTcpConnection(szHost, "finger", 79, answerPlug, families);
    const bool longForm = (wOptions & OPT_LONG) != 0, notify = (wOptions & OPT_NOTIFY) != 0;
    return AskOver(s, true, szHost, FingerRequestParts(longForm, notify, szUser)) ? 0 : -1;
}

int BeginWhoisQuery(const char *query, const char *server)
{
    EnterPhase(Phase::Connecting, QUERY_WHOIS);
    TakeFamilies();
    ClearForQuery();
    referral.on = bFollowReferrals;
    std::string wireQuery, wireServer;
    if (!WhoisQueryForTheWire(query, wireQuery) ||
        !NameForTheWire(WhoisServerHost(server).c_str(), "host", wireServer)) {
        referral.on = false;
        return NotStarted();
    }
    referral.query = wireQuery;
    referral.answer.clear();
    referral.lineEnded = true;
    referral.servers.Start(server);
    whoisServer = server;
    StartAnswer("WhoIs", query);
    if (bUseRdap) {
        EnterPhase(Phase::AskingRdap);
        StartRdapLookup(wireQuery.c_str(), hwndMain, rdapPlug);
        return 0;
    }
    return AskOver(OpenWhoisServer(server), true, server, WhoisRequestParts(wireQuery.c_str()))
               ? 0
               : -1;
}

void BeginHostLookup(const char *name)
{
    EnterPhase(Phase::LookingUpHost, QUERY_HOSTLOOKUP);
    TakeFamilies();
    ClearForQuery();
    std::string wire;
    if (!NameForTheWire(name, "host", wire)) {
        EnterPhase(Phase::Idle);
        return;
    }
    // A failure has ended it already.
    StartHostLookup(name, hwndMain, lookupPlug, families);
}

void ResetByteCount()
{
    cbReceived = 0;
}

void ResetBusyState()
{
    EnterPhase(Phase::Idle);
}

bool OnSocketEvent(WPARAM socket, LPARAM event)
{
    return connection.OnEvent(socket, event, answerPlug);
}

void OnReadAgain()
{
    connection.ReadAgain(answerPlug);
}

void OnHttpDone(WPARAM request)
{
    OnRdapRequestDone(request);
}

void OnAnswerTimeout()
{
    KillTimer(hwndMain, TIMER_ANSWER);
    if (!answerClock.running || !connection.IsOpen()) {
        answerClock.running = false; // a late tick of a query that has ended
        return;
    }
    const DWORD limit = answerClock.seconds * 1000;
    const DWORD quiet = GetTickCount() - answerClock.lastRead;
    if (quiet < limit) {
        SetTimer(hwndMain, TIMER_ANSWER, limit - quiet, nullptr);
        return;
    }
    char text[QUERY_TEXT_BUFFER + 48];
    std::snprintf(text, sizeof text, "No answer from %s in %u seconds", answerClock.host.c_str(),
                  answerClock.seconds);
    EndCutOff(text); // what came stays, and -e ends with 3
}

void OnHostLookup(WPARAM task, LPARAM result)
{
    ReadHostLookup(task, result, szHost, sizeof szHost, lookupPlug);
}

void OnBothLookup(WPARAM number)
{
    ReadBothLookup(number, szHost, sizeof szHost, lookupPlug);
}

void OnNotifyTick()
{
    if (NotifyStillWanted() && CountNotifyTick())
        StartDueQuery();
}

void OnNotifyDue()
{
    if (NotifyStillWanted())
        StartDueQuery();
    else
        StopNotifyRetries();
}

void CancelOperation()
{
    const Phase was = phase;
    switch (was) {
    case Phase::Idle:
        // Nothing runs; a notification waiting for its next query still ends.
        if (!(wOptions & OPT_NOTIFY))
            return;
        break;
    case Phase::Connecting:
        CancelBlockingCall(); // the wait ends with WSAEINTR, and the set-up with it
        break;
    case Phase::Receiving:
        StopAnswerClock();
        DropConnection();
        break;
    case Phase::AskingRdap:
        CancelRdapLookup();
        break;
    case Phase::LookingUpHost:
        // Idle at once; the late answer is dropped. A lookup never runs
        // under a notification.
        CancelHostLookup();
        EnterPhase(Phase::Idle);
        SetStatusText("Operation Cancelled");
        return;
    }
    FlushOutput(); // what has come stays in the pane
    if (was != Phase::Idle)
        CatchUpProgress(); // and the title keeps its exact count
    if (wOptions & OPT_NOTIFY) {
        StopNotifyTimer();
        wOptions &= ~static_cast<uint32_t>(OPT_NOTIFY);
    }
    if (was == Phase::Idle)
        ShowBusyState(); // the notification's end shows too
    EnterPhase(Phase::Idle);
    SetStatusText("Operation Cancelled");
}

int CheckLoggedIn()
{
    if (!FindInOutput(hwndOutput, -1, szUser))
        return 0;
    // The notification is over before the notice shows: no tick under the
    // box may start another query, clear the pane it describes or stack a
    // second box on it, and Cancel Operation is no longer offered.
    EndNotification();
    PostCommand(IDM_UPDATEBUSYSTATE);
    char text[2 * QUERY_TEXT_BUFFER + 32];
    std::snprintf(text, sizeof text, "%s is logged on at %s", szUser, szHost);
    MessageBeep(0);
    const UINT style = MB_OK | MB_ICONINFORMATION | MB_TASKMODAL;
    if (bUnicodeText) {
        // The name as the user typed it, whatever the code page holds.
        MessageBoxW(nullptr, Utf8ToWide(text, std::strlen(text)).c_str(), L"Pellwick Notify",
                    style);
        return 1;
    }
    MessageBoxA(nullptr, text, "Pellwick Notify", style);
    return 1;
}

void EnterBusyForTest()
{
    EnterPhase(Phase::Receiving, QUERY_FINGER);
}

void SetByteCountForTest(uint32_t bytes)
{
    cbReceived = bytes;
}

void ShowWinsockError(int code, const char *call)
{
    char text[96];
    FormatWinsockError(code, call, text, sizeof text);
    SetStatusText(text);
}
