// Help > Index on the real program, run from its own folder as a shortcut
// runs it: the help viewer opens pllwck32.hlp from beside pellwick.exe and
// shows its contents topic, links drawn in the viewer's link colour. A
// screenshot is kept under artifacts\help.bmp for a person to look at.
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

const char kHelpFile[] = "pllwck32.hlp";

struct Found {
    DWORD notPid;
    std::string list; // what was seen, for a failure message
    HWND viewer;
};

// A visible top-level window of another process whose title names the help.
BOOL CALLBACK MatchViewer(HWND hwnd, LPARAM lParam)
{
    Found *f = reinterpret_cast<Found *>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == f->notPid || pid == GetCurrentProcessId() || !IsWindowVisible(hwnd))
        return TRUE;
    char cls[64] = "", title[128] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    GetWindowTextA(hwnd, title, sizeof title);
    f->list += std::string(" [") + cls + " \"" + title + "\"]";
    if (std::string(cls) == kHelpViewerClass &&
        std::string(title).find("Pellwick Help") != std::string::npos) {
        f->viewer = hwnd;
        return FALSE;
    }
    return TRUE;
}

struct Child {
    std::string text;
};

// The text of the viewer's text pane: the longest text of its children.
BOOL CALLBACK LongestText(HWND hwnd, LPARAM lParam)
{
    Child *c = reinterpret_cast<Child *>(lParam);
    static char text[16384];
    DWORD_PTR copied = 0;
    if (SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                            SMTO_ABORTIFHUNG, 2000, &copied) &&
        copied < sizeof text && copied > c->text.size())
        c->text.assign(text, static_cast<size_t>(copied));
    return TRUE;
}

class Help : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A viewer left by an earlier test would look in its own folder.
        QuitHelpViewer();
        ini = UniqueTempPath("help");
        WriteWholeFile(ini, "[pellwick]\r\nleft=10\r\ntop=10\r\nright=200\r\nbottom=120\r\n"
                            "history=0\r\n");
        SetInstallValue(REG_VALUE_CFGFILE, ini);
    }

    void TearDown() override
    {
        QuitHelpViewer();
        runner.Stop();
        DeleteInstallKey();
        DeleteFileA(ini.c_str());
    }

    // Starts the program in `folder` (its frame kept in `frame`), gives Help >
    // Index and waits for the viewer of the program's help file.
    bool OpenHelpIndex(const std::string &folder, Found &found)
    {
        frame = runner.Start("", folder);
        if (frame == nullptr) {
            ADD_FAILURE() << "no frame window appeared";
            return false;
        }
        EXPECT_EQ(WaitForInputIdle(runner.Process(), 10000), 0u);
        PostMessageA(frame, WM_COMMAND, IDM_HELPINDEX, 0);
        found.notPid = runner.ProcessId();
        return WaitUntil(20000, [&] {
            found.list.clear();
            EnumWindows(MatchViewer, reinterpret_cast<LPARAM>(&found));
            return found.viewer != nullptr;
        });
    }

    ProgramRunner runner;
    HWND frame = nullptr;
    std::string ini;
};

TEST_F(Help, IndexOpensTheHelpFileBesideTheProgramAtItsContents)
{
    const std::string helpPath = ProgramFolder() + "\\" + kHelpFile;
    ASSERT_NE(GetFileAttributesA(helpPath.c_str()), INVALID_FILE_ATTRIBUTES)
        << helpPath << " was not built";

    Found found = {0, "", nullptr};
    const bool opened = OpenHelpIndex(ProgramFolder(), found);
    if (!opened) {
        Screenshot shot;
        if (CaptureScreen(shot))
            WriteBmp(ArtifactFolder() + "\\help.bmp", shot);
    }
    ASSERT_TRUE(opened) << "no help viewer; windows of other processes:" << found.list;

    // The contents topic, whole, with its links to the other topics.
    Child pane;
    WaitUntil(5000, [&] {
        EnumChildWindows(found.viewer, LongestText, reinterpret_cast<LPARAM>(&pane));
        return pane.text.find("Keyboard") != std::string::npos;
    });
    for (const char *text : {"Pellwick Help", "Pellwick asks other computers", "Getting started",
                             "Finger queries", "Command line", "Keyboard"})
        EXPECT_NE(pane.text.find(text), std::string::npos) << "the viewer lacks: " << text;

    // The viewer paints after it has answered: the screen is taken until it
    // shows the ten links underlined in the viewer's link green and the
    // title in navy, or five seconds have passed.
    RECT viewer = {};
    GetWindowRect(found.viewer, &viewer);
    Screenshot shot;
    long links = 0, title = 0;
    WaitUntil(5000, [&] {
        if (!CaptureScreen(shot))
            return false;
        links = shot.CountColour(viewer, RGB(0, 128, 0));
        title = shot.CountColour(viewer, RGB(0, 0, 128));
        return links > 10 * 50 && title > 100;
    });
    // Kept before it is judged, so a failed run leaves the picture behind.
    const std::string path = ArtifactFolder() + "\\help.bmp";
    EXPECT_TRUE(WriteBmp(path, shot)) << path;
    std::printf("screenshot: %s\n", path.c_str());
    EXPECT_GT(links, 10 * 50) << "no links drawn";
    EXPECT_GT(title, 100) << "no title drawn";

    QuitHelpViewer();
    EXPECT_TRUE(WaitUntil(5000, [&] { return !IsWindow(found.viewer); })) << "the viewer stays open";
    EXPECT_EQ(runner.CloseAndWait(frame), 0u);
}

// Ends every process other than `notPid` that shows a frame of the program;
// true if there was one.
bool EndStrayPrograms(DWORD notPid)
{
    bool found = false;
    for (HWND w = FindWindowA("PELLWICK32", nullptr); w != nullptr;
         w = FindWindowExA(nullptr, w, "PELLWICK32", nullptr)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == notPid)
            continue;
        found = true;
        if (HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
            TerminateProcess(p, 99);
            WaitForSingleObject(p, 5000);
            CloseHandle(p);
        }
    }
    return found;
}

TEST_F(Help, NeitherAHelpFileNorAViewerInTheCurrentFolderIsOpened)
{
    // Save As leaves the current folder wherever the user saved last, and
    // anybody may have put files of those names there.
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string folder =
        std::string(temp) + "planted" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string hlp = folder + "\\" + kHelpFile, viewer = folder + "\\winhlp32.exe";
    WriteWholeFile(hlp, "not the program's help");
    // Any program will do as the impostor; this one shows itself by its frame.
    ASSERT_TRUE(CopyFileA(programPath.c_str(), viewer.c_str(), FALSE));

    Found found = {0, "", nullptr};
    const bool opened = OpenHelpIndex(folder, found);
    EXPECT_FALSE(EndStrayPrograms(runner.ProcessId())) << "the planted winhlp32.exe was started";
    EXPECT_TRUE(opened) << "the program's own help did not open; windows:" << found.list;
    if (opened) {
        Child pane;
        WaitUntil(5000, [&] {
            EnumChildWindows(found.viewer, LongestText, reinterpret_cast<LPARAM>(&pane));
            return pane.text.find("Pellwick asks other computers") != std::string::npos;
        });
        EXPECT_NE(pane.text.find("Pellwick asks other computers"), std::string::npos);
    }
    QuitHelpViewer();
    EXPECT_EQ(runner.CloseAndWait(frame), 0u);
    DeleteFileA(viewer.c_str());
    DeleteFileA(hlp.c_str());
    RemoveDirectoryA(folder.c_str());
}

} // namespace
