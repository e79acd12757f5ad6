// The fixed English texts for WinSock failures met while connecting.
// Portable.
#pragma once

#include <cstddef>

// The table's text for a WinSock error code, or null for a code it lacks.
const char *WinsockErrorText(int code);

// The status text for a failure: " <text>" for a known code, otherwise
// " <call> returned unknown <code>" with the code as unsigned decimal.
// Always terminated within `size` bytes.
void FormatWinsockError(int code, const char *call, char *buf, size_t size);
