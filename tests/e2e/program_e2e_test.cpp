// The real pellwick.exe, started as a user starts it: its window appears at
// the stored placement, and closing it ends the process with exit code 0
// after writing the placement back.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "e2e/program_runner_win.h"
#include "win/test_support_win.h"

namespace {

class Program : public ::testing::Test {
protected:
    void TearDown() override
    {
        runner.Stop();
        DeleteInstallKey();
    }

    ProgramRunner runner;
};

TEST_F(Program, OpensAtTheStoredPlacementAndClosesWithZero)
{
    const TestConfigFile ini("e2e", "[pellwick]\r\nleft=30\r\ntop=25\r\nright=200\r\nbottom=120\r\n"
                                    "history=0\r\n");
    HWND hwnd = runner.Start();
    ASSERT_NE(hwnd, nullptr) << "no window appeared";
    EXPECT_EQ(Caption(hwnd), "Pellwick32");
    EXPECT_EQ(WindowRectOf(hwnd), DialogUnitRect(30, 25, 200, 120));

    // The user moves the window; the next run must find it there.
    const RECT moved = DialogUnitRect(12, 16, 240, 160);
    SetWindowPos(hwnd, nullptr, moved.left, moved.top, moved.right - moved.left,
                 moved.bottom - moved.top, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(runner.CloseAndWait(hwnd), 0u);

    const std::string text = ReadWholeFile(ini.path);
    for (const char *line : {"left=12", "top=16", "right=240", "bottom=160", "history=0"})
        EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
}

TEST_F(Program, MaximisedFromTheCaptionItKeepsItsNormalPlacement)
{
    // Values that come back unchanged through pixels and dialog units.
    const TestConfigFile ini("e2e",
                             "[pellwick]\r\nleft=12\r\ntop=16\r\nright=240\r\nbottom=160\r\n");
    HWND hwnd = runner.Start();
    ASSERT_NE(hwnd, nullptr) << "no window appeared";
    // A double click on the caption maximises with the platform's own bits
    // in the low four.
    PostMessageA(hwnd, WM_SYSCOMMAND, SC_MAXIMIZE | 2, 0);
    ASSERT_TRUE(WaitUntil(5000, [&] { return IsZoomed(hwnd) != FALSE; }));
    EXPECT_EQ(runner.CloseAndWait(hwnd), 0u);
    const std::string text = ReadWholeFile(ini.path);
    for (const char *kept : {"left=12", "top=16", "right=240", "bottom=160"})
        EXPECT_NE(text.find(kept), std::string::npos) << kept << " in\n" << text;
}

TEST_F(Program, WithoutAnInstallationTheBareConfigurationNameServes)
{
    DeleteInstallKey();
    const std::string bare = BareConfigPath();
    WriteWholeFile(bare, "[pellwick]\r\nleft=8\r\ntop=9\r\nright=150\r\nbottom=100\r\n");

    HWND hwnd = runner.Start();
    ASSERT_NE(hwnd, nullptr) << "no window appeared";
    EXPECT_EQ(WindowRectOf(hwnd), DialogUnitRect(8, 9, 150, 100));
    EXPECT_EQ(runner.CloseAndWait(hwnd), 0u);
    EXPECT_NE(ReadWholeFile(bare).find("history=1"), std::string::npos);
    DeleteFileA(bare.c_str());
}

} // namespace

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        fprintf(stderr, "usage: pellwick_e2e_tests PATH_TO_PELLWICK_EXE\n");
        return 2;
    }
    programPath = WindowsPathOf(argv[1]);
    return RUN_ALL_TESTS();
}

namespace {

// The program's manifest, read back from the file as the loader finds it.
TEST(ProgramFile, CarriesAManifestForCurrentWindows)
{
    HMODULE file = LoadLibraryExA(programPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(file, nullptr) << programPath;
    HRSRC found = FindResourceA(file, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(found, nullptr) << "no manifest resource";
    const char *bytes = static_cast<const char *>(LockResource(LoadResource(file, found)));
    ASSERT_NE(bytes, nullptr);
    const std::string manifest(bytes, SizeofResource(file, found));
    FreeLibrary(file);
    for (const char *part : {"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
                             "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", // Windows 10 and 11
                             "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", // Windows 7
                             "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true"})
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
    // The 32-bit program stays virtualised: it asks for no execution level.
    EXPECT_EQ(manifest.find("requestedExecutionLevel"), std::string::npos);
}

} // namespace
