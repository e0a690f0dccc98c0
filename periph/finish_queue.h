// The datagrams the finish server has received and not yet stored (they wait while a dialog
// holds the tables). The wait is bounded, so a flood of datagrams cannot take the memory: a
// datagram identical in start number, time and status to one already waiting is an exact
// repeat and goes at once (storing it would add nothing), a malformed one too (it would be
// dropped anyway); beyond `capacity` distinct datagrams the new ones are dropped and counted,
// and the window says so.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <unordered_set>
#include <vector>

#include "core/record_tables.h"

namespace skarvel {

class FinishQueue {
  public:
    // The whole finish table's worth: more distinct lines than that could never be stored.
    explicit FinishQueue(std::size_t capacity = kFinishLineCapacity) : capacity_(capacity) {}

    enum class Push { kQueued, kRepeat, kMalformed, kFull };
    Push push(std::span<const std::uint8_t> bytes);
    // What waits, in arrival order; the queue is empty afterwards.
    std::vector<std::vector<std::uint8_t>> take();
    std::size_t size() const { return items_.size(); }

    struct Counts {
        std::int64_t repeats = 0;    // exact repeats of a waiting datagram
        std::int64_t malformed = 0;  // not a finish datagram
        std::int64_t overflow = 0;   // dropped because too many waited
    };
    const Counts& counts() const { return counts_; }
    void reset_counts() { counts_ = {}; }

  private:
    std::size_t capacity_;
    std::vector<std::vector<std::uint8_t>> items_;
    std::unordered_set<std::uint64_t> keys_;  // number, time word and status of what waits
    Counts counts_;
};

}  // namespace skarvel
