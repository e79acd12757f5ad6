#include "output/find_win.h"

HWND hwndFind = nullptr;
