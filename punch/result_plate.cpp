#include "punch/result_plate.h"

#include "core/cp1251.h"
#include "punch/finish_list.h"

namespace skarvel {

using namespace literals;

PageFont plate_result_font() {
    return PageFont{"Arial Cyr", 2.5, 400, false};
}
PageFont plate_name_font() {
    return PageFont{"Arial Cyr", 0.33333334, 400, false};
}

void draw_result_plate(PageDevice& dev, const Competition& c, const Runner& r) {
    dev.begin_page();
    dev.set_custom_font(plate_result_font());
    dev.text_at(10, 61, result_plate_text(c, r));
    dev.set_custom_font(plate_name_font());
    dev.text_at(7, 128, result_plate_name_line(r));
    dev.end_page();
}

bool print_result_plate(Competition& c, ReportEnv& env) {
    if (c.view.table != kFinishLines) return false;
    int row = c.view.cursor[kFinishLines];
    const FinishLine* line = c.tables.finish_lines[row];
    if (!line) return false;
    const Runner* r = c.runner_by_number(line->start_number);
    if (!r) return false;
    auto dev = open_printer_report(env, "Печать плашки"_cp1251);
    if (!dev) return false;
    draw_result_plate(*dev, c, *r);
    if (!end_printer_report(env, *dev)) return false;
    if (row + 1 < c.tables.finish_lines.capacity()) c.view.cursor[kFinishLines] = row + 1;
    return true;
}

}  // namespace skarvel
