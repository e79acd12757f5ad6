// A main window ready to run queries: the status bar's texts are recorded in
// order, and helpers start queries the way the dialogs do and pump the
// program's messages until a condition holds.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "app/app_win.h"
#include "frame/frame_win.h"
#include "frame/options.h"
#include "net/query_plug.h"
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

// A plug for the network code alone: what reaches it, in order, in `log`,
// the answer's text, and when each stage of the set-up was reached.
class RecordingPlug final : public QueryPlug {
public:
    std::string log, text;
    bool closed = false;

    void Stage(ConnectStage stage, const char *host) override
    {
        at_[stage] = Clock::now();
        log += "stage " + std::to_string(stage) + " " + host + "|";
    }
    void Failed(int error, const char *call) override
    {
        log += std::string("failed ") + call + " " + std::to_string(error) + "|";
    }
    uint32_t Received(const char *piece, size_t length, int bytes) override
    {
        text.append(piece, length);
        log += "bytes " + std::to_string(bytes) + "|";
        return 1000;
    }
    void Closing() override { log += "closing|"; }
    void Closed() override
    {
        log += "closed|";
        closed = true;
    }

    // Milliseconds from one stage to a later one.
    long Millis(ConnectStage from, ConnectStage to) const
    {
        return static_cast<long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(at_[to] - at_[from]).count());
    }

private:
    using Clock = std::chrono::steady_clock;
    Clock::time_point at_[3];
};
