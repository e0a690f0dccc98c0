#include "exchange/control_orders.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "core/cp1251.h"
#include "core/file_io.h"
#include "core/text_format.h"
#include "core/text_lines.h"
#include "exchange/table_appender.h"

namespace skarvel {

namespace {

constexpr long long kSaturated = 100000000000000LL;

void add_digit(long long& v, char ch) {
    if (v < kSaturated) v = v * 10 + (ch - '0');
}

bool is_digit(char ch) {
    return ch >= '0' && ch <= '9';
}

// The next field from `pos` and whether a semicolon closed it (false: the line ended).
bool next_field(std::string_view line, std::size_t& pos, std::string_view& field) {
    const std::size_t from = std::min(pos, line.size());
    const std::size_t semi = line.find(';', from);
    if (semi == std::string_view::npos) {
        field = line.substr(from);
        pos = line.size();
        return false;
    }
    field = line.substr(from, semi - from);
    pos = semi + 1;
    return true;
}

// The digits of a field as one number; other characters are passed over.
long long digits_of(std::string_view field) {
    long long v = 0;
    for (char ch : field)
        if (is_digit(ch)) add_digit(v, ch);
    return v;
}

// A number field within [0, hi], else 0 and counted.
long long in_range(std::string_view field, long long hi, int& out_of_range) {
    long long v = digits_of(field);
    if (v > hi) {
        ++out_of_range;
        return 0;
    }
    return v;
}

// A control: its digits, plus 10 when the last other character is S, 20 when it is F; any
// other last character (or the line end, when no semicolon closes it) makes it invalid (-1).
long long control_code(std::string_view field, bool closed) {
    long long v = 0;
    int add = 0;
    bool valid = true;
    for (char ch : field) {
        if (is_digit(ch)) {
            add_digit(v, ch);
            continue;
        }
        valid = ch == 'S' || ch == 'F';
        add = ch == 'S' ? 10 : ch == 'F' ? 20 : 0;
    }
    return valid && closed ? v + add : -1;
}

// Reads one line into `course`; false for a line with fewer than two semicolons.
bool parse_course(std::string_view line, int relay_number_scale, Course& course,
                  ControlOrderReport& r) {
    const std::size_t first = line.find(';');
    const std::size_t second = first == std::string_view::npos ? first : line.find(';', first + 1);
    if (second == std::string_view::npos) return false;
    set_field_text(course.name, line.substr(0, std::min<std::size_t>(second, 10)));
    std::size_t pos = second + 1;
    std::string_view f;
    bool more = next_field(line, pos, f);
    // A number, or team.leg: any other character starts the leg.
    long long team = 0, leg = 0;
    bool relay = false;
    for (char ch : f) {
        if (is_digit(ch))
            add_digit(relay ? leg : team, ch);
        else
            relay = true;
    }
    const long long number = relay ? team + leg * relay_number_scale : team;
    if (number > std::numeric_limits<std::int32_t>::max())
        ++r.out_of_range;
    else if (number != 0)
        set_field_text(course.name, strf("%lld", number));
    constexpr long long kInt32 = std::numeric_limits<std::int32_t>::max();
    std::int32_t* numbers[] = {&course.length_m, &course.climb_m, nullptr};
    for (std::int32_t* field : numbers) {
        std::string_view text;
        if (more) more = next_field(line, pos, text);
        if (field) *field = static_cast<std::int32_t>(in_range(text, kInt32, r.out_of_range));
    }
    int count = 0;
    while (more) {
        std::string_view value, control;
        if (!next_field(line, pos, value)) break;
        more = next_field(line, pos, control);
        const long long code = control_code(control, more);
        if (code < 0) continue;
        if (code > 255) {
            ++r.bad_codes;
            continue;
        }
        if (count == Course::kControlSlots) {
            ++r.cut_courses;
            break;
        }
        course.control_codes[count] = static_cast<std::uint8_t>(code);
        course.control_values[count] = static_cast<std::uint16_t>(
            in_range(value, std::numeric_limits<std::uint16_t>::max(), r.out_of_range));
        ++count;
    }
    course.control_count = count;
    return true;
}

}  // namespace

ControlOrderReport import_control_orders(Competition& c, std::string_view text,
                                         int relay_number_scale, const LanguageTable& lang) {
    ControlOrderReport r;
    std::vector<Course> read;
    int line_no = 0;
    for_each_line(text, [&](std::string_view line) {
        if (r.stopped_at_line || ++line_no > kControlOrderMaxLines) return;
        Course course;
        if (parse_course(line, relay_number_scale, course, r))
            read.push_back(course);
        else
            r.stopped_at_line = line_no;
    });

    Appender<Course> courses(c.tables.courses);
    // Classes refer to courses by 16-bit ids.
    const std::int32_t next_id = c.next_record_id(kCourses);
    const int id_room = std::max(0, std::numeric_limits<std::int16_t>::max() - next_id + 1);
    const int n = static_cast<int>(read.size());
    for (auto [table, free] : {std::pair{Txt::kIofTableCourses, courses.room()},
                               std::pair{Txt::kOcadCourseIds, id_room}})
        if (n > free) {
            r = {};
            r.message = strf_view(lang.text(Txt::kIofTablesFull),
                                  std::string(lang.text(table)).c_str(), n, free);
            return r;
        }
    for (int i = 0; i < n; ++i) {
        Course* course = courses.add();
        *course = read[i];
        course->id = next_id + i;
    }
    r.courses = n;
    if (n > 0) {
        c.recount_tables();
        c.modified = true;
    }
    r.ok = true;
    r.message = strf_view(lang.text(Txt::kOcadImported), n);
    if (r.stopped_at_line > 0)
        r.message += "\n" + strf_view(lang.text(Txt::kOcadStopped), r.stopped_at_line);
    if (r.cut_courses > 0)
        r.message += "\n" + strf_view(lang.text(Txt::kOcadTooManyPairs), Course::kControlSlots,
                                      Course::kControlSlots, r.cut_courses);
    if (r.bad_codes > 0) r.message += "\n" + strf_view(lang.text(Txt::kOcadBadCodes), r.bad_codes);
    if (r.out_of_range > 0)
        r.message += "\n" + strf_view(lang.text(Txt::kCsvOutOfRange), r.out_of_range);
    return r;
}

ControlOrderReport import_control_orders_file(Competition& c, const std::string& path,
                                              int relay_number_scale, const LanguageTable& lang) {
    std::string text;
    if (!read_text_lines(path, kControlOrderMaxLineChars, kControlOrderMaxLines, text)) {
        ControlOrderReport r;
        r.message = std::string(lang.text(Txt::kIofCannotRead));
        return r;
    }
    return import_control_orders(c, text, relay_number_scale, lang);
}

bool run_import_control_orders(Competition& c, int relay_number_scale, Prompts& prompts) {
    auto path = prompts.choose_open_file_named(
        prompts.text(Txt::kOcadFilter), cp1251_to_utf8(prompts.text(Txt::kOcadSuggested)), "txt");
    if (!path) return false;
    ControlOrderReport r = import_control_orders_file(c, *path, relay_number_scale, prompts.lang());
    prompts.message(r.message);
    return r.ok && r.courses > 0;
}

}  // namespace skarvel
