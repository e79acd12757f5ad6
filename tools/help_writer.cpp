#include "help_writer.h"

#include <algorithm>
#include <map>
#include <stdexcept>

namespace help {

namespace {

// ---- Bytes ------------------------------------------------------------------

// A growing little-endian byte string.
struct Bytes {
    std::vector<uint8_t> b;

    size_t size() const { return b.size(); }
    void u8(unsigned v) { b.push_back(static_cast<uint8_t>(v)); }
    void u16(unsigned v)
    {
        u8(v & 0xFF);
        u8((v >> 8) & 0xFF);
    }
    void u32(uint32_t v)
    {
        u16(v & 0xFFFF);
        u16(v >> 16);
    }
    void text(const std::string &s) { b.insert(b.end(), s.begin(), s.end()); }
    void strz(const std::string &s)
    {
        text(s);
        u8(0);
    }
    void append(const Bytes &o) { b.insert(b.end(), o.b.begin(), o.b.end()); }
    void zeros(size_t n) { b.insert(b.end(), n, 0); }
    void put32(size_t at, uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
    }
};

const uint32_t kNone = 0xFFFFFFFFu;

// The variable-length numbers of paragraph records: the low bit of the
// first byte (or word) says whether the long form follows.
void CompressedUShort(Bytes &out, unsigned v)
{
    if (v < 0x80)
        out.u8(v * 2);
    else if (v < 0x8000)
        out.u16(v * 2 + 1);
    else
        throw std::runtime_error("paragraph too long");
}

void CompressedShort(Bytes &out, int v)
{
    if (v >= -64 && v < 64)
        out.u8(static_cast<unsigned>((v + 64) * 2));
    else if (v >= -16384 && v < 16384)
        out.u16(static_cast<unsigned>((v + 16384) * 2 + 1));
    else
        throw std::runtime_error("paragraph measure out of range");
}

void CompressedLong(Bytes &out, long v)
{
    if (v >= -16384 && v < 16384)
        out.u16(static_cast<unsigned>((v + 16384) * 2));
    else
        out.u32(static_cast<uint32_t>((v + 0x40000000L) * 2 + 1));
}

// ---- Fonts ------------------------------------------------------------------

enum FontIndex { kBody, kTitle, kHeading, kBold, kCode };

struct FontSpec {
    unsigned attributes; // 1 bold
    unsigned halfPoints;
    unsigned family;     // 1 modern (fixed pitch), 3 swiss
    unsigned face;       // index into kFaces
    uint8_t red, green, blue;
};

const char *const kFaces[] = {"Arial", "Courier New"};
const unsigned kFaceLength = 20; // bytes per face name, as 3.1 files keep them

const FontSpec kFonts[] = {
    {0, 20, 3, 0, 0, 0, 0},    // kBody: 10 pt
    {1, 28, 3, 0, 0, 0, 128},  // kTitle: 14 pt bold, navy
    {1, 22, 3, 0, 0, 0, 0},    // kHeading: 11 pt bold
    {1, 20, 3, 0, 0, 0, 0},    // kBold
    {0, 20, 1, 1, 0, 0, 0},    // kCode: 10 pt fixed pitch
};

Bytes FontFile()
{
    const unsigned faces = sizeof kFaces / sizeof kFaces[0];
    const unsigned fonts = sizeof kFonts / sizeof kFonts[0];
    Bytes f;
    f.u16(faces);
    f.u16(fonts);
    f.u16(8);                          // face names right after this header
    f.u16(8 + faces * kFaceLength);    // then the descriptors
    for (const char *face : kFaces) {
        std::string name(face);
        name.resize(kFaceLength, '\0');
        f.text(name);
    }
    for (const FontSpec &s : kFonts) {
        f.u8(s.attributes);
        f.u8(s.halfPoints);
        f.u8(s.family);
        f.u16(s.face);
        f.u8(s.red);
        f.u8(s.green);
        f.u8(s.blue);
        f.u8(255); // background, unused: white
        f.u8(255);
        f.u8(255);
    }
    return f;
}

// ---- Paragraph records ------------------------------------------------------

// Paragraph measures in half-points.
struct Layout {
    int spaceAbove = 0;
    int spaceBelow = 0;
    int leftIndent = 0;
    int firstIndent = 0;
    int tabStop = 0; // 0: none
};

// One displayable-text record (type 0x20): the text as NUL-separated strings
// in LinkData2, and in LinkData1 the paragraph layout followed by one
// formatting command after each string, 0xFF last.
class Paragraph {
public:
    explicit Paragraph(const Layout &l) : layout(l) {}

    void Text(const std::string &s, int font)
    {
        if (s.empty())
            return;
        SetFont(font);
        current += s;
    }
    void SetFont(int font)
    {
        if (font == currentFont)
            return;
        Command(0x80);
        commands.u16(static_cast<unsigned>(font));
        currentFont = font;
    }
    void LineBreak() { Command(0x81); }
    void Tab() { Command(0x83); }
    void JumpStart(uint32_t hash)
    {
        Command(0xE3); // jump to a topic of this file, drawn as a link
        commands.u32(hash);
    }
    void JumpEnd() { Command(0x89); }

    // LinkData1 and LinkData2 of the finished record.
    void Finish(Bytes &data1, Bytes &data2, uint32_t &textLength)
    {
        Command(0x82); // end of paragraph
        Command(0xFF); // end of formatting
        textLength = static_cast<uint32_t>(strings.size());
        CompressedLong(data1, static_cast<long>(strings.size()));
        CompressedUShort(data1, static_cast<unsigned>(strings.size()));
        data1.u8(0);    // unknown, as the help compilers write it
        data1.u8(0x80); // biased zero
        data1.u16(0);   // paragraph id
        unsigned bits = 0;
        if (layout.spaceAbove)
            bits |= 0x0002;
        if (layout.spaceBelow)
            bits |= 0x0004;
        if (layout.leftIndent)
            bits |= 0x0010;
        if (layout.firstIndent)
            bits |= 0x0040;
        if (layout.tabStop)
            bits |= 0x0200;
        data1.u16(bits);
        if (layout.spaceAbove)
            CompressedShort(data1, layout.spaceAbove);
        if (layout.spaceBelow)
            CompressedShort(data1, layout.spaceBelow);
        if (layout.leftIndent)
            CompressedShort(data1, layout.leftIndent);
        if (layout.firstIndent)
            CompressedShort(data1, layout.firstIndent);
        if (layout.tabStop) {
            CompressedShort(data1, 1);
            CompressedUShort(data1, static_cast<unsigned>(layout.tabStop)); // left-aligned
        }
        data1.append(commands);
        data2.text(strings);
    }

private:
    void Command(unsigned code)
    {
        strings += current;
        strings += '\0';
        current.clear();
        commands.u8(code);
    }

    Layout layout;
    Bytes commands;
    std::string strings;
    std::string current;
    int currentFont = -1;
};

// Half-point measures of the kinds of paragraph.
const int kParagraphGap = 12;
const int kBulletIndent = 30;
const int kTermIndent = 260;
const int kFixedIndent = 24;

void AddSpans(Paragraph &p, const std::vector<Span> &spans, int font)
{
    for (const Span &s : spans) {
        switch (s.kind) {
        case Span::Text:
            p.Text(s.text, font);
            break;
        case Span::Bold:
            p.Text(s.text, kBold);
            break;
        case Span::Code:
            p.Text(s.text, kCode);
            break;
        case Span::Link:
            p.SetFont(font);
            p.JumpStart(ContextHash(s.target));
            p.Text(s.text, font);
            p.JumpEnd();
            break;
        }
    }
}

// ---- Topic links --------------------------------------------------------------

struct Link {
    uint8_t type = 0x20; // 0x02 topic header, 0x20 text
    Bytes data1;         // LinkData1 without the 21-byte link header
    Bytes data2;
    uint32_t textLength = 0; // 0x20: counts towards topic offsets
    size_t topic = 0;
    size_t stream = 0;   // offset in the decompressed topic stream
    uint32_t pos = 0;    // TOPICPOS

    size_t Size() const { return 21 + data1.size() + data2.size(); }
};

const size_t kTopicBlock = 4096;
const uint32_t kDecompressSize = 0x4000;
// Topic text a 4 KB block holds when every byte is an LZ77 literal: groups
// of one flag byte and eight literals, then a last short group.
const size_t kBlockText = (kTopicBlock - 12) / 9 * 8 + ((kTopicBlock - 12) % 9) - 1;
static_assert((kTopicBlock - 12) % 9 > 1, "the last group of a block holds a literal");

Link TextLink(Paragraph &p, size_t topic)
{
    Link link;
    link.topic = topic;
    p.Finish(link.data1, link.data2, link.textLength);
    return link;
}

std::vector<Link> TopicLinks(const Source &source)
{
    std::vector<Link> links;
    for (size_t t = 0; t < source.topics.size(); ++t) {
        const Topic &topic = source.topics[t];
        Link header;
        header.type = 0x02;
        header.topic = t;
        header.data1.zeros(28); // filled in once every link has its place
        header.data2.strz(topic.title);
        links.push_back(header);

        Layout titleLayout;
        titleLayout.spaceBelow = 6;
        Paragraph title(titleLayout);
        title.Text(topic.title, kTitle);
        links.push_back(TextLink(title, t));

        for (const Block &block : topic.blocks) {
            Layout l;
            l.spaceAbove = kParagraphGap;
            switch (block.kind) {
            case Block::Paragraph: {
                Paragraph p(l);
                AddSpans(p, block.spans, kBody);
                links.push_back(TextLink(p, t));
                break;
            }
            case Block::Heading: {
                l.spaceAbove = 2 * kParagraphGap;
                Paragraph p(l);
                AddSpans(p, block.spans, kHeading);
                links.push_back(TextLink(p, t));
                break;
            }
            case Block::Bullet: {
                l.spaceAbove = kParagraphGap / 2;
                l.leftIndent = kBulletIndent;
                l.firstIndent = -kBulletIndent;
                l.tabStop = kBulletIndent;
                Paragraph p(l);
                p.Text("\x95", kBody); // the bullet of code page 1252
                p.Tab();
                AddSpans(p, block.spans, kBody);
                links.push_back(TextLink(p, t));
                break;
            }
            case Block::Definition: {
                l.spaceAbove = kParagraphGap / 2;
                l.leftIndent = kTermIndent;
                l.firstIndent = -kTermIndent;
                l.tabStop = kTermIndent;
                Paragraph p(l);
                AddSpans(p, block.term, kBold);
                p.SetFont(kBody);
                p.Tab();
                AddSpans(p, block.spans, kBody);
                links.push_back(TextLink(p, t));
                break;
            }
            case Block::Fixed: {
                l.leftIndent = kFixedIndent;
                Paragraph p(l);
                p.SetFont(kCode);
                for (size_t i = 0; i < block.lines.size(); ++i) {
                    if (i > 0)
                        p.LineBreak();
                    p.Text(block.lines[i], kCode);
                }
                links.push_back(TextLink(p, t));
                break;
            }
            }
        }
    }
    return links;
}

uint32_t TopicPos(size_t stream)
{
    return static_cast<uint32_t>(12 + (stream / kBlockText) * kDecompressSize + stream % kBlockText);
}

// Places every link in the topic stream, fills in the link headers and the
// topic headers, and returns each topic's TOPICOFFSET.
std::vector<uint32_t> PlaceLinks(std::vector<Link> &links, size_t topics)
{
    size_t stream = 0;
    for (Link &link : links) {
        link.stream = stream;
        link.pos = TopicPos(stream);
        stream += link.Size();
    }

    // A topic offset counts, from the start of the block in which the topic
    // header begins, the text of the records that begin there before it.
    std::vector<uint32_t> offsets(topics, 0);
    std::vector<size_t> headerIndex(topics, 0);
    size_t block = 0;
    uint32_t count = 0;
    for (size_t i = 0; i < links.size(); ++i) {
        const size_t b = links[i].stream / kBlockText;
        if (b != block) {
            block = b;
            count = 0;
        }
        if (links[i].type == 0x02) {
            if (b >= 0x20000 || count >= 0x8000)
                throw std::runtime_error("help text too long for topic offsets");
            offsets[links[i].topic] = static_cast<uint32_t>(b * 0x8000 + count);
            headerIndex[links[i].topic] = i;
        } else {
            count += links[i].textLength;
        }
    }

    for (size_t t = 0; t < topics; ++t) {
        const size_t h = headerIndex[t];
        size_t end = h + 1; // the next topic's header, or the end
        while (end < links.size() && links[end].type != 0x02)
            ++end;
        uint32_t topicSize = 0;
        for (size_t i = h; i < end; ++i)
            topicSize += static_cast<uint32_t>(links[i].Size());
        Bytes &d = links[h].data1;
        d.put32(0, topicSize);
        d.put32(4, t > 0 ? offsets[t - 1] : kNone);          // browse back
        d.put32(8, t + 1 < topics ? offsets[t + 1] : kNone); // browse forward
        d.put32(12, static_cast<uint32_t>(t));
        d.put32(16, kNone);                                   // no non-scrolling region
        d.put32(20, h + 1 < end ? links[h + 1].pos : kNone);  // scrolling region
        d.put32(24, end < links.size() ? links[end].pos : kNone);
    }
    return offsets;
}

Bytes TopicFile(std::vector<Link> &links)
{
    Bytes stream;
    for (size_t i = 0; i < links.size(); ++i) {
        const Link &link = links[i];
        stream.u32(static_cast<uint32_t>(link.Size()));
        stream.u32(static_cast<uint32_t>(link.data2.size()));
        stream.u32(i > 0 ? links[i - 1].pos : kNone);
        stream.u32(i + 1 < links.size() ? links[i + 1].pos : kNone);
        stream.u32(static_cast<uint32_t>(21 + link.data1.size()));
        stream.u8(link.type);
        stream.append(link.data1);
        stream.append(link.data2);
    }

    Bytes file;
    const size_t blocks = (stream.size() + kBlockText - 1) / kBlockText;
    for (size_t b = 0; b < blocks; ++b) {
        const size_t begin = b * kBlockText;
        const size_t end = std::min(stream.size(), begin + kBlockText);
        uint32_t lastLink = kNone, firstLink = kNone, lastHeader = kNone;
        for (const Link &link : links) {
            if (link.stream < begin) {
                lastLink = link.pos;
                if (link.type == 0x02)
                    lastHeader = link.pos;
            } else if (link.stream < end && firstLink == kNone) {
                firstLink = link.pos;
            }
        }
        const size_t blockStart = file.size();
        file.u32(lastLink);
        file.u32(firstLink);
        file.u32(lastHeader);
        // LZ77 with literals only: a zero flag byte before every eight bytes.
        for (size_t at = begin; at < end; at += 8) {
            file.u8(0);
            for (size_t i = at; i < std::min(end, at + 8); ++i)
                file.u8(stream.b[i]);
        }
        file.zeros(blockStart + kTopicBlock - file.size());
    }
    return file;
}

// ---- B+ trees ---------------------------------------------------------------

struct TreeEntry {
    Bytes leaf; // the entry as a leaf page holds it
    Bytes key;  // the key as an index page holds it
};

// A B+ tree of one leaf level, and an index page above it when the entries
// need more than one leaf page. `entries` are in key order.
Bytes BTree(const std::vector<TreeEntry> &entries, unsigned pageSize, const char *structure,
            bool directory)
{
    std::vector<Bytes> pages;
    std::vector<const TreeEntry *> firsts;
    Bytes page;
    unsigned inPage = 0;
    auto close = [&] {
        pages.push_back(page);
        page = Bytes();
    };
    std::vector<unsigned> counts;
    for (const TreeEntry &e : entries) {
        if (8 + e.leaf.size() > pageSize)
            throw std::runtime_error("B+ tree entry larger than a page");
        if (inPage > 0 && 8 + page.size() + e.leaf.size() > pageSize) {
            close();
            counts.push_back(inPage);
            inPage = 0;
        }
        if (inPage == 0)
            firsts.push_back(&e);
        page.append(e.leaf);
        ++inPage;
    }
    close();
    counts.push_back(inPage);

    const size_t leaves = pages.size();
    Bytes body;
    for (size_t i = 0; i < leaves; ++i) {
        body.u16(static_cast<unsigned>(pageSize - 8 - pages[i].size()));
        body.u16(counts[i]);
        body.u16(i > 0 ? static_cast<unsigned>(i - 1) : 0xFFFF);
        body.u16(i + 1 < leaves ? static_cast<unsigned>(i + 1) : 0xFFFF);
        body.append(pages[i]);
        body.zeros(pageSize - 8 - pages[i].size());
    }
    if (leaves > 1) {
        // Each index entry names the first key of a leaf; the page before
        // the first entry is the first leaf.
        Bytes index;
        for (size_t i = 1; i < leaves; ++i) {
            index.append(firsts[i]->key);
            index.u16(static_cast<unsigned>(i));
        }
        if (6 + index.size() > pageSize)
            throw std::runtime_error("too many entries for a two-level B+ tree");
        body.u16(static_cast<unsigned>(pageSize - 6 - index.size()));
        body.u16(static_cast<unsigned>(leaves - 1));
        body.u16(0);
        body.append(index);
        body.zeros(pageSize - 6 - index.size());
    }

    Bytes tree;
    tree.u16(0x293B);
    tree.u16(directory ? 0x0402 : 0x0002);
    tree.u16(pageSize);
    std::string s(structure);
    s.resize(16, '\0');
    tree.text(s);
    tree.u16(0);                                         // must be zero
    tree.u16(static_cast<unsigned>(leaves - 1));         // page splits
    tree.u16(static_cast<unsigned>(leaves > 1 ? leaves : 0)); // root page
    tree.u16(0xFFFF);
    tree.u16(static_cast<unsigned>(leaves > 1 ? leaves + 1 : 1));
    tree.u16(leaves > 1 ? 2 : 1);
    tree.u32(static_cast<uint32_t>(entries.size()));
    tree.append(body);
    return tree;
}

Bytes ContextFile(const Source &source, const std::vector<uint32_t> &offsets)
{
    std::vector<std::pair<int32_t, uint32_t>> byHash;
    std::map<uint32_t, std::string> seen;
    for (size_t t = 0; t < source.topics.size(); ++t) {
        const uint32_t hash = ContextHash(source.topics[t].id);
        auto known = seen.emplace(hash, source.topics[t].id);
        if (!known.second)
            throw std::runtime_error("context ids \"" + known.first->second + "\" and \"" +
                                     source.topics[t].id + "\" have the same hash");
        byHash.emplace_back(static_cast<int32_t>(hash), offsets[t]);
    }
    // WinHelp compares the hashes as signed numbers.
    std::sort(byHash.begin(), byHash.end());
    std::vector<TreeEntry> entries;
    for (const auto &h : byHash) {
        TreeEntry e;
        e.leaf.u32(static_cast<uint32_t>(h.first));
        e.leaf.u32(h.second);
        e.key.u32(static_cast<uint32_t>(h.first));
        entries.push_back(e);
    }
    return BTree(entries, 2048, "L4", false);
}

Bytes TitleFile(const Source &source, const std::vector<uint32_t> &offsets)
{
    // Topic offsets grow with the source order, which is the key order.
    std::vector<TreeEntry> entries;
    for (size_t t = 0; t < source.topics.size(); ++t) {
        TreeEntry e;
        e.leaf.u32(offsets[t]);
        e.leaf.strz(source.topics[t].title);
        e.key.u32(offsets[t]);
        entries.push_back(e);
    }
    return BTree(entries, 2048, "Lz", false);
}

Bytes SystemFile(const Source &source, uint32_t contents)
{
    Bytes f;
    f.u16(0x036C);
    f.u16(21); // Windows 3.1 help file
    f.u16(1);
    f.u32(0);  // no build date: the same text gives the same file
    f.u16(4);  // LZ77-coded topic blocks of 4 KB
    auto record = [&](unsigned type, const Bytes &data) {
        f.u16(type);
        f.u16(static_cast<unsigned>(data.size()));
        f.append(data);
    };
    Bytes title;
    title.strz(source.title);
    record(1, title);
    if (!source.copyright.empty()) {
        Bytes copyright;
        copyright.strz(source.copyright);
        record(2, copyright);
    }
    Bytes start;
    start.u32(contents);
    record(3, start);
    // The main window, by name, so that the viewer's caption is the title.
    Bytes window;
    window.u16(0x0002 | 0x0004); // name and caption given
    auto fixed = [&](const std::string &text, size_t size) {
        std::string field = text.substr(0, size - 1);
        field.resize(size, '\0');
        window.text(field);
    };
    fixed("", 10);   // type
    fixed("main", 9);
    fixed(source.title, 51);
    window.zeros(5 * 2); // place, size and state left to the viewer
    window.u32(0xFFFFFF); // white behind the text
    window.u32(0xFFFFFF);
    record(6, window);
    // The << and >> buttons page through the topics in source order.
    Bytes browse;
    browse.strz("BrowseButtons()");
    record(4, browse);
    return f;
}

} // namespace

uint32_t ContextHash(const std::string &id)
{
    uint32_t hash = 0;
    for (char c : id) {
        unsigned v = 0;
        if (c >= 'A' && c <= 'Z')
            v = static_cast<unsigned>(c - 'A') + 17;
        else if (c >= 'a' && c <= 'z')
            v = static_cast<unsigned>(c - 'a') + 17;
        else if (c >= '1' && c <= '9')
            v = static_cast<unsigned>(c - '0');
        else if (c == '0')
            v = 10;
        else if (c == '.')
            v = 12;
        else if (c == '_')
            v = 13;
        hash = hash * 43 + v;
    }
    return hash;
}

std::vector<uint8_t> WriteHelpFile(const Source &source)
{
    if (source.topics.empty())
        throw std::runtime_error("no topics: a help file needs its contents topic");
    std::vector<Link> links = TopicLinks(source);
    const std::vector<uint32_t> offsets = PlaceLinks(links, source.topics.size());

    // The internal files in the directory's (byte-wise) name order.
    const std::vector<std::pair<std::string, Bytes>> files = {
        {"|CONTEXT", ContextFile(source, offsets)},
        {"|FONT", FontFile()},
        {"|SYSTEM", SystemFile(source, offsets[0])},
        {"|TOPIC", TopicFile(links)},
        {"|TTLBTREE", TitleFile(source, offsets)},
    };

    Bytes out;
    out.zeros(16);
    auto internal = [&](const Bytes &content) {
        const size_t at = out.size();
        out.u32(static_cast<uint32_t>(content.size() + 9)); // reserved, header included
        out.u32(static_cast<uint32_t>(content.size()));
        out.u8(4);
        out.append(content);
        return static_cast<uint32_t>(at);
    };
    std::vector<TreeEntry> directory;
    for (const auto &file : files) {
        TreeEntry e;
        e.leaf.strz(file.first);
        e.leaf.u32(internal(file.second));
        e.key.strz(file.first);
        directory.push_back(e);
    }
    const uint32_t directoryStart = internal(BTree(directory, 1024, "z4", true));

    out.put32(0, 0x00035F3F);
    out.put32(4, directoryStart);
    out.put32(8, kNone); // no free blocks
    out.put32(12, static_cast<uint32_t>(out.size()));
    return out.b;
}

std::string WriteContentsFile(const Source &source, const std::string &hlpName)
{
    std::string cnt = ":Base " + hlpName + "\r\n:Title " + source.title + "\r\n";
    for (const Topic &t : source.topics)
        cnt += "1 " + t.title + "=" + t.id + "\r\n";
    return cnt;
}

} // namespace help
