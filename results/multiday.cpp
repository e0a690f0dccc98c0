#include "results/multiday.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <unordered_map>

#include "core/atomic_file.h"
#include "core/cp1251.h"
#include "core/qualification.h"
#include "core/record_lookup.h"
#include "core/text_format.h"
#include "core/time_text.h"

namespace skarvel {

using namespace literals;

std::string day_value_text(std::int32_t value) {
    std::int64_t v = value < 0 ? 0 : value;
    return strf("%02d:%02d:%02d,%02d", int(v / kCentisPerHour), int(v / 6000 % 60),
                int(v / 100 % 60), int(v % 100));
}

std::int32_t day_value(const Runner& r) {
    // A negative result (finish before start) is no result either.
    if (r.result <= 0 || r.status == 8) return kDayNoResult;
    if (r.status != 0) return kDayRemoved;
    return r.result;
}

std::string day_file_text(Competition& c) {
    Table<Runner>& runners = c.tables.runners;
    for (int i = 0; i < runners.used_end(); ++i)
        if (Runner* r = runners[i]) r->result = 0;
    c.recompute_finish_results();
    std::string out;
    for (int i = 0; i < runners.used_end(); ++i) {
        const Runner* r = runners[i];
        if (!r || r->start_number == 0) continue;
        out += strf("%d %s\r\n", int(r->start_number), day_value_text(day_value(*r)).c_str());
    }
    return out;
}

bool save_day_file(Competition& c, ReportEnv& env) {
    auto file = open_report_file(env, env.prompts.text(Txt::kPlainTxtFilter),
                                 "результат_многодневки"_cp1251, "txt");
    if (!file) return false;
    file->write(day_file_text(c));
    if (!file->close()) {
        env.prompts.message(env.prompts.text(Txt::kCannotWriteFile));
        return false;
    }
    return true;
}

namespace {

bool is_blank(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\r';
}

// One line without its end: a decimal number (optionally signed), blanks, a word.
bool parse_line(std::string_view line, DayFileLine& out) {
    std::size_t i = 0;
    while (i < line.size() && is_blank(line[i])) ++i;
    bool negative = false;
    if (i < line.size() && (line[i] == '-' || line[i] == '+')) negative = line[i++] == '-';
    std::size_t digits = i;
    long long n = 0;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9') {
        if (i - digits >= 9) return false;  // no runner has such a number
        n = n * 10 + (line[i++] - '0');
    }
    if (i == digits) return false;
    std::size_t word = i;
    while (i < line.size() && is_blank(line[i])) ++i;
    if (i == word || i == line.size()) return false;
    std::size_t end = i;
    while (end < line.size() && !is_blank(line[end])) ++end;
    out.number = int(negative ? -n : n);
    out.value = parse_time_text(line.substr(i, end - i));
    return true;
}

}  // namespace

bool parse_day_file(std::string_view text, std::vector<DayFileLine>& lines) {
    lines.clear();
    if (text.size() > kMaxDayFileBytes) return false;
    if (text.find('\0') != std::string_view::npos) return false;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t nl = text.find('\n', pos);
        std::size_t end = nl == std::string_view::npos ? text.size() : nl;
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.size() > kMaxDayFileLine) return false;
        bool blank = true;
        for (char ch : line) blank = blank && is_blank(ch);
        if (blank) continue;
        DayFileLine l;
        if (!parse_line(line, l)) return false;
        lines.push_back(l);
    }
    return true;
}

int apply_day_file(Competition& c, int day, const std::vector<DayFileLine>& lines) {
    if (day < 0 || day >= kMultiDayCount) return 0;
    std::unordered_map<int, std::vector<Runner*>> by_number;
    Table<Runner>& runners = c.tables.runners;
    for (int i = 0; i < runners.used_end(); ++i) {
        Runner* r = runners[i];
        if (!r || r->start_number == 0) continue;
        r->day_results[day] = kDayNoResult;
        by_number[r->start_number].push_back(r);
    }
    int set = 0;
    for (const DayFileLine& l : lines) {
        auto it = by_number.find(l.number);
        if (it == by_number.end()) continue;
        for (Runner* r : it->second) r->day_results[day] = l.value;
        ++set;
    }
    c.modified = true;
    return set;
}

bool read_day_file(Competition& c, int day, const std::string& path, std::string* why,
                   int* lines_matched) {
    std::string bytes;
    std::vector<DayFileLine> lines;
    if (day < 0 || day >= kMultiDayCount || !read_file_bytes(path, kMaxDayFileBytes + 1, bytes) ||
        !parse_day_file(bytes, lines)) {
        if (why) *why = std::string(text_in(false, Txt::kCannotReadFile));
        return false;
    }
    int n = apply_day_file(c, day, lines);
    if (lines_matched) *lines_matched = n;
    return true;
}

bool read_day_file(Competition& c, int day, Prompts& prompts) {
    auto path = prompts.choose_open_file_named(prompts.text(Txt::kPlainTxtFilter),
                                               "результат_многодневки", "результат многодн.");
    if (!path || path->empty()) return false;
    std::string why;
    if (!read_day_file(c, day, *path, &why)) {
        prompts.message(prompts.text(Txt::kCannotReadFile));
        return false;
    }
    return true;
}

}  // namespace skarvel

namespace skarvel {

using namespace literals;

namespace {

bool day_selected(unsigned days, int j) {
    return (days >> j) & 1u;
}

std::string day_cell(std::int32_t v, int precision) {
    if (v < kDayRemoved) return format_time_text(v, precision);
    if (v == kDayRemoved) return std::string(std::string_view("  СНЯТ"_cp1251));
    return std::string(std::string_view(" Н/СТАРТ"_cp1251));
}

std::string club_field(const RecordLookup& lookup, const Runner& r) {
    const Club* club = lookup.club(r.club_id);
    std::string name = club ? std::string(field_text(club->name)) : std::string(" ");
    return strf("%-20.20s", name.c_str());
}

// The second form: classes in table order, each day with its place in the class.
void places_body(const Competition& c, const RecordLookup& lookup, const std::vector<Runner*>& list,
                 unsigned days, MultiDayProtocol& out) {
    const int precision = c.info.time_precision;
    // A day or total cell is 9 characters, the whole time at whole seconds; a time with tenths
    // or hundredths is one or two characters longer, and every cell and day title widens by as
    // much so the columns stay under their titles.
    const int widen = std::clamp(precision, 0, 2);
    const int cell = 9 + widen;
    const Table<Runner>& runners = c.tables.runners;
    const Table<ClassRecord>& classes = c.tables.classes;
    // Every runner of the table by class (day places count runners without number too); the
    // list is sorted by class already. Each class then looks only at its own runners.
    auto by_class = [](const Runner* a, const Runner* b) { return a->class_id < b->class_id; };
    std::vector<const Runner*> all;
    for (int i = 0; i < runners.used_end(); ++i)
        if (const Runner* r = runners[i]) all.push_back(r);
    std::stable_sort(all.begin(), all.end(), by_class);
    for (int ci = 0; classes[ci]; ++ci) {
        const ClassRecord& cls = *classes[ci];
        Runner key;
        key.class_id = cls.id;
        const auto [first, last] = std::equal_range(list.begin(), list.end(), &key, by_class);
        if (first == last) continue;
        // The non-zero day values of every runner of the class, sorted: a place is one more
        // than the number of smaller values.
        std::vector<std::int32_t> sorted[kMultiDayCount];
        const auto [all_first, all_last] = std::equal_range(all.begin(), all.end(), &key, by_class);
        for (auto it = all_first; it != all_last; ++it)
            for (int j = 0; j < kMultiDayCount; ++j)
                if (day_selected(days, j) && (*it)->day_results[j] != 0)
                    sorted[j].push_back((*it)->day_results[j]);
        for (auto& v : sorted) std::sort(v.begin(), v.end());
        std::string& s = out.html;
        s += strf("\r\n\r\n<h2>%s</h2>\r\n", html_escape(field_text(cls.name)).c_str());
        s += std::string_view(
            "<b>№ п/п Фамилия, имя           номер квал Коллектив            "_cp1251);
        for (int j = 0; j < kMultiDayCount; ++j)
            if (day_selected(days, j))
                s += (j < 9 ? strf("%d %s", j + 1,
                                   std::string(std::string_view("день (место) "_cp1251)).c_str())
                            : std::string(std::string_view("10день (место) "_cp1251))) +
                     std::string(static_cast<std::size_t>(widen), ' ');
        s += std::string_view("Сумма(сумма мест)</b>\r\n"_cp1251);
        int k = 0;
        std::int32_t leader = 0;
        for (auto it = first; it != last; ++it) {
            const Runner& r = **it;
            if (k == 0) leader = r.multiday_total;
            ++k;
            s += html_escape(strf("\r\n%4d %-25.25s %4d %s %s", k,
                                  std::string(field_text(r.name)).c_str(), int(r.start_number),
                                  std::string(qualification_text(r.qualification)).c_str(),
                                  club_field(lookup, r).c_str()));
            bool complete = true;
            long long place_sum = 0;
            for (int j = 0; j < kMultiDayCount; ++j) {
                if (!day_selected(days, j)) continue;
                const std::int32_t v = r.day_results[j];
                complete = complete && v < kDayRemoved;
                const int place = 1 + int(std::lower_bound(sorted[j].begin(), sorted[j].end(), v) -
                                          sorted[j].begin());
                place_sum += place;
                s += strf("%-*.*s(%3d) ", cell, cell, day_cell(v, precision).c_str(), place);
            }
            if (!complete) continue;
            s += strf("%-*.*s", cell, cell, format_time_text(r.multiday_total, precision).c_str());
            out.handicap += strf("%d %s\r\n", int(r.start_number),
                                 format_time_text(r.multiday_total - leader, precision).c_str());
            s += strf("(%lld)", place_sum);
        }
    }
}
}  // namespace

MultiDayProtocol multiday_protocol_text(Competition& c, unsigned days, bool places) {
    MultiDayProtocol out;
    std::vector<Runner*> list;
    Table<Runner>& runners = c.tables.runners;
    for (int i = 0; i < runners.used_end(); ++i) {
        Runner* r = runners[i];
        if (!r || r->start_number == 0) continue;
        std::int64_t sum = 0;
        for (int j = 0; j < kMultiDayCount; ++j)
            if (day_selected(days, j)) sum += r->day_results[j];
        r->multiday_total = std::int32_t(std::clamp<std::int64_t>(sum, INT32_MIN, INT32_MAX));
        list.push_back(r);
    }
    out.runners = int(list.size());
    if (list.empty()) return out;
    c.modified = true;
    std::stable_sort(list.begin(), list.end(), [](const Runner* a, const Runner* b) {
        if (a->class_id != b->class_id) return a->class_id < b->class_id;
        return a->multiday_total < b->multiday_total;
    });
    const CompetitionInfo& info = c.info;
    const int precision = info.time_precision;
    HtmlHead head;
    head.title_line = "<title>Skarvel - Протокол многодневки</title>\r\n"_cp1251;
    head.heading = "";
    head.after_date = "<br>\r\n";
    head.after_place = "\r\n";
    head.block_end = "</h1>\r\n<pre>";
    std::string& s = out.html;
    s = html_page_head(info, head);
    RecordLookup lookup(c);
    if (places) places_body(c, lookup, list, days, out);
    int k = 0;
    std::int32_t leader = 0;
    for (std::size_t i = 0; !places && i < list.size(); ++i) {
        const Runner& r = *list[i];
        if (i == 0 || r.class_id != list[i - 1]->class_id) {
            const ClassRecord* cls = lookup.klass(r.class_id);
            s += strf("\r\n\r\n<h2>%s</h2>\r\n",
                      html_escape(cls ? field_text(cls->name) : std::string_view()).c_str());
            k = 0;
            leader = r.multiday_total;
        }
        ++k;
        const Club* club = lookup.club(r.club_id);
        std::string club_name = club ? std::string(field_text(club->name)) : std::string(" ");
        s += html_escape(strf("\r\n%4d %-25.25s %4d %4d %s %s", k,
                              std::string(field_text(r.name)).c_str(), int(r.birth_year),
                              int(r.start_number),
                              std::string(qualification_text(r.qualification)).c_str(),
                              strf("%-20.20s", club_name.c_str()).c_str()));
        bool complete = true;
        for (int j = 0; j < kMultiDayCount; ++j) {
            if (!day_selected(days, j)) continue;
            complete = complete && r.day_results[j] < kDayRemoved;
            s += strf("%-12.12s", day_cell(r.day_results[j], precision).c_str());
        }
        if (complete) {
            s += strf("%-12.12s %4d", format_time_text(r.multiday_total, precision).c_str(), k);
            out.handicap += strf("%d %s\r\n", int(r.start_number),
                                 format_time_text(r.multiday_total - leader, precision).c_str());
        } else {
            out.handicap += strf("%d 23:59:59.99\r\n", int(r.start_number));
        }
    }
    s += strf("\r\n\r\n%s%30s%s", std::string(std::string_view("Главный судья    "_cp1251)).c_str(),
              " ", html_escape(field_text(info.chief_judge)).c_str());
    s += strf("\r\n%s%30s%s", std::string(std::string_view("Главный секретарь"_cp1251)).c_str(),
              " ", html_escape(field_text(info.chief_secretary)).c_str());
    s += "\r\n</pre></body></html>\r\n";
    return out;
}

unsigned stored_multiday_days(const CompetitionInfo& info) {
    unsigned days = 0;
    for (int j = 0; j < kMultiDayCount; ++j)
        if (info.multiday_days[j]) days |= 1u << j;
    return days;
}

void store_multiday_days(CompetitionInfo& info, unsigned days) {
    for (int j = 0; j < kMultiDayCount; ++j) info.multiday_days[j] = day_selected(days, j) ? 1 : 0;
}

bool multiday_protocol(Competition& c, ReportEnv& env, unsigned days, bool handicap, bool places) {
    MultiDayProtocol p = multiday_protocol_text(c, days, places);
    if (p.runners == 0) return false;
    auto html = open_report_file(env, env.prompts.text(Txt::kHtmlFileFilter),
                                 "результат_многодневки"_cp1251, "htm");
    if (!html) return false;
    std::unique_ptr<ReportFile> start;
    if (handicap) {
        start = open_report_file(env, env.prompts.text(Txt::kTextFileFilter),
                                 "стартовый протокол"_cp1251, "txt");
        if (!start) return false;
        start->write(p.handicap);
    }
    html->write(p.html);
    bool ok = html->close();
    if (start) ok = start->close() && ok;
    if (!ok) {
        env.prompts.message(env.prompts.text(Txt::kCannotWriteFile));
        return false;
    }
    env.shell.open_path(html->path());
    return true;
}

}  // namespace skarvel

namespace skarvel {

using namespace literals;

std::string summary_table_text(Competition& c, bool only_marked) {
    c.recount_tables();
    // Runners per (club id, class id), per club and per class.
    std::unordered_map<std::int64_t, int> cell;
    std::unordered_map<std::int32_t, int> per_club, per_class;
    const Table<Runner>& runners = c.tables.runners;
    for (int i = 0; i < runners.used_end(); ++i) {
        const Runner* r = runners[i];
        if (!r || (only_marked && !r->marked)) continue;
        ++cell[std::int64_t(r->club_id) * 65536 + r->class_id];
        ++per_club[r->club_id];
        ++per_class[r->class_id];
    }
    const CompetitionInfo& info = c.info;
    std::string s = "<html><head>\r\n";
    s += "<!doctype html public \"-//W3C//DTD HTML 4.0 Transitional//RU\">\r\n";
    s += std::string_view("<title>Skarvel - сводная таблица</title>\n"_cp1251);
    s += "<style type=\"text/css\">\r\n<!--\r\nbody {\t\tmargin-left:10;margin-top:10;}\r\n"
         "A:hover {color:#FF0000;}\r\nH1  {font-family: Arial, Helvetica, sans-serif;font-size: "
         "12pt;font-weight: bold;color: #333366;text-align: center;}\r\nH2  {font-family: Arial, "
         "Helvetica, sans-serif;font-size: 12pt;font-weight: bold;color: #FF0000;text-align: "
         "left;  }\r\n-->\n</style>\n</head><body link=\"#00A5DE\" vlink=\"#00A5DE\">\n";
    s += "<h1>";
    for (const auto& line : info.title_lines)
        if (std::string_view t = field_text(line); !t.empty()) s += html_escape(t) + "<br>\n";
    if (std::string_view d = field_text(info.date); !d.empty()) s += html_escape(d) + "<br>\n";
    if (std::string_view p = field_text(info.place); !p.empty()) s += html_escape(p) + "<br>\n";
    s += std::string_view("<br>СВОДНАЯ ТАБЛИЦА</h1>\r\n"_cp1251);
    std::vector<const ClassRecord*> shown;
    for (int i = 0; c.tables.classes[i]; ++i)
        if (per_class.count(c.tables.classes[i]->id)) shown.push_back(c.tables.classes[i]);
    s += std::string_view("<table><tr><td><b>Коллектив</b></td><td>всего</td>"_cp1251);
    for (const ClassRecord* k : shown)
        s += "<td><b>" + html_escape(strf("%6.6s", std::string(field_text(k->name)).c_str())) +
             "</b></td>";
    s += "</tr>\r\n";
    for (int i = 0; c.tables.clubs[i]; ++i) {
        const Club& club = *c.tables.clubs[i];
        auto it = per_club.find(club.id);
        if (it == per_club.end()) continue;
        s += strf("<tr><td><b>%s</b></td><td><b>%3d</b></td>",
                  html_escape(field_text(club.name)).c_str(), it->second);
        for (const ClassRecord* k : shown) {
            auto n = cell.find(std::int64_t(club.id) * 65536 + k->id);
            s += n == cell.end() ? std::string("<td></td>") : strf("<td>%d</td>", n->second);
        }
        s += "</tr>\r\n";
    }
    s += std::string_view("<tr><td><b>.</b></td><td>всего</td>"_cp1251);
    for (const ClassRecord* k : shown) s += strf("<td>%d</td>", per_class[k->id]);
    s += "</tr>\r\n</table></html>";
    return s;
}

bool summary_table(Competition& c, ReportEnv& env, bool only_marked) {
    auto file = open_report_file(env, env.prompts.text(Txt::kHtmlFilesFilter),
                                 "Сводная таблица"_cp1251, "htm");
    if (!file) return false;
    file->write(summary_table_text(c, only_marked));
    if (!file->close()) {
        env.prompts.message(env.prompts.text(Txt::kCannotWriteFile));
        return false;
    }
    env.shell.open_path(file->path());
    return true;
}

}  // namespace skarvel
