// The one call after anything that changes what results are made of.
//
// Results, places and the finish table's figures are derived from the finish lines, the
// runners' start numbers, start times, statuses, penalties and classes. Every operation that
// changes any of these (a card read, a clock click, a typed number, an import, a rebuild, an
// editor's OK, a deletion or undo, renumbering, start times, shifts, statuses, a finish line
// received from the network or a radio control, ...) ends with finish_data_changed, on the
// thread that made the change. Drawing never computes anything that is saved: the list view,
// the live board and the display pages only read what this call left.
#pragma once

#include <cstdint>
#include <vector>

#include "core/competition.h"

namespace skarvel {

// Rebuilds number_index, recomputes every runner's finish_time and result from the finish
// lines (recompute_finish_results, which also recounts finish_count_by_number), and writes
// every runner's `place` as the finish table shows it (assign_finish_places).
void finish_data_changed(Competition& c);

// The leg of a relay start number: its thousands, else its hundreds (205 and 2005 are leg 2).
int leg_of_number(int n);

// True when the runner's result is a time that can be ranked: no status and a finish after
// the start. A finish before the start (a negative result) is an error, never a best time.
bool result_is_time(const Runner& r);

// The place of each runner with a finish line, by the rule of the finish table: 1 + the
// number of runners of the same class, in competition, without status and with a finish
// time, that are better:
// - relay: on the same leg (leg_of_number), with an earlier finish clock time;
// - handicap start (kind 3): with the same number of finish lines and an earlier finish
//   clock time (who crosses the line first is ahead);
// - otherwise: with the same number of finish lines and a smaller result.
// A runner without a finish time, or whose finish is before his start, gets place 0 and is
// never counted as better than anyone. Runners without a finish line get place 0. Needs
// fresh results (finish_data_changed calls it after the recomputation).
void assign_finish_places(Competition& c);

// The same place of one runner, counted directly (one walk over the runners); needs fresh
// results. For a single lookup; the places of a whole list are already in `place`.
int finish_place_of(const Competition& c, const Runner& r);
// finish_place_of of several runners in one walk over the runners (0 for a null entry).
std::vector<int> finish_places_of(const Competition& c, const std::vector<const Runner*>& runners);

}  // namespace skarvel
