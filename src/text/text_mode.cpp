#include "text/text_mode.h"

bool bUnicodeText = false;
