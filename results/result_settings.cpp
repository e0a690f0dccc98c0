#include "results/result_settings.h"

#include <algorithm>

namespace skarvel {

ResultPrintSettings ResultPrintSettings::from(const CompetitionInfo& i) {
    ResultPrintSettings s;
    s.to_html = i.to_html ? 1 : 0;
    s.selection = i.selection <= 3 ? i.selection : 0;
    s.first_n = i.first_n;
    s.splits_mode = i.splits_mode <= 2 ? i.splits_mode : 0;
    s.print_control_codes = i.print_control_codes;
    s.split_places = i.split_places;
    s.print_ranks = i.print_ranks;
    s.print_non_starters = i.print_non_starters;
    s.all_finish_passes = i.all_finish_passes;
    s.count_laps = i.count_laps;
    s.print_time_limit = i.print_time_limit;
    s.print_comment = i.print_comment;
    s.print_course_setter = i.print_course_setter;
    s.time_behind = i.time_behind;
    s.split_second_line = i.split_second_line;
    s.control_statistics = i.control_statistics;
    s.extended_html = i.extended_html;
    s.points_mode = i.points_mode <= 2 ? i.points_mode : 0;
    s.formula_a = i.formula_a;
    s.formula_b = i.formula_b;
    s.formula_c = i.formula_c == 0 ? 1 : i.formula_c;  // a stored 0 is shown as 1
    s.no_points_individual = i.no_points_individual;
    s.winner_from_six = i.winner_from_six;
    return s;
}

bool ResultPrintSettings::valid() const {
    return to_html >= 0 && to_html <= 1 && selection >= 0 && selection <= 3 && first_n >= 0 &&
           first_n <= kFirstNMax && splits_mode >= 0 && splits_mode <= 2 && points_mode >= 0 &&
           points_mode <= 2 && formula_a >= 0 && formula_a <= kFormulaAMax && formula_b >= 0 &&
           formula_b <= kFormulaBMax && formula_c >= 1 && formula_c <= kFormulaCMax;
}

void ResultPrintSettings::store(CompetitionInfo& i) const {
    auto u8 = [](bool b) -> std::uint8_t { return b ? 1 : 0; };
    i.to_html = static_cast<std::uint8_t>(std::clamp(to_html, 0, 1));
    i.selection = static_cast<std::uint8_t>(std::clamp(selection, 0, 3));
    i.selection_copy = i.selection;  // the start protocol follows the chosen selection
    i.first_n = static_cast<std::uint8_t>(std::clamp(first_n, 0, kFirstNMax));
    i.splits_mode = static_cast<std::uint8_t>(std::clamp(splits_mode, 0, 2));
    i.print_control_codes = u8(print_control_codes);
    i.split_places = u8(split_places);
    i.print_ranks = u8(print_ranks);
    i.print_non_starters = u8(print_non_starters);
    i.all_finish_passes = u8(all_finish_passes);
    i.count_laps = u8(count_laps);
    i.print_time_limit = u8(print_time_limit);
    i.print_comment = u8(print_comment);
    i.print_course_setter = u8(print_course_setter);
    i.time_behind = u8(time_behind);
    i.split_second_line = u8(split_second_line);
    i.control_statistics = u8(control_statistics);
    i.extended_html = u8(extended_html);
    i.points_mode = static_cast<std::uint8_t>(std::clamp(points_mode, 0, 2));
    i.formula_a = std::clamp(formula_a, 0, kFormulaAMax);
    i.formula_b = std::clamp(formula_b, 0, kFormulaBMax);
    i.formula_c = std::clamp(formula_c, 1, kFormulaCMax);
    i.no_points_individual = u8(no_points_individual);
    i.winner_from_six = u8(winner_from_six);
}

}  // namespace skarvel
