// Turns the parsed help text into the sources of an HTML Help file (.chm):
// one HTML page per topic, the contents (.hhc) and index (.hhk) in the
// sitemap form, a small stylesheet and the project (.hhp) that a help
// compiler (chmcmd here, hhc.exe on Windows) turns into the .chm. Portable.
#pragma once

#include <string>
#include <vector>

#include "help_source.h"

namespace help {

// One keyword of the index and where it leads: a topic's page, or a heading's
// place in it ("page.htm#anchor"). Keywords under a topic's title are its
// headings, so that "Options" reads as the command line's options.
struct IndexEntry {
    std::string keyword;
    std::string local;
    std::vector<IndexEntry> below;
};

// The index: every topic's title, with its headings below it in the order
// they come, the titles in alphabetical order (case aside).
std::vector<IndexEntry> IndexKeywords(const Source &source);

// The page that holds a topic: its context id with ".htm".
std::string PageName(const std::string &contextId);

struct ProjectFile {
    std::string name; // within the project's folder
    std::string data;
};

// Every file of the project named `name` (".hhp" appended), the pages first,
// the project itself last; its .chm is `name` with ".chm". The window's
// title is the source's title and the first topic is the default one.
std::vector<ProjectFile> WriteChmProject(const Source &source, const std::string &name);

} // namespace help
