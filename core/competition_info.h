// The competition header: titles, officials, kind, and the settings of every subsystem that
// are saved with the competition. Named fields are listed with their offsets in
// `visit_fields`; every byte not named stays in `raw` and is saved back exactly as read.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace skarvel {

enum CompetitionKind : std::uint8_t {
    kKindCourseOrder = 0,    // "Заданное направление"
    kKindMarkedLaps = 1,     // "Маркированная трасса-круги"
    kKindMarkedMinutes = 2,  // "Маркированная трасса-минуты"
    kKindHandicap = 3,       // "Задержанный старт (гандикап)"
};

struct CompetitionInfo {
    static constexpr int kSize = 1556;
    static constexpr int kTitleLines = 10;

    // All bytes as last read or initialised; named fields below take precedence on save.
    std::array<std::uint8_t, kSize> raw{};

    char title_lines[10][80] = {};
    char place[25] = {};
    char chief_secretary[25] = {};
    char chief_judge[25] = {};
    char date[21] = {};
    std::uint8_t competition_kind = 0;
    std::uint8_t relay = 0;
    char course_setters[4][25] = {};
    // List view filter (also the club and class given to a new runner).
    std::int16_t filter_club_id = 0;
    std::int16_t filter_course_id = 0;
    std::int16_t filter_class_id = 0;
    std::int16_t filter_mark = 0;  // 0 any, 1 marked, 2 unmarked
    std::int16_t filter_heat = 0;
    std::int16_t bulk_class_id = 0;
    std::int16_t bulk_club_id = 0;
    std::int16_t bulk_heat = 0;
    std::uint16_t numbering_first = 0;
    std::uint16_t numbering_step = 0;
    std::int32_t start_time_first = 0;
    std::int32_t start_time_step = 0;
    std::uint8_t filter_sort_key = 0;
    // Punching settings "печатать скорость": pace per kilometre on the split printout.
    std::uint8_t print_speed = 0;
    std::uint8_t split_places = 0;
    // Entry extracts: 0 current runners, 1 all clubs, 2 marked clubs.
    std::uint8_t extract_selection = 0;
    std::uint8_t only_marked = 0;
    // Relay result protocol: "Печатать вариант".
    std::uint8_t relay_print_variant = 0;
    // Entry extracts: only marked runners (0/1), a 16-bit field.
    std::uint16_t extract_only_marked = 0;
    // Entry extracts: the fee column and its total.
    std::uint8_t extract_print_fee = 0;
    std::uint8_t draw_subset = 0;
    std::uint8_t draw_by_heat = 0;
    std::uint8_t draw_by_club = 0;
    // The start protocol's `start_list_selection` (0 all classes, 1 marked classes, 2 all
    // courses, 3 marked courses); the result-protocol dialog copies its selection here.
    std::uint8_t selection_copy = 0;
    // Start protocol and pre-race lists: the card-number column.
    std::uint8_t print_card_numbers = 0;
    // "Each class from a new sheet" of the start protocol; the runner cards' club-per-sheet.
    std::uint8_t start_list_page_per_group = 0;
    std::uint8_t print_course_setter = 0;
    std::int32_t formula_a = 0;
    std::int32_t formula_b = 0;
    std::int32_t formula_c = 0;
    std::uint8_t selection = 0;
    std::uint8_t first_n = 0;
    // Relay result protocol: 0 all classes, 1 marked classes.
    std::uint8_t relay_selection = 0;
    std::uint8_t multi_day = 0;
    // Punching settings "новый вид" of the split printout: times since the runner's start.
    std::uint8_t new_split_layout = 0;
    std::uint8_t append_on_reread = 0;
    // "Сбросить отметку" of the work-with-marked dialog.
    std::uint8_t bulk_clear_mark = 0;
    std::uint8_t view_cursor_row = 0;
    std::uint8_t to_html = 0;
    std::uint8_t view_top_row = 0;
    std::int32_t competition_start = 0;
    std::uint8_t print_time_limit = 0;
    std::uint8_t finish_source = 0;
    std::uint8_t start_source = 0;
    std::uint8_t check_mode = 0;
    std::uint8_t print_on_read = 0;
    std::uint8_t second_copy_on_bad = 0;
    std::uint8_t split_left_offset_cm = 0;
    std::uint8_t finish_autosave = 0;
    std::uint8_t view_table = 0;
    std::uint8_t print_ranks = 0;
    // Post the number of finish crossings with each on-line result ("слать количество
    // пересечений финиша").
    std::uint8_t online_send_crossings = 0;
    std::uint8_t port_index = 0;
    std::uint8_t sound_options[2] = {};
    std::uint8_t all_finish_passes = 0;
    std::uint8_t splits_mode = 0;
    std::uint8_t time_precision = 0;
    std::uint8_t print_non_starters = 0;
    std::uint8_t print_control_codes = 0;
    // Multi-day protocol: export the handicap start file with it.
    std::uint8_t export_handicap_start = 0;
    std::uint8_t count_laps = 0;
    std::uint8_t points_mode = 0;
    std::uint8_t pad_numbers_to_4 = 0;
    std::uint8_t warnings = 0;
    std::uint8_t extended_html = 0;
    std::uint8_t limit_disqualify = 0;
    // Relay numbers written as team.leg ("1001->1.1") in the start protocol and lists.
    std::uint8_t relay_leg_dot_number = 0;
    // Runner cards: who gets a card (0 current runners, 1 all clubs, 2 marked clubs), where
    // the number of boxes comes from (0 the course, 1 `card_box_count`), the fixed number of
    // boxes, and what a box shows (0 its number, 1 the control code, 2 both).
    std::uint8_t card_selection = 0;
    std::uint8_t card_box_source = 0;
    std::uint8_t card_box_count = 0;
    std::uint8_t card_box_label = 0;
    // Multi-day: the day (0..9) a day file was last read into.
    std::uint8_t read_day = 0;
    std::int16_t sound_durations[3] = {};
    // Centiseconds (may be negative) added to every passing time of the transponder decoder.
    std::int32_t amb_time_shift = 0;
    std::int32_t penalty_per_miss = 0;
    // Multi-day protocol: the days added up (a flag for each of days 1..10).
    std::uint8_t multiday_days[10] = {};
    std::uint8_t fast_station = 0;
    std::uint8_t no_points_individual = 0;
    char status_short_texts[9][12] = {};
    char status_names[9][12] = {};
    char extra_text[101] = {};
    std::uint8_t display_on = 0;
    // The display page: 1 the start page, 0 the finish page.
    std::uint8_t display_mode = 0;
    // The display board runs (the board thread sets and clears it).
    std::uint8_t board_on = 0;
    std::uint8_t ask_owner_number = 0;
    char online_url_prefix[60] = {};
    char finish_server_name[15] = {};
    // The finish client's sending: 0 continuously, 1 on each card read, 2 once.
    std::uint8_t client_send_mode = 0;
    std::uint8_t split_second_line = 0;
    // Split printout scale: 0 "100%", 1 "85%", 2 "70%".
    std::int32_t split_scale = 0;
    std::uint8_t control_statistics = 0;
    std::uint8_t print_comment = 0;
    std::uint8_t time_behind = 0;
    // Station memory reply layout: 0 "BS7-8", 1 "BS7-S", 2 "BS-7-2".
    std::uint8_t station_type = 0;
    std::uint8_t board_negative_times = 0;
    std::uint8_t board_without_finish = 0;
    std::uint8_t winner_from_six = 0;
    std::uint8_t labyrinth_mode = 0;

    template <class R, class V>
    static void visit_fields(R& r, V&& v) {
        v(0, r.title_lines);
        v(800, r.place);
        v(825, r.chief_secretary);
        v(850, r.chief_judge);
        v(875, r.date);
        v(896, r.competition_kind);
        v(897, r.relay);
        v(898, r.course_setters);
        v(998, r.filter_club_id);
        v(1000, r.filter_course_id);
        v(1002, r.filter_class_id);
        v(1004, r.filter_mark);
        v(1006, r.filter_heat);
        v(1008, r.bulk_class_id);
        v(1010, r.bulk_club_id);
        v(1012, r.bulk_heat);
        v(1018, r.numbering_first);
        v(1020, r.numbering_step);
        v(1024, r.start_time_first);
        v(1028, r.start_time_step);
        v(1032, r.filter_sort_key);
        v(1033, r.print_speed);
        v(1034, r.split_places);
        v(1035, r.extract_selection);
        v(1036, r.only_marked);
        v(1037, r.relay_print_variant);
        v(1038, r.extract_only_marked);
        v(1040, r.extract_print_fee);
        v(1041, r.draw_subset);
        v(1042, r.draw_by_heat);
        v(1043, r.draw_by_club);
        v(1044, r.selection_copy);
        v(1045, r.print_card_numbers);
        v(1046, r.start_list_page_per_group);
        v(1047, r.print_course_setter);
        v(1048, r.formula_a);
        v(1052, r.formula_b);
        v(1056, r.formula_c);
        v(1060, r.selection);
        v(1061, r.first_n);
        v(1062, r.relay_selection);
        v(1063, r.multi_day);
        v(1064, r.new_split_layout);
        v(1065, r.append_on_reread);
        v(1066, r.bulk_clear_mark);
        v(1067, r.view_cursor_row);
        v(1068, r.to_html);
        v(1069, r.view_top_row);
        v(1072, r.competition_start);
        v(1076, r.print_time_limit);
        v(1077, r.finish_source);
        v(1078, r.start_source);
        v(1079, r.check_mode);
        v(1080, r.print_on_read);
        v(1081, r.second_copy_on_bad);
        v(1082, r.split_left_offset_cm);
        v(1083, r.finish_autosave);
        v(1084, r.view_table);
        v(1085, r.print_ranks);
        v(1086, r.online_send_crossings);
        v(1087, r.port_index);
        v(1088, r.sound_options);
        v(1090, r.all_finish_passes);
        v(1091, r.splits_mode);
        v(1092, r.time_precision);
        v(1093, r.print_non_starters);
        v(1094, r.print_control_codes);
        v(1095, r.export_handicap_start);
        v(1096, r.count_laps);
        v(1097, r.points_mode);
        v(1098, r.pad_numbers_to_4);
        v(1099, r.warnings);
        v(1102, r.extended_html);
        v(1103, r.limit_disqualify);
        v(1100, r.card_selection);
        v(1101, r.card_box_source);
        v(1104, r.relay_leg_dot_number);
        v(1105, r.card_box_label);
        v(1106, r.read_day);
        v(1108, r.sound_durations);
        v(1116, r.amb_time_shift);
        v(1120, r.penalty_per_miss);
        v(1124, r.multiday_days);
        v(1134, r.card_box_count);
        v(1135, r.fast_station);
        v(1136, r.no_points_individual);
        v(1137, r.status_short_texts);
        v(1245, r.status_names);
        v(1353, r.extra_text);
        v(1456, r.display_on);
        v(1457, r.display_mode);
        v(1458, r.board_on);
        v(1459, r.ask_owner_number);
        v(1466, r.online_url_prefix);
        v(1526, r.finish_server_name);
        v(1541, r.client_send_mode);
        v(1542, r.split_second_line);
        v(1544, r.split_scale);
        v(1548, r.control_statistics);
        v(1549, r.print_comment);
        v(1550, r.time_behind);
        v(1551, r.station_type);
        v(1552, r.board_negative_times);
        v(1553, r.board_without_finish);
        v(1554, r.winner_from_six);
        v(1555, r.labyrinth_mode);
    }

    // Settings that no named field covers yet, read and written in place in `raw`.
    std::uint8_t byte_at(int offset) const { return raw[offset]; }
    void set_byte_at(int offset, std::uint8_t value) { raw[offset] = value; }

    // The stored form: `raw` with every named field written over it.
    void encode(std::uint8_t* out) const;
    void decode(const std::uint8_t* in);

    // Resets what a new competition (New, or the clearing step of a load) starts afresh. A
    // status text left empty gets the standard one.
    void reset_to_new();
};

// The standard texts of the runner statuses 0..8 (what a new competition starts with): the
// short text printed in protocols ("снят", "сошел", "не старт") and the name ("непр.отм.").
std::string_view standard_status_short_text(int status);
std::string_view standard_status_name(int status);
// The competition's text of `status`, or the standard one where its own is empty, so that a
// runner with a status never prints as nothing.
std::string_view status_short_text(const CompetitionInfo& info, int status);
std::string_view status_name(const CompetitionInfo& info, int status);

}  // namespace skarvel
