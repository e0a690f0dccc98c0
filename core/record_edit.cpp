#include "core/record_edit.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <limits>

#include "core/cp1251.h"
#include "core/finish_results.h"
#include "core/language.h"
#include "core/qualification.h"
#include "core/time_text.h"

namespace skarvel {

using namespace literals;
namespace lim = edit_limits;

namespace {

constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t kInt16Max = std::numeric_limits<std::int16_t>::max();

struct Label {
    Txt id;
    std::string text(bool english) const { return std::string(text_in(english, id)); }
};

const Label kName{Txt::kNameSurname};
const Label kBirthYear{Txt::kEdYearOfBirth};
const Label kHeat{Txt::kEdHeatLeg};
const Label kNumber{Txt::kEdNumber};
const Label kStart{Txt::kEdStart};
const Label kCard{Txt::kEdVPCard};
const Label kComment{Txt::kEdComment};
const Label kQualification{Txt::kEdRank};
const Label kClubName{Txt::kEdName};
const Label kRepresentative{Txt::kEdRepresentative};
const Label kMs{Txt::kEdMS};
const Label kKms{Txt::kEdCMS};
const Label kFeeRentalReduced{Txt::kEdFeeRentalReduced};
const Label kFeeRentalNormal{Txt::kEdFeeRentalNormal};
const Label kFeeOwnReduced{Txt::kEdFeeOwnReduced};
const Label kFeeOwnNormal{Txt::kEdFeeOwnNormal};
const Label kCourseName{Txt::kEdShortName};
const Label kControlCount{Txt::kEdControls};
const Label kLength{Txt::kEdLengthMetres};
const Label kClimb{Txt::kEdClimb};
const Label kCorridor{Txt::kEdStartCorridor};
const Label kTimeLimit{Txt::kMaxLimitTime};
const Label kCrossings{Txt::kFinishCrossings};
const Label kCourseSetter{Txt::kEdCourseSetter};
const Label kControlOrder{Txt::kEdControlOrder};
const Label kChipNumber{Txt::kEdCardNumber};
const Label kReadoutNumber{Txt::kEdStartNumber};
const Label kStartTime{Txt::kEdStartTime};
const Label kFinishTime{Txt::kEdFinishTime};
const Label kPunches{Txt::kEdPunchesInCard};

// A table text with each "%s" replaced by the next of `parts` (texts of any length).
std::string fill(std::string_view text, std::initializer_list<std::string> parts) {
    std::string out;
    auto part = parts.begin();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == 's' && part != parts.end()) {
            out += *part++;
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

// Collects the first rejected field of a form.
// Every field after the first of "h:m:s" (or "h:m") is 0..59; the fraction is not checked.
bool time_fields_in_range(std::string_view text) {
    text = text.substr(0, text.find(','));
    for (std::size_t colon = text.find(':'); colon != std::string_view::npos;) {
        std::size_t next = text.find(':', colon + 1);
        std::string_view part =
            text.substr(colon + 1, next == std::string_view::npos ? next : next - colon - 1);
        int value = 0;
        for (char ch : part)
            if (ch >= '0' && ch <= '9') value = std::min(value * 10 + (ch - '0'), 1000);
        if (value > 59) return false;
        colon = next;
    }
    return true;
}

class Checker {
  public:
    explicit Checker(bool english) : english_(english) {}

    // A number field: blank counts as 0; anything else must be an integer in [min, max].
    std::int64_t number(const std::string& text, const Label& label, std::int64_t min,
                        std::int64_t max) {
        if (failed()) return 0;
        std::int64_t v = 0;
        bool blank = text.find_first_not_of(' ') == std::string::npos;
        if (!blank) {
            auto parsed = parse_integer_field(text);
            if (!parsed || *parsed < min || *parsed > max) {
                error_ = range_message(label.text(english_), min, max, english_);
                return 0;
            }
            v = *parsed;
        }
        if (v < min || v > max) error_ = range_message(label.text(english_), min, max, english_);
        return v;
    }
    void text(const std::string& text, const Label& label, int max_chars) {
        if (!failed() && static_cast<int>(text.size()) > max_chars)
            error_ = length_message(label.text(english_), max_chars, english_);
    }
    // A time field: as long as a text may be, and minutes and seconds no more than 59 (the
    // time would otherwise carry over: 11:75:00 is not 12:15:00 to the operator).
    void time(const std::string& text, const Label& label) {
        this->text(text, label, edit_limits::kTimeText);
        if (failed() || time_fields_in_range(text)) return;
        error_ = fill(text_in(english_, Txt::kEdTimeFieldsRange), {label.text(english_)});
    }
    void choice(int value, const Label& label, int min, int max) {
        if (!failed() && (value < min || value > max))
            error_ = range_message(label.text(english_), min, max, english_);
    }
    void fail(std::string message) {
        if (!failed()) error_ = std::move(message);
    }
    bool failed() const { return !error_.empty(); }
    EditResult result() const { return EditResult{false, error_, kNoSlot}; }

  private:
    bool english_;
    std::string error_;
};

// The record at `slot`, or a new one in the first empty slot when that slot is empty.
template <class R>
R* target_record(Competition& c, Table<R>& table, RecordType type, int& slot, bool english,
                 std::string& error) {
    if (R* r = table[slot]) return r;
    slot = c.new_record(type);
    if (slot == kNoSlot) {
        error = table_full_message(type, english);
        return nullptr;
    }
    return table[slot];
}

EditResult stored(Competition& c, int slot) {
    c.modified = true;
    return EditResult{true, {}, slot};
}

std::string format_text(const char* format, std::string_view a) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, std::string(a).c_str());
    return buf;
}

}  // namespace

std::optional<std::int64_t> parse_integer_field(std::string_view text) {
    std::size_t i = 0, n = text.size();
    while (i < n && text[i] == ' ') ++i;
    while (n > i && text[n - 1] == ' ') --n;
    bool negative = false;
    if (i < n && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (i == n) return std::nullopt;
    std::int64_t v = 0;
    for (; i < n; ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        if (v > (std::numeric_limits<std::int64_t>::max() - 9) / 10) return std::nullopt;
        v = v * 10 + (text[i] - '0');
    }
    return negative ? -v : v;
}

std::string integer_text(std::int64_t value) {
    return std::to_string(value);
}

std::string range_message(std::string_view label, std::int64_t min, std::int64_t max,
                          bool english) {
    return fill(text_in(english, Txt::kEdRangeMessage),
                {std::string(label), std::to_string(min), std::to_string(max)});
}

std::string length_message(std::string_view label, int max_chars, bool english) {
    return fill(text_in(english, Txt::kEdLengthMessage),
                {std::string(label), std::to_string(max_chars)});
}

std::string table_full_message(RecordType type, bool english) {
    static const Label kFull[kRecordTypeCount] = {
        {Txt::kRunnersTableFull}, {Txt::kClubsTableFull},        {Txt::kClassesTableFull},
        {Txt::kCoursesTableFull}, {Txt::kFinishTableFullNoLine}, {Txt::kCardsTableFull},
    };
    int i = type >= 0 && type < kRecordTypeCount ? type : kRunners;
    return kFull[i].text(english);
}

// ---- runner ------------------------------------------------------------------------------

RunnerForm runner_form(Competition& c, const Runner* r) {
    RunnerForm f;
    Runner fresh;
    if (!r) {
        c.fill_new_runner(fresh);
        r = &fresh;
    }
    f.id = r->id;
    f.name = std::string(field_text(r->name));
    f.class_id = r->class_id;
    f.club_id = r->club_id;
    f.qualification = r->qualification <= 10 ? r->qualification : 0;
    f.birth_year = integer_text(r->birth_year);
    f.heat_or_leg = integer_text(r->heat_or_leg);
    f.start_number = integer_text(r->start_number);
    f.start_time = r == &fresh ? std::string("00:00:00")
                               : format_time_text(r->start_time, c.info.time_precision);
    f.card_number = integer_text(r->card_number);
    f.comment = std::string(field_text(r->comment));
    f.reduced_fee = r->fee_flags & Runner::kFeeReduced;
    f.own_card = r->fee_flags & Runner::kFeeOwnCard;
    f.out_of_competition = r->out_of_competition;
    f.individual = r->individual;
    return f;
}

EditResult store_runner_form(Competition& c, int slot, const RunnerForm& f, bool english) {
    Checker k(english);
    k.text(f.name, kName, lim::kRunnerName);
    k.choice(f.qualification, kQualification, 0, kQualificationCount - 1);
    auto birth = k.number(f.birth_year, kBirthYear, 0, lim::kBirthYearMax);
    auto heat = k.number(f.heat_or_leg, kHeat, 0, kInt32Max);
    auto number = k.number(f.start_number, kNumber, 0, lim::kStartNumberMax);
    k.time(f.start_time, kStart);
    auto card = k.number(f.card_number, kCard, 0, lim::kCardNumberMax);
    k.text(f.comment, kComment, lim::kRunnerComment);
    if (k.failed()) return k.result();

    std::string error;
    Runner* r = target_record(c, c.tables.runners, kRunners, slot, english, error);
    if (!r) return EditResult{false, error, kNoSlot};
    if (r->id == 0) r->id = f.id;  // a new record
    set_field_text(r->name, f.name);
    r->class_id = static_cast<std::int16_t>(f.class_id);
    r->club_id = static_cast<std::int16_t>(f.club_id);
    r->qualification = static_cast<std::uint8_t>(f.qualification);
    r->birth_year = static_cast<std::uint16_t>(normalize_birth_year(static_cast<int>(birth)));
    r->heat_or_leg = static_cast<std::int32_t>(heat);
    r->start_number = static_cast<std::uint16_t>(number);
    r->start_time = parse_time_text(f.start_time);
    r->card_number = static_cast<std::int32_t>(card);
    set_field_text(r->comment, f.comment);
    std::uint8_t fees = r->fee_flags & ~(Runner::kFeeReduced | Runner::kFeeOwnCard);
    if (f.reduced_fee) fees |= Runner::kFeeReduced;
    if (f.own_card) fees |= Runner::kFeeOwnCard;
    r->fee_flags = fees;
    r->out_of_competition = f.out_of_competition ? 1 : 0;
    r->individual = f.individual ? 1 : 0;
    finish_data_changed(c);
    return stored(c, slot);
}

std::vector<std::string> qualification_entries() {
    std::vector<std::string> out;
    for (int i = 0; i <= 9; ++i) {
        std::string s = std::to_string(i) + ":";
        s += qualification_text(i);
        out.push_back(s);
    }
    out.push_back(std::string("*:ЗМС"_cp1251));
    return out;
}

// ---- club, class, course -----------------------------------------------------------------

ClubForm club_form(Competition& c, const Club* r) {
    Club fresh;
    if (!r) {
        c.fill_new_club(fresh);
        r = &fresh;
    }
    return ClubForm{r->id, std::string(field_text(r->name)),
                    std::string(field_text(r->representative))};
}

EditResult store_club_form(Competition& c, int slot, const ClubForm& f, bool english) {
    Checker k(english);
    k.text(f.name, kClubName, lim::kClubText);
    k.text(f.representative, kRepresentative, lim::kClubText);
    if (k.failed()) return k.result();
    std::string error;
    Club* r = target_record(c, c.tables.clubs, kClubs, slot, english, error);
    if (!r) return EditResult{false, error, kNoSlot};
    if (r->id == 0) r->id = f.id;
    set_field_text(r->name, f.name);
    set_field_text(r->representative, f.representative);
    return stored(c, slot);
}

ClassForm class_form(Competition& c, const ClassRecord* r) {
    ClassRecord fresh;
    if (!r) {
        c.fill_new_class(fresh);
        r = &fresh;
    }
    ClassForm f;
    f.id = r->id;
    f.name = std::string(field_text(r->name));
    f.course_id = r->course_id;
    f.ranks_allowed = r->ranks_allowed();
    f.ms_award = integer_text(r->ms_award);
    f.kms_award = integer_text(r->kms_award);
    f.fee_rental_reduced = integer_text(r->fee_rental_reduced);
    f.fee_rental_normal = integer_text(r->fee_rental_normal);
    f.fee_own_reduced = integer_text(r->fee_own_reduced);
    f.fee_own_normal = integer_text(r->fee_own_normal);
    return f;
}

EditResult store_class_form(Competition& c, int slot, const ClassForm& f, bool english) {
    Checker k(english);
    k.text(f.name, kClubName, lim::kClassName);
    auto ms = k.number(f.ms_award, kMs, 0, lim::kAwardMax);
    auto kms = k.number(f.kms_award, kKms, 0, lim::kAwardMax);
    auto rr = k.number(f.fee_rental_reduced, kFeeRentalReduced, 0, kInt16Max);
    auto rn = k.number(f.fee_rental_normal, kFeeRentalNormal, 0, kInt16Max);
    auto orr = k.number(f.fee_own_reduced, kFeeOwnReduced, 0, kInt16Max);
    auto on = k.number(f.fee_own_normal, kFeeOwnNormal, 0, kInt16Max);
    if (k.failed()) return k.result();
    std::string error;
    ClassRecord* r = target_record(c, c.tables.classes, kClasses, slot, english, error);
    if (!r) return EditResult{false, error, kNoSlot};
    if (r->id == 0) r->id = f.id;
    set_field_text(r->name, f.name);
    r->course_id = static_cast<std::int16_t>(f.course_id);
    r->set_ranks_allowed(f.ranks_allowed);  // the mark and other flag bits stay
    r->ms_award = static_cast<std::uint8_t>(ms);
    r->kms_award = static_cast<std::uint8_t>(kms);
    r->fee_rental_reduced = static_cast<std::int16_t>(rr);
    r->fee_rental_normal = static_cast<std::int16_t>(rn);
    r->fee_own_reduced = static_cast<std::int16_t>(orr);
    r->fee_own_normal = static_cast<std::int16_t>(on);
    return stored(c, slot);
}

std::vector<std::string> course_list_entries(const Competition& c) {
    std::vector<std::string> out;
    const auto& t = c.tables.courses;
    for (int i = 0; i < t.capacity() && t[i]; ++i)
        out.push_back(format_text("%-10.10s", field_text(t[i]->name)));
    return out;
}

CourseForm course_form(Competition& c, const Course* r) {
    Course fresh;
    if (!r) {
        c.fill_new_course(fresh);
        r = &fresh;
    }
    CourseForm f;
    f.id = r->id;
    f.name = std::string(field_text(r->name));
    f.control_count = integer_text(r->control_count);
    f.length_m = integer_text(r->length_m);
    f.climb_m = integer_text(r->climb_m);
    f.start_corridor = integer_text(r->start_corridor);
    f.time_limit_min = integer_text(r->time_limit_min);
    f.finish_crossings = integer_text(r->finish_crossings);
    f.course_setter = r->course_setter >= 0 && r->course_setter <= 3 ? r->course_setter : 0;
    f.control_order = format_control_order(*r);
    return f;
}

EditResult store_course_form(Competition& c, int slot, const CourseForm& f, bool english) {
    Checker k(english);
    k.text(f.name, kCourseName, lim::kCourseName);
    auto controls = k.number(f.control_count, kControlCount, 0, kInt32Max);
    auto length = k.number(f.length_m, kLength, 0, kInt32Max);
    auto climb = k.number(f.climb_m, kClimb, 0, kInt32Max);
    auto corridor = k.number(f.start_corridor, kCorridor, 0, kInt32Max);
    auto limit = k.number(f.time_limit_min, kTimeLimit, 0, kInt32Max);
    auto crossings = k.number(f.finish_crossings, kCrossings, 0, kInt32Max);
    k.choice(f.course_setter, kCourseSetter, 0, 3);
    k.text(f.control_order, kControlOrder, lim::kControlOrderText);
    Course order;  // the control order is read aside so a bad line changes nothing
    if (!k.failed()) {
        EditResult parsed = parse_control_order(f.control_order, order, english);
        if (!parsed) k.fail(parsed.error);
    }
    if (k.failed()) return k.result();
    std::string error;
    Course* r = target_record(c, c.tables.courses, kCourses, slot, english, error);
    if (!r) return EditResult{false, error, kNoSlot};
    if (r->id == 0) r->id = f.id;
    set_field_text(r->name, f.name);
    r->control_count = static_cast<std::int32_t>(controls);
    r->length_m = static_cast<std::int32_t>(length);
    r->climb_m = static_cast<std::int32_t>(climb);
    r->start_corridor = static_cast<std::int32_t>(corridor);
    r->time_limit_min = static_cast<std::int32_t>(limit);
    r->finish_crossings = static_cast<std::int32_t>(crossings);
    r->course_setter = f.course_setter;
    for (int i = 0; i < Course::kEditableControls; ++i) {
        r->control_codes[i] = order.control_codes[i];
        r->control_values[i] = order.control_values[i];
    }
    return stored(c, slot);
}

std::string format_control_order(const Course& course) {
    std::string out;
    char buf[32];
    for (int i = 0; i < Course::kEditableControls; ++i) {
        if (course.control_codes[i] == 0) continue;
        std::snprintf(buf, sizeof buf, "%d;%d\r\n", course.control_codes[i],
                      course.control_values[i]);
        out += buf;
    }
    return out;
}

EditResult parse_control_order(std::string_view text, Course& course, bool english) {
    std::uint8_t codes[Course::kEditableControls] = {};
    std::uint16_t values[Course::kEditableControls] = {};
    int entry = 0;
    std::size_t pos = 0;
    while (pos < text.size() && entry < Course::kEditableControls) {
        std::size_t end = text.find('\n', pos);
        std::string_view line =
            text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
        pos = end == std::string_view::npos ? text.size() : end + 1;

        std::size_t semi = line.find(';');
        std::int64_t number = 0;
        int addend = 0;
        for (char ch : line.substr(0, semi)) {
            if (ch >= '0' && ch <= '9') {
                number = number * 10 + (ch - '0');
                if (number > 1000) number = 1000;  // already out of range; stop growing
            } else if (ch == 'S') {
                addend = 10;
            } else if (ch == 'F') {
                addend = 20;
            }
        }
        std::int64_t value = 0;
        if (semi != std::string_view::npos) {
            std::size_t i = semi + 1;
            while (i < line.size() && line[i] == ' ') ++i;
            for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
                value = value * 10 + (line[i] - '0');
                if (value > 100000) value = 100000;
            }
        }
        std::int64_t code = number + addend;
        if (code > 255 || value > 65535) {
            std::string msg = fill(text_in(english, Txt::kEdControlValueRange),
                                   {kControlOrder.text(english), std::to_string(entry + 1)});
            return EditResult{false, msg, kNoSlot};
        }
        codes[entry] = static_cast<std::uint8_t>(code);
        values[entry] = static_cast<std::uint16_t>(value);
        ++entry;
    }
    for (int i = 0; i < Course::kEditableControls; ++i) {
        course.control_codes[i] = codes[i];
        course.control_values[i] = values[i];
    }
    return EditResult{true, {}, kNoSlot};
}

// ---- card readout ------------------------------------------------------------------------

CardReadoutForm card_readout_form(Competition& c, const CardReadout* r) {
    CardReadoutForm f;
    if (!r) {
        f.card_number = "0";
        f.start_number = "0";
        f.start_time = "0:00:00";
        f.finish_time = "0:00:00";
        return f;
    }
    (void)c;
    f.card_number = integer_text(r->card_number);
    f.start_number = integer_text(r->start_number);
    f.start_time = format_time_text(r->start.time, 0);
    f.finish_time = format_time_text(r->finish.time, 0);
    f.punch_count = r->punch_count;
    f.punches = format_punch_text(*r);
    return f;
}

EditResult store_card_readout_form(Competition& c, int slot, const CardReadoutForm& f,
                                   bool english) {
    Checker k(english);
    auto card = k.number(f.card_number, kChipNumber, 0, lim::kCardNumberMax);
    auto number = k.number(f.start_number, kReadoutNumber, 0, lim::kReadoutStartNumberMax);
    k.time(f.start_time, kStartTime);
    k.time(f.finish_time, kFinishTime);
    k.text(f.punches, kPunches, lim::kPunchText);
    CardReadout punches;
    if (!k.failed()) {
        EditResult parsed = parse_punch_text(f.punches, punches, english);
        if (!parsed) k.fail(parsed.error);
    }
    if (k.failed()) return k.result();
    std::string error;
    CardReadout* r = target_record(c, c.tables.card_readouts, kCardReadouts, slot, english, error);
    if (!r) return EditResult{false, error, kNoSlot};
    r->card_number = static_cast<std::int32_t>(card);
    r->start_number = static_cast<std::int32_t>(number);
    r->start.time = parse_time_text(f.start_time);
    r->finish.time = parse_time_text(f.finish_time);
    for (int i = 0; i < CardReadout::kMaxPunches; ++i) r->punches[i] = punches.punches[i];
    r->punch_count = punches.punch_count;
    return stored(c, slot);
}

std::string format_punch_text(const CardReadout& r) {
    std::string out;
    int n = r.punch_count < 0                          ? 0
            : r.punch_count > CardReadout::kMaxPunches ? CardReadout::kMaxPunches
                                                       : r.punch_count;
    for (int i = 0; i < n; ++i) {
        const Punch& p = r.punches[i];
        if (p.code == 0) continue;
        out += std::to_string(p.code);
        out += ';';
        out += format_time_text(p.time, 0);
        out += "\r\n";
    }
    return out;
}

EditResult parse_punch_text(std::string_view text, CardReadout& r, bool english) {
    Punch punches[CardReadout::kMaxPunches];
    int taken = 0;
    std::size_t pos = 0;
    while (taken < CardReadout::kMaxPunches && pos <= text.size()) {
        std::size_t end = text.find('\r', pos);
        std::string_view line =
            text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
        pos = end == std::string_view::npos ? text.size() + 1 : end + 1;
        std::size_t semi = line.find(';');
        if (semi == std::string_view::npos) break;
        // The leading number: digits after blanks (and the line feed left from CR LF).
        std::size_t i = 0;
        while (i < line.size() && (line[i] == ' ' || line[i] == '\n')) ++i;
        std::int64_t code = 0;
        for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
            code = code * 10 + (line[i] - '0');
            if (code > 1000) code = 1000;
        }
        if (code > 255) {
            std::string msg = fill(text_in(english, Txt::kEdControlCodeRange),
                                   {kPunches.text(english), std::to_string(taken + 1)});
            return EditResult{false, msg, kNoSlot};
        }
        punches[taken].code = static_cast<std::uint8_t>(code);
        punches[taken].time = parse_time_text(line.substr(semi + 1));
        ++taken;
    }
    for (int i = 0; i < CardReadout::kMaxPunches; ++i)
        r.punches[i] = i < taken ? punches[i] : Punch{};
    r.punch_count = taken;
    return EditResult{true, {}, kNoSlot};
}

// ---- competition information -------------------------------------------------------------

std::string join_title_lines(const CompetitionInfo& info) {
    std::string out;
    for (const auto& line : info.title_lines) {
        std::string_view t = field_text(line);
        if (t.empty()) continue;
        if (!out.empty()) out += "\r\n";
        out += t;
    }
    return out;
}

void split_title_lines(std::string_view text, CompetitionInfo& info) {
    for (auto& line : info.title_lines) set_field_text(line, "");
    int n = 0;
    std::size_t pos = 0;
    while (pos < text.size() && n < CompetitionInfo::kTitleLines) {
        std::size_t end = text.find_first_of("\r\n", pos);
        std::string_view line =
            text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
        set_field_text(info.title_lines[n++], line.substr(0, lim::kTitleLineChars));
        if (end == std::string_view::npos) break;
        pos = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
}

CompetitionInfoForm competition_info_form(const CompetitionInfo& info) {
    CompetitionInfoForm f;
    f.title = join_title_lines(info);
    f.date = std::string(field_text(info.date));
    f.place = std::string(field_text(info.place));
    f.chief_judge = std::string(field_text(info.chief_judge));
    f.chief_secretary = std::string(field_text(info.chief_secretary));
    for (int i = 0; i < 4; ++i)
        f.course_setters[i] = std::string(field_text(info.course_setters[i]));
    f.competition_kind = info.competition_kind <= 3 ? info.competition_kind : 0;
    f.relay = info.relay;
    f.pad_numbers_to_4 = info.pad_numbers_to_4;
    f.time_precision = info.time_precision <= 2 ? info.time_precision : 0;
    return f;
}

void store_competition_info_form(Competition& c, const CompetitionInfoForm& f) {
    CompetitionInfo& info = c.info;
    split_title_lines(f.title, info);
    auto cut = [](const std::string& s, int n) { return std::string_view(s).substr(0, n); };
    set_field_text(info.date, cut(f.date, lim::kDateChars));
    set_field_text(info.place, cut(f.place, lim::kOfficialChars));
    set_field_text(info.chief_judge, cut(f.chief_judge, lim::kOfficialChars));
    set_field_text(info.chief_secretary, cut(f.chief_secretary, lim::kOfficialChars));
    for (int i = 0; i < 4; ++i)
        set_field_text(info.course_setters[i], cut(f.course_setters[i], lim::kOfficialChars));
    info.competition_kind = static_cast<std::uint8_t>(
        f.competition_kind >= 0 && f.competition_kind <= 3 ? f.competition_kind : 0);
    info.relay = f.relay ? 1 : 0;
    info.pad_numbers_to_4 = f.pad_numbers_to_4 ? 1 : 0;
    info.time_precision = static_cast<std::uint8_t>(
        f.time_precision >= 0 && f.time_precision <= 2 ? f.time_precision : 0);
    finish_data_changed(c);  // the kind and the relay flag decide results and places
    c.modified = true;
}

// ---- changed fields ----------------------------------------------------------------------

namespace {

template <class F, class... M>
F merge_fields(const F& shown, const F& edited, const F& now, M F::*... fields) {
    F out = now;
    ((out.*fields = edited.*fields == shown.*fields ? now.*fields : edited.*fields), ...);
    return out;
}

}  // namespace

RunnerForm merge_changed_fields(const RunnerForm& shown, const RunnerForm& edited,
                                const RunnerForm& now) {
    using F = RunnerForm;
    return merge_fields(shown, edited, now, &F::name, &F::class_id, &F::club_id, &F::qualification,
                        &F::birth_year, &F::heat_or_leg, &F::start_number, &F::start_time,
                        &F::card_number, &F::comment, &F::reduced_fee, &F::own_card,
                        &F::out_of_competition, &F::individual);
}

ClubForm merge_changed_fields(const ClubForm& shown, const ClubForm& edited, const ClubForm& now) {
    return merge_fields(shown, edited, now, &ClubForm::name, &ClubForm::representative);
}

ClassForm merge_changed_fields(const ClassForm& shown, const ClassForm& edited,
                               const ClassForm& now) {
    using F = ClassForm;
    return merge_fields(shown, edited, now, &F::name, &F::course_id, &F::ranks_allowed,
                        &F::ms_award, &F::kms_award, &F::fee_rental_reduced, &F::fee_rental_normal,
                        &F::fee_own_reduced, &F::fee_own_normal);
}

CourseForm merge_changed_fields(const CourseForm& shown, const CourseForm& edited,
                                const CourseForm& now) {
    using F = CourseForm;
    return merge_fields(shown, edited, now, &F::name, &F::control_count, &F::length_m, &F::climb_m,
                        &F::start_corridor, &F::time_limit_min, &F::finish_crossings,
                        &F::course_setter, &F::control_order);
}

CardReadoutForm merge_changed_fields(const CardReadoutForm& shown, const CardReadoutForm& edited,
                                     const CardReadoutForm& now) {
    using F = CardReadoutForm;
    return merge_fields(shown, edited, now, &F::card_number, &F::start_number, &F::start_time,
                        &F::finish_time, &F::punches);
}

}  // namespace skarvel
