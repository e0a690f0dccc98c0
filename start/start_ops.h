// Start numbers, start times, the draw and the smaller bulk operations on runners. Each
// command's dialog gathers an options struct; these functions do the work. "Current" runners
// are the leading slots of the runner table up to the first empty slot (the ones on show);
// "all" runners are every non-empty slot, the parked ones behind the gap included.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/competition.h"
#include "core/prompts.h"
#include "core/rand15.h"

namespace skarvel {

// Start numbers that have a number_index entry.
constexpr int kFirstUsableNumber = 1;
constexpr int kLastUsableNumber = 29999;

// Settings of the start commands that live only while the program runs (kept in the
// application's state object, not in the competition).
struct StartSession {
    int group_size = 1;               // runners per start time (F5)
    std::int32_t shift_interval = 0;  // start-time shift
    bool shift_subtract = false;      // "Отнять"
    int renumber_old = 0;             // renumbering dialog
    int renumber_new = 0;
    bool relay_first_leg_times = false;  // relay start protocol
};

// The runners of slots 0 .. first empty slot, in table order.
std::vector<Runner*> current_runners(const Competition& c);
// Every non-empty slot, in slot order.
std::vector<Runner*> all_runners(const Competition& c);

// --- F4: number assignment -------------------------------------------------------------

struct NumberingOptions {
    int first = 0;  // 0..29999
    int step = 0;   // as typed; applied in 16-bit arithmetic, so -1 counts down
};

// Declined: finish lines would follow the new numbers and the user said no.
enum class NumberingResult { Done, NoRunners, OutOfRange, Declined };

// Finish lines name runners by start number, so renumbering moves them to whoever gets the
// number. `changes` lists runners with their new numbers; when finish lines carry numbers
// that change, the user is told how many lines follow the new numbers and asked. True when
// nothing moves or the user agrees.
bool confirm_finish_lines_follow(const Competition& c,
                                 const std::vector<std::pair<const Runner*, int>>& changes,
                                 Prompts& prompts);

// The number of every current runner would be first, first+step, ...; a sequence that leaves
// 1..29999 is refused (nothing is numbered, a message says why). A first number 0 with step
// 0 clears the numbers. The dialog values are stored in numbering_first / numbering_step
// either way; after a run numbering_first proposes the number the next runner would get.
NumberingResult assign_numbers(Competition& c, const NumberingOptions& o, Prompts& prompts);

// --- F5: start-time assignment ---------------------------------------------------------

struct StartTimeOptions {
    std::int32_t first = 0;  // centiseconds
    std::int32_t step = 0;
    int group_size = 1;  // 1..1000 runners per start time
};
// Parses the two time texts of the dialog.
StartTimeOptions start_time_options_from_text(std::string_view first, std::string_view step,
                                              int group_size);
void assign_start_times(Competition& c, const StartTimeOptions& o);

// --- the draw --------------------------------------------------------------------------

struct DrawOptions {
    int subset = 0;  // "Кого жеребить"; only "the current runners" is offered
    bool by_heat = false;
    bool by_club = false;
};
// Puts the current runners in random order (by heat first when asked), then keeps runners of
// one club apart where it can. Returns false when clubs could not be kept apart (the message
// has been shown; the order stays).
bool draw_start_order(Competition& c, const DrawOptions& o, Rand15& rand15, Prompts& prompts);
// The two club passes over an already drawn order; true when no neighbours share a club.
bool spread_clubs(std::vector<Runner*>& order);

// --- start-time shift and truncation ---------------------------------------------------

struct ShiftOptions {
    std::int32_t interval = 0;
    bool subtract = false;
};
void shift_start_times(Competition& c, const ShiftOptions& o);
// Asks first; cuts the current runners' start times to whole minutes. False on No.
bool truncate_start_seconds(Competition& c, Prompts& prompts);

// --- whole-table operations ------------------------------------------------------------

// Asks first; every runner's start time becomes its recomputed result.
bool copy_result_to_start(Competition& c, Prompts& prompts);

struct HeatRangeOptions {
    int from = 0;  // 0..29999
    int to = 0;    // 0..29999
    int heat = 0;  // 0..100
};
// Returns how many runners (current or parked) got the heat.
int assign_heat_by_numbers(Competition& c, const HeatRangeOptions& o);

struct RenumberOptions {
    int old_number = 0;  // 0..29999
    int new_number = 0;  // 0..29999
};
// The name of the runner holding `number`, or empty when none (the renumbering dialog's
// read-only line).
std::string runner_name_for_number(const Competition& c, int number);
// Gives the runner holding old_number the new number; false (with the message) when none.
bool change_start_number(Competition& c, const RenumberOptions& o, Prompts& prompts);

// Asks, counts numbers over all runners and, when asked to, lists only the runners whose
// numbers occur more than once. Returns true when the table was rearranged.
bool check_duplicate_numbers(Competition& c, Prompts& prompts);

// Card number to start number, cut to four and then (when confirmed) three digits.
bool card_number_to_start_number(Competition& c, Prompts& prompts);

struct BulkOptions {
    std::int16_t class_id = 0;  // 0 = do not change
    std::int16_t club_id = 0;
    int heat = 0;  // 0..100, 0 = do not change
    bool clear_mark = false;
};
// Applies the choices to every marked runner; returns how many were changed.
int apply_to_marked(Competition& c, const BulkOptions& o);

// F4 on the finish table: cycles the status of the runner named by the finish line in `slot`
// (0 -> 1, 1..6 -> 7, 7 -> 8, 8 -> 0). False when the line names no runner.
bool cycle_finish_status(Competition& c, int finish_slot);
int next_status_on_f4(int status);

// Rearranges the runner table: `current` fill the leading slots in order, `parked` fill the
// trailing slots from the last one backwards. Both lists together must hold every runner.
void arrange_runners(Competition& c, const std::vector<Runner*>& current,
                     const std::vector<Runner*>& parked);

}  // namespace skarvel
