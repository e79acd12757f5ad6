#include "net/query_win.h"

bool bBusy = false;
int nQueryKind = QUERY_FINGER;
SOCKET sockQuery = INVALID_SOCKET;
uint32_t cbReceived = 0;
char szUser[QUERY_TEXT_BUFFER];
char szHost[QUERY_TEXT_BUFFER];
