// The help text as written in help/pellwick.txt: topics of paragraphs, lists
// and fixed-width lines, with bold, code and links to other topics inline.
// Portable; read by tools/mkhelp, which turns it into the WinHelp and HTML
// Help files.
//
// The markup, line by line:
//   # comment                     ignored (only at the start of a line)
//   @title Pellwick Help          the help file's title, before the first topic
//   @copyright text               optional notice, before the first topic
//   @topic context_id Title       starts a topic; the first is the contents
//   @heading Text                 a subheading within a topic
//   * item                        a bulleted list item
//   term :: description           a definition: term, then its description
//   | fixed text                  one line in a fixed-width font, kept as is
//   (blank line)                  ends a paragraph, item or definition
// Any other line is text: consecutive lines join into one paragraph, and a
// line that follows an item or definition continues it.
// Inline: **bold**, `code`, [text](context_id) links to a topic; outside
// code, a backslash takes the next character literally.
// Context ids are letters, digits, '_' and '.'; text is plain ASCII.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace help {

struct Span {
    enum Kind { Text, Bold, Code, Link };
    Kind kind = Text;
    std::string text;
    std::string target; // Link: the context id of the topic it jumps to
};

struct Block {
    enum Kind { Paragraph, Heading, Bullet, Definition, Fixed };
    Kind kind = Paragraph;
    std::vector<Span> term;           // Definition: the term
    std::vector<Span> spans;          // the text (Fixed: unused)
    std::vector<std::string> lines;   // Fixed: the lines as written
};

struct Topic {
    std::string id;
    std::string title;
    std::vector<Block> blocks;
    int line = 0; // where "@topic" stands, for messages
};

struct Source {
    std::string title;
    std::string copyright;
    std::vector<Topic> topics;
};

// A mistake in the help text (what()) and the line it was found on.
struct SourceError : std::runtime_error {
    SourceError(int line, const std::string &what);
    int line;
};

// Reads the markup above. Throws SourceError for anything it cannot take:
// text outside a topic, a missing title, a duplicate or malformed context
// id, a link to a topic that does not exist, unbalanced ** or `, non-ASCII.
Source ParseSource(const std::string &text);

// Whether a context id uses only the characters WinHelp accepts in one.
bool IsContextId(const std::string &id);

} // namespace help
