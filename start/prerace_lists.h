// Lists made before the race: the credentials committee protocol, the start grid of start
// times by corridor, and the overview lists of clubs, classes and courses. Each page is built
// as bytes (Windows-1251) by a plain function; the print_* functions ask for the file, write
// it and show it.
#pragma once

#include <string>

#include "core/competition.h"
#include "results/report_output.h"

namespace skarvel {

// The credentials committee protocol, the whole page. Recounts the tables first.
std::string mandate_protocol_html(Competition& c, bool only_marked);
// The start grid as the dialog shows it (CR LF line ends).
std::string build_start_grid(const Competition& c, bool only_marked);
// The overview lists up to (not including) the page end that finish_html_report writes.
// Each recounts the tables first.
std::string club_list_html(Competition& c);
std::string class_list_html(Competition& c);
std::string course_list_html(Competition& c);

// Save dialog ("Протокол_Мандатной", "Инфо_коллективы", ...), write, open in the browser.
// False when cancelled or not written (the message has been shown).
bool print_mandate_protocol(Competition& c, bool only_marked, ReportEnv& env);
enum class OverviewList { kClubs, kClasses, kCourses };
bool print_overview_list(Competition& c, OverviewList which, ReportEnv& env);

}  // namespace skarvel
