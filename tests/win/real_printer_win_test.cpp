// Printing on a real printer: Wine's PostScript driver behind a port whose
// jobs go through ps2ascii, one text file per printed page, so the test reads
// back what came out on paper and where each page ended.
#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>
#include <dlgs.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/app_win.h"
#include "frame/frame_win.h"
#include "output/print_win.h"
#include "res/resource.h"
#include "win/main_window_fixture_win.h"
#include "win/test_support_win.h"

namespace {

const char kPrinter[] = "Pellwick Test Printer";
const char kDriver[] = "Pellwick Test PostScript";
const char kPort[] = "PSOUT:";
const char kSpoolerKey[] = "Software\\Wine\\Printing\\Spooler";
#ifdef _WIN64
const char kEnvironment[] = "Windows x64";
#else
const char kEnvironment[] = "Windows NT x86";
#endif

// The printer's description: a plain PostScript printer with Courier, on
// Letter paper at 300 dpi.
const char kPpd[] = R"PPD(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "PELLTEST.PPD"
*Manufacturer: "Pellwick"
*Product: "(Pellwick Test Printer)"
*ModelName: "Pellwick Test Printer"
*ShortNickName: "Pellwick Test Printer"
*NickName: "Pellwick Test Printer"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: False
*DefaultColorSpace: Gray
*FileSystem: False
*TTRasterizer: Type42
*DefaultResolution: 300dpi
*OpenUI *PageSize/Page Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: Letter
*PageSize Letter/US Letter: "<</PageSize [612 792]>>setpagedevice"
*PageSize A4/A4: "<</PageSize [595 842]>>setpagedevice"
*CloseUI: *PageSize
*DefaultImageableArea: Letter
*ImageableArea Letter/US Letter: "18 36 594 756"
*ImageableArea A4/A4: "18 36 577 806"
*DefaultPaperDimension: Letter
*PaperDimension Letter/US Letter: "612 792"
*PaperDimension A4/A4: "595 842"
*DefaultFont: Courier
*Font Courier: Standard "(002.004)" Standard ROM
*Font Courier-Bold: Standard "(002.004)" Standard ROM
)PPD";

// winspool is not among the libraries the program links; the few printer
// calls the test needs are looked up at run time.
template <typename F>
F Winspool(const char *name)
{
    static const HMODULE module = LoadLibraryA("winspool.drv");
    const FARPROC proc = module != nullptr ? GetProcAddress(module, name) : nullptr;
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(proc));
}

std::string Failed(const char *what)
{
    return std::string(what) + " failed, error " + std::to_string(GetLastError());
}

// Installs the driver and the printer and makes it the default. Empty when
// done, otherwise what went wrong.
std::string InstallPrinter()
{
    using DriverDirectory = BOOL(WINAPI *)(LPSTR, LPSTR, DWORD, LPBYTE, DWORD, LPDWORD);
    using AddDriver = BOOL(WINAPI *)(LPSTR, DWORD, LPBYTE, DWORD);
    using AddPrinter = HANDLE(WINAPI *)(LPSTR, DWORD, LPBYTE);
    using Close = BOOL(WINAPI *)(HANDLE);
    using SetDefault = BOOL(WINAPI *)(LPCSTR);
    const auto driverDirectory = Winspool<DriverDirectory>("GetPrinterDriverDirectoryA");
    const auto addDriver = Winspool<AddDriver>("AddPrinterDriverExA");
    const auto addPrinter = Winspool<AddPrinter>("AddPrinterA");
    const auto closePrinter = Winspool<Close>("ClosePrinter");
    const auto setDefault = Winspool<SetDefault>("SetDefaultPrinterA");
    if (!driverDirectory || !addDriver || !addPrinter || !closePrinter || !setDefault)
        return "winspool.drv or one of its printer calls is missing";

    // A driver's files are staged in the driver folder, from where the
    // installation copies them into the folder of the driver's version.
    char folder[MAX_PATH] = "";
    DWORD needed = 0;
    if (!driverDirectory(nullptr, const_cast<char *>(kEnvironment), 1,
                         reinterpret_cast<LPBYTE>(folder), sizeof folder, &needed))
        return Failed("GetPrinterDriverDirectoryA");
    CreateDirectoryA(folder, nullptr);
    const std::string ppd = std::string(folder) + "\\pellwick_test.ppd";
    WriteWholeFile(ppd, kPpd);
    if (GetFileAttributesA(ppd.c_str()) == INVALID_FILE_ATTRIBUTES)
        return "cannot write " + ppd;

    DRIVER_INFO_3A driver = {};
    driver.cVersion = 3;
    driver.pName = const_cast<char *>(kDriver);
    driver.pEnvironment = const_cast<char *>(kEnvironment);
    driver.pDriverPath = const_cast<char *>("wineps.drv");
    driver.pConfigFile = const_cast<char *>("wineps.drv");
    driver.pDataFile = const_cast<char *>(ppd.c_str());
    driver.pDefaultDataType = const_cast<char *>("RAW");
    const BOOL added = addDriver(nullptr, 3, reinterpret_cast<LPBYTE>(&driver), APD_COPY_ALL_FILES);
    const std::string addError = added ? "" : Failed("AddPrinterDriverExA");
    DeleteFileA(ppd.c_str());
    if (!added)
        return addError;

    PRINTER_INFO_2A info = {};
    info.pPrinterName = const_cast<char *>(kPrinter);
    info.pPortName = const_cast<char *>(kPort);
    info.pDriverName = const_cast<char *>(kDriver);
    info.pPrintProcessor = const_cast<char *>("WinPrint");
    info.pDatatype = const_cast<char *>("RAW");
    info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    HANDLE printer = addPrinter(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
    if (printer == nullptr)
        return Failed("AddPrinterA");
    closePrinter(printer);
    if (!setDefault(kPrinter))
        return Failed("SetDefaultPrinterA");
    return "";
}

void RemovePrinter()
{
    using Open = BOOL(WINAPI *)(LPSTR, LPHANDLE, LPPRINTER_DEFAULTSA);
    using Delete = BOOL(WINAPI *)(HANDLE);
    using Close = BOOL(WINAPI *)(HANDLE);
    using DeleteDriver = BOOL(WINAPI *)(LPSTR, LPSTR, LPSTR);
    const auto openPrinter = Winspool<Open>("OpenPrinterA");
    const auto deletePrinter = Winspool<Delete>("DeletePrinter");
    const auto closePrinter = Winspool<Close>("ClosePrinter");
    const auto deleteDriver = Winspool<DeleteDriver>("DeletePrinterDriverA");
    PRINTER_DEFAULTSA all = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (openPrinter && deletePrinter && closePrinter &&
        openPrinter(const_cast<char *>(kPrinter), &printer, &all)) {
        deletePrinter(printer);
        closePrinter(printer);
    }
    if (deleteDriver)
        deleteDriver(nullptr, const_cast<char *>(kEnvironment), const_cast<char *>(kDriver));
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSpoolerKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, kPort);
        RegCloseKey(key);
    }
}

// The Linux path of a file in the prefix, for the command the spooler runs.
std::string UnixPathOf(const std::string &windowsPath)
{
    using ToUnix = char *(CDECL *)(const WCHAR *);
    const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    WCHAR wide[MAX_PATH];
    if (toUnix == nullptr ||
        MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH) == 0)
        return "";
    char *unixPath = toUnix(wide);
    if (unixPath == nullptr)
        return "";
    std::string path = unixPath;
    HeapFree(GetProcessHeap(), 0, unixPath);
    return path;
}

// What the user does in the Print dialog, from a timer inside its loop.
struct DialogAnswer {
    int copies = 1;
    bool collate = true;
    int answered = 0;  // Print dialogs answered with OK
    int others = 0;    // any other box of the main window, closed with Cancel
};
DialogAnswer answer;

void CALLBACK AnswerPrintDialog(HWND, UINT, UINT_PTR, DWORD)
{
    HWND box = nullptr;
    for (HWND w : VisibleWindows(GetCurrentProcessId(), "#32770"))
        if (w != hwndPrintBox && GetWindow(w, GW_OWNER) == hwndMain) {
            box = w;
            break;
        }
    if (box == nullptr)
        return;
    if (GetDlgItem(box, edt3) == nullptr || answer.answered > 0) {
        // Not the Print dialog, or the dialog again: no job should show one.
        ++answer.others;
        PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    SetDlgItemInt(box, edt3, static_cast<UINT>(answer.copies), FALSE);
    CheckDlgButton(box, chx2, answer.collate ? BST_CHECKED : BST_UNCHECKED);
    ++answer.answered;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

using Pages = std::vector<std::vector<std::string>>;

// Printed pages in short, one [...] each: runs of numbered lines as
// "000-029", anything else word for word, so that a difference shows at a
// glance where a page broke or a line went missing.
std::string Outline(const Pages &pages)
{
    std::string out;
    for (const std::vector<std::string> &page : pages) {
        out += out.empty() ? "[" : " [";
        int first = -1, last = -1;
        auto endRun = [&]() {
            if (first < 0)
                return;
            char run[32];
            if (first == last)
                std::snprintf(run, sizeof run, "%03d", first);
            else
                std::snprintf(run, sizeof run, "%03d-%03d", first, last);
            out += out.back() == '[' ? run : std::string(",") + run;
            first = last = -1;
        };
        for (const std::string &line : page) {
            const bool numbered = line.size() == 13 && line.compare(0, 10, "PRINTLINE ") == 0 &&
                                  line.find_first_not_of("0123456789", 10) == std::string::npos;
            const int n = numbered ? std::atoi(line.c_str() + 10) : -1;
            if (numbered && first >= 0 && n == last + 1) {
                last = n;
                continue;
            }
            endRun();
            if (numbered)
                first = last = n;
            else
                out += (out.back() == '[' ? "\"" : ",\"") + line + "\"";
        }
        endRun();
        out += "]";
    }
    return out;
}

// The outline of `lines` numbered lines on pages of `perPage`, each page
// `copies` times in a row.
std::string ExpectedOutline(int lines, int perPage, int copies)
{
    Pages pages;
    for (int first = 0; first < lines; first += perPage) {
        std::vector<std::string> page;
        for (int i = first; i < first + perPage && i < lines; ++i) {
            char line[32];
            std::snprintf(line, sizeof line, "PRINTLINE %03d", i);
            page.push_back(line);
        }
        pages.insert(pages.end(), static_cast<size_t>(copies), page);
    }
    return Outline(pages);
}

// The lines of one page as ps2ascii lays them out: indented by the margin,
// ended by CR LF; lines with no text are left out.
std::vector<std::string> TextLines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const size_t first = text.find_first_not_of(" \t\r", start);
        if (first < end) {
            const size_t last = text.find_last_not_of(" \t\r", end - 1);
            lines.push_back(text.substr(first, last - first + 1));
        }
        start = end + 1;
    }
    return lines;
}

// The line after "%%Title: " in the job's PostScript.
std::string DocumentTitle(const std::string &postscript)
{
    const std::string tag = "%%Title: ";
    const size_t at = postscript.find(tag);
    if (at == std::string::npos)
        return "(no %%Title line)";
    const size_t from = at + tag.size();
    return postscript.substr(from, postscript.find_first_of("\r\n", from) - from);
}

}  // namespace

class RealPrinter : public MainWindowTest {
protected:
    static void SetUpTestSuite()
    {
        MainWindowTest::SetUpTestSuite();
        setupError = InstallPrinter();
    }

    static void TearDownTestSuite() { RemovePrinter(); }

    void SetUp() override
    {
        MainWindowTest::SetUp();
        ASSERT_EQ(setupError, "") << "the test printer could not be set up";
    }

    void TearDown() override
    {
        for (const std::string &file : files)
            DeleteFileA(file.c_str());
        MainWindowTest::TearDown();
    }

    // Lines per page as the program figures them from the default printer.
    static int LinesPerPage()
    {
        using GetDefault = BOOL(WINAPI *)(LPSTR, LPDWORD);
        char name[256] = "";
        DWORD size = sizeof name;
        const auto getDefault = Winspool<GetDefault>("GetDefaultPrinterA");
        if (!getDefault || !getDefault(name, &size))
            return 0;
        HDC dc = CreateDCA(nullptr, name, nullptr, nullptr);
        if (dc == nullptr)
            return 0;
        TEXTMETRICA tm = {};
        GetTextMetricsA(dc, &tm);
        const int lineHeight = static_cast<int>(tm.tmHeight + tm.tmExternalLeading);
        const int height = GetDeviceCaps(dc, VERTRES);
        DeleteDC(dc);
        return lineHeight > 0 ? height / lineHeight : 0;
    }

    static void FillPane(int lines)
    {
        std::string text;
        for (int i = 0; i < lines; ++i) {
            char line[32];
            std::snprintf(line, sizeof line, "PRINTLINE %03d%s", i, i + 1 < lines ? "\r\n" : "");
            text += line;
        }
        AppendOutput(text.c_str());
    }

    // Prints the pane through File > Print, answering the dialog with the
    // given copies, and reads back each printed page's text. The spooler
    // hands the job to a shell command: the PostScript is kept in a file,
    // ps2ascii writes one text file per page, and the command's status
    // says when it is all there.
    Pages Print(int copies, bool collate)
    {
        static int serial;
        char stemBuffer[64];
        std::snprintf(stemBuffer, sizeof stemBuffer, "pellwick_job_%lu_%d",
                      static_cast<unsigned long>(GetCurrentProcessId()), ++serial);
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        const std::string stem = std::string(temp) + stemBuffer;
        postscript.clear();
        const std::string ps = stem + ".ps", status = stem + ".status";
        files.push_back(ps);
        files.push_back(status);
        const std::string command = "|tee '" + UnixPathOf(ps) + "' | ps2ascii - '" +
                                    UnixPathOf(stem) + "-%03d.txt'; echo $? > '" +
                                    UnixPathOf(status) + "'";
        HKEY key;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kSpoolerKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            &key, nullptr) != ERROR_SUCCESS) {
            ADD_FAILURE() << "cannot open HKCU\\" << kSpoolerKey;
            return {};
        }
        RegSetValueExA(key, kPort, 0, REG_SZ, reinterpret_cast<const BYTE *>(command.c_str()),
                       static_cast<DWORD>(command.size() + 1));
        RegCloseKey(key);

        answer = DialogAnswer();
        answer.copies = copies;
        answer.collate = collate;
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, AnswerPrintDialog);
        SendMessageA(hwndMain, WM_COMMAND, IDM_PRINT, 0);
        KillTimer(nullptr, timer);
        EXPECT_EQ(answer.answered, 1) << "the Print dialog did not come up";
        EXPECT_EQ(answer.others, 0) << "another box came up during the job";

        // The status line is written last, once the shell is through.
        std::string done;
        const bool through = PumpUntil(
            [&] { return (done = ReadWholeFile(status)).find('\n') != std::string::npos; }, 15000);
        postscript = ReadWholeFile(ps);
        if (!through) {
            ADD_FAILURE() << "the job did not come back from the printer within 15 s";
            return {};
        }
        if (done != "0\n") {
            ADD_FAILURE() << "ps2ascii (ghostscript) failed on the job, exit status " << done;
            return {};
        }
        Pages pages;
        for (int n = 1;; ++n) {
            char page[32];
            std::snprintf(page, sizeof page, "-%03d.txt", n);
            const std::string pageFile = stem + page;
            if (GetFileAttributesA(pageFile.c_str()) == INVALID_FILE_ATTRIBUTES)
                break;
            files.push_back(pageFile);
            pages.push_back(TextLines(ReadWholeFile(pageFile)));
        }
        return pages;
    }

    std::string postscript;       // the last job as it went to the printer
    std::vector<std::string> files;

    static std::string setupError;
};

std::string RealPrinter::setupError;

TEST_F(RealPrinter, EveryLineComesOutInOrderWithPageBreaksFromThePrinterMetrics)
{
    const int perPage = LinesPerPage();
    ASSERT_GT(perPage, 0) << "no metrics from the default printer";
    // Some full pages and a part page, so that the breaks show.
    const int lines = 130;
    ASSERT_LT(perPage * 2, lines) << "the page holds too many lines for the test to see breaks";

    FillPane(lines);
    const std::string title = "Pellwick (Finger - a.very.long.host.name.example.org)";
    SetWindowTextA(hwndMain, title.c_str());
    EXPECT_EQ(Outline(Print(1, true)), ExpectedOutline(lines, perPage, 1));
    // The job is named after the main window, cut to what the program keeps.
    EXPECT_EQ(DocumentTitle(postscript), title.substr(0, 39));
    EXPECT_TRUE(IsWindowEnabled(hwndMain));
    EXPECT_EQ(hwndPrintBox, nullptr);
}

TEST_F(RealPrinter, CopiesFromTheDialogComePageByPageOrAsWholeSets)
{
    const int perPage = LinesPerPage();
    ASSERT_GT(perPage, 0) << "no metrics from the default printer";
    const int lines = perPage * 2 + 3;
    FillPane(lines);

    EXPECT_EQ(Outline(Print(2, false)), ExpectedOutline(lines, perPage, 2))
        << "two copies, not collated";
    const std::string set = ExpectedOutline(lines, perPage, 1);
    EXPECT_EQ(Outline(Print(2, true)), set + " " + set) << "two copies, collated";
    // The copies are the program's pages, not the printer's: the job asks
    // the printer for one copy of each.
    EXPECT_EQ(postscript.find("copies="), std::string::npos) << postscript.substr(0, 200);
}
