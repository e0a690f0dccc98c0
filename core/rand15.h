// The program's one random source: a linear congruential generator that starts at state 1
// and is never reseeded, so a draw can be repeated from a known state.
#pragma once

#include <cstdint>

namespace skarvel {

class Rand15 {
  public:
    int next() {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFF);
    }
    std::uint32_t state() const { return state_; }
    void set_state(std::uint32_t s) { state_ = s; }

  private:
    std::uint32_t state_ = 1;
};

}  // namespace skarvel
