#include "periph/display_pages.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "core/cp1251.h"
#include "core/file_io.h"
#include "core/time_text.h"
#include "periph/page_text.h"
#include "results/result_compute.h"

namespace skarvel {

using namespace literals;

namespace {

// The pages are written in text mode: every "\n" becomes CR LF.
std::string crlf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char ch : text) {
        if (ch == '\n') out += '\r';
        out += ch;
    }
    return out;
}

const char* row_open(int i) {
    return i % 2 == 0 ? "<tr bgcolor=\"#E0E0E0\">\n" : "<tr bgcolor=\"#99CCFF\">\n";
}

}  // namespace

std::string start_page(const Competition& c, int hour, int minute, int second) {
    std::string p;
    p.reserve(4096);
    p += "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Frameset//EN\">\n";
    p += "<HTML><head><META HTTP-EQUIV=\"Refresh\" CONTENT=\"1; URL=test2.htm\"><TITLE></TITLE>\n";
    p += "<style>\n";
    p += "<!--\nh1           { font-size: 150pt; font-weight: bold }\n";
    p += "h2           { font-size: 72pt; font-weight: bold }\n-->\n";
    p += "tr           { font-size: 8pt; font-weight: plain;font-family: Arial, Helvetica, "
         "sans-serif;}\n";
    p += "</style>\n";
    p += "<base target=\"_self\"><br><body bgcolor=\"#C0C0C0\">";
    p += "</head>\n";
    append_format(p, "<h1 align=center>%02d:%02d:%02d</h1>", hour, minute, second);
    p += "<div align=\"center\"><center><table>\n";

    const std::int32_t next_minute = hour * 60 + minute + 1;
    const auto& runners = c.tables.runners;
    int row = 0;
    for (int i = 0; i < runners.used_end(); ++i) {
        const Runner* r = runners[i];
        if (!r || r->start_number == 0 || r->start_time == 0) continue;
        if (r->start_time / kCentisPerMinute != next_minute) continue;
        const ClassRecord* cls = class_of(c, *r);
        if (!cls) continue;
        p += row_open(row++);
        p += "<td>&nbsp;<img border=0 src=\"RUS.gif\" width=\"50\" height=\"30\">&nbsp;</td>";
        append_format(p, "<td>%d</td><td><b>%s</b>", r->start_number,
                      html_field(field_text(r->name), 25).c_str());
        if (const Club* club = club_of(c, *r))
            p += "<br>" + html_field(field_text(club->name), 20, false);
        p += "</td>";
        p += "<td>&nbsp;<b>" + html_field(field_text(cls->name), 10, false) + "</b></td>";
        p += "<td>&nbsp;" + format_time_text(r->start_time, 0) + "</td>";
        p += "</tr>\n";
    }
    p += "</table></center></div>\n";
    p += "</HTML>\n";
    return crlf(p);
}

std::string finish_page(Competition& c) {
    std::string p;
    p.reserve(8192);
    p += "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Frameset//EN\">\n";
    p += "<HTML><head><META HTTP-EQUIV=\"Refresh\" CONTENT=\"10; URL=test2.htm\"><TITLE></TITLE>\n";
    p += "<style>\n";
    p += "<!--\nh1           { font-size: 130pt; font-weight: bold }\n";
    p += "h2           { font-size: 72pt; font-weight: bold }\n";
    p += "tr           { font-size: 8pt; font-weight: plain;font-family: Arial, Helvetica, "
         "sans-serif;}\n";
    p += "-->\n</style>\n";
    p += "<base target=\"_self\"><body bgcolor=\"#C0C0C0\">";
    p += "</head>\n";
    p += "<div align=\"left\"><table>\n";

    const auto& lines = c.tables.finish_lines;
    const int n = lines.live_count();
    for (int i = 0; i < 10; ++i) {
        const FinishLine* line = lines[n - 10 + i];
        if (!line) continue;
        p += row_open(i);
        const int number = line->start_number;
        if (number == 0) continue;
        const Runner* r = c.runner_by_number(number);
        if (!r) {
            p += "<td>-- нет в протоколе --</td>"_cp1251;
            continue;
        }
        const int place = runner_place(c, number);
        p += "<td><b>" + html_field(field_text(r->name), 25) + "</b>";
        if (const Club* club = club_of(c, *r))
            p += "</td><td>" + html_field(field_text(club->name), 20, false);
        p += "</td>";
        const bool has_time = line->time() != 0;
        if (has_time) {
            std::string result;
            if (r->status != 0)
                append_format(result, "%-8.8s", std::string(finish_status_text(r->status)).c_str());
            else
                result = format_time_text(r->result, c.info.time_precision);
            p += "<td><b>" + result + "</b></td>";
        }
        const ClassRecord* cls = class_of(c, *r);
        if (!cls) continue;
        std::string place_text;
        if (r->status == 0) {
            int finishers = finishers_with_same_laps(c, number);
            if (r->out_of_competition)
                append_format(place_text, "%s%d", std::string("вк/"_cp1251).c_str(), finishers);
            else
                append_format(place_text, "%d/%d", place, finishers);
        }
        p += "<td>&nbsp;" + place_text + "</td>";
        p += "<td>&nbsp;" + html_field(field_text(cls->name), 10, false) + "</td>";
        if (has_time && r->status == 0) {
            std::int32_t d = r->result - leader_result(c, number);
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
