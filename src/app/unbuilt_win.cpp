#include "app/unbuilt_win.h"

namespace {

// Until a dialog's own procedure exists, Ok and Cancel close it.
INT_PTR ClosingDlgProc(HWND hdlg, UINT msg, WPARAM wParam)
{
    if (msg == WM_INITDIALOG)
        return TRUE;
    if (msg == WM_COMMAND && (wParam == IDOK || wParam == IDCANCEL)) {
        EndDialog(hdlg, 0);
        return TRUE;
    }
    return FALSE;
}

} // namespace

INT_PTR CALLBACK FingerDlgProc(HWND h, UINT m, WPARAM w, LPARAM) { return ClosingDlgProc(h, m, w); }
INT_PTR CALLBACK AddBookDlgProc(HWND h, UINT m, WPARAM w, LPARAM) { return ClosingDlgProc(h, m, w); }
INT_PTR CALLBACK DNSDlgProc(HWND h, UINT m, WPARAM w, LPARAM) { return ClosingDlgProc(h, m, w); }

