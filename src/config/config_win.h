// Access to the registry key and the private-profile configuration file.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "config/config_names.h"

// Installation values, read once at start-up and never written. Each is
// empty when the key or the value is missing.
extern char szProduct[PRODUCT_BUFFER];
extern char szVersion[VERSION_BUFFER];
extern char szCfgFile[CFGFILE_BUFFER];

// Opens the installation key (creating it when absent) for reading and fills
// szProduct, szVersion and szCfgFile; a value longer than its buffer is cut.
void ReadInstallValues();

// The configured path of the configuration file: the registry's Cfgfile, or
// the bare name when the installation left it empty. Without this fallback an
// uninstalled copy would address no file at all and lose its placement and
// lists, while servers saved through the bare name would never load again.
const char *ConfiguredPath();

// The folder the configuration file lives in: Cfgfile's, or the Windows
// folder, where the profile functions put a bare name. Files the program
// keeps beside its settings go there.
std::string SettingsFolder();

// Thin wrappers over the platform's private-profile functions, for a file
// named by the caller. A missing file, section or key gives the default; a
// failed write is ignored. `size` is the reader's buffer size, terminator
// included: longer values are cut to size - 1 characters.
DWORD ReadProfileText(const char *section, const char *key, const char *def, char *buf,
                      DWORD size, const char *file);
void WriteProfileText(const char *section, const char *key, const char *value,
                      const char *file);

// Reads a value with a buffer of `size` bytes and takes its leading integer.
int32_t ReadProfileNumber(const char *section, const char *key, const char *def, DWORD size,
                          const char *file);
// Writes a number as signed decimal text.
void WriteProfileNumber(const char *section, const char *key, int32_t value, const char *file);

// The program's settings and lists go through the functions below, which
// take the file from the section: which of the file's two names each section
// is reached through is kept in one table in config_win.cpp.
//
// The host lists' values (Finger targets, WhoIs servers and the WhoIs
// default) are the program's text. While Unicode text is on they are read as
// UTF-8, from the code page the file is in, and written back in that code
// page: what it cannot hold goes in with the host as its A-labels (see
// EntryInCodePage), and a value that has no such form is not written at all,
// never as question marks. While it is off every value is the file's bytes.

// Values read and written one at a time: the placement, the history switch,
// the font, the WhoIs default and the dialogs' appended entries.
DWORD ReadSetting(const char *section, const char *key, const char *def, char *buf, DWORD size);
int32_t ReadSettingNumber(const char *section, const char *key, const char *def, DWORD size);
// False when the value was not written, having no form the file can keep.
bool WriteSetting(const char *section, const char *key, const char *value);
void WriteSettingNumber(const char *section, const char *key, int32_t value);
// Removes a whole section, then flushes the cached file so that the list
// written next starts from nothing.
void RemoveSection(const char *section);
// Whether a value of the section can be written (always, but for a host
// list's value while Unicode text is on).
bool FileCanHold(const char *section, const char *value);

// A host list loaded or saved whole: its "count" and "host%d" keys.
DWORD ReadListText(const char *section, const char *key, const char *def, char *buf, DWORD size);
int32_t ReadListNumber(const char *section, const char *key, const char *def, DWORD size);
bool WriteListText(const char *section, const char *key, const char *value);
void WriteListNumber(const char *section, const char *key, int32_t value);
