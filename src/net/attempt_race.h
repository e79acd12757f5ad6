// The order and pace of the connection attempts to a server that has
// several addresses (RFC 8305, "Happy Eyeballs"). Portable.
//
// The addresses are tried in the order the platform sorted them (RFC 6724),
// the two families taking turns from the first address's family on, so an
// unreachable family costs one head start and no more. The next attempt
// starts when every running one has failed, or beside them when the last one
// started has had its head start without connecting. The first to connect
// wins; the program closes the others.
#pragma once

#include <cstddef>
#include <vector>

// How long an attempt has to itself before the next one starts beside it.
enum { HEAD_START_MS = 250 };

class AttemptRace {
public:
    // `families`: each address's family, in the platform's order.
    explicit AttemptRace(const std::vector<int> &families);

    // The address to try now, as an index into `families`: -1 once every
    // one has been tried. Counts the attempt as running.
    int Next();
    // A running attempt has failed.
    void Failed();

    size_t Running() const { return running_; }
    bool Untried() const { return next_ < order_.size(); }
    // Every attempt has been tried and has failed.
    bool Lost() const { return running_ == 0 && !Untried(); }

private:
    std::vector<size_t> order_; // indexes into `families`, families taking turns
    size_t next_ = 0;
    size_t running_ = 0;
};
