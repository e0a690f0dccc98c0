// What the list view shows, as plain functions over a Competition: the columns and cell texts
// of each table and the cursor movement. The widget (CSkarvelView) only draws these cells and
// routes input here and to the table operations (core/list_ops.h: marking, swapping, sorting,
// the runner filter, reordering and the search), so all of it is testable without a window.
// Texts are Windows-1251.
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
#include "core/language.h"
#include "core/list_ops.h"

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

}  // namespace skarvel::view
