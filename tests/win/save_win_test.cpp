// Saving the output pane: the writer byte for byte, and the Save As dialog
// driven as a user drives it.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/app_win.h"
#include "frame/frame_win.h"
#include "output/save_win.h"
#include "res/resource.h"
#include "text/text_mode.h"
#include "text/unicode_win.h"
#include "win/main_window_fixture_win.h"
#include "win/test_support_win.h"

namespace {

// A message box as the user saw it.
struct Box {
    std::string caption, text;
    HWND owner;
};

// What the user does in the dialog, run by a timer inside its loop.
struct Answer {
    std::string name;      // typed into the file name field (UTF-8); empty: Cancel
    bool confirm = false;  // answer Yes to the overwrite question, else No
    bool centred = false;  // the dialog stood centred over the main window
    int dialogs = 0;
    std::vector<Box> boxes; // the message boxes that came up, in order
};
Answer answer;

void CALLBACK AnswerSaveAs(HWND, UINT, UINT_PTR, DWORD)
{
    static HWND lastBox;
    HWND box = GetActiveWindow();
    if (box == nullptr || box == hwndMain || !IsWindowVisible(box))
        return;
    if (GetDlgItem(box, 1152) == nullptr) {
        if (box == lastBox)
            return; // answered already, not closed yet
        lastBox = box;
        answer.boxes.push_back({Caption(box), MessageBoxText(box), GetWindow(box, GW_OWNER)});
        // The overwrite question is answered as asked; anything else is
        // acknowledged.
        const bool question = GetDlgItem(box, IDYES) != nullptr;
        PostMessageA(box, WM_COMMAND, question ? (answer.confirm ? IDYES : IDNO) : IDOK, 0);
        return;
    }
    if (++answer.dialogs > 1)
        return;
    RECT dlg, client;
    GetWindowRect(box, &dlg);
    GetClientRect(hwndMain, &client);
    POINT centre = {client.right / 2, client.bottom / 2};
    ClientToScreen(hwndMain, &centre);
    const int dx = (dlg.left + dlg.right) / 2 - centre.x, dy = (dlg.top + dlg.bottom) / 2 - centre.y;
    answer.centred = dx >= -1 && dx <= 1 && dy >= -1 && dy <= 1;
    char offered[64] = "";
    GetDlgItemTextA(box, 1152, offered, sizeof offered);
    if (std::string(offered) != "pellwick.txt")
        answer.centred = false; // flags a wrong initial name as well
    if (answer.name.empty()) {
        PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    SetDlgItemTextW(box, 1152, Utf8ToWide(answer.name).c_str()); // typed in any letters
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

class Save : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        answer = Answer();
        char dir[MAX_PATH];
        GetTempPathA(sizeof dir, dir);
        folder = std::string(dir) + "savetest" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(folder.c_str(), nullptr);
        wchar_t wide[MAX_PATH];
        GetTempPathW(MAX_PATH, wide);
        wideFolder = wide + (L"savetest" + std::to_wstring(GetCurrentProcessId()) + L"\\");
        timer = SetTimer(nullptr, 0, 100, AnswerSaveAs);
    }
    void TearDown() override
    {
        KillTimer(nullptr, timer);
        for (const wchar_t *f : {L"report.txt", L"report.asc", L"pellwick.txt", L"out.txt",
                                 L"big.txt", kGerman, kRussian})
            DeleteFileW((wideFolder + f).c_str());
        RemoveDirectoryA(folder.c_str());
        MainWindowTest::TearDown();
    }

    // Names beyond the code page, as the program is given them (UTF-8), and
    // a file's bytes read back by its UTF-16 name.
    static constexpr const wchar_t *kGerman = L"bericht-\x00fc.txt";
    static constexpr const wchar_t *kRussian = L"\x043e\x0442\x0447\x0451\x0442.txt";
    std::string Utf8Path(const std::wstring &name) const { return WideToUtf8(wideFolder + name); }
    std::string ReadWide(const std::wstring &name) const
    {
        std::string text;
        if (FILE *f = _wfopen((wideFolder + name).c_str(), L"rb")) {
            char buf[4096];
            for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;)
                text.append(buf, n);
            std::fclose(f);
        }
        return text;
    }

    std::string folder;
    std::wstring wideFolder;
    UINT_PTR timer = 0;
};

TEST_F(Save, ThePaneIsWrittenByteForByte)
{
    AppendOutput("ab\r\ncd\r\n");
    ASSERT_EQ(SaveOutputToFile((folder + "out.txt").c_str()), 1);
    EXPECT_EQ(ReadWholeFile(folder + "out.txt"), "ab\r\ncd\r\n");
    // A device that takes no byte: the text is not in the file.
    EXPECT_EQ(SaveOutputToFile("Z:\\dev\\full"), 0);
    SendMessageA(hwndMain, WM_COMMAND, IDM_CLEAR, 0);
    ASSERT_EQ(SaveOutputToFile((folder + "out.txt").c_str()), 1);
    EXPECT_EQ(ReadWholeFile(folder + "out.txt"), "") << "an empty pane saves as an empty file";
    EXPECT_EQ(SaveOutputToFile((folder + "no\\such\\dir\\x.txt").c_str()), 0);
}

TEST_F(Save, TextBeyondSixtyFourKilobytesIsSavedWhole)
{
    std::string text;
    for (int i = 0; text.size() < 100000; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    AppendOutput(text.c_str());
    ASSERT_EQ(SaveOutputToFile((folder + "big.txt").c_str()), 1);
    EXPECT_TRUE(ReadWholeFile(folder + "big.txt") == text);
}

TEST_F(Save, WithUnicodeTextThePaneIsSavedAsUtf8UnderANameInAnyLetters)
{
    bUnicodeText = true;
    const std::string text = u8"Stra\u00dfe M\u00fcnchen\r\n\u041f\u0440\u0438\u043c\u0435\u0440\r\n"
                             u8"\ud55c\uad6d\uc5b4\r\n";
    AppendOutput(text.c_str());
    // -s names the file in full; in Save As it is typed without ".txt".
    ASSERT_EQ(SaveOutputToFile(Utf8Path(kGerman).c_str()), 1);
    EXPECT_EQ(ReadWide(kGerman), text) << "UTF-8 without a byte-order mark";
    const std::wstring russian(kRussian);
    answer.name = Utf8Path(russian.substr(0, russian.size() - 4));
    SendMessageA(hwndMain, WM_COMMAND, IDM_SAVEAS, 0);
    EXPECT_TRUE(answer.centred);
    EXPECT_EQ(ReadWide(kRussian), text);
}

TEST_F(Save, SaveAsAddsTheExtensionAndKeepsATypedOne)
{
    AppendOutput("answer\r\n");
    answer.name = folder + "report";
    SendMessageA(hwndMain, WM_COMMAND, IDM_SAVEAS, 0);
    EXPECT_TRUE(answer.centred) << "the dialog opens centred, offering pellwick.txt";
    EXPECT_EQ(ReadWholeFile(folder + "report.txt"), "answer\r\n");
    EXPECT_FALSE(PathExists(folder + "report"));

    answer = Answer();
    answer.name = folder + "report.asc";
    SendMessageA(hwndMain, WM_COMMAND, IDM_SAVEAS, 0);
    EXPECT_EQ(ReadWholeFile(folder + "report.asc"), "answer\r\n");
    EXPECT_FALSE(PathExists(folder + "report.asc.txt"));
}

TEST_F(Save, ACancelledDialogWritesNothing)
{
    AppendOutput("answer\r\n");
    SetCurrentDirectoryA(folder.c_str());
    SendMessageA(hwndMain, WM_COMMAND, IDM_SAVEAS, 0);
    EXPECT_EQ(answer.dialogs, 1);
    EXPECT_FALSE(PathExists(folder + "pellwick.txt"));
}

TEST_F(Save, OverwritingALongerFileLeavesNoTail)
{
    WriteWholeFile(folder + "report.txt", std::string(5000, 'x'));
    AppendOutput("short\r\n");
    answer.name = folder + "report.txt";
    answer.confirm = true;
    SendMessageA(hwndMain, WM_COMMAND, IDM_SAVEAS, 0);
    EXPECT_EQ(ReadWholeFile(folder + "report.txt"), "short\r\n");
}

TEST_F(Save, AFileThatCannotBeWrittenIsReportedWithTheSystemsReason)
{
    AppendOutput("answer\r\n");
    const std::string report = folder + "report.txt";
    // Another program holds the file open and shares it with nobody.
    HANDLE held = CreateFileA(report.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    answer.name = report;
    answer.confirm = true;
    EXPECT_EQ(SaveOutputAs(hwndMain), 0);
    CloseHandle(held);
    ASSERT_EQ(answer.boxes.size(), 2u) << "the overwrite question, then the failure";
    const Box &failure = answer.boxes[1];
    EXPECT_EQ(failure.caption, "Pellwick32");
    EXPECT_EQ(failure.owner, hwndMain);
    char reason[256] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   ERROR_SHARING_VIOLATION, 0, reason, sizeof reason, nullptr);
    const std::string why = std::string(reason).substr(0, std::string(reason).find('\r'));
    ASSERT_FALSE(why.empty());
    EXPECT_NE(failure.text.find(report), std::string::npos) << failure.text;
    EXPECT_NE(failure.text.find(why), std::string::npos) << failure.text;
}

} // namespace
