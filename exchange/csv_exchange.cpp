#include "exchange/csv_exchange.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <limits>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "core/atomic_file.h"
#include "core/cp1251.h"
#include "core/file_io.h"
#include "core/finish_results.h"
#include "core/leading_integer.h"
#include "core/text_format.h"
#include "core/text_lines.h"
#include "core/time_text.h"
#include "exchange/table_appender.h"

namespace skarvel {

namespace {

// A decimal number as the imports read it; no digits give 0.
long long leading_int(std::string_view s) {
    return leading_integer(s).value_or(0);
}

// Calls f(line) for each non-empty line of at most kCsvMaxLines (empty ones count too), the
// line end (LF or CR LF) cut off.
template <class F>
void for_each_csv_line(std::string_view text, F&& f) {
    int lines = 0;
    for_each_line(text, [&](std::string_view line) {
        if (lines++ < kCsvMaxLines && !line.empty()) f(line);
    });
}

std::string_view cut(std::string_view s, std::size_t n) {
    return s.substr(0, std::min(n, s.size()));
}

struct EntryIn {
    std::string_view class_name, name, club, comment;
    int qualification = 0, start_number = 0, birth_year = 0;
    std::int32_t card = 0;
};

// A number of the line within [lo, hi], else 0 and counted.
long long in_range(std::string_view field, long long lo, long long hi, int& out_of_range) {
    long long v = leading_int(field);
    if (v < lo || v > hi) {
        ++out_of_range;
        return 0;
    }
    return v;
}

// Reads one line (without its line end); false for a line with fewer than seven semicolons.
bool parse_entry(std::string_view line, EntryIn& e, int& out_of_range) {
    std::string_view f[7];
    std::size_t pos = 0;
    for (std::string_view& field : f) {
        std::size_t semi = line.find(';', pos);
        if (semi == std::string_view::npos) return false;
        field = line.substr(pos, semi - pos);
        pos = semi + 1;
    }
    e.class_name = cut(f[0], 8);
    e.name = cut(f[1], 24);
    e.club = cut(f[2], 20);
    long long q = in_range(f[3], 0, std::numeric_limits<long long>::max(), out_of_range);
    e.qualification = q > 10 ? 0 : static_cast<int>(q);
    e.start_number = static_cast<int>(in_range(f[4], 0, 29999, out_of_range));
    long long year = in_range(f[5], 0, 9999, out_of_range);
    e.birth_year = static_cast<int>(year >= 1 && year <= 99 ? year + 1900 : year);
    e.card = static_cast<std::int32_t>(
        in_range(f[6], 0, std::numeric_limits<std::int32_t>::max(), out_of_range));
    e.comment = cut(line.substr(pos), 20);
    return true;
}

}  // namespace

CsvImportReport import_entries_csv(Competition& c, std::string_view text,
                                   const LanguageTable& lang) {
    CsvImportReport r;
    std::vector<EntryIn> entries;
    for_each_csv_line(text, [&](std::string_view line) {
        EntryIn e;
        if (parse_entry(line, e, r.out_of_range))
            entries.push_back(e);
        else
            ++r.skipped_lines;
    });

    // Classes and clubs by name: the first of the table with a name wins, as a walk finds it.
    auto& classes = c.tables.classes;
    auto& clubs = c.tables.clubs;
    std::unordered_map<std::string_view, std::int32_t> class_ids, club_ids;
    for (int i = 0; i < classes.used_end(); ++i)
        if (const ClassRecord* k = classes[i]) class_ids.emplace(field_text(k->name), k->id);
    for (int i = 0; i < clubs.used_end(); ++i)
        if (const Club* k = clubs[i]) club_ids.emplace(field_text(k->name), k->id);
    std::unordered_map<std::string_view, std::int32_t> new_classes, new_clubs;
    for (const EntryIn& e : entries) {
        if (!class_ids.count(e.class_name)) new_classes.emplace(e.class_name, 0);
        if (!club_ids.count(e.club)) new_clubs.emplace(e.club, 0);
    }

    Appender<Runner> runners(c.tables.runners);
    Appender<ClassRecord> class_table(classes);
    Appender<Club> club_table(clubs);
    // Everything must fit before anything changes; class and club ids must fit the runner's
    // 16-bit references too.
    const std::int32_t next_class = c.next_record_id(kClasses);
    const std::int32_t next_club = c.next_record_id(kClubs);
    const int id_room = std::numeric_limits<std::int16_t>::max();
    struct Need {
        Txt table;
        int needed, free;
    } needs[] = {
        {Txt::kIofTableRunners, int(entries.size()), runners.room()},
        {Txt::kIofTableClasses, int(new_classes.size()), class_table.room()},
        {Txt::kIofTableClubs, int(new_clubs.size()), club_table.room()},
        {Txt::kCsvClassIds, int(new_classes.size()), std::max(0, id_room - next_class + 1)},
        {Txt::kCsvClubIds, int(new_clubs.size()), std::max(0, id_room - next_club + 1)},
    };
    for (const Need& n : needs)
        if (n.needed > n.free) {
            r.message = strf_view(lang.text(Txt::kIofTablesFull),
                                  std::string(lang.text(n.table)).c_str(), n.needed, n.free);
            return r;
        }

    std::int32_t class_id = next_class, club_id = next_club;
    std::int32_t runner_id = c.next_record_id(kRunners);
    for (const EntryIn& e : entries) {
        auto k = class_ids.find(e.class_name);
        if (k == class_ids.end()) {
            ClassRecord* rec = class_table.add();
            rec->id = class_id++;
            set_field_text(rec->name, e.class_name);
            k = class_ids.emplace(e.class_name, rec->id).first;
            ++r.classes;
        }
        auto b = club_ids.find(e.club);
        if (b == club_ids.end()) {
            Club* rec = club_table.add();
            rec->id = club_id++;
            set_field_text(rec->name, e.club);
            b = club_ids.emplace(e.club, rec->id).first;
            ++r.clubs;
        }
        Runner* run = runners.add();
        run->id = runner_id++;
        run->qualification = static_cast<std::uint8_t>(e.qualification);
        run->start_number = static_cast<std::uint16_t>(e.start_number);
        run->birth_year = static_cast<std::uint16_t>(e.birth_year);
        run->card_number = e.card;
        run->class_id = static_cast<std::int16_t>(k->second);
        run->club_id = static_cast<std::int16_t>(b->second);
        set_field_text(run->name, e.name);
        set_field_text(run->comment, e.comment);
        ++r.runners;
    }
    if (r.runners > 0) {
        finish_data_changed(c);
        c.recount_tables();
        c.modified = true;
    }
    r.ok = true;
    r.message = strf_view(lang.text(Txt::kCsvImported), r.runners, r.classes, r.clubs);
    if (r.skipped_lines > 0)
        r.message += "\n" + strf_view(lang.text(Txt::kCsvSkippedLines), r.skipped_lines);
    if (r.out_of_range > 0)
        r.message += "\n" + strf_view(lang.text(Txt::kCsvOutOfRange), r.out_of_range);
    return r;
}

CsvImportReport import_entries_csv_file(Competition& c, const std::string& path,
                                        const LanguageTable& lang) {
    std::string text;
    if (!read_text_lines(path, kCsvMaxLineChars, kCsvMaxLines, text)) {
        CsvImportReport r;
        r.message = std::string(lang.text(Txt::kIofCannotRead));
        return r;
    }
    return import_entries_csv(c, text, lang);
}

bool run_import_entries_csv(Competition& c, Prompts& prompts) {
    if (!prompts.ask_yes_no_captioned(prompts.text(Txt::kCsvImportQuestion), "")) return false;
    auto path = prompts.choose_open_file_named(prompts.text(Txt::kCsvFileFilter), "csv", "csv");
    if (!path) return false;
    CsvImportReport r = import_entries_csv_file(c, *path, prompts.lang());
    prompts.message(r.message);
    return r.ok && r.runners > 0;
}

namespace {

struct LineIn {
    std::string_view name;
    std::int32_t card = 0;
    int digit = 0;          // the course digit, or the penalty count
    long long penalty = 0;  // field 3 of the penalty import
    std::int32_t start = 0, finish = 0, result = 0;
    std::vector<Punch> punches;
};

enum class LineRead { kRead, kFieldMissing, kBadCourse };

// Splits a line (without its line end) and reads it. An empty field is a value (an empty
// name, no finish, no penalty); only a line that lacks one of the six fields is not read, and
// in the whole-event import one whose course is not a single digit.
LineRead parse_line(std::string_view line, bool penalty, LineIn& in, int& out_of_range) {
    std::vector<std::string_view> f;
    for (std::size_t pos = 0;;) {
        std::size_t semi = line.find(';', pos);
        f.push_back(line.substr(pos, semi == std::string_view::npos ? semi : semi - pos));
        if (semi == std::string_view::npos) break;
        pos = semi + 1;
    }
    if (f.size() < 6) return LineRead::kFieldMissing;
    in.name = f[0];
    long long card = leading_int(f[1]);
    if (card < 0 || card > std::numeric_limits<std::int32_t>::max()) {
        ++out_of_range;
        card = 0;
    }
    in.card = static_cast<std::int32_t>(card);
    if (penalty) {
        in.penalty = leading_int(f[2]);
    } else {
        if (f[2].size() != 1 || f[2][0] < '0' || f[2][0] > '9') return LineRead::kBadCourse;
        in.digit = f[2][0] - '0';
    }
    in.start = parse_time_text(f[3]);
    in.finish = parse_time_text(f[4]);
    in.result = parse_time_text(f[5]);
    // "code;time;" pairs; the empty field after the last semicolon ends them.
    for (std::size_t i = 6; i + 1 < f.size() && !f[i].empty(); i += 2) {
        if (static_cast<int>(in.punches.size()) == CardReadout::kMaxPunches) break;
        long long code = leading_int(f[i]);
        if (code < 0 || code > 255) {
            ++out_of_range;
            continue;
        }
        Punch p;
        p.code = static_cast<std::uint8_t>(code);
        p.time = parse_time_text(f[i + 1]);
        in.punches.push_back(p);
    }
    return LineRead::kRead;
}

std::vector<LineIn> read_lines(std::string_view text, bool penalty, HandheldImportReport& r) {
    std::vector<LineIn> lines;
    for_each_csv_line(text, [&](std::string_view line) {
        LineIn in;
        switch (parse_line(line, penalty, in, r.out_of_range)) {
            case LineRead::kRead:
                lines.push_back(std::move(in));
                break;
            case LineRead::kFieldMissing:
                ++r.skipped_lines;
                break;
            case LineRead::kBadCourse:
                ++r.bad_course_lines;
                break;
        }
    });
    return lines;
}

struct Need {
    Txt table;
    int needed, free;
};

bool fits(const std::vector<Need>& needs, const LanguageTable& lang, HandheldImportReport& r) {
    for (const Need& n : needs)
        if (n.needed > n.free) {
            r.message = strf_view(lang.text(Txt::kIofTablesFull),
                                  std::string(lang.text(n.table)).c_str(), n.needed, n.free);
            return false;
        }
    return true;
}

CardReadout* add_readout(Appender<CardReadout>& cards, const LineIn& in) {
    CardReadout* cr = cards.add();
    cr->card_number = in.card;
    cr->start_number = in.card % 10000;
    cr->start.time = in.start;
    cr->finish.time = in.finish;
    std::copy(in.punches.begin(), in.punches.end(), cr->punches);
    cr->punch_count = static_cast<std::int32_t>(in.punches.size());
    return cr;
}

void close_report(Competition& c, const LanguageTable& lang, HandheldImportReport& r) {
    if (r.readouts > 0) {
        finish_data_changed(c);
        c.recount_tables();
        c.modified = true;
    }
    r.ok = true;
    r.message = strf_view(lang.text(Txt::kPalmImported), r.runners, r.readouts, r.finish_lines);
    if (r.skipped_lines > 0)
        r.message += "\n" + strf_view(lang.text(Txt::kPalmSkippedLines), r.skipped_lines);
    if (r.bad_course_lines > 0)
        r.message += "\n" + strf_view(lang.text(Txt::kPalmBadCourseLines), r.bad_course_lines);
    if (r.out_of_range > 0)
        r.message += "\n" + strf_view(lang.text(Txt::kCsvOutOfRange), r.out_of_range);
}

}  // namespace

HandheldImportReport import_handheld_csv(Competition& c, std::string_view text,
                                         const LanguageTable& lang) {
    HandheldImportReport r;
    std::vector<LineIn> lines = read_lines(text, false, r);
    Appender<Runner> runners(c.tables.runners);
    Appender<CardReadout> cards(c.tables.card_readouts);
    Appender<FinishLine> finish(c.tables.finish_lines);
    Appender<ClassRecord> classes(c.tables.classes);
    Appender<Course> courses(c.tables.courses);
    const int n = static_cast<int>(lines.size());
    // The ten classes and courses take the next free ids (the competition may hold others).
    const std::int32_t class_base = c.next_record_id(kClasses);
    const std::int32_t course_base = c.next_record_id(kCourses);
    const int id_room = std::numeric_limits<std::int16_t>::max();
    // A file without a line that can be read adds nothing: trying it again after mending it
    // must not leave ten more classes and courses each time.
    const int new_classes = n > 0 ? 10 : 0;
    if (!fits({{Txt::kIofTableRunners, n, runners.room()},
               {Txt::kIofTableCards, n, cards.room()},
               {Txt::kIofTableFinish, n, finish.room()},
               {Txt::kIofTableClasses, new_classes,
                std::min(classes.room(), id_room - class_base + 1)},
               {Txt::kIofTableCourses, new_classes,
                std::min(courses.room(), id_room - course_base + 1)}},
              lang, r))
        return r;
    static const std::string removed = utf8_to_cp1251("Снят");
    for (int k = 0; k < new_classes; ++k) {
        ClassRecord* cls = classes.add();
        cls->id = class_base + k;
        cls->course_id = static_cast<std::int16_t>(course_base + k);
        set_field_text(cls->name, k == 0 ? removed : strf("D%d", k));
        Course* course = courses.add();
        course->id = course_base + k;
        set_field_text(course->name, strf("%d", k));
    }
    std::int32_t runner_id = c.next_record_id(kRunners);
    std::vector<Runner*> made;
    for (int i = 0; i < n; ++i) {
        const LineIn& in = lines[i];
        Runner* run = made.emplace_back(runners.add());
        run->id = runner_id++;
        set_field_text(run->name, in.name);
        run->card_number = in.card;
        run->class_id = static_cast<std::int16_t>(class_base + in.digit);
        run->start_time = in.start;
        run->finish_time = in.finish;
        run->start_number = static_cast<std::uint16_t>(i + 1);
        add_readout(cards, in);
        FinishLine* fl = finish.add();
        fl->start_number = static_cast<std::int16_t>(i + 1);
        fl->set_time(in.finish);
        ++r.runners;
        ++r.readouts;
        ++r.finish_lines;
    }
    close_report(c, lang, r);
    // The recorder's own result (field 6) is the runner's result, whatever finish minus start
    // gives; the places follow it. (A later change of the finish list computes it anew.)
    for (int i = 0; i < n; ++i) made[i]->result = lines[i].result;
    if (n > 0) assign_finish_places(c);
    return r;
}

HandheldImportReport import_handheld_penalty_csv(Competition& c, std::string_view text,
                                                 const LanguageTable& lang) {
    HandheldImportReport r;
    std::vector<LineIn> lines = read_lines(text, true, r);
    // The first runner of the table with each card number.
    std::unordered_map<std::int32_t, Runner*> by_card;
    for (int i = 0; i < c.tables.runners.used_end(); ++i)
        if (Runner* run = c.tables.runners[i]) by_card.emplace(run->card_number, run);
    bool any_unknown = false;
    for (const LineIn& in : lines) any_unknown = any_unknown || !by_card.count(in.card);
    Appender<Runner> runners(c.tables.runners);
    Appender<CardReadout> cards(c.tables.card_readouts);
    Appender<FinishLine> finish(c.tables.finish_lines);
    const int n = static_cast<int>(lines.size());
    if (!fits({{Txt::kIofTableRunners, any_unknown ? 1 : 0, runners.room()},
               {Txt::kIofTableCards, n, cards.room()},
               {Txt::kIofTableFinish, n, finish.room()}},
              lang, r))
        return r;
    // Every unknown card of the file goes to one spare runner, made when the first one comes.
    Runner* spare = nullptr;
    for (const LineIn& in : lines) {
        auto known = by_card.find(in.card);
        Runner* run = known != by_card.end() ? known->second : nullptr;
        if (!run) {
            r.unknown_cards.push_back(in.card);
            if (!spare) {
                spare = runners.add();
                spare->id = c.next_record_id(kRunners);
                ++r.runners;
            }
            run = spare;
        }
        add_readout(cards, in);
        FinishLine* fl = finish.add();
        fl->start_number = static_cast<std::int16_t>(run->start_number);
        fl->set_time(in.finish);
        long long penalty = in.penalty * c.info.penalty_per_miss;
        if (penalty < 0 || penalty > std::numeric_limits<std::uint16_t>::max()) {
            ++r.out_of_range;
            penalty = 0;
        }
        run->penalty = static_cast<std::uint16_t>(penalty);
        run->start_time = in.start;
        run->finish_time = in.finish;
        ++r.readouts;
        ++r.finish_lines;
    }
    close_report(c, lang, r);
    return r;
}

HandheldImportReport import_handheld_file(Competition& c, const std::string& path, bool penalty,
                                          const LanguageTable& lang) {
    std::string text;
    if (!read_text_lines(path, kCsvMaxLineChars, kCsvMaxLines, text)) {
        HandheldImportReport r;
        r.message = std::string(lang.text(Txt::kIofCannotRead));
        return r;
    }
    return penalty ? import_handheld_penalty_csv(c, text, lang)
                   : import_handheld_csv(c, text, lang);
}

bool run_import_handheld_csv(Competition& c, Prompts& prompts, bool penalty) {
    if (!prompts.ask_yes_no_captioned(
            prompts.text(penalty ? Txt::kPalmPenaltyQuestion : Txt::kPalmQuestion), ""))
        return false;
    auto path = prompts.choose_open_file_named(prompts.text(Txt::kCsvFileFilter), "csv", "csv");
    if (!path) return false;
    HandheldImportReport r = import_handheld_file(c, *path, penalty, prompts.lang());
    for (std::int32_t card : r.unknown_cards)
        prompts.message(strf_view(prompts.text(Txt::kPalmUnknownCard), long(card)));
    prompts.message(r.message);
    return r.ok && r.readouts > 0;
}

namespace {

// A number in decimal, then `after` (";" or nothing).
void append_number(std::string& out, long long v, std::string_view after = {}) {
    char buf[24];
    auto end = std::to_chars(buf, buf + sizeof buf, v).ptr;
    out.append(buf, end);
    out += after;
}

// Names by the 16-bit id a runner refers to (ids outside 0..32767 cannot be referred to); the
// first record of an id wins. The names are copied into one flat array, so the lookups of a
// full table touch one small block each instead of a record somewhere on the heap.
class NamesById {
  public:
    template <class R>
    explicit NamesById(const Table<R>& t) {
        static_assert(sizeof(R::name) <= sizeof(Name::text));
        for (int i = 0; i < t.used_end(); ++i)
            if (const R* k = t[i]; k && k->id >= 0 && k->id <= kMaxId) {
                if (k->id >= static_cast<std::int32_t>(names_.size()))
                    names_.resize(static_cast<std::size_t>(k->id) + 1);
                Name& n = names_[static_cast<std::size_t>(k->id)];
                if (n.set) continue;
                std::string_view text = field_text(k->name);
                std::copy(text.begin(), text.end(), n.text);
                n.size = static_cast<std::uint8_t>(text.size());
                n.set = true;
            }
    }
    // The name, or `missing` when no record has the id.
    std::string_view find(std::int32_t id, std::string_view missing) const {
        if (id < 0 || id >= static_cast<std::int32_t>(names_.size())) return missing;
        const Name& n = names_[static_cast<std::size_t>(id)];
        return n.set ? std::string_view(n.text, n.size) : missing;
    }
    bool has(std::int32_t id) const {
        return id >= 0 && id < static_cast<std::int32_t>(names_.size()) &&
               names_[static_cast<std::size_t>(id)].set;
    }

  private:
    static constexpr std::int32_t kMaxId = std::numeric_limits<std::int16_t>::max();
    struct Name {
        char text[22];
        std::uint8_t size = 0;
        bool set = false;
    };
    std::vector<Name> names_;
};

}  // namespace

std::string online_csv(const Competition& c) {
    static const std::string not_started = utf8_to_cp1251("н.старт");
    static const std::string own = utf8_to_cp1251("свой"), rented = utf8_to_cp1251("аренда");
    const NamesById classes(c.tables.classes);
    const NamesById clubs(c.tables.clubs);
    std::string out;
    const auto& runners = c.tables.runners;
    out.reserve(static_cast<std::size_t>(runners.occupied_count()) * 112);
    for (int i = 0; i < runners.used_end(); ++i) {
        // The records lie apart on the heap: ask for one a few runners ahead.
        if (const Runner* ahead = runners[i + 8]) __builtin_prefetch(ahead);
        const Runner* r = runners[i];
        if (!r) continue;
        std::string day1 = format_time_text(r->day_results[0], 2);
        std::string day2 = format_time_text(r->day_results[1], 2);
        if (r->heat_or_leg == 1) day2 = not_started;
        if (r->heat_or_leg == 2) day1 = not_started;
        out += ";;;;;";
        out += format_time_text(r->start_time, 2);
        out += ';';
        out += field_text(r->name);
        out += ';';
        out += classes.find(r->class_id, ".");
        out += ';';
        out += clubs.find(r->club_id, ".");
        out += ';';
        append_number(out, r->start_number, ";");
        append_number(out, r->card_number, ";");
        append_number(out, r->status, ";");
        out += day1;
        out += ';';
        out += day2;
        out += ';';
        out += (r->fee_flags & Runner::kFeeOwnCard) ? own : rented;
        out += ";\r\n";
    }
    return out;
}

std::string relay_online_csv(const Competition& c) {
    std::vector<const Runner*> numbered;
    const auto& runners = c.tables.runners;
    for (int i = 0; i < runners.used_end(); ++i)
        if (const Runner* r = runners[i]; r && r->start_number != 0) numbered.push_back(r);
    std::stable_sort(numbered.begin(), numbered.end(), [](const Runner* a, const Runner* b) {
        auto key = [](const Runner* r) {
            return std::tuple(r->class_id, r->start_number % 100, r->start_number / 100,
                              r->heat_or_leg);
        };
        return key(a) < key(b);
    });
    const NamesById classes(c.tables.classes);
    const NamesById clubs(c.tables.clubs);
    std::string out;
    bool open = false;
    int team = -1, team_class = 0;
    std::int32_t team_start = 0;
    auto close_team = [&] {
        if (open) out += format_time_text(team_start, 0) + "\r\n";
        open = false;
    };
    for (const Runner* r : numbered) {
        if (!classes.has(r->class_id)) continue;
        // A team line per class and team number: teams of the same number in two classes are
        // two teams.
        if (!open || r->start_number % 100 != team || r->class_id != team_class) {
            close_team();
            open = true;
            team = r->start_number % 100;
            team_class = r->class_id;
            team_start = r->start_time;
            out += ";;;;";
            out += classes.find(r->class_id, {});
            out += ';';
        }
        append_number(out, r->start_number, ";");
        out += field_text(r->name);
        out += ';';
        out += clubs.find(r->club_id, " ");
        out += ';';
    }
    close_team();
    return out;
}

bool write_csv_file(const std::string& path, std::string_view bytes, Prompts& prompts) {
    bool ok = write_file_atomically(path, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                    bytes.size());
    if (!ok) prompts.message(prompts.text(Txt::kIofCannotWrite));
    return ok;
}

bool run_export_online_csv(const Competition& c, Prompts& prompts) {
    auto path = prompts.choose_save_file(prompts.text(Txt::kCsvOnlineFilter),
                                         cp1251_to_utf8(prompts.text(Txt::kCsvOnlineSuggested)));
    if (!path) return false;
    return write_csv_file(*path, online_csv(c), prompts);
}

bool run_export_relay_online_csv(const Competition& c, Prompts& prompts, ShellOpener& shell) {
    bool any = false;
    for (int i = 0; i < c.tables.runners.used_end() && !any; ++i)
        any = c.tables.runners[i] && c.tables.runners[i]->start_number != 0;
    if (!any) return false;
    auto path = prompts.choose_save_file_titled(prompts.text(Txt::kCsvRelayFilter), "csv",
                                                prompts.text(Txt::kCsvRelayTitle));
    if (!path) return false;
    if (!write_csv_file(*path, relay_online_csv(c), prompts)) return false;
    shell.open_path(*path);
    return true;
}

}  // namespace skarvel
