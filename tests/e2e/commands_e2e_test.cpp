// Every command the menu, the toolbar and the accelerators can give, pressed
// on the real program: none may end it or leave it unresponsive, whether its
// work is built yet or not. Boxes a command opens (a missing dialog template,
// a missing help file) are closed the way a user closes them, and the help
// viewer that the help commands open is asked to quit.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "e2e/program_runner_win.h"
#include "res/resource.h"

namespace {

// Cancels every visible dialog box, whichever process owns it (the help
// viewer runs in a process of its own), and says how many there were.
// Cancel, not Ok: a Save As dialog answered with Ok would write a file.
int CloseBoxes()
{
    const std::vector<HWND> boxes = VisibleWindows(0, "#32770");
    for (HWND box : boxes) {
        // The About box closes only with Ok, as its users expect.
        const WPARAM button = Caption(box) == "About Pellwick32" ? IDOK : IDCANCEL;
        PostMessageA(box, WM_COMMAND, button, 0);
        PostMessageA(box, WM_CLOSE, 0, 0);
    }
    return static_cast<int>(boxes.size());
}

bool Responds(HWND hwnd)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &result) != 0;
}

TEST(Commands, NoCommandEndsOrHangsTheProgram)
{
    ProgramRunner program;
    HWND hwnd = program.Start();
    ASSERT_NE(hwnd, nullptr);
    const int ids[] = {IDM_FINGER,     IDM_PRINT,        IDM_SAVEAS,    IDM_COPY,
                       IDM_CLEAR,      IDM_SELECTALL,    IDM_FINDTEXT,  IDM_FONT,
                       IDM_SETUP,      IDM_WHOIS,        IDM_ADDRBOOK,  IDM_HELPINDEX,
                       IDM_HELPCOMMANDS, IDM_HELPUSING,  IDM_ABOUT,     IDM_CANCELOP,
                       IDM_ENTER,      IDM_FINGER_ALT,   IDM_CLEAR_ALT, IDM_WHOIS_ALT,
                       IDM_ADDRBOOK_ALT, IDM_HOSTLOOKUP, IDM_UPDATEOUTPUTSTATE,
                       IDM_UPDATEBUSYSTATE, 4242};
    for (int id : ids) {
        PostMessageA(hwnd, WM_COMMAND, static_cast<WPARAM>(id), 0);
        // Give a box time to appear (most commands open none), close it, and
        // make sure the frame still answers before pressing the next command.
        const bool boxCame = WaitUntil(600, [] { return CloseBoxes() > 0; });
        const bool settled = WaitUntil(3000, [&] { return CloseBoxes() == 0 && Responds(hwnd); });
        ASSERT_EQ(WaitForSingleObject(program.Process(), 0), WAIT_TIMEOUT)
            << "the program ended after command " << id;
        ASSERT_TRUE(settled) << "after command " << id << (boxCame ? ", which opened a box," : "")
                             << " a box stays open or the frame does not answer";
    }
    QuitHelpViewer();
    EXPECT_EQ(program.CloseAndWait(hwnd), 0u);
}

} // namespace
