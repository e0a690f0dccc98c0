// Ranked results: which runners stand in the list of a class or course, in which order, with
// which place, time behind, rank fulfilment and points, and the split tables. Pure computation
// over the competition; every report, the list view and the display pages rank through here.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/competition.h"
#include "core/finish_results.h"

namespace skarvel {

constexpr int kMaxResultList = 30000;
constexpr int kMaxSplitControls = 64;
constexpr int kPointsTableSize = 30000;
// Longest line of a points table file that is read (longer lines are cut there).
constexpr std::size_t kPointsLineMax = 99;

// Points x 100 that one runner of a qualification code brings to the level of a list.
int qualification_points(int code);

struct RankNormRow {
    int level_from, level_to;
    std::array<int, 3> percent;
    std::array<int, 3> rank;
};
// The 31 rows of rank norms, searched from the first row down.
const std::array<RankNormRow, 31>& rank_norm_table();

struct RankNorms {
    bool determined = false;
    int level = 0;  // hundredths of a point
    std::array<int, 3> rank{};
    std::array<int, 3> percent{};
    std::array<std::int32_t, 3> limit_s{};  // whole seconds
};

struct ResultList {
    std::vector<Runner*> runners;
    const ClassRecord* class_record = nullptr;  // set for a class list
    const Course* course = nullptr;             // the list's course (may be missing)
    bool by_course = false;
    std::int32_t winner_time = 0;
    RankNorms norms;
};

// Number of finish lines of the runner (laps).
int lap_count(const Competition& c, const Runner& r);

// The result a runner is ranked by: his result, except that a finish before the start (a
// negative result without status) is an error ranked after every time, before any status.
std::int32_t ranking_result(const Runner& r);
// Negative when a ranks before b.
int compare_results(const Competition& c, const Runner& a, const Runner& b);
int compare_finish_times(const Competition& c, const Runner& a, const Runner& b);
// Sorts with the comparison of the competition's kind (stable: equal keys keep slot order).
void sort_results(const Competition& c, std::vector<Runner*>& runners);

// Lookups by key built once per report, so long lists stay linear.
struct ResultIndex {
    explicit ResultIndex(const Competition& c);
    const ClassRecord* class_by_id(std::int32_t id) const;
    const Club* club_by_id(std::int32_t id) const;
    const Course* course_by_id(std::int32_t id) const;
    // The first card readout of a card number in table order, or null.
    const CardReadout* first_readout(std::int32_t card_number) const;
    // Every readout of a card number in table order.
    const std::vector<const CardReadout*>* readouts(std::int32_t card_number) const;
    // Finish times (finish lines of the number in table order).
    const std::vector<std::int32_t>* finish_times(int start_number) const;
    // Runners with a result, in slot order, of a class id / of a course id.
    const std::vector<Runner*>* class_runners(std::int32_t class_id) const;
    const std::vector<Runner*>* course_runners(std::int32_t course_id) const;

    std::unordered_map<std::int32_t, const ClassRecord*> classes;
    std::unordered_map<std::int32_t, const Club*> clubs;
    std::unordered_map<std::int32_t, const Course*> courses;
    std::unordered_map<std::int32_t, std::vector<const CardReadout*>> cards;
    std::unordered_map<int, std::vector<std::int32_t>> finishes;
    std::unordered_map<std::int32_t, std::vector<Runner*>> by_class;
    std::unordered_map<std::int32_t, std::vector<Runner*>> by_course;
};

// The list of a class or a course; the caller has run recompute_finish_results and
// count_finish_lines. Sorted, with winner_time and norms.
ResultList build_result_list(const Competition& c, const ClassRecord& cls);
ResultList build_result_list(const Competition& c, const Course& course);
ResultList build_result_list(const Competition& c, const ResultIndex& index,
                             const ClassRecord& cls);
ResultList build_result_list(const Competition& c, const ResultIndex& index, const Course& course);

std::int32_t winner_time(const CompetitionInfo& info, const std::vector<Runner*>& sorted);
// The qualification level and norms of a sorted list (only when print_ranks is set).
RankNorms rank_norms(const CompetitionInfo& info, const std::vector<Runner*>& sorted,
                     std::int32_t winner);

// The place column of the next printed runner.
struct PlaceCell {
    // Error: a finish before the start, shown as an error instead of a time and a place.
    enum Kind { None, Place, OutOfCompetition, NoPoints, Error } kind = None;
    int place = 0;
};

class PlaceCounter {
  public:
    PlaceCounter(const CompetitionInfo& info, const ResultList& list);
    // For each printed runner in list order.
    PlaceCell next(const Runner& r);
    // The current place value p (that of the last ranked runner, 1 before any).
    int current() const { return p_; }

  private:
    bool no_points_individual_;
    int n_ = 0;
    int p_ = 1;
    std::int32_t r_ = 0;
};

// Rank code fulfilled by a result, or -1 for none.
int rank_for_time(const RankNorms& norms, std::int32_t result);

struct RankCell {
    enum Kind { None, Norm, AwardKms, AwardMs } kind = None;
    int code = -1;
};
// The rank column of a runner without status: the time-based rank, then in a class list the
// class's awards by place value p.
RankCell runner_rank(const RankNorms& norms, const ClassRecord* cls, const Runner& r, int p);

// Points x 10 by the formula; a list without a winner time gives the lower bound.
std::int32_t formula_points(const CompetitionInfo& info, std::int32_t result, std::int32_t winner);
// The points column text ("   0.0" or " %3d.%d"). `points_table` is used in mode 2.
std::string result_points(const CompetitionInfo& info, const ResultList& list, const Runner& r,
                          const PlaceCell& place, const std::vector<std::int32_t>* points_table);

// Reads a points table: entry k is the leading integer of line k + 1; a short file repeats its
// last value. False when the file cannot be opened.
bool load_points_table(const std::string& path, std::vector<std::int32_t>& table);
std::vector<std::int32_t> parse_points_table(std::string_view text);

// The course for a runner's splits: the list's course, or in the punch-check mode that takes
// the course by runner number, the course whose name read as a number is the start number
// (null when none).
const Course* split_course(const Competition& c, const ResultIndex& index, const ResultList& list,
                           const Runner& r);
std::int32_t leading_integer(std::string_view text);

// Leg and cumulative times by list position and control index (0 = no time).
struct SplitTables {
    int rows = 0;
    std::vector<std::int32_t> leg, cumulative;
    std::int32_t leg_at(int i, int k) const { return leg[std::size_t(i) * kMaxSplitControls + k]; }
    std::int32_t cum_at(int i, int k) const {
        return cumulative[std::size_t(i) * kMaxSplitControls + k];
    }
};

// Walks a course's controls through a card's punches: each control is searched from the punch
// after the last match; a control not found ends the walk. Calls f(k, time) per match.
template <class F>
void walk_course_punches(const Course* course, const CardReadout& card, F&& f) {
    if (!course) return;
    int count = card.punch_count < 0                          ? 0
                : card.punch_count > CardReadout::kMaxPunches ? CardReadout::kMaxPunches
                                                              : card.punch_count;
    int j = 0;
    for (int k = 0; k < kMaxSplitControls && course->control_codes[k] != 0 && j < count; ++k) {
        int found = -1;
        for (int q = j; q < count; ++q)
            if (card.punches[q].code == course->control_codes[k]) {
                found = q;
                break;
            }
        if (found < 0) break;
        f(k, card.punches[found].time);
        j = found + 1;
    }
}

SplitTables compute_split_tables(const Competition& c, const ResultIndex& index,
                                 const ResultList& list, bool include_non_starters);

// Places within the first m rows of a split table: per control the rows are sorted once
// (O(m log m)), after which the place of a row is a lookup.
class SplitPlaces {
  public:
    SplitPlaces(const SplitTables& t, bool cumulative, int m);
    // 1 + the number of rows q < m whose entry at k is not 0 and smaller than row i's.
    int place(int i, int k) const;

  private:
    const SplitTables& t_;
    bool cumulative_;
    int m_;
    // places_[i * stride_ + k] for rows i < m with a time at k (0 = no time); the stride is
    // the number of controls in use. Places fit 16 bits (a list holds at most 30000 runners).
    int stride_ = 0;
    std::vector<std::uint16_t> places_;
    std::vector<std::vector<std::int32_t>> sorted_;
};
// The same count done directly (quadratic when asked for every row); kept as the reference.
int split_place(const SplitTables& t, bool cumulative, int i, int k, int m);

// --- single-runner operations of the list view and display pages ---
// Recomputes all results, writes the runner's place (the finish table's rule,
// finish_place_of) and returns it (0 when no runner has the number). After
// finish_data_changed every runner's `place` is already fresh: read it instead of calling
// this in a loop.
int runner_place(Competition& c, int start_number);
// runner_place of several start numbers: one recomputation and one walk over the runners.
std::vector<int> runner_places(Competition& c, const std::vector<int>& start_numbers);
int finishers_with_same_laps(const Competition& c, int start_number);
std::int32_t leader_result(const Competition& c, int start_number);
// finishers_with_same_laps and leader_result of several runners in one walk over the finish
// lines (a page of ten finish lines asks both for each line).
struct SameLapsFigures {
    int finishers = 0;
    std::int32_t leader = 0;
};
std::vector<SameLapsFigures> same_laps_figures(const Competition& c,
                                               const std::vector<int>& start_numbers);

// What the finish table and the protocol show instead of the result of a finish before the
// start (Windows-1251, at most 8 characters).
std::string_view result_error_text(bool english = false);

// Time behind the winner as shown in the protocol: "+MM:SS" (hours dropped); a negative
// difference (faster than a mean-of-six winner time) is shown with "-".
std::string time_behind_text(std::int32_t result, std::int32_t winner, int precision);

}  // namespace skarvel
