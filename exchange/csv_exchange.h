// Semicolon-separated files: the entry list read from a spreadsheet, and the two layouts the
// on-line result site reads (one line per runner, one line per relay team). Fields are plain
// bytes in Windows-1251 without quoting; written lines end in CR LF.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/competition.h"
#include "core/language.h"
#include "core/prompts.h"
#include "platform/page_device.h"

namespace skarvel {

// Lines and characters per line an import reads at most.
constexpr int kCsvMaxLines = 30000;
constexpr int kCsvMaxLineChars = 999;

struct CsvImportReport {
    bool ok = false;      // false: nothing changed (unreadable, or it does not fit the tables)
    std::string message;  // the closing message, or why nothing was imported (Windows-1251)
    int runners = 0, classes = 0, clubs = 0;
    int skipped_lines = 0;  // lines with fewer than seven semicolons
    int out_of_range = 0;   // numbers outside their field's range, left 0
};

// Adds a runner for each line "class;name;club;qualification;number;birth year;card;comment",
// finding or creating its class and club by name. The whole file is checked against the free
// room of the tables first; one that does not fit changes nothing.
CsvImportReport import_entries_csv(Competition& c, std::string_view text,
                                   const LanguageTable& lang);
// The same from a file (at most kCsvMaxLines lines of kCsvMaxLineChars characters).
CsvImportReport import_entries_csv_file(Competition& c, const std::string& path,
                                        const LanguageTable& lang);
// The menu command: the question with the expected layout, the file, the closing message.
// True when the competition changed.
bool run_import_entries_csv(Competition& c, Prompts& prompts);

// The handheld recorder's card data: "name;card;course digit;start;finish;result;" and then
// "code;time;" pairs (at most 64 kept).
struct HandheldImportReport {
    bool ok = false;      // false: nothing changed (unreadable, or it does not fit the tables)
    std::string message;  // the closing message, or why nothing was imported (Windows-1251)
    int runners = 0, readouts = 0, finish_lines = 0;
    int skipped_lines = 0;     // lines missing a field
    int bad_course_lines = 0;  // whole-event import: a course that is not one digit
    int out_of_range = 0;  // numbers outside their field's range, left 0 (or the punch left out)
    std::vector<std::int32_t> unknown_cards;  // the score-with-penalty import: in line order
};
// A whole event from the recorder: ten classes ("Снят", "D1".."D9") with ten courses ("0".."9"),
// then per line a runner numbered from 1 in line order, its card readout and its finish line;
// the runner's result is the file's (field 6). A file of which no line can be read adds
// nothing.
HandheldImportReport import_handheld_csv(Competition& c, std::string_view text,
                                         const LanguageTable& lang);
// Card data and penalties of known runners (found by card; unknown cards go to one spare
// runner): per line a card readout and a finish line; penalty = field × penalty_per_miss.
HandheldImportReport import_handheld_penalty_csv(Competition& c, std::string_view text,
                                                 const LanguageTable& lang);
// The same from a file; `penalty` chooses the second import.
HandheldImportReport import_handheld_file(Competition& c, const std::string& path, bool penalty,
                                          const LanguageTable& lang);
// The menu commands ("Импорт CSV из PALM..." and "...PALM-2..."): the question, the file, a
// message per unknown card, the closing message. True when the competition changed.
bool run_import_handheld_csv(Competition& c, Prompts& prompts, bool penalty);

// One line per runner, all slots in order, for the on-line site.
std::string online_csv(const Competition& c);
// One line per relay team; empty when no runner has a start number.
std::string relay_online_csv(const Competition& c);
// Writes `bytes` to `path`; false after `prompts` showed why not.
bool write_csv_file(const std::string& path, std::string_view bytes, Prompts& prompts);
// The menu commands: ask where, write. The relay file is opened afterwards.
bool run_export_online_csv(const Competition& c, Prompts& prompts);
bool run_export_relay_online_csv(const Competition& c, Prompts& prompts, ShellOpener& shell);

}  // namespace skarvel
