// Marked-route penalties (by hand, for everybody, from the punches at a penalty control) and
// two corrections of stored card readouts: shifting one control's times and deleting one
// control's punches. Each leaves the results recomputed (finish_data_changed).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/competition.h"

namespace skarvel {

constexpr int kPenaltyMax = 999;

// Every runner's penalty := value (0 or 60 from the menu).
void set_all_penalties(Competition& c, int value);

// Penalty from the card readouts: every runner 60, then each runner with a read card gets the
// number of punches at `control` more than `min_interval_s` seconds after the punch before
// (a repeated punch within the interval counts once). Returns the runners given a count.
int penalties_from_readouts(Competition& c, int control, int min_interval_s);

// One runner's penalty by start number, as the entry dialog does it.
enum class PenaltyEntry { kSet, kSetNoFinishLine, kNoRunner };
PenaltyEntry enter_penalty(Competition& c, int start_number, int penalty);

// A signed shift "[-]HH:MM:SS" (also "[-]H:MM", "[-]M"): nullopt when it is not a time.
std::optional<std::int32_t> parse_time_shift(std::string_view text);

// Adds `shift` to the time of every punch at `control` in the readouts (up to the first empty
// slot), then unrolls every readout's times against the 12-hour roll-over from
// `competition_start` again. Returns the punches shifted.
int shift_control_times(Competition& c, int control, std::int32_t shift);

// Removes every punch at `control` from the readouts (up to the first empty slot); the later
// punches move up. Returns the punches removed.
int remove_control_punches(Competition& c, int control);

}  // namespace skarvel
