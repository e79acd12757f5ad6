// Resource and command ids of Pellwick, kept by hand and grouped by kind.
// Commands are shared by the menu, the toolbar and the accelerators; a toolbar
// button's tooltip is the string resource whose id is its command id.
#pragma once

// ---- Named resources -------------------------------------------------------
#define MENU_MAIN "MNUHSNET"
#define ACCEL_MAIN "PELLWICK32"
#define ICON_MAIN "PELLWICK"
#define IDB_TOOLBAR (400)    // the toolbar strip: ten 16 x 15 images
#define IDB_TOOLBAR_24 (401) // the same strip scaled: 24 x 23, for 144 DPI
#define IDB_TOOLBAR_32 (402) // 32 x 30, for 192 DPI
#define IDB_TOOLBAR_48 (403) // 48 x 45, for 288 DPI

// ---- Commands: File --------------------------------------------------------
#define IDM_FINGER (101)
#define IDM_PRINT (102)
#define IDM_EXIT (105)
#define IDM_SAVEAS (106)

// ---- Commands: Edit and Search ---------------------------------------------
#define IDM_COPY (201)
#define IDM_CLEAR (202)
#define IDM_SELECTALL (203)
#define IDM_FINDTEXT (204)

// ---- Commands: Options -----------------------------------------------------
#define IDM_FONT (302)
#define IDM_SETUP (303)
#define IDM_WHOIS (304)
#define IDM_ADDRBOOK (305)
#define IDM_REFERRALS (306)  // Options: Follow WhoIs Referrals (a check mark while on)
#define IDM_RDAP (307)       // Options: Use RDAP (a check mark while on)
#define IDM_UNICODE (308)    // Options: Unicode Text (a check mark while on)
#define IDM_IPV6 (309)       // Options: Use IPv6 (a check mark while on)

// ---- Commands: Help --------------------------------------------------------
#define IDM_HELPINDEX (901)
#define IDM_HELPCOMMANDS (903)
#define IDM_HELPUSING (905)
#define IDM_ABOUT (906)

// ---- Commands: toolbar and keyboard only -----------------------------------
#define IDM_CANCELOP (1001)
#define IDM_ENTER (1002)       // the Enter accelerator: consumed, handled by nobody
#define IDM_FINGER_ALT (1003)  // unused aliases of 101, 202, 304 and 305
#define IDM_CLEAR_ALT (1004)
#define IDM_WHOIS_ALT (1005)
#define IDM_ADDRBOOK_ALT (1006)
#define IDM_HOSTLOOKUP (1007)

// ---- Commands posted by the program to itself ------------------------------
#define IDM_UPDATEOUTPUTSTATE (2009)
#define IDM_UPDATEBUSYSTATE (2010)

// ---- Dialog controls -------------------------------------------------------
#define IDC_TARGET (2002)        // Finger: [user@]host, made at run time
#define IDC_ADDRBOOK (2004)      // Address Book: [user@]host, made at run time
#define IDC_LONGOUTPUT (2013)    // Finger, Address Book: Long Output
#define IDC_NOTIFY (2014)        // Finger, Address Book: Notify If Logged In
#define IDC_FREQUENCY (2016)     // Finger, Address Book: minutes between checks
#define IDC_LOOKUPHOST (2018)    // Host Name Lookup: name or dotted address
#define IDC_FINGEROPTIONS (104)  // Setup: group box
#define IDC_WHOISOPTIONS (103)   // Setup: group box
#define IDC_VERSION (2007)       // About: product and version
#define IDC_DEFAULTHOST (2008)   // Setup: default WhoIs server
#define IDC_WINSOCK (2011)       // About: the WinSock description
#define IDC_HISTORY (2012)       // Setup: Maintain Query History
#define IDC_QUERY (2005)         // WhoIs: query string
#define IDC_WHOISHOST (2006)     // WhoIs: server
#define IDC_ADDENTRY (3001)      // WhoIs, Address Book: Save
#define IDC_DELETEENTRY (3002)   // WhoIs, Address Book: Delete
