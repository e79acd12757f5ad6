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
    static std::string Text(HWND dialog, int id);
    // The entries of a combo box, top first.
    static std::vector<std::string> Listed(HWND dialog, int comboId);
    // A key of the file, read fresh through the bare name.
    static std::string Key(const char *section, const char *key);
    static std::string DefaultServer() { return Key("__WhoIs__", "default"); }
    // Makes the file hold exactly `text`, in place of the configured path.
    void StoreFile(const std::string &text);
    void StoreServers(const std::string &lines);
    std::string store; // the file StoreFile writes
};

// As an installation has it: the configured path and the bare name are one
// file.
class InstalledDialogs : public Dialogs {
protected:
    void SetUp() override;
    std::string bare;
};
