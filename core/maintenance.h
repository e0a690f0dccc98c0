// Maintenance commands that work on whole tables: the duplicate card-number check, the
// completion of unnumbered finish lines from start gates, and the conversion of a
// multi-crossing finish list into card readouts with lap splits.
#pragma once

#include "core/competition.h"
#include "core/prompts.h"

namespace skarvel {

// "Проверка парных VP-номеров...": flags runners that share a non-zero card number (draw_key 1)
// and, when the user asks to see them, puts them at the top of the runners table in card-number
// order (the others from the last slot downward) and shows that table from row 0. Otherwise the
// runner slots are left as they were. True when the runners table was rearranged.
bool check_duplicate_card_numbers(Competition& c, Prompts& prompts, bool english);

// "Обработать стартовые ворота...": every finish line without a start number (from the second
// line on) takes the number of the line before it. Returns the number of lines filled.
int fill_unnumbered_finish_lines(Competition& c);

// "multicross->split": after the question, moves every card readout to the deleted readouts,
// gives every runner its start number as card number, and turns each runner's finish lines
// into punches 1, 2, 3, ... of one card readout per start number. Crossings beyond the 64th of
// one runner are not stored. Lines without a runner number (0, or a start-station line) are
// taken too, into a readout of their own number. False when the user declined.
bool finish_crossings_to_card_readouts(Competition& c, Prompts& prompts, bool english);

}  // namespace skarvel
