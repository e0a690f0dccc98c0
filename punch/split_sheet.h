// The split printout: the small sheet handed to a runner after the card readout, on the
// printer (one document and one page per sheet) or as text lines in a file. Two layouts: the
// course-order sheet (check modes 1 and 2) walks the runner's course and marks extra punches;
// the plain sheet lists the punches as they are.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/competition.h"
#include "core/prompts.h"
#include "platform/page_device.h"
#include "results/report_output.h"

namespace skarvel {

// Character heights in inches of the sheet's fonts by `split_scale` (0 "100%", 1 "85%",
// 2 "70%"; other values count as 0).
double split_heading_font_inch(int split_scale);
double split_body_font_inch(int split_scale);
// The font of the sheet: "Courier New Cyr", fixed pitch; bold on the course-order sheet.
PageFont split_font(bool heading, bool bold, int split_scale);

// One line of a composed sheet.
struct SheetLine {
    double y_mm = 0;
    bool heading = false;  // heading font (else body font)
    std::string text;      // Windows-1251
};

struct SplitSheet {
    bool ok = false;  // false: a class or course is missing (message shown), no sheet
    bool course_order = false;
    std::string document_name;
    double x_mm = 0;
    std::vector<SheetLine> lines;
    bool found = false;  // the course walk ended with the last control found
};

// Composes the sheet the printer would get: the course-order layout for check modes 1 and
// 2, else the plain layout. The plain layout may disqualify the runner over the time limit.
SplitSheet compose_split_sheet(Competition& c, Runner& runner, const CardReadout& card,
                               Prompts& prompts);
// The plain layout; `runner` null for a card without owner.
SplitSheet compose_plain_sheet(Competition& c, Runner* runner, const CardReadout& card,
                               Prompts& prompts);

// Draws a composed sheet as one page of an open document.
void draw_split_sheet(PageDevice& dev, const SplitSheet& sheet, int split_scale);

// Prints the sheet in a document of its own. Returns the found flag of the course walk
// (false for the plain layout). Printer failures are shown and the caller goes on.
bool print_split_sheet(Competition& c, Runner& runner, const CardReadout& card, ReportEnv& env);
void print_plain_sheet(Competition& c, Runner* runner, const CardReadout& card, ReportEnv& env);

// The text variant: the same content as lines ending in CR LF. Returns the found flag (for
// check modes 0 and 3, which list all punches, the runner's status 0 counts as found).
// Nothing is written when the class or course is missing.
bool write_split_text(ByteSink& out, Competition& c, const Runner& runner, const CardReadout& card,
                      Prompts& prompts);

// The call point of the card reader: a runner (null: no owner) and the card just read.
std::function<void(const Runner*, const CardReadout&)> split_print_hook(Competition& c,
                                                                        ReportEnv& env);

// "Печать информашек...": the two numbers of the dialog, remembered until the program ends.
struct SplitRangeState {
    int start_from = 0;  // "Начать с (0-с текущей)", 0..29999
    int count = 0;       // "Всего печатать (0-до конца)", 0..29999
};
// Prints the readouts of the range (from the list view's current row when start_from is 0);
// afterwards start_from points behind the last printout. Returns the sheets printed.
int print_split_range(Competition& c, SplitRangeState& state, int current_row, ReportEnv& env);

// The runners with a start number and a card number, in table order, each with the first
// readout of his card (runners without one are left out).
std::vector<std::pair<Runner*, const CardReadout*>> runners_with_readouts(const Competition& c);

// "Печать выписок по сортировке базы": asks, then prints the first readout of every runner
// with a start number and a card number in table order. Returns the sheets printed.
int print_splits_by_runner_order(Competition& c, ReportEnv& env);

}  // namespace skarvel
