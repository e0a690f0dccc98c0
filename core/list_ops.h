// What the list view does to whole tables, as plain functions over a Competition: marking,
// swapping two runners, sorting, the runner filter, the F6/Shift+F6 reorderings and the search.
// The changes to the record under the cursor are in core/list_edit.h; what the view shows of a
// row is the desktop program's (app/view_logic.h). Texts are Windows-1251.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/competition.h"

namespace skarvel {

// ---- The tables by number (RecordType 0..5) ----

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

}  // namespace skarvel
