// The result plate (Ctrl+W on the finish table): the result of the runner on the current
// finish line in large letters on a printed page, for the board at the finish.
#pragma once

#include "core/competition.h"
#include "results/report_output.h"

namespace skarvel {

// The fonts of the plate: "Arial Cyr", regular, 2.5 inches for the result and a third of an
// inch for the number and name.
PageFont plate_result_font();
PageFont plate_name_font();

// Draws the plate of a runner as one page of an open document.
void draw_result_plate(PageDevice& dev, const Competition& c, const Runner& r);

// Prints the plate of the runner named by the finish line under the cursor (document
// "Печать плашки") and moves the cursor one row down. Nothing happens unless the finish
// table is on show, the cursor row holds a line and a runner has its number. Returns whether
// a plate was printed.
bool print_result_plate(Competition& c, ReportEnv& env);

}  // namespace skarvel
