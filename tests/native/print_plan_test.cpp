// Pagination of a print job.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <string_view>
#include <vector>

#include "output/print_plan.h"

namespace {

// A page of 600 units with 10-unit lines holds 60 lines; 800 units at
// 10 per character hold 80 characters.
const PrintMetrics kPage = {8, 2, 10, 800, 600};

TEST(PrintFigures, LinesPerPageAndPageCount)
{
    struct Case {
        int lines, pages;
    } cases[] = {{130, 3}, {60, 1}, {61, 2}, {1, 1}, {120, 2}};
    for (const Case &c : cases) {
        const PrintFigures f = ComputePrintFigures(c.lines, kPage);
        ASSERT_TRUE(f.usable);
        EXPECT_EQ(f.lineHeight, 10);
        EXPECT_EQ(f.charsPerLine, 80);
        EXPECT_EQ(f.linesPerPage, 60);
        EXPECT_EQ(f.pageCount, c.pages) << c.lines << " lines";
    }
}

TEST(PrintFigures, PanesBeyondSixteenBitsAndUselessDevices)
{
    EXPECT_EQ(ComputePrintFigures(40000, kPage).pageCount, 667);
    EXPECT_EQ(ComputePrintFigures(INT_MAX, kPage).pageCount, INT_MAX / 60 + 1);
    EXPECT_FALSE(ComputePrintFigures(10, {8, 2, 0, 800, 600}).usable);   // no char width
    EXPECT_FALSE(ComputePrintFigures(10, {8, 2, 1000, 800, 600}).usable); // narrower than a char
    EXPECT_FALSE(ComputePrintFigures(10, {800, 2, 10, 800, 600}).usable); // lower than a line
    EXPECT_FALSE(ComputePrintFigures(10, {0, 0, 10, 800, 600}).usable);   // no line height
    PrintPlan plan;
    EXPECT_FALSE(PlanPages(std::string_view("text"), {8, 2, 1000, 800, 600}, plan));
}

// Every page of a plan, each line as printed at its place: "y:text".
template <typename Char>
std::vector<std::vector<std::string>> PrintedPages(std::basic_string_view<Char> text,
                                                   const PrintPlan &plan)
{
    std::vector<std::vector<std::string>> pages;
    // The last page first: a copy goes back to any page from its start.
    for (int page = plan.figures.pageCount - 1; page >= 0; --page) {
        std::vector<std::string> lines;
        PageLines<Char> on(text, plan, page);
        for (PrintedLine l; on.Next(l);)
            lines.push_back(std::to_string(l.y) + ":" +
                            std::string(text.begin() + static_cast<long>(l.begin),
                                        text.begin() + static_cast<long>(l.begin + l.length)));
        pages.insert(pages.begin(), lines);
    }
    return pages;
}

TEST(PrintPlan, EachPageHoldsItsLinesAtTheirPlaces)
{
    // Pages of three 10-unit lines of four characters.
    const PrintMetrics small = {8, 2, 10, 40, 30};
    using Pages = std::vector<std::vector<std::string>>;
    struct Case {
        const char *text;
        Pages pages;
    } cases[] = {
        {"a\r\nb\r\nc\r\nd", {{"0:a", "10:b", "20:c"}, {"0:d"}}},
        {"a\r\nb\r\nc", {{"0:a", "10:b", "20:c"}}}, // no blank page after a full one
        {"a\r\nb\r\nc\r\n", {{"0:a", "10:b", "20:c"}, {"0:"}}},
        {"", {{"0:"}}},
        {"longer\r\n\r\nx", {{"0:long", "10:", "20:x"}}},
        {"1\n2\n3\n4\n5\n6\n7", {{"0:1", "10:2", "20:3"}, {"0:4", "10:5", "20:6"}, {"0:7"}}},
    };
    // The pane's text as bytes and as UTF-16 units is planned the same.
    for (const Case &c : cases) {
        const std::string_view text(c.text);
        const std::wstring wide(text.begin(), text.end());
        PrintPlan plan, widePlan;
        ASSERT_TRUE(PlanPages(text, small, plan)) << c.text;
        ASSERT_TRUE(PlanPages(std::wstring_view(wide), small, widePlan)) << c.text;
        EXPECT_EQ(plan.pageStarts.size(), c.pages.size()) << c.text;
        EXPECT_EQ(PrintedPages(text, plan), c.pages) << c.text;
        EXPECT_EQ(widePlan.pageStarts, plan.pageStarts) << c.text;
        EXPECT_EQ(PrintedPages(std::wstring_view(wide), widePlan), c.pages) << c.text;
    }
}

std::vector<int> Pages(int pageCount, int copies, bool collate)
{
    std::vector<int> pages;
    PageOrder order(pageCount, copies, collate);
    for (int page; order.Next(page);)
        pages.push_back(page);
    return pages;
}

TEST(PageOrder, CollatedAndUncollatedCopies)
{
    EXPECT_EQ(Pages(3, 2, true), (std::vector<int>{0, 1, 2, 0, 1, 2}));
    EXPECT_EQ(Pages(3, 2, false), (std::vector<int>{0, 0, 1, 1, 2, 2}));
    EXPECT_EQ(Pages(2, 1, true), (std::vector<int>{0, 1}));
    EXPECT_EQ(Pages(2, 0, false), (std::vector<int>{}));
    EXPECT_EQ(Pages(0, 3, true), (std::vector<int>{}));
}

TEST(PageOrder, AJobOfManyCopiesIsNotListedUpFront)
{
    // 30,000 pages in 65,535 copies would be a list of almost two billion
    // pages; the order hands them out one by one instead.
    PageOrder order(30000, 65535, false);
    int page = -1;
    for (int i = 0; i < 65535; ++i)
        ASSERT_TRUE(order.Next(page));
    EXPECT_EQ(page, 0);
    ASSERT_TRUE(order.Next(page));
    EXPECT_EQ(page, 1);
}

TEST(TextLines, LinesEndAsThePaneEndsThem)
{
    struct Case {
        const char *text;
        std::vector<std::string> lines;
    } cases[] = {
        {"", {""}},
        {"one", {"one"}},
        {"one\r\ntwo", {"one", "two"}},
        {"one\r\n", {"one", ""}},
        {"split\r\r\nnext", {"split", "next"}}, // a CR LF split between two reads
        {"a\rb\r\n", {"a\rb", ""}},             // a carriage return alone stays
        {"\r\n\r\n", {"", "", ""}},
    };
    // The pane's text as bytes and as UTF-16 units splits the same.
    for (const Case &c : cases) {
        const std::string_view text(c.text);
        const std::wstring wide(text.begin(), text.end());
        std::vector<std::string> lines, wideLines;
        size_t at = 0, wideAt = 0;
        for (size_t i = 0; i < CountLines(text); ++i) {
            const TextLine line = LineAt(text, at);
            lines.emplace_back(text.substr(line.begin, line.length));
            at = line.next;
            const TextLine w = LineAt(std::wstring_view(wide), wideAt);
            wideLines.emplace_back(wide.begin() + static_cast<long>(w.begin),
                                   wide.begin() + static_cast<long>(w.begin + w.length));
            wideAt = w.next;
        }
        EXPECT_EQ(lines, c.lines) << c.text;
        EXPECT_EQ(at, text.size()) << c.text;
        EXPECT_EQ(CountLines(std::wstring_view(wide)), CountLines(text)) << c.text;
        EXPECT_EQ(wideLines, c.lines) << c.text;
        EXPECT_EQ(wideAt, wide.size()) << c.text;
    }
}

TEST(TextLines, AWideLineIsCutInUtf16UnitsAndNeverInsideAPair)
{
    const std::wstring pair = L"\xD83D\xDE00"; // one character beyond the BMP
    struct Case {
        std::wstring line;
        size_t shown;
    } cases[] = {
        {std::wstring(100, L'\x0416'), 80}, // Cyrillic: 80 letters, not 80 bytes of UTF-8
        {std::wstring(79, L'x') + pair + L"yz", 79},
        {std::wstring(78, L'x') + pair + L"yz", 80},
        {L"\xD55C\xAD6D\xC5B4", 3}, // Korean, shorter than the page
        {L"", 0},
    };
    for (const Case &c : cases) {
        const std::wstring text = c.line + L"\r\nnext";
        const TextLine line = LineAt(std::wstring_view(text), 0);
        EXPECT_EQ(ShownLength(std::wstring_view(text), line, 80), c.shown) << c.line.size();
    }
    const std::string_view bytes = "abcdef";
    EXPECT_EQ(ShownLength(bytes, LineAt(bytes, 0), 4), 4u) << "bytes are cut where they stand";
}

} // namespace
