// Where Pellwick keeps what outlives a run: the registry key written by the
// installation and the sections and keys of the private-profile file.
// Portable: plain text constants only.
#pragma once

// Registry key under HKEY_LOCAL_MACHINE; read once at start-up, never written.
#define REG_KEY_PELLWICK "SOFTWARE\\Harrowmere Systems\\Pellwick32"
#define REG_VALUE_PRODUCT "Product"
#define REG_VALUE_VERSION "Version"
#define REG_VALUE_CFGFILE "Cfgfile"

// Buffer sizes of the three installation values, terminator included.
enum {
    PRODUCT_BUFFER = 20,
    VERSION_BUFFER = 10,
    CFGFILE_BUFFER = 256
};

// The configuration file's bare name, which the profile functions resolve in
// the Windows directory.
#define CONFIG_BARE_NAME "pellwick.ini"

// Section "pellwick": window placement in dialog units and the history switch.
// "right" and "bottom" hold the width and the height, not the edges.
#define SECTION_PELLWICK "pellwick"
#define KEY_LEFT "left"
#define KEY_TOP "top"
#define KEY_RIGHT "right"
#define KEY_BOTTOM "bottom"
#define KEY_HISTORY "history"
#define KEY_REFERRALS "referrals"
#define KEY_RDAP "rdap"
#define KEY_UNICODE "unicode"
#define KEY_IPV6 "ipv6"
// How many seconds a Finger or WhoIs server may send nothing before its
// query ends as failed; 0 waits for ever.
#define KEY_ANSWER_TIMEOUT "answertimeout"
#define ANSWER_TIMEOUT_DEFAULT "60"
// Where the RDAP bootstrap files are fetched from.
#define KEY_RDAP_BOOTSTRAP "rdapbootstrap"
#define RDAP_BOOTSTRAP_DEFAULT "https://data.iana.org/rdap/"
enum { PLACEMENT_VALUE_BUFFER = 10 };

// Section "font": the output pane's logical font.
#define SECTION_FONT "font"

// Host lists: a "count" and one "host%d" key per entry.
#define SECTION_HISTORY "__History__"
#define SECTION_WHOIS "__WhoIs__"
// The same section as the dialogs' single-key reads and writes spell it;
// section names match without regard to case.
#define SECTION_WHOIS_KEYS "__Whois__"
#define SECTION_ADDBOOK "__AddBk__"
#define KEY_COUNT "count"
#define KEY_DEFAULT "default"
