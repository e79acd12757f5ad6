// A main window ready to run queries: the status bar's texts are recorded in
// order, and helpers start queries the way the dialogs do and pump the
// program's messages until a condition holds.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "app/app_win.h"
#include "frame/frame_win.h"
#include "frame/options.h"
#include "net/query_win.h"
#include "res/resource.h"
#include "win/main_window_fixture_win.h"

extern std::vector<std::string> statusHistory;

class Query : public MainWindowTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // What a dialog does to start a Finger query for `target`.
    static int Finger(const char *target);
    static int Whois(const char *query, const char *server);

    static bool Completed() { return !bBusy && sockQuery == INVALID_SOCKET; }
    static std::string PaneText();
    static std::string Status() { return statusHistory.empty() ? "" : statusHistory.back(); }
    static bool Saw(const std::string &text);
    static int Count(const std::string &text);
    static bool Enabled(int id)
    {
        return SendMessageA(hwndToolbar, TB_ISBUTTONENABLED, static_cast<WPARAM>(id), 0) != 0;
    }
};
