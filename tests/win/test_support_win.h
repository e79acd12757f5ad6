// Helpers shared by the Windows test programs: temporary files, the
// installation key and whole-file reads in the private Wine prefix; waits
// against a deadline; and the windows on the screen, of this process or of
// the program under test.
#pragma once

#include <windows.h>

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

// A fresh path in the temporary folder; the file itself is not created.
std::string UniqueTempPath(const char *stem);

// The bare configuration name as the profile functions resolve it.
std::string BareConfigPath();

// The installation key: sets one string value, or removes the whole key.
void SetInstallValue(const char *name, const std::string &value);
void DeleteInstallKey();

std::string ReadWholeFile(const std::string &path);
void WriteWholeFile(const std::string &path, const std::string &text);
bool PathExists(const std::string &path);

// A path given on the command line by the Linux side ("/work/x") as the
// program sees it under Wine ("Z:\work\x"); Windows paths pass unchanged.
std::string WindowsPathOf(const std::string &path);

// For its lifetime the program's configuration is a file of the test's own
// holding `text`, named by the installation key; then the file and the
// whole key go again.
class TestConfigFile {
public:
    TestConfigFile(const char *stem, const std::string &text);
    ~TestConfigFile();
    TestConfigFile(const TestConfigFile &) = delete;
    TestConfigFile &operator=(const TestConfigFile &) = delete;

    const std::string path;
};

// Puts the test root made by tests/tls_fronts.sh (tls\\root.der beside the
// test program) into the prefix's machine root store, so that WinHTTP
// trusts the HTTPS test servers' chains. False when there is none to add.
bool TrustTestRoot();

// Runs a command line and waits for its end: its exit code, or 0xFFFFFFFF
// when it could not start or did not end within timeoutMs (it is then
// ended).
DWORD RunAndWait(const std::string &commandLine, DWORD timeoutMs);

// For its lifetime, programs started afresh see a screen of `dpi` dots per
// inch (Wine reads the setting as each process starts); then the setting is
// as it was.
class ScreenDpiSetting {
public:
    explicit ScreenDpiSetting(DWORD dpi);
    ~ScreenDpiSetting();
    ScreenDpiSetting(const ScreenDpiSetting &) = delete;
    ScreenDpiSetting &operator=(const ScreenDpiSetting &) = delete;

private:
    DWORD old_ = 0;
    bool had_ = false;
};

// ---- Waiting ----------------------------------------------------------------

// What a wait does between two looks when nothing else is named: sleeps
// 50 ms, for what another process or thread does meanwhile.
void SleepBetweenLooks();

// Looks at ready() until it holds or timeoutMs have passed, running
// between() after each look that found it not yet; false when the deadline
// came first. A test checks the answer: a wait that ran out has failed.
[[nodiscard]] bool WaitUntil(DWORD timeoutMs, const std::function<bool()> &ready,
                             void (*between)() = SleepBetweenLooks);

// ---- Windows, of this process or another -------------------------------------

// A top-level window's caption, which the window system keeps and gives
// without asking the window's own thread, whichever process owns it.
std::string Caption(HWND window);

// A control's text (an edit pane, a tooltip): WM_GETTEXT, which the window
// system carries between processes. Empty when the window does not answer
// within 2 seconds.
std::string WindowText(HWND control);

// The text of a message box.
std::string MessageBoxText(HWND box);

std::string ClassOf(HWND window);

// The visible top-level windows, front first: of process `pid` only unless
// it is 0, and of class `className` only unless it is null.
std::vector<HWND> VisibleWindows(DWORD pid = 0, const char *className = nullptr);

// The outer rectangle the frame has for a placement in dialog units (left,
// top, width, height), worked out here from the system's dialog base units.
RECT DialogUnitRect(int left, int top, int width, int height);
RECT WindowRectOf(HWND window);

// Rectangles compared whole, and printed as such in a failed check.
bool operator==(const RECT &a, const RECT &b);
void PrintTo(const RECT &r, std::ostream *out);
