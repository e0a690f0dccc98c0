#include "start/prerace_lists.h"

#include <algorithm>
#include <map>
#include <vector>

#include "core/cp1251.h"
#include "core/record_lookup.h"
#include "core/text_format.h"

namespace skarvel {

using namespace literals;

namespace {

constexpr int kMaxCorridor = 99;

// A padded field of record text, made safe for an HTML page (the entities show as one
// character each, so the columns stay aligned).
std::string html_field(const char* format, std::string_view text) {
    return html_escape(strf(format, std::string(text).c_str()));
}

bool counts(const Runner& r, bool only_marked) {
    return !only_marked || r.marked;
}

template <class Rec>
int counter_of(const Rec& r, bool only_marked) {
    return only_marked ? r.marked_count : r.runner_count;
}

std::string list_head(const CompetitionInfo& info, std::string_view title_line) {
    HtmlHead head;
    head.title_line = title_line;
    return html_page_head(info, head);
}

}  // namespace

std::string mandate_protocol_html(Competition& c, bool only_marked) {
    c.recount_tables();
    std::string s;
    s += "<html><head>\r\n";
    s += "<!doctype html public \"-//W3C//DTD HTML 4.0 Transitional//RU\">\r\n";
    s += "<title>Skarvel - Протокол мандатной комиссии</title>\n"_cp1251;
    s += "<style type=\"text/css\">\r\n<!--\r\n";
    s += "body {\t\tmargin-left:10;margin-top:10;}\r\n";
    s += "A:hover {color:#FF0000;}\r\n";
    s += "H1  {font-family: Arial, Helvetica, sans-serif;font-size: 12pt;font-weight: bold;"
         "color: #333366;text-align: center;}\r\n";
    s += "H2  {font-family: Arial, Helvetica, sans-serif;font-size: 12pt;font-weight: bold;"
         "color: #FF0000;text-align: left;  }\r\n";
    s += "-->\n</style>\n</head><body link=\"#00A5DE\" vlink=\"#00A5DE\">\n";
    s += "<table>\r\n<tr>\r\n<td width=600px colspan=3>\r\n<h1>";
    // The competition's own lines go out as stored, as in every report's head.
    for (const auto& line : c.info.title_lines)
        if (std::string_view t = field_text(line); !t.empty()) s += std::string(t) + "<br>\n";
    if (std::string_view d = field_text(c.info.date); !d.empty()) s += std::string(d) + "<br>\n";
    if (std::string_view p = field_text(c.info.place); !p.empty()) s += std::string(p) + "<br>\n";
    s += "<br>ПРОТОКОЛ МАНДАТНОЙ КОМИССИИ</h1>\r\n</td>\r\n</tr>"_cp1251;

    // Column 1: runners by qualification, in the committee's order.
    s += "\r\n<tr>\r\n<td valign=top width=33%><h2>Общие сведения</h2>\r\n<pre>"_cp1251;
    int by_level[256] = {};
    int total = 0;
    std::vector<bool> club_has(static_cast<std::size_t>(c.tables.clubs.capacity()), false);
    std::map<std::int32_t, int> club_slot;
    for (int i = 0; i < c.tables.clubs.capacity(); ++i)
        if (const Club* k = c.tables.clubs[i]) club_slot.emplace(k->id, i);
    for (int i = 0; i < c.tables.runners.capacity(); ++i) {
        const Runner* r = c.tables.runners[i];
        if (!r || !counts(*r, only_marked)) continue;
        ++by_level[r->qualification];
        ++total;
        if (auto it = club_slot.find(r->club_id); it != club_slot.end())
            club_has[static_cast<std::size_t>(it->second)] = true;
    }
    static const struct {
        int level;
        const char* label;
    } kLevels[] = {{10, "\r\nСпортсменов ЗМС : %d"}, {9, "\r\nСпортсменов МСМК: %d"},
                   {8, "\r\nСпортсменов МС  : %d"},  {7, "\r\nСпортсменов КМС : %d"},
                   {4, "\r\nСпортсменов I   : %d"},  {5, "\r\nСпортсменов II  : %d"},
                   {6, "\r\nСпортсменов III : %d"},  {1, "\r\nСпортсменов Iю  : %d"},
                   {2, "\r\nСпортсменов IIю : %d"},  {3, "\r\nСпортсменов IIIю: %d"},
                   {0, "\r\nСпортсменов б/р : %d"}};
    for (const auto& level : kLevels)
        if (by_level[level.level] != 0)
            s += strf(utf8_to_cp1251(level.label).c_str(), by_level[level.level]);
    s += strf("\r\nВсего спортсменов: %d\r\nВсего коллективов: %d"_cp1251.c_str(), total,
              static_cast<int>(std::count(club_has.begin(), club_has.end(), true)));

    // Columns 2 and 3: clubs and classes with their counts.
    s +=
        "\r\n</pre></td>\r\n<td valign=top width=33%><h2>Коллектив : людей</h2>\r\n<pre>\r\n"_cp1251;
    for (int i = 0; i < c.tables.clubs.capacity(); ++i)
        if (const Club* k = c.tables.clubs[i]; k && counter_of(*k, only_marked) != 0)
            s += html_field("%-20.20s", field_text(k->name)) +
                 strf(": %d\r\n", counter_of(*k, only_marked));
    s += "</pre>\r\n</td>\r\n<td valign=top width=33%><h2>Группа: людей</h2><pre>\r\n"_cp1251;
    for (int i = 0; i < c.tables.classes.capacity(); ++i)
        if (const ClassRecord* k = c.tables.classes[i]; k && counter_of(*k, only_marked) != 0)
            s += html_field("%-20.20s", field_text(k->name)) +
                 strf(": %d\r\n", counter_of(*k, only_marked));
    s += "</pre>\r\n</td>\r\n</tr>\r\n<tr>\r\n<td valign=top><pre>\r\n\r\n"
         "Председатель мандатной комиссии\r\n\r\nЧлены мандатной комиссии</pre>\r\n</td>\r\n"
         "<td></td>\r\n<td valign=top><pre>\r\n\r\n________________________\r\n\r\n"
         "________________________\r\n\r\n________________________\r\n</pre>\r\n</td>\r\n"
         "</tr>\r\n</table>\r\n</html>"_cp1251;
    return s;
}

std::string build_start_grid(const Competition& c, bool only_marked) {
    std::string s = only_marked ? std::string("Только отмеченные\r\n"_cp1251)
                                : std::string("Все без учёта отметки\r\n"_cp1251);
    RecordLookup look(c);
    struct Entry {
        std::int32_t start_time;
        int start_number;
        int corridor;
    };
    std::vector<Entry> entries;
    for (int i = 0; i < c.tables.runners.capacity(); ++i) {
        const Runner* r = c.tables.runners[i];
        if (!r || r->start_number == 0 || !counts(*r, only_marked)) continue;
        const Course* course = look.course_of_class(r->class_id);
        if (!course || course->start_corridor < 0 || course->start_corridor > kMaxCorridor)
            continue;
        entries.push_back({r->start_time, r->start_number, course->start_corridor});
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.start_time != b.start_time ? a.start_time < b.start_time
                                            : a.start_number < b.start_number;
    });
    // The widest a corridor gets at one start time.
    int width[kMaxCorridor + 1] = {};
    for (std::size_t i = 0; i < entries.size();) {
        std::size_t j = i;
        int here[kMaxCorridor + 1] = {};
        for (; j < entries.size() && entries[j].start_time == entries[i].start_time; ++j)
            ++here[entries[j].corridor];
        for (int k = 0; k <= kMaxCorridor; ++k) width[k] = std::max(width[k], here[k]);
        i = j;
    }
    s += "  Коридор "_cp1251;
    for (int k = 0; k <= kMaxCorridor; ++k)
        for (int n = 0; n < width[k]; ++n) s += strf(" %3u ", static_cast<unsigned>(k));
    s += "\r\nВремя"_cp1251;
    std::vector<int> numbers[kMaxCorridor + 1];
    for (std::size_t i = 0; i < entries.size();) {
        std::int32_t t = entries[i].start_time;
        for (auto& v : numbers) v.clear();
        std::size_t j = i;
        for (; j < entries.size() && entries[j].start_time == t; ++j)
            numbers[entries[j].corridor].push_back(entries[j].start_number);
        s += strf("\r\n%02d:%02d:%02d  ", t / 360000, t / 6000 % 60, t / 100 % 60);
        for (int k = 0; k <= kMaxCorridor; ++k) {
            for (int n : numbers[k]) s += strf("%4u ", static_cast<unsigned>(n));
            for (int n = static_cast<int>(numbers[k].size()); n < width[k]; ++n) s += "     ";
        }
        i = j;
    }
    return s;
}

std::string club_list_html(Competition& c) {
    c.recount_tables();
    std::string s = list_head(c.info, "<title>Skarvel - Список коллективов</title>\r\n"_cp1251);
    s += "<pre>\r\n";
    s += strf("<b>%-20.20s %-20.20s %-14s %-14s %-14s</b>\r\n", "Наименование"_cp1251.c_str(),
              "Представитель"_cp1251.c_str(), "В базе данных"_cp1251.c_str(),
              "Отмечено"_cp1251.c_str(), "Финишировало"_cp1251.c_str());
    for (int i = 0; i < c.tables.clubs.capacity(); ++i) {
        const Club* k = c.tables.clubs[i];
        if (!k) break;
        s += html_field("%-20.20s", field_text(k->name)) + " " +
             html_field("%-20.20s", field_text(k->representative)) +
             strf(" %-14d %-14d %-14d\r\n", k->runner_count, k->marked_count, k->finish_line_count);
    }
    s += "</pre>\r\n";
    return s;
}

std::string class_list_html(Competition& c) {
    c.recount_tables();
    RecordLookup look(c);
    std::string s = list_head(c.info, "<title>Skarvel - Список групп</title>\r\n"_cp1251);
    // The class list keeps its page at the top edge.
    const std::string margin = "body {\t\tmargin-left:10;margin-top:10;}\r\n";
    if (auto at = s.find(margin); at != std::string::npos)
        s.replace(at, margin.size(), "body {\t\tmargin-left:0;margin-top:10;}\r\n");
    s += "<pre>\r\n";
    s += strf("<b>%-14s %-14s %-10s %-14s</b>", "Наименование"_cp1251.c_str(),
              "В базе данных"_cp1251.c_str(), "Отмечено"_cp1251.c_str(),
              "Финишировало"_cp1251.c_str());
    for (int i = 0; i < c.tables.classes.capacity(); ++i) {
        const ClassRecord* k = c.tables.classes[i];
        if (!k) break;
        s += "\r\n" + html_field("%-14.14s", field_text(k->name)) +
             strf(" %-14d %-10d %-14d", k->runner_count, k->marked_count, k->finish_line_count);
        if (const Course* course = look.course(k->course_id))
            s += strf(" %3d КП, %5d м, набор высоты %4d"_cp1251.c_str(), course->control_count,
                      course->length_m, course->climb_m);
    }
    s += "\r\n</pre>\r\n";
    return s;
}

std::string course_list_html(Competition& c) {
    c.recount_tables();
    std::string s = list_head(c.info, "<title>Skarvel - Список дистанций</title>\r\n"_cp1251);
    s += "<pre>\r\n";
    s += strf("<b>%-14.14s %-6s</b>", "Дистанция"_cp1251.c_str(), "В базе"_cp1251.c_str());
    // The classes of each course, in class-table order, collected in one walk.
    std::map<std::int32_t, std::string> classes_of;
    for (int i = 0; i < c.tables.classes.capacity(); ++i)
        if (const ClassRecord* k = c.tables.classes[i])
            classes_of[k->course_id] += " " + html_escape(field_text(k->name));
    for (int i = 0; i < c.tables.courses.capacity(); ++i) {
        const Course* k = c.tables.courses[i];
        if (!k) break;
        s += "\r\n" + html_field("%-14.14s", field_text(k->name)) + strf(";%-6d;", k->runner_count);
        s += strf("%3d КП;%5dм;H=%4d;ПОРЯДОК:"_cp1251.c_str(), k->control_count, k->length_m,
                  k->climb_m);
        for (std::uint8_t code : k->control_codes) {
            if (code == 0) break;
            s += strf("%d;", code);
        }
        s += "Группы:"_cp1251;
        if (auto it = classes_of.find(k->id); it != classes_of.end()) s += it->second;
    }
    s += "\r\n</pre>\r\n";
    return s;
}

namespace {
// The save dialog of a list: its title is the proposed name.
std::unique_ptr<ReportFile> open_list_file(ReportEnv& env, std::string_view name) {
    return open_report_file(env, env.prompts.text(Txt::kHtmlFilesFilter), name, "htm", name);
}
}  // namespace

bool print_mandate_protocol(Competition& c, bool only_marked, ReportEnv& env) {
    auto file = open_list_file(env, "Протокол_Мандатной"_cp1251);
    if (!file) return false;
    file->write(mandate_protocol_html(c, only_marked));
    // The page carries its own end; it is closed and shown like every other report.
    if (!file->close()) {
        env.prompts.message(env.prompts.text(Txt::kCannotWriteFile));
        return false;
    }
    env.shell.open_path(file->path());
    return true;
}

bool print_overview_list(Competition& c, OverviewList which, ReportEnv& env) {
    std::string_view name =
        which == OverviewList::kClubs     ? std::string_view("Инфо_коллективы"_cp1251)
        : which == OverviewList::kClasses ? std::string_view("Инфо_группы"_cp1251)
                                          : std::string_view("Инфо_дистанции"_cp1251);
    auto file = open_list_file(env, name);
    if (!file) return false;
    file->write(which == OverviewList::kClubs     ? club_list_html(c)
                : which == OverviewList::kClasses ? class_list_html(c)
                                                  : course_list_html(c));
    return finish_html_report(env, *file);
}

}  // namespace skarvel
