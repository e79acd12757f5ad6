// Receiving the answer, completing the query and cancelling an operation.
#pragma once

#include <windows.h>

// UM_SOCKET: one read per message. False for events other than FD_READ and
// FD_CLOSE, which go to the default window procedure.
bool OnSocketEvent(WPARAM socket, LPARAM event);

// Reads at most one 1600-byte chunk from sockQuery and adds its converted
// text to the pane. Bytes read, 0 once the server has closed, -1 on failure.
int ReceiveIntoOutput(HWND pane);

// Command 1001: ends whatever operation runs.
void CancelOperation();
