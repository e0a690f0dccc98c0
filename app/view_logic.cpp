#include "app/view_logic.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "core/cp1251.h"
#include "core/finish_results.h"
#include "core/qualification.h"
#include "core/text_format.h"
#include "core/time_text.h"
#include "punch/card_families.h"
#include "results/result_compute.h"

namespace skarvel::view {

using namespace literals;

namespace {

constexpr Column kRunnerColumns[] = {
    {Txt::kCount, 1},    {Txt::kColRow, 5},       {Txt::kNameSurname, 25}, {Txt::kColQual, 4},
    {Txt::kColBirth, 4}, {Txt::kFilterClass, 10}, {Txt::kFilterClub, 20},  {Txt::kEdNo, 5},
    {Txt::kEdStart, 11}, {Txt::kColNotes, 16},    {Txt::kEdVPCard, 8},     {Txt::kCount, 22},
};
constexpr Column kClubColumns[] = {
    {Txt::kCount, 1},    {Txt::kColRow, 5},    {Txt::kFilterClub, 20}, {Txt::kEdRepresentative, 20},
    {Txt::kColTotal, 6}, {Txt::kColMarked, 6}, {Txt::kColFinished, 6},
};
constexpr Column kClassColumns[] = {
    {Txt::kCount, 1},           {Txt::kColRow, 5},
    {Txt::kFilterClass, 8},     {Txt::kColRentedReduced, 6},
    {Txt::kColRentedNormal, 6}, {Txt::kColOwnReduced, 6},
    {Txt::kColOwnNormal, 6},    {Txt::kColCourse, 10},
    {Txt::kColControls, 4},     {Txt::kColLength, 6},
    {Txt::kColClimb, 5},        {Txt::kColTotal, 6},
    {Txt::kColMarked, 6},       {Txt::kColFinished, 6},
};
constexpr Column kCourseColumns[] = {
    {Txt::kCount, 1},       {Txt::kColRow, 5},   {Txt::kColCourseName, 10}, {Txt::kColControls, 4},
    {Txt::kColLength, 6},   {Txt::kColClimb, 5}, {Txt::kColTotal, 6},       {Txt::kColMarked, 6},
    {Txt::kColFinished, 6}, {Txt::kCount, 40},
};
constexpr Column kFinishColumns[] = {
    {Txt::kColCalled, 8},    {Txt::kColRow, 5},    {Txt::kColFinish, 11},   {Txt::kEdNo, 7},
    {Txt::kNameSurname, 25}, {Txt::kColQual, 4},   {Txt::kFilterClub, 20},  {Txt::kColResult, 11},
    {Txt::kColPlace, 12},    {Txt::kColBehind, 8}, {Txt::kFilterClass, 10}, {Txt::kCount, 10},
};
constexpr Column kCardColumns[] = {
    {Txt::kColRow, 5},    {Txt::kColCard, 8},    {Txt::kColBib, 5},    {Txt::kEdStart, 8},
    {Txt::kColFinish, 8}, {Txt::kColPunches, 7}, {Txt::kColFamily, 6}, {Txt::kCount, 25},
};

std::string fmt_s(const char* format, std::string_view text) {
    std::string t(text);
    return strf(format, t.c_str());
}
std::string blank0(long v) {
    return v == 0 ? std::string() : strf("%ld", v);
}

std::string mark_text(bool marked) {
    return marked ? std::string("»"_cp1251) : std::string(" ");
}

std::string class_name(const Competition& c, int id) {
    const ClassRecord* k = c.live.klass(id);
    return k ? fmt_s("%-10s", field_text(k->name)) : std::string();
}
std::string club_name(const Competition& c, int id) {
    const Club* k = c.live.club(id);
    return k ? fmt_s("%-20s", field_text(k->name)) : std::string();
}

int finish_count(const Competition& c, int start_number) {
    if (start_number <= 0 || start_number >= kNumberIndexSize) return 0;
    return c.finish_count_by_number[start_number];
}

std::vector<Cell> runner_cells(const Competition& c, int slot, const Runner& r, bool english) {
    int precision = c.info.time_precision;
    std::vector<Cell> cells;
    cells.reserve(12);
    cells.push_back({mark_text(r.marked)});
    cells.push_back({strf("%d", slot + 1)});
    cells.push_back({fmt_s("%-25.25s", field_text(r.name))});
    cells.push_back({fmt_s("%-4.4s", qualification_text(r.qualification))});
    cells.push_back({blank0(r.birth_year)});
    cells.push_back({class_name(c, r.class_id)});
    cells.push_back({club_name(c, r.club_id)});
    cells.push_back({blank0(r.start_number)});
    cells.push_back({format_time_text(r.start_time, precision)});
    std::string notes = blank0(r.heat_or_leg);
    auto add = [&notes](std::string_view word) {
        if (!notes.empty()) notes += ' ';
        notes += word;
    };
    if (r.out_of_competition) add(text_in(english, Txt::kCellOutOfCompetition));
    if (r.individual) add(text_in(english, Txt::kCellIndividual));
    if (r.fee_flags & Runner::kFeeReduced) add(text_in(english, Txt::kCellReducedFee));
    cells.push_back({notes});
    cells.push_back({blank0(r.card_number), (r.fee_flags & Runner::kFeeOwnCard)
                                                ? CellBackground::kOwnCard
                                                : CellBackground::kRow});
    cells.push_back({std::string(field_text(r.comment))});
    return cells;
}

std::vector<Cell> club_cells(const Competition& c, int slot, const Club& k) {
    const TableCounts n = c.counts_of(kClubs, slot);
    return {{mark_text(k.marked)},
            {strf("%d", slot + 1)},
            {std::string(field_text(k.name))},
            {std::string(field_text(k.representative))},
            {strf("%5d", n.runners)},
            {strf("%5d", n.marked)},
            {strf("%5d", n.finish_lines)}};
}

std::vector<Cell> class_cells(const Competition& c, int slot, const ClassRecord& k) {
    std::vector<Cell> cells = {
        {mark_text(k.marked())},           {strf("%d", slot + 1)},
        {std::string(field_text(k.name))}, {strf("%d", k.fee_rental_reduced)},
        {strf("%d", k.fee_rental_normal)}, {strf("%d", k.fee_own_reduced)},
        {strf("%d", k.fee_own_normal)}};
    if (const Course* d = c.live.course(k.course_id)) {
        cells.push_back({fmt_s("%-10.10s", field_text(d->name))});
        cells.push_back({strf("%d", d->control_count)});
        cells.push_back({strf("%d", d->length_m)});
        cells.push_back({strf("%d", d->climb_m)});
    } else {
        for (int i = 0; i < 4; ++i) cells.push_back({});
    }
    const TableCounts n = c.counts_of(kClasses, slot);
    cells.push_back({strf("%5d", n.runners)});
    cells.push_back({strf("%5d", n.marked)});
    cells.push_back({strf("%5d", n.finish_lines)});
    return cells;
}

std::vector<Cell> course_cells(const Competition& c, int slot, const Course& d) {
    const TableCounts n = c.counts_of(kCourses, slot);
    std::string classes;
    const auto& t = c.tables.classes;
    for (int i = 0; i < t.capacity() && t[i]; ++i) {
        if (t[i]->course_id != d.id) continue;
        if (!classes.empty()) classes += ' ';
        classes += field_text(t[i]->name);
    }
    return {{mark_text(d.marked)},
            {strf("%d", slot + 1)},
            {fmt_s("%-10.10s", field_text(d.name))},
            {strf("%d", d.control_count)},
            {strf("%d", d.length_m)},
            {strf("%d", d.climb_m)},
            {strf("%5d", n.runners)},
            {strf("%5d", n.marked)},
            {strf("%5d", n.finish_lines)},
            {classes}};
}

// The leg time of a relay line: its time minus the time of the nearest earlier line of the
// same class whose start number has the same value modulo 100.
std::string relay_leg_time(const Competition& c, int slot, const FinishLine& line,
                           const Runner& r) {
    const auto& t = c.tables.finish_lines;
    for (int i = slot - 1; i >= 0; --i) {
        const FinishLine* prev = t[i];
        if (!prev || prev->start_number <= 0) continue;
        if (prev->start_number % 100 != line.start_number % 100) continue;
        const Runner* pr = c.runner_by_number(prev->start_number);
        if (!pr || pr->class_id != r.class_id) continue;
        return format_time_text(line.time() - prev->time(), c.info.time_precision);
    }
    return {};
}

std::vector<Cell> finish_cells(const Competition& c, int slot, const FinishLine& line,
                               const RowContext& ctx) {
    int precision = c.info.time_precision;
    std::vector<Cell> cells;
    cells.reserve(12);
    std::string announced = strf("%3d%3d", line.counter(), line.flags & 0x7F);
    if (line.sent()) announced += '+';
    cells.push_back({announced});
    cells.push_back({strf("%d", slot + 1)});
    cells.push_back({line.time() == 0 ? std::string() : format_time_text(line.time(), precision)});
    int number = line.start_number;
    if (ctx.entry.active && ctx.entry.slot == slot)
        cells.push_back({ctx.entry.typed, CellBackground::kRed});
    else if (number < 0)
        cells.push_back({strf("St %4d", -number)});
    else
        cells.push_back({strf("%4d", number)});
    const Runner* r = c.runner_by_number(number < 0 ? -number : number);
    if (!r) {
        cells.push_back({std::string(text_in(ctx.english, Txt::kNotInList)), CellBackground::kRed});
        return cells;
    }
    cells.push_back({fmt_s("%-25.25s", field_text(r->name))});
    cells.push_back({fmt_s("%-4.4s", qualification_text(r->qualification))});
    cells.push_back({club_name(c, r->club_id)});
    bool has_time = line.time() != 0;
    std::string result;
    if (has_time) {
        if (r->status == kStatusDidNotFinish)
            result = fmt_s("%-8.8s", text_in(ctx.english, Txt::kCellDidNotFinish));
        else if (r->status == kStatusDidNotStart)
            result = fmt_s("%-8.8s", text_in(ctx.english, Txt::kCellDidNotStart));
        else if (r->status != 0)
            result = fmt_s("%-8.8s", text_in(ctx.english, Txt::kCellDisqualified));
        else if (r->result < 0)
            result = fmt_s("%-8.8s", result_error_text(ctx.english));
        else
            result = format_time_text(r->result, precision);
    }
    cells.push_back({result});
    int count = finish_count(c, r->start_number);
    const LapFigures g = lap_figures(c, r->class_id, count);
    std::string place;
    if (r->out_of_competition)
        place = strf("(%d) ", count) + std::string(text_in(ctx.english, Txt::kCellOc)) +
                strf("/%d", g.finishers);
    else if (r->status != 0 || r->result < 0)
        place = strf("(%d)", count);
    else
        place = strf("(%d) %d/%d", count, r->place, g.finishers);
    cells.push_back({place});
    std::string behind;
    if (has_time && result_is_time(*r) && g.has_ranked_leader) {
        std::int32_t d = r->result - g.ranked_leader;
        if (d < 0) d = 0;
        int seconds = d / 100;
        behind = strf("%3d:%02d", seconds / 60, seconds % 60);
    }
    cells.push_back({behind});
    cells.push_back({class_name(c, r->class_id)});
    std::string extra;
    if (c.info.check_mode == 4 || c.info.check_mode == 6)
        extra = strf("%d", r->penalty);
    else if (c.info.relay && number > 0)
        extra = relay_leg_time(c, slot, line, *r);
    cells.push_back({extra});
    return cells;
}

std::vector<Cell> card_cells(const Competition& c, int slot, const CardReadout& k,
                             const RowContext& ctx) {
    const CardFamily family = card_family_of(k.card_number);
    std::string owner;
    if (const Runner* r = c.live.owner_of_card(k.card_number)) owner = field_text(r->name);
    return {
        {strf("%d", slot + 1)},
        {strf("%d", k.card_number)},
        {strf("%d", k.start_number)},
        {k.start.time == 0 ? std::string() : format_time_text(k.start.time, 0)},
        {k.finish.time == 0 ? std::string() : format_time_text(k.finish.time, 0)},
        {strf("%3d", k.punch_count)},
        {family == CardFamily::kActive ? std::string(text_in(ctx.english, Txt::kCardFamilyActive))
                                       : std::string(card_family_code(family))},
        {owner}};
}

}  // namespace

std::span<const Column> columns(int table) {
    switch (table) {
        case kRunners:
            return kRunnerColumns;
        case kClubs:
            return kClubColumns;
        case kClasses:
            return kClassColumns;
        case kCourses:
            return kCourseColumns;
        case kFinishLines:
            return kFinishColumns;
        case kCardReadouts:
            return kCardColumns;
        default:
            return {};
    }
}

void prepare_paint(Competition& c, int table, RowContext&) {
    if (table == kClubs || table == kClasses || table == kCourses)
        c.count_tables();  // figures for the cells; the records are not written
}

std::vector<Cell> row_cells(Competition& c, int table, int slot, RowContext& ctx) {
    auto& t = c.tables;
    switch (table) {
        case kRunners:
            if (const Runner* r = t.runners[slot]) return runner_cells(c, slot, *r, ctx.english);
            break;
        case kClubs:
            if (const Club* k = t.clubs[slot]) return club_cells(c, slot, *k);
            break;
        case kClasses:
            if (const ClassRecord* k = t.classes[slot]) return class_cells(c, slot, *k);
            break;
        case kCourses:
            if (const Course* d = t.courses[slot]) return course_cells(c, slot, *d);
            break;
        case kFinishLines:
            if (const FinishLine* f = t.finish_lines[slot]) return finish_cells(c, slot, *f, ctx);
            break;
        case kCardReadouts:
            if (const CardReadout* k = t.card_readouts[slot]) return card_cells(c, slot, *k, ctx);
            break;
        default:
            break;
    }
    return {};
}

// ---- Cursor movement ----

constexpr int kHeaderHeight = 20;
constexpr int kRowHeight = 17;

int visible_rows(int client_height) {
    int n = (client_height - kHeaderHeight) / kRowHeight;
    return n < 1 ? 1 : n;
}

int row_at(int y, int visible) {
    // The quotient is truncated toward zero, so y = 4..19 still hits row 0.
    int r = (y - kHeaderHeight) / kRowHeight;
    if (y - kHeaderHeight <= -kRowHeight) return -1;
    return r >= 0 && r < visible ? r : -1;
}

Position move_up(Position p) {
    if (p.cursor > 0) {
        --p.cursor;
        if (p.cursor < p.top) p.top = p.cursor;
    }
    return p;
}

Position move_down(Position p, int capacity, int visible, const Occupied& occupied) {
    if (!occupied(p.cursor)) return p;
    if (p.cursor < capacity - 1) {
        ++p.cursor;
        if (p.cursor > p.top + visible - 1) p.top = p.cursor - visible + 1;
    }
    return p;
}

Position page_up(Position p, int visible) {
    p.cursor = std::max(0, p.cursor - visible);
    p.top = std::max(0, p.top - visible);
    return p;
}

Position last_row(Position p, int visible, int first_free) {
    if (first_free < 0) return p;  // a full table keeps the cursor
    p.cursor = first_free;
    if (p.cursor > p.top + visible - 1 || p.cursor < p.top)
        p.top = std::max(0, p.cursor - visible + 1);
    return p;
}

Position page_down(Position p, int capacity, int visible, const Occupied& occupied,
                   int first_free) {
    int target = p.cursor + visible;
    if (target < capacity && !occupied(target)) return last_row(p, visible, first_free);
    p.cursor = target;
    p.top += visible;
    if (p.cursor > capacity - 1) {
        p.cursor = capacity - 1;
        p.top = std::max(0, p.cursor - visible + 1);
    }
    return p;
}

Position first_row() {
    return {};
}

Position click_row(Position p, int row, int visible, const Occupied& occupied, int first_free) {
    if (row < 0) return p;
    int slot = p.top + row;
    if (occupied(slot)) {
        p.cursor = slot;
        return p;
    }
    return last_row(p, visible, first_free);
}

Position keep_visible(Position p, int visible) {
    if (p.cursor < p.top) p.top = p.cursor;
    if (p.cursor > p.top + visible - 1) p.top = std::max(0, p.cursor - visible + 1);
    return p;
}

}  // namespace skarvel::view
