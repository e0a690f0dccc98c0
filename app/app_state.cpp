#include "app/app_state.h"

namespace skarvel {

std::int32_t ProgramClock::tick(int hour, int minute, int second, int precision, Rand15& rand15) {
    std::int32_t clock = second * 100 + minute * 6000 + hour * 360000;
    // The sub-second counter grows by 10 a tick and restarts on the first tick of a new second.
    if (second != last_second_) {
        subsecond_ = 0;
        last_second_ = second;
    } else {
        subsecond_ += 10;
        if (subsecond_ > 90) subsecond_ = 90;  // a slow tick never spills into the next second
    }
    if (precision != 0) clock += subsecond_;
    if (precision == 2) clock += rand15.next() % 10;
    value_ = clock;
    return value_;
}

}  // namespace skarvel
