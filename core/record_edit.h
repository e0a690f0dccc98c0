// Conversions between the records and their editors: each editor works on a form of plain
// values (texts as the user sees and types them, Windows-1251), filled from a record (or with
// the defaults of a new one) and checked and stored back on OK. A form that breaks a limit is
// refused with a message naming the field and its range, and nothing is stored.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/competition.h"

namespace skarvel {

// Editor limits.
namespace edit_limits {
constexpr int kRunnerName = 25;
constexpr int kRunnerComment = 21;
constexpr int kBirthYearMax = 2100;
constexpr int kStartNumberMax = 29999;
constexpr int kCardNumberMax = 9999999;
constexpr int kTimeText = 12;
constexpr int kClubText = 20;
constexpr int kAwardMax = 12;
constexpr int kClassName = 8;
constexpr int kCourseName = 10;
constexpr int kControlOrderText = 1200;
constexpr int kReadoutStartNumberMax = 100000;
constexpr int kPunchText = 5000;
constexpr int kStatusText = 11;
constexpr int kTitleLineChars = 79;
constexpr int kOfficialChars = 24;
constexpr int kDateChars = 20;
}  // namespace edit_limits

// The message of a rejected form, in the interface language; empty when the form was stored.
struct EditResult {
    bool ok = false;
    std::string error;
    int slot = kNoSlot;  // the record's slot after a successful store
    explicit operator bool() const { return ok; }
};

// Reads a whole field as a decimal integer (blanks around it allowed, an optional minus);
// nullopt for an empty field, other characters or a number beyond 64 bits.
std::optional<std::int64_t> parse_integer_field(std::string_view text);
// "%d" of a value, as the editors show numbers.
std::string integer_text(std::int64_t value);

// The range message of a number field: "<label>: введите целое число от 0 до 2100."
std::string range_message(std::string_view label, std::int64_t min, std::int64_t max, bool english);
// The length message of a text field: "<label>: не более 25 символов."
std::string length_message(std::string_view label, int max_chars, bool english);
// A table is full and takes no new record.
std::string table_full_message(RecordType type, bool english);

// ---- runner ------------------------------------------------------------------------------

struct RunnerForm {
    std::int32_t id = 0;
    std::string name;
    std::int32_t class_id = 0;  // chosen from the class list
    std::int32_t club_id = 0;   // chosen from the club list
    int qualification = 0;      // 0..10
    std::string birth_year;
    std::string heat_or_leg;
    std::string start_number;
    std::string start_time;
    std::string card_number;
    std::string comment;
    bool reduced_fee = false;
    bool own_card = false;
    bool out_of_competition = false;
    bool individual = false;
};

// The form of a runner, or of a new runner (next id, name ".", class and club of the list
// filter, start "00:00:00") when `r` is null.
RunnerForm runner_form(Competition& c, const Runner* r);
// Checks the form and stores it into the runner at `slot`; an empty slot (or kNoSlot) creates
// the runner in the first empty slot. Marks the competition changed.
EditResult store_runner_form(Competition& c, int slot, const RunnerForm& f, bool english);

// The entries of the "Разряд" list: "0:    " .. "9:МСМК", then "*:ЗМС".
std::vector<std::string> qualification_entries();

// ---- club, class, course -----------------------------------------------------------------

struct ClubForm {
    std::int32_t id = 0;
    std::string name;
    std::string representative;
};
ClubForm club_form(Competition& c, const Club* r);
EditResult store_club_form(Competition& c, int slot, const ClubForm& f, bool english);

struct ClassForm {
    std::int32_t id = 0;
    std::string name;
    std::int32_t course_id = 0;  // chosen from the course list
    bool ranks_allowed = false;
    std::string ms_award, kms_award;
    std::string fee_rental_reduced, fee_rental_normal, fee_own_reduced, fee_own_normal;
};
ClassForm class_form(Competition& c, const ClassRecord* r);
// Keeps the class's mark.
EditResult store_class_form(Competition& c, int slot, const ClassForm& f, bool english);
// The entries of the "Дистанция" list: each course name as "%-10.10s", in table order.
std::vector<std::string> course_list_entries(const Competition& c);

struct CourseForm {
    std::int32_t id = 0;
    std::string name;
    std::string control_count, length_m, climb_m, start_corridor, time_limit_min, finish_crossings;
    int course_setter = 0;      // 0..3
    std::string control_order;  // lines "code;value" ending in CR LF
};
CourseForm course_form(Competition& c, const Course* r);
EditResult store_course_form(Competition& c, int slot, const CourseForm& f, bool english);

// One "%d;%d\r\n" line per non-zero code among the first 80 entries.
std::string format_control_order(const Course& course);
// Reads the control order text into the first 80 entries (cleared first); lines end at a line
// feed and at most 80 are taken. "S" adds 10 to a code and "F" 20. A code above 255 or a value
// above 65535 would be stored as a different number: such a text is refused (the message
// names the line) and the course is left unchanged.
EditResult parse_control_order(std::string_view text, Course& course, bool english);

// ---- card readout ------------------------------------------------------------------------

struct CardReadoutForm {
    std::string card_number;
    std::string start_number;
    std::string start_time;
    std::string finish_time;
    int punch_count = 0;  // shown only
    std::string punches;  // lines "code;time" ending in CR LF
};
CardReadoutForm card_readout_form(Competition& c, const CardReadout* r);
EditResult store_card_readout_form(Competition& c, int slot, const CardReadoutForm& f,
                                   bool english);

// One "%d;%s\r\n" line (time at precision 0) per punch with a non-zero code among the first
// `punch_count` (at most 64).
std::string format_punch_text(const CardReadout& r);
// Clears all punches and reads the lines of the text (each ends at a carriage return): the
// leading number is the code, the time after ";" is parsed as time text. A line without ";"
// ends the reading. At most 64 lines; `punch_count` becomes the number taken. A code above
// 255 is refused (the message names the line) and the readout is left unchanged.
EditResult parse_punch_text(std::string_view text, CardReadout& r, bool english);

// ---- changed fields ----------------------------------------------------------------------

// What an editor's OK stores when the record may have changed while the editor was open (a
// card read meanwhile sets a runner's start time and status): the fields the operator changed
// (`edited` differs from `shown`, what the editor showed) come from `edited`, every other field
// from `now`, the record as it is at OK. So an OK never undoes a change the editor did not make.
RunnerForm merge_changed_fields(const RunnerForm& shown, const RunnerForm& edited,
                                const RunnerForm& now);
ClubForm merge_changed_fields(const ClubForm& shown, const ClubForm& edited, const ClubForm& now);
ClassForm merge_changed_fields(const ClassForm& shown, const ClassForm& edited,
                               const ClassForm& now);
CourseForm merge_changed_fields(const CourseForm& shown, const CourseForm& edited,
                                const CourseForm& now);
CardReadoutForm merge_changed_fields(const CardReadoutForm& shown, const CardReadoutForm& edited,
                                     const CardReadoutForm& now);

// ---- competition information -------------------------------------------------------------

struct CompetitionInfoForm {
    std::string title;  // the title lines joined by CR LF
    std::string date, place, chief_judge, chief_secretary;
    std::array<std::string, 4> course_setters;
    int competition_kind = 0;  // 0..3
    bool relay = false;
    bool pad_numbers_to_4 = false;
    int time_precision = 0;  // 0..2
};
CompetitionInfoForm competition_info_form(const CompetitionInfo& info);
// Stores the form (titles split at line ends, at most ten lines of 79 characters; officials
// cut to 24 characters, the date to 20) and marks the competition changed.
void store_competition_info_form(Competition& c, const CompetitionInfoForm& f);

// The non-empty title lines joined by "\r\n".
std::string join_title_lines(const CompetitionInfo& info);
// Clears the ten title lines and stores the lines of `text` ("\r\n", "\n" or a lone "\r"
// ends a line), at most ten, each cut to 79 characters.
void split_title_lines(std::string_view text, CompetitionInfo& info);

}  // namespace skarvel
