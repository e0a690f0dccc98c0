// Fixed-capacity tables of individually allocated records. Live records fill slots 0..n-1
// (deletion closes the gap); only the runners table may hold set-aside runners behind empty
// slots after a filter. Deleted records move to `deleted`, where they keep their ids reserved
// until the competition is closed.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/records.h"

namespace skarvel {

enum RecordType : int {
    kRunners = 0,
    kClubs = 1,
    kClasses = 2,
    kCourses = 3,
    kFinishLines = 4,
    kCardReadouts = 5,
};
constexpr int kRecordTypeCount = 6;

constexpr int kRunnerCapacity = 30000;
constexpr int kClubCapacity = 10000;
constexpr int kClassCapacity = 10000;
constexpr int kCourseCapacity = 10000;
constexpr int kFinishLineCapacity = 20000;
constexpr int kCardReadoutCapacity = 30000;
// Start numbers 1..29999 have a number_index entry.
constexpr int kNumberIndexSize = 30000;

constexpr int kNoSlot = -1;

template <class R>
class Table {
  public:
    explicit Table(int capacity) : slots_(capacity), deleted_(capacity) {}

    int capacity() const { return static_cast<int>(slots_.size()); }
    // The record in slot i, or null for an empty slot or an index out of range.
    R* operator[](int i) const { return i >= 0 && i < capacity() ? slots_[i].get() : nullptr; }
    // Slots 0 up to the first empty one: the compact part every table walk reads.
    int live_count() const {
        int n = 0;
        while (n < used_ && slots_[n]) ++n;
        return n;
    }
    // Non-empty slots over the whole table (set-aside runners included).
    int occupied_count() const {
        int n = 0;
        for (int i = 0; i < used_; ++i) n += slots_[i] != nullptr;
        return n;
    }
    int find_free_slot() const {
        for (int i = 0; i < used_; ++i)
            if (!slots_[i]) return i;
        return used_ < capacity() ? used_ : kNoSlot;
    }
    // Every slot from this one on is empty: whole-table walks can stop here.
    int used_end() const { return used_; }
    // Changes whenever a record is added, deleted or moved, or a slot is handed out to be
    // filled: an index of the table's records built at one revision is stale at another.
    std::uint64_t revision() const { return revision_; }
    // Puts a zero-filled record in the first empty slot; kNoSlot when the table is full.
    int new_record() {
        int i = find_free_slot();
        if (i != kNoSlot) {
            slots_[i] = std::make_unique<R>();
            touch(i);
        }
        return i;
    }
    // Stores `r` at the first empty slot; kNoSlot (and `r` dropped) when full.
    int insert(std::unique_ptr<R> r) {
        int i = find_free_slot();
        if (i != kNoSlot) {
            slots_[i] = std::move(r);
            touch(i);
        }
        return i;
    }
    // Puts `r` at slot i and moves the records from there on one slot up; kNoSlot (and `r`
    // dropped) when the table is full or i lies beyond the used slots.
    int insert_at(int i, std::unique_ptr<R> r) {
        if (used_ >= capacity() || i < 0 || i > used_) return kNoSlot;
        for (int k = used_; k > i; --k) slots_[k] = std::move(slots_[k - 1]);
        slots_[i] = std::move(r);
        ++used_;
        return i;
    }
    // Takes the record at slot i out of the table (not into the deleted records) and closes
    // the gap.
    std::unique_ptr<R> extract(int i) {
        if (i < 0 || i >= used_ || !slots_[i]) return nullptr;
        std::unique_ptr<R> r = std::move(slots_[i]);
        for (int k = i + 1; k < used_; ++k) slots_[k - 1] = std::move(slots_[k]);
        --used_;
        return r;
    }
    // Moves the record at slot i to the deleted records and closes the gap.
    bool erase(int i);
    // Moves the records of slots 0 up to the first empty one to the deleted records, in slot
    // order, and closes the gap once; returns how many moved. (erase(0) in a loop does the
    // same in quadratic time.)
    int erase_live();
    // Puts the most recently deleted record back into the first empty slot.
    int undo_erase();
    bool has_deleted() const { return deleted_count_ > 0; }
    int deleted_count() const { return deleted_count_; }
    // The i-th deleted record, oldest first.
    const R* deleted(int i) const { return deleted_[(deleted_head_ + i) % capacity()].get(); }
    // The highest id of a deleted record that had to be freed because the deleted table was
    // full; it still counts when new ids are chosen.
    std::int32_t freed_max_id() const { return freed_max_id_; }

    void swap_slots(int a, int b) {
        touch(a);
        touch(b);
        std::swap(slots_[a], slots_[b]);
    }
    // Direct access to a slot (it may be filled through the reference).
    std::unique_ptr<R>& slot(int i) {
        touch(i);
        return slots_[i];
    }
    void clear();

  private:
    void push_deleted(std::unique_ptr<R> r);
    void touch(int i) {
        ++revision_;
        if (i + 1 > used_) used_ = i + 1;
    }
    // All slots from used_ on are empty, so walks and clearing need not visit them.
    int used_ = 0;
    std::uint64_t revision_ = 0;
    std::vector<std::unique_ptr<R>> slots_;
    // A ring: the oldest deleted record sits at deleted_head_, so freeing it when the ring is
    // full costs nothing.
    std::vector<std::unique_ptr<R>> deleted_;
    int deleted_head_ = 0;
    int deleted_count_ = 0;
    std::int32_t freed_max_id_ = 0;
};

struct RecordTables {
    Table<Runner> runners{kRunnerCapacity};
    Table<Club> clubs{kClubCapacity};
    Table<ClassRecord> classes{kClassCapacity};
    Table<Course> courses{kCourseCapacity};
    Table<FinishLine> finish_lines{kFinishLineCapacity};
    Table<CardReadout> card_readouts{kCardReadoutCapacity};

    void clear() {
        runners.clear();
        clubs.clear();
        classes.clear();
        courses.clear();
        finish_lines.clear();
        card_readouts.clear();
    }
};

// Calls f(table) with the typed table of a RecordType.
template <class F>
decltype(auto) with_table(RecordTables& t, RecordType type, F&& f) {
    switch (type) {
        case kRunners:
            return f(t.runners);
        case kClubs:
            return f(t.clubs);
        case kClasses:
            return f(t.classes);
        case kCourses:
            return f(t.courses);
        case kFinishLines:
            return f(t.finish_lines);
        default:
            return f(t.card_readouts);
    }
}

// --- template implementation ---

template <class R>
void Table<R>::push_deleted(std::unique_ptr<R> r) {
    if (deleted_count_ == capacity()) {
        // The deleted table is full: free the oldest deleted record but remember its id.
        std::unique_ptr<R>& oldest = deleted_[deleted_head_];
        if constexpr (requires(R x) { x.id; }) {
            if (oldest->id > freed_max_id_) freed_max_id_ = oldest->id;
        }
        oldest.reset();
        deleted_head_ = (deleted_head_ + 1) % capacity();
        --deleted_count_;
    }
    deleted_[(deleted_head_ + deleted_count_) % capacity()] = std::move(r);
    ++deleted_count_;
}

template <class R>
bool Table<R>::erase(int i) {
    if (i < 0 || i >= capacity() || !slots_[i]) return false;
    ++revision_;
    push_deleted(std::move(slots_[i]));
    for (int k = i + 1; k < used_; ++k) slots_[k - 1] = std::move(slots_[k]);
    slots_[used_ - 1].reset();
    --used_;
    return true;
}

template <class R>
int Table<R>::erase_live() {
    int n = live_count();
    ++revision_;
    for (int i = 0; i < n; ++i) push_deleted(std::move(slots_[i]));
    if (n > 0) {
        for (int k = n; k < used_; ++k) slots_[k - n] = std::move(slots_[k]);
        used_ -= n;
    }
    return n;
}

template <class R>
int Table<R>::undo_erase() {
    if (deleted_count_ == 0) return kNoSlot;
    int i = find_free_slot();
    if (i == kNoSlot) return kNoSlot;
    --deleted_count_;
    ++revision_;
    slots_[i] = std::move(deleted_[(deleted_head_ + deleted_count_) % capacity()]);
    touch(i);
    return i;
}

template <class R>
void Table<R>::clear() {
    ++revision_;
    for (int i = 0; i < used_; ++i) slots_[i].reset();
    for (auto& d : deleted_) d.reset();
    used_ = 0;
    deleted_head_ = 0;
    deleted_count_ = 0;
    freed_max_id_ = 0;
}

}  // namespace skarvel
