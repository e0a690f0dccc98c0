#include "periph/display_pages.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "core/cp1251.h"
#include "core/file_io.h"
#include "core/finish_results.h"
#include "core/time_text.h"
#include "periph/page_text.h"
#include "results/result_compute.h"

namespace skarvel {

using namespace literals;

namespace {

// How many records ahead a walk over a table fetches.
constexpr int kFetchAhead = 8;

// The pages are written in text mode: every "\n" becomes CR LF.
std::string crlf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    std::size_t from = 0;
    for (std::size_t at; (at = text.find('\n', from)) != std::string::npos; from = at + 1) {
        out.append(text, from, at - from);
        out += "\r\n";
    }
    out.append(text, from, std::string::npos);
    return out;
}

const char* row_open(int i) {
    return i % 2 == 0 ? "<tr bgcolor=\"#E0E0E0\">\n" : "<tr bgcolor=\"#99CCFF\">\n";
}

// The head of both pages, up to the body: the page reloads itself every
// `refresh_s` seconds; `style` is the style sheet and `body` what comes between the base
// target and the body.
std::string page_open(int refresh_s, std::string_view style, std::string_view body) {
    std::string p;
    p.reserve(8192);
    p += "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Frameset//EN\">\n";
    append_format(p,
                  "<HTML><head><META HTTP-EQUIV=\"Refresh\" CONTENT=\"%d; URL=%s\">"
                  "<TITLE></TITLE>\n",
                  refresh_s, std::string(kDisplayPageFile).c_str());
    p += "<style>\n";
    p += style;
    p += "</style>\n";
    p += "<base target=\"_self\">";
    p += body;
    p += "<body bgcolor=\"#C0C0C0\"></head>\n";
    return p;
}

// The first record in slot order with each of `ids` (as Competition::find_*_by_id), found in
// one walk over the table: a page shows a few rows of a table that may be full.
template <class R>
std::unordered_map<std::int32_t, const R*> first_by_id(const Table<R>& table,
                                                       const std::vector<std::int32_t>& ids) {
    std::unordered_map<std::int32_t, const R*> found;
    found.reserve(ids.size());
    for (std::int32_t id : ids) found.emplace(id, nullptr);
    std::size_t missing = found.size();
    for (int i = 0; i < table.used_end() && missing > 0; ++i)
        if (const R* r = table[i])
            if (auto it = found.find(r->id); it != found.end() && !it->second) {
                it->second = r;
                --missing;
            }
    return found;
}

template <class R>
const R* get(const std::unordered_map<std::int32_t, const R*>& map, std::int32_t id) {
    auto it = map.find(id);
    return it == map.end() ? nullptr : it->second;
}

constexpr std::string_view kRowStyle =
    "tr           { font-size: 8pt; font-weight: plain;font-family: Arial, Helvetica, "
    "sans-serif;}\n";
constexpr std::string_view kH2Style = "h2           { font-size: 72pt; font-weight: bold }\n";

}  // namespace

std::string start_page(const Competition& c, int hour, int minute, int second) {
    std::string style = "<!--\nh1           { font-size: 150pt; font-weight: bold }\n";
    style += kH2Style;
    style += "-->\n";
    style += kRowStyle;
    std::string p = page_open(1, style, "<br>");
    append_format(p, "<h1 align=center>%02d:%02d:%02d</h1>", hour, minute, second);
    p += "<div align=\"center\"><center><table>\n";

    // The runners of the next minute first, then their classes and clubs in one walk each.
    const std::int32_t next_minute = hour * 60 + minute + 1;
    const auto& runners = c.tables.runners;
    std::vector<const Runner*> shown;
    std::vector<std::int32_t> class_ids, club_ids;
    const int used = runners.used_end();
    for (int i = 0; i < used; ++i) {
        // Each runner is a record of its own: fetch a few ahead while this one is looked at.
        if (i + kFetchAhead < used)
            if (const Runner* next = runners[i + kFetchAhead])
                __builtin_prefetch(&next->start_number);
        const Runner* r = runners[i];
        if (!r || r->start_number == 0 || r->start_time == 0) continue;
        if (r->start_time / kCentisPerMinute != next_minute) continue;
        shown.push_back(r);
        class_ids.push_back(r->class_id);
        club_ids.push_back(r->club_id);
    }
    const auto classes = first_by_id(c.tables.classes, class_ids);
    const auto clubs = first_by_id(c.tables.clubs, club_ids);
    p.reserve(p.size() + shown.size() * 320 + 64);
    int row = 0;
    for (const Runner* r : shown) {
        const ClassRecord* cls = get(classes, r->class_id);
        if (!cls) continue;
        p += row_open(row++);
        p += "<td>&nbsp;<img border=0 src=\"RUS.gif\" width=\"50\" height=\"30\">&nbsp;</td>";
        p += "<td>";
        p += std::to_string(r->start_number);
        p += "</td><td><b>";
        append_html_field(p, field_text(r->name), 25);
        p += "</b>";
        if (const Club* club = get(clubs, r->club_id)) {
            p += "<br>";
            append_html_field(p, field_text(club->name), 20, false);
        }
        p += "</td><td>&nbsp;<b>";
        append_html_field(p, field_text(cls->name), 10, false);
        p += "</b></td><td>&nbsp;";
        p += format_time_text(r->start_time, 0);
        p += "</td></tr>\n";
    }
    p += "</table></center></div>\n";
    p += "</HTML>\n";
    return crlf(p);
}

std::string finish_page(Competition& c) {
    std::string style = "<!--\nh1           { font-size: 130pt; font-weight: bold }\n";
    style += kH2Style;
    style += kRowStyle;
    style += "-->\n";
    std::string p = page_open(10, style, "");
    p += "<div align=\"left\"><table>\n";

    // Results and places are kept current where the finish data change (finish_data_changed,
    // the card reader); a competition whose figures are not current is recomputed once. The
    // finishers and leaders of each line's class and laps come from the kept groups.
    if (!c.live.places_fresh()) finish_data_changed(c);
    const auto& lines = c.tables.finish_lines;
    const int first = lines.live_count() - kFinishPageLines;

    for (int i = 0; i < kFinishPageLines; ++i) {
        const FinishLine* line = lines[first + i];
        if (!line) continue;
        p += row_open(i);
        const int number = line->start_number;
        if (number == 0) continue;
        const Runner* r = c.runner_by_number(number);
        if (!r) {
            p += "<td>-- нет в протоколе --</td>"_cp1251;
            continue;
        }
        const int place = r->place;
        const LapFigures laps = lap_figures(c, r->class_id, c.finish_count_by_number[number]);
        const int finishers = laps.finishers;
        p += "<td><b>" + html_field(field_text(r->name), 25) + "</b>";
        if (const Club* club = club_of(c, *r))
            p += "</td><td>" + html_field(field_text(club->name), 20, false);
        p += "</td>";
        const bool has_time = line->time() != 0;
        // A finish before the start is an error, as the result protocol shows it: no time, no
        // place, nothing behind.
        const bool ranked = r->status == 0 && r->result >= 0;
        if (has_time) {
            std::string result;
            if (r->status != 0)
                append_format(result, "%-8.8s", std::string(finish_status_text(r->status)).c_str());
            else if (!ranked)
                append_format(result, "%-8.8s", std::string(result_error_text()).c_str());
            else
                result = format_time_text(r->result, c.info.time_precision);
            p += "<td><b>" + result + "</b></td>";
        }
        const ClassRecord* cls = class_of(c, *r);
        if (!cls) continue;
        std::string place_text;
        if (ranked) {
            if (r->out_of_competition)
                append_format(place_text, "%s%d", std::string("вк/"_cp1251).c_str(), finishers);
            else
                append_format(place_text, "%d/%d", place, finishers);
        }
        p += "<td>&nbsp;" + place_text + "</td>";
        p += "<td>&nbsp;" + html_field(field_text(cls->name), 10, false) + "</td>";
        if (has_time && ranked) {
            // Behind the runner placed first, by the rule of the places.
            std::int32_t d = finish_gap_of(c, *r);
            append_format(p, "<td>&nbsp;%3d:%02d</td>", d / 6000, d / 100 % 60);
        } else {
            p += "<td></td>";
        }
        p += "</tr>\n";
    }
    p += "</table></div>\n";
    p += "</HTML>\n";
    return crlf(p);
}

bool write_page_file(const std::string& folder, std::string_view name_cp1251,
                     std::string_view bytes, std::string* error) {
    namespace fs = std::filesystem;
    const std::string folder_u8 = folder.empty() ? std::string(".") : folder;
    const fs::path dir(std::u8string(folder_u8.begin(), folder_u8.end()));
    const std::string name_u8 = cp1251_to_utf8(name_cp1251);
    const fs::path target = dir / std::u8string(name_u8.begin(), name_u8.end());
    auto fail = [&](const fs::path& where, const std::string& why) {
        if (error) {
            std::u8string p = where.u8string();
            *error = std::string(p.begin(), p.end()) + ": " + why;
        }
        return false;
    };
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) {
        fs::create_directories(dir, ec);
        if (ec) return fail(dir, ec.message());
    }
    // A page is rewritten every few seconds and only read while it exists: a temporary file
    // renamed over the page is enough (no flush to the disk, which would cost the writer
    // far more than the page).
    fs::path temp = target;
    temp += ".part";
    {
        std::u8string temp_u8 = temp.u8string();
        FileHandle out = open_file(std::string(temp_u8.begin(), temp_u8.end()), "wb");
        bool ok = out && std::fwrite(bytes.data(), 1, bytes.size(), out.get()) == bytes.size();
        int err = errno;
        if (out && std::fclose(out.release()) != 0) ok = false;
        if (!ok) {
            fs::remove(temp, ec);
            return fail(temp, std::strerror(err ? err : EIO));
        }
    }
    fs::rename(temp, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        return fail(target, ec.message());
    }
    return true;
}

}  // namespace skarvel
