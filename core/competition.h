// One open competition: the six record tables, the header, the derived indexes and the view
// positions that are saved with the file. Everything is passed around by reference; there are
// no globals.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/competition_info.h"
#include "core/live_indexes.h"
#include "core/long_names.h"
#include "core/record_tables.h"

namespace skarvel {

// Which table is on show and the top and cursor row of each table.
struct ViewState {
    int table = kRunners;
    // The live results board is on show, over `table` (the table Ctrl+PgUp returns to).
    bool board = false;
    std::array<int, kRecordTypeCount> top{};
    std::array<int, kRecordTypeCount> cursor{};
    void reset() { *this = ViewState{}; }
};

struct TableCounts {
    std::int16_t runners = 0, finish_lines = 0, marked = 0;
};

class Competition {
  public:
    Competition();
    Competition(const Competition&) = delete;
    Competition& operator=(const Competition&) = delete;

    RecordTables tables;
    CompetitionInfo info;
    // Runner by start number (entry 0 never set); rebuilt by rebuild_number_index.
    std::vector<Runner*> number_index;
    // How many finish lines name each start number; rebuilt by count_finish_lines.
    std::vector<std::int32_t> finish_count_by_number;
    ViewState view;
    // Full names the records cannot hold, kept beside the competition file (see
    // core/long_names.h).
    LongNames long_names;
    // The document differs from its file.
    bool modified = false;
    // Indexes over the tables for the card reader, the list view and the display pages; kept
    // beside the tables as a cache, so a reader of a const competition may use them too (all
    // on the thread that owns the competition).
    mutable LiveIndexes live{*this};

    // Changes whenever derived data are worked out afresh (number_index, the results, the
    // places, a new or loaded competition): the live indexes built before are stale.
    std::uint64_t generation() const { return generation_; }
    void bump_generation() { ++generation_; }

    // Frees every record, resets the view, the filter and the header defaults of a new
    // competition, and clears the indexes.
    void clear();

    // Slot of a new zero-filled record in the first empty slot, or kNoSlot when full.
    int new_record(RecordType type);
    int find_free_slot(RecordType type);
    // 1 + the highest id over the live and deleted records of a keyed table (types 0..3).
    std::int32_t next_record_id(RecordType type);

    Runner* find_runner_by_id(std::int32_t id) const;
    Club* find_club_by_id(std::int32_t id) const;
    ClassRecord* find_class_by_id(std::int32_t id) const;
    Course* find_course_by_id(std::int32_t id) const;
    // The runner with this start number, through number_index (null outside 1..29999).
    Runner* runner_by_number(int start_number) const;

    // Deletes the record at slot i (moved to the deleted records, gap closed).
    bool delete_record(RecordType type, int slot);
    // Puts the most recently deleted record of the table back at its end; its slot or kNoSlot.
    int undo_delete(RecordType type);
    bool can_undo_delete(RecordType type);

    void rebuild_number_index();
    void count_finish_lines();
    void recompute_finish_results();
    // The result a runner gets from his last finish time (the rule of the recomputation).
    std::int32_t result_of(const Runner& r, std::int32_t finish) const;
    // Counts the runners, finish lines and marked runners of every club, class and course
    // (and rebuilds number_index) and writes the counters into the records.
    void recount_tables();
    // The same counting without writing the records: the list view reads the figures with
    // counts_of, so drawing changes nothing that is saved.
    void count_tables();
    // The counters of a club, class or course slot from the last count_tables or
    // recount_tables (zeros for a slot that was not counted).
    TableCounts counts_of(RecordType type, int slot) const;

    // Defaults of a new record, filled into a fresh record of the slot (the edit conversions
    // of each editor start from these).
    void fill_new_runner(Runner& r);
    void fill_new_club(Club& c);
    void fill_new_class(ClassRecord& c);
    void fill_new_course(Course& c);
    void fill_new_card_readout(CardReadout& c);

  private:
    std::uint64_t generation_ = 0;
    // Lookup of keyed records by a 16-bit reference (class_id, club_id, course_id): for each
    // key value the slot of the first record in slot order with that id, or -1. Rebuilt by
    // every count.
    template <class R>
    void build_id16_lookup(const Table<R>& table, std::vector<std::int16_t>& lookup);
    std::vector<std::int16_t> club_lookup_;
    std::vector<std::int16_t> class_lookup_;
    std::vector<std::int16_t> course_lookup_;
    // number_index as just built (index_scratch_) replaces the old one when they differ.
    void take_number_index();
    std::vector<Runner*> index_scratch_;
    std::vector<std::int32_t> counts_scratch_;
    // Scratch arrays of recount_tables and recompute_finish_results: small and dense, so the
    // walks stay in the cache however large the tables are.
    // Counters wrap at 16 bits, as the records keep them.
    std::vector<std::uint16_t> counts_;
    int counted_clubs_ = 0, counted_classes_ = 0, counted_courses_ = 0;
    std::vector<std::int16_t> class_course_;
    // For each start number, the class, course and club slot of the runner number_index
    // gives (class -2: no runner has the number). Kept together so that a finish line
    // costs one cache line.
    struct NumberOwner {
        std::int16_t klass, course, club;
    };
    std::vector<NumberOwner> number_owner_;
    std::vector<std::int32_t> last_finish_;
};

// The one slot index of a 16-bit key in an id16 lookup.
constexpr int id16_slot(std::int32_t id) {
    return id + 32768;
}
constexpr bool fits_id16(std::int32_t id) {
    return id >= -32768 && id <= 32767;
}

// Birth year as typed: 1..99 means 19xx; other values are kept.
int normalize_birth_year(int typed);

}  // namespace skarvel
