#include "frame/options.h"

uint32_t wOptions = 0;
bool bFollowReferrals = false;
char szSaveFile[256];
