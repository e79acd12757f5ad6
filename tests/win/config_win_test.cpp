// The installation key and the placement section, against the registry and
// profile files of the test's private Wine prefix.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "config/config_win.h"
#include "config/profile_values.h"
#include "frame/placement_win.h"
#include "text/text_mode.h"
#include "win/test_support_win.h"

namespace {

class InstallValues : public ::testing::Test {
protected:
    void SetUp() override { DeleteInstallKey(); }
    void TearDown() override { DeleteInstallKey(); }
};

TEST_F(InstallValues, MissingKeyLeavesEmptyValuesAndTheBareNameServes)
{
    std::strcpy(szProduct, "stale");
    ReadInstallValues();
    EXPECT_STREQ(szProduct, "");
    EXPECT_STREQ(szVersion, "");
    EXPECT_STREQ(szCfgFile, "");
    EXPECT_STREQ(ConfiguredPath(), "pellwick.ini");
}

TEST_F(InstallValues, ValuesAreCutToTheirBuffers)
{
    SetInstallValue(REG_VALUE_PRODUCT, "Pellwick32 with a very long name");
    SetInstallValue(REG_VALUE_VERSION, "1.2.3.4.5.6.7");
    SetInstallValue(REG_VALUE_CFGFILE, std::string(300, 'c'));
    ReadInstallValues();
    EXPECT_EQ(std::string(szProduct), std::string("Pellwick32 with a very long name").substr(0, 19));
    EXPECT_STREQ(szVersion, "1.2.3.4.5");
    EXPECT_EQ(std::string(szCfgFile), std::string(255, 'c'));
}

TEST_F(InstallValues, ConfiguredPathIsTheRegistryValueWhenSet)
{
    SetInstallValue(REG_VALUE_PRODUCT, "Pellwick32");
    SetInstallValue(REG_VALUE_VERSION, "1.0.0");
    SetInstallValue(REG_VALUE_CFGFILE, "C:\\somewhere\\pellwick.ini");
    ReadInstallValues();
    EXPECT_STREQ(szProduct, "Pellwick32");
    EXPECT_STREQ(szVersion, "1.0.0");
    EXPECT_STREQ(ConfiguredPath(), "C:\\somewhere\\pellwick.ini");
}

TEST_F(InstallValues, AValueOfAnotherTypeReadsAsEmpty)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, REG_KEY_PELLWICK, 0, nullptr, 0, KEY_WRITE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const DWORD number = 42;
    RegSetValueExA(key, REG_VALUE_CFGFILE, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&number),
                   sizeof number);
    RegCloseKey(key);
    ReadInstallValues();
    EXPECT_STREQ(szCfgFile, "");
    EXPECT_STREQ(ConfiguredPath(), "pellwick.ini");
}

class PlacementFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = UniqueTempPath("placement");
        CopyBounded(szCfgFile, sizeof szCfgFile, path.c_str());
    }
    void TearDown() override
    {
        DeleteFileA(path.c_str());
        szCfgFile[0] = '\0';
    }
    std::string path;
};

TEST_F(PlacementFile, FirstRunWithoutAFileGivesTheDefaults)
{
    nWinLeft = nWinTop = nWinWidth = nWinHeight = bHistory = -1;
    ReadPlacement();
    EXPECT_EQ(nWinLeft, 20);
    EXPECT_EQ(nWinTop, 20);
    EXPECT_EQ(nWinWidth, 280);
    EXPECT_EQ(nWinHeight, 175);
    EXPECT_EQ(bHistory, 1);
}

TEST_F(PlacementFile, ValuesAreReadByTheirLeadingIntegerWithinTenBytes)
{
    WriteWholeFile(path, "[pellwick]\r\nleft=abc\r\ntop=-7\r\nright=10x\r\n"
                         "bottom=1234567890123\r\nhistory=0\r\n");
    ReadPlacement();
    EXPECT_EQ(nWinLeft, 0);
    EXPECT_EQ(nWinTop, -7);
    EXPECT_EQ(nWinWidth, 10);
    EXPECT_EQ(nWinHeight, 123456789);
    EXPECT_EQ(bHistory, 0);
}

TEST_F(PlacementFile, WrittenPlacementReadsBackAndKeepsTheKeyOrder)
{
    nWinLeft = -40;
    nWinTop = 3;
    nWinWidth = 300;
    nWinHeight = 200;
    bHistory = 0;
    WritePlacement();
    const std::string text = ReadWholeFile(path);
    const size_t left = text.find("left=-40"), top = text.find("top=3"),
                 right = text.find("right=300"), bottom = text.find("bottom=200"),
                 history = text.find("history=0");
    ASSERT_NE(left, std::string::npos) << text;
    ASSERT_NE(history, std::string::npos) << text;
    EXPECT_LT(left, top);
    EXPECT_LT(top, right);
    EXPECT_LT(right, bottom);
    EXPECT_LT(bottom, history);

    nWinLeft = nWinTop = nWinWidth = nWinHeight = bHistory = 99;
    ReadPlacement();
    EXPECT_EQ(nWinLeft, -40);
    EXPECT_EQ(nWinTop, 3);
    EXPECT_EQ(nWinWidth, 300);
    EXPECT_EQ(nWinHeight, 200);
    EXPECT_EQ(bHistory, 0);
}

TEST(ConfiguredPathFallback, WithoutCfgfileThePlacementGoesToTheBareName)
{
    const std::string bare = BareConfigPath();
    DeleteFileA(bare.c_str());
    szCfgFile[0] = '\0';
    nWinLeft = 11;
    nWinTop = 12;
    nWinWidth = 213;
    nWinHeight = 114;
    bHistory = 1;
    WritePlacement();
    EXPECT_NE(ReadWholeFile(bare).find("right=213"), std::string::npos);
    nWinWidth = 0;
    ReadPlacement();
    EXPECT_EQ(nWinWidth, 213);
    DeleteFileA(bare.c_str());
}

// The host lists' values while Unicode text is on: the program's UTF-8 on
// one side, the file's Windows-1252 on the other.
class UnicodeProfileText : public PlacementFile {
protected:
    void SetUp() override
    {
        if (GetACP() != 1252)
            GTEST_SKIP() << "the stored bytes are written for Windows-1252";
        PlacementFile::SetUp();
        bUnicodeText = true;
    }
    void TearDown() override
    {
        bUnicodeText = false;
        PlacementFile::TearDown();
        DeleteFileA(BareConfigPath().c_str());
    }
    static std::string ListText(const char *key, const char *def = "")
    {
        char text[HOST_BUFFER];
        ReadListText(SECTION_HISTORY, key, def, text, sizeof text);
        return text;
    }
    enum { HOST_BUFFER = 256 };
};

TEST_F(UnicodeProfileText, ReadsAreCutBetweenCharactersAndTheFontKeepsItsBytes)
{
    WriteWholeFile(path, "[__History__]\r\nhost0=" + std::string(200, '\xfc') + "\r\n");
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
    std::string umlauts;
    for (int i = 0; i < 127; ++i)
        umlauts += u8"ü";
    EXPECT_EQ(ListText("host0"), umlauts) << "255 bytes of room hold 127 of them";
    EXPECT_EQ(ListText("missing", u8"пример.рф"), u8"пример.рф") << "the default comes back whole";
    bUnicodeText = false;
    EXPECT_EQ(ListText("host0"), std::string(200, '\xfc')) << "off: the file's bytes";

    // The font's face name is the code page's, as the font record holds it.
    bUnicodeText = true;
    EXPECT_TRUE(WriteSetting(SECTION_FONT, "facename", "Caf\xe9"));
    char face[32] = "";
    ReadSetting(SECTION_FONT, "facename", "", face, sizeof face);
    EXPECT_STREQ(face, "Caf\xe9");
    EXPECT_NE(ReadWholeFile(BareConfigPath()).find("facename=Caf\xe9\r\n"), std::string::npos);
}

TEST(ProfileNumbers, NegativeAndLongValuesRoundTripThroughAFile)
{
    const std::string path = UniqueTempPath("numbers");
    WriteProfileNumber("font", "height", -13, path.c_str());
    WriteProfileNumber("font", "weight", 700, path.c_str());
    WriteProfileText("font", "facename", "Courier New", path.c_str());
    EXPECT_EQ(ReadProfileNumber("font", "height", "0", 33, path.c_str()), -13);
    EXPECT_EQ(ReadProfileNumber("font", "weight", "0", 33, path.c_str()), 700);
    EXPECT_EQ(ReadProfileNumber("font", "missing", "0", 33, path.c_str()), 0);
    char face[8];
    ReadProfileText("font", "facename", "0", face, sizeof face, path.c_str());
    EXPECT_STREQ(face, "Courier");
    DeleteFileA(path.c_str());
}

} // namespace
