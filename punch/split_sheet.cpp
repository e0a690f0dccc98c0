#include "punch/split_sheet.h"

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

#include "core/cp1251.h"
#include "core/flat_index.h"
#include "core/text_format.h"
#include "core/time_text.h"
#include "punch/check_punches.h"

namespace skarvel {

using namespace literals;

namespace {

std::string time_text(std::int32_t t, int precision) {
    return format_time_text(t, precision);
}

std::string title_of(const Competition& c) {
    return std::string(field_text(c.info.title_lines[0]));
}

// Pace in seconds per kilometre from centiseconds over metres, as minutes and seconds.
std::string pace_text(std::string_view format, std::int32_t centis, std::int32_t metres) {
    std::int64_t p = static_cast<std::int64_t>(centis) * 10 / metres;
    return strf_view(format, static_cast<int>(p / 60), static_cast<int>(p % 60));
}

// The first course in table order (up to the first empty slot) whose name, read as a decimal
// number, is the start number.
Course* first_course_by_number(const Competition& c, int number) {
    const auto& t = c.tables.courses;
    for (int i = 0; i < t.capacity() && t[i]; ++i) {
        std::string name(field_text(t[i]->name));
        if (std::atoi(name.c_str()) == number) return t[i];
    }
    return nullptr;
}

// The course of the runner's class, with the messages for a missing class or course.
Course* class_course_of(const Competition& c, const Runner& r, Prompts& prompts) {
    ClassRecord* cls = c.live.klass(r.class_id);
    if (!cls) {
        prompts.message(prompts.text(Txt::kNoSuchClass));
        return nullptr;
    }
    Course* course = c.live.course(cls->course_id);
    if (!course) prompts.message(prompts.text(Txt::kNoSuchCourse));
    return course;
}

// Start reference and its line: the start time, or in a relay the previous leg's finish.
struct StartRef {
    std::int32_t time = 0;
    std::string line;  // empty: no start line
};
StartRef start_reference(const Competition& c, const Runner& r) {
    StartRef ref{r.start_time, {}};
    int precision = c.info.time_precision;
    if (!c.info.relay) {
        ref.line = strf_view("Старт: %s"_cp1251, time_text(r.start_time, precision).c_str());
    } else if (r.start_number > 2000) {
        int previous = r.start_number - 1000;
        const auto& t = c.tables.finish_lines;
        for (int i = 0; i < t.capacity() && t[i]; ++i)
            if (t[i]->start_number == previous) {
                ref.time = t[i]->time();
                ref.line = strf_view("Финиш пред.этапа: %s"_cp1251,
                                     time_text(ref.time, precision).c_str());
                break;
            }
    }
    return ref;
}

// The walk of the course through the punches: a numbered line for every control found, the
// extra-punch form for every punch passed over; ends when the punches run out.
struct CourseWalk {
    std::vector<std::string> lines;
    bool found = true;  // a course without controls counts as run
    std::int32_t leg_ref = 0;
};
CourseWalk walk_course(const Competition& c, const Runner& r, const CardReadout& card,
                       const Course& course, std::int32_t start_ref, int precision) {
    CourseWalk w;
    w.leg_ref = start_ref;
    int n = card.held_punches();
    int j = 0;
    for (int k = 0; k < 64 && course.control_codes[k] != 0; ++k) {
        int control = course.control_codes[k];
        w.found = false;
        bool walk_ended = true;
        while (j < n) {
            const Punch& p = card.punches[j];
            std::int32_t shown = c.info.new_split_layout ? p.time - r.start_time : p.time;
            std::string tt = time_text(shown, precision);
            std::string split = time_text(p.time - w.leg_ref, 0);
            ++j;
            if (p.code == control) {
                std::string line =
                    strf_view("%3d (%3d) %-8s %-8s", k + 1, control, tt.c_str(), split.c_str());
                if (c.info.print_speed && course.control_values[k] != 0)
                    line += pace_text(" %3d:%02d/км"_cp1251, p.time - w.leg_ref,
                                      course.control_values[k]);
                w.lines.push_back(std::move(line));
                w.leg_ref = p.time;
                w.found = true;
                walk_ended = false;
                break;
            }
            w.lines.push_back(strf_view("    -%3d- %-8s", static_cast<int>(p.code), tt.c_str()));
        }
        if (walk_ended) break;
    }
    return w;
}

// Finish, result and average pace lines of the course-order layouts.
std::vector<std::string> finish_lines(const Competition& c, const Runner& r, const Course& course,
                                      std::int32_t start_ref, std::int32_t leg_ref, bool found) {
    std::vector<std::string> out;
    if (r.finish_time == 0) return out;
    int precision = c.info.time_precision;
    std::int32_t shown = c.info.new_split_layout ? r.finish_time - r.start_time : r.finish_time;
    out.push_back(strf_view("Финиш:    %-8s %-8s"_cp1251, time_text(shown, precision).c_str(),
                            time_text(r.finish_time - leg_ref, precision).c_str()));
    if (found && r.result != 0) {
        std::int32_t result = c.info.relay ? r.finish_time - start_ref : r.result;
        out.push_back(strf_view("Результат:%-8s"_cp1251, time_text(result, precision).c_str()));
        if (c.info.print_speed && course.length_m != 0)
            out.push_back(
                pace_text("Средняя скорость %3d:%02d/км"_cp1251, result, course.length_m));
    }
    return out;
}

bool over_time_limit(const Competition& c, const Runner& r) {
    if (!c.info.limit_disqualify) return false;
    const ClassRecord* cls = c.live.klass(r.class_id);
    const Course* course = cls ? c.live.course(cls->course_id) : nullptr;
    return over_course_time_limit(course, r.result);
}

std::string_view over_time_text() {
    return "ПРЕВЫШЕНИЕ КОНТРОЛЬНОГО ВРЕМЕНИ!"_cp1251;
}

// The course of the course-order layouts: mode 2 (and 6) by the runner's number, else the
// class's course.
Course* sheet_course(const Competition& c, const Runner& r, int mode, Prompts& prompts) {
    if (mode == 2 || mode == 6) {
        Course* course = first_course_by_number(c, r.start_number);
        if (!course) prompts.message(prompts.text(Txt::kNoSuchCourse));
        return course;
    }
    return class_course_of(c, r, prompts);
}

int scale_index(int split_scale) {
    return split_scale >= 0 && split_scale <= 2 ? split_scale : 0;
}

}  // namespace

double split_heading_font_inch(int split_scale) {
    static constexpr double h[3] = {0.22222222, 0.16666667, 0.1388889};
    return h[scale_index(split_scale)];
}

double split_body_font_inch(int split_scale) {
    static constexpr double h[3] = {0.15277778, 0.12916666, 0.11111111};
    return h[scale_index(split_scale)];
}

PageFont split_font(bool heading, bool bold, int split_scale) {
    PageFont f;
    f.face = "Courier New Cyr";
    f.height_inch =
        heading ? split_heading_font_inch(split_scale) : split_body_font_inch(split_scale);
    f.weight = bold ? 700 : 400;
    f.fixed_pitch = true;
    return f;
}

SplitSheet compose_split_sheet(Competition& c, Runner& r, const CardReadout& card,
                               Prompts& prompts) {
    int mode = effective_check_mode(c.info.check_mode);
    if (mode != 1 && mode != 2) return compose_plain_sheet(c, &r, card, prompts);

    SplitSheet s;
    s.course_order = true;
    s.x_mm = c.info.split_left_offset_cm * 10.0;
    Course* course = sheet_course(c, r, mode, prompts);
    if (!course) return s;
    s.ok = true;
    std::string name(field_text(r.name));
    s.document_name = strf_view("Информашка № %d :%s"_cp1251, r.start_number, name.c_str());
    int precision = c.info.time_precision;

    s.lines.push_back({20, true, title_of(c)});
    s.lines.push_back({26, true, name});
    double y = 32;
    if (const Club* club = c.find_club_by_id(r.club_id)) {
        s.lines.push_back({32, true, std::string(field_text(club->name))});
        y = 38;
    }
    auto body = [&](std::string text) {
        s.lines.push_back({y, false, std::move(text)});
        y += 4;
    };
    body(strf_view("№ %4d, VP-чип № %d"_cp1251, r.start_number, card.card_number));
    StartRef ref = start_reference(c, r);
    if (!ref.line.empty()) body(ref.line);
    if (const ClassRecord* cls = c.live.klass(r.class_id))
        body(strf_view("Группа: %s"_cp1251, std::string(field_text(cls->name)).c_str()));

    CourseWalk w = walk_course(c, r, card, *course, ref.time, precision);
    for (auto& line : w.lines) body(std::move(line));
    for (auto& line : finish_lines(c, r, *course, ref.time, w.leg_ref, w.found))
        body(std::move(line));
    s.found = w.found;
    if (w.found) {
        body(std::string("Отметка - ОК"_cp1251));
    } else {
        body(std::string("Отметка - ПЛОХАЯ"_cp1251));
        body(std::string("Должно быть:"_cp1251));
        std::string codes;
        int count = 0;
        for (int k = 0; k < 50 && course->control_codes[k] != 0; ++k) {
            codes += strf_view("%3d ", static_cast<int>(course->control_codes[k]));
            if (++count % 5 == 0) {
                body(std::move(codes));
                codes.clear();
            }
        }
        if (!codes.empty()) body(std::move(codes));
    }
    if (c.live.klass(r.class_id) && over_time_limit(c, r)) body(std::string(over_time_text()));
    return s;
}

SplitSheet compose_plain_sheet(Competition& c, Runner* r, const CardReadout& card,
                               Prompts& prompts) {
    SplitSheet s;
    s.x_mm = c.info.split_left_offset_cm * 10.0;
    int precision = c.info.time_precision;
    double y = 0;
    auto line = [&](std::string text) {
        s.lines.push_back({y, true, std::move(text)});
        y += 4;
    };
    if (r) {
        if (!class_course_of(c, *r, prompts)) return s;
        s.document_name = strf_view("Информашка № %d"_cp1251, r->start_number);
        const ClassRecord* cls = c.live.klass(r->class_id);
        s.lines.push_back({20, true, title_of(c)});
        s.lines.push_back({26, true,
                           strf_view("№ %d, %s"_cp1251, r->start_number,
                                     std::string(field_text(r->name)).c_str())});
        s.lines.push_back(
            {32, true, strf_view("Группа: %s"_cp1251, std::string(field_text(cls->name)).c_str())});
        y = 38;
        if (const Club* club = c.find_club_by_id(r->club_id)) {
            s.lines.push_back(
                {38, true,
                 strf_view("Коллектив: %s"_cp1251, std::string(field_text(club->name)).c_str())});
            y = 42;
        }
        line(strf_view("Старт: %s"_cp1251, time_text(r->start_time, precision).c_str()));
    } else {
        s.document_name = std::string("Информашка - неизвестный"_cp1251);
        s.lines.push_back({20, true, title_of(c)});
        s.lines.push_back({26, true, std::string("Неизвестный участник"_cp1251)});
        y = 32;
        if (card.start.time != 0)
            line(strf_view("Стартовая станция: %s"_cp1251,
                           time_text(card.start.time, precision).c_str()));
        if (card.finish.time != 0)
            line(strf_view("Финишная  станция: %s"_cp1251,
                           time_text(card.finish.time, precision).c_str()));
    }
    s.ok = true;
    line(strf_view("VP-чип № %d"_cp1251, card.card_number));
    int n = card.held_punches();
    std::int32_t previous = 0;
    for (int i = 0; i < n; ++i) {
        const Punch& p = card.punches[i];
        line(strf_view("%3d (%3d) %-8s %-8s", i + 1, static_cast<int>(p.code),
                       time_text(p.time, precision).c_str(),
                       time_text(p.time - previous, precision).c_str()));
        previous = p.time;
    }
    if (r && c.info.check_mode != 0)
        line(r->status != 0 ? std::string("Отметка ПЛОХАЯ!"_cp1251)
                            : std::string("Отметка OK!"_cp1251));
    else
        line(std::string("Отметка не проверялась !"_cp1251));
    if (r && r->finish_time != 0) {
        std::int32_t last = n > 0 ? card.punches[n - 1].time : 0;
        line(strf_view("Финиш:    %-8s %-8s"_cp1251, time_text(r->finish_time, precision).c_str(),
                       time_text(r->finish_time - last, precision).c_str()));
        if (r->result != 0)
            line(strf_view("Результат (без проверки):%-8s"_cp1251,
                           time_text(r->result, precision).c_str()));
    }
    if (r && over_time_limit(c, *r)) {
        r->status = kStatusOverTime;
        c.modified = true;
        line(std::string(over_time_text()));
    }
    return s;
}

void draw_split_sheet(PageDevice& dev, const SplitSheet& sheet, int split_scale) {
    dev.begin_page();
    // The plain sheet uses the heading size for every line, in regular weight.
    bool bold = sheet.course_order;
    int current = -1;
    for (const auto& line : sheet.lines) {
        int want = line.heading ? 1 : 0;
        if (want != current) {
            dev.set_custom_font(split_font(line.heading, bold, split_scale));
            current = want;
        }
        dev.text_at(sheet.x_mm, line.y_mm, line.text);
    }
    dev.end_page();
}

namespace {
void print_sheet(const SplitSheet& sheet, Competition& c, ReportEnv& env) {
    if (!sheet.ok) return;
    auto dev = open_printer_report(env, sheet.document_name);
    if (!dev) return;
    draw_split_sheet(*dev, sheet, c.info.split_scale);
    end_printer_report(env, *dev);
}
}  // namespace

bool print_split_sheet(Competition& c, Runner& r, const CardReadout& card, ReportEnv& env) {
    SplitSheet s = compose_split_sheet(c, r, card, env.prompts);
    print_sheet(s, c, env);
    return s.course_order && s.ok && s.found;
}

void print_plain_sheet(Competition& c, Runner* r, const CardReadout& card, ReportEnv& env) {
    print_sheet(compose_plain_sheet(c, r, card, env.prompts), c, env);
}

bool write_split_text(ByteSink& out, Competition& c, const Runner& r, const CardReadout& card,
                      Prompts& prompts) {
    int mode = c.info.check_mode;
    Course* course = sheet_course(c, r, mode, prompts);
    if (!course) return false;
    auto line = [&](std::string_view text) {
        out.write(text);
        out.write("\r\n");
    };
    line(title_of(c));
    line(field_text(r.name));
    if (const Club* club = c.find_club_by_id(r.club_id)) line(field_text(club->name));
    line(strf_view("№ %4d, VP-чип № %d"_cp1251, r.start_number, card.card_number));
    StartRef ref = start_reference(c, r);
    if (!ref.line.empty()) line(ref.line);
    if (const ClassRecord* cls = c.live.klass(r.class_id))
        line(strf_view("Группа: %s"_cp1251, std::string(field_text(cls->name)).c_str()));

    bool found;
    std::int32_t leg_ref = ref.time;
    if (mode == 0 || mode == 3) {
        int n = card.held_punches();
        for (int i = 0; i < n; ++i) {
            const Punch& p = card.punches[i];
            std::string text =
                strf_view("%3d (%3d) %-8s %-8s", i + 1, static_cast<int>(p.code),
                          time_text(p.time, 0).c_str(), time_text(p.time - leg_ref, 0).c_str());
            if (c.info.print_speed && i < Course::kControlSlots && course->control_values[i] != 0)
                text +=
                    pace_text(" %3d:%02d/км"_cp1251, p.time - leg_ref, course->control_values[i]);
            line(text);
            leg_ref = p.time;
        }
        // The listing checks nothing: the verdict is the one the card reader gave.
        found = r.status == 0;
    } else {
        CourseWalk w = walk_course(c, r, card, *course, ref.time, 0);
        for (const auto& text : w.lines) line(text);
        leg_ref = w.leg_ref;
        found = w.found;
    }
    for (const auto& text : finish_lines(c, r, *course, ref.time, leg_ref, found)) line(text);
    line(found ? std::string_view("Отметка - ОК"_cp1251)
               : std::string_view("Отметка - ПЛОХАЯ"_cp1251));
    return found;
}

std::function<void(const Runner*, const CardReadout&)> split_print_hook(Competition& c,
                                                                        ReportEnv& env) {
    return [&c, &env](const Runner* owner, const CardReadout& card) {
        if (!owner) {
            print_plain_sheet(c, nullptr, card, env);
            return;
        }
        // The owner is a runner of this competition; the plain sheet may disqualify it.
        print_split_sheet(c, const_cast<Runner&>(*owner), card, env);
    };
}

int print_split_range(Competition& c, SplitRangeState& state, int current_row, ReportEnv& env) {
    int first = state.start_from == 0 ? current_row : state.start_from - 1;
    int end = state.count == 0 ? kCardReadoutCapacity : first + state.count;
    first = std::max(first, 0);
    end = std::min(end, kCardReadoutCapacity);
    const auto& t = c.tables.card_readouts;
    int printed = 0;
    int i = first;
    for (; i < end && t[i]; ++i) {
        const CardReadout& card = *t[i];
        Runner* owner = nullptr;
        if (card.card_number != 0) {
            const auto& runners = c.tables.runners;
            for (int k = 0; k < runners.capacity() && !owner; ++k)
                if (runners[k] && runners[k]->card_number == card.card_number) owner = runners[k];
        }
        if (owner) {
            print_split_sheet(c, *owner, card, env);
        } else {
            env.prompts.message(env.prompts.text(Txt::kSplitOwnerNotFound));
            print_plain_sheet(c, nullptr, card, env);
        }
        ++printed;
    }
    state.start_from = std::min(i + 1, 29999);
    return printed;
}

std::vector<std::pair<Runner*, const CardReadout*>> runners_with_readouts(const Competition& c) {
    // The first readout of each card number, found once: one walk over each table, into a
    // flat index (no allocation per readout). Records are allocated one by one and the index
    // outgrows the cache at full tables, so each walk fetches ahead on two levels: the record
    // kFar steps on, and the index slot of the record kNear steps on (whose card number is
    // already fetched). The lookups then overlap instead of waiting on memory one by one.
    constexpr int kNear = 8;
    constexpr int kFar = 24;
    const auto& cards = c.tables.card_readouts;
    const int cards_end = cards.live_count();
    FlatIndex<const CardReadout*> first;
    first.reset(static_cast<std::size_t>(cards_end));
    for (int k = 0; k < cards_end; ++k) {
        if (k + kFar < cards_end) __builtin_prefetch(&cards[k + kFar]->card_number);
        if (k + kNear < cards_end) first.prefetch(cards[k + kNear]->card_number);
        first.insert_first(cards[k]->card_number, cards[k]);
    }
    std::vector<std::pair<Runner*, const CardReadout*>> out;
    const auto& runners = c.tables.runners;
    const int runners_end = runners.live_count();
    out.reserve(static_cast<std::size_t>(std::min(runners_end, cards_end)));
    for (int i = 0; i < runners_end; ++i) {
        if (i + kFar < runners_end) {
            // The start number and the card number may sit on different cache lines.
            __builtin_prefetch(&runners[i + kFar]->start_number);
            __builtin_prefetch(&runners[i + kFar]->card_number);
        }
        if (i + kNear < runners_end) first.prefetch(runners[i + kNear]->card_number);
        Runner* r = runners[i];
        if (r->start_number == 0 || r->card_number == 0) continue;
        if (const CardReadout* const* card = first.find(r->card_number)) out.emplace_back(r, *card);
    }
    return out;
}

int print_splits_by_runner_order(Competition& c, ReportEnv& env) {
    if (!env.prompts.ask_yes_no_captioned(env.prompts.text(Txt::kSplitsCurrentQuestion),
                                          env.prompts.text(Txt::kAttention)))
        return 0;
    int printed = 0;
    for (auto [r, card] : runners_with_readouts(c)) {
        print_split_sheet(c, *r, *card, env);
        ++printed;
    }
    return printed;
}

}  // namespace skarvel
