// The answers the benchmarks serve, and how sizes are written on their
// command lines. Portable: the Windows benchmarks and the loopback WhoIs
// server that runs natively beside them make the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Text that reads like what Finger and WhoIs servers send: lines of 40 to 70
// characters ending in LF, some of them indented or spaced with tabs; plain
// ASCII. The same size and seed give the same bytes on every run and machine.
std::string MakeAnswer(size_t size, uint32_t seed);

// The same words on one line without end: spaces between them, no tab and
// no line break at all.
std::string MakeOneLineAnswer(size_t size, uint32_t seed);

// A registry's WhoIs records as they come today, for Unicode text: mostly
// ASCII labels and fields, with the contacts' names, organisations, streets
// and cities in Turkish, Russian, Korean or German, in UTF-8; one German
// contact in three as an older server sends it, in Latin-1 with a
// Windows-1252 euro sign, bytes that are not UTF-8. Lines end in LF, the
// remarks indented with a tab; no CR, so where the answer is cut into reads
// changes nothing of its text. Whole lines up to `size` (the last one padded
// with '%' to fit), so no character is cut at the end.
std::string MakeUnicodeAnswer(size_t size, uint32_t seed);

// "16 KB", "1 MB", "300 B": a size as the tables show it.
std::string SizeName(size_t bytes);

// "16k", "100K", "1m", "4096": a size in bytes, or 0 when it does not read.
size_t ParseSize(const std::string &text);

// "16k,1m": the sizes in order; empty when any of them does not read.
std::vector<size_t> ParseSizeList(const std::string &text);

// The seed of the answers that the loopback WhoIs server gives.
const uint32_t kWhoisAnswerSeed = 0x5eed0043u;

// An answer of the loopback WhoIs server, as a query or a benchmark's command
// line names it: "1m" is MakeAnswer's 1 MB, "u1m" MakeUnicodeAnswer's.
struct ServedAnswer {
    size_t size = 0; // 0: the text names no answer
    bool unicode = false;
};
ServedAnswer ParseServedAnswer(const std::string &text);
// Its bytes, from kWhoisAnswerSeed.
std::string MakeServedAnswer(const ServedAnswer &answer);
