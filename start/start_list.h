// The start protocol: who starts when, group by group. Individual competitions list one group
// per class or per course ordered by start time, on the printer or as an HTML page; relay
// competitions list one group per class ordered by team and leg, as HTML only.
#pragma once

#include <string>
#include <vector>

#include "core/competition.h"
#include "results/report_output.h"

namespace skarvel {

enum StartListSelection : int {
    kAllClasses = 0,
    kMarkedClasses = 1,
    kAllCourses = 2,
    kMarkedCourses = 3,
};

// The start protocol's settings as kept in the competition header.
struct StartListSettings {
    int selection = kAllClasses;
    bool only_marked = false;
    bool print_card_numbers = false;
    bool page_per_group = false;  // stored only: every group starts a new sheet anyway
    bool to_html = false;
    bool extended_html = false;
    bool relay_leg_dot_number = false;
    bool relay_first_leg_times = false;  // not stored: lives while the program runs

    static StartListSettings from_info(const CompetitionInfo& info);
    // The individual dialog's settings (all but the relay ones).
    void store_individual(CompetitionInfo& info) const;
    // The relay dialog's settings.
    void store_relay(CompetitionInfo& info) const;
    bool course_mode() const { return selection == kAllCourses || selection == kMarkedCourses; }
};

struct StartGroup {
    std::string name;  // class or course name (Windows-1251)
    std::vector<const Runner*> runners;
};

// Recounts the tables and collects the groups that have runners to print, each sorted by
// start time and then start number.
std::vector<StartGroup> start_list_groups(Competition& c, const StartListSettings& s);

// The column heading (without HTML markup).
std::string start_list_heading(bool card_numbers, bool course_mode);
// One runner's line; `html` appends the runner's comment.
std::string start_list_line(const Competition& c, const Runner& r, int running_number,
                            bool card_numbers, bool course_mode, bool html);
// "\r\n<hr><p>" + a link per group + "</p><hr>\r\n".
std::string navigation_line(const std::vector<std::string>& group_names);

// Everything of the HTML page up to the closing lines (which finish_html_report writes).
std::string start_list_html(const Competition& c, const StartListSettings& s,
                            const std::vector<StartGroup>& groups);
// Draws the groups on sheets: every group starts a new sheet, 60 runners a sheet.
void print_start_list_pages(PageDevice& dev, const Competition& c, const StartListSettings& s,
                            const std::vector<StartGroup>& groups);

// The individual start protocol through the chosen channel. False when nothing was produced
// (cancelled, a channel failure, or no group to print, with its message).
bool print_start_list(Competition& c, const StartListSettings& s, ReportEnv& env);

// The relay start protocol's page without the file: head, groups and signature lines.
// Empty when no runner has a number.
std::string relay_start_list_html(const Competition& c, const StartListSettings& s);
// Writes it to the file the user chooses and opens it. False when nothing was written.
bool print_relay_start_list(Competition& c, const StartListSettings& s, ReportEnv& env,
                            bool english = false);

// The command: relay or individual by the competition's relay flag.
bool print_start_protocol(Competition& c, const StartListSettings& s, ReportEnv& env);

}  // namespace skarvel
