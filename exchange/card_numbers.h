// Card numbers and card contents through files: clearing the runners' card numbers, numbers
// from a list handed out at registration, start number / card number pairs both ways, the
// station-memory CSV (card; time; control) and the CSV of the card configuration tool. Plain
// functions over the competition; the texts they read come bounded from read_text_lines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/competition.h"
#include "core/prompts.h"

namespace skarvel {

// Longest line and most lines read of each file (longer lines are cut).
constexpr std::size_t kCardListLineMax = 99, kCardListMaxLines = 30000;
constexpr std::size_t kPairsLineMax = 999, kPairsMaxLines = 30000;
constexpr std::size_t kStationCsvLineMax = 99, kStationCsvMaxLines = 2000000;
constexpr std::size_t kVpConfigLineMax = 999, kVpConfigMaxLines = 30000;

// "Обнулить № карт": card number 0 for the current runners (slots up to the first empty
// one) that rent their card, and for those with their own card when `own_cards_too`.
// Returns the runners changed.
int clear_card_numbers(Competition& c, bool own_cards_too);

// "присвоить № из файла...": the current runners to be served (renting a card, or every one
// when `own_cards_too`) take the numbers of the list's lines in order; a served runner's card
// becomes a rented one. `ran_out`: the list ended before every runner was served.
struct CardListOutcome {
    int numbers_read = 0;
    bool ran_out = false;
};
CardListOutcome assign_card_numbers(Competition& c, std::string_view list, bool own_cards_too);

// "экспорт соответствия N, чипа": "number card\r\n" for each runner with both.
std::string number_card_pairs(const Competition& c);

// "Импорт N, ЧИП": "number card" lines read as "%d %d" reads them (any white space between,
// a sign allowed); the runner with the number gets the card.
struct PairsOutcome {
    int assigned = 0;
    // lines without two numbers, a number outside 1..29999 or a negative card, no such runner
    int skipped = 0;
};
PairsOutcome import_number_card(Competition& c, std::string_view text);

// The readouts a card-content file adds, or why it was refused (nothing changed then).
struct CardContentOutcome {
    bool refused = false;  // more readouts (or finish lines) than the tables have room for
    RecordType full_table = kCardReadouts;
    int readouts = 0;                         // readouts added
    int lines_skipped = 0;                    // lines passed over (no separator, no card number)
    int finish_lines = 0;                     // finish lines added (station CSV only)
    std::vector<std::int32_t> unknown_cards;  // readouts no runner owns (station CSV only)
};

// "Чтение из памяти станций": "card;hh:mm:ss;control" lines, sorted by card then time; a new
// readout begins where the card number changes. Control "F"/"S" sets the finish/start time.
// Then every readout of the table and of the file makes a finish line at its finish time for
// each runner who owns its card, unless the runner has a line at that time already (a
// readout of before without a finish time makes none); a line made gives the runner the
// readout's start time when it has one, and so does every readout of the file.
CardContentOutcome import_station_csv(Competition& c, std::string_view text);

// "Импорт CSV из VpConfig": a header line, then one readout per line (card in field 2, start
// time in 24, finish time in 27, the punch count in 28 and (code; day; time) triples from 29).
// No runner and no finish line changes.
CardContentOutcome import_vpconfig(Competition& c, std::string_view text);

// The menu commands: their questions, file choosers and closing messages through `prompts`.
// Each returns true when the competition changed.
bool clear_card_numbers_command(Competition& c, Prompts& prompts);
bool card_numbers_from_file_command(Competition& c, Prompts& prompts);
bool export_number_card_command(const Competition& c, Prompts& prompts);
bool import_number_card_command(Competition& c, Prompts& prompts);
bool station_csv_command(Competition& c, Prompts& prompts);
bool vpconfig_command(Competition& c, Prompts& prompts);

}  // namespace skarvel
