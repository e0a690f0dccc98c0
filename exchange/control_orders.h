// Course control orders written by a course-setting program: one course per line,
// "course;variant;number or team.leg;length;climb;n;" and then "value;control;" pairs, where a
// control is its number with S (start, +10) or F (finish, +20). Plain bytes, no quoting.
#pragma once

#include <string>
#include <string_view>

#include "core/competition.h"
#include "core/language.h"
#include "core/prompts.h"

namespace skarvel {

// What an import reads at most: characters per line (its line end counted) and lines. One line
// more than the course table holds, so a file too long for the table is refused, not cut.
constexpr int kControlOrderMaxLineChars = 1000;
constexpr int kControlOrderMaxLines = kCourseCapacity + 1;

struct ControlOrderReport {
    bool ok = false;      // false: nothing changed (unreadable, or it does not fit the tables)
    std::string message;  // the closing message, or why nothing was imported (Windows-1251)
    int courses = 0;
    int stopped_at_line = 0;  // the line (from 1) with fewer than two semicolons that ended it
    int cut_courses = 0;      // lines with more control pairs than a course holds: first kept
    int bad_codes = 0;        // controls whose code is outside 0..255: left out
    int out_of_range = 0;     // numbers outside their field's range: left 0
};

// Adds a course for each line up to the first line with fewer than two semicolons. A relay
// number team.leg names the course leg × `relay_number_scale` + team (scale 100 or 1000). The
// whole file is checked against the free room of the course table first; one that does not
// fit changes nothing.
ControlOrderReport import_control_orders(Competition& c, std::string_view text,
                                         int relay_number_scale, const LanguageTable& lang);
// The same from a file (at most kControlOrderMaxLines lines of kControlOrderMaxLineChars).
ControlOrderReport import_control_orders_file(Competition& c, const std::string& path,
                                              int relay_number_scale, const LanguageTable& lang);
// The menu command after its dialog chose the scale: the file, the closing message. True when
// the competition changed.
bool run_import_control_orders(Competition& c, int relay_number_scale, Prompts& prompts);

}  // namespace skarvel
