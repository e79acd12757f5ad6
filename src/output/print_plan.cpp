#include "output/print_plan.h"

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

TextLine LineAt(std::string_view text, size_t from)
{
    if (from >= text.size())
        return {text.size(), 0, text.size()};
    const size_t feed = text.find('\n', from);
    if (feed == std::string_view::npos)
        return {from, text.size() - from, text.size()};
    size_t end = feed;
    for (int returns = 0; returns < 2 && end > from && text[end - 1] == '\r'; ++returns)
        --end;
    return {from, end - from, feed + 1};
}

size_t CountLines(std::string_view text)
{
    size_t lines = 1;
    for (char c : text)
        lines += c == '\n';
    return lines;
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
