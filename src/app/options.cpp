#include "app/options.h"

uint32_t wOptions = 0;
char szSaveFile[256];
