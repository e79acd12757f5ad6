// The Help commands on the real program. With pllwck32.chm beside it, each
// opens the HTML Help window on that file, whatever the current folder
// holds. Without it, as where HTML Help cannot be had, Help > Index runs
// WinHelp as before: the viewer opens pllwck32.hlp from beside pellwick.exe
// and shows its contents topic, links drawn in the viewer's link colour. A
// screenshot is kept under artifacts\help.bmp for a person to look at.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "e2e/program_runner_win.h"
#include "e2e/screenshot_win.h"
#include "res/resource.h"
#include "win/test_support_win.h"

namespace {

const char kHelpFile[] = "pllwck32.hlp";

// The help viewer: a visible top-level window of another process whose
// title names the help. `seen` lists the windows looked at, for a failure
// message.
HWND FindViewer(DWORD notPid, std::string &seen)
{
    seen.clear();
    for (HWND w : VisibleWindows()) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == notPid || pid == GetCurrentProcessId())
            continue;
        const std::string cls = ClassOf(w), title = Caption(w);
        seen += " [" + cls + " \"" + title + "\"]";
        if (cls == kHelpViewerClass && title.find("Pellwick Help") != std::string::npos)
            return w;
    }
    return nullptr;
}

BOOL CALLBACK KeepLongestText(HWND child, LPARAM longest)
{
    std::string text = WindowText(child);
    if (text.size() > reinterpret_cast<std::string *>(longest)->size())
        reinterpret_cast<std::string *>(longest)->swap(text);
    return TRUE;
}

// Waits up to 5 seconds for the viewer's text pane, the longest text of its
// children, to hold `text`; `pane` is what it showed.
[[nodiscard]] bool ViewerShows(HWND viewer, const char *text, std::string &pane)
{
    return WaitUntil(5000, [&] {
        EnumChildWindows(viewer, KeepLongestText, reinterpret_cast<LPARAM>(&pane));
        return pane.find(text) != std::string::npos;
    });
}

// For its lifetime the program runs from a folder of its own that holds
// the WinHelp file but no pllwck32.chm, as where HTML Help cannot be had.
class WithoutHtmlHelp {
public:
    WithoutHtmlHelp() : built_(programPath)
    {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        folder_ = std::string(temp) + "nochm" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder_.c_str(), nullptr);
        const std::string from = ProgramFolder();
        for (const char *file : {"pellwick.exe", kHelpFile, "pllwck32.cnt"})
            CopyFileA((from + "\\" + file).c_str(), (folder_ + "\\" + file).c_str(), FALSE);
        programPath = folder_ + "\\pellwick.exe";
    }
    ~WithoutHtmlHelp()
    {
        programPath = built_;
        for (const char *file : {"pellwick.exe", kHelpFile, "pllwck32.cnt"})
            DeleteFileA((folder_ + "\\" + file).c_str());
        RemoveDirectoryA(folder_.c_str());
    }
    WithoutHtmlHelp(const WithoutHtmlHelp &) = delete;
    WithoutHtmlHelp &operator=(const WithoutHtmlHelp &) = delete;

private:
    const std::string built_;
    std::string folder_;
};

class Help : public ::testing::Test {
protected:
    // A viewer left by an earlier test would look in its own folder.
    void SetUp() override { QuitHelpViewer(); }

    void TearDown() override
    {
        QuitHelpViewer();
        runner.Stop();
    }

    // Starts the program in `folder` (its frame kept in `frame`), gives Help >
    // Index and waits for the viewer of the program's help file.
    bool OpenHelpIndex(const std::string &folder)
    {
        frame = runner.Start("", folder);
        if (frame == nullptr) {
            ADD_FAILURE() << "no frame window appeared";
            return false;
        }
        EXPECT_EQ(WaitForInputIdle(runner.Process(), 10000), 0u);
        PostMessageA(frame, WM_COMMAND, IDM_HELPINDEX, 0);
        return WaitUntil(20000, [&] {
            viewer = FindViewer(runner.ProcessId(), seen);
            return viewer != nullptr;
        });
    }

    const TestConfigFile ini{"help", "[pellwick]\r\nleft=10\r\ntop=10\r\nright=200\r\n"
                                     "bottom=120\r\nhistory=0\r\n"};
    ProgramRunner runner;
    HWND frame = nullptr;
    HWND viewer = nullptr;
    std::string seen; // the windows of other processes, when no viewer came
};

TEST_F(Help, WithoutHtmlHelpIndexOpensTheHelpFileBesideTheProgramAtItsContents)
{
    const WithoutHtmlHelp winHelpOnly;
    const std::string helpPath = ProgramFolder() + "\\" + kHelpFile;
    ASSERT_NE(GetFileAttributesA(helpPath.c_str()), INVALID_FILE_ATTRIBUTES)
        << helpPath << " was not built";

    const bool opened = OpenHelpIndex(ProgramFolder());
    if (!opened) {
        Screenshot shot;
        if (CaptureScreen(shot))
            WriteBmp(ArtifactFolder() + "\\help.bmp", shot);
    }
    ASSERT_TRUE(opened) << "no help viewer; windows of other processes:" << seen;

    // The contents topic, whole, with its links to the other topics.
    std::string pane;
    EXPECT_TRUE(ViewerShows(viewer, "Keyboard", pane)) << pane;
    for (const char *text : {"Pellwick Help", "Pellwick asks other computers", "Getting started",
                             "Finger queries", "Command line", "Keyboard"})
        EXPECT_NE(pane.find(text), std::string::npos) << "the viewer lacks: " << text;

    // The viewer paints after it has answered: the screen is taken until it
    // shows the ten links underlined in the viewer's link green and the
    // title in navy, or five seconds have passed.
    const RECT area = WindowRectOf(viewer);
    Screenshot shot;
    long links = 0, title = 0;
    const bool drawn = WaitUntil(5000, [&] {
        if (!CaptureScreen(shot))
            return false;
        links = shot.CountColour(area, RGB(0, 128, 0));
        title = shot.CountColour(area, RGB(0, 0, 128));
        return links > 10 * 50 && title > 100;
    });
    // Kept before it is judged, so a failed run leaves the picture behind.
    const std::string path = ArtifactFolder() + "\\help.bmp";
    EXPECT_TRUE(WriteBmp(path, shot)) << path;
    std::printf("screenshot: %s\n", path.c_str());
    EXPECT_TRUE(drawn) << links << " pixels of links drawn (want over " << 10 * 50 << "), "
                       << title << " of the title (want over 100)";

    QuitHelpViewer();
    EXPECT_TRUE(WaitUntil(5000, [&] { return !IsWindow(viewer); })) << "the viewer stays open";
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
    const WithoutHtmlHelp winHelpOnly;
    // Save As leaves the current folder wherever the user saved last, and
    // anybody may have put files of those names there.
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string folder =
        std::string(temp) + "planted" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string hlp = folder + "\\" + kHelpFile, impostor = folder + "\\winhlp32.exe";
    WriteWholeFile(hlp, "not the program's help");
    // Any program will do as the impostor; this one shows itself by its frame.
    ASSERT_TRUE(CopyFileA(programPath.c_str(), impostor.c_str(), FALSE));

    const bool opened = OpenHelpIndex(folder);
    EXPECT_FALSE(EndStrayPrograms(runner.ProcessId())) << "the planted winhlp32.exe was started";
    EXPECT_TRUE(opened) << "the program's own help did not open; windows:" << seen;
    std::string pane;
    if (opened) {
        EXPECT_TRUE(ViewerShows(viewer, "Pellwick asks other computers", pane)) << pane;
    }
    QuitHelpViewer();
    EXPECT_EQ(runner.CloseAndWait(frame), 0u);
    DeleteFileA(impostor.c_str());
    DeleteFileA(hlp.c_str());
    RemoveDirectoryA(folder.c_str());
}

// The HTML Help window: hhctrl.ocx runs in the program's own process.
HWND FindHtmlHelp(DWORD pid)
{
    for (HWND w : VisibleWindows()) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid && ClassOf(w) == "HH Parent")
            return w;
    }
    return nullptr;
}

// The width of the navigation pane's tabs (Contents, Index, Search): none
// when the help's window names no width for the pane.
BOOL CALLBACK TabsWidthOf(HWND w, LPARAM width)
{
    if (ClassOf(w) != "SysTabControl32" || !IsWindowVisible(w))
        return TRUE;
    RECT r = {};
    GetWindowRect(w, &r);
    *reinterpret_cast<LONG *>(width) = r.right - r.left;
    return FALSE;
}

TEST_F(Help, EachHelpCommandOpensTheHtmlHelpBesideTheProgram)
{
    const std::string chm = ProgramFolder() + "\\pllwck32.chm";
    ASSERT_NE(GetFileAttributesA(chm.c_str()), INVALID_FILE_ATTRIBUTES) << chm << " was not built";
    // The current folder holds a file of the help's name that is none: the
    // help named by a bare name would not open.
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string folder = std::string(temp) + "plantedchm" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    WriteWholeFile(folder + "\\pllwck32.chm", "not the program's help");
    for (int command : {IDM_HELPINDEX, IDM_HELPCOMMANDS, IDM_HELPUSING}) {
        SCOPED_TRACE(command);
        frame = runner.Start("", folder);
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(WaitForInputIdle(runner.Process(), 10000), 0u);
        PostMessageA(frame, WM_COMMAND, static_cast<WPARAM>(command), 0);
        HWND help = nullptr;
        const bool opened = WaitUntil(10000, [&] {
            help = FindHtmlHelp(runner.ProcessId());
            return help != nullptr;
        });
        EXPECT_TRUE(opened) << "no HTML Help window";
        if (opened) {
            EXPECT_EQ(Caption(help), "Pellwick Help");
            // The viewer fills its window in after it shows it.
            LONG tabs = 0;
            EXPECT_TRUE(WaitUntil(15000, [&] {
                EnumChildWindows(help, TabsWidthOf, reinterpret_cast<LPARAM>(&tabs));
                return tabs > 100;
            })) << "the contents, index and search tabs are not shown (width " << tabs << ")";
        }
        std::string viewers;
        EXPECT_EQ(FindViewer(runner.ProcessId(), viewers), nullptr) << "WinHelp opened too";
        EXPECT_EQ(runner.CloseAndWait(frame), 0u);
    }
    DeleteFileA((folder + "\\pllwck32.chm").c_str());
    RemoveDirectoryA(folder.c_str());
}

} // namespace
