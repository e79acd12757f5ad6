// The setup program, the 32-bit one that ships, run silently as an
// administrator deploys it, here as on 64-bit Windows (a 32-bit process in a
// 64-bit prefix): it puts the program and its help file under Program Files
// (x86), records the installation where the 32-bit program reads it, writes
// a starting pellwick.ini where there is none, and its uninstaller takes all
// but that file away again.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "config/config_names.h"
#include "e2e/installation_win.h"
#include "e2e/program_runner_win.h"
#include "res/resource.h"
#include "version.h"
#include "win/test_support_win.h"

namespace {

std::string setupPath;    // the pellwick-setup.exe under test
std::string builtProgram; // the pellwick.exe it was made from

// The help files lie beside the program they were built with.
std::string BuiltBeside(const char *name)
{
    return builtProgram.substr(0, builtProgram.find_last_of('\\') + 1) + name;
}

// The Start menu's shortcuts and what each starts from the install folder.
struct Shortcut {
    const char *name, *target;
};
const Shortcut kShortcuts[] = {{"Pellwick32", "pellwick.exe"}, {"Pellwick Help", "pllwck32.chm"}};
const char *const kHelpFiles[] = {"pllwck32.hlp", "pllwck32.chm"};

bool SameText(const std::string &a, const std::string &b)
{
    return _stricmp(a.c_str(), b.c_str()) == 0;
}

// One value of a configuration file as the program reads it, "<none>" when
// absent. The file is read afresh: the profile functions keep the last file
// they touched, and another process has written it since.
std::string ProfileValue(const std::string &file, const char *section, const char *key)
{
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());
    char text[300] = "";
    GetPrivateProfileStringA(section, key, "<none>", text, sizeof text, file.c_str());
    return text;
}

class Installer : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The configuration file is shared with the other tests of this run;
        // without it each test starts from a first install.
        hadConfig = PathExists(BareConfigPath());
        if (hadConfig)
            savedConfig = ReadWholeFile(BareConfigPath());
        DeleteFileA(BareConfigPath().c_str());
        ASSERT_EQ(RunAndWait("\"" + setupPath + "\" /S", 60000), 0u) << "the silent install failed";
    }

    // Whatever the uninstaller left, so that the next test and the other
    // tests in this prefix start without an installation.
    void TearDown() override
    {
        runner.Stop();
        for (const char *name : {"pellwick.exe", "pllwck32.hlp", "pllwck32.chm", "Uninstall.exe"})
            DeleteFileA((folder + "\\" + name).c_str());
        RemoveDirectoryA(folder.c_str());
        for (const Shortcut &shortcut : kShortcuts)
            DeleteFileA(ShortcutPath(shortcut.name).c_str());
        DeleteMachineTree(UNINSTALL_KEY);
        DeleteMachineTree(MAKER_KEY);
        if (hadConfig)
            WriteWholeFile(BareConfigPath(), savedConfig);
        else
            DeleteFileA(BareConfigPath().c_str());
    }

    static std::string Installed(const char *value)
    {
        std::string text;
        EXPECT_TRUE(ReadMachineString(REG_KEY_PELLWICK, value, PROGRAM_VIEW, text))
            << value << " is not in the installation key";
        return text;
    }

    const std::string folder = InstallFolder();
    ProgramRunner runner;

private:
    bool hadConfig = false;
    std::string savedConfig;
};

TEST_F(Installer, PutsTheFilesUnderProgramFiles)
{
    BOOL wow64 = FALSE;
    ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64));
    ASSERT_TRUE(wow64) << "the test runs as on 64-bit Windows";
    EXPECT_NE(folder.find("\\Program Files (x86)\\"), std::string::npos) << folder;
    const std::string program = ReadWholeFile(builtProgram);
    ASSERT_FALSE(program.empty()) << "cannot read " << builtProgram;
    EXPECT_TRUE(ReadWholeFile(folder + "\\pellwick.exe") == program)
        << folder << "\\pellwick.exe is missing or not the program just built";
    EXPECT_TRUE(PathExists(folder + "\\Uninstall.exe"));

    // Both help files go along, the ones just built.
    for (const char *help : kHelpFiles) {
        ASSERT_TRUE(PathExists(BuiltBeside(help))) << BuiltBeside(help);
        EXPECT_TRUE(ReadWholeFile(folder + "\\" + help) == ReadWholeFile(BuiltBeside(help)))
            << folder << "\\" << help << " is missing or not the one just built";
    }

    for (const Shortcut &shortcut : kShortcuts) {
        const std::string link = ShortcutPath(shortcut.name);
        EXPECT_TRUE(SameText(ShortcutTarget(link), folder + "\\" + shortcut.target))
            << link << " starts \"" << ShortcutTarget(link) << "\"";
    }
}

TEST_F(Installer, RecordsTheInstallationInTheProgramsRegistryView)
{
    EXPECT_EQ(Installed(REG_VALUE_PRODUCT), "Pellwick32");
    const std::string version = Installed(REG_VALUE_VERSION);
    EXPECT_EQ(version, PELLWICK_VERSION_TEXT);
    EXPECT_LT(version.size(), size_t{VERSION_BUFFER});
    // The configured path and the bare name must denote one file.
    EXPECT_TRUE(SameText(Installed(REG_VALUE_CFGFILE), BareConfigPath()))
        << "Cfgfile is \"" << Installed(REG_VALUE_CFGFILE) << "\"";
    EXPECT_FALSE(MachineKeyExists(REG_KEY_PELLWICK, OTHER_VIEW))
        << "the installation went to the 64-bit view, which the 32-bit program does not read";
    // On 64-bit Windows that view is the Wow6432Node branch.
    std::string product;
    EXPECT_TRUE(ReadMachineString("SOFTWARE\\Wow6432Node\\Harrowmere Systems\\Pellwick32",
                                  REG_VALUE_PRODUCT, KEY_WOW64_64KEY, product));

    std::string name, uninstall;
    EXPECT_TRUE(ReadMachineString(UNINSTALL_KEY, "DisplayName", PROGRAM_VIEW, name));
    EXPECT_EQ(name, "Pellwick32");
    EXPECT_TRUE(ReadMachineString(UNINSTALL_KEY, "UninstallString", PROGRAM_VIEW, uninstall));
    EXPECT_TRUE(SameText(uninstall, "\"" + folder + "\\Uninstall.exe\"")) << uninstall;
}

TEST_F(Installer, AFirstInstallWritesTheStartingConfigurationAndAReinstallKeepsTheUsers)
{
    const std::string config = Installed(REG_VALUE_CFGFILE);
    struct {
        const char *section, *key, *value;
    } const starting[] = {
        {SECTION_PELLWICK, KEY_REFERRALS, "1"},
        {SECTION_PELLWICK, KEY_RDAP, "1"},
        {SECTION_PELLWICK, KEY_UNICODE, "1"},
        {SECTION_PELLWICK, KEY_IPV6, "1"},
        // The list as the dialogs load it, IANA's server first, and the
        // recorded default as the dialogs' single-key reads spell it.
        {SECTION_WHOIS, KEY_COUNT, "6"},
        {SECTION_WHOIS, "host0", "whois.iana.org"},
        {SECTION_WHOIS, "host1", "whois.arin.net"},
        {SECTION_WHOIS, "host2", "whois.ripe.net"},
        {SECTION_WHOIS, "host3", "whois.apnic.net"},
        {SECTION_WHOIS, "host4", "whois.lacnic.net"},
        {SECTION_WHOIS, "host5", "whois.afrinic.net"},
        {SECTION_WHOIS_KEYS, KEY_DEFAULT, "whois.iana.org"},
        // The placement is the program's own choice on its first start.
        {SECTION_PELLWICK, KEY_LEFT, "<none>"},
    };
    for (const auto &s : starting)
        EXPECT_EQ(ProfileValue(config, s.section, s.key), s.value) << s.section << " " << s.key;

    // The user turns referrals off; installing again over it keeps the file
    // byte for byte.
    WritePrivateProfileStringA(SECTION_PELLWICK, KEY_REFERRALS, "0", config.c_str());
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, config.c_str());
    const std::string changed = ReadWholeFile(config);
    ASSERT_NE(changed.find("referrals=0"), std::string::npos) << changed;
    ASSERT_EQ(RunAndWait("\"" + setupPath + "\" /S", 60000), 0u) << "the reinstall failed";
    EXPECT_EQ(ReadWholeFile(config), changed);
}

TEST_F(Installer, TheInstalledProgramReadsTheInstallation)
{
    const std::string config = Installed(REG_VALUE_CFGFILE);
    ASSERT_FALSE(config.empty());
    WriteWholeFile(config, "[pellwick]\r\nleft=33\r\ntop=27\r\nright=210\r\nbottom=130\r\n");

    programPath = folder + "\\pellwick.exe";
    HWND hwnd = runner.Start();
    ASSERT_NE(hwnd, nullptr) << "the installed program showed no window";
    EXPECT_EQ(WindowRectOf(hwnd), DialogUnitRect(33, 27, 210, 130));

    // Product and Version reach the program only through the registry key,
    // so the About box shows whether it reads the view the installer wrote.
    HWND about = runner.OpenDialog(hwnd, IDM_ABOUT, "About Pellwick32");
    ASSERT_NE(about, nullptr) << "no About box";
    char text[64] = "";
    GetDlgItemTextA(about, IDC_VERSION, text, sizeof text);
    EXPECT_STREQ(text, "Pellwick32 " PELLWICK_VERSION_TEXT);
    PostMessageA(about, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil(5000, [&] { return !IsWindow(about); }));

    EXPECT_EQ(runner.CloseAndWait(hwnd), 0u);
    // The file had no history key: the program wrote it back there on close.
    EXPECT_NE(ReadWholeFile(config).find("history=1"), std::string::npos);
}

TEST_F(Installer, SilentUninstallRemovesAllButTheUsersConfiguration)
{
    const std::string config = Installed(REG_VALUE_CFGFILE);
    const std::string settings = "[pellwick]\r\nleft=5\r\n";
    WriteWholeFile(config, settings);

    // As Add/Remove Programs runs it. The uninstaller copies itself out of
    // the folder it removes and finishes in the copy, so the first process
    // ends before the work is done: wait for the last steps' results.
    std::string quiet;
    ASSERT_TRUE(ReadMachineString(UNINSTALL_KEY, "QuietUninstallString", PROGRAM_VIEW, quiet));
    EXPECT_EQ(RunAndWait(quiet, 30000), 0u) << quiet;
    EXPECT_TRUE(WaitUntil(30000, [&] {
        return !PathExists(folder) && !MachineKeyExists(UNINSTALL_KEY, PROGRAM_VIEW) &&
               !MachineKeyExists(MAKER_KEY, PROGRAM_VIEW);
    })) << "the uninstaller did not finish within 30 seconds";

    EXPECT_FALSE(PathExists(folder + "\\pellwick.exe"));
    EXPECT_FALSE(PathExists(folder));
    for (const Shortcut &shortcut : kShortcuts)
        EXPECT_FALSE(PathExists(ShortcutPath(shortcut.name))) << shortcut.name;
    EXPECT_FALSE(MachineKeyExists(UNINSTALL_KEY, PROGRAM_VIEW));
    EXPECT_FALSE(MachineKeyExists(REG_KEY_PELLWICK, PROGRAM_VIEW));
    EXPECT_FALSE(MachineKeyExists(MAKER_KEY, PROGRAM_VIEW));
    EXPECT_EQ(ReadWholeFile(config), settings) << "the user's configuration did not survive";
}

TEST_F(Installer, UninstallKeepsTheMakersKeyWhileAnotherProductUsesIt)
{
    HKEY other;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, MAKER_KEY "\\Other", 0, nullptr, 0,
                              KEY_WRITE | PROGRAM_VIEW, nullptr, &other, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(other);

    // "_?=" makes the uninstaller work in place, so its end is the end of
    // the work.
    const std::string run = "\"" + folder + "\\Uninstall.exe\" /S _?=" + folder;
    EXPECT_EQ(RunAndWait(run, 30000), 0u) << run;
    EXPECT_FALSE(PathExists(folder + "\\pellwick.exe"));
    EXPECT_FALSE(MachineKeyExists(REG_KEY_PELLWICK, PROGRAM_VIEW));
    EXPECT_TRUE(MachineKeyExists(MAKER_KEY "\\Other", PROGRAM_VIEW));
}

} // namespace

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 3) {
        fprintf(stderr, "usage: pellwick_installer_tests PELLWICK_SETUP_EXE PELLWICK_EXE\n");
        return 2;
    }
    setupPath = WindowsPathOf(argv[1]);
    builtProgram = WindowsPathOf(argv[2]);
    return RUN_ALL_TESTS();
}
