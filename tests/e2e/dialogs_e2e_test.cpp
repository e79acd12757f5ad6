// Every query dialog opened from its command in the real program, as a user
// meets it: modal over the frame, with its title, closed again with Cancel
// (the About box with Ok). A screenshot of each is kept under
// artifacts\dialog_<name>.bmp for a person to look at.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "config/config_names.h"
#include "e2e/program_runner_win.h"
#include "e2e/screenshot_win.h"
#include "res/resource.h"
#include "win/test_support_win.h"

namespace {

TEST(Dialogs, EachOpensModalFromItsCommandAndIsPictured)
{
    const TestConfigFile ini(
        "dialogs", "[pellwick]\r\nleft=20\r\ntop=20\r\nright=280\r\nbottom=175\r\nhistory=1\r\n"
                   "[__History__]\r\ncount=2\r\nhost0=alice@finger.test\r\nhost1=finger.test\r\n"
                   "[__AddBk__]\r\ncount=1\r\nhost0=bob@finger.test\r\n"
                   "[__WhoIs__]\r\ncount=2\r\nhost0=whois.test\r\nhost1=whois.iana.org\r\n");
    SetInstallValue(REG_VALUE_PRODUCT, "Pellwick32");
    SetInstallValue(REG_VALUE_VERSION, "1.0.0");

    ProgramRunner program;
    HWND frame = program.Start();
    ASSERT_NE(frame, nullptr);
    const struct {
        int command;
        const char *caption;
        const char *name;
    } dialogs[] = {{IDM_FINGER, "Finger", "finger"},
                   {IDM_WHOIS, "WhoIs Query", "whois"},
                   {IDM_ADDRBOOK, "Finger Address Book", "addrbook"},
                   {IDM_HOSTLOOKUP, "Host Name Lookup", "hostlookup"},
                   {IDM_SETUP, "Pellwick32 Setup", "setup"},
                   {IDM_ABOUT, "About Pellwick32", "about"}};
    for (const auto &d : dialogs) {
        SCOPED_TRACE(d.caption);
        HWND box = program.OpenDialog(frame, d.command, d.caption);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(GetWindow(box, GW_OWNER), frame);
        EXPECT_FALSE(IsWindowEnabled(frame)) << "the dialog is modal";
        // Painted before it is pictured.
        SendMessageTimeoutA(box, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
        Sleep(300);
        Screenshot shot;
        ASSERT_TRUE(CaptureScreen(shot));
        const std::string path = ArtifactFolder() + "\\dialog_" + d.name + ".bmp";
        EXPECT_TRUE(WriteBmp(path, shot)) << path;
        std::printf("screenshot: %s\n", path.c_str());

        PostMessageA(box, WM_COMMAND, d.command == IDM_ABOUT ? IDOK : IDCANCEL, 0);
        EXPECT_TRUE(WaitUntil(5000, [&] { return !IsWindow(box); }));
        EXPECT_TRUE(WaitUntil(2000, [&] { return IsWindowEnabled(frame) != FALSE; }));
    }
    EXPECT_EQ(program.CloseAndWait(frame), 0u);
}

} // namespace
