#include "chm_writer.h"

#include <algorithm>
#include <cctype>

namespace help {

namespace {

// Text for HTML, in an element or in a double-quoted attribute.
std::string Escape(const std::string &text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string PlainText(const std::vector<Span> &spans)
{
    std::string out;
    for (const Span &s : spans)
        out += s.text;
    return out;
}

// A heading's anchor within its page: its place among the page's headings.
std::string HeadingAnchor(size_t number)
{
    return "h" + std::to_string(number);
}

std::string Inline(const std::vector<Span> &spans)
{
    std::string out;
    for (const Span &s : spans) {
        switch (s.kind) {
        case Span::Text: out += Escape(s.text); break;
        case Span::Bold: out += "<b>" + Escape(s.text) + "</b>"; break;
        case Span::Code: out += "<code>" + Escape(s.text) + "</code>"; break;
        case Span::Link:
            out += "<a href=\"" + Escape(PageName(s.target)) + "\">" + Escape(s.text) + "</a>";
            break;
        }
    }
    return out;
}

std::string Page(const Source &source, const Topic &topic, bool first, const std::string &css)
{
    std::string out = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n"
                      "<html>\n<head>\n"
                      "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=us-ascii\">\n"
                      "<title>" +
                      Escape(topic.title) +
                      "</title>\n"
                      "<link rel=\"stylesheet\" type=\"text/css\" href=\"" +
                      Escape(css) + "\">\n</head>\n<body>\n<h1>" + Escape(topic.title) + "</h1>\n";
    // Items and definitions that follow one another make one list.
    Block::Kind open = Block::Paragraph;
    auto close = [&] {
        if (open == Block::Bullet)
            out += "</ul>\n";
        else if (open == Block::Definition)
            out += "</dl>\n";
        open = Block::Paragraph;
    };
    size_t headings = 0;
    for (const Block &b : topic.blocks) {
        if (b.kind != open)
            close();
        switch (b.kind) {
        case Block::Paragraph: out += "<p>" + Inline(b.spans) + "</p>\n"; break;
        case Block::Heading:
            out += "<h2><a name=\"" + HeadingAnchor(++headings) + "\">" + Inline(b.spans) +
                   "</a></h2>\n";
            break;
        case Block::Bullet:
            if (open != Block::Bullet)
                out += "<ul>\n";
            open = Block::Bullet;
            out += "<li>" + Inline(b.spans) + "</li>\n";
            break;
        case Block::Definition:
            if (open != Block::Definition)
                out += "<dl>\n";
            open = Block::Definition;
            out += "<dt>" + Inline(b.term) + "</dt>\n<dd>" + Inline(b.spans) + "</dd>\n";
            break;
        case Block::Fixed:
            out += "<pre>";
            for (const std::string &line : b.lines)
                out += Escape(line) + "\n";
            out += "</pre>\n";
            break;
        }
    }
    close();
    if (first && !source.copyright.empty())
        out += "<p class=\"copyright\">" + Escape(source.copyright) + "</p>\n";
    out += "</body>\n</html>\n";
    return out;
}

std::string SitemapEntry(const std::string &indent, const std::string &name,
                         const std::string &local)
{
    return indent + "<li><object type=\"text/sitemap\">\n" + indent +
           "  <param name=\"Name\" value=\"" + Escape(name) + "\">\n" + indent +
           "  <param name=\"Local\" value=\"" + Escape(local) + "\">\n" + indent + "  </object>\n";
}

const char kSitemapHead[] = "<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML//EN\">\n"
                            "<html>\n<head>\n</head>\n<body>\n";

std::string Contents(const Source &source)
{
    std::string out = kSitemapHead;
    out += "<ul>\n";
    for (const Topic &t : source.topics)
        out += SitemapEntry("  ", t.title, PageName(t.id));
    out += "</ul>\n</body>\n</html>\n";
    return out;
}

std::string Index(const std::vector<IndexEntry> &entries)
{
    std::string out = kSitemapHead;
    out += "<ul>\n";
    for (const IndexEntry &e : entries) {
        out += SitemapEntry("  ", e.keyword, e.local);
        if (e.below.empty())
            continue;
        out += "  <ul>\n";
        for (const IndexEntry &b : e.below)
            out += SitemapEntry("    ", b.keyword, b.local);
        out += "  </ul>\n";
    }
    out += "</ul>\n</body>\n</html>\n";
    return out;
}

std::string Lower(std::string s)
{
    for (char &c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The project file's values end at the line, and the window's title stands
// in double quotes that nothing escapes.
std::string OneLine(std::string s, bool quoted)
{
    for (char &c : s)
        if (c == '\n' || (quoted && c == '"'))
            c = ' ';
    return s;
}

} // namespace

std::string PageName(const std::string &contextId)
{
    return contextId + ".htm";
}

std::vector<IndexEntry> IndexKeywords(const Source &source)
{
    std::vector<IndexEntry> entries;
    for (const Topic &t : source.topics) {
        IndexEntry entry{t.title, PageName(t.id), {}};
        size_t headings = 0;
        for (const Block &b : t.blocks)
            if (b.kind == Block::Heading)
                entry.below.push_back(
                    {PlainText(b.spans), PageName(t.id) + "#" + HeadingAnchor(++headings), {}});
        entries.push_back(entry);
    }
    std::stable_sort(entries.begin(), entries.end(), [](const IndexEntry &a, const IndexEntry &b) {
        return Lower(a.keyword) < Lower(b.keyword);
    });
    return entries;
}

std::vector<ProjectFile> WriteChmProject(const Source &source, const std::string &name)
{
    const std::string css = name + ".css";
    const std::string hhc = name + ".hhc";
    const std::string hhk = name + ".hhk";
    std::vector<ProjectFile> files;
    for (size_t i = 0; i < source.topics.size(); ++i) {
        const Topic &t = source.topics[i];
        files.push_back({PageName(t.id), Page(source, t, i == 0, css)});
    }
    files.push_back({css, "body { font-family: Arial, sans-serif; font-size: 10pt; }\n"
                          "h1 { font-size: 14pt; }\n"
                          "h2 { font-size: 11pt; margin-top: 1.2em; }\n"
                          "pre, code { font-family: \"Courier New\", monospace; }\n"
                          "dt { font-weight: bold; margin-top: 0.4em; }\n"
                          ".copyright { margin-top: 2em; font-size: 8pt; }\n"});
    // The project names the pages and stylesheet; the contents and index
    // it names as such.
    std::string listed;
    for (const ProjectFile &f : files)
        listed += f.name + "\n";
    files.push_back({hhc, Contents(source)});
    files.push_back({hhk, Index(IndexKeywords(source))});

    const std::string home = source.topics.empty() ? std::string() : PageName(source.topics[0].id);
    std::string hhp = "[OPTIONS]\n"
                      "Compatibility=1.1 or later\n"
                      "Compiled file=" +
                      name + ".chm\nContents file=" + hhc + "\nIndex file=" + hhk +
                      "\nDefault topic=" + home +
                      "\nDefault Window=main\n"
                      "Display compile progress=No\n"
                      "Full-text search=Yes\n"
                      "Language=0x409 English (United States)\n"
                      "Title=" +
                      OneLine(source.title, false) + "\n\n[WINDOWS]\n";
    // A window with the three panes, the Search tab among them, and the
    // usual buttons (hide/show, back, forward, home, print, options). The
    // navigation pane is 200 pixels wide: with no width named, Wine's
    // viewer gives it none and the tabs stay out of sight.
    hhp += "main=\"" + OneLine(source.title, true) + "\",\"" + hhc + "\",\"" + hhk + "\",\"" +
           home + "\",\"" + home + "\",,,,,0x2520,200,0x387e,,,,,,,,0\n\n[FILES]\n" + listed;
    files.push_back({name + ".hhp", hhp});
    return files;
}

} // namespace help
