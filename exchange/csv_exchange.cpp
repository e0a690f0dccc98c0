#include "exchange/csv_exchange.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "core/cp1251.h"
#include "core/file_io.h"
#include "core/finish_results.h"
#include "core/text_format.h"
#include "core/time_text.h"
#include "exchange/table_appender.h"

namespace skarvel {

namespace {

// A decimal number as the imports read it: leading blanks and a sign, then digits up to the
// first other character; no digits give 0. Saturates far outside every field's range.
long long leading_int(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    long long v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
        if (v < 100000000000000LL) v = v * 10 + (s[i] - '0');
    return negative ? -v : v;
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
    int lines = 0;
    for (std::size_t pos = 0; pos < text.size() && lines < kCsvMaxLines; ++lines) {
        std::size_t end = text.find('\n', pos);
        std::string_view line =
            text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
        pos = end == std::string_view::npos ? text.size() : end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        EntryIn e;
        if (parse_entry(line, e, r.out_of_range))
            entries.push_back(e);
        else
            ++r.skipped_lines;
    }

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

void appendf(std::string& out, const char* format, long long v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, format, v);
    out += buf;
}

template <class R>
std::unordered_map<std::int32_t, std::string_view> names_by_id(const Table<R>& t) {
    std::unordered_map<std::int32_t, std::string_view> m;
    for (int i = 0; i < t.used_end(); ++i)
        if (const R* k = t[i]) m.emplace(k->id, field_text(k->name));
    return m;
}

}  // namespace

std::string online_csv(const Competition& c) {
    static const std::string not_started = utf8_to_cp1251("н.старт");
    static const std::string own = utf8_to_cp1251("свой"), rented = utf8_to_cp1251("аренда");
    const auto classes = names_by_id(c.tables.classes);
    const auto clubs = names_by_id(c.tables.clubs);
    std::string out;
    const auto& runners = c.tables.runners;
    for (int i = 0; i < runners.used_end(); ++i) {
        const Runner* r = runners[i];
        if (!r) continue;
        auto k = classes.find(r->class_id);
        auto b = clubs.find(r->club_id);
        std::string day1 = format_time_text(r->day_results[0], 2);
        std::string day2 = format_time_text(r->day_results[1], 2);
        if (r->heat_or_leg == 1) day2 = not_started;
        if (r->heat_or_leg == 2) day1 = not_started;
        out += ";;;;;";
        out += format_time_text(r->start_time, 2);
        out += ';';
        out += field_text(r->name);
        out += ';';
        out += k == classes.end() ? std::string_view(".") : k->second;
        out += ';';
        out += b == clubs.end() ? std::string_view(".") : b->second;
        appendf(out, ";%lld", r->start_number);
        appendf(out, ";%lld", r->card_number);
        appendf(out, ";%lld;", r->status);
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
    const auto classes = names_by_id(c.tables.classes);
    const auto clubs = names_by_id(c.tables.clubs);
    std::string out;
    bool open = false;
    int team = -1, team_class = 0;
    std::int32_t team_start = 0;
    auto close_team = [&] {
        if (open) out += format_time_text(team_start, 0) + "\r\n";
        open = false;
    };
    for (const Runner* r : numbered) {
        auto k = classes.find(r->class_id);
        if (k == classes.end()) continue;
        // A team line per class and team number: teams of the same number in two classes are
        // two teams.
        if (!open || r->start_number % 100 != team || r->class_id != team_class) {
            close_team();
            open = true;
            team = r->start_number % 100;
            team_class = r->class_id;
            team_start = r->start_time;
            out += ";;;;";
            out += k->second;
            out += ';';
        }
        auto b = clubs.find(r->club_id);
        appendf(out, "%lld;", r->start_number);
        out += field_text(r->name);
        out += ';';
        out += b == clubs.end() ? std::string_view(" ") : b->second;
        out += ';';
    }
    close_team();
    return out;
}

bool write_csv_file(const std::string& path, std::string_view bytes, Prompts& prompts) {
    FileHandle f = open_file(path, "wb");
    bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f.get()) == bytes.size();
    if (f && std::fclose(f.release()) != 0) ok = false;
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
