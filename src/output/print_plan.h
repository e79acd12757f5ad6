// The arithmetic of a print job: figures from the printer's metrics, the
// lines of the text as the pane shows them, where each page starts and which
// lines go on it, and the order in which pages come out. Portable.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

struct PrintMetrics {
    int textHeight;       // text-metric height
    int externalLeading;  // text-metric external leading
    int averageCharWidth; // text-metric average character width
    int horizontalRes;    // printable width in device units
    int verticalRes;      // printable height in device units
};

struct PrintFigures {
    bool usable;          // false: the device cannot hold one character or one line
    int lineHeight;
    int charsPerLine;
    int linesPerPage;
    int pageCount;
};

// Figures for a pane of `lineCount` lines. They are kept in full int range,
// so a pane of 32,768 lines or more prints whole; a page narrower than one
// character or lower than one line is reported unusable instead of dividing
// by zero.
PrintFigures ComputePrintFigures(int lineCount, const PrintMetrics &metrics);

// One line of a text as the output pane shows it: `length` characters from
// `begin`; the next line starts at `next`.
struct TextLine {
    size_t begin;
    size_t length;
    size_t next;
};

// The text is the pane's in bytes (the code page's, or UTF-8) or in UTF-16
// units, as wide characters; lengths and places count those.

// The line that starts at `from`. A line ends at a line feed, which with the
// carriage return before it is not part of the line, nor is a second
// carriage return before that (CR CR LF, where a CR LF was split between two
// reads). The last line ends with the text and has `next` past its end.
TextLine LineAt(std::string_view text, size_t from);
TextLine LineAt(std::wstring_view text, size_t from);

// How many lines the pane shows for `text`: one more than its line feeds, so
// an empty text is one empty line.
size_t CountLines(std::string_view text);
size_t CountLines(std::wstring_view text);

// How much of `line` of `text` is printed on a page `charsPerLine` wide: a
// longer line is cut there, in UTF-16 units for wide text, never between the
// two halves of a character beyond the Basic Multilingual Plane.
size_t ShownLength(std::string_view text, const TextLine &line, int charsPerLine);
size_t ShownLength(std::wstring_view text, const TextLine &line, int charsPerLine);

// The pages of one text on one device.
struct PrintPlan {
    PrintFigures figures;
    int lineCount = 0;              // the text's lines, at most INT_MAX
    std::vector<size_t> pageStarts; // where each page starts, so every copy can go back to it
};

// Plans the pages of `text` on a device of `metrics`. False, with nothing to
// print, when the device cannot hold one character or one line, or when there
// is no memory for the list of page starts.
bool PlanPages(std::string_view text, const PrintMetrics &metrics, PrintPlan &plan);
bool PlanPages(std::wstring_view text, const PrintMetrics &metrics, PrintPlan &plan);

// One line as printed: at `y` on its page, `length` characters of the text
// from `begin`.
struct PrintedLine {
    int y;
    size_t begin;
    size_t length;
};

// The lines of one page of a plan of `text`, top to bottom: as many as the
// page holds, up to the text's last line, each cut to the page's width.
template <typename Char> class PageLines {
public:
    PageLines(std::basic_string_view<Char> text, const PrintPlan &plan, int page);
    // The next line into `line`; false once the page is full or the text ends.
    bool Next(PrintedLine &line);

private:
    std::basic_string_view<Char> text_;
    PrintFigures figures_;
    size_t from_;
    int row_ = 0, rows_;
};
extern template class PageLines<char>;
extern template class PageLines<wchar_t>;

// The pages in the order they are printed: with collation the whole set
// `copies` times (1, 2, 3, 1, 2, 3), without it each page `copies` times in a
// row (1, 1, 2, 2, 3, 3). Pages are numbered from 0. The order is worked out
// one page at a time, so a job of many pages and copies needs no list of it.
class PageOrder {
public:
    PageOrder(int pageCount, int copies, bool collate);
    // The next page to print into `page`; false once the job is done.
    bool Next(int &page);

private:
    int pageCount_, copies_;
    bool collate_;
    int page_ = 0, copy_ = 0;
};
