// One line of the benchmarks' common table. Every benchmark (and bench/run
// itself) prints its figures as such lines; bench/table.awk lays them all
// out as one table, with each figure's ratio to its reference.
#pragma once

#include <string>

struct ResultRow {
    std::string part;       // which part of the table: "ingest", "growth", ...
    std::string measure;    // what was measured, in words
    double figure = 0;
    std::string unit;       // of the figure and of its reference: "ms", "MB", "ms/MB"
    std::string reference;  // what the figure is compared with, in words
    double referenceFigure = 0;
    std::string target;     // "" when the figure has none
    std::string status;     // "met", "not met", or "" without a target
};

// Prints the row as one tab-separated line that starts with "row". Tabs and
// line ends inside the texts become blanks.
void PrintResultRow(const ResultRow &row);

// "met" or "not met".
const char *TargetStatus(bool met);
