#include "results/relay_results.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_map>

#include "core/cp1251.h"
#include "core/qualification.h"
#include "core/record_lookup.h"
#include "core/text_format.h"
#include "core/time_text.h"
#include "results/result_compute.h"
#include "results/result_protocol.h"

namespace skarvel {

using namespace literals;

namespace {

constexpr int kMaxClasses = 10000;
constexpr std::int32_t kMissingLegPenalty = 1080000;  // three hours
constexpr int kRankTeams = 10;

std::string s_(std::string_view v) {
    return std::string(v);
}

int team_number(const Runner& r) {
    return r.start_number % 100;
}

// The course whose name, read as a number, is the runner's start number; "12;A" reads 12.
const Course* variant_course(const Competition& c, const Runner& r) {
    for (int i = 0; i < c.tables.courses.capacity(); ++i) {
        const Course* k = c.tables.courses[i];
        if (!k) break;
        if (std::atoi(std::string(field_text(k->name)).c_str()) == r.start_number) return k;
    }
    return nullptr;
}

std::string course_setter(const CompetitionInfo& info, const Course& course) {
    if (course.course_setter < 0 || course.course_setter > 3) return {};
    return s_(field_text(info.course_setters[course.course_setter]));
}

struct Ranks {
    bool determined = false;
    RankNorms norms;
};

Ranks team_ranks(bool print_ranks, const ClassRecord& cls, const std::vector<RelayTeam>& teams) {
    Ranks out;
    if (!print_ranks || !cls.ranks_allowed()) return out;
    int clean = static_cast<int>(
        std::count_if(teams.begin(), teams.end(), [](const RelayTeam& t) { return t.clean(); }));
    if (clean < kRankTeams || teams.size() < static_cast<std::size_t>(kRankTeams)) return out;
    int points = 0;
    std::size_t legs = 0;
    for (int i = 0; i < kRankTeams; ++i) {
        legs = std::max(legs, teams[i].legs.size());
        for (const Runner* r : teams[i].legs) {
            if (r->status != 0 || r->finish_time == 0) return out;
            points += qualification_points(r->qualification);
        }
    }
    if (legs == 0) return out;
    const int level = points / static_cast<int>(legs);
    const RelayTeam& first = teams.front();
    const std::int32_t winner = first.legs.back()->finish_time - first.legs.front()->start_time;
    for (const auto& row : rank_norm_table()) {
        if (level < row.level_from || level > row.level_to) continue;
        out.determined = true;
        out.norms.determined = true;
        out.norms.level = level;
        for (int i = 0; i < 3; ++i) {
            out.norms.rank[i] = row.rank[i];
            out.norms.percent[i] = row.percent[i];
            out.norms.limit_s[i] =
                static_cast<std::int32_t>((std::int64_t(winner) * row.percent[i] / 100) / 100);
        }
        break;
    }
    return out;
}

class RelayWriter {
  public:
    RelayWriter(Competition& c, const RelayPrintSettings& s, bool english)
        : c_(c), s_set_(s), look_(c), english_(english) {
        for (int i = 0; i < c.tables.card_readouts.capacity(); ++i)
            if (const CardReadout* k = c.tables.card_readouts[i])
                cards_[k->card_number].push_back(k);
    }

    RelayProtocol run() {
        HtmlHead head;
        head.title_line = "<title>Skarvel - Протокол результатов</title>\r\n"_cp1251;
        head.heading = "ПРОТОКОЛ РЕЗУЛЬТАТОВ ЭСТАФЕТЫ"_cp1251;
        out_.html = html_page_head(c_.info, head);
        c_.recount_tables();
        c_.recompute_finish_results();
        std::unordered_map<std::int32_t, std::vector<Runner*>> by_class;
        for (int i = 0; i < c_.tables.runners.capacity(); ++i)
            if (Runner* r = c_.tables.runners[i]; r && r->start_number != 0)
                by_class[r->class_id].push_back(r);
        const auto& t = c_.tables.classes;
        for (int i = 0; i < t.capacity() && i < kMaxClasses && t[i]; ++i) {
            const ClassRecord& cls = *t[i];
            if (s_set_.selection == 1 && !cls.marked()) continue;
            auto it = by_class.find(cls.id);
            if (it == by_class.end()) continue;
            if (!write_class(cls, it->second)) break;
        }
        if (out_.ok) out_.html += "\r\n</html>";
        return std::move(out_);
    }

  private:
    bool kind1() const { return c_.info.competition_kind == 1; }

    void heading(const ClassRecord& cls) {
        std::string& h = out_.html;
        const Course* course = look_.course(cls.course_id);
        std::string name = html_escape(field_text(cls.name));
        if (!course) {
            h += "\r\n<h2>" + name + "</h2>";
            return;
        }
        if (s_set_.extended_html)
            h += "<a name=\"" + name + "\"></a>\r\n" + result_navigation_line(c_);
        h += "\r\n<h2>" + name;
        if (course->control_count != 0) h += strf(", %d КП"_cp1251.c_str(), course->control_count);
        if (course->length_m != 0)
            h += strf(", %d.%03d км"_cp1251.c_str(), course->length_m / 1000,
                      course->length_m % 1000);
        if (course->climb_m != 0) h += strf(", набор высоты %d м"_cp1251.c_str(), course->climb_m);
        if (s_set_.print_course_setter)
            h += s_(", нач.дист.: "_cp1251) + html_escape(course_setter(c_.info, *course));
        h += "</h2>";
    }

    void column_header() {
        std::string& h = out_.html;
        h += "\r\n<pre><b>     № "_cp1251;
        if (s_set_.print_variant) h += " ВАР"_cp1251;
        h += strf(kind1() ? " %-25.25s %-20.20s Квал Штраф   Время      Время"_cp1251.c_str()
                          : " %-25.25s %-20.20s Квал    Время      Время"_cp1251.c_str(),
                  s_("Фамилия, имя"_cp1251).c_str(), s_("Коллектив"_cp1251).c_str());
        h += s_set_.print_variant ? "\r\n           " : "\r\n       ";
        h += strf(kind1() ? " %-25.25s %-20.20s      кругов на этапе   команды</b>"_cp1251.c_str()
                          : " %-25.25s %-20.20s        на этапе   команды</b>"_cp1251.c_str(),
                  " ", " ");
    }

    bool write_class(const ClassRecord& cls, std::vector<Runner*> runners) {
        heading(cls);
        column_header();
        std::vector<RelayTeam> teams = relay_teams(std::move(runners));
        std::size_t class_legs = 0;
        for (const RelayTeam& t : teams) class_legs = std::max(class_legs, t.legs.size());
        Ranks ranks = team_ranks(s_set_.print_ranks, cls, teams);
        std::vector<int> overflow;
        for (const RelayTeam& t : teams)
            for (const Runner* r : t.overflow) overflow.push_back(r->start_number);
        int position = 0;
        for (const RelayTeam& team : teams) {
            if (s_set_.first_n != 0 && position >= s_set_.first_n) break;
            ++position;
            out_.html += strf("\r\n<b>%-3d</b>", position);
            bool clean = std::none_of(team.legs.begin(), team.legs.end(),
                                      [](const Runner* r) { return r->status != 0; });
            const std::int32_t team_time =
                team.legs.back()->finish_time - team.legs.front()->start_time;
            // A team whose last leg is still running has no result yet: no time, no rank.
            const bool finished = team.legs.back()->finish_time != 0;
            if (ranks.determined && clean && finished && team.legs.size() == class_legs) {
                const std::int32_t t = team_time / 100;
                int rank = -1;
                for (int k = 0; k < 3 && rank < 0; ++k)
                    if (t <= ranks.norms.limit_s[k]) rank = ranks.norms.rank[k];
                if (rank >= 0)
                    out_.html += strf("<b> %82.82s %02d:%02d:%02d %-4.4s</b>", " ",
                                      team_time / 360000, team_time / 6000 % 60,
                                      team_time / 100 % 60, s_(qualification_text(rank)).c_str());
                else
                    out_.html += "     ";
            }
            if (!write_legs(cls, team, clean)) return false;
        }
        footer(ranks, overflow);
        return true;
    }

    bool write_legs(const ClassRecord& cls, const RelayTeam& team, bool clean) {
        const std::int32_t team_start = team.legs.front()->start_time;
        std::int32_t prev = team_start;
        std::int32_t reference = team_start;  // the running split reference through the team
        for (const Runner* r : team.legs) {
            std::string line =
                c_.info.relay_leg_dot_number
                    ? strf("\r\n  %3d.%1d", r->start_number % 1000, r->start_number / 1000)
                    : strf("\r\n   %4d", r->start_number);
            const Course* course = nullptr;
            if (s_set_.print_variant || s_set_.splits_mode != 0) {
                course =
                    s_set_.splits_mode == 2 ? look_.course(cls.course_id) : variant_course(c_, *r);
                if (!course) {
                    out_.html += line;
                    out_.ok = false;
                    out_.failure = s_(text_in(english_, Txt::kNoSuchCourse)) + " (" +
                                   s_(field_text(r->name)) + strf(", %d)", r->start_number);
                    return false;
                }
                if (s_set_.print_variant) {
                    std::string name(field_text(course->name));
                    auto semi = name.find(';');
                    if (semi == std::string::npos) {
                        out_.html += line;
                        return true;  // the rest of the team is not printed
                    }
                    line += strf(" %-3.3s", name.substr(semi + 1).c_str());
                }
            }
            const Club* club = look_.club(r->club_id);
            line += strf(" %-25.25s ", s_(field_text(r->name)).c_str());
            line += strf("%-20.20s ", club ? s_(field_text(club->name)).c_str() : " ");
            line += strf("%4s", s_(qualification_text(r->qualification)).c_str());
            if (kind1()) line += strf(" %2d  ", r->penalty);
            if (r->finish_time != 0) {
                const int precision = c_.info.time_precision;
                line +=
                    strf(" %10s",
                         r->status != 0
                             ? s_(status_short_text(c_.info, std::min<int>(r->status, 8))).c_str()
                             : format_time_text(r->finish_time - prev, precision).c_str());
                line += strf(
                    " %10s",
                    clean ? format_time_text(r->finish_time - team_start, precision).c_str() : "");
                line += splits(*r, course, reference);
                prev = r->finish_time;
            }
            out_.html += html_escape_name_line(line);
        }
        return true;
    }

    // Names and clubs come from the records: escape the markup characters of the line (the
    // line holds no markup of its own).
    static std::string html_escape_name_line(const std::string& line) { return html_escape(line); }

    std::string splits(const Runner& r, const Course* course, std::int32_t& reference) {
        std::string out;
        auto it = cards_.find(r.card_number);
        if (s_set_.splits_mode == 0 || it == cards_.end() || r.card_number == 0) return out;
        for (const CardReadout* card : it->second) {
            const int n = card->held_punches();
            if (s_set_.splits_mode == 2) {
                std::int32_t last = r.start_time;
                for (int k = 0; k < n; ++k) {
                    const std::int32_t d = card->punches[k].time - last;
                    out += strf("%3d:%02d(%3d) ", d / 6000, std::abs(d / 100 % 60),
                                card->punches[k].code);
                    last = card->punches[k].time;
                }
            } else if (course) {
                int j = 0;
                for (int k = 0; k < kMaxSplitControls && course->control_codes[k] != 0; ++k) {
                    int at = j;
                    while (at < n && card->punches[at].code != course->control_codes[k]) ++at;
                    if (at >= n) break;
                    const std::int32_t d = card->punches[at].time - reference;
                    out += strf(" %3d:%02d", d / 6000, std::abs(d / 100 % 60));
                    if (s_set_.print_control_codes) out += strf("(%3d)", course->control_codes[k]);
                    reference = card->punches[at].time;
                    j = at + 1;
                }
            }
        }
        return out;
    }

    void footer(const Ranks& ranks, const std::vector<int>& overflow) {
        std::string& h = out_.html;
        if (s_set_.print_ranks) {
            if (ranks.determined) {
                const RankNorms& n = ranks.norms;
                h += strf("\r\n\r\nКласс дистанции   - %-4.4s"_cp1251.c_str(),
                          s_(qualification_text(n.rank[0])).c_str());
                h += strf("\r\nКвалификационный уровень - %d.%d баллов"_cp1251.c_str(),
                          n.level / 100, n.level % 100);
                for (int k = 0; k < 3; ++k) {
                    if (k > 0 && n.percent[k] == n.percent[k - 1]) continue;
                    const std::int32_t t = n.limit_s[k];
                    h += strf("\r\n%-4.4s   - %3u%%  -   %d:%02d:%02d",
                              s_(qualification_text(n.rank[k])).c_str(),
                              static_cast<unsigned>(n.percent[k]), t / 3600, t / 60 % 60, t % 60);
                }
            } else {
                h += "\r\n\r\nРанг не определялся"_cp1251;
            }
        }
        if (!overflow.empty()) {
            h += "\r\n\r\nБолее 11 участников с номером команды, не вошли в протокол:"_cp1251;
            for (int n : overflow) h += strf(" %d", n);
        }
        h += strf(
            "\r\n\r\nГлавный судья     %40.40s %-20.20s\r\nГлавный секретарь %40.40s %-20.20s</pre>\r\n"_cp1251
                .c_str(),
            " ", html_escape(field_text(c_.info.chief_judge)).c_str(), " ",
            html_escape(field_text(c_.info.chief_secretary)).c_str());
    }

    Competition& c_;
    const RelayPrintSettings& s_set_;
    RecordLookup look_;
    bool english_;
    std::unordered_map<std::int32_t, std::vector<const CardReadout*>> cards_;
    RelayProtocol out_;
};

}  // namespace

RelayPrintSettings RelayPrintSettings::from(const CompetitionInfo& info) {
    RelayPrintSettings s;
    s.splits_mode = info.splits_mode <= 2 ? info.splits_mode : 0;
    s.print_control_codes = info.print_control_codes != 0;
    s.print_variant = info.relay_print_variant != 0;
    s.selection = info.relay_selection == 1 ? 1 : 0;
    s.first_n = info.first_n;
    s.print_ranks = info.print_ranks != 0;
    s.print_course_setter = info.print_course_setter != 0;
    s.extended_html = info.extended_html != 0;
    return s;
}

void RelayPrintSettings::store(CompetitionInfo& info) const {
    info.splits_mode = static_cast<std::uint8_t>(splits_mode);
    info.print_control_codes = print_control_codes ? 1 : 0;
    info.relay_print_variant = print_variant ? 1 : 0;
    info.relay_selection = static_cast<std::uint8_t>(selection);
    info.first_n = static_cast<std::uint8_t>(std::clamp(first_n, 0, 255));
    info.print_ranks = print_ranks ? 1 : 0;
    info.print_course_setter = print_course_setter ? 1 : 0;
    info.extended_html = extended_html ? 1 : 0;
}

bool RelayTeam::clean() const {
    bool finished = false;
    for (const Runner* r : legs) {
        if (r->status != 0) return false;
        finished |= r->finish_time != 0;
    }
    return finished;
}

std::int32_t team_time_key(const RelayTeam& team) {
    std::int32_t key = 0;
    bool unclean = false, finished = false;
    for (int slot = 0; slot < kMaxLegs; ++slot) {
        const Runner* r = slot < static_cast<int>(team.legs.size()) ? team.legs[slot] : nullptr;
        if (r && r->status != 0) {
            unclean = true;
        } else if (r && r->finish_time != 0) {
            key = r->finish_time;
            finished = true;
        } else {
            key += kMissingLegPenalty;
        }
    }
    return unclean || !finished ? kUncleanTeamKey + team.number : key;
}

std::vector<RelayTeam> relay_teams(std::vector<Runner*> runners) {
    std::stable_sort(runners.begin(), runners.end(), [](const Runner* a, const Runner* b) {
        if (a->class_id != b->class_id) return a->class_id < b->class_id;
        if (team_number(*a) != team_number(*b)) return team_number(*a) < team_number(*b);
        if (a->start_number / 100 != b->start_number / 100)
            return a->start_number / 100 < b->start_number / 100;
        return a->heat_or_leg < b->heat_or_leg;
    });
    std::vector<RelayTeam> teams;
    for (Runner* r : runners) {
        if (teams.empty() || teams.back().number != team_number(*r) ||
            teams.back().legs.front()->class_id != r->class_id) {
            teams.emplace_back();
            teams.back().number = team_number(*r);
        }
        RelayTeam& t = teams.back();
        (t.legs.size() < static_cast<std::size_t>(kMaxLegs) ? t.legs : t.overflow).push_back(r);
    }
    for (RelayTeam& t : teams) t.key = team_time_key(t);
    std::stable_sort(teams.begin(), teams.end(),
                     [](const RelayTeam& a, const RelayTeam& b) { return a.key < b.key; });
    return teams;
}

RelayProtocol relay_protocol_html(Competition& c, const RelayPrintSettings& s, bool english) {
    return RelayWriter(c, s, english).run();
}

bool print_relay_protocol(Competition& c, const RelayPrintSettings& s, ReportEnv& env) {
    auto file = open_report_file(env, env.prompts.text(Txt::kHtmlFileFilter),
                                 "результат_эстафеты"_cp1251, "htm");
    if (!file) return false;
    RelayProtocol page = relay_protocol_html(c, s, env.prompts.lang().english());
    file->write(page.html);
    if (!file->close()) {
        env.prompts.message(env.prompts.text(Txt::kCannotWriteFile));
        return false;
    }
    if (!page.ok) env.prompts.message(page.failure);
    env.shell.open_path(file->path());
    return page.ok;
}

}  // namespace skarvel
