#include "app/options.h"

uint16_t wOptions = 0;
char szSaveFile[256];
