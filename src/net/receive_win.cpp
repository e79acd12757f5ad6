#include "net/receive_win.h"

#include <winsock.h>

#include <cstdio>

#include "app/app_win.h"
#include "app/frame_win.h"
#include "app/messages.h"
#include "app/options.h"
#include "net/answer_text.h"
#include "net/blocking_win.h"
#include "net/lookup_win.h"
#include "net/notify_win.h"
#include "net/query_win.h"
#include "output/save_win.h"
#include "res/resource.h"

namespace {

enum { RECEIVE_CHUNK = 1600 };

// The worst case of one chunk: every byte a tab.
char szConverted[ConvertedCapacity(RECEIVE_CHUNK)];

void PostCommand(int id)
{
    PostMessageA(hwndMain, WM_COMMAND, id, 0);
}

void ShowByteCount()
{
    char text[64];
    std::snprintf(text, sizeof text, "Finger - Received %lu bytes.",
                  static_cast<unsigned long>(cbReceived));
    SetWindowTextA(hwndMain, text);
    SetStatusText(text);
}

// The server's close ends the answer.
void CompleteQuery()
{
    FlushOutput(); // everything after this reads the whole answer
    closesocket(sockQuery);
    sockQuery = INVALID_SOCKET;
    bBusy = false;
    SendMessageA(hwndMain, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwndMain), 0);
    SetWindowTextA(hwndMain, szQueryTitle);
    SetStatusText("Connection Closed.");
    PostCommand(IDM_UPDATEBUSYSTATE);
    if (wOptions & OPT_SAVE) {
        SaveOutputToFile(szSaveFile);
        wOptions &= static_cast<uint16_t>(~OPT_SAVE); // only the first answer is saved
    }
    if (wOptions & OPT_EXIT)
        PostMessageA(hwndMain, WM_QUIT, 0, 0);
    if (nQueryKind == QUERY_FINGER && (wOptions & OPT_NOTIFY) && CheckLoggedIn()) {
        StopNotifyTimer();
        nNotifyTicks = 0;
    }
    nQueryKind = QUERY_NONE;
}

} // namespace

int ReceiveIntoOutput(HWND pane)
{
    (void)pane; // always the output pane, which QueueOutput feeds
    uint8_t chunk[RECEIVE_CHUNK];
    const int n = recv(sockQuery, reinterpret_cast<char *>(chunk), sizeof chunk, 0);
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
    if (what == FD_CLOSE && bOutputGrayed)
        PostCommand(IDM_UPDATEOUTPUTSTATE); // the user can save what has come
    const int n = ReceiveIntoOutput(hwndOutput);
    if (n < 0)
        return true; // a failed read changes nothing; the close still comes
    if (n > 0) {
        cbReceived += static_cast<uint32_t>(n);
        ShowByteCount();
        return true;
    }
    CompleteQuery();
    return true;
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
        wOptions &= static_cast<uint16_t>(~OPT_NOTIFY);
    }
    PostCommand(IDM_UPDATEBUSYSTATE);
    SetStatusText("Operation Cancelled");
}
