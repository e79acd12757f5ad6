#include "native/hlp_reader.h"

#include <algorithm>
#include <functional>
#include <stdexcept>

namespace {

[[noreturn]] void Bad(const std::string &what)
{
    throw std::runtime_error(what);
}

// A bounded view of bytes; every read past its end is a malformed file.
class View {
public:
    View(const uint8_t *data, size_t size, std::string name)
        : p(data), n(size), what(std::move(name))
    {
    }
    size_t size() const { return n; }
    size_t at() const { return i; }
    bool done() const { return i >= n; }
    void seek(size_t to)
    {
        if (to > n)
            Bad(what + ": seek past the end");
        i = to;
    }
    uint8_t u8()
    {
        need(1);
        return p[i++];
    }
    uint16_t u16()
    {
        need(2);
        const uint16_t v = static_cast<uint16_t>(p[i] | p[i + 1] << 8);
        i += 2;
        return v;
    }
    uint32_t u32()
    {
        const uint32_t lo = u16();
        return lo | static_cast<uint32_t>(u16()) << 16;
    }
    std::string strz()
    {
        std::string s;
        for (;;) {
            const uint8_t c = u8();
            if (c == 0)
                return s;
            s += static_cast<char>(c);
        }
    }
    View sub(size_t from, size_t size, const std::string &name) const
    {
        if (from > n || size > n - from)
            Bad(what + ": " + name + " lies outside it");
        return View(p + from, size, name);
    }
    const uint8_t *data() const { return p; }
    // Variable-length numbers of paragraph records.
    unsigned cushort()
    {
        const uint8_t b = u8();
        return (b & 1) ? (b >> 1) + 128u * u8() : b >> 1;
    }
    int cshort()
    {
        const uint8_t b = u8();
        return (b & 1) ? (b >> 1) + 128 * u8() - 16384 : (b >> 1) - 64;
    }
    // The long form has 31 bits of value, so its bias is 2^30.
    long clong()
    {
        const uint16_t w = u16();
        return (w & 1) ? (w >> 1) + 32768L * u16() - 1073741824L : (w >> 1) - 16384L;
    }

private:
    void need(size_t k) const
    {
        if (k > n - i)
            Bad(what + ": read past the end");
    }
    const uint8_t *p;
    size_t n;
    size_t i = 0;
    std::string what;
};

// One B+ tree entry, read by the tree's structure string: the key
// ('z' string or 'L' signed long) and then the value ('4' long or 'z').
struct Entry {
    std::string skey;
    int32_t lkey = 0;
    uint32_t value = 0;
    std::string svalue;
};

int CompareKeys(const std::string &structure, const Entry &a, const Entry &b)
{
    if (structure[0] == 'z')
        return a.skey < b.skey ? -1 : a.skey > b.skey ? 1 : 0;
    return a.lkey < b.lkey ? -1 : a.lkey > b.lkey ? 1 : 0;
}

void ReadKey(View &v, const std::string &structure, Entry &e)
{
    if (structure[0] == 'z')
        e.skey = v.strz();
    else if (structure[0] == 'L')
        e.lkey = static_cast<int32_t>(v.u32());
    else
        Bad("unknown B+ tree key type " + structure);
}

// Reads every leaf entry in order and checks that looking each one up from
// the root, through the index pages, finds it.
std::vector<Entry> ReadTree(View file, const std::string &name, unsigned &levelsSeen)
{
    if (file.u16() != 0x293B)
        Bad(name + ": not a B+ tree");
    file.u16(); // flags
    const unsigned pageSize = file.u16();
    std::string structure;
    for (int i = 0; i < 16; ++i) {
        const char c = static_cast<char>(file.u8());
        if (c != '\0' && structure.size() == static_cast<size_t>(i))
            structure += c;
    }
    if (structure.size() != 2)
        Bad(name + ": unexpected structure \"" + structure + "\"");
    file.u16(); // must be zero
    file.u16(); // page splits
    const unsigned root = file.u16();
    file.u16(); // -1
    const unsigned totalPages = file.u16();
    const unsigned levels = file.u16();
    const uint32_t total = file.u32();
    const size_t pagesAt = file.at();
    if (pageSize < 16 || levels < 1 || root >= totalPages)
        Bad(name + ": bad B+ tree header");
    levelsSeen = std::max(levelsSeen, levels);
    auto page = [&](unsigned number) {
        if (number >= totalPages)
            Bad(name + ": page number out of range");
        return file.sub(pagesAt + number * size_t{pageSize}, pageSize, name + " page");
    };
    auto readEntry = [&](View &v) {
        Entry e;
        ReadKey(v, structure, e);
        if (structure[1] == '4')
            e.value = v.u32();
        else if (structure[1] == 'z')
            e.svalue = v.strz();
        else
            Bad(name + ": unknown value type");
        return e;
    };

    // The first leaf: follow the page before the first key down.
    unsigned number = root;
    for (unsigned level = 1; level < levels; ++level) {
        View p = page(number);
        p.u16();
        p.u16();
        number = p.u16();
    }
    std::vector<Entry> entries;
    unsigned previous = 0xFFFF;
    for (unsigned guard = 0; number != 0xFFFF; ++guard) {
        if (guard > totalPages)
            Bad(name + ": leaf pages form a loop");
        View p = page(number);
        const unsigned unused = p.u16();
        const unsigned count = p.u16();
        if (p.u16() != previous)
            Bad(name + ": leaf page's previous page is wrong");
        const unsigned next = p.u16();
        for (unsigned i = 0; i < count; ++i)
            entries.push_back(readEntry(p));
        if (unused != pageSize - p.at())
            Bad(name + ": leaf page's free byte count is wrong");
        previous = number;
        number = next;
    }
    if (entries.size() != total)
        Bad(name + ": entry count differs from the header");
    for (size_t i = 1; i < entries.size(); ++i)
        if (CompareKeys(structure, entries[i - 1], entries[i]) >= 0)
            Bad(name + ": entries out of order");

    for (const Entry &wanted : entries) {
        unsigned at = root;
        for (unsigned level = 1; level < levels; ++level) {
            View p = page(at);
            p.u16();
            const unsigned count = p.u16();
            at = p.u16();
            for (unsigned i = 0; i < count; ++i) {
                Entry key;
                ReadKey(p, structure, key);
                const unsigned child = p.u16();
                if (CompareKeys(structure, key, wanted) > 0)
                    break;
                at = child;
            }
        }
        View p = page(at);
        p.u16();
        const unsigned count = p.u16();
        p.u16();
        p.u16();
        bool found = false;
        for (unsigned i = 0; i < count && !found; ++i)
            found = CompareKeys(structure, readEntry(p), wanted) == 0;
        if (!found)
            Bad(name + ": an entry cannot be found through the index pages");
    }
    return entries;
}

std::vector<uint8_t> Lz77(View in, size_t limit)
{
    std::vector<uint8_t> out;
    while (!in.done() && out.size() < limit) {
        const uint8_t flags = in.u8();
        for (int bit = 0; bit < 8 && !in.done() && out.size() < limit; ++bit) {
            if (flags & (1 << bit)) {
                const uint16_t w = in.u16();
                const size_t back = (w & 0xFFF) + 1u;
                if (back > out.size())
                    Bad("LZ77 reference before the start");
                for (unsigned k = 0; k < (w >> 12) + 3u; ++k)
                    out.push_back(out[out.size() - back]);
            } else {
                out.push_back(in.u8());
            }
        }
    }
    return out;
}

// The |TOPIC file as decompressed blocks, read by TOPICPOS; a read runs on
// from one block's data into the next.
class TopicStream {
public:
    TopicStream(View file, unsigned minor, unsigned flags)
    {
        const bool compressed = minor > 16 && (flags == 4 || flags == 8);
        const size_t blockSize = minor <= 16 || flags == 8 ? 2048 : 4096;
        decompressSize = compressed ? 0x4000 : blockSize - 12;
        for (size_t at = 0; at < file.size(); at += blockSize) {
            View block = file.sub(at, std::min(blockSize, file.size() - at), "topic block");
            Header h;
            h.lastLink = block.u32();
            h.firstLink = block.u32();
            h.lastHeader = block.u32();
            headers.push_back(h);
            View rest = block.sub(12, block.size() - 12, "topic block data");
            if (compressed)
                blocks.push_back(Lz77(rest, decompressSize));
            else
                blocks.emplace_back(rest.data(), rest.data() + rest.size());
        }
    }

    struct Header {
        uint32_t lastLink, firstLink, lastHeader;
    };

    size_t Block(uint32_t pos) const { return (pos - 12) / decompressSize; }

    std::vector<uint8_t> Read(uint32_t pos, size_t count) const
    {
        if (pos < 12)
            Bad("TOPICPOS below the block header");
        size_t block = Block(pos);
        size_t off = (pos - 12) % decompressSize;
        std::vector<uint8_t> out;
        while (out.size() < count) {
            if (block >= blocks.size())
                Bad("topic link runs past the last block");
            if (off >= blocks[block].size()) {
                ++block;
                off = 0;
                continue;
            }
            out.push_back(blocks[block][off++]);
        }
        return out;
    }

    std::vector<Header> headers;

private:
    std::vector<std::vector<uint8_t>> blocks;
    size_t decompressSize;
};

void ReadParagraph(View d1, View d2, const std::vector<std::string> &faces, HlpTopic &topic,
                   uint32_t &length)
{
    const long size = d1.clong();
    length = d1.cushort();
    if (size != static_cast<long>(d2.size()) || length != d2.size())
        Bad("paragraph sizes do not match its text");
    d1.u8();
    d1.u8();
    d1.u16();
    const unsigned bits = d1.u16();
    if (bits & 0x0001)
        d1.clong();
    for (unsigned bit : {0x0002u, 0x0004u, 0x0008u, 0x0010u, 0x0020u, 0x0040u})
        if (bits & bit)
            d1.cshort();
    if (bits & 0x0100) {
        d1.u8();
        d1.u16();
    }
    if (bits & 0x0200) {
        const int tabs = d1.cshort();
        for (int i = 0; i < tabs; ++i)
            if (d1.cushort() & 0x4000)
                d1.cushort();
    }
    bool inLink = false;
    for (;;) {
        const std::string piece = d2.strz();
        topic.text += piece;
        if (inLink)
            topic.jumpTexts.back() += piece;
        const uint8_t command = d1.u8();
        switch (command) {
        case 0xFF:
            if (!d1.done() || !d2.done())
                Bad("paragraph data left after its end");
            if (inLink)
                Bad("link not closed at the end of its paragraph");
            return;
        case 0x80: {
            const unsigned font = d1.u16();
            if (font >= faces.size())
                Bad("font number out of range");
            topic.fonts.push_back(font);
            break;
        }
        case 0x81:
        case 0x82:
            topic.text += '\n';
            break;
        case 0x83:
            topic.text += '\t';
            break;
        case 0x89:
            if (!inLink)
                Bad("end of a link that never started");
            inLink = false;
            break;
        case 0xE2:
        case 0xE3:
        case 0xE6:
        case 0xE7:
            if (inLink)
                Bad("link inside a link");
            topic.jumps.push_back(d1.u32());
            topic.jumpTexts.emplace_back();
            inLink = true;
            break;
        default:
            Bad("unexpected formatting command " + std::to_string(command));
        }
    }
}

} // namespace

uint32_t HlpContextHash(const std::string &id)
{
    uint32_t hash = 0;
    for (char ch : id) {
        const auto c = static_cast<unsigned char>(ch);
        unsigned v = 0;
        if (c >= '1' && c <= '9')
            v = c - '0';
        else if (c == '0')
            v = 10;
        else if (c == '.')
            v = 12;
        else if (c == '_')
            v = 13;
        else if ((c | 0x20) >= 'a' && (c | 0x20) <= 'z')
            v = 17u + ((c | 0x20) - 'a');
        hash = hash * 43 + v;
    }
    return hash;
}

HlpFile ReadHlp(const std::vector<uint8_t> &bytes)
{
    HlpFile hlp;
    View file(bytes.data(), bytes.size(), "file");
    if (file.u32() != 0x00035F3F)
        Bad("not a help file");
    const uint32_t directory = file.u32();
    file.u32(); // first free block
    if (file.u32() != bytes.size())
        Bad("file size in the header differs");

    auto internal = [&](uint32_t at, const std::string &name) {
        View header = file.sub(at, 9, name + " header");
        const uint32_t reserved = header.u32();
        const uint32_t used = header.u32();
        if (reserved < used + 9)
            Bad(name + ": used size exceeds the reserved size");
        file.sub(at, reserved, name);
        return file.sub(at + 9, used, name);
    };
    for (const Entry &e : ReadTree(internal(directory, "directory"), "directory", hlp.treeLevels))
        hlp.directory[e.skey] = e.value;
    auto open = [&](const char *name) {
        auto it = hlp.directory.find(name);
        if (it == hlp.directory.end())
            Bad(std::string("no internal file ") + name);
        return internal(it->second, name);
    };

    View system = open("|SYSTEM");
    if (system.u16() != 0x036C)
        Bad("|SYSTEM: bad magic");
    hlp.minor = system.u16();
    if (system.u16() != 1 || hlp.minor <= 16)
        Bad("|SYSTEM: not a 3.1 or later help file");
    system.u32();
    hlp.flags = system.u16();
    bool haveContents = false;
    while (!system.done()) {
        const unsigned type = system.u16();
        const unsigned size = system.u16();
        View data = system.sub(system.at(), size, "|SYSTEM record");
        system.seek(system.at() + size);
        if (type == 1)
            hlp.title = data.strz();
        else if (type == 2)
            hlp.copyright = data.strz();
        else if (type == 3) {
            hlp.contents = data.u32();
            haveContents = true;
        } else if (type == 4) {
            hlp.macros.push_back(data.strz());
        } else if (type == 6) {
            if (size != 90)
                Bad("|SYSTEM: window record of the wrong size");
            const unsigned valid = data.u16();
            auto field = [&](size_t at, size_t length) {
                View f = data.sub(at, length, "window field");
                const std::string s(reinterpret_cast<const char *>(f.data()), length);
                return s.substr(0, s.find('\0'));
            };
            if (valid & 0x0002)
                hlp.windows[field(12, 9)] = (valid & 0x0004) ? field(21, 51) : std::string();
        }
    }

    View font = open("|FONT");
    const unsigned faces = font.u16();
    const unsigned descriptors = font.u16();
    const unsigned facesAt = font.u16();
    const unsigned descriptorsAt = font.u16();
    if (faces == 0 || descriptorsAt < facesAt || (descriptorsAt - facesAt) % faces != 0)
        Bad("|FONT: bad face name table");
    const unsigned faceLength = (descriptorsAt - facesAt) / faces;
    for (unsigned i = 0; i < descriptors; ++i) {
        View d = font.sub(descriptorsAt + 11 * i, 11, "font descriptor");
        d.u8();
        hlp.fontHalfPoints.push_back(d.u8());
        d.u8();
        const unsigned face = d.u16();
        if (face >= faces)
            Bad("|FONT: face number out of range");
        View name = font.sub(facesAt + face * faceLength, faceLength, "face name");
        std::string s(reinterpret_cast<const char *>(name.data()), faceLength);
        hlp.fontFaces.push_back(s.substr(0, s.find('\0')));
    }

    const TopicStream topics(open("|TOPIC"), hlp.minor, hlp.flags);
    hlp.topicBlocks = static_cast<unsigned>(topics.headers.size());
    std::vector<std::pair<uint32_t, uint8_t>> links; // pos, type
    uint32_t pos = 12, previous = 0xFFFFFFFF;
    size_t block = 0;
    uint32_t count = 0;
    std::vector<uint32_t> nextTopic, scroll, headerPos;
    while (pos != 0xFFFFFFFF && pos != 0) {
        if (!links.empty() && pos <= links.back().first)
            Bad("topic links go backwards");
        std::vector<uint8_t> head = topics.Read(pos, 21);
        View h(head.data(), head.size(), "topic link");
        const uint32_t blockSize = h.u32();
        const uint32_t dataLen2 = h.u32();
        const uint32_t prev = h.u32();
        const uint32_t next = h.u32();
        const uint32_t dataLen1 = h.u32();
        const uint8_t type = h.u8();
        if (prev != previous)
            Bad("topic link's previous link is wrong");
        if (dataLen1 < 21 || blockSize < dataLen1 || dataLen2 != blockSize - dataLen1)
            Bad("topic link sizes do not add up");
        std::vector<uint8_t> body = topics.Read(pos, blockSize);
        View d1(body.data() + 21, dataLen1 - 21, "LinkData1");
        View d2(body.data() + dataLen1, dataLen2, "LinkData2");
        if (topics.Block(pos) != block) {
            block = topics.Block(pos);
            count = 0;
        }
        if (links.empty() && type != 0x02)
            Bad("the first topic link is not a topic header");
        if (type == 0x02) {
            HlpTopic t;
            const uint32_t size = d1.u32();
            (void)size;
            t.browseBack = d1.u32();
            t.browseForward = d1.u32();
            t.number = d1.u32();
            if (d1.u32() != 0xFFFFFFFF)
                Bad("unexpected non-scrolling region");
            scroll.push_back(d1.u32());
            nextTopic.push_back(d1.u32());
            t.title = d2.strz();
            t.offset = static_cast<uint32_t>(block * 0x8000 + count);
            headerPos.push_back(pos);
            hlp.topics.push_back(t);
        } else if (type == 0x20) {
            uint32_t length = 0;
            ReadParagraph(d1, d2, hlp.fontFaces, hlp.topics.back(), length);
            count += length;
            if (links.back().second == 0x02 && scroll.back() != pos)
                Bad("topic header's scrolling region is not its first paragraph");
        } else {
            Bad("unexpected topic link type " + std::to_string(type));
        }
        links.emplace_back(pos, type);
        previous = pos;
        pos = next;
    }
    for (size_t i = 0; i < hlp.topics.size(); ++i) {
        const uint32_t want = i + 1 < headerPos.size() ? headerPos[i + 1] : 0xFFFFFFFF;
        if (nextTopic[i] != want)
            Bad("topic header's next topic is wrong");
    }
    for (size_t b = 0; b < topics.headers.size(); ++b) {
        uint32_t lastLink = 0xFFFFFFFF, firstLink = 0xFFFFFFFF, lastHeader = 0xFFFFFFFF;
        for (const auto &link : links) {
            if (topics.Block(link.first) < b) {
                lastLink = link.first;
                if (link.second == 0x02)
                    lastHeader = link.first;
            } else if (topics.Block(link.first) == b && firstLink == 0xFFFFFFFF) {
                firstLink = link.first;
            }
        }
        const TopicStream::Header &h = topics.headers[b];
        if (h.lastLink != lastLink || h.firstLink != firstLink || h.lastHeader != lastHeader)
            Bad("topic block header " + std::to_string(b) + " is wrong");
    }

    auto isTopic = [&](uint32_t offset) {
        return std::any_of(hlp.topics.begin(), hlp.topics.end(),
                           [&](const HlpTopic &t) { return t.offset == offset; });
    };
    if (!haveContents || !isTopic(hlp.contents))
        Bad("the contents topic is not a topic");
    for (const Entry &e : ReadTree(open("|CONTEXT"), "|CONTEXT", hlp.treeLevels)) {
        if (!isTopic(e.value))
            Bad("|CONTEXT names an offset that is no topic");
        hlp.context[static_cast<uint32_t>(e.lkey)] = e.value;
    }
    for (const Entry &e : ReadTree(open("|TTLBTREE"), "|TTLBTREE", hlp.treeLevels))
        hlp.titles[static_cast<uint32_t>(e.lkey)] = e.svalue;
    for (const HlpTopic &t : hlp.topics) {
        auto title = hlp.titles.find(t.offset);
        if (title == hlp.titles.end() || title->second != t.title)
            Bad("|TTLBTREE lacks the title of \"" + t.title + "\"");
        for (uint32_t browse : {t.browseBack, t.browseForward})
            if (browse != 0xFFFFFFFF && !isTopic(browse))
                Bad("browse sequence names an offset that is no topic");
        for (uint32_t jump : t.jumps)
            if (hlp.context.count(jump) == 0)
                Bad("a link in \"" + t.title + "\" jumps to an unknown context");
    }
    return hlp;
}
