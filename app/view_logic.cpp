#include "app/view_logic.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "core/cp1251.h"
#include "core/finish_results.h"
#include "core/qualification.h"
#include "core/text_format.h"
#include "core/time_text.h"
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
    {Txt::kColRow, 5},    {Txt::kColCard, 8},    {Txt::kColBib, 5}, {Txt::kEdStart, 8},
    {Txt::kColFinish, 8}, {Txt::kColPunches, 7}, {Txt::kCount, 25},
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
    const ClassRecord* k = c.find_class_by_id(id);
    return k ? fmt_s("%-10s", field_text(k->name)) : std::string();
}
std::string club_name(const Competition& c, int id) {
    const Club* k = c.find_club_by_id(id);
    return k ? fmt_s("%-20s", field_text(k->name)) : std::string();
}

std::int64_t group_key(int class_id, int count) {
    return (static_cast<std::int64_t>(class_id) << 32) | static_cast<std::uint32_t>(count);
}

int finish_count(const Competition& c, int start_number) {
    if (start_number <= 0 || start_number >= kNumberIndexSize) return 0;
    return c.finish_count_by_number[start_number];
}

// Counts for the time behind: a time (no status, a finish after the start) in competition.
bool ranked(const Runner& r) {
    return !r.out_of_competition && result_is_time(r);
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
    if (const Course* d = c.find_course_by_id(k.course_id)) {
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
    const FinishStats::Group* g = ctx.finish_stats.group(r->class_id, count);
    std::string place;
    if (r->out_of_competition)
        place = strf("(%d) ", count) + std::string(text_in(ctx.english, Txt::kCellOc)) +
                strf("/%d", g ? g->runners : 0);
    else if (r->status != 0 || r->result < 0)
        place = strf("(%d)", count);
    else
        place = strf("(%d) %d/%d", count, r->place, g ? g->runners : 0);
    cells.push_back({place});
    std::string behind;
    if (has_time && result_is_time(*r) && g && !g->results.empty()) {
        std::int32_t d = r->result - g->results.front();
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

std::vector<Cell> card_cells(int slot, const CardReadout& k, const RowContext& ctx) {
    std::string owner;
    if (k.card_number != 0)
        if (const Runner* const* r = ctx.card_owner.find(k.card_number))
            owner = field_text((*r)->name);
    return {{strf("%d", slot + 1)},
            {strf("%d", k.card_number)},
            {strf("%d", k.start_number)},
            {k.start.time == 0 ? std::string() : format_time_text(k.start.time, 0)},
            {k.finish.time == 0 ? std::string() : format_time_text(k.finish.time, 0)},
            {strf("%3d", k.punch_count)},
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

void FinishStats::build(const Competition& c) {
    groups_.clear();
    const auto& t = c.tables.runners;
    for (int i = 0; i < t.capacity(); ++i) {
        const Runner* r = t[i];
        if (!r || r->start_number == 0) continue;
        int count = finish_count(c, r->start_number);
        if (count == 0) continue;
        Group& g = groups_[group_key(r->class_id, count)];
        ++g.runners;
        if (ranked(*r)) g.results.push_back(r->result);
    }
    for (auto& [key, g] : groups_) std::sort(g.results.begin(), g.results.end());
}

const FinishStats::Group* FinishStats::group(int class_id, int count) const {
    auto it = groups_.find(group_key(class_id, count));
    return it == groups_.end() ? nullptr : &it->second;
}

void prepare_paint(Competition& c, int table, RowContext& ctx) {
    if (table == kFinishLines) {
        // Results, places and number_index are kept fresh by finish_data_changed; the paint
        // only reads them.
        ctx.finish_stats.build(c);
    } else if (table != kCardReadouts) {
        c.count_tables();  // figures for the cells; the records are not written
    }
    if (table == kCardReadouts) {
        // The first runner in table order with each card number: one walk per paint into a
        // flat index that keeps its memory from paint to paint. Runner records are allocated
        // one by one; fetching a few ahead keeps the walk from waiting on memory when the
        // table no longer fits in the cache.
        const auto& t = c.tables.runners;
        const int end = t.used_end();
        ctx.card_owner.reset(static_cast<std::size_t>(end));
        constexpr int kAhead = 16;
        for (int i = 0; i < end; ++i) {
            if (i + kAhead < end)
                if (const Runner* next = t[i + kAhead]) __builtin_prefetch(&next->card_number);
            if (const Runner* r = t[i]; r && r->card_number != 0)
                ctx.card_owner.insert_first(r->card_number, r);
        }
    }
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
            if (const CardReadout* k = t.card_readouts[slot]) return card_cells(slot, *k, ctx);
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

int table_capacity(const Competition& c, int table) {
    if (table < 0 || table >= kRecordTypeCount) return 0;
    return with_table(const_cast<RecordTables&>(c.tables), static_cast<RecordType>(table),
                      [](auto& t) { return t.capacity(); });
}

bool slot_occupied(const Competition& c, int table, int slot) {
    if (table < 0 || table >= kRecordTypeCount) return false;
    return with_table(const_cast<RecordTables&>(c.tables), static_cast<RecordType>(table),
                      [slot](auto& t) { return t[slot] != nullptr; });
}

int first_free_slot(const Competition& c, int table) {
    if (table < 0 || table >= kRecordTypeCount) return -1;
    return with_table(const_cast<RecordTables&>(c.tables), static_cast<RecordType>(table),
                      [](auto& t) { return t.find_free_slot(); });
}

int live_count(const Competition& c, int table) {
    if (table < 0 || table >= kRecordTypeCount) return 0;
    return with_table(const_cast<RecordTables&>(c.tables), static_cast<RecordType>(table),
                      [](auto& t) { return t.live_count(); });
}

// ---- Marking ----

std::string_view mark_question(int table, MarkOp op, bool english) {
    int o = static_cast<int>(op);
    static constexpr Txt kRunnersQ[] = {Txt::kMarkAllRunners, Txt::kUnmarkAllRunners,
                                        Txt::kInvertAllRunners};
    static constexpr Txt kClubsQ[] = {Txt::kMarkAllClubs, Txt::kUnmarkAllClubs,
                                      Txt::kInvertAllClubs};
    static constexpr Txt kClassesQ[] = {Txt::kMarkAllClasses, Txt::kUnmarkAllClasses,
                                        Txt::kInvertAllClasses};
    static constexpr Txt kCoursesQ[] = {Txt::kMarkAllCourses, Txt::kUnmarkAllCourses,
                                        Txt::kInvertAllCourses};
    static constexpr Txt kFinishQ[] = {Txt::kMarkAllCalled, Txt::kUnmarkAllCalled, Txt::kCount};
    Txt id = Txt::kCount;
    switch (table) {
        case kRunners:
            id = kRunnersQ[o];
            break;
        case kClubs:
            id = kClubsQ[o];
            break;
        case kClasses:
            id = kClassesQ[o];
            break;
        case kCourses:
            id = kCoursesQ[o];
            break;
        case kFinishLines:
            id = kFinishQ[o];
            break;
        default:
            break;
    }
    return id == Txt::kCount ? std::string_view() : text_in(english, id);
}

namespace {
bool apply_bool(std::uint8_t& flag, MarkOp op) {
    std::uint8_t before = flag;
    flag = op == MarkOp::kMarkAll ? 1 : op == MarkOp::kUnmarkAll ? 0 : (flag ? 0 : 1);
    return flag != before;
}
template <class R>
bool mark_table(Table<R>& t, MarkOp op) {
    bool changed = false;
    for (int i = 0; i < t.capacity() && t[i]; ++i) changed |= apply_bool(t[i]->marked, op);
    return changed;
}
}  // namespace

bool apply_mark(Competition& c, int table, MarkOp op) {
    auto& t = c.tables;
    bool changed = false;
    switch (table) {
        case kRunners:
            changed = mark_table(t.runners, op);
            break;
        case kClubs:
            changed = mark_table(t.clubs, op);
            break;
        case kCourses:
            changed = mark_table(t.courses, op);
            break;
        case kClasses:
            for (int i = 0; i < t.classes.capacity() && t.classes[i]; ++i) {
                ClassRecord& k = *t.classes[i];
                bool before = k.marked();
                k.set_marked(op == MarkOp::kMarkAll     ? true
                             : op == MarkOp::kUnmarkAll ? false
                                                        : !before);
                changed |= k.marked() != before;
            }
            break;
        case kFinishLines:
            if (op == MarkOp::kInvertAll) return false;
            for (int i = 0; i < t.finish_lines.capacity() && t.finish_lines[i]; ++i) {
                FinishLine& f = *t.finish_lines[i];
                std::uint8_t before = f.flags;
                if (op == MarkOp::kMarkAll)
                    f.flags |= FinishLine::kFlagSent;
                else
                    f.flags &= ~FinishLine::kFlagSent;
                changed |= f.flags != before;
            }
            break;
        default:
            return false;
    }
    if (changed) c.modified = true;
    return changed;
}

bool toggle_mark(Competition& c, int table, int slot) {
    auto& t = c.tables;
    auto flip = [](std::uint8_t& mark) {
        mark = !mark;
        return true;
    };
    bool done = false;
    switch (table) {
        case kRunners:
            if (Runner* r = t.runners[slot]) done = flip(r->marked);
            break;
        case kClubs:
            if (Club* k = t.clubs[slot]) done = flip(k->marked);
            break;
        case kClasses:
            if (ClassRecord* k = t.classes[slot]) {
                k->set_marked(!k->marked());
                done = true;
            }
            break;
        case kCourses:
            if (Course* k = t.courses[slot]) done = flip(k->marked);
            break;
        case kFinishLines:
            if (FinishLine* f = t.finish_lines[slot]) {
                f->flags ^= FinishLine::kFlagSent;
                done = true;
            }
            break;
        default:
            break;
    }
    if (done) c.modified = true;
    return done;
}

bool toggle_finish_flag(Competition& c, int slot) {
    FinishLine* f = c.tables.finish_lines[slot];
    if (!f) return false;
    f->flags ^= FinishLine::kFlagToggle;
    c.modified = true;
    return true;
}

// ---- Swap, sort, filter, find ----

bool swap_press(Competition& c, int& swap_row, int cursor_row) {
    if (swap_row < 0) {
        swap_row = cursor_row;
        return false;
    }
    auto& t = c.tables.runners;
    bool swapped = false;
    if (t[swap_row] && t[cursor_row] && swap_row != cursor_row) {
        t.swap_slots(swap_row, cursor_row);
        c.modified = true;
        swapped = true;
    }
    swap_row = -1;
    return swapped;
}

namespace {

int compare_names(std::string_view a, std::string_view b) {
    // Byte by byte as unsigned codes of the code page.
    std::size_t n = std::min(a.size(), b.size());
    int r = std::memcmp(a.data(), b.data(), n);
    if (r != 0) return r;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

template <class R, class Less>
void sort_slots(Table<R>& t, int begin, int end, Less less) {
    std::vector<std::unique_ptr<R>> items;
    items.reserve(end - begin);
    for (int i = begin; i < end; ++i) items.push_back(std::move(t.slot(i)));
    std::stable_sort(items.begin(), items.end(),
                     [&less](const auto& a, const auto& b) { return less(*a, *b); });
    for (int i = begin; i < end; ++i) t.slot(i) = std::move(items[i - begin]);
}

template <class R>
void sort_by_name(Table<R>& t) {
    sort_slots(t, 0, t.live_count(), [](const R& a, const R& b) {
        return compare_names(field_text(a.name), field_text(b.name)) < 0;
    });
}

}  // namespace

void sort_table(Competition& c, int table, CardSortKey card_key) {
    auto& t = c.tables;
    switch (table) {
        case kRunners:
            sort_by_name(t.runners);
            break;
        case kClubs:
            sort_by_name(t.clubs);
            break;
        case kClasses:
            sort_by_name(t.classes);
            break;
        case kCourses:
            sort_by_name(t.courses);
            break;
        case kFinishLines:
            sort_slots(
                t.finish_lines, 0, t.finish_lines.live_count(),
                [](const FinishLine& a, const FinishLine& b) { return a.time() < b.time(); });
            finish_data_changed(c);  // the last line of a number gives its time
            break;
        case kCardReadouts:
            sort_slots(t.card_readouts, 0, t.card_readouts.live_count(),
                       [card_key](const CardReadout& a, const CardReadout& b) {
                           switch (card_key) {
                               case CardSortKey::kStartNumber:
                                   return a.start_number < b.start_number;
                               case CardSortKey::kStartTime:
                                   return a.start.time < b.start.time;
                               case CardSortKey::kFinishTime:
                                   return a.finish.time < b.finish.time;
                               default:
                                   return a.card_number < b.card_number;
                           }
                       });
            break;
        default:
            return;
    }
}

FilterSettings stored_filter(const CompetitionInfo& info) {
    FilterSettings f;
    f.class_id = info.filter_class_id;
    f.club_id = info.filter_club_id;
    f.course_id = info.filter_course_id;
    f.mark = info.filter_mark;
    f.heat = info.filter_heat;
    f.sort_key = info.filter_sort_key;
    return f;
}

void compact_runners(Competition& c, int end) {
    auto& t = c.tables.runners;
    int to = 0;
    for (int i = 0; i < end; ++i) {
        if (!t[i]) continue;
        if (i != to) t.slot(to) = std::move(t.slot(i));
        ++to;
    }
}

namespace {

// Which runner class ids belong to the filter's course (the first class of an id in table
// order decides): one walk over the classes per filter into a flat table over the 16-bit ids
// a runner can carry, then one look-up per runner.
class CourseOfClass {
  public:
    CourseOfClass(const Competition& c, std::int32_t course_id) {
        if (course_id == 0) return;
        state_.assign(65536, kNoClass);
        const auto& t = c.tables.classes;
        const int end = t.used_end();
        for (int i = 0; i < end; ++i) {
            if (i + 16 < end)
                if (const ClassRecord* next = t[i + 16]) __builtin_prefetch(next);
            const ClassRecord* k = t[i];
            if (!k || !fits_id16(k->id)) continue;
            std::uint8_t& s = state_[id16_slot(k->id)];
            if (s == kNoClass) s = k->course_id == course_id ? kOnCourse : kOtherCourse;
        }
    }
    // True when a class has the id and its course is the filter's.
    bool on_course(std::int16_t class_id) const { return state_[id16_slot(class_id)] == kOnCourse; }

  private:
    static constexpr std::uint8_t kNoClass = 0, kOnCourse = 1, kOtherCourse = 2;
    std::vector<std::uint8_t> state_;
};

bool passes(const CourseOfClass& courses, const Runner& r, const FilterSettings& f) {
    if (f.class_id != 0 && r.class_id != f.class_id) return false;
    if (f.club_id != 0 && r.club_id != f.club_id) return false;
    if (f.mark == 1 && !r.marked) return false;
    if (f.mark == 2 && r.marked) return false;
    if (f.heat != 0 && r.heat_or_leg != f.heat) return false;
    if (f.course_id != 0 && !courses.on_course(r.class_id)) return false;
    return true;
}

}  // namespace

int apply_filter(Competition& c, const FilterSettings& f) {
    CompetitionInfo& info = c.info;
    info.filter_class_id = f.class_id;
    info.filter_club_id = f.club_id;
    info.filter_course_id = f.course_id;
    info.filter_mark = f.mark;
    info.filter_heat = f.heat;
    info.filter_sort_key = f.sort_key;

    auto& t = c.tables.runners;
    int capacity = t.capacity();
    // Everything is rebuilt from two lists, so a full table (no free slot between the two
    // groups) loses no runner.
    std::vector<std::unique_ptr<Runner>> pass, fail;
    const int end = t.used_end();
    pass.reserve(static_cast<std::size_t>(end));
    fail.reserve(static_cast<std::size_t>(end));
    const CourseOfClass courses(c, f.course_id);
    // Runner records are allocated one by one (and a sorted table visits them in no memory
    // order): fetching a few ahead keeps the walk from waiting on memory.
    constexpr int kAhead = 16;
    for (int i = 0; i < end; ++i) {
        if (i + kAhead < end)
            if (const Runner* next = t[i + kAhead]) __builtin_prefetch(&next->class_id);
        if (!t[i]) continue;
        auto& dest = passes(courses, *t[i], f) ? pass : fail;
        dest.push_back(std::move(t.slot(i)));
    }
    int k = static_cast<int>(pass.size());
    for (int i = 0; i < k; ++i) t.slot(i) = std::move(pass[i]);
    // The first failing runner goes to the last slot, the next before it, and so on.
    for (std::size_t i = 0; i < fail.size(); ++i)
        t.slot(capacity - 1 - static_cast<int>(i)) = std::move(fail[i]);

    // The club's slot position in the clubs table, for sort key 5.
    std::unordered_map<std::int32_t, int> club_pos;
    if (f.sort_key == 5) {
        const auto& clubs = c.tables.clubs;
        for (int i = 0; i < clubs.capacity(); ++i)
            if (const Club* cl = clubs[i]) club_pos.emplace(cl->id, i);
    }
    auto club_index = [&club_pos](const Runner& r) {
        auto it = club_pos.find(r.club_id);
        return it == club_pos.end() ? -1 : it->second;
    };
    sort_slots(t, 0, k, [&f, &club_index](const Runner& a, const Runner& b) {
        switch (f.sort_key) {
            case 1:
                return a.start_number < b.start_number;
            case 2:
                if (a.start_time != b.start_time) return a.start_time < b.start_time;
                return a.start_number < b.start_number;
            case 3:
                return a.card_number < b.card_number;
            case 4:
                return a.birth_year < b.birth_year;
            case 5:
                return club_index(a) < club_index(b);
            default:
                return compare_names(field_text(a.name), field_text(b.name)) < 0;
        }
    });
    c.view.table = kRunners;
    c.view.cursor[kRunners] = c.view.top[kRunners] = 0;
    c.modified = true;
    return k;
}

namespace {

int reorder_qualifying(Competition& c, const std::function<bool(const Runner&)>& qualifies) {
    auto& t = c.tables.runners;
    int capacity = t.capacity();
    std::vector<std::unique_ptr<Runner>> all;
    for (int i = 0; i < capacity; ++i)
        if (t[i]) all.push_back(std::move(t.slot(i)));
    std::stable_sort(all.begin(), all.end(), [](const auto& a, const auto& b) {
        return a->start_number < b->start_number;
    });
    int front = 0, back = capacity - 1;
    for (auto& r : all) {
        if (qualifies(*r))
            t.slot(front++) = std::move(r);
        else
            t.slot(back--) = std::move(r);
    }
    c.view.table = kRunners;
    c.view.cursor[kRunners] = c.view.top[kRunners] = 0;
    c.modified = true;
    return front;
}

}  // namespace

int numbered_first(Competition& c) {
    return reorder_qualifying(c, [](const Runner& r) { return r.start_number != 0; });
}

int not_finished_first(Competition& c) {
    auto& t = c.tables.runners;
    for (int i = 0; i < t.capacity(); ++i)
        if (Runner* r = t[i]) r->draw_key = r->start_number != 0 ? 1 : 0;
    c.rebuild_number_index();
    const auto& lines = c.tables.finish_lines;
    for (int i = 0; i < lines.capacity() && lines[i]; ++i)
        if (Runner* r = c.runner_by_number(lines[i]->start_number)) r->draw_key = 0;
    int k = reorder_qualifying(c, [](const Runner& r) { return r.draw_key != 0; });
    c.rebuild_number_index();
    return k;
}

int find_next(const Competition& c, int table, int cursor, std::string_view text) {
    if (text.empty()) return -1;
    long n = 0;
    {
        std::string s(text);
        if (!s.empty() && s[0] >= '0' && s[0] <= '9') n = std::strtol(s.c_str(), nullptr, 10);
    }
    auto starts = [&text](const char* name, std::size_t size) {
        std::string_view v(name, strnlen(name, size));
        return v.substr(0, text.size()) == text;
    };
    const auto& t = c.tables;
    int cap = table_capacity(c, table);
    for (int i = cursor + 1; i < cap; ++i) {
        switch (table) {
            case kRunners: {
                const Runner* r = t.runners[i];
                if (!r) return -1;
                if (starts(r->name, sizeof r->name) || (n != 0 && r->start_number == n) ||
                    (n != 0 && r->card_number == n))
                    return i;
                break;
            }
            case kFinishLines: {
                const FinishLine* f = t.finish_lines[i];
                if (!f) return -1;
                if (n != 0 && f->start_number == n) return i;
                const Runner* r = c.runner_by_number(f->start_number);
                if (r && ((n != 0 && r->card_number == n) || starts(r->name, sizeof r->name)))
                    return i;
                break;
            }
            case kCardReadouts: {
                const CardReadout* k = t.card_readouts[i];
                if (!k) return -1;
                if (n != 0 && (k->card_number == n || k->start_number == n)) return i;
                break;
            }
            default:
                return -1;
        }
    }
    return -1;
}

std::string_view find_failed_message(int table, bool english) {
    return text_in(english, table == kRunners ? Txt::kFindFailedRunners : Txt::kFindFailed);
}

}  // namespace skarvel::view
