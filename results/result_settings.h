// The result-print settings as the dialog edits them: read from the competition header,
// checked, and written back on OK.
#pragma once

#include <cstdint>

#include "core/competition_info.h"

namespace skarvel {

struct ResultPrintSettings {
    int to_html = 0;      // 0 printer, 1 HTML
    int selection = 0;    // 0 all classes, 1 marked classes, 2 all courses, 3 marked courses
    int first_n = 0;      // 0 = all
    int splits_mode = 0;  // 0 none, 1 correct punches, 2 all punches
    bool print_control_codes = false;
    bool split_places = false;
    bool print_ranks = false;
    bool print_non_starters = false;
    bool all_finish_passes = false;
    bool count_laps = false;
    bool print_time_limit = false;
    bool print_comment = false;
    bool print_course_setter = false;
    bool time_behind = false;
    bool split_second_line = false;
    bool control_statistics = false;
    bool extended_html = false;
    int points_mode = 0;  // 0 none, 1 formula, 2 table file
    std::int32_t formula_a = 0;
    std::int32_t formula_b = 0;
    std::int32_t formula_c = 1;
    bool no_points_individual = false;
    bool winner_from_six = false;

    // The stored byte holds first_n, so the dialog accepts only what fits in it.
    static constexpr int kFirstNMax = 255;
    static constexpr std::int32_t kFormulaAMax = 100000, kFormulaBMax = 10000, kFormulaCMax = 10000;

    static ResultPrintSettings from(const CompetitionInfo& info);
    // Values out of range are clamped; a formula_c of 0 is stored as 1.
    void store(CompetitionInfo& info) const;
    bool valid() const;
    bool operator==(const ResultPrintSettings&) const = default;
};

}  // namespace skarvel
