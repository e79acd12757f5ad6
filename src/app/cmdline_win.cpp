#include "app/cmdline_win.h"

#include <windows.h>

#include "app/cmdline.h"
#include "config/profile_values.h"
#include "frame/exit_codes.h"
#include "frame/frame_win.h"
#include "frame/options.h"
#include "net/notify_win.h"
#include "net/query_win.h"

namespace {

const char kCaption[] = "Pellwick Command Line Error";

class ProgramSink : public CommandLineSink {
public:
    void SetFingerTarget(char *target) override { ParseFingerTarget(target); }

    void SetWhoisTarget(char *target) override
    {
        ParseFingerTarget(target);
    }

    void SetSaveFile(const char *path) override
    {
        CopyBounded(szSaveFile, sizeof szSaveFile, path);
    }

    void StartNotify(int32_t minutes) override
    {
        nNotifyMinutes = minutes;
        StartNotifyTimer();
    }

    void FollowReferrals() override { bFollowReferrals = true; }
    void UseRdap() override { bUseRdap = true; }
    void UseUnicode() override { bUnicodeText = true; }

    void SyntaxError() override
    {
        MessageBeep(MB_ICONEXCLAMATION);
        MessageBoxA(nullptr, "Syntax error in command line option.", kCaption,
                    MB_OK | MB_ICONEXCLAMATION);
    }

    void ExitRefused() override
    {
        MessageBoxA(nullptr, "Error: Exit (-e) cannot be used with\nNotify (-n) or Recurring (-r)",
                    kCaption, MB_OK | MB_ICONSTOP);
    }

    void NotifyRefused() override
    {
        MessageBoxA(nullptr, "Error: Notify (-n) cannot be used with\nLong Output (-l)", kCaption,
                    MB_OK | MB_ICONSTOP);
    }

    void StartFinger() override { EndIfNotStarted(BeginFingerQuery()); }

    void StartWhois() override { EndIfNotStarted(BeginWhoisQuery(szUser, szHost)); }

private:
    // A query that cannot start never completes, so with -e nothing would
    // ever end the program and a script waiting for it would hang. It ends
    // at once instead, with exit code 1 and nothing saved.
    static void EndIfNotStarted(int started)
    {
        if (started != 0 && (wOptions & OPT_EXIT))
            PostMessageA(hwndMain, WM_QUIT, EXIT_NOT_STARTED, 0);
    }
};

} // namespace

int ProcessCommandLine(char *tail)
{
    ProgramSink sink;
    ReadCommandLine(tail, wOptions, sink);
    return 0;
}
