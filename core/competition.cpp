#include "core/competition.h"

#include <cstdio>

#include "core/cp1251.h"
#include "core/time_text.h"

namespace skarvel {

using namespace literals;

Competition::Competition()
    : number_index(kNumberIndexSize, nullptr), finish_count_by_number(kNumberIndexSize, 0) {
    info.reset_to_new();
}

void Competition::clear() {
    bump_generation();
    tables.clear();
    info.reset_to_new();
    view.reset();
    long_names.clear();
    rebuild_number_index();
    count_finish_lines();
    modified = false;
}

int Competition::new_record(RecordType type) {
    return with_table(tables, type, [](auto& t) { return t.new_record(); });
}

int Competition::find_free_slot(RecordType type) {
    return with_table(tables, type, [](auto& t) { return t.find_free_slot(); });
}

std::int32_t Competition::next_record_id(RecordType type) {
    return with_table(tables, type, [](auto& t) -> std::int32_t {
        using R = std::remove_pointer_t<decltype(t[0])>;
        if constexpr (requires(R r) { r.id; }) {
            std::int32_t max_id = t.freed_max_id();
            for (int i = 0; i < t.used_end(); ++i)
                if (const R* r = t[i]; r && r->id > max_id) max_id = r->id;
            for (int i = 0; i < t.deleted_count(); ++i)
                if (t.deleted(i)->id > max_id) max_id = t.deleted(i)->id;
            // Ids come from files too: the one after the highest wraps rather than overflows.
            return static_cast<std::int32_t>(static_cast<std::uint32_t>(max_id) + 1u);
        } else {
            return 1;
        }
    });
}

namespace {
template <class R>
R* first_with_id(const Table<R>& t, std::int32_t id) {
    for (int i = 0; i < t.used_end(); ++i)
        if (R* r = t[i]; r && r->id == id) return r;
    return nullptr;
}
}  // namespace

Runner* Competition::find_runner_by_id(std::int32_t id) const {
    return first_with_id(tables.runners, id);
}
Club* Competition::find_club_by_id(std::int32_t id) const {
    return first_with_id(tables.clubs, id);
}
ClassRecord* Competition::find_class_by_id(std::int32_t id) const {
    return first_with_id(tables.classes, id);
}
Course* Competition::find_course_by_id(std::int32_t id) const {
    return first_with_id(tables.courses, id);
}

Runner* Competition::runner_by_number(int start_number) const {
    if (start_number <= 0 || start_number >= kNumberIndexSize) return nullptr;
    return number_index[start_number];
}

bool Competition::delete_record(RecordType type, int slot) {
    bool done = with_table(tables, type, [slot](auto& t) { return t.erase(slot); });
    if (done) modified = true;
    return done;
}

int Competition::undo_delete(RecordType type) {
    int slot = with_table(tables, type, [](auto& t) { return t.undo_erase(); });
    if (slot != kNoSlot) modified = true;
    return slot;
}

bool Competition::can_undo_delete(RecordType type) {
    return with_table(tables, type, [](auto& t) { return t.has_deleted(); });
}

void Competition::rebuild_number_index() {
    // Built aside and compared: the indexes built over the old one stay good when it is the same.
    index_scratch_.assign(kNumberIndexSize, nullptr);
    const auto& t = tables.runners;
    for (int i = 0; i < t.used_end(); ++i) {
        Runner* r = t[i];
        if (r && r->start_number != 0 && r->start_number < kNumberIndexSize)
            index_scratch_[r->start_number] = r;
    }
    take_number_index();
}

void Competition::take_number_index() {
    if (index_scratch_ == number_index) return;
    number_index.swap(index_scratch_);
    bump_generation();
}

void Competition::count_finish_lines() {
    // Lines per number first (a walk over the lines alone), then one check per number of the
    // runner the index gives: the same runner answers for every line with that number. The
    // old counts are kept aside: only new figures make the indexes over them stale.
    counts_scratch_ = finish_count_by_number;
    std::fill(finish_count_by_number.begin(), finish_count_by_number.end(), 0);
    const auto& t = tables.finish_lines;
    for (int i = 0; i < t.used_end() && t[i]; ++i) {
        int n = t[i]->start_number;
        if (n > 0 && n < kNumberIndexSize) ++finish_count_by_number[n];
    }
    for (int n = 1; n < kNumberIndexSize; ++n) {
        if (finish_count_by_number[n] == 0) continue;
        const Runner* r = number_index[n];
        if (!r || r->start_number == 0) finish_count_by_number[n] = 0;
    }
    if (counts_scratch_ != finish_count_by_number) bump_generation();
}

void Competition::recompute_finish_results() {
    // Every result is written afresh: the indexes built over the old ones are stale.
    bump_generation();
    count_finish_lines();
    for (int i = 0; i < tables.runners.used_end(); ++i)
        if (Runner* r = tables.runners[i]) r->finish_time = r->result = 0;
    // The last line with a time wins for each number; each runner is then visited once.
    last_finish_.assign(kNumberIndexSize, 0);
    const auto& t = tables.finish_lines;
    for (int i = 0; i < t.used_end() && t[i]; ++i) {
        const FinishLine& line = *t[i];
        std::int32_t f = line.time();
        if (line.start_number > 0 && line.start_number < kNumberIndexSize && f != 0)
            last_finish_[line.start_number] = f;
    }
    for (int n = 1; n < kNumberIndexSize; ++n) {
        std::int32_t f = last_finish_[n];
        if (f == 0) continue;
        Runner* r = number_index[n];
        if (!r) continue;
        r->finish_time = f;
        r->result = result_of(*r, f);
    }
}

std::int32_t Competition::result_of(const Runner& r, std::int32_t f) const {
    // Worked out in 64 bits and kept to 32 as stored: values read from a file may be
    // anything, and a status above 8 would overflow.
    std::int64_t result;
    if (r.status != 0)
        result = std::int64_t(r.status) * kDay + std::int64_t(r.start_number) * 100;
    else if (info.competition_kind == kKindMarkedMinutes)
        result = std::int64_t(f) + std::int64_t(r.penalty) * kCentisPerMinute - r.start_time;
    else
        result = std::int64_t(f) - r.start_time;
    return static_cast<std::int32_t>(result);
}

template <class R>
void Competition::build_id16_lookup(const Table<R>& table, std::vector<std::int16_t>& lookup) {
    lookup.assign(65536, -1);
    // Walk backwards so the first record in slot order wins for a duplicated id.
    for (int i = table.used_end() - 1; i >= 0; --i)
        if (R* r = table[i]; r && fits_id16(r->id))
            lookup[id16_slot(r->id)] = static_cast<std::int16_t>(i);
}

// How many records ahead the table walks of recount_tables fetch.
constexpr int kFetchAhead = 8;

void Competition::recount_tables() {
    count_tables();
    auto store = [](auto& table, int used, const std::uint16_t* counts) {
        for (int i = 0; i < used; ++i) {
            if (i + kFetchAhead < used)
                if (const auto* next = table[i + kFetchAhead])
                    __builtin_prefetch(&next->runner_count);
            auto* r = table[i];
            if (!r) continue;
            // Written only when changed, so a recount of fresh counters leaves them alone.
            const auto runners = static_cast<std::int16_t>(counts[3 * i]);
            const auto finished = static_cast<std::int16_t>(counts[3 * i + 1]);
            const auto marked = static_cast<std::int16_t>(counts[3 * i + 2]);
            if (r->runner_count != runners) r->runner_count = runners;
            if (r->finish_line_count != finished) r->finish_line_count = finished;
            if (r->marked_count != marked) r->marked_count = marked;
        }
    };
    store(tables.clubs, counted_clubs_, counts_.data());
    store(tables.classes, counted_classes_, counts_.data() + 3 * counted_clubs_);
    store(tables.courses, counted_courses_,
          counts_.data() + 3 * (counted_clubs_ + counted_classes_));
}

TableCounts Competition::counts_of(RecordType type, int slot) const {
    int base = 0, used = 0;
    if (type == kClubs) {
        used = counted_clubs_;
    } else if (type == kClasses) {
        base = counted_clubs_;
        used = counted_classes_;
    } else if (type == kCourses) {
        base = counted_clubs_ + counted_classes_;
        used = counted_courses_;
    }
    if (slot < 0 || slot >= used) return {};
    const std::uint16_t* k = counts_.data() + 3 * (base + slot);
    return {static_cast<std::int16_t>(k[0]), static_cast<std::int16_t>(k[1]),
            static_cast<std::int16_t>(k[2])};
}

void Competition::count_tables() {
    static_assert(kClubCapacity <= 32767 && kClassCapacity <= 32767 && kCourseCapacity <= 32767);
    // Built afresh: the counts are the figures of the tables as they are now, whoever changed
    // them.
    build_id16_lookup(tables.clubs, club_lookup_);
    build_id16_lookup(tables.classes, class_lookup_);
    build_id16_lookup(tables.courses, course_lookup_);
    const std::vector<std::int16_t>& club_lookup = club_lookup_;
    const std::vector<std::int16_t>& class_lookup = class_lookup_;
    const std::vector<std::int16_t>& course_lookup = course_lookup_;

    // Counters are gathered in one dense array (three per slot: runners, finish lines,
    // marked; clubs, then classes, then courses) and written to the records at the end.
    const int clubs = tables.clubs.used_end(), classes = tables.classes.used_end(),
              courses = tables.courses.used_end();
    counts_.assign(std::size_t(3) * (clubs + classes + courses), 0);
    std::uint16_t* club_counts = counts_.data();
    std::uint16_t* class_counts = club_counts + 3 * clubs;
    std::uint16_t* course_counts = class_counts + 3 * classes;
    // The course slot of each class.
    class_course_.assign(classes, -1);
    for (int i = 0; i < classes; ++i)
        if (const ClassRecord* c = tables.classes[i])
            class_course_[i] = course_lookup[id16_slot(c->course_id)];

    number_owner_.assign(kNumberIndexSize, NumberOwner{-2, -1, -1});

    // One walk over the runners does the counting and rebuilds number_index (a later runner
    // with the same number replaces an earlier one, as rebuild_number_index does). Records
    // are allocated one by one; fetching a few ahead keeps the walk from waiting on memory
    // when the table no longer fits in the cache.
    index_scratch_.assign(kNumberIndexSize, nullptr);
    const auto& runners = tables.runners;
    const int runners_end = runners.used_end();
    for (int i = 0; i < runners_end; ++i) {
        if (i + kFetchAhead < runners_end) {
            if (const Runner* next = runners[i + kFetchAhead]) {
                __builtin_prefetch(&next->class_id);
                __builtin_prefetch(&next->marked);
            }
        }
        Runner* r = runners[i];
        if (!r) continue;
        const int m = r->marked ? 1 : 0;
        const int k = class_lookup[id16_slot(r->class_id)];
        int course = -1;
        if (k >= 0) {
            class_counts[3 * k] += 1;
            class_counts[3 * k + 2] += m;
            course = class_course_[k];
            if (course >= 0) {
                course_counts[3 * course] += 1;
                course_counts[3 * course + 2] += m;
            }
        }
        const int club = club_lookup[id16_slot(r->club_id)];
        if (club >= 0) {
            club_counts[3 * club] += 1;
            club_counts[3 * club + 2] += m;
        }
        if (r->start_number != 0 && r->start_number < kNumberIndexSize) {
            index_scratch_[r->start_number] = r;
            number_owner_[r->start_number] =
                NumberOwner{static_cast<std::int16_t>(k), static_cast<std::int16_t>(course),
                            static_cast<std::int16_t>(club)};
        }
    }
    take_number_index();
    const auto& lines = tables.finish_lines;
    for (int i = 0; i < lines.used_end() && lines[i]; ++i) {
        int n = lines[i]->start_number;
        if (n <= 0 || n >= kNumberIndexSize) continue;
        const NumberOwner o = number_owner_[n];
        if (o.klass == -2) continue;
        if (o.klass >= 0) {
            class_counts[3 * o.klass + 1] += 1;
            if (o.course >= 0) course_counts[3 * o.course + 1] += 1;
        }
        if (o.club >= 0) club_counts[3 * o.club + 1] += 1;
    }

    counted_clubs_ = clubs;
    counted_classes_ = classes;
    counted_courses_ = courses;
}

void Competition::fill_new_runner(Runner& r) {
    r.id = next_record_id(kRunners);
    set_field_text(r.name, ".");
    r.start_time = 0;
    r.club_id = info.filter_club_id;
    r.class_id = info.filter_class_id;
}

void Competition::fill_new_club(Club& c) {
    c.id = next_record_id(kClubs);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s%d", std::string("Команда № "_cp1251).c_str(), c.id);
    set_field_text(c.name, buf);
}

void Competition::fill_new_class(ClassRecord& c) {
    c.id = next_record_id(kClasses);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s%d", std::string("Группа № "_cp1251).c_str(), c.id);
    set_field_text(c.name, buf);
    c.set_ranks_allowed(true);
}

void Competition::fill_new_course(Course& c) {
    c.id = next_record_id(kCourses);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s%d", std::string("Дист№ "_cp1251).c_str(), c.id);
    set_field_text(c.name, buf);
    c.finish_crossings = 1;
    c.time_limit_min = 120;
}

void Competition::fill_new_card_readout(CardReadout& c) {
    c = CardReadout{};
}

int normalize_birth_year(int typed) {
    return typed >= 1 && typed <= 99 ? typed + 1900 : typed;
}

}  // namespace skarvel
