#include "punch/punch_settings.h"

namespace skarvel {

namespace {
// One list of the field pairs, walked in both directions so the two can never drift apart.
template <class Info, class Settings, class F>
void pair_fields(Info& i, Settings& s, F&& f) {
    f(i.competition_start, s.competition_start);
    f(i.port_index, s.port_index);
    f(i.fast_station, s.fast_station);
    f(i.multi_day, s.multi_day);
    f(i.append_on_reread, s.append_on_reread);
    f(i.station_type, s.station_type);
    f(i.warnings, s.warnings);
    f(i.limit_disqualify, s.limit_disqualify);
    f(i.check_mode, s.check_mode);
    f(i.penalty_per_miss, s.penalty_per_miss);
    f(i.start_source, s.start_source);
    f(i.finish_source, s.finish_source);
    f(i.print_on_read, s.print_on_read);
    f(i.second_copy_on_bad, s.second_copy_on_bad);
    f(i.print_speed, s.print_speed);
    f(i.new_split_layout, s.new_split_layout);
    f(i.split_left_offset_cm, s.split_left_offset_cm);
    f(i.split_scale, s.split_scale);
    f(i.ask_owner_number, s.ask_owner_number);
    f(i.labyrinth_mode, s.labyrinth_mode);
}
}  // namespace

PunchSettings punch_settings_from(const CompetitionInfo& info) {
    PunchSettings s;
    pair_fields(info, s, [](const auto& from, auto& to) { to = from; });
    return s;
}

void store_punch_settings(CompetitionInfo& info, const PunchSettings& s) {
    pair_fields(info, s, [](auto& to, const auto& from) { to = from; });
}

}  // namespace skarvel
