#include "output/print_plan.h"

#include <new>

PrintFigures ComputePrintFigures(int lineCount, const PrintMetrics &m)
{
    PrintFigures f = {};
    f.lineHeight = m.textHeight + m.externalLeading;
    if (f.lineHeight <= 0 || m.averageCharWidth <= 0)
        return f;
    f.charsPerLine = m.horizontalRes / m.averageCharWidth;
    f.linesPerPage = m.verticalRes / f.lineHeight;
    if (f.charsPerLine < 1 || f.linesPerPage < 1)
        return f;
    f.pageCount = static_cast<int>((static_cast<long long>(lineCount) + f.linesPerPage - 1) /
                                   f.linesPerPage);
    f.usable = true;
    return f;
}

namespace {

template <typename Char>
TextLine LineIn(std::basic_string_view<Char> text, size_t from)
{
    if (from >= text.size())
        return {text.size(), 0, text.size()};
    const size_t feed = text.find(Char('\n'), from);
    if (feed == std::basic_string_view<Char>::npos)
        return {from, text.size() - from, text.size()};
    size_t end = feed;
    for (int returns = 0; returns < 2 && end > from && text[end - 1] == Char('\r'); ++returns)
        --end;
    return {from, end - from, feed + 1};
}

template <typename Char> size_t LinesIn(std::basic_string_view<Char> text)
{
    size_t lines = 1;
    for (Char c : text)
        lines += c == Char('\n');
    return lines;
}

size_t Cut(const TextLine &line, int charsPerLine)
{
    const size_t limit = charsPerLine > 0 ? static_cast<size_t>(charsPerLine) : 0;
    return line.length < limit ? line.length : limit;
}

template <typename Char>
bool PlanPagesOf(std::basic_string_view<Char> text, const PrintMetrics &metrics, PrintPlan &plan)
{
    const size_t lines = CountLines(text);
    plan.lineCount = lines > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(lines);
    plan.figures = ComputePrintFigures(plan.lineCount, metrics);
    if (!plan.figures.usable)
        return false;
    try {
        plan.pageStarts.resize(static_cast<size_t>(plan.figures.pageCount));
    } catch (const std::bad_alloc &) {
        return false;
    }
    size_t at = 0;
    for (size_t &start : plan.pageStarts) {
        start = at;
        for (int l = 0; l < plan.figures.linesPerPage && at < text.size(); ++l)
            at = LineAt(text, at).next;
    }
    return true;
}

} // namespace

bool PlanPages(std::string_view text, const PrintMetrics &metrics, PrintPlan &plan)
{
    return PlanPagesOf(text, metrics, plan);
}

bool PlanPages(std::wstring_view text, const PrintMetrics &metrics, PrintPlan &plan)
{
    return PlanPagesOf(text, metrics, plan);
}

template <typename Char>
PageLines<Char>::PageLines(std::basic_string_view<Char> text, const PrintPlan &plan, int page)
    : text_(text), figures_(plan.figures), from_(plan.pageStarts[static_cast<size_t>(page)])
{
    // The last page holds what is left of the text's lines.
    const long long first = static_cast<long long>(page) * figures_.linesPerPage;
    const long long left = plan.lineCount - first;
    rows_ = left < figures_.linesPerPage ? static_cast<int>(left) : figures_.linesPerPage;
}

template <typename Char> bool PageLines<Char>::Next(PrintedLine &line)
{
    if (row_ >= rows_)
        return false;
    const TextLine t = LineAt(text_, from_);
    line = {row_ * figures_.lineHeight, t.begin, ShownLength(text_, t, figures_.charsPerLine)};
    from_ = t.next;
    ++row_;
    return true;
}

template class PageLines<char>;
template class PageLines<wchar_t>;

TextLine LineAt(std::string_view text, size_t from) { return LineIn(text, from); }
TextLine LineAt(std::wstring_view text, size_t from) { return LineIn(text, from); }

size_t CountLines(std::string_view text) { return LinesIn(text); }
size_t CountLines(std::wstring_view text) { return LinesIn(text); }

size_t ShownLength(std::string_view, const TextLine &line, int charsPerLine)
{
    return Cut(line, charsPerLine);
}

size_t ShownLength(std::wstring_view text, const TextLine &line, int charsPerLine)
{
    const size_t shown = Cut(line, charsPerLine);
    // A cut between the two halves of a surrogate pair would print half a
    // character: the pair goes whole to the next line's room, off the page.
    if (shown > 0 && shown < line.length) {
        const unsigned unit = static_cast<unsigned>(text[line.begin + shown - 1]);
        if (unit >= 0xD800 && unit <= 0xDBFF)
            return shown - 1;
    }
    return shown;
}

PageOrder::PageOrder(int pageCount, int copies, bool collate)
    : pageCount_(pageCount), copies_(copies), collate_(collate)
{
}

bool PageOrder::Next(int &page)
{
    if (pageCount_ <= 0 || copies_ <= 0 || page_ >= pageCount_ || copy_ >= copies_)
        return false;
    page = page_;
    // Collated: every page of one copy, then the next copy. Uncollated: every
    // copy of one page, then the next page.
    int &inner = collate_ ? page_ : copy_;
    int &outer = collate_ ? copy_ : page_;
    const int innerEnd = collate_ ? pageCount_ : copies_;
    if (++inner == innerEnd) {
        inner = 0;
        ++outer;
    }
    return true;
}
