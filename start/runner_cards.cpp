#include "start/runner_cards.h"

#include <unordered_map>
#include <vector>

#include "core/cp1251.h"
#include "core/record_lookup.h"
#include "core/text_format.h"
#include "core/time_text.h"
#include "start/extracts.h"

namespace skarvel {

using namespace literals;

namespace {

constexpr int kBoxesPerRow = 9;
constexpr double kRowHeight = 20, kSheetBottom = 285;
constexpr int kMaxClubs = 10000;

PageFont box_font() {
    return {"Courier New Cyr", 12.0 / 72.0, 700, true};
}

struct CardGroup {
    std::vector<const Runner*> runners;
};

std::vector<CardGroup> card_groups(Competition& c, const CardPrintOptions& o) {
    c.recount_tables();
    std::vector<CardGroup> groups;
    auto take = [&o](const Runner& r) { return !o.only_marked || r.marked; };
    if (o.selection == 0) {
        CardGroup g;
        for (int i = 0; i < c.tables.runners.capacity(); ++i) {
            const Runner* r = c.tables.runners[i];
            if (!r) break;
            if (take(*r)) g.runners.push_back(r);
        }
        groups.push_back(std::move(g));
        return groups;
    }
    std::unordered_map<std::int32_t, std::vector<const Runner*>> by_club;
    for (int i = 0; i < c.tables.runners.capacity(); ++i)
        if (const Runner* r = c.tables.runners[i]; r && take(*r)) by_club[r->club_id].push_back(r);
    for (int i = 0; i < c.tables.clubs.capacity() && i < kMaxClubs; ++i) {
        const Club* club = c.tables.clubs[i];
        if (!club) break;
        if (club->runner_count == 0 || (o.selection == 2 && !club->marked)) continue;
        auto it = by_club.find(club->id);
        if (it == by_club.end()) continue;
        groups.push_back({std::move(it->second)});
        by_club.erase(it);
    }
    return groups;
}

}  // namespace

CardPrintOptions CardPrintOptions::from_info(const CompetitionInfo& info) {
    CardPrintOptions o;
    o.selection = info.card_selection <= 2 ? info.card_selection : 0;
    o.only_marked = info.only_marked != 0;
    o.fixed_box_count = info.card_box_source == 1;
    o.box_count = info.card_box_count;
    o.club_per_sheet = info.start_list_page_per_group != 0;
    o.box_label =
        info.card_box_label <= kBoxNumberAndCode ? int{info.card_box_label} : int{kBoxNumber};
    return o;
}

void CardPrintOptions::store(CompetitionInfo& info) const {
    info.card_selection = static_cast<std::uint8_t>(selection);
    info.only_marked = only_marked ? 1 : 0;
    info.card_box_source = fixed_box_count ? 1 : 0;
    info.card_box_count = static_cast<std::uint8_t>(box_count);
    info.start_list_page_per_group = club_per_sheet ? 1 : 0;
    info.card_box_label = static_cast<std::uint8_t>(box_label);
}

int draw_runner_cards(PageDevice& dev, Competition& c, const CardPrintOptions& o) {
    std::vector<CardGroup> groups = card_groups(c, o);
    RecordLookup look(c);
    const std::string date(field_text(c.info.date));
    bool sheet_open = false;
    double y0 = 0;
    int printed = 0;
    for (const CardGroup& g : groups) {
        if (o.club_per_sheet && sheet_open && printed > 0) {
            dev.end_page();
            sheet_open = false;
        }
        for (const Runner* r : g.runners) {
            const ClassRecord* cls = look.klass(r->class_id);
            const Course* course = cls ? look.course(cls->course_id) : nullptr;
            int k = o.box_count;
            if (!o.fixed_box_count) k = course ? course->control_count : (cls ? o.box_count : 0);
            // A course says how many controls it has; the record holds at most 100 codes.
            k = std::max(0, std::min(k, 100));
            const int rows = (k + 1) / kBoxesPerRow + 1;
            const double height = rows * kRowHeight;
            if (sheet_open && y0 + height + 10 > kSheetBottom) {
                dev.end_page();
                sheet_open = false;
            }
            if (!sheet_open) {
                dev.begin_page();
                sheet_open = true;
                y0 = 0;
            }
            dev.set_custom_font(box_font());
            for (int row = 0; row < rows; ++row) {
                for (int j = 0; j < kBoxesPerRow; ++j) {
                    int b = row * kBoxesPerRow + j;
                    std::string label = "R";
                    if (b < k) {
                        int code = course ? course->control_codes[b] : 0;
                        switch (o.box_label) {
                            case kBoxControlCode:
                                label = course ? strf("%d", code) : std::string();
                                break;
                            case kBoxNumberAndCode:
                                label = course ? strf("%d(%d)", b + 1, code) : std::string();
                                break;
                            default:
                                label = strf("%d", b + 1);
                        }
                    }
                    if (!label.empty()) dev.text_at(4 + 20.0 * j, y0 + 3 + 20.0 * row, label);
                }
                dev.line_at(2, y0 + 21 + 20.0 * row, 182, y0 + 21 + 20.0 * row, 0.5, false);
            }
            for (double x = 22; x <= 162; x += 20)
                dev.line_at(x, y0 + 1, x, y0 + height + 1, 0.5, false);
            // The frame. Its foot is 12 mm below the grid: the date at 8 mm is a 10-pt line whose
            // figures stand on a baseline 2.9 mm below its top, so a foot at 11 mm (its 1-mm pen
            // from 10.5 mm) would run through them.
            const double top = y0 + 1, bottom = y0 + height + 12;
            dev.line_at(2, top, 182, top, 1, false);
            dev.line_at(182, top, 182, bottom, 1, false);
            dev.line_at(182, bottom, 2, bottom, 1, false);
            dev.line_at(2, bottom, 2, top, 1, false);
            // The runner's line and the date.
            dev.set_font(ReportFont::Body);
            const Club* club = look.club(r->club_id);
            std::string line =
                strf("№ %4d %-25.25s%s%s "_cp1251.c_str(), r->start_number,
                     std::string(field_text(r->name)).c_str(),
                     strf(" %-21.21s ", club ? std::string(field_text(club->name)).c_str() : " ")
                         .c_str(),
                     format_time_text(r->start_time, c.info.time_precision).c_str());
            line += cls ? strf("%-8.8s ", std::string(field_text(cls->name)).c_str())
                        : strf("%-8.8s", " ");
            dev.text_at(5, y0 + height + 3, line);
            dev.text_at(142, y0 + height + 8, date);
            dev.line_at(2, y0 + height + 16, 182, y0 + height + 16, 0.5, true);
            y0 += height + 20;
            ++printed;
        }
    }
    if (sheet_open) dev.end_page();
    return printed;
}

bool print_runner_cards(Competition& c, const CardPrintOptions& o, ReportEnv& env,
                        const std::function<void(bool)>& busy) {
    auto dev = open_printer_report(env, "Карточки участников"_cp1251);
    if (!dev) return false;
    if (busy) busy(true);
    int printed = draw_runner_cards(*dev, c, o);
    bool whole = end_printer_report(env, *dev, printed > 0);
    if (busy) busy(false);
    if (printed == 0) {
        env.prompts.message(env.prompts.text(Txt::kNothingToPrintExtracts));
        return false;
    }
    return whole;
}

}  // namespace skarvel
