#include "help_source.h"

#include <set>
#include <utility>

namespace help {

SourceError::SourceError(int line_, const std::string &what)
    : std::runtime_error(what), line(line_)
{
}

bool IsContextId(const std::string &id)
{
    if (id.empty())
        return false;
    for (char c : id) {
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                        c == '_' || c == '.';
        if (!ok)
            return false;
    }
    return true;
}

namespace {

std::string TrimRight(const std::string &s)
{
    size_t end = s.size();
    while (end > 0 && (s[end - 1] == ' ' || s[end - 1] == '\t' || s[end - 1] == '\r'))
        --end;
    return s.substr(0, end);
}

std::string TrimLeft(const std::string &s)
{
    size_t begin = 0;
    while (begin < s.size() && (s[begin] == ' ' || s[begin] == '\t'))
        ++begin;
    return s.substr(begin);
}

bool StartsWith(const std::string &s, const char *prefix)
{
    return s.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

void AddSpan(std::vector<Span> &spans, Span::Kind kind, const std::string &text,
             const std::string &target = std::string())
{
    if (text.empty())
        return;
    if (kind == Span::Text && !spans.empty() && spans.back().kind == Span::Text) {
        spans.back().text += text;
        return;
    }
    Span span;
    span.kind = kind;
    span.text = text;
    span.target = target;
    spans.push_back(span);
}

// Reads literal text up to `close` (not included), honouring backslashes;
// `at` ends on the closing marker. Throws when the marker never comes.
std::string ReadUntil(const std::string &text, size_t &at, const std::string &close, int line,
                      const char *what, bool escapes = true)
{
    std::string out;
    while (at < text.size()) {
        if (escapes && text[at] == '\\' && at + 1 < text.size()) {
            out += text[at + 1];
            at += 2;
            continue;
        }
        if (text.compare(at, close.size(), close) == 0)
            return out;
        out += text[at++];
    }
    throw SourceError(line, std::string("unclosed ") + what);
}

// Where the "[text](id)" that opens at `at` ends, or npos when the bracket
// is ordinary text, as in "[user@]host".
size_t LinkEnd(const std::string &text, size_t at)
{
    size_t i = at + 1;
    while (i < text.size() && text[i] != ']') {
        if (text[i] == '\\')
            ++i;
        ++i;
    }
    if (i + 1 >= text.size() || text[i + 1] != '(')
        return std::string::npos;
    const size_t close = text.find(')', i + 2);
    return close == std::string::npos ? std::string::npos : close;
}

std::vector<Span> ParseInline(const std::string &text, int line)
{
    std::vector<Span> spans;
    std::string plain;
    auto flush = [&] {
        AddSpan(spans, Span::Text, plain);
        plain.clear();
    };
    size_t at = 0;
    while (at < text.size()) {
        const char c = text[at];
        if (c == '\\') {
            if (at + 1 >= text.size())
                throw SourceError(line, "backslash at the end of the text");
            plain += text[at + 1];
            at += 2;
        } else if (text.compare(at, 2, "**") == 0) {
            flush();
            at += 2;
            const std::string bold = ReadUntil(text, at, "**", line, "** (bold)");
            if (bold.empty())
                throw SourceError(line, "empty ** ** (bold)");
            AddSpan(spans, Span::Bold, bold);
            at += 2;
        } else if (c == '`') {
            flush();
            ++at;
            // Code is taken as written, so that Windows paths keep their
            // backslashes.
            const std::string code = ReadUntil(text, at, "`", line, "` (code)", false);
            if (code.empty())
                throw SourceError(line, "empty `` (code)");
            AddSpan(spans, Span::Code, code);
            ++at;
        } else if (c == '[' && LinkEnd(text, at) != std::string::npos) {
            const size_t end = LinkEnd(text, at);
            flush();
            ++at;
            const std::string label = ReadUntil(text, at, "](", line, "link");
            const std::string target = text.substr(at + 2, end - (at + 2));
            if (label.empty())
                throw SourceError(line, "a link needs text: [text](" + target + ")");
            if (!IsContextId(target))
                throw SourceError(line, "bad link target \"" + target + "\"");
            AddSpan(spans, Span::Link, label, target);
            at = end + 1;
        } else {
            plain += c;
            ++at;
        }
    }
    flush();
    return spans;
}

class Parser {
public:
    Source Parse(const std::string &text)
    {
        int number = 0;
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos)
                end = text.size();
            ++number;
            Line(TrimRight(text.substr(start, end - start)), number);
            start = end + 1;
        }
        Flush();
        if (source.title.empty())
            throw SourceError(1, "no @title");
        if (source.topics.empty())
            throw SourceError(number > 0 ? number : 1, "no @topic");
        CheckLinks();
        return source;
    }

private:
    struct Pending {
        bool open = false;
        Block::Kind kind = Block::Paragraph;
        std::string term;
        std::string text;
        std::vector<std::string> lines;
        int line = 0;
    };

    void Line(const std::string &line, int number)
    {
        for (char ch : line) {
            const auto c = static_cast<unsigned char>(ch);
            if (c >= 0x80)
                throw SourceError(number, "only plain ASCII text is allowed");
            if (c < 0x20 && c != '\t')
                throw SourceError(number, "control character in the text");
        }
        if (StartsWith(line, "#"))
            return;
        if (line.empty()) {
            Flush();
            return;
        }
        if (line[0] == '@') {
            Flush();
            Directive(line, number);
            return;
        }
        if (line == "|" || StartsWith(line, "| ")) {
            if (line.find('\t') != std::string::npos)
                throw SourceError(number, "use spaces, not tabs, in fixed lines");
            if (!(pending.open && pending.kind == Block::Fixed)) {
                Flush();
                Open(Block::Fixed, number);
            }
            pending.lines.push_back(line.size() > 2 ? line.substr(2) : std::string());
            return;
        }
        std::string text = TrimLeft(line);
        for (char &c : text)
            if (c == '\t')
                c = ' ';
        if (StartsWith(text, "* ")) {
            Flush();
            Open(Block::Bullet, number);
            pending.text = TrimLeft(text.substr(2));
            return;
        }
        const size_t mark = text.find(" :: ");
        if (mark != std::string::npos) {
            Flush();
            Open(Block::Definition, number);
            pending.term = TrimRight(text.substr(0, mark));
            pending.text = TrimLeft(text.substr(mark + 4));
            return;
        }
        if (pending.open && pending.kind != Block::Fixed) {
            pending.text += ' ';
            pending.text += text;
            return;
        }
        Flush();
        Open(Block::Paragraph, number);
        pending.text = text;
    }

    void Directive(const std::string &line, int number)
    {
        const size_t space = line.find(' ');
        const std::string word = line.substr(0, space);
        const std::string rest = space == std::string::npos ? std::string() : TrimLeft(line.substr(space));
        if (word == "@title" || word == "@copyright") {
            if (!source.topics.empty())
                throw SourceError(number, word + " must come before the first @topic");
            if (rest.empty())
                throw SourceError(number, word + " needs its text");
            (word == "@title" ? source.title : source.copyright) = rest;
        } else if (word == "@topic") {
            const size_t gap = rest.find(' ');
            Topic topic;
            topic.id = rest.substr(0, gap);
            topic.title = gap == std::string::npos ? std::string() : TrimLeft(rest.substr(gap));
            topic.line = number;
            if (!IsContextId(topic.id))
                throw SourceError(number, "bad context id \"" + topic.id +
                                              "\" (letters, digits, '_' and '.' only)");
            if (topic.title.empty())
                throw SourceError(number, "@topic " + topic.id + " needs a title");
            if (!ids.insert(topic.id).second)
                throw SourceError(number, "context id \"" + topic.id + "\" used twice");
            source.topics.push_back(topic);
        } else if (word == "@heading") {
            if (rest.empty())
                throw SourceError(number, "@heading needs its text");
            Open(Block::Heading, number);
            pending.text = rest;
            Flush();
        } else {
            throw SourceError(number, "unknown directive " + word);
        }
    }

    void Open(Block::Kind kind, int number)
    {
        if (source.topics.empty())
            throw SourceError(number, "text before the first @topic");
        pending = Pending();
        pending.open = true;
        pending.kind = kind;
        pending.line = number;
    }

    void Flush()
    {
        if (!pending.open)
            return;
        Block block;
        block.kind = pending.kind;
        if (block.kind == Block::Fixed) {
            block.lines = pending.lines;
        } else {
            block.spans = ParseInline(pending.text, pending.line);
            if (block.kind == Block::Definition)
                block.term = ParseInline(pending.term, pending.line);
            if (block.spans.empty() && block.kind != Block::Definition)
                throw SourceError(pending.line, "empty item");
            for (const std::vector<Span> *spans : {&block.term, &block.spans})
                for (const Span &s : *spans)
                    if (s.kind == Span::Link)
                        links.emplace_back(s.target, pending.line);
        }
        source.topics.back().blocks.push_back(block);
        pending = Pending();
    }

    void CheckLinks() const
    {
        for (const auto &link : links)
            if (ids.count(link.first) == 0)
                throw SourceError(link.second, "link to unknown topic \"" + link.first + "\"");
    }

    Source source;
    Pending pending;
    std::set<std::string> ids;
    std::vector<std::pair<std::string, int>> links;
};

} // namespace

Source ParseSource(const std::string &text)
{
    return Parser().Parse(text);
}

} // namespace help
