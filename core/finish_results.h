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
// every runner's `place` as the finish table shows it (assign_finish_places). The indexes of
// core/live_indexes.h built before are stale from here on.
void finish_data_changed(Competition& c);

// Brings results and places up to date after a change that concerns one runner only: the
// card reader's. It works out again only that runner's finish time and result and the places
// of his groups, and gives exactly what finish_data_changed would give. Made before the
// change, for the runner who holds `start_number` (number_index); the change may set that
// runner's start time, status, penalty or class, and append finish lines for the number after
// every line in use (line_appended for each). commit() applies it; when the tables changed in
// any other way meanwhile (or the places were not current when it began), commit() runs
// finish_data_changed instead.
class RunnerUpdate {
  public:
    RunnerUpdate(Competition& c, int start_number);
    // A finish line for the number was appended after every line in use, with this time.
    void line_appended(std::int32_t time);
    // Something beyond this one runner changed (a runner or class made, a card number
    // given): commit() recomputes everything.
    void touch_everything() { everything_ = true; }
    void commit();

  private:
    Competition& c_;
    int number_;
    Runner* runner_;
    PlaceEntry place_before_;
    bool placed_before_ = false;  // had a place entry
    LapEntry lap_before_;
    bool lapped_before_ = false;
    bool places_fresh_, laps_fresh_;
    std::uint64_t place_builds_, lap_builds_;
    std::uint64_t generation_, runners_revision_;
    int lines_ = 0;
    std::int32_t last_time_ = 0;
    bool everything_ = false;
};

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

// A runner's entry among the places, and among the class-and-laps groups (core/live_indexes.h);
// false when he has none.
bool place_entry_of(const Competition& c, Runner& r, PlaceEntry& out);
bool lap_entry_of(const Competition& c, Runner& r, LapEntry& out);
bool place_entry_less(const PlaceEntry& a, const PlaceEntry& b);
bool lap_entry_less(const LapEntry& a, const LapEntry& b);

// The group of a class and a number of finish lines, from the kept lap groups: how many
// runners have that many lines (each runner that number_index gives for a start number), the
// best result of those who may lead on the display page (in competition, a finish time and a
// result) and of those who may lead in the finish table (a time without status).
struct LapFigures {
    int finishers = 0;
    bool has_leader = false;
    std::int32_t leader = 0;
    bool has_ranked_leader = false;
    std::int32_t ranked_leader = 0;
};
LapFigures lap_figures(const Competition& c, std::int32_t class_id, int laps);

// How far a placed runner is behind the runner placed first in his group, by the value the
// places are counted by (result, or finish clock time for relays and the handicap start), so
// places and gaps agree; 0 for a runner without a place. Reads the kept places: they must be
// current (finish_data_changed).
std::int32_t finish_gap_of(Competition& c, const Runner& r);

// The same place of one runner, counted directly (one walk over the runners); needs fresh
// results. For a single lookup; the places of a whole list are already in `place`.
int finish_place_of(const Competition& c, const Runner& r);
// finish_place_of of several runners in one walk over the runners (0 for a null entry).
std::vector<int> finish_places_of(const Competition& c, const std::vector<const Runner*>& runners);

}  // namespace skarvel
