#include "net/notify_win.h"

int nNotifyMinutes = 0;
int nNotifyTicks = 0;
bool bNotifyTimer = false;
