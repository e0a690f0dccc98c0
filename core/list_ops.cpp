#include "core/list_ops.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "core/finish_results.h"
#include "core/language.h"

namespace skarvel {

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

}  // namespace skarvel
