// A reader of Windows help files (.hlp) for the tests of the help generator:
// it knows the format from its published description, not from the writer,
// and checks every cross-reference it meets on the way, so a file it accepts
// is one a help viewer can walk the same way.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct HlpTopic {
    std::string title;
    uint32_t offset = 0;        // TOPICOFFSET of its header
    uint32_t browseBack = 0;    // TOPICOFFSET or 0xFFFFFFFF
    uint32_t browseForward = 0;
    uint32_t number = 0;
    std::string text;           // paragraphs and line breaks end in '\n', tabs are '\t'
    std::vector<uint32_t> jumps;            // context hashes of its links
    std::vector<std::string> jumpTexts;     // the text each link shows
    std::vector<unsigned> fonts;            // font numbers, as selected
};

struct HlpFile {
    std::map<std::string, uint32_t> directory; // internal file name -> its offset
    unsigned minor = 0;
    unsigned flags = 0;
    std::string title;
    std::string copyright;
    uint32_t contents = 0;
    std::vector<std::string> macros;
    std::map<std::string, std::string> windows; // window name -> caption
    std::vector<std::string> fontFaces; // face name of each font descriptor
    std::vector<unsigned> fontHalfPoints;
    std::vector<HlpTopic> topics;
    std::map<uint32_t, uint32_t> context;   // context hash -> TOPICOFFSET
    std::map<uint32_t, std::string> titles; // TOPICOFFSET -> title (|TTLBTREE)
    unsigned topicBlocks = 0;
    unsigned treeLevels = 0; // the most levels any B+ tree has
};

// Reads the whole file. Throws std::runtime_error naming the first thing
// that is malformed or does not match: sizes, B+ tree order and index pages,
// link chains, topic block headers, topic offsets, titles, context hashes.
HlpFile ReadHlp(const std::vector<uint8_t> &bytes);

// The hash WinHelp computes from a context id (for ids of letters, digits,
// '_' and '.').
uint32_t HlpContextHash(const std::string &id);
