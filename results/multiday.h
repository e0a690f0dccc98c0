// Multi-day events: one competition file per day. The day file carries each numbered runner's
// result of the day ("%d HH:MM:SS,hh" lines, Windows-1251, CR LF); the file of a later day
// reads it back into the runners' day results.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/competition.h"
#include "results/report_output.h"

namespace skarvel {

constexpr int kMultiDayCount = 10;
// Day values: no result or did not start, and removed from the race.
constexpr std::int32_t kDayNoResult = 9000000;
constexpr std::int32_t kDayRemoved = 8640000;
// A day file longer than this is refused (a full table of numbered runners is far below).
constexpr std::size_t kMaxDayFileBytes = 4u << 20;
// Characters of a day file line, without its end.
constexpr std::size_t kMaxDayFileLine = 99;

// A day value as "%02d:%02d:%02d,%02d" (hours are not wrapped: 25:00:00,00).
std::string day_value_text(std::int32_t value);

// The day value of a runner from the day's result and status.
std::int32_t day_value(const Runner& r);

// Recomputes the finish results and returns the day file: one line per runner with a start
// number, in table order.
std::string day_file_text(Competition& c);

// The menu command: asks where to save, writes the day file. False on cancel or failure (the
// failure message shown).
bool save_day_file(Competition& c, ReportEnv& env);

struct DayFileLine {
    int number = 0;
    std::int32_t value = 0;
};

// Reads the lines of a day file; blank lines are skipped. A file that is too long, has a line
// over 99 characters, a NUL byte, or a line that does not start with a number followed by a
// word is refused whole (false).
bool parse_day_file(std::string_view text, std::vector<DayFileLine>& lines);

// Puts the lines into day `day` (0..9): every numbered runner first gets kDayNoResult, then
// every runner with a line's number gets its value (a later line for the same number
// wins). Returns the number of lines that named a runner.
int apply_day_file(Competition& c, int day, const std::vector<DayFileLine>& lines);

// Reads the day file at `path` into day `day` (0..9). False, and nothing changed, when it
// cannot be read or is refused; `why` then holds the message (Windows-1251).
bool read_day_file(Competition& c, int day, const std::string& path, std::string* why,
                   int* lines_matched = nullptr);

// The menu command after the day has been chosen: open dialog, read, message on failure.
bool read_day_file(Competition& c, int day, Prompts& prompts);

}  // namespace skarvel

namespace skarvel {

// The multi-day protocol (first form): the selected days (bit j for day j + 1) are added into
// every numbered runner's `multiday_total`, the runners ranked per class (class id, then
// total) and printed with their day results, total and place. `handicap` gets the handicap
// start file: each complete runner's gap to the class leader, "23:59:59.99" for the others.
struct MultiDayProtocol {
    std::string html;
    std::string handicap;
    int runners = 0;
};
// With `places` the second form: classes in table order, each day with the runner's place in
// the class, the total with the sum of the places; runners missing a day get no handicap line.
MultiDayProtocol multiday_protocol_text(Competition& c, unsigned days, bool places = false);

// The days the protocol dialog keeps in the competition (`multiday_days`, a flag a day) as a
// mask, bit j for day j + 1, and back.
unsigned stored_multiday_days(const CompetitionInfo& info);
void store_multiday_days(CompetitionInfo& info, unsigned days);

// The menu command after the dialog: asks for the HTML file (and the handicap file when
// `handicap`), writes them and opens the HTML file. False on cancel, no runners or failure.
bool multiday_protocol(Competition& c, ReportEnv& env, unsigned days, bool handicap,
                       bool places = false);

}  // namespace skarvel

namespace skarvel {

// The summary table: for each club with runners (with `only_marked` marked runners), its count
// and its runners per class; only classes with such runners are columns.
std::string summary_table_text(Competition& c, bool only_marked);
// The menu command after the dialog: save dialog, write, open. False on cancel or failure.
bool summary_table(Competition& c, ReportEnv& env, bool only_marked);

}  // namespace skarvel
