#include "result_row.h"

#include <cstdio>

namespace {

std::string Field(std::string text)
{
    for (char &c : text)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    return text;
}

} // namespace

void PrintResultRow(const ResultRow &row)
{
    std::printf("row\t%s\t%s\t%.4f\t%s\t%s\t%.4f\t%s\t%s\n", Field(row.part).c_str(),
                Field(row.measure).c_str(), row.figure, Field(row.unit).c_str(),
                Field(row.reference).c_str(), row.referenceFigure, Field(row.target).c_str(),
                Field(row.status).c_str());
    std::fflush(stdout);
}

const char *TargetStatus(bool met)
{
    return met ? "met" : "not met";
}
