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

std::vector<int> PageOrder(int pageCount, int copies, bool collate)
{
    std::vector<int> order;
    const int outer = collate ? copies : 1;
    const int inner = collate ? 1 : copies;
    for (int o = 0; o < outer; ++o)
        for (int p = 0; p < pageCount; ++p)
            for (int i = 0; i < inner; ++i)
                order.push_back(p);
    return order;
}
