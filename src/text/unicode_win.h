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

// The code page's bytes for `text`, or false when the code page cannot hold
// all of it. A letter the code page has only a look-alike for (a Polish L
// with a stroke, which Windows-1252 would give as a plain L) counts as one it
// cannot hold.
bool WideToCodePage(const std::wstring &text, std::string &bytes);
// The code page's text as UTF-16.
std::wstring CodePageToWide(const char *text);

// How many bytes of UTF-8 `text` fit in `room` bytes without cutting a
// character in two.
size_t Utf8FitLength(const std::string &text, size_t room);
// Copies UTF-8 into a buffer of `size` bytes, cut before the first
// character that does not fit, and always terminated. Returns the length
// copied; a size of 0 copies nothing.
size_t CopyUtf8Bounded(char *dst, size_t size, const std::string &text);

// Whether the text holds anything beyond ASCII.
bool HasNonAscii(const char *text);

// A host or domain name as the program holds it (UTF-8 while Unicode text
// is on) in the form it goes out in: an ASCII name as it is, a name with
// letters beyond ASCII as its A-labels ("xn--mnchen-3ya.de"), converted by
// the platform. False when the platform refuses the name; `ascii` is then
// empty. With Unicode text off the name goes out as its bytes, as always.
bool NameOnTheWire(const char *name, std::string &ascii);

// A stored Finger target ("[user@]host") or WhoIs server, UTF-8 as the
// program holds it while Unicode text is on, in the code page a file of
// settings is kept in: as it is when the code page holds all of it;
// otherwise the host (after the last at sign) as its A-labels and the user
// part as the code page holds it (a German user at a Russian host: the user
// in Windows-1252, "@xn--e1afmkfd.xn--p1ai"). False when there is no such
// form: a user part the code page cannot hold (a Cyrillic user name in
// Windows-1252), or a host the platform refuses; `bytes` is then empty. A
// user name is never made into A-labels: no Finger server would know it so.
bool EntryInCodePage(const char *entry, std::string &bytes);
