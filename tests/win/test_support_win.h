// Helpers shared by the Windows test programs: temporary files, the
// installation key and whole-file reads, in the private Wine prefix.
#pragma once

#include <windows.h>

#include <string>

// A fresh path in the temporary folder; the file itself is not created.
std::string UniqueTempPath(const char *stem);

// The bare configuration name as the profile functions resolve it.
std::string BareConfigPath();

// The installation key: sets one string value, or removes the whole key.
void SetInstallValue(const char *name, const std::string &value);
void DeleteInstallKey();

std::string ReadWholeFile(const std::string &path);
void WriteWholeFile(const std::string &path, const std::string &text);

// A path given on the command line by the Linux side ("/work/x") as the
// program sees it under Wine ("Z:\work\x"); Windows paths pass unchanged.
std::string WindowsPathOf(const std::string &path);
