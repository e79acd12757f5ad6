#include "sample_answer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

const char *const kWords[] = {
    "Login:", "alice", "Name:", "Alice", "Marsh", "Directory:", "/home/alice",
    "Shell:", "/bin/bash", "On", "since", "Mon", "Dec", "7", "07:35", "(UTC)",
    "on", "pts/3", "from", "10.1.4.22", "idle", "2", "minutes", "12", "seconds",
    "Mail", "last", "read", "Sat", "No", "Plan.", "Project:", "nightly",
    "maintenance", "window", "tonight", "Domain", "Name:", "EXAMPLE.ORG",
    "Registrar:", "Updated", "Date:", "2024-12-07T07:35:00Z", "Status:",
    "clientTransferProhibited", "Name", "Server:", "NS1.EXAMPLE.NET", "DNSSEC:",
    "unsigned", "the", "and", "of", "to", "in", "for", "is", "with", "tty1",
    "Office:", "B-214,", "x4417", "Never", "logged", "in."};
const size_t kWordCount = sizeof kWords / sizeof kWords[0];

// The same numbers from the same seed on every machine.
class Random {
public:
    explicit Random(uint32_t seed) : state_(seed) {}
    uint32_t operator()()
    {
        state_ = state_ * 1664525u + 1013904223u;
        return state_ >> 8;
    }

private:
    uint32_t state_;
};

} // namespace

std::string MakeAnswer(size_t size, uint32_t seed)
{
    Random next(seed);
    std::string answer;
    answer.reserve(size + 128);
    std::string line;
    while (answer.size() < size) {
        const size_t length = 40 + next() % 31;
        line.clear();
        if (next() % 4 == 0)
            line += '\t';
        while (line.size() < length) {
            line += kWords[next() % kWordCount];
            line += next() % 9 == 0 ? '\t' : ' ';
        }
        line.resize(length);
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        line += '\n';
        answer += line;
    }
    answer.resize(size);
    if (size > 0)
        answer.back() = '\n';
    return answer;
}

std::string MakeOneLineAnswer(size_t size, uint32_t seed)
{
    Random next(seed);
    std::string answer;
    answer.reserve(size + 64);
    while (answer.size() < size) {
        answer += kWords[next() % kWordCount];
        answer += ' ';
    }
    answer.resize(size);
    return answer;
}

std::string SizeName(size_t bytes)
{
    char text[32];
    if (bytes >= 1024 * 1024 && bytes % (1024 * 1024) == 0)
        std::snprintf(text, sizeof text, "%lu MB", static_cast<unsigned long>(bytes >> 20));
    else if (bytes >= 1024 && bytes % 1024 == 0)
        std::snprintf(text, sizeof text, "%lu KB", static_cast<unsigned long>(bytes >> 10));
    else
        std::snprintf(text, sizeof text, "%lu B", static_cast<unsigned long>(bytes));
    return text;
}

size_t ParseSize(const std::string &text)
{
    char *end = nullptr;
    const unsigned long n = std::strtoul(text.c_str(), &end, 10);
    if (end == text.c_str())
        return 0;
    const std::string unit(end);
    if (unit.empty())
        return n;
    if (unit == "k" || unit == "K")
        return static_cast<size_t>(n) * 1024;
    if (unit == "m" || unit == "M")
        return static_cast<size_t>(n) * 1024 * 1024;
    return 0;
}

std::vector<size_t> ParseSizeList(const std::string &text)
{
    std::vector<size_t> sizes;
    size_t at = 0;
    while (at <= text.size()) {
        const size_t comma = std::min(text.find(',', at), text.size());
        const size_t size = ParseSize(text.substr(at, comma - at));
        if (size == 0)
            return {};
        sizes.push_back(size);
        at = comma + 1;
    }
    return sizes;
}
