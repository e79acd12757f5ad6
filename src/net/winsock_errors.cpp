#include "net/winsock_errors.h"

#include <cstdio>

namespace {

struct ErrorText {
    int code;
    const char *text;
};

// These texts are shown to users as they stand.
const ErrorText WinsockErrorTexts[] = {
    {10004, "Blocking call canceled"},
    {10022, "App version not supported by DLL"},
    {10024, "No file descriptors available"},
    {10036, "Blocking operation in progress"},
    {10041, "Protocol wrong type for this socket"},
    {10043, "Specified protocol not supported"},
    {10044, "Socket type not supported for address family"},
    {10047, "Address Family Not Supported"},
    {10050, "Network Subsystem Failed"},
    {10053, "Connection Aborted"},
    {10054, "Connection Reset"},
    {10055, "No buffer space available"},
    {10060, "Timed Out"},
    {10061, "Connection Refused."},
    {10064, "Host Down"},
    {10065, "Host Unreachable"},
    {10091, "Winsock not present or not responding"},
    {10092, "Winsock version not supported"},
    {10093, "WSA Startup not intialized"},
    {11001, "Authoritive: Host Not Found"},
    {11002, "Non-Authoritive: Host not found or server error"},
    {11003, "Non-recoverable: refused or not implemented"},
    {11004, "Valid Name, no data record for type"},
};

} // namespace

const char *WinsockErrorText(int code)
{
    for (const ErrorText &e : WinsockErrorTexts)
        if (e.code == code)
            return e.text;
    return nullptr;
}

void FormatWinsockError(int code, const char *call, char *buf, size_t size)
{
    if (size == 0)
        return;
    if (const char *text = WinsockErrorText(code))
        std::snprintf(buf, size, " %s", text);
    else
        std::snprintf(buf, size, " %s returned unknown %u", call ? call : "",
                      static_cast<unsigned>(code));
}
