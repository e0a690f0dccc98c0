// Split times out of the program for other viewers: the OSV split file and the
// semicolon-separated file (buttons of the result dialog), and one HTML page with the text
// split printout of every read card.
#pragma once

#include <string>

#include "core/competition.h"
#include "results/report_output.h"

namespace skarvel {

// The bodies of the two split files as the exports write them (after recounting and
// recomputing results); `ok` false when a runner's course was missing, the body then ends
// where the export stopped (the message names the runner).
struct SplitExport {
    std::string text;  // Windows-1251
    bool ok = true;
    std::string failure;  // the message shown when !ok
};
// `english`: the language of the failure message.
SplitExport osv_split_file(Competition& c, int first_n, bool english = false);
SplitExport route_split_file(Competition& c, int first_n, bool english = false);
std::string common_splits_page(Competition& c, Prompts& prompts);

// Save dialog, write, "OSV-Файл сохранён" / "CSV-Файл сохранён". False when cancelled or
// not written; a missing course shows its message and the file keeps what was written.
bool export_osv(Competition& c, int first_n, ReportEnv& env);
bool export_route_csv(Competition& c, int first_n, ReportEnv& env);
// "генерить сплиты в HTML": the page is written and not opened.
bool common_splits_html(Competition& c, ReportEnv& env);

}  // namespace skarvel
