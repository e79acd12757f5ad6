#include "net/receive_win.h"

#include <winsock.h>

#include <cstdio>

#include "frame/exit_codes.h"
#include "frame/frame_win.h"
#include "frame/messages.h"
#include "frame/options.h"
#include "net/answer_text.h"
#include "net/blocking_win.h"
#include "net/lookup_win.h"
#include "net/notify_win.h"
#include "net/query_win.h"
#include "net/winsock_errors.h"
#include "output/save_win.h"
#include "res/resource.h"

uint32_t cbAnswerLimit = ANSWER_LIMIT_BYTES;

namespace {

enum { RECEIVE_CHUNK = 1600 };

// The worst case of one chunk: every byte a tab.
char szConverted[ConvertedCapacity(RECEIVE_CHUNK)];

// Bytes of the answer now arriving; cbReceived counts on across answers.
uint32_t cbAnswer;

// A read posted by the program itself is on its way. One is enough: with
// WinSock's own events beside it, more would pile up in the queue while a
// fast answer streams and hold up every other message.
bool followUpPosted;

void PostCommand(int id)
{
    PostMessageA(hwndMain, WM_COMMAND, static_cast<WPARAM>(id), 0);
}

void ShowByteCount()
{
    char text[64];
    std::snprintf(text, sizeof text, "Finger - Received %lu bytes.",
                  static_cast<unsigned long>(cbReceived));
    SetWindowTextA(hwndMain, text);
    SetStatusText(text);
}

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
    FlushOutput(); // everything after this reads the whole answer
    closesocket(sockQuery);
    sockQuery = INVALID_SOCKET;
    bBusy = false;
    SendMessageA(hwndMain, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwndMain), 0);
}

// The server's close ends the answer.
void CompleteQuery()
{
    OfferOutput(); // also when a read found the end before the close event
    CloseQuery();
    SetWindowTextA(hwndMain, szQueryTitle);
    SetStatusText("Connection Closed.");
    PostCommand(IDM_UPDATEBUSYSTATE);
    SaveAndExit(EXIT_WHOLE);
    const bool lookForUser = nQueryKind == QUERY_FINGER && (wOptions & OPT_NOTIFY) != 0;
    nQueryKind = QUERY_NONE;
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
    SetStatusText(status);
    PostCommand(IDM_UPDATEBUSYSTATE);
    nQueryKind = QUERY_NONE;
    SaveAndExit(EXIT_CUT_OFF);
}

void FailQuery(int error, const char *call)
{
    char text[96];
    FormatWinsockError(error, call, text, sizeof text);
    EndCutOff(text);
}

// Counts a chunk that has gone into the pane. False when it brought the
// answer to its limit, which ends the query.
bool CountChunk(int n)
{
    cbReceived += static_cast<uint32_t>(n);
    cbAnswer += static_cast<uint32_t>(n);
    ShowByteCount();
    if (cbAnswer < cbAnswerLimit)
        return true;
    char text[64];
    std::snprintf(text, sizeof text, "Answer cut off after %lu bytes.",
                  static_cast<unsigned long>(cbAnswer));
    EndCutOff(text);
    return false;
}

// Reads whatever the platform still holds of an answer whose connection has
// failed. False when the answer reached its limit on the way.
bool DrainFailedConnection()
{
    for (;;) {
        const int n = ReceiveIntoOutput(hwndOutput);
        if (n <= 0)
            return true;
        if (!CountChunk(n))
            return false;
    }
}

} // namespace

void BeginAnswer()
{
    cbAnswer = 0;
}

void FailConnectedQuery(int error, const char *call)
{
    // Not armed, so still blocking: reading what is left must not wait.
    u_long nonBlocking = 1;
    ioctlsocket(sockQuery, static_cast<long>(FIONBIO), &nonBlocking);
    if (DrainFailedConnection())
        FailQuery(error, call);
}

int ReceiveIntoOutput(HWND pane)
{
    (void)pane; // always the output pane, which QueueOutput feeds
    uint8_t chunk[RECEIVE_CHUNK];
    // An answer never brings more than its limit into the pane.
    const uint32_t room = cbAnswerLimit > cbAnswer ? cbAnswerLimit - cbAnswer : 1;
    const int want = room < RECEIVE_CHUNK ? static_cast<int>(room) : RECEIVE_CHUNK;
    const int n = recv(sockQuery, reinterpret_cast<char *>(chunk), want, 0);
    if (n == 0)
        return 0;
    if (n == SOCKET_ERROR)
        return -1;
    const size_t length = ConvertAnswerChunk(chunk, static_cast<size_t>(n), szConverted);
    QueueOutput(szConverted, length);
    return n;
}

bool OnSocketEvent(WPARAM socket, LPARAM event)
{
    const WORD what = WSAGETSELECTEVENT(event);
    if (what != FD_READ && what != FD_CLOSE)
        return false;
    // An event already queued when Cancel closed its socket belongs to no
    // query any more.
    if (static_cast<SOCKET>(socket) != sockQuery)
        return true;
    // The close makes the output commands available before the last read,
    // so a user can save what has come.
    if (what == FD_CLOSE)
        OfferOutput();
    const int closeError = what == FD_CLOSE ? WSAGETSELECTERROR(event) : 0;
    if (closeError != 0) {
        // A reset connection: its close is the socket's last event, so the
        // query ends here, after whatever of the answer is still readable.
        if (DrainFailedConnection())
            FailQuery(closeError, "recv()");
        return true;
    }
    const int n = ReceiveIntoOutput(hwndOutput);
    if (n < 0) {
        // Nothing to read yet is no failure. Any other failed read is not
        // followed by a close, so it ends the query.
        const int error = WSAGetLastError();
        if (error != WSAEWOULDBLOCK)
            FailQuery(error, "recv()");
        return true;
    }
    if (n > 0) {
        // A read that emptied the socket is followed by another: when the
        // connection was reset before its events were armed, Wine reports
        // neither the reset nor the end, and only a read finds the end. A
        // full chunk leaves more behind, which WinSock does announce.
        if (CountChunk(n) && n < RECEIVE_CHUNK)
            PostFollowUpRead();
        return true;
    }
    CompleteQuery();
    return true;
}

void PostFollowUpRead()
{
    if (followUpPosted)
        return;
    followUpPosted = true;
    PostMessageA(hwndMain, UM_READAGAIN, 0, 0);
}

void OnReadAgain()
{
    // Whichever query runs now is read: one posted for an earlier query
    // stands in for the next one's, which was not posted while it waited.
    followUpPosted = false;
    if (sockQuery != INVALID_SOCKET)
        OnSocketEvent(sockQuery, WSAMAKESELECTREPLY(FD_READ, 0));
}

void CancelOperation()
{
    bool cancelled = false;
    if (IsBlockingCallActive()) {
        CancelBlockingCall();
        cancelled = true;
    } else if (sockQuery != INVALID_SOCKET) {
        closesocket(sockQuery);
        sockQuery = INVALID_SOCKET;
        cancelled = true;
    } else if (nQueryKind == QUERY_HOSTLOOKUP && bBusy) {
        CancelHostLookup();
        return;
    }
    FlushOutput(); // what has come stays in the pane
    if (!cancelled && !(wOptions & OPT_NOTIFY))
        return;
    bBusy = false;
    nQueryKind = QUERY_NONE;
    if (wOptions & OPT_NOTIFY) {
        StopNotifyTimer();
        wOptions &= ~static_cast<uint32_t>(OPT_NOTIFY);
    }
    PostCommand(IDM_UPDATEBUSYSTATE);
    SetStatusText("Operation Cancelled");
}
