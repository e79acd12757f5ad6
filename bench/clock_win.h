// Time and platform for the benchmarks' figures.
#pragma once

#include <string>

// Seconds from the performance counter; only differences mean anything.
double Now();

// "Wine 8.0", or "Windows" when not under Wine.
std::string WineVersion();

