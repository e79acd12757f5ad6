#include "config/config_win.h"

#include "config/profile_values.h"
#include "config/scoped_win.h"

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
