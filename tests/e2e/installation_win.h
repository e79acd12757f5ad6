// Where the setup program puts things on this machine, and small reads of
// them for the installer tests: the registry view the shipped 32-bit program
// reads, files, folders and the Start-menu shortcut.
#pragma once

#include <windows.h>

#include <string>

// The 32-bit program's registry view, and the other one, which on 64-bit
// Windows must stay untouched.
enum : REGSAM { PROGRAM_VIEW = KEY_WOW64_32KEY, OTHER_VIEW = KEY_WOW64_64KEY };

// The uninstall entry Add/Remove Programs lists the program under.
#define UNINSTALL_KEY "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pellwick32"
// The key above the program's own, shared with the maker's other products.
#define MAKER_KEY "SOFTWARE\\Harrowmere Systems"

// "C:\Program Files (x86)\Pellwick32" on 64-bit Windows, and a shortcut in
// every user's Start menu by its name ("Pellwick32", "Pellwick Help").
std::string InstallFolder();
std::string ShortcutPath(const char *name);

// A string value under HKEY_LOCAL_MACHINE in the given view
// (KEY_WOW64_64KEY or KEY_WOW64_32KEY); false if the key or value is absent.
bool ReadMachineString(const char *key, const char *value, REGSAM view, std::string &out);
bool MachineKeyExists(const char *key, REGSAM view);
// Removes a key and everything under it from the program's view.
void DeleteMachineTree(const char *key);

// The program a shell link starts; empty if it cannot be read.
std::string ShortcutTarget(const std::string &link);

