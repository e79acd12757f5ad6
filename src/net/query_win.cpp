#include "net/query_win.h"

#include <cstdio>
#include <string>
#include <vector>

#include "frame/frame_win.h"
#include "frame/messages.h"
#include "frame/options.h"
#include "net/connect_win.h"
#include "net/finger_request.h"
#include "net/lookup_win.h"
#include "net/notify_win.h"
#include "net/receive_win.h"
#include "res/resource.h"

bool bBusy = false;
int nQueryKind = QUERY_FINGER;
SOCKET sockQuery = INVALID_SOCKET;
uint32_t cbReceived = 0;
char szUser[QUERY_TEXT_BUFFER];
char szHost[QUERY_TEXT_BUFFER];
char szQueryTitle[QUERY_TITLE_BUFFER];

namespace {

// Each part goes out in its own send while the socket is still blocking.
// 0, or the error of the first send that failed.
int SendParts(SOCKET s, const std::vector<std::string> &parts)
{
    for (const std::string &part : parts) {
        if (send(s, part.data(), static_cast<int>(part.size()), 0) == SOCKET_ERROR)
            return WSAGetLastError();
    }
    return 0;
}

// Sends the request on the connected sockQuery, then arms it: the answer's
// events go to the main window only once the whole request is out, so no
// UM_SOCKET can arrive before the starter has returned. A connection that
// fails on the way ends the query at once, as a failed answer: neither
// event would ever come for it.
void SendAndArm(const std::vector<std::string> &parts)
{
    BeginAnswer();
    const int sendError = SendParts(sockQuery, parts);
    if (sendError != 0) {
        FailConnectedQuery(sendError, "send()");
        return;
    }
    if (WSAAsyncSelect(sockQuery, hwndMain, UM_SOCKET, FD_READ | FD_CLOSE) == SOCKET_ERROR) {
        FailConnectedQuery(WSAGetLastError(), "WSAAsyncSelect()");
        return;
    }
    // A connection that was reset before it was armed may never report an
    // event (Wine clears the error when the events are selected), so the
    // first read does not wait for one: it finds the answer, its end or the
    // failure already there, or nothing yet, and then the events follow.
    PostFollowUpRead();
}

void ClearForQuery()
{
    SendMessageA(hwndMain, WM_COMMAND, IDM_CLEAR, 0);
}

} // namespace

void ParseFingerTarget(char *text)
{
    SplitFingerTarget(text, szUser, sizeof szUser, szHost, sizeof szHost);
}

int StartFingerQuery()
{
    ClearForQuery();
    if (szHost[0] == '\0') {
        SetStatusText("No host specified");
        bBusy = false;
        return -1;
    }
    std::snprintf(szQueryTitle, sizeof szQueryTitle, "Pellwick (Finger - %s)", szHost);
    sockQuery = OpenTcpConnection(szHost, "finger", 79);
    if (sockQuery == INVALID_SOCKET) {
        bBusy = false;
        EnableQueryButtons(true, NotificationWaiting());
        return -1;
    }
    SendAndArm(FingerRequestParts((wOptions & OPT_LONG) != 0, (wOptions & OPT_NOTIFY) != 0,
                                  szUser));
    return 0;
}

int StartWhoisQuery(const char *query, const char *server)
{
    ClearForQuery();
    sockQuery = OpenTcpConnection(server, "whois", 43);
    if (sockQuery == INVALID_SOCKET) {
        bBusy = false;
        EnableQueryButtons(true, NotificationWaiting());
        return -1;
    }
    std::snprintf(szQueryTitle, sizeof szQueryTitle, "Pellwick (WhoIs - %s)", query);
    SendAndArm(WhoisRequestParts(query));
    return 0;
}

namespace {

void Begin(int kind)
{
    bBusy = true;
    nQueryKind = kind;
    PostMessageA(hwndMain, WM_COMMAND, IDM_UPDATEBUSYSTATE, 0);
}

int Started(int result)
{
    if (result == -1)
        SendMessageA(hwndMain, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwndMain), 0);
    return result;
}

} // namespace

int BeginFingerQuery()
{
    Begin(QUERY_FINGER);
    return Started(StartFingerQuery());
}

int BeginWhoisQuery(const char *query, const char *server)
{
    Begin(QUERY_WHOIS);
    return Started(StartWhoisQuery(query, server));
}

void BeginHostLookup(const char *name)
{
    Begin(QUERY_HOSTLOOKUP);
    const int error = StartHostLookup(name);
    if (error != 0)
        FailHostLookup(error);
}
