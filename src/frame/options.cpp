#include "frame/options.h"

uint32_t wOptions = 0;
char szSaveFile[256];
