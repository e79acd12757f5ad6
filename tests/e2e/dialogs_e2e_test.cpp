// Every query dialog opened from its command in the real program, as a user
// meets it: modal over the frame, with its title, closed again with Cancel
// (the About box with Ok), on an ordinary screen and on one of 200 per cent.
// A screenshot of each is kept under artifacts\dialog_<name>.bmp (and
// dialog_<name>_192dpi.bmp, with main_192dpi.bmp of the frame) for a person
// to look at.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>

#include "config/config_names.h"
#include "e2e/program_runner_win.h"
#include "e2e/screenshot_win.h"
#include "frame/screen_scale.h"
#include "res/resource.h"
#include "win/test_support_win.h"

namespace {

class ScreenDialogs : public testing::TestWithParam<DWORD> {};

void Picture(const std::string &name)
{
    Screenshot shot;
    ASSERT_TRUE(CaptureScreen(shot));
    const std::string path = ArtifactFolder() + "\\" + name + ".bmp";
    EXPECT_TRUE(WriteBmp(path, shot)) << path;
    std::printf("screenshot: %s\n", path.c_str());
}

TEST_P(ScreenDialogs, EachOpensModalFromItsCommandAndIsPictured)
{
    const DWORD dpi = GetParam();
    const std::string suffix = dpi == 96 ? "" : "_" + std::to_string(dpi) + "dpi";
    // The frame is stored small enough for the test's screen at 200 per cent.
    const TestConfigFile ini(
        "dialogs", "[pellwick]\r\nleft=4\r\ntop=4\r\nright=150\r\nbottom=60\r\nhistory=1\r\n"
                   "[__History__]\r\ncount=2\r\nhost0=alice@finger.test\r\nhost1=finger.test\r\n"
                   "[__AddBk__]\r\ncount=1\r\nhost0=bob@finger.test\r\n"
                   "[__WhoIs__]\r\ncount=2\r\nhost0=whois.test\r\nhost1=whois.iana.org\r\n");
    SetInstallValue(REG_VALUE_PRODUCT, "Pellwick32");
    SetInstallValue(REG_VALUE_VERSION, "1.0.0");

    const ScreenDpiSetting screen(dpi);
    ProgramRunner program;
    HWND frame = program.Start();
    ASSERT_NE(frame, nullptr);
    // The toolbar's images come from the strip made for the screen, and its
    // buttons are sized for them.
    HWND toolbar = FindWindowExA(frame, nullptr, TOOLBARCLASSNAMEA, nullptr);
    ASSERT_NE(toolbar, nullptr);
    const auto button = static_cast<DWORD_PTR>(SendMessageA(toolbar, TB_GETBUTTONSIZE, 0, 0));
    EXPECT_GE(static_cast<int>(LOWORD(button)), ToolbarStripFor(static_cast<int>(dpi)).size + 6);
    if (dpi != 96) {
        SendMessageTimeoutA(frame, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
        Sleep(300);
        Picture("main" + suffix);
    }
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
        Picture(std::string("dialog_") + d.name + suffix);

        PostMessageA(box, WM_COMMAND, d.command == IDM_ABOUT ? IDOK : IDCANCEL, 0);
        EXPECT_TRUE(WaitUntil(5000, [&] { return !IsWindow(box); }));
        EXPECT_TRUE(WaitUntil(2000, [&] { return IsWindowEnabled(frame) != FALSE; }));
    }
    EXPECT_EQ(program.CloseAndWait(frame), 0u);
}

INSTANTIATE_TEST_SUITE_P(Screens, ScreenDialogs, testing::Values(96u, 192u),
                         [](const testing::TestParamInfo<DWORD> &i) {
                             return std::to_string(i.param) + "dpi";
                         });

} // namespace
