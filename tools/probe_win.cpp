// pellwick_probe: the eyes of the scripts that drive Pellwick with real
// pointer and key events (the headless demo of scripts/run and the user-level
// tests). xdotool moves the pointer and types; this program, run under the
// same wineserver, tells them where a toolbar button or a dialog control is
// on the screen and reads back what the window shows: the status bar, the
// output pane and its selection, a dialog field or list, a message box.
//
//   pellwick_probe forget                the installation key and the
//                                        configuration file in the Windows
//                                        folder are removed: a first run
//   pellwick_probe hold                  keeps the Wine session up; prints
//                                        "ready" once windows can be made
//   pellwick_probe button ID             screen x y of toolbar button ID
//   pellwick_probe enabled ID            1 when toolbar button ID is enabled
//   pellwick_probe status                the status bar's text
//   pellwick_probe pane                  the output pane's text, as it is
//   pellwick_probe selection             "start end" of the pane's selection
//   pellwick_probe foreground            the caption of the active window
//   pellwick_probe control CAPTION ID    screen x y of a control of a dialog
//   pellwick_probe text CAPTION ID       a dialog control's text (ID 65535:
//                                        a message box's text)
//   pellwick_probe items CAPTION ID      a combo box's entries, one a line
//
// Exit code 0 with the answer on stdout, 1 when the window or control is not
// (yet) there, so that a script can poll; 2 for a wrong command line.
#include <windows.h>
#include <commctrl.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "config/config_names.h"

namespace {

// Child ids of the frame.
enum { TOOLBAR_ID = 1, OUTPUT_ID = 152, STATUS_ID = 10102 };

HWND MainWindow()
{
    return FindWindowA("PELLWICK32", nullptr);
}

// Dialog boxes and message boxes share the dialog class.
HWND DialogControl(const char *caption, int id)
{
    HWND box = FindWindowA("#32770", caption);
    if (box == nullptr || !IsWindowVisible(box))
        return nullptr;
    return GetDlgItem(box, id);
}

// The window system carries the pointers of its own controls' messages
// (those below WM_USER) across processes, but not those of the common
// controls: for the toolbar and the status bar the buffer has to live in
// Pellwick's own address space.
class RemoteBuffer {
public:
    RemoteBuffer(HWND window, size_t size) : size_(size)
    {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                               pid);
        if (process_ != nullptr)
            address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE,
                                      PAGE_READWRITE);
    }
    ~RemoteBuffer()
    {
        if (address_ != nullptr)
            VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        if (process_ != nullptr)
            CloseHandle(process_);
    }
    RemoteBuffer(const RemoteBuffer &) = delete;
    RemoteBuffer &operator=(const RemoteBuffer &) = delete;

    bool ok() const { return address_ != nullptr; }
    LPARAM address() const { return reinterpret_cast<LPARAM>(address_); }
    bool Read(void *to) const
    {
        SIZE_T got = 0;
        return ReadProcessMemory(process_, address_, to, size_, &got) && got == size_;
    }

private:
    HANDLE process_ = nullptr;
    void *address_ = nullptr;
    size_t size_;
};

int PrintCentre(HWND parent, RECT r)
{
    MapWindowPoints(parent, HWND_DESKTOP, reinterpret_cast<POINT *>(&r), 2);
    std::printf("%ld %ld\n", (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    return 0;
}

// WM_GETTEXT is carried across processes by the window system itself.
std::string WindowText(HWND window)
{
    const LRESULT length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const LRESULT got = SendMessageA(window, WM_GETTEXT, text.size(),
                                     reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(got));
    return text;
}

int Forget()
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, REG_KEY_PELLWICK);
    char folder[MAX_PATH] = "";
    GetWindowsDirectoryA(folder, sizeof folder);
    const std::string ini = std::string(folder) + "\\" + CONFIG_BARE_NAME;
    DeleteFileA(ini.c_str());
    return GetFileAttributesA(ini.c_str()) == INVALID_FILE_ATTRIBUTES ? 0 : 1;
}

HWND Toolbar()
{
    HWND main = MainWindow();
    return main != nullptr ? GetDlgItem(main, TOOLBAR_ID) : nullptr;
}

int Button(int command)
{
    HWND toolbar = Toolbar();
    if (toolbar == nullptr)
        return 1;
    const LRESULT index = SendMessageA(toolbar, TB_COMMANDTOINDEX, static_cast<WPARAM>(command), 0);
    if (index < 0)
        return 1;
    RemoteBuffer rect(toolbar, sizeof(RECT));
    RECT r = {};
    if (!rect.ok() || !SendMessageA(toolbar, TB_GETITEMRECT, static_cast<WPARAM>(index), rect.address()) ||
        !rect.Read(&r))
        return 1;
    return PrintCentre(toolbar, r);
}

int Enabled(int command)
{
    HWND toolbar = Toolbar();
    if (toolbar == nullptr)
        return 1;
    std::printf("%d\n",
                SendMessageA(toolbar, TB_ISBUTTONENABLED, static_cast<WPARAM>(command), 0) ? 1 : 0);
    return 0;
}

int Status()
{
    HWND main = MainWindow();
    HWND status = main != nullptr ? GetDlgItem(main, STATUS_ID) : nullptr;
    if (status == nullptr)
        return 1;
    // In the simple mode that Pellwick uses, part 0 reads the simple text.
    const LRESULT length = LOWORD(SendMessageA(status, SB_GETTEXTLENGTHA, 0, 0));
    RemoteBuffer buffer(status, static_cast<size_t>(length) + 1);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    if (!buffer.ok())
        return 1;
    SendMessageA(status, SB_GETTEXTA, 0, buffer.address());
    if (!buffer.Read(&text[0]))
        return 1;
    std::printf("%s\n", text.c_str());
    return 0;
}

HWND Pane()
{
    HWND main = MainWindow();
    return main != nullptr ? GetDlgItem(main, OUTPUT_ID) : nullptr;
}

int PaneText()
{
    HWND pane = Pane();
    if (pane == nullptr)
        return 1;
    const std::string text = WindowText(pane);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

int Selection()
{
    HWND pane = Pane();
    if (pane == nullptr)
        return 1;
    // Without pointers EM_GETSEL packs both ends into its result.
    const DWORD packed = static_cast<DWORD>(SendMessageA(pane, EM_GETSEL, 0, 0));
    std::printf("%u %u\n", LOWORD(packed), HIWORD(packed));
    return 0;
}

int Control(const char *caption, int id)
{
    HWND control = DialogControl(caption, id);
    if (control == nullptr)
        return 1;
    RECT r;
    GetClientRect(control, &r);
    return PrintCentre(control, r);
}

int Text(const char *caption, int id)
{
    HWND control = DialogControl(caption, id);
    if (control == nullptr)
        return 1;
    std::printf("%s\n", WindowText(control).c_str());
    return 0;
}

int Items(const char *caption, int id)
{
    HWND combo = DialogControl(caption, id);
    if (combo == nullptr)
        return 1;
    // Combo box messages sit below WM_USER, so the window system carries
    // their text across like WM_GETTEXT's; Wine hands it over correctly
    // only in the wide form.
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring wide(static_cast<size_t>(length < 0 ? 0 : length) + 1, L'\0');
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&wide[0]));
        char text[512] = "";
        WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, text, sizeof text, nullptr, nullptr);
        std::printf("%s\n", text);
    }
    return 0;
}

// Every program of a Wine session that starts while the previous session
// is still winding down, or before the session's desktop is ready, may hang
// or find no display driver (its windows are then never made). A script
// therefore starts one session and keeps it: this waits until a window can
// be made, says "ready" and stays until it is ended.
int Hold()
{
    const ULONGLONG deadline = GetTickCount64() + 60000;
    for (;;) {
        HWND window = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                    GetModuleHandleA(nullptr), nullptr);
        if (window != nullptr) {
            DestroyWindow(window);
            break;
        }
        if (GetTickCount64() >= deadline)
            return 1;
        Sleep(200);
    }
    std::printf("ready\n");
    std::fflush(stdout);
    Sleep(INFINITE);
    return 0;
}

// Keys go to the window that Windows holds active, whichever X window has
// the X focus.
int Foreground()
{
    HWND window = GetForegroundWindow();
    if (window == nullptr)
        return 1;
    char caption[256] = "";
    GetWindowTextA(window, caption, sizeof caption);
    std::printf("%s\n", caption);
    return 0;
}

int Usage()
{
    std::fprintf(stderr, "usage: pellwick_probe hold | forget | button ID | enabled ID | status | pane |"
                         " selection | foreground | control CAPTION ID | text CAPTION ID | items CAPTION ID\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    // Text goes out byte for byte: the scripts compare it with Linux files.
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc < 2)
        return Usage();
    const std::string what = argv[1];
    if (argc == 2) {
        if (what == "forget")
            return Forget();
        if (what == "hold")
            return Hold();
        if (what == "status")
            return Status();
        if (what == "pane")
            return PaneText();
        if (what == "selection")
            return Selection();
        if (what == "foreground")
            return Foreground();
    }
    if (argc == 3) {
        const int id = std::atoi(argv[2]);
        if (what == "button")
            return Button(id);
        if (what == "enabled")
            return Enabled(id);
    }
    if (argc == 4) {
        const int id = std::atoi(argv[3]);
        if (what == "control")
            return Control(argv[2], id);
        if (what == "text")
            return Text(argv[2], id);
        if (what == "items")
            return Items(argv[2], id);
    }
    return Usage();
}
