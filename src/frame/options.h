// The run options set by the command line and the dialogs. Portable.
#pragma once

#include <cstdint>

#include "text/text_mode.h"

#define OPT_FINGER (0x001)  // a Finger query from the command line
#define OPT_WHOIS (0x002)   // a WhoIs query from the command line
#define OPT_LONG (0x004)    // ask the Finger server for long output
#define OPT_NOTIFY (0x010)  // repeat the Finger query until the user logs in
#define OPT_SAVE (0x020)    // save the first completed answer to szSaveFile
#define OPT_EXIT (0x100)    // end the program when the answer is complete

extern uint32_t wOptions;

// Follow WhoIs referrals: a WhoIs answer that names another server leads to
// the same query there. On from the saved setting, the Options menu, or -r
// for one run.
extern bool bFollowReferrals;

// Use RDAP: a WhoIs query asks the registration data service the bootstrap
// files name, over HTTPS, and port 43 only where there is none. On from the
// saved setting, the Options menu, or -j for one run.
extern bool bUseRdap;

// Use IPv6: a host name is resolved to the addresses of both families, an
// IPv6 address is accepted wherever a host is, and the connection races the
// families (net/attempt_race.h). Off, the set-up is IPv4 alone. On from the
// saved setting, the Options menu, or -6 for one run.
extern bool bUseIpv6;

// Unicode text (bUnicodeText) is kept with the text conversions it steers.

// The file a command-line query saves its answer to.
extern char szSaveFile[256];
