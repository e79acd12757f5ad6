// Access to the registry key and the private-profile configuration file.
#pragma once

#include <windows.h>

#include <cstdint>

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

// Thin wrappers over the platform's private-profile functions. A missing
// file, section or key gives the default; a failed write is ignored.
// `size` is the reader's buffer size, terminator included: longer values are
// cut to size - 1 characters.
DWORD ReadProfileText(const char *section, const char *key, const char *def, char *buf,
                      DWORD size, const char *file);
void WriteProfileText(const char *section, const char *key, const char *value,
                      const char *file);

// Reads a value with a buffer of `size` bytes and takes its leading integer.
int32_t ReadProfileNumber(const char *section, const char *key, const char *def, DWORD size,
                          const char *file);
// Writes a number as signed decimal text.
void WriteProfileNumber(const char *section, const char *key, int32_t value, const char *file);
