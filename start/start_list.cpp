#include "start/start_list.h"

#include <algorithm>
#include <unordered_map>

#include "core/cp1251.h"
#include "core/language.h"
#include "core/qualification.h"
#include "core/record_lookup.h"
#include "core/text_format.h"
#include "core/time_text.h"

namespace skarvel {

using namespace literals;

namespace {

constexpr int kMaxGroups = 10000;
constexpr int kRunnersPerSheet = 60;
constexpr double kSheetLineX = 1, kSheetTitleY = 10, kSheetRuleY = 18, kSheetHeadingY = 20;
constexpr double kSheetFirstLineY = 24, kSheetLineStep = 4;

std::string text(std::string_view v) {
    return std::string(v);
}

std::string line_of(const RecordLookup& look, const Competition& c, const Runner& r,
                    int running_number, bool card_numbers, bool course_mode, bool html);

std::string anchor(std::string_view name) {
    return "<a name=\"" + text(name) + "\"></a>\r\n";
}

}  // namespace

// --- settings ---------------------------------------------------------------------------

StartListSettings StartListSettings::from_info(const CompetitionInfo& info) {
    StartListSettings s;
    s.selection =
        info.selection_copy <= kMarkedCourses ? int(info.selection_copy) : int(kAllClasses);
    s.only_marked = info.only_marked != 0;
    s.print_card_numbers = info.print_card_numbers != 0;
    s.page_per_group = info.start_list_page_per_group != 0;
    s.to_html = info.to_html != 0;
    s.extended_html = info.extended_html != 0;
    s.relay_leg_dot_number = info.relay_leg_dot_number != 0;
    return s;
}

void StartListSettings::store_individual(CompetitionInfo& info) const {
    info.selection_copy = static_cast<std::uint8_t>(selection);
    info.only_marked = only_marked;
    info.print_card_numbers = print_card_numbers;
    info.start_list_page_per_group = page_per_group;
    info.to_html = to_html;
    info.extended_html = extended_html;
}

void StartListSettings::store_relay(CompetitionInfo& info) const {
    info.relay_leg_dot_number = relay_leg_dot_number;
    info.extended_html = extended_html;
    info.print_card_numbers = print_card_numbers;
}

// --- groups -----------------------------------------------------------------------------

std::vector<StartGroup> start_list_groups(Competition& c, const StartListSettings& s) {
    c.recount_tables();
    std::vector<StartGroup> groups;
    const RecordLookup look(c);
    // The runners to print, by class id (class mode) or by their class's course id.
    std::unordered_map<std::int32_t, std::vector<const Runner*>> buckets;
    for (int i = 0; i < c.tables.runners.capacity(); ++i) {
        const Runner* r = c.tables.runners[i];
        if (!r || (s.only_marked && !r->marked)) continue;
        if (!s.course_mode()) {
            buckets[r->class_id].push_back(r);
        } else if (const ClassRecord* cls = look.klass(r->class_id)) {
            buckets[cls->course_id].push_back(r);
        }
    }

    auto collect = [&](std::string_view name, std::int32_t key) {
        auto it = buckets.find(key);
        if (it == buckets.end() || it->second.empty()) return;
        StartGroup g;
        g.name = text(name);
        g.runners = it->second;
        std::stable_sort(g.runners.begin(), g.runners.end(), [](const Runner* a, const Runner* b) {
            if (a->start_time != b->start_time) return a->start_time < b->start_time;
            return a->start_number < b->start_number;
        });
        groups.push_back(std::move(g));
    };

    if (!s.course_mode()) {
        const auto& t = c.tables.classes;
        for (int i = 0; i < kMaxGroups && i < t.capacity() && t[i]; ++i) {
            const ClassRecord& k = *t[i];
            if (k.runner_count == 0 || (s.selection == kMarkedClasses && !k.marked())) continue;
            collect(field_text(k.name), k.id);
        }
    } else {
        const auto& t = c.tables.courses;
        for (int i = 0; i < kMaxGroups && i < t.capacity() && t[i]; ++i) {
            const Course& k = *t[i];
            if (k.runner_count == 0 || (s.selection == kMarkedCourses && !k.marked)) continue;
            collect(field_text(k.name), k.id);
        }
    }
    return groups;
}

// --- lines ------------------------------------------------------------------------------

std::string start_list_heading(bool card_numbers, bool course_mode) {
    std::string h = strf("%4s %-25.25s%s%-4.4s %5s ", "№п/п"_cp1251.c_str(),
                         "Фамилия, имя"_cp1251.c_str(), "      Коллектив         "_cp1251.c_str(),
                         "Квал"_cp1251.c_str(), "Номер"_cp1251.c_str());
    h += "ГР  "_cp1251;
    h += " СТАРТ   "_cp1251;
    if (card_numbers) h += "VP-чип "_cp1251;
    if (course_mode) h += "Группа"_cp1251;
    h += "Примечания"_cp1251;
    return h;
}

std::string start_list_line(const Competition& c, const Runner& r, int running_number,
                            bool card_numbers, bool course_mode, bool html) {
    return line_of(RecordLookup(c), c, r, running_number, card_numbers, course_mode, html);
}

namespace {
std::string line_of(const RecordLookup& look, const Competition& c, const Runner& r,
                    int running_number, bool card_numbers, bool course_mode, bool html) {
    const Club* club = look.club(r.club_id);
    std::string club_piece = club ? strf(" %-22.22s ", text(field_text(club->name)).c_str()) : " ";
    std::string line =
        strf("%4d %-25.25s%s%-4.4s %4d ", running_number, text(field_text(r.name)).c_str(),
             club_piece.c_str(), text(qualification_text(r.qualification)).c_str(), r.start_number);
    line += r.birth_year != 0 ? strf("%4d ", r.birth_year) : "     ";
    line += format_time_text(r.start_time, c.info.time_precision);
    if (card_numbers)
        line += r.card_number != 0 ? strf(" %7ld ", static_cast<long>(r.card_number))
                                   : std::string(9, ' ');
    if (course_mode) {
        const ClassRecord* cls = look.klass(r.class_id);
        line += cls ? strf("%-8.8s ", text(field_text(cls->name)).c_str()) : strf("%-8.8s", " ");
    }
    line += r.out_of_competition ? std::string("в/к "_cp1251) : std::string(4, ' ');
    line += r.individual ? std::string("лично "_cp1251) : std::string(6, ' ');
    if (html) line += field_text(r.comment);
    return line;
}
}  // namespace

std::string navigation_line(const std::vector<std::string>& group_names) {
    std::string s = "\r\n<hr><p>";
    for (const auto& n : group_names) s += "<a href=\"#" + n + "\">" + n + "</a> ";
    s += "</p><hr>\r\n";
    return s;
}

// --- individual protocol ----------------------------------------------------------------

std::string start_list_html(const Competition& c, const StartListSettings& s,
                            const std::vector<StartGroup>& groups) {
    HtmlHead head;
    head.title_line = "<title>Skarvel - Протокол старта</title>\r\n"_cp1251;
    head.heading = "";
    head.after_date = "<br>\r\n";
    head.after_place = "\r\n";
    std::string out = html_page_head(c.info, head);

    const RecordLookup look(c);
    std::vector<std::string> names;
    for (const auto& g : groups) names.push_back(g.name);
    const std::string nav = navigation_line(names);
    std::string heading = start_list_heading(s.print_card_numbers, s.course_mode());
    heading += "</b>";

    for (const auto& g : groups) {
        if (s.extended_html) {
            out += anchor(g.name);
            out += nav;
        }
        out += strf("<h2>%-10.10s</h2>\r\n<pre>", g.name.c_str());
        out += "\r\n<b>" + heading;
        int n = 0;
        for (const Runner* r : g.runners)
            out += "\r\n" + line_of(look, c, *r, ++n, s.print_card_numbers, s.course_mode(), true);
        out += "\r\n</pre>\r\n";
    }
    return out;
}

void print_start_list_pages(PageDevice& dev, const Competition& c, const StartListSettings& s,
                            const std::vector<StartGroup>& groups) {
    const RecordLookup look(c);
    const ReportFont body = s.print_card_numbers ? ReportFont::Body : ReportFont::BodyLarge;
    const std::string heading = start_list_heading(s.print_card_numbers, s.course_mode());
    const std::string date = text(field_text(c.info.date));
    for (const auto& g : groups) {
        const int count = static_cast<int>(g.runners.size());
        // The group's lines first: the widest sets the size that keeps them on the sheet.
        std::vector<std::string> lines;
        std::size_t widest = heading.size();
        for (int i = 0; i < count; ++i) {
            lines.push_back(line_of(look, c, *g.runners[i], i + 1, s.print_card_numbers,
                                    s.course_mode(), false));
            widest = std::max(widest, lines.back().size());
        }
        double y = kSheetFirstLineY;
        for (int i = 0; i < count; ++i) {
            if (i % kRunnersPerSheet == 0) {
                dev.begin_page();
                dev.set_font(ReportFont::Title);
                dev.text_at(kSheetLineX, kSheetTitleY,
                            strf("%-10.10s %s", g.name.c_str(), date.c_str()));
                dev.rule_at(kSheetRuleY);
                select_fitting_font(dev, body, widest, kSheetLineX);
                dev.text_at(kSheetLineX, kSheetHeadingY, heading);
                y = kSheetFirstLineY;
            }
            dev.text_at(kSheetLineX, y, lines[static_cast<std::size_t>(i)]);
            y += kSheetLineStep;
            if (i == count - 1) {
                // The closing rule goes under the last runner, on the same sheet (a full sheet
                // has room below its 60th line), so no sheet is spent on a rule alone.
                dev.rule_at(y);
                dev.end_page();
            } else if (i % kRunnersPerSheet == kRunnersPerSheet - 1) {
                dev.end_page();
            }
        }
    }
}

namespace {
void nothing_to_print(ReportEnv& env) {
    env.prompts.message(env.prompts.text(Txt::kNothingToPrintStartList));
}
}  // namespace

bool print_start_list(Competition& c, const StartListSettings& s, ReportEnv& env) {
    if (s.to_html) {
        auto file = open_html_report(env, "Протокол_Старта"_cp1251);
        if (!file) return false;
        std::vector<StartGroup> groups = start_list_groups(c, s);
        file->write(start_list_html(c, s, groups));
        bool written = finish_html_report(env, *file);
        if (groups.empty()) {
            nothing_to_print(env);
            return false;
        }
        return written;
    }
    auto dev = open_printer_report(env, "Протокол старта"_cp1251);
    if (!dev) return false;
    std::vector<StartGroup> groups = start_list_groups(c, s);
    print_start_list_pages(*dev, c, s, groups);
    bool whole = end_printer_report(env, *dev, !groups.empty());
    if (groups.empty()) {
        nothing_to_print(env);
        return false;
    }
    return whole;
}

// --- relay protocol ---------------------------------------------------------------------

std::string relay_start_list_html(const Competition& c, const StartListSettings& s) {
    std::vector<const Runner*> list;
    for (int i = 0; i < c.tables.runners.capacity(); ++i)
        if (const Runner* r = c.tables.runners[i]; r && r->start_number != 0) list.push_back(r);
    if (list.empty()) return {};
    std::stable_sort(list.begin(), list.end(), [](const Runner* a, const Runner* b) {
        if (a->class_id != b->class_id) return a->class_id < b->class_id;
        if (a->start_number % 100 != b->start_number % 100)
            return a->start_number % 100 < b->start_number % 100;
        if (a->start_number / 100 != b->start_number / 100)
            return a->start_number / 100 < b->start_number / 100;
        return a->heat_or_leg < b->heat_or_leg;
    });

    const RecordLookup look(c);
    // A class that does not exist is named by its id, in the anchor and links as well.
    auto group_name = [&](std::int16_t class_id) {
        const ClassRecord* k = look.klass(class_id);
        return k ? text(field_text(k->name)) : strf("%d", class_id);
    };
    std::vector<std::string> names;
    for (std::size_t i = 0; i < list.size(); ++i)
        if (i == 0 || list[i]->class_id != list[i - 1]->class_id)
            names.push_back(group_name(list[i]->class_id));
    const std::string nav = navigation_line(names);

    HtmlHead head;
    head.title_line = "<title>Skarvel - Протокол старта</title>\r\n"_cp1251;
    head.heading = "ПРОТОКОЛ СТАРТА"_cp1251;
    head.after_date = "<br>\r\n";
    head.after_place = "<br>\r\n";
    head.block_end = "</h1>\r\n<html><pre>\r\n";
    std::string out = html_page_head(c.info, head);

    int team_counter = 0;
    int previous_team = -1;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const Runner& r = *list[i];
        if (i == 0 || r.class_id != list[i - 1]->class_id) {
            if (s.extended_html) {
                out += anchor(group_name(r.class_id));
                out += nav;
            }
            if (const ClassRecord* k = look.klass(r.class_id))
                out += strf("\r\n<h2>%s %s</h2>", "Группа:"_cp1251.c_str(),
                            text(field_text(k->name)).c_str());
            else
                out += strf("\r\n<h2>%s %d</h2>", "Группа (ID):"_cp1251.c_str(), r.class_id);
            if (s.print_card_numbers)
                out += strf("\r\n<b>      %s  %-25.25s %s  %-20.20s %s</b>", "№"_cp1251.c_str(),
                            "Фамилия, имя"_cp1251.c_str(), "Квал  ГР"_cp1251.c_str(),
                            "Коллектив"_cp1251.c_str(), "VP-чип "_cp1251.c_str());
            else
                out += strf("\r\n<b>      %s  %-25.25s %s  %-20.20s</b>", "№"_cp1251.c_str(),
                            "Фамилия, имя"_cp1251.c_str(), "Квал  ГР"_cp1251.c_str(),
                            "Коллектив"_cp1251.c_str());
            if (s.relay_first_leg_times) out += "  Старт"_cp1251;
            team_counter = 0;
        }
        const int team = r.start_number % 100;
        if (team != previous_team) {
            ++team_counter;
            out += strf("\r\n%d", team_counter);
        }
        previous_team = team;

        std::string number = s.relay_leg_dot_number
                                 ? strf("%3d.%1d", r.start_number % 1000, r.start_number / 1000)
                                 : strf(" %4d", r.start_number);
        std::string birth = r.birth_year != 0 ? strf("%d", r.birth_year) : "    ";
        const Club* club = look.club(r.club_id);
        std::string club_name = club ? text(field_text(club->name)) : " ";
        std::string card =
            s.print_card_numbers && r.card_number != 0 ? strf("%d", r.card_number) : "    ";
        out += strf("\r\n   %5s %-25.25s %-4.4s %-4.4s %-20.20s %-7.7s ", number.c_str(),
                    text(field_text(r.name)).c_str(),
                    text(qualification_text(r.qualification)).c_str(), birth.c_str(),
                    club_name.c_str(), card.c_str());
        if (s.relay_first_leg_times && r.start_number / 1000 == 1)
            out += format_time_text(r.start_time, 0);
    }
    out += strf("\r\n\r\n%s%30s%s", "Главный судья    "_cp1251.c_str(), " ",
                text(field_text(c.info.chief_judge)).c_str());
    out += strf("\r\n%s%30s%s", "Главный секретарь"_cp1251.c_str(), " ",
                text(field_text(c.info.chief_secretary)).c_str());
    out += "\r\n</pre></body></html>\r\n";
    return out;
}

bool print_relay_start_list(Competition& c, const StartListSettings& s, ReportEnv& env,
                            bool english) {
    std::string page = relay_start_list_html(c, s);
    if (page.empty()) return false;
    const TextPair& title = text_pair(Txt::kRelayStartSaveTitle);
    auto file = open_report_file(env, env.prompts.text(Txt::kHtmlFileFilter), "htm", "htm",
                                 english ? title.en : title.ru);
    if (!file) return false;
    file->write(page);
    if (!file->close()) {
        env.prompts.message(env.prompts.text(Txt::kCannotWriteFile));
        return false;
    }
    env.shell.open_path(file->path());
    return true;
}

bool print_start_protocol(Competition& c, const StartListSettings& s, ReportEnv& env) {
    return c.info.relay ? print_relay_start_list(c, s, env) : print_start_list(c, s, env);
}

}  // namespace skarvel
