// The process entry point; everything else lives in RunPellwick so that tests
// can drive the same start-up steps.
#include <string>

#include "app/app_win.h"
#include "app/cmdline.h"
#include "text/unicode_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR, int cmdShow)
{
    // The line as typed, whatever the code page: the ANSI one would hold '?'
    // for a name in another script.
    const wchar_t *wide = GetCommandLineW();
    const std::string line = WideToUtf8(wide, std::char_traits<wchar_t>::length(wide));
    return RunPellwick(instance, previous, CommandLineTail(line.c_str()), cmdShow);
}
