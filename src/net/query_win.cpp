#include "net/query_win.h"

#include <cstdio>
#include <string>
#include <vector>

#include "app/app_win.h"
#include "app/frame_win.h"
#include "app/messages.h"
#include "app/options.h"
#include "net/connect_win.h"
#include "net/finger_request.h"
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
// Their results are not examined: a failed send shows as the connection's end.
void SendParts(SOCKET s, const std::vector<std::string> &parts)
{
    for (const std::string &part : parts)
        send(s, part.data(), static_cast<int>(part.size()), 0);
}

// The answer's events go to the main window only once the whole request is
// out, so no UM_SOCKET can arrive before the starter has returned.
void Arm(SOCKET s)
{
    WSAAsyncSelect(s, hwndMain, UM_SOCKET, FD_READ | FD_CLOSE);
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
        EnableQueryButtons(true);
        return -1;
    }
    SendParts(sockQuery, FingerRequestParts((wOptions & OPT_LONG) != 0,
                                            (wOptions & OPT_NOTIFY) != 0, szUser));
    Arm(sockQuery);
    return 0;
}

int StartWhoisQuery(const char *query, const char *server)
{
    ClearForQuery();
    sockQuery = OpenTcpConnection(server, "whois", 43);
    if (sockQuery == INVALID_SOCKET) {
        bBusy = false;
        EnableQueryButtons(true);
        return -1;
    }
    std::snprintf(szQueryTitle, sizeof szQueryTitle, "Pellwick (WhoIs - %s)", query);
    SendParts(sockQuery, WhoisRequestParts(query));
    Arm(sockQuery);
    return 0;
}
