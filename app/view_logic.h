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

struct FinishEntryDisplay {
    bool active = false;
    int slot = -1;      // the row whose number is being typed
    std::string typed;  // the digits typed so far
};

struct RowContext {
    FinishEntryDisplay entry;
    bool english = false;  // language of the few texts the finish table shows
};

// Prepares the context of one paint: counts the tables of clubs, classes and courses (into
// the competition's scratch, not into the records). Nothing that is saved is written:
// results, places, the finish table's groups and the card owners are kept fresh where the
// data change (finish_data_changed, the card reader) and only read here, through the
// competition's live indexes.
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
