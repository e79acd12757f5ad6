#include "net/attempt_race.h"

AttemptRace::AttemptRace(const std::vector<int> &families)
{
    // The first address's family, then the other, each in its own order.
    std::vector<size_t> first, other;
    for (size_t i = 0; i < families.size(); ++i)
        (families[i] == families[0] ? first : other).push_back(i);
    for (size_t i = 0; i < first.size() || i < other.size(); ++i) {
        if (i < first.size())
            order_.push_back(first[i]);
        if (i < other.size())
            order_.push_back(other[i]);
    }
}

int AttemptRace::Next()
{
    if (!Untried())
        return -1;
    ++running_;
    return static_cast<int>(order_[next_++]);
}

void AttemptRace::Failed()
{
    if (running_ > 0)
        --running_;
}
