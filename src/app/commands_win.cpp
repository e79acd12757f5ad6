#include "app/commands_win.h"

#include <cstdio>
#include <cstring>

#include "app/html_help_win.h"
#include "dialogs/about_dlg_win.h"
#include "dialogs/addbook_dlg_win.h"
#include "dialogs/dns_dlg_win.h"
#include "dialogs/finger_dlg_win.h"
#include "dialogs/setup_dlg_win.h"
#include "dialogs/whois_dlg_win.h"
#include "frame/frame_win.h"
#include "frame/options.h"
#include "frame/placement_win.h"
#include "net/notify_win.h"
#include "net/query_win.h"
#include "output/find_win.h"
#include "output/font_win.h"
#include "output/print_win.h"
#include "output/save_win.h"
#include "res/resource.h"
#include "text/unicode_win.h"

namespace {

// While Unicode text is on a dialog is a Unicode window, and so are the
// controls its template makes: the characters typed reach them whole, and
// the procedures read and write their text through dialogs/dialog_text_win.
// No procedure handles a message whose text the kind of window would change.
INT_PTR RunDialog(const char *templateName, DLGPROC proc)
{
    if (!bUnicodeText)
        return DialogBoxParamA(hInstance, templateName, hwndMain, proc, 0);
    const std::wstring name = Utf8ToWide(templateName);
    return DialogBoxParamW(hInstance, name.c_str(), hwndMain, proc, 0);
}

// Finger, WhoIs, Address Book and Host Lookup start an operation, and only
// one runs at a time: while one is busy they do nothing.
void OnFinger()
{
    if (bBusy)
        return;
    ResetByteCount();
    RunDialog("DLGFINGER", FingerDlgProc);
}

void OnWhois()
{
    if (bBusy)
        return;
    ResetByteCount();
    RunDialog("DLGWHOIS", WhoisDlgProc);
}

// The address book shares the Finger dialog's template. Its queries count on
// from the previous answer's byte count.
void OnAddressBook()
{
    if (bBusy)
        return;
    RunDialog("DLGFINGER", AddBookDlgProc);
}

// A host lookup would clear the pane that a waiting notification searches,
// so it is refused while notification runs, also between two timed queries.
void OnHostLookup()
{
    if (bBusy || (wOptions & OPT_NOTIFY) != 0)
        return;
    ResetByteCount();
    RunDialog("DLGDNS", DNSDlgProc);
}

void OnSelectAll()
{
    FlushOutput();
    SetFocus(hwndOutput);
    SendMessageA(hwndOutput, EM_SETSEL, 0, -1);
}

// Opens a help file with the help viewer. The current directory is wherever
// the user last saved to, and anything lying there must not be taken for the
// help file or for the viewer, which the platform starts by a bare name; so
// the program's own help file is named with its full path, and the call runs
// with the program's folder as the current directory.
void OpenHelp(HWND hwnd, const char *file, UINT command, bool beside)
{
    char folder[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, folder, sizeof folder);
    if (length == 0 || length >= sizeof folder)
        return;
    char *slash = std::strrchr(folder, '\\');
    if (slash == nullptr)
        return;
    slash[1] = '\0';
    char path[MAX_PATH + 16];
    const int written = std::snprintf(path, sizeof path, "%s%s", beside ? folder : "", file);
    if (written < 0 || written >= static_cast<int>(sizeof path))
        return;
    char current[MAX_PATH];
    const DWORD kept = GetCurrentDirectoryA(sizeof current, current);
    SetCurrentDirectoryA(folder);
    WinHelpA(hwnd, path, command, 0);
    if (kept > 0 && kept < sizeof current)
        SetCurrentDirectoryA(current);
}

void OnAbout(HWND hwnd)
{
    if (RunDialog("DLGABOUT", AboutDlgProc) == -1)
        MessageBoxA(hwnd, "Error creating About Dialog", "PELLWICK", MB_OK | MB_ICONEXCLAMATION);
}

} // namespace

bool DispatchCommand(HWND hwnd, int id)
{
    switch (id) {
    case IDM_FINGER:
    case IDM_FINGER_ALT:
        OnFinger();
        return true;
    case IDM_PRINT:
        PrintOutput(hInstance, hwnd, hwndOutput, "Pellwick");
        return true;
    case IDM_EXIT:
        SendMessageA(hwnd, WM_CLOSE, 0, 0);
        return true;
    case IDM_SAVEAS:
        SaveOutputAs(hwnd);
        return true;
    case IDM_COPY:
        FlushOutput();
        SendMessageA(hwndOutput, WM_COPY, 0, 0);
        return true;
    case IDM_CLEAR:
    case IDM_CLEAR_ALT:
        ClearOutput();
        return true;
    case IDM_SELECTALL:
        OnSelectAll();
        return true;
    case IDM_FINDTEXT:
        OnFindTextCommand(hwnd);
        return true;
    case IDM_FONT:
        // Even a cancelled choice is applied and written: the file then holds
        // the font in use.
        ChooseOutputFont(hwndOutput);
        ApplyOutputFont(hwndOutput);
        return true;
    case IDM_REFERRALS:
        bFollowReferrals = !bFollowReferrals;
        WriteReferralsSetting();
        return true;
    case IDM_RDAP:
        bUseRdap = !bUseRdap;
        WriteRdapSetting();
        return true;
    case IDM_UNICODE:
        bUnicodeText = !bUnicodeText;
        WriteUnicodeSetting();
        ShowTextModeFont(hwndOutput);
        return true;
    case IDM_IPV6:
        bUseIpv6 = !bUseIpv6;
        WriteIpv6Setting();
        return true;
    case IDM_SETUP:
        RunDialog("DLGSETUP", SetupDlgProc);
        return true;
    case IDM_WHOIS:
    case IDM_WHOIS_ALT:
        OnWhois();
        return true;
    case IDM_ADDRBOOK:
    case IDM_ADDRBOOK_ALT:
        OnAddressBook();
        return true;
    case IDM_HELPINDEX:
    case IDM_HELPCOMMANDS:
        // HTML Help where the system has it; WinHelp, which current Windows
        // no longer ships, only where it does not.
        if (!OpenHtmlHelp(hwnd, nullptr))
            OpenHelp(hwnd, "pllwck32.hlp", HELP_FINDER, true);
        return true;
    case IDM_HELPUSING:
        // The help's own page on using it; without HTML Help, the
        // platform's own file, which the viewer looks for where it keeps it.
        if (!OpenHtmlHelp(hwnd, "using_help.htm"))
            OpenHelp(hwnd, "winhelp.hlp", HELP_HELPONHELP, false);
        return true;
    case IDM_ABOUT:
        OnAbout(hwnd);
        return true;
    case IDM_CANCELOP:
        CancelOperation();
        return true;
    case IDM_HOSTLOOKUP:
        OnHostLookup();
        return true;
    case IDM_UPDATEOUTPUTSTATE:
        ShowOutputState();
        return true;
    case IDM_UPDATEBUSYSTATE:
        EnableQueryButtons(!bBusy, NotificationWaiting());
        return true;
    default:
        return false; // 1002 (the Enter key) and unknown ids
    }
}
