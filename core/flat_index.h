// A flat hash index from a non-zero 32-bit key (a card number, an id) to a value: one array of
// key/value pairs, open addressing with linear probing. Building it allocates nothing per
// entry, and a reset keeps the array, so an index rebuilt on every paint or filter reuses its
// memory; at full table capacity the array stays small enough for the cache.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace skarvel {

template <class V>
class FlatIndex {
  public:
    // Empties the index for up to `count` keys (the array is at least twice that).
    void reset(std::size_t count) {
        std::size_t size = 16;
        int shift = 28;
        while (size < 2 * count) {
            size *= 2;
            --shift;
        }
        shift_ = shift;
        if (slots_.size() != size) slots_.resize(size);
        for (Slot& s : slots_) s.key = 0;
        mask_ = size - 1;
        used_ = 0;
    }
    // Adds the key unless it is there already (the first value of a key wins). Key 0 is never
    // stored. False when the index is full (more keys than reset was given room for).
    bool insert_first(std::int32_t key, V value) {
        if (key == 0) return false;
        for (std::size_t i = home(key);; i = (i + 1) & mask_) {
            Slot& s = slots_[i];
            if (s.key == key) return true;
            if (s.key == 0) {
                if (used_ + 1 > mask_) return false;  // keep one empty slot for the search
                s.key = key;
                s.value = value;
                ++used_;
                return true;
            }
        }
    }
    // The value of the key, or nullptr.
    const V* find(std::int32_t key) const {
        if (key == 0 || slots_.empty()) return nullptr;
        for (std::size_t i = home(key);; i = (i + 1) & mask_) {
            const Slot& s = slots_[i];
            if (s.key == key) return &s.value;
            if (s.key == 0) return nullptr;
        }
    }
    std::size_t size() const { return used_; }
    // Asks the processor to fetch the key's home slot: a walk that knows its next keys a few
    // steps ahead keeps several lookups in flight instead of waiting on each in turn.
    void prefetch(std::int32_t key) const {
        if (!slots_.empty()) __builtin_prefetch(&slots_[home(key)]);
    }

  private:
    struct Slot {
        std::int32_t key = 0;
        V value{};
    };
    std::size_t home(std::int32_t key) const {
        // Fibonacci hashing (the top bits of the product): neighbouring keys land far apart.
        return (static_cast<std::uint32_t>(key) * 0x9E3779B1u) >> shift_;
    }
    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
    std::size_t used_ = 0;
    int shift_ = 28;
};

}  // namespace skarvel
