// The live results board (view 6 of the list view): for each marked class the runners with
// their running time, ordered as in the result protocol, refreshed every second.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/competition.h"

namespace skarvel {

struct BoardEntry {
    const Runner* runner = nullptr;
    // Finish - start for a finished runner, clock - start for one still running,
    // 8640000 + start number for one with a status.
    std::int32_t running_time = 0;
    bool finished = false;
    int place = 0;  // finished runners without a status and in competition; 0 otherwise
};

struct BoardClass {
    const ClassRecord* class_record = nullptr;
    std::vector<BoardEntry> entries;
};

// Builds the board at clock time `now` from the results finish_data_changed keeps fresh; it
// changes nothing. The running times are kept in the entries, never in the runners' results
// (a running clock written into `result` would show unfinished runners as finished elsewhere).
// A handicap start (kind 3) is ordered and placed by the finish clock time, as the result
// protocol does.
std::vector<BoardClass> live_board(const Competition& c, std::int32_t now);

// One text row of the board: the class heading or a runner line (Windows-1251).
struct BoardRow {
    bool heading = false;
    std::string text;
};
std::vector<BoardRow> live_board_rows(const Competition& c, const std::vector<BoardClass>& board);

// Columns 450 pixels wide: (client width - 330) / 450, at least one.
constexpr int kBoardColumnWidth = 450;
int live_board_columns(int client_width);

}  // namespace skarvel
