// The Finger target and the bytes of the Finger and WhoIs requests.
// Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Splits a "[user@]host" target at its last at sign into user and host, each
// cut to fit its buffer (size - 1 characters) rather than overrun it. An
// empty target empties the host and leaves the user as it was; no at sign
// empties the user. The at sign in `text` is overwritten with a NUL, as the
// callers expect.
void SplitFingerTarget(char *text, char *user, size_t userSize, char *host, size_t hostSize);

// The Finger request as the separate writes that go on the wire, in order:
// "/W " when long output is asked for, the user unless it is empty or
// notification is on (notification looks for the user in the list of
// everyone), then CR LF. The host is never sent.
std::vector<std::string> FingerRequestParts(bool longOutput, bool notify, const char *user);

// The WhoIs request: the query as given (possibly empty), then CR LF.
std::vector<std::string> WhoisRequestParts(const char *query);
