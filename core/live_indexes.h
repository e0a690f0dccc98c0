// Indexes over the tables that the card reader, the list view and the display pages look up
// instead of walking whole tables for every card or paint: the owner and the readout of each
// card number, the last finish line in use, the clubs, classes and courses by id, every runner's
// standing among the places, and the class-and-laps groups of the finish table.
//
// Each index is built on first use and kept current by the code that changes what it covers
// (the card reader, through RunnerUpdate and the note_* calls). It counts as stale, and is built
// again on its next use, once a table it covers changed shape by other hands (a record added,
// deleted or moved: the table's revision) or the competition's derived data were worked out
// afresh (its generation: finish_data_changed, which every other change of the records ends
// with, and the partial recomputations).
#pragma once

#include <cstdint>
#include <vector>

#include "core/flat_index.h"
#include "core/records.h"

namespace skarvel {

class Competition;

// When an index was built: the competition's generation and the revision of its table.
struct IndexStamp {
    std::uint64_t generation = ~std::uint64_t{0};
    std::uint64_t revision = ~std::uint64_t{0};
    bool operator==(const IndexStamp&) const = default;
};

// A runner among the places (see assign_finish_places): his group and value under the place
// rule, whether he counts against others and whether he has a place of his own.
struct PlaceEntry {
    std::int64_t group = 0;
    std::int32_t value = 0;
    std::uint16_t place = 0;  // as written into the runner
    bool counted = false;
    bool placed = false;
    Runner* runner = nullptr;
};

// A runner with finish lines, in his group of the same class and the same number of lines:
// the finish table's "of N" and leader, and the display page's finishers and leader.
struct LapEntry {
    std::int64_t group = 0;
    std::int32_t result = 0;
    // May lead on the display page: in competition, a finish time and a result.
    bool leads = false;
    // May lead in the finish table: in competition, no status and a time above 0.
    bool ranked = false;
    Runner* runner = nullptr;
};

class LiveIndexes {
  public:
    explicit LiveIndexes(const Competition& c) : c_(c) {}
    LiveIndexes(const LiveIndexes&) = delete;
    LiveIndexes& operator=(const LiveIndexes&) = delete;

    // The first runner in slot order holding this card number (null for 0 and for none).
    Runner* owner_of_card(std::int32_t card);
    // The slot of the first card readout (up to the first empty slot) with this card number,
    // or -1.
    int readout_of_card(std::int32_t card);
    // The last finish line (up to the first empty slot) with a time or a start number that
    // this computer made (in a shared competition); 0 when there is none.
    int last_finish_line();
    // The card reader stored a new readout (at the end of the table) or wrote a finish line.
    void note_readout_added(int slot);
    void note_finish_line_written(int slot);

    // The first club, class or course in slot order with this id (null when none).
    Club* club(std::int32_t id);
    ClassRecord* klass(std::int32_t id);
    Course* course(std::int32_t id);
    // The slot lookups behind them: for each 16-bit id the first slot, or -1.
    const std::vector<std::int16_t>& club_slots();
    const std::vector<std::int16_t>& class_slots();
    const std::vector<std::int16_t>& course_slots();

    // The places: every runner who counts or has a place, sorted by group and value. Kept by
    // assign_finish_places and RunnerUpdate; `places_fresh` tells whether they still hold.
    std::vector<PlaceEntry>& place_entries() { return places_; }
    bool places_fresh() const;
    void stamp_places();
    // Builds (when stale) and returns the class-and-laps groups, sorted by group and result.
    const std::vector<LapEntry>& lap_entries();
    bool laps_fresh() const;
    std::vector<LapEntry>& lap_entries_kept() { return laps_; }
    // The lap groups no longer hold (built again on their next use).
    void forget_laps() { laps_stamp_ = IndexStamp{}; }
    // Rebuilds of the places and of the lap groups so far: an update that began before one
    // cannot apply its difference.
    std::uint64_t place_builds() const { return place_builds_; }
    std::uint64_t lap_builds() const { return lap_builds_; }

  private:
    IndexStamp stamp(std::uint64_t revision) const;
    void build_owners();
    void build_readouts();
    void build_last_line();
    void build_laps();

    const Competition& c_;
    FlatIndex<Runner*> owners_;
    IndexStamp owners_stamp_;
    FlatIndex<std::int32_t> readouts_;
    IndexStamp readouts_stamp_;
    int last_line_ = 0;
    IndexStamp last_line_stamp_;

    std::vector<std::int16_t> club_slots_, class_slots_, course_slots_;
    IndexStamp club_stamp_, class_stamp_, course_stamp_;

    std::vector<PlaceEntry> places_;
    IndexStamp places_stamp_;
    std::uint64_t place_builds_ = 0;
    std::vector<LapEntry> laps_;
    IndexStamp laps_stamp_;
    std::uint64_t lap_builds_ = 0;
};

// The class-and-laps group key of the finish table.
constexpr std::int64_t lap_group_key(std::int32_t class_id, int laps) {
    return (static_cast<std::int64_t>(class_id) << 32) | static_cast<std::uint32_t>(laps);
}

}  // namespace skarvel
