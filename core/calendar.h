// Calendar time from a std::time_t, the same on every platform (the C library's re-entrant
// forms are named differently on Windows).
#pragma once

#include <ctime>

namespace skarvel {

inline std::tm local_calendar(std::time_t t) {
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
    return tm;
}

inline std::tm utc_calendar(std::time_t t) {
    std::tm tm{};
#ifdef _WIN32
    gmtime_s(&tm, &t);
#else
    gmtime_r(&t, &tm);
#endif
    return tm;
}

}  // namespace skarvel
