// Times are signed 32-bit counts of centiseconds; a time of day counts from midnight.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace skarvel {

constexpr std::int32_t kCentisPerMinute = 6000;
constexpr std::int32_t kCentisPerHour = 360000;
constexpr std::int32_t kTwelveHours = 4320000;
constexpr std::int32_t kDay = 8640000;
// The largest time format_time_text writes as it is ("46:36:12,15"): it shows the low 24 bits.
constexpr std::int32_t kTimeTextMax = 0xFFFFFF;

// "12:25:31" -> 4473100, "1:05" -> 390000 (hours:minutes), "90" -> 540000 (minutes),
// "00:00:10,5" -> 1005 (digits after the comma are centiseconds as written).
std::int32_t parse_time_text(std::string_view text);
// The same before it is cut to 32 bits (never negative), for a reader that refuses a time
// its field cannot hold instead of wrapping it.
std::int64_t parse_time_text_wide(std::string_view text);

// Only the low 24 bits of the time are shown. Precision 0: "HH:MM:SS", 1: "HH:MM:SS,t",
// 2: "HH:MM:SS,hh".
std::string format_time_text(std::int32_t time, int precision);

}  // namespace skarvel
