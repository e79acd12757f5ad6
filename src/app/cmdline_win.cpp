#include "app/cmdline_win.h"

#include <windows.h>

#include "app/cmdline.h"
#include "config/profile_values.h"
#include "frame/exit_codes.h"
#include "frame/frame_win.h"
#include "frame/options.h"
#include "net/notify_win.h"
#include "net/query_win.h"
#include "output/font_win.h"
#include "text/unicode_win.h"

#include <string>

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
    void UseIpv6() override { bUseIpv6 = true; }

    explicit ProgramSink(bool exitAsked) : exitAsked_(exitAsked) {}

    void SyntaxError() override
    {
        MessageBeep(MB_ICONEXCLAMATION);
        MessageBoxA(nullptr, "Syntax error in command line option.", kCaption,
                    MB_OK | MB_ICONEXCLAMATION);
        EndIfRefused();
    }

    void ExitRefused() override
    {
        MessageBoxA(nullptr, "Error: Exit (-e) cannot be used with\nNotify (-n) or Recurring (-r)",
                    kCaption, MB_OK | MB_ICONSTOP);
        EndIfRefused();
    }

    void NotifyRefused() override
    {
        MessageBoxA(nullptr, "Error: Notify (-n) cannot be used with\nLong Output (-l)", kCaption,
                    MB_OK | MB_ICONSTOP);
    }

    void StartFinger() override { EndIfNotStarted(BeginFingerQuery()); }

    void StartWhois() override { EndIfNotStarted(BeginWhoisQuery(szUser, szHost)); }

private:
    // A line the program refuses starts no query. With -e on it, a script
    // is waiting for the program to end: once the box is closed, it does,
    // with exit code 1. The -e may stand after the option that was refused,
    // where reading stopped.
    void EndIfRefused() const
    {
        if (exitAsked_)
            PostMessageA(hwndMain, WM_QUIT, EXIT_NOT_STARTED, 0);
    }

    bool exitAsked_;

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
    // The line comes as UTF-8. While Unicode text is on (saved, or -u on
    // this line) the program's text is UTF-8 too; otherwise the line is read
    // in the code page, as the program has always received it.
    if (CommandLineNamesOption(tail, 'u') && !bUnicodeText) {
        bUnicodeText = true;
        ShowTextModeFont(hwndOutput); // the window was made in the saved mode
    }
    std::string line = tail;
    if (!bUnicodeText) {
        WideToCodePage(Utf8ToWide(line), line); // '?' for what the code page lacks
    }
    ProgramSink sink(CommandLineNamesOption(line.c_str(), 'e'));
    ReadCommandLine(&line[0], wOptions, sink);
    return 0;
}
