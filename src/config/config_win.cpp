#include "config/config_win.h"

#include <cstring>

#include "config/profile_values.h"
#include "handles/owned_win.h"
#include "text/text_mode.h"
#include "text/unicode_win.h"

char szProduct[PRODUCT_BUFFER];
char szVersion[VERSION_BUFFER];
char szCfgFile[CFGFILE_BUFFER];

namespace {

// Reads one string value into a fixed buffer. The value is fetched whole
// first so that a long one is cut cleanly instead of being refused, and a
// stored string without its terminator still ends inside the buffer.
void ReadRegistryString(HKEY key, const char *name, char *dst, size_t size)
{
    dst[0] = '\0';
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS)
        return;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return;
    char *whole = static_cast<char *>(LocalAlloc(LPTR, bytes + 1));
    if (whole == nullptr)
        return;
    DWORD got = bytes;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(whole), &got) ==
        ERROR_SUCCESS) {
        whole[got < bytes ? got : bytes] = '\0';
        CopyBounded(dst, size, whole);
    }
    LocalFree(whole);
}

} // namespace

void ReadInstallValues()
{
    szProduct[0] = szVersion[0] = szCfgFile[0] = '\0';
    OwnedKey key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, REG_KEY_PELLWICK, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ, nullptr, key.Receive(), nullptr) != ERROR_SUCCESS)
        return;
    ReadRegistryString(key.Get(), REG_VALUE_PRODUCT, szProduct, sizeof szProduct);
    ReadRegistryString(key.Get(), REG_VALUE_VERSION, szVersion, sizeof szVersion);
    ReadRegistryString(key.Get(), REG_VALUE_CFGFILE, szCfgFile, sizeof szCfgFile);
}

const char *ConfiguredPath()
{
    return szCfgFile[0] != '\0' ? szCfgFile : CONFIG_BARE_NAME;
}

std::string SettingsFolder()
{
    const std::string path = ConfiguredPath();
    const size_t slash = path.find_last_of("\\/");
    if (slash != std::string::npos)
        return path.substr(0, slash);
    char windows[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, sizeof windows);
    return windows;
}

DWORD ReadProfileText(const char *section, const char *key, const char *def, char *buf,
                      DWORD size, const char *file)
{
    if (size == 0)
        return 0;
    buf[0] = '\0';
    return GetPrivateProfileStringA(section, key, def, buf, size, file);
}

void WriteProfileText(const char *section, const char *key, const char *value, const char *file)
{
    WritePrivateProfileStringA(section, key, value, file);
}

int32_t ReadProfileNumber(const char *section, const char *key, const char *def, DWORD size,
                          const char *file)
{
    // Every reader names a buffer of at most a few dozen bytes; the value is
    // cut to that size before its leading integer is taken, so "1234567890"
    // read with 10 bytes is 123456789.
    char buf[128];
    if (size > sizeof buf)
        size = sizeof buf;
    ReadProfileText(section, key, def, buf, size, file);
    return ParseLeadingInt(buf);
}

void WriteProfileNumber(const char *section, const char *key, int32_t value, const char *file)
{
    char text[16];
    FormatDecimal(value, text, sizeof text);
    WriteProfileText(section, key, text, file);
}

namespace {

// The file is reached through two names: the configured path (the
// installation's Cfgfile) and the bare name, which resolves in the Windows
// directory. The installation puts pellwick.ini in the Windows directory and
// an uninstalled copy falls back to the bare name, so both names reach the
// same file. Where Cfgfile names a file elsewhere they part, and each
// section stays with the name it has always been reached through, so that
// what a user has stored so far is found again:
// - the placement and the history switch go through the configured path;
// - the font goes through the bare name;
// - every host list is loaded and saved whole through the configured path,
//   while the dialogs' single-key changes (an entry appended by Save, the
//   recorded WhoIs default, the section removed by Delete before the list
//   is saved again) go through the bare name.
enum FileName { CONFIGURED_PATH, BARE_NAME };
// What a section's values hold. A host list's are the program's text, UTF-8
// while Unicode text is on; the file keeps them in the code page it has
// always been in, which every earlier copy of the program reads. The other
// sections hold numbers, the font's face name (as the font record holds it,
// in the code page) and an address.
enum Values { CODE_PAGE, PROGRAM_TEXT };
struct SectionFiles {
    const char *section; // matched without regard to case, as the file does
    FileName oneValue;   // values read and written one at a time
    FileName wholeList;  // a host list loaded or saved whole
    Values values;
};
const SectionFiles kSectionFiles[] = {
    // The placement's and the font's sections hold no list; the history is
    // only ever loaded and saved whole.
    {SECTION_PELLWICK, CONFIGURED_PATH, CONFIGURED_PATH, CODE_PAGE},
    {SECTION_FONT, BARE_NAME, BARE_NAME, CODE_PAGE},
    {SECTION_HISTORY, CONFIGURED_PATH, CONFIGURED_PATH, PROGRAM_TEXT},
    {SECTION_WHOIS, BARE_NAME, CONFIGURED_PATH, PROGRAM_TEXT},
    {SECTION_ADDBOOK, BARE_NAME, CONFIGURED_PATH, PROGRAM_TEXT},
};

const SectionFiles *FindSection(const char *section)
{
    for (const SectionFiles &s : kSectionFiles) {
        if (_stricmp(s.section, section) == 0)
            return &s;
    }
    return nullptr;
}

const char *FileFor(const char *section, bool wholeList)
{
    const SectionFiles *s = FindSection(section);
    if (s == nullptr)
        return ConfiguredPath();
    return (wholeList ? s->wholeList : s->oneValue) == BARE_NAME ? CONFIG_BARE_NAME
                                                                 : ConfiguredPath();
}

// Whether the section's values are converted between the program's UTF-8
// and the file's code page: only while Unicode text is on.
bool Converted(const char *section)
{
    const SectionFiles *s = FindSection(section);
    return bUnicodeText && s != nullptr && s->values == PROGRAM_TEXT;
}

// The file's code-page text as the program's UTF-8, cut to the buffer
// between two characters. The platform reads the file in its code page, so
// the value is asked for as UTF-16; the default goes in as UTF-16 too and
// comes back whole.
DWORD ReadConverted(const char *section, const char *key, const char *def, char *buf, DWORD size,
                    const char *file)
{
    if (size == 0)
        return 0;
    buf[0] = '\0';
    const std::wstring wideSection = Utf8ToWide(section), wideKey = Utf8ToWide(key),
                       wideDef = Utf8ToWide(def), wideFile = CodePageToWide(file);
    std::wstring value(size, L'\0');
    const DWORD n = GetPrivateProfileStringW(wideSection.c_str(), wideKey.c_str(),
                                             wideDef.c_str(), &value[0], size, wideFile.c_str());
    value.resize(n < size ? n : 0);
    return static_cast<DWORD>(CopyUtf8Bounded(buf, size, WideToUtf8(value)));
}

// The program's UTF-8 in the form the file keeps (see EntryInCodePage):
// false, with nothing written, for a value that has none. Such a value
// lives as long as the dialog that holds it and is never written as
// question marks.
bool WriteConverted(const char *section, const char *key, const char *value, const char *file)
{
    std::string bytes;
    if (value != nullptr && !EntryInCodePage(value, bytes))
        return false;
    WriteProfileText(section, key, value != nullptr ? bytes.c_str() : nullptr, file);
    return true;
}

} // namespace

DWORD ReadSetting(const char *section, const char *key, const char *def, char *buf, DWORD size)
{
    if (Converted(section))
        return ReadConverted(section, key, def, buf, size, FileFor(section, false));
    return ReadProfileText(section, key, def, buf, size, FileFor(section, false));
}

int32_t ReadSettingNumber(const char *section, const char *key, const char *def, DWORD size)
{
    return ReadProfileNumber(section, key, def, size, FileFor(section, false));
}

bool WriteSetting(const char *section, const char *key, const char *value)
{
    if (Converted(section))
        return WriteConverted(section, key, value, FileFor(section, false));
    WriteProfileText(section, key, value, FileFor(section, false));
    return true;
}

bool FileCanHold(const char *section, const char *value)
{
    std::string bytes;
    return !Converted(section) || EntryInCodePage(value, bytes);
}

void WriteSettingNumber(const char *section, const char *key, int32_t value)
{
    WriteProfileNumber(section, key, value, FileFor(section, false));
}

void RemoveSection(const char *section)
{
    const char *file = FileFor(section, false);
    WriteProfileText(section, nullptr, nullptr, file);
    WriteProfileText(nullptr, nullptr, nullptr, file);
}

DWORD ReadListText(const char *section, const char *key, const char *def, char *buf, DWORD size)
{
    if (Converted(section))
        return ReadConverted(section, key, def, buf, size, FileFor(section, true));
    return ReadProfileText(section, key, def, buf, size, FileFor(section, true));
}

int32_t ReadListNumber(const char *section, const char *key, const char *def, DWORD size)
{
    return ReadProfileNumber(section, key, def, size, FileFor(section, true));
}

bool WriteListText(const char *section, const char *key, const char *value)
{
    if (Converted(section))
        return WriteConverted(section, key, value, FileFor(section, true));
    WriteProfileText(section, key, value, FileFor(section, true));
    return true;
}

void WriteListNumber(const char *section, const char *key, int32_t value)
{
    WriteProfileNumber(section, key, value, FileFor(section, true));
}
