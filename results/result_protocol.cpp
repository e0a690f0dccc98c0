#include "results/result_protocol.h"

#include <algorithm>
#include <optional>

#include "core/cp1251.h"
#include "core/qualification.h"
#include "core/text_format.h"
#include "core/time_text.h"

namespace skarvel {

using namespace literals;

namespace {

std::string str(std::string_view v) {
    return std::string(v);
}

// "%02d:%02d:%02d" of a duration in whole seconds.
std::string hms(std::int32_t centis) {
    std::int32_t s = centis / 100;
    return strf("%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
}

std::string course_setter_name(const CompetitionInfo& info, const Course& course) {
    if (course.course_setter < 0 || course.course_setter > 3) return {};
    return str(field_text(info.course_setters[course.course_setter]));
}

struct Section {
    const ResultList* list;
    std::string name;
    bool v;  // rank columns and norms shown
};

class ProtocolWriter {
  public:
    ProtocolWriter(Competition& c, const ProtocolOutput& out, Prompts& prompts,
                   const std::vector<std::int32_t>* points_table)
        : c_(c),
          info_(c.info),
          out_(out),
          prompts_(prompts),
          points_(points_table),
          index_(c),
          printer_(out.printer ? std::make_optional<SectionedPrinter>(*out.printer)
                               : std::nullopt) {}

    ProtocolRun run();

  private:
    bool write_section(const ResultList& list);
    std::string html_heading(const ResultList& list, const std::string& name, bool v);
    std::string runner_line(const ResultList& list, const Runner& r, int i, const PlaceCell& place,
                            const RankCell& rank, bool v);
    // Returns false when the protocol must stop (course by number missing).
    bool html_extras(const ResultList& list, const Runner& r, int i, std::string& s);
    std::vector<std::string> printer_footer(const ResultList& list, bool v);
    std::string html_footer(const ResultList& list, bool v);
    const Course* course_or_stop(const ResultList& list, const Runner& r, bool& stop);
    const std::vector<const Course*>& all_courses() const { return courses_; }

    Competition& c_;
    const CompetitionInfo& info_;
    ProtocolOutput out_;
    Prompts& prompts_;
    const std::vector<std::int32_t>* points_;
    ResultIndex index_;
    std::optional<SectionedPrinter> printer_;
    std::string nav_;
    ProtocolRun result_;
    // Split tables and their places for the current section.
    std::optional<SplitTables> splits_;
    std::optional<SplitPlaces> leg_places_, cum_places_;
    // The course table up to its first empty slot (control statistics).
    std::vector<const Course*> courses_;
};

ProtocolRun ProtocolWriter::run() {
    for (int i = 0; i < c_.tables.courses.capacity() && c_.tables.courses[i]; ++i)
        courses_.push_back(c_.tables.courses[i]);
    if (out_.html && info_.extended_html) nav_ = result_navigation_line(c_);
    bool by_course = info_.selection >= 2;
    if (!by_course) {
        const auto& t = c_.tables.classes;
        for (int i = 0; i < t.capacity() && i < 10000 && t[i]; ++i) {
            const ClassRecord& cls = *t[i];
            if (cls.finish_line_count == 0 || (info_.selection == 1 && !cls.marked())) continue;
            ResultList list = build_result_list(c_, index_, cls);
            if (!write_section(list)) break;
        }
    } else {
        const auto& t = c_.tables.courses;
        for (int i = 0; i < t.capacity() && i < 10000 && t[i]; ++i) {
            const Course& course = *t[i];
            if (course.finish_line_count == 0 || (info_.selection == 3 && !course.marked)) continue;
            ResultList list = build_result_list(c_, index_, course);
            if (!write_section(list)) break;
        }
    }
    if (out_.html && !result_.stopped) {
        out_.html->write(strf("\r\n<pre>%s%30s%s", str("Главный судья    "_cp1251).c_str(), " ",
                              str(field_text(info_.chief_judge)).c_str()));
        out_.html->write(strf("\r\n%s%30s%s</pre>", str("Главный секретарь"_cp1251).c_str(), " ",
                              str(field_text(info_.chief_secretary)).c_str()));
    }
    return result_;
}

bool ProtocolWriter::write_section(const ResultList& list) {
    if (list.runners.empty()) return true;
    int m = static_cast<int>(list.runners.size());
    if (info_.first_n != 0 && info_.first_n < m) m = info_.first_n;
    auto printed = [&](const Runner& r) {
        return r.status != kStatusDidNotStart || info_.print_non_starters;
    };
    bool v = info_.print_ranks && list.norms.determined;
    if (out_.html && !list.by_course && !(list.class_record && list.class_record->ranks_allowed()))
        v = false;
    std::string name = list.by_course ? str(field_text(list.course->name))
                                      : str(field_text(list.class_record->name));

    splits_.reset();
    leg_places_.reset();
    cum_places_.reset();
    if (info_.split_places) {
        splits_ = compute_split_tables(c_, index_, list, info_.print_non_starters != 0);
        leg_places_.emplace(*splits_, false, m);
        cum_places_.emplace(*splits_, true, m);
    }

    if (out_.html) {
        out_.html->write(html_heading(list, name, v));
    } else {
        printer_->begin_section(
            strf("%-10.10s %s", name.c_str(), str(field_text(info_.date)).c_str()),
            printer_column_header(info_, v, list.by_course), m);
    }
    ++result_.sections;

    PlaceCounter places(info_, list);
    std::string line;
    for (int i = 0; i < m; ++i) {
        const Runner& r = *list.runners[i];
        if (!printed(r)) {
            if (printer_) printer_->skip();
            continue;
        }
        PlaceCell place = places.next(r);
        RankCell rank = runner_rank(list.norms, list.by_course ? nullptr : list.class_record, r,
                                    places.current());
        line = runner_line(list, r, i, place, rank, v);
        if (out_.html) {
            std::string s = "\r\n" + html_escape(line);
            bool go_on = html_extras(list, r, i, s);
            out_.html->write(s);
            if (!go_on) {
                result_.stopped = true;
                return false;
            }
        } else {
            printer_->line(line);
        }
    }
    if (out_.html)
        out_.html->write(html_footer(list, v));
    else
        printer_->end_section(printer_footer(list, v));
    return true;
}

std::string ProtocolWriter::html_heading(const ResultList& list, const std::string& name, bool v) {
    std::string s;
    if (info_.extended_html) {
        s += "<a name=\"" + html_escape(name) + "\"></a>\r\n";
        s += nav_;
    }
    s += "<h2>";
    const Course* course = list.course;
    if (course) {
        s += html_escape(name);
        if (course->control_count != 0)
            s += strf(str(", %d КП"_cp1251).c_str(), course->control_count);
        if (course->length_m != 0)
            s += strf(str(", %d.%03d км"_cp1251).c_str(), course->length_m / 1000,
                      course->length_m % 1000);
        if (course->climb_m != 0)
            s += strf(str(", набор высоты %d м"_cp1251).c_str(), course->climb_m);
        if (info_.print_course_setter)
            s += str(", нач.дист.: "_cp1251) + html_escape(course_setter_name(info_, *course));
        if (info_.print_time_limit)
            s += strf(str(", контрольное время: %d мин."_cp1251).c_str(), course->time_limit_min);
    }
    s += "</h2>\r\n<pre>\r\n";
    s += strf(str("<b>%4s %-25.25s %-20.20s %-4.4s %5s ГР  "_cp1251).c_str(),
              str("№п/п"_cp1251).c_str(), str("Фамилия, имя"_cp1251).c_str(),
              str("Коллектив"_cp1251).c_str(), str("Квал"_cp1251).c_str(),
              str("Номер"_cp1251).c_str());
    int kind = info_.competition_kind;
    bool prec = info_.time_precision != 0;
    if (kind == 1 || kind == 2) s += " ШТРАФ "_cp1251;
    s += "Результат"_cp1251;
    if (prec) s += "  ";
    if (kind == 3) {
        s += "    Финиш    "_cp1251;
        if (prec) s += "  ";
    }
    if (info_.time_behind) {
        s += "Отставание"_cp1251;
        if (prec) s += "  ";
    }
    s += " Место"_cp1251;
    if (v) s += " Вып "_cp1251;
    if (list.by_course) s += "Группа"_cp1251;
    if (info_.points_mode != 0) s += " Очки "_cp1251;
    s += " Прим "_cp1251;
    if (info_.control_statistics)
        for (const Course* k : all_courses())
            s += html_escape(
                strf(str("| %-5.5s КП  Время  "_cp1251).c_str(), str(field_text(k->name)).c_str()));
    if (info_.splits_mode != 0 && course) {
        for (int k = 1; k <= course->control_count && k <= Course::kControlSlots &&
                        course->control_codes[k - 1] != 0;
             ++k)
            s += strf("   %2d(%3d)   ", k, course->control_codes[k - 1]);
    }
    s += "</b>";
    return s;
}

std::string ProtocolWriter::runner_line(const ResultList& list, const Runner& r, int i,
                                        const PlaceCell& place, const RankCell& rank, bool v) {
    std::string s;
    const Club* club = index_.club_by_id(r.club_id);
    std::string club_seg = strf(" %-20.20s ", club ? str(field_text(club->name)).c_str() : " ");
    s += strf("%4d %-25.25s%s%-4.4s %4d ", i + 1, str(field_text(r.name)).c_str(), club_seg.c_str(),
              str(qualification_text(r.qualification)).c_str(), r.start_number);
    s += r.birth_year != 0 ? strf("%4d ", r.birth_year) : std::string("     ");
    if (info_.all_finish_passes) {
        if (const auto* times = index_.finish_times(r.start_number)) {
            for (std::size_t k = 0; k + 1 < times->size(); ++k) {
                std::int32_t d = (*times)[k] - r.start_time;
                if (d < 0) d += kDay;  // a pass after midnight
                s += hms(d) + " ";
            }
        }
    }
    int kind = info_.competition_kind;
    if (kind == 1 || kind == 2) s += strf("   %2d  ", r.penalty);
    if (r.status != 0 || place.kind == PlaceCell::Error) {
        int st = r.status < kStatusCount ? r.status : 0;
        std::string text = place.kind == PlaceCell::Error ? std::string(result_error_text())
                                                          : str(status_short_text(info_, st));
        s += strf("%-11.11s    ", text.c_str());
        if (v) s += "     ";
        if (info_.time_behind) s += strf("%-9.9s", " ");
    } else {
        s += strf("%-11.11s", format_time_text(r.result, info_.time_precision).c_str());
        if (kind == 3)
            s += strf(" %-11.11s", format_time_text(r.finish_time, info_.time_precision).c_str());
        if (info_.time_behind)
            s += strf("%-9.9s",
                      time_behind_text(r.result, list.winner_time, info_.time_precision).c_str());
        switch (place.kind) {
            case PlaceCell::OutOfCompetition:
                s += " в/к"_cp1251;
                break;
            case PlaceCell::NoPoints:
                s += " ---";
                break;
            default:
                s += strf(" %3d", place.place);
                break;
        }
        if (v) {
            switch (rank.kind) {
                case RankCell::None:
                    s += "     ";
                    break;
                case RankCell::Norm:
                    s += strf(" %-4.4s", str(qualification_text(rank.code)).c_str());
                    break;
                case RankCell::AwardKms:
                    s += " K" + str("МС "_cp1251);
                    break;  // Latin K
                case RankCell::AwardMs:
                    s += " МС  "_cp1251;
                    break;
            }
        }
    }
    if (info_.points_mode != 0) s += result_points(info_, list, r, place, points_);
    if (list.by_course) {
        const ClassRecord* cls = index_.class_by_id(r.class_id);
        s += cls ? strf(" %-8.8s ", str(field_text(cls->name)).c_str()) : strf(" %-8.8s", " ");
    }
    s += r.individual ? str(" лично"_cp1251) : std::string("      ");
    if (info_.print_comment) s += field_text(r.comment);
    return s;
}

const Course* ProtocolWriter::course_or_stop(const ResultList& list, const Runner& r, bool& stop) {
    const Course* course = split_course(c_, index_, list, r);
    if (!course && info_.check_mode == 2) {
        prompts_.message(prompts_.text(Txt::kNoSuchCourse));
        stop = true;
    }
    return course;
}

bool ProtocolWriter::html_extras(const ResultList& list, const Runner& r, int i, std::string& s) {
    const CardReadout* card = index_.first_readout(r.card_number);
    if (info_.control_statistics && card) {
        int punches = card->held_punches();
        for (const Course* k : all_courses()) {
            int count = 0;
            std::int32_t earliest = 0, latest = 0;
            for (int q = 0; q < kMaxSplitControls && k->control_codes[q] != 0; ++q)
                for (int j = 0; j < punches; ++j) {
                    if (card->punches[j].code != k->control_codes[q]) continue;
                    std::int32_t t = card->punches[j].time;
                    if (count == 0 || t < earliest) earliest = t;
                    if (count == 0 || t > latest) latest = t;
                    ++count;
                }
            s += strf("|       %2d %s", count,
                      count < 2 ? "        " : hms(latest - earliest).c_str());
        }
    }
    bool stop = false;
    if (info_.splits_mode == 2 && card) {
        std::int32_t prev = r.start_time;
        int punches = card->held_punches();
        for (int j = 0; j < punches; ++j) {
            std::int32_t d = (card->punches[j].time - prev) / 100;
            s += strf("%02d:%02d:%02d(%3d) ", d / 3600, d / 60 % 60, d % 60, card->punches[j].code);
            prev = card->punches[j].time;
        }
    } else if (info_.splits_mode == 1 && card) {
        const Course* course = course_or_stop(list, r, stop);
        if (stop) return false;
        std::int32_t prev = r.start_time;
        walk_course_punches(course, *card, [&](int k, std::int32_t t) {
            std::string piece = strf(" %3d:%02d", (t - prev) / 6000, (t - prev) / 100 % 60);
            if (info_.print_control_codes) piece += strf("(%3d)", course->control_codes[k]);
            bool first = false;
            if (splits_ && i < splits_->rows && splits_->leg_at(i, k) != 0) {
                int p = leg_places_->place(i, k);
                piece += strf("(%3d) ", p);
                first = p == 1;
            }
            s += first ? "<b>" + piece + "</b>" : piece;
            prev = t;
        });
        s += strf(" %3d:%02d", (r.finish_time - prev) / 6000, (r.finish_time - prev) / 100 % 60);
    }
    if (info_.split_second_line && info_.splits_mode != 0) {
        s += strf("\r\n<u>%88s", " ");
        if (info_.time_behind) s += info_.time_precision != 0 ? "           " : "         ";
        int kind = info_.competition_kind;
        if (kind == 1 || kind == 2) s += "       ";
        const auto* cards = index_.readouts(r.card_number);
        if (!cards || cards->empty()) {
            s += "</u>";  // nothing to show: close the underline so the rest stays plain
            return true;
        }
        for (const CardReadout* rd : *cards) {
            if (info_.splits_mode == 2) {
                int punches = rd->held_punches();
                for (int j = 0; j < punches; ++j)
                    s += hms(rd->punches[j].time - r.start_time) + "      ";
            } else {
                const Course* course = course_or_stop(list, r, stop);
                if (stop) return false;
                walk_course_punches(course, *rd, [&](int k, std::int32_t t) {
                    std::int32_t d = t - r.start_time;
                    s += strf(" %3d:%02d", d / 6000, d / 100 % 60);
                    if (info_.print_control_codes) s += strf("(%3d)", course->control_codes[k]);
                    if (splits_ && i < splits_->rows && splits_->leg_at(i, k) != 0)
                        s += strf("(%3d) ", cum_places_->place(i, k));
                });
                std::int32_t d = r.finish_time - r.start_time;
                s += strf(" %3d:%02d", d / 6000, d / 100 % 60);
            }
            s += "</u>";
        }
    }
    return true;
}

std::vector<std::string> ProtocolWriter::printer_footer(const ResultList& list, bool v) {
    std::vector<std::string> lines;
    const RankNorms& n = list.norms;
    if (info_.print_ranks) {
        if (v) {
            lines.push_back(strf(str("Класс дистанции   - %-4.4s"_cp1251).c_str(),
                                 str(qualification_text(n.rank[0])).c_str()));
            lines.push_back(strf(str("Квалификационный уровень - %d.%d баллов"_cp1251).c_str(),
                                 n.level / 100, n.level % 100));
            for (int k = 0; k < 3; ++k) {
                if (k > 0 && n.percent[k] == n.percent[k - 1]) continue;
                std::int32_t t = n.limit_s[k];
                lines.push_back(strf("%-4.4s   - %3u%%  -   %d:%02d:%02d",
                                     str(qualification_text(n.rank[k])).c_str(),
                                     static_cast<unsigned>(n.percent[k]), t / 3600, t / 60 % 60,
                                     t % 60));
            }
        } else {
            lines.push_back(str("Ранг не определялся"_cp1251));
        }
    }
    lines.push_back(strf("%s%30s%s", str("Главный судья    "_cp1251).c_str(), " ",
                         str(field_text(info_.chief_judge)).c_str()));
    lines.push_back(strf("%s%30s%s", str("Главный секретарь"_cp1251).c_str(), " ",
                         str(field_text(info_.chief_secretary)).c_str()));
    return lines;
}

std::string ProtocolWriter::html_footer(const ResultList& list, bool v) {
    std::string s;
    const RankNorms& n = list.norms;
    const ClassRecord* cls = list.by_course ? nullptr : list.class_record;
    if (info_.print_ranks) {
        if (v) {
            if (cls && cls->ms_award)
                s += "\r\nКласс дистанции   - МС"_cp1251;
            else if (cls && cls->kms_award)
                s += "\r\nКласс дистанции   - КМС"_cp1251;
            else
                s += strf(str("\r\nКласс дистанции   - %-4.4s"_cp1251).c_str(),
                          str(qualification_text(n.rank[0])).c_str());
            s += strf(str("\r\nКвалификационный уровень - %d.%d баллов"_cp1251).c_str(),
                      n.level / 100, n.level % 100);
            if (cls && cls->ms_award == 1) s += "\r\nМС     - 1 место"_cp1251;
            if (cls && cls->ms_award >= 2)
                s += strf(str("\r\nМС     - 1 - %d место"_cp1251).c_str(), cls->ms_award);
            if (cls && cls->kms_award != 0)
                s += strf(str("\r\nКМС    - %d - %d место"_cp1251).c_str(), cls->ms_award + 1,
                          cls->kms_award);
            for (int k = 0; k < 3; ++k) {
                if (k > 0 && n.percent[k] == n.percent[k - 1]) continue;
                std::int32_t t = n.limit_s[k];
                s += strf("\r\n%-4.4s   - %3u%%  -   %d:%02d:%02d",
                          str(qualification_text(n.rank[k])).c_str(),
                          static_cast<unsigned>(n.percent[k]), t / 3600, t / 60 % 60, t % 60);
            }
        } else {
            s += "\r\nРанг не определялся"_cp1251;
        }
    }
    s += "\r\n</pre>\r\n";
    return s;
}

}  // namespace

std::string printer_column_header(const CompetitionInfo& info, bool ranks, bool by_course) {
    std::string s = strf(str("%4s %-25.25s %-20.20s %-4.4s %5s ГР  "_cp1251).c_str(),
                         str("№п/п"_cp1251).c_str(), str("Фамилия, имя"_cp1251).c_str(),
                         str("Коллектив"_cp1251).c_str(), str("Квал"_cp1251).c_str(),
                         str("Номер"_cp1251).c_str());
    s += "Результат"_cp1251;
    if (info.time_precision != 0) s += "  ";
    s += " Место"_cp1251;
    if (ranks) s += " Вып "_cp1251;
    if (by_course) s += "Группа"_cp1251;
    return s;
}

std::string result_navigation_line(const Competition& c) {
    std::string s = "\r\n<hr><p>";
    auto entry = [&s](std::string_view name) {
        std::string n = html_escape(name);
        s += strf("<a href=\"#%s\">%s</a> ", n.c_str(), n.c_str());
    };
    if (c.info.selection < 2) {
        const auto& t = c.tables.classes;
        for (int i = 0; i < t.capacity() && t[i]; ++i)
            if (c.info.selection != 1 || t[i]->marked()) entry(field_text(t[i]->name));
    } else {
        const auto& t = c.tables.courses;
        for (int i = 0; i < t.capacity() && t[i]; ++i) entry(field_text(t[i]->name));
    }
    s += "</p><hr>\r\n";
    return s;
}

ProtocolRun write_result_protocol(Competition& c, const ProtocolOutput& out, Prompts& prompts,
                                  const std::vector<std::int32_t>* points_table) {
    c.recount_tables();
    c.recompute_finish_results();
    c.count_finish_lines();
    ProtocolWriter w(c, out, prompts, points_table);
    return w.run();
}

std::string result_protocol_head(const CompetitionInfo& info) {
    HtmlHead head;
    head.title_line = "<title>Skarvel - Протокол результатов</title>\r\n"_cp1251;
    head.heading = "<br>ПРОТОКОЛ РЕЗУЛЬТАТОВ\r\n"_cp1251;
    head.paragraph_style = true;
    head.after_date = ", ";
    head.after_place = "<br>\r\n";
    return html_page_head(info, head);
}

ProtocolStatus run_result_protocol(Competition& c, ReportEnv& env) {
    std::vector<std::int32_t> points;
    if (c.info.points_mode == 2) {
        auto path = env.prompts.choose_open_file_named(env.prompts.text(Txt::kPointsTableFilter),
                                                       "ochki", "txt");
        if (!path) return ProtocolStatus::Cancelled;
        if (!load_points_table(*path, points)) {
            env.prompts.message(env.prompts.text(Txt::kCannotReadFile));
            return ProtocolStatus::Failed;
        }
    }
    ProtocolRun run;
    if (c.info.to_html) {
        auto file = open_html_report(env, "Протокол_Результатов"_cp1251);
        if (!file) return ProtocolStatus::Cancelled;
        file->write(result_protocol_head(c.info));
        run = write_result_protocol(c, {nullptr, file.get()}, env.prompts, &points);
        if (!finish_html_report(env, *file)) return ProtocolStatus::Failed;
    } else {
        auto dev = open_printer_report(env, "Протокол результатов"_cp1251);
        if (!dev) return ProtocolStatus::Failed;
        run = write_result_protocol(c, {dev.get(), nullptr}, env.prompts, &points);
        if (!end_printer_report(env, *dev, run.sections > 0)) return ProtocolStatus::Failed;
    }
    if (run.stopped) return ProtocolStatus::Failed;
    if (run.sections == 0) {
        env.prompts.message(env.prompts.text(Txt::kNothingToPrintResults));
        return ProtocolStatus::Empty;
    }
    return ProtocolStatus::Done;
}

}  // namespace skarvel
