// Modal dialogs of the real main window, answered by a "user" that acts
// once the dialog is up, from a timer in the dialog's own loop.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "win/main_window_fixture_win.h"

// Sends `command` to the main window; `action` answers the modal dialog it
// opens, from a timer in the dialog's own loop. Returns once the command has
// returned.
void AnswerDialog(int command, std::function<void(HWND)> action);

// Keys and characters as the keyboard gives them to the focused control.
// The text is UTF-8, given as UTF-16 characters; ASCII reaches an ANSI
// control the same.
void TypeText(const char *text);
void PressKey(UINT virtualKey);

class Dialogs : public MainWindowTest {
protected:
    void SetUp() override;
    void TearDown() override;

    static void Run(int command, std::function<void(HWND)> action)
    {
        AnswerDialog(command, std::move(action));
    }
    // A control's text and a combo box's entries (top first) as the program
    // holds them: the ANSI text while Unicode text is off, UTF-8 while it is
    // on.
    static std::string Text(HWND dialog, int id);
    static std::vector<std::string> Listed(HWND dialog, int comboId);
    // A control's text, and the frame's title, as UTF-8.
    static std::string Utf8Text(HWND window);
    static std::string Utf8Title();
    // A key of the file, read fresh through the bare name.
    static std::string Key(const char *section, const char *key);
    static std::string DefaultServer() { return Key("__WhoIs__", "default"); }
    // Makes the file hold exactly `text`, in place of the configured path.
    void StoreFile(const std::string &text);
    void StoreServers(const std::string &lines);
    std::string store; // the file StoreFile writes
};

// Every text the status bar is given as UTF-16 while one lives, as UTF-8.
class StatusTexts {
public:
    StatusTexts();
    ~StatusTexts();
    StatusTexts(const StatusTexts &) = delete;
    StatusTexts &operator=(const StatusTexts &) = delete;
    bool Saw(const std::string &text) const;

private:
    WNDPROC proc_;
};

// As an installation has it: the configured path and the bare name are one
// file.
class InstalledDialogs : public Dialogs {
protected:
    void SetUp() override;
    std::string bare;
};
