#include "core/live_indexes.h"

#include <algorithm>

#include "core/competition.h"
#include "core/finish_results.h"

namespace skarvel {

namespace {

// How many records ahead the walks fetch: records are allocated one by one, and a walk that
// waits for each in turn is bound by memory, not by its work.
constexpr int kAhead = 16;

template <class R>
void build_id16(const Table<R>& table, std::vector<std::int16_t>& lookup) {
    lookup.assign(65536, -1);
    // Backwards, so that the first record in slot order wins for a duplicated id.
    for (int i = table.used_end() - 1; i >= 0; --i)
        if (const R* r = table[i]; r && fits_id16(r->id))
            lookup[id16_slot(r->id)] = static_cast<std::int16_t>(i);
}

template <class R>
R* first_with_id(const Table<R>& table, std::int32_t id) {
    for (int i = 0; i < table.used_end(); ++i)
        if (R* r = table[i]; r && r->id == id) return r;
    return nullptr;
}

// The record of an id through the lookup; `stamp` is cleared when the record found no longer
// has the id (changed in place without notice): the lookup is built again next time.
template <class R>
R* by_id16(const Table<R>& table, const std::vector<std::int16_t>& lookup, IndexStamp& stamp,
           std::int32_t id) {
    // Ids outside 16 bits are never referred to by a record; look them up the long way.
    if (!fits_id16(id)) return first_with_id(table, id);
    const int slot = lookup[id16_slot(id)];
    if (slot < 0) return nullptr;
    R* r = table[slot];
    if (r && r->id == id) return r;
    stamp = IndexStamp{};
    return first_with_id(table, id);
}

}  // namespace

IndexStamp LiveIndexes::stamp(std::uint64_t revision) const {
    return {c_.generation(), revision};
}

void LiveIndexes::build_owners() {
    const auto& t = c_.tables.runners;
    const int end = t.used_end();
    owners_.reset(static_cast<std::size_t>(kRunnerCapacity));
    for (int i = 0; i < end; ++i) {
        if (i + kAhead < end)
            if (const Runner* next = t[i + kAhead]) __builtin_prefetch(&next->card_number);
        if (Runner* r = t[i]; r && r->card_number != 0) owners_.insert_first(r->card_number, r);
    }
    owners_stamp_ = stamp(t.revision());
}

Runner* LiveIndexes::owner_of_card(std::int32_t card) {
    if (card == 0) return nullptr;
    if (!(owners_stamp_ == stamp(c_.tables.runners.revision()))) build_owners();
    Runner* const* r = owners_.find(card);
    if (r && (*r)->card_number != card) {
        // Changed in place without notice: look again over the runners as they are.
        build_owners();
        r = owners_.find(card);
    }
    return r ? *r : nullptr;
}

void LiveIndexes::build_readouts() {
    const auto& t = c_.tables.card_readouts;
    readouts_.reset(static_cast<std::size_t>(kCardReadoutCapacity));
    for (int i = 0; i < t.capacity() && t[i]; ++i) {
        if (const CardReadout* next = t[i + kAhead]) __builtin_prefetch(&next->card_number);
        readouts_.insert_first(t[i]->card_number, i);
    }
    readouts_stamp_ = stamp(t.revision());
}

int LiveIndexes::readout_of_card(std::int32_t card) {
    const auto& t = c_.tables.card_readouts;
    if (card == 0) {
        // Card number 0 is never indexed: a readout without a number is found the long way.
        for (int i = 0; i < t.capacity() && t[i]; ++i)
            if (t[i]->card_number == 0) return i;
        return kNoSlot;
    }
    if (!(readouts_stamp_ == stamp(t.revision()))) build_readouts();
    const std::int32_t* slot = readouts_.find(card);
    if (slot && t[*slot]->card_number != card) {
        build_readouts();
        slot = readouts_.find(card);
    }
    return slot ? *slot : kNoSlot;
}

void LiveIndexes::note_readout_added(int slot) {
    const auto& t = c_.tables.card_readouts;
    // Only an index that was current before the readout came stays current with it; the
    // readout must also lie within the table's leading records, where lookups stop.
    if (!(readouts_stamp_.generation == c_.generation()) || !t[slot] || (slot > 0 && !t[slot - 1]))
        return;
    if (readouts_stamp_.revision + 1 != t.revision()) return;
    if (t[slot]->card_number != 0) readouts_.insert_first(t[slot]->card_number, slot);
    readouts_stamp_ = stamp(t.revision());
}

void LiveIndexes::build_last_line() {
    const auto& t = c_.tables.finish_lines;
    int last = 0;
    for (int i = 0; i < t.capacity() && t[i]; ++i)
        if ((t[i]->time() != 0 || t[i]->start_number != 0) && !t[i]->row.foreign) last = i;
    last_line_ = last;
    last_line_stamp_ = stamp(t.revision());
}

int LiveIndexes::last_finish_line() {
    if (!(last_line_stamp_ == stamp(c_.tables.finish_lines.revision()))) build_last_line();
    return last_line_;
}

void LiveIndexes::note_finish_line_written(int slot) {
    const auto& t = c_.tables.finish_lines;
    const FinishLine* line = t[slot];
    if (!line || !(last_line_stamp_.generation == c_.generation())) return;
    // The line was taken (appended: one revision on) or reused in place (none).
    const std::uint64_t revisions = t.revision() - last_line_stamp_.revision;
    if (revisions > 1) return;
    if ((line->time() != 0 || line->start_number != 0) && !line->row.foreign)
        last_line_ = std::max(last_line_, slot);
    last_line_stamp_ = stamp(t.revision());
}

const std::vector<std::int16_t>& LiveIndexes::club_slots() {
    if (!(club_stamp_ == stamp(c_.tables.clubs.revision()))) {
        build_id16(c_.tables.clubs, club_slots_);
        club_stamp_ = stamp(c_.tables.clubs.revision());
    }
    return club_slots_;
}

const std::vector<std::int16_t>& LiveIndexes::class_slots() {
    if (!(class_stamp_ == stamp(c_.tables.classes.revision()))) {
        build_id16(c_.tables.classes, class_slots_);
        class_stamp_ = stamp(c_.tables.classes.revision());
    }
    return class_slots_;
}

const std::vector<std::int16_t>& LiveIndexes::course_slots() {
    if (!(course_stamp_ == stamp(c_.tables.courses.revision()))) {
        build_id16(c_.tables.courses, course_slots_);
        course_stamp_ = stamp(c_.tables.courses.revision());
    }
    return course_slots_;
}

Club* LiveIndexes::club(std::int32_t id) {
    return by_id16(c_.tables.clubs, club_slots(), club_stamp_, id);
}
ClassRecord* LiveIndexes::klass(std::int32_t id) {
    return by_id16(c_.tables.classes, class_slots(), class_stamp_, id);
}
Course* LiveIndexes::course(std::int32_t id) {
    return by_id16(c_.tables.courses, course_slots(), course_stamp_, id);
}

bool LiveIndexes::places_fresh() const {
    return places_stamp_ == stamp(c_.tables.runners.revision());
}

void LiveIndexes::stamp_places() {
    places_stamp_ = stamp(c_.tables.runners.revision());
    ++place_builds_;
}

bool LiveIndexes::laps_fresh() const {
    return laps_stamp_ == stamp(c_.tables.runners.revision());
}

void LiveIndexes::build_laps() {
    laps_.clear();
    const auto& t = c_.tables.runners;
    const int end = t.used_end();
    for (int i = 0; i < end; ++i) {
        if (i + kAhead < end)
            if (const Runner* next = t[i + kAhead]) __builtin_prefetch(&next->start_number);
        Runner* r = t[i];
        if (!r) continue;
        LapEntry e;
        if (lap_entry_of(c_, *r, e)) laps_.push_back(e);
    }
    std::sort(laps_.begin(), laps_.end(), lap_entry_less);
    laps_stamp_ = stamp(t.revision());
    ++lap_builds_;
}

const std::vector<LapEntry>& LiveIndexes::lap_entries() {
    if (!laps_fresh()) build_laps();
    return laps_;
}

}  // namespace skarvel
