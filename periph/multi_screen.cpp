#include "periph/multi_screen.h"

#include "core/cp1251.h"
#include "core/time_text.h"
#include "periph/display_pages.h"
#include "periph/page_text.h"
#include "results/report_output.h"
#include "results/result_compute.h"

namespace skarvel {

using namespace literals;

namespace {

// The characters no file name may hold (on Windows, and "/" everywhere).
bool forbidden_file_char(unsigned char ch) {
    if (ch < 0x20 || ch == 0x7F) return true;
    for (char bad : std::string_view("\\/:*?\"<>|"))
        if (ch == static_cast<unsigned char>(bad)) return true;
    return false;
}

// The address of a page in the refresh instruction: "%" and "#" would be read as an escape and
// as the start of a fragment, so they are written escaped; everything else as it is.
std::string page_url(std::string_view file) {
    std::string out;
    for (char ch : file) {
        if (ch == '%')
            out += "%25";
        else if (ch == '#')
            out += "%23";
        else
            out += ch;
    }
    return out;
}

unsigned char upper_cp1251(unsigned char ch) {
    if (ch >= 'a' && ch <= 'z') return ch - 32;
    if (ch >= 0xE0) return ch - 32;
    if (ch == 0xB8) return 0xA8;
    return ch;
}

std::string upper(std::string_view s) {
    std::string out(s);
    for (char& ch : out) ch = static_cast<char>(upper_cp1251(static_cast<unsigned char>(ch)));
    return out;
}

std::string str(std::string_view s) {
    return std::string(s);
}

// The result text without its first character (the tens of hours).
std::string short_time(std::int32_t t, int precision) {
    return format_time_text(t, precision).substr(1);
}

std::string course_setter_name(const CompetitionInfo& info, const Course& course) {
    int i = course.course_setter;
    if (i < 0 || i > 3) return {};
    return std::string(field_text(info.course_setters[i]));
}

std::string page_head(const MultiScreenSettings& s, MultiScreenKind kind) {
    std::string h;
    h += "<html><head>\r\n";
    h += "<meta content=\"text/html; charset=windows-1251\" http-equiv=\"Content-Type\">\r\n";
    h += "<title>Skarvel - Протокол результатов</title>\r\n"_cp1251;
    h += "<style type=\"text/css\">\r\n";
    h += "<!--\r\n";
    h += "body {\t\tmargin-left:10;margin-top:10;}\r\n";
    h += "A:hover {color:#FF0000;}\r\n";
    if (kind == MultiScreenKind::kLines) {
        h += "H2  {font-family: Arial, Helvetica, sans-serif;font-size: 18pt;font-weight: "
             "bold;color: #FF0000;text-align: left;  }\r\n";
        append_format(h,
                      "p, .text  {font-family: Arial, Helvetica, sans-serif;font-size: "
                      "9pt;font-weight: regular;color: #000000;text-align: "
                      "justify;}\r\npre {font-size: %dpt;}\r\n",
                      s.font_pt);
    } else {
        h += "H1  {font-family: Arial, Helvetica, sans-serif;font-size: 12pt;font-weight: "
             "bold;color: #333366;text-align: center;}\r\n";
        h += "H2  {font-family: Arial, Helvetica, sans-serif;font-size: 12pt;font-weight: "
             "bold;color: #FF0000;text-align: left;  }\r\n";
        append_format(h,
                      "p, .text, td  {font-family: Arial, Helvetica, sans-serif;font-size: "
                      "10pt;font-weight: bold;color: #000000;text-align: justify;}\r\npre "
                      "{font-size: %dpt;}\r\n",
                      s.font_pt);
    }
    if (s.vertical) h += ".vert{writing-mode:tb-rl;}\r\n";
    h += "-->\r\n</style>\r\n";
    return h;
}

std::string heading(const CompetitionInfo& info, const ClassRecord& cls, const Course* course) {
    std::string s = "<h2>";
    if (course) {
        s += html_escape(field_text(cls.name));
        if (course->control_count != 0)
            append_format(s, str(", %d КП"_cp1251).c_str(), course->control_count);
        if (course->length_m != 0)
            append_format(s, str(", %d.%03d км"_cp1251).c_str(), course->length_m / 1000,
                          course->length_m % 1000);
        if (course->climb_m != 0)
            append_format(s, str(", набор высоты %d м"_cp1251).c_str(), course->climb_m);
        if (info.print_course_setter)
            s += str(", нач.дист.: "_cp1251) + html_escape(course_setter_name(info, *course));
        if (info.print_time_limit)
            append_format(s, str(", контрольное время: %d мин."_cp1251).c_str(),
                          course->time_limit_min);
    }
    return s + "</h2>\r\n";
}

// Running times at every finish pass of the runner but the last.
template <class F>
void each_earlier_pass(const ResultIndex& index, const Runner& r, F&& f) {
    const std::vector<std::int32_t>* times = index.finish_times(r.start_number);
    if (!times) return;
    for (std::size_t i = 0; i + 1 < times->size(); ++i) {
        std::int32_t d = (*times)[i] - r.start_time;
        if (d < 0) d += kDay;  // a pass after midnight, as the result protocol counts it
        f(d / 360000, d / 6000 % 60, d / 100 % 60);
    }
}

class PageBuilder {
  public:
    PageBuilder(const Competition& c, const ResultIndex& index, const MultiScreenSettings& s,
                MultiScreenKind kind)
        : c_(c), info_(c.info), index_(index), s_(s), kind_(kind) {}

    std::string page(const ClassRecord& cls, const std::string& next_file, int delay) {
        std::string p = page_head(s_, kind_);
        append_format(p,
                      "<META HTTP-EQUIV=Refresh CONTENT=\"%d URL=%s\";</head><body "
                      "link=\"#00A5DE\" vlink=\"#00A5DE\">\r\n",
                      delay, html_escape(page_url(next_file)).c_str());
        ResultList list = build_result_list(c_, index_, cls);
        if (info_.first_n != 0 && std::size_t(info_.first_n) < list.runners.size())
            list.runners.resize(info_.first_n);
        const bool lines = kind_ == MultiScreenKind::kLines;
        if (!list.runners.empty()) {
            if (s_.vertical) p += "<div class=vert>\r\n";
            p += heading(info_, cls, list.course);
            if (lines) {
                p += "<pre>\r\n";
                append_format(p, str("<b>%4s %-20.20s %-16.16s "_cp1251).c_str(),
                              str("№п/п"_cp1251).c_str(), str("Фамилия, имя"_cp1251).c_str(),
                              str("Коллектив"_cp1251).c_str());
                p += "Результат"_cp1251;
                p += " Место"_cp1251;
                p += " </b><b>";
            } else {
                p += "<table>\n";
                append_format(
                    p,
                    str("<tr><td>%4s</td><td>%s</td><td>%s</td><td>%s</td><td>%5s</td><td>ГР</td></tr>"_cp1251)
                        .c_str(),
                    str("№п/п"_cp1251).c_str(), str("Фамилия, имя"_cp1251).c_str(),
                    str("Коллектив"_cp1251).c_str(), str("Квал"_cp1251).c_str(),
                    str("Номер"_cp1251).c_str());
            }
            const bool ranks = info_.print_ranks && cls.ranks_allowed();
            PlaceCounter places(info_, list);
            for (std::size_t k = 0; k < list.runners.size(); ++k) {
                const Runner& r = *list.runners[k];
                if (r.status == kStatusDidNotStart && !info_.print_non_starters) continue;
                std::string row =
                    lines ? line(r, int(k), ranks, places) : table_row(r, int(k), ranks, places);
                const bool shaded = k % 2 == 1 && s_.shading;
                if (shaded) p += "<span style=\"background-color: #E0E0E0\">";
                p += lines ? "\r\n" : "</tr>\r\n";
                p += row;
                if (shaded) p += "</span>";
            }
        }
        if (lines) {
            p += "</b>\r\n</pre>\r\n";
            if (s_.vertical) p += "</div>\r\n";
        } else {
            p += "</b>\r\n</table>\r\n";
            if (s_.vertical) p += "</div>\r\n";
        }
        p += "\r\n</body>\r\n</html>\r\n";
        return p;
    }

  private:
    std::string club_name(const Runner& r) const {
        const Club* club = index_.club_by_id(r.club_id);
        return club ? std::string(field_text(club->name)) : std::string();
    }

    std::string line(const Runner& r, int k, bool ranks, PlaceCounter& places) {
        std::string s;
        append_format(s, "%4d ", k + 1);
        s += html_field(field_text(r.name), 20);
        s += " " + html_field(club_name(r), 16) + " ";
        if (info_.all_finish_passes)
            each_earlier_pass(index_, r, [&s](int h, int m, int sec) {
                append_format(s, "%02d:%02d:%02d ", h, m, sec);
            });
        if (info_.competition_kind == kKindMarkedLaps ||
            info_.competition_kind == kKindMarkedMinutes)
            append_format(s, "   %2d  ", r.penalty);
        PlaceCell cell = places.next(r);
        // A status, or a finish before the start, instead of a time and a place.
        if (r.status != 0 || cell.kind == PlaceCell::Error) {
            append_format(s, "%-11.11s    ", status_text(r, cell).c_str());
            if (ranks) s += "     ";
            return s;
        }
        append_format(s, "%-11.11s", short_time(r.result, info_.time_precision).c_str());
        if (info_.competition_kind == kKindHandicap)
            append_format(s, " %-11.11s", short_time(r.finish_time, info_.time_precision).c_str());
        if (cell.kind == PlaceCell::OutOfCompetition)
            s += " в/к"_cp1251;
        else if (cell.kind == PlaceCell::NoPoints)
            s += " ---";
        else
            append_format(s, " %3d", cell.place);
        return s;
    }

    std::string table_row(const Runner& r, int k, bool ranks, PlaceCounter& places) {
        std::string s;
        append_format(s, "<tr><td>%4d<td>", k + 1);
        s += html_escape(field_text(r.name)) + "</td><td>" + html_escape(club_name(r)) + "</td>";
        if (info_.all_finish_passes)
            each_earlier_pass(index_, r, [&s](int h, int m, int sec) {
                append_format(s, "<td>%02d:%02d:%02d</td>", h, m, sec);
            });
        if (info_.competition_kind == kKindMarkedLaps ||
            info_.competition_kind == kKindMarkedMinutes)
            append_format(s, "<td>%2d</td>", r.penalty);
        PlaceCell cell = places.next(r);
        if (r.status != 0 || cell.kind == PlaceCell::Error) {
            s += "<td>" + status_text(r, cell) + "</td>";
            if (ranks) s += "     ";
        } else {
            s += "<td>" + format_time_text(r.result, info_.time_precision) + "</td>";
            if (info_.competition_kind == kKindHandicap)
                s += " <td>" + format_time_text(r.finish_time, info_.time_precision) + "</td>";
            if (cell.kind == PlaceCell::OutOfCompetition)
                s += "<td>в/к</td>"_cp1251;
            else if (cell.kind == PlaceCell::NoPoints)
                s += "<td>---</td>";
            else
                append_format(s, info_.no_points_individual ? " <td>%d</td>" : "<td>%d</td>",
                              cell.place);
        }
        s += r.individual ? str("<td>лично</td>"_cp1251) : str("<td></td>");
        return s;
    }

    // The status's short text, or the result protocol's error text for a finish before the
    // start.
    std::string status_text(const Runner& r, const PlaceCell& cell) const {
        if (r.status == 0 && cell.kind == PlaceCell::Error) return std::string(result_error_text());
        if (r.status >= kStatusCount) return {};
        return html_escape(status_short_text(info_, r.status));
    }

    const Competition& c_;
    const CompetitionInfo& info_;
    const ResultIndex& index_;
    const MultiScreenSettings& s_;
    MultiScreenKind kind_;
};

}  // namespace

std::string class_page_file(std::string_view class_name, std::unordered_set<std::string>& taken) {
    std::string base;
    for (unsigned char ch : class_name) base += forbidden_file_char(ch) ? '_' : char(ch);
    if (base.empty()) base = "_";
    std::string name = base + ".htm";
    for (int n = 2; !taken.insert(upper(name)).second; ++n)
        name = base + "~" + std::to_string(n) + ".htm";
    return name;
}

std::vector<MultiScreenPage> build_multi_screen_pages(Competition& c,
                                                      const MultiScreenSettings& settings,
                                                      MultiScreenKind kind) {
    c.recount_tables();
    c.recompute_finish_results();
    c.count_finish_lines();
    const auto& classes = c.tables.classes;
    const int n = classes.live_count();
    std::vector<MultiScreenPage> pages(static_cast<std::size_t>(n));
    // The page display uses the same name for the screen page, so the page of a class can
    // never take the place of the single display page.
    std::unordered_set<std::string> taken{upper(kDisplayPageFile)};
    for (int i = 0; i < n; ++i)
        pages[i].file = class_page_file(field_text(classes[i]->name), taken);
    ResultIndex index(c);
    PageBuilder builder(c, index, settings, kind);
    for (int i = 0; i < n; ++i) {
        const ClassRecord& cls = *classes[i];
        const bool shown = cls.finish_line_count != 0 && (c.info.selection != 1 || cls.marked());
        pages[i].bytes = builder.page(cls, pages[(i + 1) % n].file, shown ? settings.refresh_s : 0);
    }
    return pages;
}

int write_multi_screen_pages(Competition& c, const MultiScreenSettings& settings,
                             MultiScreenKind kind, const std::string& folder, Prompts& prompts) {
    std::vector<MultiScreenPage> pages = build_multi_screen_pages(c, settings, kind);
    int written = 0;
    for (const MultiScreenPage& page : pages) {
        if (!write_page_file(folder, page.file, page.bytes)) {
            prompts.message(prompts.text(Txt::kCannotWriteFile));
            break;
        }
        ++written;
    }
    return written;
}

}  // namespace skarvel
