#include "frame/options.h"

uint32_t wOptions = 0;
bool bFollowReferrals = false;
bool bUseRdap = false;
bool bUseIpv6 = false;
char szSaveFile[256];
