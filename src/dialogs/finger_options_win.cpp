#include "dialogs/finger_options_win.h"

#include <cstdio>

#include "config/profile_values.h"
#include "dialogs/dialog_helpers_win.h"
#include "dialogs/dialog_text_win.h"
#include "dialogs/finger_options.h"
#include "frame/frame_win.h"
#include "frame/options.h"
#include "net/notify_win.h"
#include "net/query_win.h"
#include "res/resource.h"

void FillIntervalList(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_FREQUENCY);
    for (int minutes : NotifyIntervals) {
        char text[12];
        std::snprintf(text, sizeof text, "%d", minutes);
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    SendMessageA(list, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("3"));
}

void ShowOptionBoxes(HWND dialog)
{
    const FingerOptionBoxes boxes = OptionBoxesFor(wOptions);
    CheckDlgButton(dialog, IDC_LONGOUTPUT, boxes.longChecked ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_NOTIFY, boxes.notifyChecked ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(GetDlgItem(dialog, IDC_LONGOUTPUT), boxes.longEnabled);
    EnableWindow(GetDlgItem(dialog, IDC_NOTIFY), boxes.notifyEnabled);
}

void OnOptionBoxClicked(HWND dialog, int boxId)
{
    wOptions ^= boxId == IDC_LONGOUTPUT ? OPT_LONG : OPT_NOTIFY;
    ShowOptionBoxes(dialog);
    // Clearing one of two set bits greys the box just clicked; the keyboard
    // goes to the other one rather than nowhere.
    HWND clicked = GetDlgItem(dialog, boxId);
    if (!IsWindowEnabled(clicked))
        SetFocus(GetDlgItem(dialog, boxId == IDC_LONGOUTPUT ? IDC_NOTIFY : IDC_LONGOUTPUT));
}

bool OnSharedFingerCommand(HWND dialog, WPARAM command)
{
    switch (command) {
    case IDCANCEL:
        EndDialog(dialog, 0); // flipped options stay flipped
        return true;
    case IDC_LONGOUTPUT:
    case IDC_NOTIFY:
        OnOptionBoxClicked(dialog, static_cast<int>(command));
        return true;
    default:
        return false;
    }
}

HWND CreateTargetField(HWND dialog, int id, const char *className, DWORD style, int height)
{
    // A Unicode dialog's field is a Unicode window too: an ANSI one would
    // keep of what is typed only what the code page holds.
    const RECT r = DialogControlRect(dialog, 7, 16, 182, height);
    HWND field = CreateTextControl(className, style, r, dialog, id, hInstance);
    // A control made at run time would otherwise draw in the system font and
    // come last when tabbing.
    SendMessageA(field, WM_SETFONT, static_cast<WPARAM>(SendMessageA(dialog, WM_GETFONT, 0, 0)), FALSE);
    SetWindowPos(field, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return field;
}

void StartNotifyFromDialog(HWND dialog)
{
    if ((wOptions & OPT_NOTIFY) == 0)
        return;
    char minutes[3] = "";
    GetDlgItemTextA(dialog, IDC_FREQUENCY, minutes, sizeof minutes);
    nNotifyMinutes = ParseLeadingInt(minutes);
    StartNotifyTimer();
}
