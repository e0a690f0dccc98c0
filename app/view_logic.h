// What the list view shows and does, as plain functions over a Competition: the columns and
// cell texts of each table, cursor movement, marking, swapping, sorting, the runner filter and
// the search. The widget (CSkarvelView) only draws these cells and routes input here, so all
// of it is testable without a window. Texts are Windows-1251.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/competition.h"
#include "core/flat_index.h"
#include "platform/language.h"

namespace skarvel::view {

// The live results board: the seventh view, after the six tables.
constexpr int kResultsBoard = 6;
constexpr int kViewCount = 7;

// ---- Columns and cells ----

struct Column {
    Txt header;  // the header's text; Txt::kCount for the columns without a header
    int chars;   // width in characters (the last column takes the rest)
};
std::span<const Column> columns(int table);

enum class CellBackground { kRow, kOwnCard, kRed };
struct Cell {
    std::string text;
    CellBackground background = CellBackground::kRow;
};

// Per-paint figures of the finish table: for each (class id, finish-line count) the number of
// runners and their results, so place, "of" and time behind cost no walk per row.
class FinishStats {
  public:
    void build(const Competition& c);
    struct Group {
        int runners = 0;
        std::vector<std::int32_t> results;  // sorted, of ranked runners only
    };
    const Group* group(int class_id, int count) const;

  private:
    std::unordered_map<std::int64_t, Group> groups_;
};

struct FinishEntryDisplay {
    bool active = false;
    int slot = -1;      // the row whose number is being typed
    std::string typed;  // the digits typed so far
};

struct RowContext {
    FinishStats finish_stats;
    FinishEntryDisplay entry;
    bool english = false;  // language of the few texts the finish table shows
    // Card readouts: the first runner in table order with each card number.
    FlatIndex<const Runner*> card_owner;
};

// Prepares the context of one paint: counts the tables (into the competition's scratch, not
// into the records), builds the finish statistics for the finish table, or the card owners
// for the card-readout table. Nothing that is
// saved is written: results and places are kept fresh by finish_data_changed wherever the
// finish data changes, and only read here.
void prepare_paint(Competition& c, int table, RowContext& ctx);
// The cells of one slot of a table; empty for an empty slot.
std::vector<Cell> row_cells(Competition& c, int table, int slot, RowContext& ctx);

// ---- Cursor movement ----

struct Position {
    int cursor = 0;
    int top = 0;
};

// `occupied(slot)` tells whether a slot holds a record.
using Occupied = std::function<bool(int)>;

int visible_rows(int client_height);
// The visible row under y, or -1.
int row_at(int y, int visible);

Position move_up(Position p);
Position move_down(Position p, int capacity, int visible, const Occupied& occupied);
Position page_up(Position p, int visible);
Position page_down(Position p, int capacity, int visible, const Occupied& occupied, int first_free);
Position first_row();
Position last_row(Position p, int visible, int first_free);
Position click_row(Position p, int row, int visible, const Occupied& occupied, int first_free);
// Keeps the cursor visible after the window was resized.
Position keep_visible(Position p, int visible);

int table_capacity(const Competition& c, int table);
bool slot_occupied(const Competition& c, int table, int slot);
int first_free_slot(const Competition& c, int table);  // capacity when full
int live_count(const Competition& c, int table);

// ---- Marking ----

enum class MarkOp { kMarkAll, kUnmarkAll, kInvertAll };
// The question asked before the operation, or empty when the table has no such operation.
std::string_view mark_question(int table, MarkOp op, bool english = false);
// Applies the operation to the live records; true when anything was changed.
bool apply_mark(Competition& c, int table, MarkOp op);
// Insert: toggles the mark of one record (the sent bit of a finish line).
bool toggle_mark(Competition& c, int table, int slot);
// Ctrl+V on the finish table: toggles bit 6 of the line's flag byte.
bool toggle_finish_flag(Competition& c, int slot);

// ---- Swap, sort, filter, find ----

// Space on the runners table: remembers the first row, swaps on the second.
// Returns true when two runners were swapped.
bool swap_press(Competition& c, int& swap_row, int cursor_row);

enum class CardSortKey { kCardNumber = 0, kStartNumber = 1, kStartTime = 2, kFinishTime = 3 };
// Sorts the live records of a table (card readouts by `card_key`). Only the order changes: the
// competition is not marked modified.
void sort_table(Competition& c, int table, CardSortKey card_key = CardSortKey::kCardNumber);

struct FilterSettings {
    std::int16_t class_id = 0;
    std::int16_t club_id = 0;
    std::int16_t course_id = 0;
    std::int16_t mark = 0;  // 0 any, 1 marked, 2 unmarked
    std::int16_t heat = 0;
    std::uint8_t sort_key = 0;  // 0 name, 1 number, 2 start time, 3 card, 4 birth year, 5 club
};
FilterSettings stored_filter(const CompetitionInfo& info);
// Stores the settings and reorders the runner table: passing runners first (sorted), the
// others at the end of the table. Returns the number of passing runners.
int apply_filter(Competition& c, const FilterSettings& f);
// Moves every runner to the lowest free slot before it (keeps their order).
void compact_runners(Competition& c, int end);

// Shift+F6 / F6: qualifying runners first by start number, the others from the last slot down.
int numbered_first(Competition& c);
int not_finished_first(Competition& c);

// The next slot after `cursor` that matches, or -1.
int find_next(const Competition& c, int table, int cursor, std::string_view text);
std::string_view find_failed_message(int table, bool english = false);

}  // namespace skarvel::view
