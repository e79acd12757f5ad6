// Converting the program's text between its three forms: UTF-8 (what the
// text buffers hold while Unicode text is on), UTF-16 (what Unicode windows
// take) and the code page (what they hold while it is off, and what the
// configuration file holds); and host names to the ASCII form the network
// knows them by.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

// UTF-8 to UTF-16. A byte that is not valid UTF-8 becomes U+FFFD. Empty
// when no memory can be had for the result; never throws.
std::wstring Utf8ToWide(const char *text, size_t length);
std::wstring Utf8ToWide(const std::string &text);
// UTF-16 to UTF-8; empty when no memory can be had.
std::string WideToUtf8(const wchar_t *text, size_t length);
std::string WideToUtf8(const std::wstring &text);

// The program's text as UTF-16: read as UTF-8 while Unicode text is on, in
// the code page while it is off.
std::wstring ProgramTextToWide(const char *text);
// UTF-16 as the program's text: UTF-8 while Unicode text is on, the code
// page (with its default character for what it lacks) while it is off.
std::string WideToProgramText(const wchar_t *text, size_t length);

// The code page's bytes for `text`, or false when the code page cannot hold
// all of it.
bool WideToCodePage(const std::wstring &text, std::string &bytes);

// Whether the text holds anything beyond ASCII.
bool HasNonAscii(const char *text);

// A host or domain name as the program holds it (UTF-8 while Unicode text
// is on) in the form it goes out in: an ASCII name as it is, a name with
// letters beyond ASCII as its A-labels ("xn--mnchen-3ya.de"), converted by
// the platform. False when the platform refuses the name; `ascii` is then
// empty. With Unicode text off the name goes out as its bytes, as always.
bool NameOnTheWire(const char *name, std::string &ascii);
