// Which form the program's text takes. Portable.
#pragma once

// Unicode text: answers are read as UTF-8 (a byte that is not valid UTF-8 as
// its Windows-1252 character) and shown as written, names with letters
// beyond ASCII go out as their A-labels, and files are written in UTF-8.
// While it is on, the program's text buffers (targets, titles, status texts)
// hold UTF-8; while it is off, they hold the code page's bytes, as always.
// On from the saved setting, the Options menu, or -u for one run.
extern bool bUnicodeText;
