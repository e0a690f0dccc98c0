#include "periph/finish_queue.h"

#include "periph/finish_exchange.h"

namespace skarvel {

FinishQueue::Push FinishQueue::push(std::span<const std::uint8_t> bytes) {
    std::optional<FinishDatagramValues> v = decode_finish_datagram(bytes);
    if (!v) {
        ++counts_.malformed;
        return Push::kMalformed;
    }
    std::uint64_t key = (std::uint64_t(v->number) << 40) |
                        (std::uint64_t(std::uint32_t(v->time_word)) << 8) |
                        std::uint64_t(std::uint8_t(v->status));
    if (keys_.contains(key)) {
        ++counts_.repeats;
        return Push::kRepeat;
    }
    if (items_.size() >= capacity_) {
        ++counts_.overflow;
        return Push::kFull;
    }
    keys_.insert(key);
    items_.emplace_back(bytes.begin(), bytes.end());
    return Push::kQueued;
}

std::vector<std::vector<std::uint8_t>> FinishQueue::take() {
    std::vector<std::vector<std::uint8_t>> out;
    out.swap(items_);
    keys_.clear();
    return out;
}

}  // namespace skarvel
