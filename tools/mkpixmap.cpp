// mkpixmap: builds the program's 16-colour icon and toolbar bitmap from text
// pictures (.pxm) kept in the repository, so the art can be reviewed in a
// diff and rebuilt on any machine without an image editor.
//
//   mkpixmap ico IN.pxm OUT.ico [F...]  one image per picture (32x32, 16x16,
//                                        ...), and per factor F a copy of the
//                                        first picture scaled by F
//   mkpixmap bmp IN.pxm OUT.bmp [F]      exactly one picture, scaled by F
//
// A factor is 2, 3 or 3/2. Pictures are scaled for screens of more dots per
// inch with the pixel-art rules of Scale2x and Scale3x, which keep the edges
// hard and round off the stairs of a diagonal; 3/2 takes every other pixel
// of the threefold picture. A tiled picture is scaled tile by tile, so no
// tile takes colour from its neighbour.
//
// A .pxm file, line by line (trailing blanks and CR are ignored):
//   # comment                      anywhere; blank lines are ignored too
//   k = black                      palette: one character, a colour name
//   o = #FF8000                    ... or an RGB hex value
//   _ = transparent                ... or transparent (icons only)
//   size 32 32                     starts a picture of W x H pixels
//   size 160 15 tiles 16           ... given as 16-wide tiles, left to right
//   kkkk...                        rows, exactly W (or tile) characters each
// The palette comes before the first picture. Without a size line, one
// picture is read with its size taken from the rows.
//
// Plain standard C++17, so it builds with g++, MinGW and MSVC alike.

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Rgb {
    uint8_t r, g, b;
    bool operator==(const Rgb &o) const { return r == o.r && g == o.g && b == o.b; }
};

// The 16 colours every Windows display has had since VGA, in the order of
// the default palette. A bitmap that uses exactly this table maps onto the
// system colours without dithering.
struct NamedColour {
    const char *name;
    Rgb rgb;
};
const NamedColour kStandard[16] = {
    {"black", {0x00, 0x00, 0x00}},  {"maroon", {0x80, 0x00, 0x00}}, {"green", {0x00, 0x80, 0x00}},
    {"olive", {0x80, 0x80, 0x00}},  {"navy", {0x00, 0x00, 0x80}},   {"purple", {0x80, 0x00, 0x80}},
    {"teal", {0x00, 0x80, 0x80}},   {"silver", {0xC0, 0xC0, 0xC0}}, {"gray", {0x80, 0x80, 0x80}},
    {"red", {0xFF, 0x00, 0x00}},    {"lime", {0x00, 0xFF, 0x00}},   {"yellow", {0xFF, 0xFF, 0x00}},
    {"blue", {0x00, 0x00, 0xFF}},   {"fuchsia", {0xFF, 0x00, 0xFF}}, {"aqua", {0x00, 0xFF, 0xFF}},
    {"white", {0xFF, 0xFF, 0xFF}},
};
// Other common spellings of the same colours.
const std::pair<const char *, const char *> kAliases[] = {
    {"darkred", "maroon"},     {"darkgreen", "green"},   {"darkyellow", "olive"},
    {"darkblue", "navy"},      {"darkmagenta", "purple"}, {"darkcyan", "teal"},
    {"lightgray", "silver"},   {"lightgrey", "silver"},  {"grey", "gray"},
    {"darkgray", "gray"},      {"darkgrey", "gray"},     {"magenta", "fuchsia"},
    {"cyan", "aqua"},
};

struct Colour {
    bool transparent = false;
    Rgb rgb{0, 0, 0};
};

struct Picture {
    int line = 0;  // where it starts, for messages
    int width = 0, height = 0;
    int tile = 0;  // 0: rows are whole picture rows
    bool sized = false;
    int rowsRead = 0;
    std::vector<std::string> grid;  // height strings of width characters
};

struct Pxm {
    std::string path;
    std::map<char, Colour> palette;
    std::vector<char> order;  // palette characters as declared
    std::vector<Picture> pictures;
};

std::string Lower(std::string s)
{
    for (char &c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string Trim(const std::string &s)
{
    const char *ws = " \t\r";
    const size_t a = s.find_first_not_of(ws);
    if (a == std::string::npos)
        return std::string();
    return s.substr(a, s.find_last_not_of(ws) - a + 1);
}

std::string Printable(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= 0x21 && u < 0x7F)
        return std::string("'") + c + "'";
    char buf[16];
    std::snprintf(buf, sizeof buf, "byte 0x%02X", u);
    return buf;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool ParseColour(const std::string &text, Colour &out)
{
    const std::string name = Lower(text);
    if (name == "transparent" || name == "none") {
        out.transparent = true;
        return true;
    }
    if (name.size() == 7 && name[0] == '#') {
        int v[6];
        for (size_t i = 0; i < 6; ++i)
            if ((v[i] = HexDigit(name[i + 1])) < 0)
                return false;
        out.rgb = Rgb{static_cast<uint8_t>(v[0] * 16 + v[1]), static_cast<uint8_t>(v[2] * 16 + v[3]),
                      static_cast<uint8_t>(v[4] * 16 + v[5])};
        return true;
    }
    std::string canonical = name;
    for (const auto &a : kAliases)
        if (name == a.first)
            canonical = a.second;
    for (const auto &c : kStandard)
        if (canonical == c.name) {
            out.rgb = c.rgb;
            return true;
        }
    return false;
}

bool ParseCount(const std::string &s, int limit, int &out)
{
    if (s.empty() || s.size() > 6)
        return false;
    int v = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    if (v < 1 || v > limit)
        return false;
    out = v;
    return true;
}

class Parser {
  public:
    explicit Parser(Pxm &pxm) : pxm_(pxm) {}

    void Line(const std::string &raw, int lineNo)
    {
        line_ = lineNo;
        const std::string text = Trim(raw);
        if (text.empty() || text[0] == '#')
            return;
        if (text.compare(0, 4, "size") == 0 && (text.size() == 4 || text[4] == ' ' || text[4] == '\t'))
            Size(text);
        else if (text.find('=') != std::string::npos)
            PaletteEntry(text);
        else
            Row(text);
    }

    void End()
    {
        Finish();
        if (pxm_.pictures.empty())
            Fail(0, "no picture in the file");
    }

  private:
    [[noreturn]] void Fail(int lineNo, const std::string &what) const
    {
        std::ostringstream msg;
        msg << pxm_.path;
        if (lineNo > 0)
            msg << ':' << lineNo;
        msg << ": " << what;
        throw Failure(msg.str());
    }

    void PaletteEntry(const std::string &text)
    {
        if (!pxm_.pictures.empty())
            Fail(line_, "palette entries must come before the first picture");
        const size_t eq = text.find('=');
        const std::string key = Trim(text.substr(0, eq));
        const std::string value = Trim(text.substr(eq + 1));
        // '#' starts comments and '=' separates entries; blanks would vanish
        // from the end of a row and be invisible in a diff.
        if (key.size() != 1 || key[0] == '#' || key[0] == '=' ||
            static_cast<unsigned char>(key[0]) <= 0x20 || static_cast<unsigned char>(key[0]) >= 0x7F)
            Fail(line_, "a palette entry names one printable character other than '#' and '=', got \"" +
                            key + "\"");
        Colour colour;
        if (!ParseColour(value, colour))
            Fail(line_, "unknown colour \"" + value + "\" (use a standard colour name, #RRGGBB or transparent)");
        if (pxm_.palette.count(key[0]))
            Fail(line_, "palette character " + Printable(key[0]) + " is defined twice");
        pxm_.palette[key[0]] = colour;
        pxm_.order.push_back(key[0]);
    }

    void Size(const std::string &text)
    {
        Finish();
        std::istringstream in(text);
        std::string word, w, h, tilesWord, t, extra;
        in >> word >> w >> h >> tilesWord >> t >> extra;
        Picture p;
        p.line = line_;
        p.sized = true;
        if (!ParseCount(w, 4096, p.width) || !ParseCount(h, 4096, p.height))
            Fail(line_, "expected \"size W H\" with W and H from 1 to 4096");
        if (!tilesWord.empty()) {
            if (tilesWord != "tiles" || !ParseCount(t, p.width, p.tile) || !extra.empty())
                Fail(line_, "expected \"size W H tiles T\" after the size");
            if (p.width % p.tile != 0)
                Fail(line_, "a width of " + w + " does not split into tiles " + t + " wide");
        }
        p.grid.assign(static_cast<size_t>(p.height), std::string(static_cast<size_t>(p.width), ' '));
        pxm_.pictures.push_back(p);
        open_ = true;
    }

    int RowsExpected(const Picture &p) const { return p.tile ? p.height * (p.width / p.tile) : p.height; }

    void Row(const std::string &text)
    {
        for (char c : text)
            if (c == ' ' || c == '\t')
                Fail(line_, "a row may not contain blanks");
        if (!open_) {
            if (!pxm_.pictures.empty())
                Fail(line_, "row after the last picture is complete (start another with a size line)");
            // No size line: the rows themselves give the size.
            Picture p;
            p.line = line_;
            p.width = static_cast<int>(text.size());
            pxm_.pictures.push_back(p);
            open_ = true;
        }
        Picture &p = pxm_.pictures.back();
        const int wide = p.tile ? p.tile : p.width;
        if (p.sized && p.rowsRead == RowsExpected(p))
            Fail(line_, "too many rows: the picture from line " + std::to_string(p.line) + " has " +
                            std::to_string(RowsExpected(p)) + " rows");
        if (static_cast<int>(text.size()) != wide)
            Fail(line_, "row is " + std::to_string(text.size()) + " characters wide, expected " +
                            std::to_string(wide));
        for (size_t i = 0; i < text.size(); ++i)
            if (!pxm_.palette.count(text[i]))
                Fail(line_, "unknown palette character " + Printable(text[i]) + " in column " +
                                std::to_string(i + 1));
        if (!p.sized) {
            if (p.rowsRead == 4096)
                Fail(line_, "more than 4096 rows");
            p.grid.push_back(text);
            p.height = p.rowsRead + 1;
        } else if (p.tile) {
            const int tileNo = p.rowsRead / p.height;
            const size_t tile = static_cast<size_t>(p.tile);
            std::string &row = p.grid[static_cast<size_t>(p.rowsRead % p.height)];
            row.replace(static_cast<size_t>(tileNo) * tile, tile, text);
        } else {
            p.grid[static_cast<size_t>(p.rowsRead)] = text;
        }
        ++p.rowsRead;
    }

    void Finish()
    {
        if (!open_)
            return;
        open_ = false;
        const Picture &p = pxm_.pictures.back();
        if (p.sized && p.rowsRead != RowsExpected(p))
            Fail(p.line, "picture has " + std::to_string(p.rowsRead) + " rows, expected " +
                             std::to_string(RowsExpected(p)) +
                             (p.tile ? " (" + std::to_string(p.width / p.tile) + " tiles of " +
                                           std::to_string(p.height) + ")"
                                     : std::string()));
    }

    Pxm &pxm_;
    int line_ = 0;
    bool open_ = false;  // the last picture may still take rows
};

Pxm ReadPxm(const std::string &path)
{
    Pxm pxm;
    pxm.path = path;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw Failure(path + ": cannot read: " + std::strerror(errno));
    Parser parser(pxm);
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line))
        parser.Line(line, ++lineNo);
    if (in.bad())
        throw Failure(path + ": read error");
    parser.End();
    return pxm;
}

// The colour table and, for each palette character, its index in it
// (-1 for transparent).
struct ColourTable {
    std::vector<Rgb> rgb;  // always 16 entries
    std::map<char, int> index;
    int black = 0;  // slot stored under transparent pixels
};

ColourTable BuildTable(const Pxm &pxm)
{
    // Transparent pixels are stored black under the mask, so a picture with
    // transparency needs black in its table.
    bool anyTransparent = false;
    std::vector<Rgb> distinct;
    auto add = [&distinct](const Rgb &c) {
        for (const Rgb &d : distinct)
            if (d == c)
                return;
        distinct.push_back(c);
    };
    for (char ch : pxm.order) {
        const Colour &c = pxm.palette.at(ch);
        if (c.transparent)
            anyTransparent = true;
        else
            add(c.rgb);
    }
    if (anyTransparent)
        add(Rgb{0, 0, 0});
    if (distinct.size() > 16)
        throw Failure(pxm.path + ": the palette has " + std::to_string(distinct.size()) +
                      " distinct colours" + (anyTransparent ? " (with black for transparency)" : "") +
                      "; a 16-colour image holds at most 16");

    ColourTable table;
    bool allStandard = true;
    for (const Rgb &d : distinct) {
        bool found = false;
        for (const auto &s : kStandard)
            found = found || s.rgb == d;
        allStandard = allStandard && found;
    }
    if (allStandard) {
        for (const auto &s : kStandard)
            table.rgb.push_back(s.rgb);
    } else {
        table.rgb = distinct;
        table.rgb.resize(16, Rgb{0, 0, 0});
    }
    for (char ch : pxm.order) {
        const Colour &c = pxm.palette.at(ch);
        int idx = -1;
        if (!c.transparent)
            for (int i = 0; i < 16 && idx < 0; ++i)
                if (table.rgb[static_cast<size_t>(i)] == c.rgb)
                    idx = i;
        table.index[ch] = idx;
    }
    for (int i = 15; i >= 0; --i)
        if (table.rgb[static_cast<size_t>(i)] == Rgb{0, 0, 0})
            table.black = i;
    return table;
}

void Put16(std::vector<uint8_t> &out, unsigned v)
{
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}

void Put32(std::vector<uint8_t> &out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// Rows of a DIB are padded to whole 32-bit words.
uint32_t Stride(int width, int bitsPerPixel)
{
    return (static_cast<uint32_t>(width) * static_cast<uint32_t>(bitsPerPixel) + 31) / 32 * 4;
}

// BITMAPINFOHEADER, the 16-entry colour table and the 4-bit pixels, then
// for icons the 1-bit AND mask (set where the picture is transparent).
// Both bitmaps are stored bottom row first.
std::vector<uint8_t> Dib(const Picture &p, const ColourTable &table, bool withMask)
{
    const uint32_t xorStride = Stride(p.width, 4);
    const uint32_t andStride = Stride(p.width, 1);
    const uint32_t xorSize = xorStride * static_cast<uint32_t>(p.height);
    const uint32_t andSize = withMask ? andStride * static_cast<uint32_t>(p.height) : 0;

    std::vector<uint8_t> out;
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(p.width));
    // An icon's height counts the XOR and AND bitmaps together.
    Put32(out, static_cast<uint32_t>(withMask ? 2 * p.height : p.height));
    Put16(out, 1);   // planes
    Put16(out, 4);   // bits per pixel
    Put32(out, 0);   // BI_RGB
    Put32(out, xorSize + andSize);
    Put32(out, 0);   // pixels per metre, x and y: not given
    Put32(out, 0);
    Put32(out, 16);  // colours used
    Put32(out, 0);   // all important
    for (const Rgb &c : table.rgb) {
        out.push_back(c.b);
        out.push_back(c.g);
        out.push_back(c.r);
        out.push_back(0);
    }

    const size_t xorAt = out.size();
    out.resize(xorAt + xorSize + andSize, 0);
    for (int y = 0; y < p.height; ++y) {
        const std::string &row = p.grid[static_cast<size_t>(p.height - 1 - y)];
        uint8_t *xorRow = &out[xorAt + static_cast<uint32_t>(y) * xorStride];
        uint8_t *andRow =
            withMask ? &out[xorAt + xorSize + static_cast<uint32_t>(y) * andStride] : nullptr;
        for (int x = 0; x < p.width; ++x) {
            int idx = table.index.at(row[static_cast<size_t>(x)]);
            if (idx < 0) {
                idx = table.black;
                andRow[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            }
            xorRow[x / 2] |= static_cast<uint8_t>(x % 2 ? idx : idx << 4);
        }
    }
    return out;
}

void RequireOpaque(const Pxm &pxm, const Picture &p, const ColourTable &table)
{
    for (const std::string &row : p.grid)
        for (char c : row)
            if (table.index.at(c) < 0)
                throw Failure(pxm.path + ":" + std::to_string(p.line) + ": the picture uses transparent " +
                              Printable(c) + ", which a .bmp cannot hold");
}

std::vector<uint8_t> MakeBmp(const Pxm &pxm)
{
    if (pxm.pictures.size() != 1)
        throw Failure(pxm.path + ": a .bmp holds one picture, the file has " +
                      std::to_string(pxm.pictures.size()));
    const ColourTable table = BuildTable(pxm);
    const Picture &p = pxm.pictures[0];
    RequireOpaque(pxm, p, table);
    const std::vector<uint8_t> dib = Dib(p, table, false);
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    Put32(out, static_cast<uint32_t>(14 + dib.size()));
    Put32(out, 0);                 // reserved
    Put32(out, 14 + 40 + 16 * 4);  // pixels follow the colour table
    out.insert(out.end(), dib.begin(), dib.end());
    return out;
}

std::vector<uint8_t> MakeIco(const Pxm &pxm)
{
    const ColourTable table = BuildTable(pxm);
    for (const Picture &p : pxm.pictures)
        if (p.width > 256 || p.height > 256)
            throw Failure(pxm.path + ":" + std::to_string(p.line) + ": an icon image is at most 256x256");
    const size_t n = pxm.pictures.size();
    std::vector<uint8_t> out;
    Put16(out, 0);  // reserved
    Put16(out, 1);  // icon, not cursor
    Put16(out, static_cast<unsigned>(n));
    std::vector<std::vector<uint8_t>> images;
    uint32_t offset = static_cast<uint32_t>(6 + 16 * n);
    for (const Picture &p : pxm.pictures) {
        images.push_back(Dib(p, table, true));
        out.push_back(static_cast<uint8_t>(p.width & 0xFF));  // 256 is written as 0
        out.push_back(static_cast<uint8_t>(p.height & 0xFF));
        out.push_back(16);  // colours
        out.push_back(0);
        Put16(out, 1);  // planes
        Put16(out, 4);  // bits per pixel
        Put32(out, static_cast<uint32_t>(images.back().size()));
        Put32(out, offset);
        offset += static_cast<uint32_t>(images.back().size());
    }
    for (const auto &img : images)
        out.insert(out.end(), img.begin(), img.end());
    return out;
}

// ---- Scaling for screens of more dots per inch --------------------------

// The picture's pixel at x, y of one tile, clamped to the tile's edges.
struct TileView {
    const Picture &p;
    int left, width;
    char At(int x, int y) const
    {
        x = x < 0 ? 0 : (x >= width ? width - 1 : x);
        y = y < 0 ? 0 : (y >= p.height ? p.height - 1 : y);
        return p.grid[static_cast<size_t>(y)][static_cast<size_t>(left + x)];
    }
};

// Scale2x: each pixel E becomes 2x2; a corner takes the colour of the two
// neighbours it touches when they agree and the other two do not.
void Scale2Tile(const TileView &t, std::vector<std::string> &out, int outLeft)
{
    for (int y = 0; y < t.p.height; ++y)
        for (int x = 0; x < t.width; ++x) {
            const char b = t.At(x, y - 1), d = t.At(x - 1, y), e = t.At(x, y),
                       f = t.At(x + 1, y), h = t.At(x, y + 1);
            const char c[4] = {d == b && b != f && d != h ? d : e, b == f && b != d && f != h ? f : e,
                               d == h && d != b && h != f ? d : e, h == f && d != h && b != f ? f : e};
            for (int i = 0; i < 4; ++i)
                out[static_cast<size_t>(2 * y + i / 2)][static_cast<size_t>(outLeft + 2 * x + i % 2)] = c[i];
        }
}

// Scale3x: each pixel E becomes 3x3 by the same rule, with the middle of
// each side taking the neighbour's colour only where a corner would.
void Scale3Tile(const TileView &t, std::vector<std::string> &out, int outLeft)
{
    for (int y = 0; y < t.p.height; ++y)
        for (int x = 0; x < t.width; ++x) {
            const char a = t.At(x - 1, y - 1), b = t.At(x, y - 1), c = t.At(x + 1, y - 1),
                       d = t.At(x - 1, y), e = t.At(x, y), f = t.At(x + 1, y),
                       g = t.At(x - 1, y + 1), h = t.At(x, y + 1), i = t.At(x + 1, y + 1);
            const bool db = d == b && b != f && d != h, bf = b == f && b != d && f != h,
                       dh = d == h && d != b && h != f, hf = h == f && d != h && b != f;
            const char px[9] = {db ? d : e,
                                (db && e != c) || (bf && e != a) ? b : e,
                                bf ? f : e,
                                (db && e != g) || (dh && e != a) ? d : e,
                                e,
                                (bf && e != i) || (hf && e != c) ? f : e,
                                dh ? d : e,
                                (dh && e != i) || (hf && e != g) ? h : e,
                                hf ? f : e};
            for (int k = 0; k < 9; ++k)
                out[static_cast<size_t>(3 * y + k / 3)][static_cast<size_t>(outLeft + 3 * x + k % 3)] = px[k];
        }
}

// The picture scaled by num/den: 2/1, 3/1 or 3/2.
Picture Scaled(const Picture &p, int num, int den)
{
    const int factor = den == 2 ? 3 : num;
    const int tileWidth = p.tile ? p.tile : p.width;
    std::vector<std::string> big(static_cast<size_t>(p.height * factor),
                                 std::string(static_cast<size_t>(p.width * factor), ' '));
    for (int left = 0; left < p.width; left += tileWidth) {
        const TileView view{p, left, tileWidth};
        if (factor == 2)
            Scale2Tile(view, big, left * 2);
        else
            Scale3Tile(view, big, left * 3);
    }
    Picture out = p;
    out.width = p.width * num / den;
    out.height = (p.height * num + den - 1) / den;  // a half row rounds up
    out.tile = p.tile * num / den;
    out.grid.clear();
    for (int y = 0; y < out.height; ++y) {
        std::string row;
        for (int x = 0; x < out.width; ++x)
            row += big[static_cast<size_t>(y * den)][static_cast<size_t>(x * den)];
        out.grid.push_back(row);
    }
    return out;
}

struct Factor {
    int num, den;
};

Factor ParseFactor(const std::string &text)
{
    if (text == "2")
        return {2, 1};
    if (text == "3")
        return {3, 1};
    if (text == "3/2")
        return {3, 2};
    throw Failure("a factor is 2, 3 or 3/2, not \"" + text + "\"");
}

// Writes beside the target and renames, so a failed run never leaves a
// truncated image for the resource compiler to pick up.
void WriteWhole(const std::string &path, const std::vector<uint8_t> &data)
{
    const std::string tmp = path + ".tmp";
    std::FILE *f = std::fopen(tmp.c_str(), "wb");
    if (!f)
        throw Failure(tmp + ": cannot create: " + std::strerror(errno));
    bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok) {
        std::remove(tmp.c_str());
        throw Failure(tmp + ": write failed");
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        int err = errno;
#ifdef _WIN32
        // The C runtime's rename will not replace an existing file.
        std::remove(path.c_str());
        err = std::rename(tmp.c_str(), path.c_str()) == 0 ? 0 : errno;
#endif
        if (err != 0) {
            std::remove(tmp.c_str());
            throw Failure(path + ": cannot replace: " + std::strerror(err));
        }
    }
}

int Usage()
{
    std::fputs("usage: mkpixmap ico IN.pxm OUT.ico [FACTOR...]\n"
               "       mkpixmap bmp IN.pxm OUT.bmp [FACTOR]\n"
               "FACTOR is 2, 3 or 3/2\n",
               stderr);
    return 2;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 4)
        return Usage();
    const std::string kind = argv[1];
    if ((kind != "ico" && kind != "bmp") || (kind == "bmp" && argc > 5))
        return Usage();
    try {
        std::vector<Factor> factors;
        for (int i = 4; i < argc; ++i)
            factors.push_back(ParseFactor(argv[i]));
        Pxm pxm = ReadPxm(argv[2]);
        if (kind == "bmp" && !factors.empty() && pxm.pictures.size() == 1)
            pxm.pictures[0] = Scaled(pxm.pictures[0], factors[0].num, factors[0].den);
        if (kind == "ico" && !pxm.pictures.empty())
            for (const Factor &f : factors)
                pxm.pictures.push_back(Scaled(pxm.pictures[0], f.num, f.den));
        WriteWhole(argv[3], kind == "ico" ? MakeIco(pxm) : MakeBmp(pxm));
    } catch (const std::exception &e) {
        std::fprintf(stderr, "mkpixmap: %s\n", e.what());
        return 1;
    }
    return 0;
}
