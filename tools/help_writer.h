// Turns the parsed help text into a Windows 3.1 help file (.hlp), the form
// that WinHelp and its successors open, and into the contents file (.cnt)
// that 32-bit WinHelp shows as the Contents tab. Portable.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "help_source.h"

namespace help {

// The whole .hlp file: an internal file system (a B+ tree directory) holding
// |SYSTEM (title, copyright, contents topic), |FONT, |TOPIC (the topics as
// topic blocks of 4 KB whose text is stored as LZ77 literals), |CONTEXT
// (context-id hash to topic) and |TTLBTREE (topic titles). The first topic
// is the contents topic; all topics form one browse sequence in source order.
// Throws std::runtime_error when the text does not fit the format (two
// context ids with one hash, more topics than two B+ tree levels hold).
std::vector<uint8_t> WriteHelpFile(const Source &source);

// The contents file for `hlpName`: its title and one entry per topic.
std::string WriteContentsFile(const Source &source, const std::string &hlpName);

// The hash by which WinHelp finds a topic from its context id.
uint32_t ContextHash(const std::string &id);

} // namespace help
