// The finish list: clock registration, automatic saving, the finish text file, the
// preparation of a new finish, the rebuild from card readouts, starters by card numbers and
// the finish generated from card readouts. Plain functions over a Competition; questions go
// through Prompts so the desktop program and the command-line tool share them.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/competition.h"
#include "core/language.h"
#include "core/prompts.h"
#include "core/save_request.h"

namespace skarvel {

// Time given to the lines of runners who did not start: one centisecond below 24 hours.
constexpr std::int32_t kNonStarterTime = 8639999;
// Longest line the finish text import reads (longer lines are cut there).
constexpr std::size_t kFinishTextLineMax = 99;
// Most lines the finish text import reads.
constexpr std::size_t kFinishTextMaxLines = 20000;
// Longest line of a starters file, and the most lines read of it.
constexpr std::size_t kStartersLineMax = 999;
constexpr std::size_t kStartersMaxLines = 30000;

// --- Clock registration -------------------------------------------------------------------

// Puts the clock time (low 24 bits) into the line after the last line that has a time,
// appending a line when there is none. Returns its slot, or kNoSlot when the table is full
// (the caller reports it). Marks the competition modified.
int register_clock_time(Competition& c, std::int32_t clock_time);

// --- Automatic saving ---------------------------------------------------------------------

// Filled by the desktop program: whether the competition has a file name, and a save under
// that name (which tells a failure itself, once).
struct CompetitionSaver {
    std::function<bool()> has_file_name;
    std::function<SaveRequest()> save;
};

// The "Автосохранение финиша" toggle. Switching on needs a file name; otherwise the user is
// told and the setting stays off. Returns the new state.
bool toggle_finish_autosave(Competition& c, const CompetitionSaver& saver, Prompts& prompts);

// Called after every clock registration and every finish line entered by hand: saves the
// competition when autosave is on; without a file name the user is asked to save first.
// Returns true when a save was made or is under way.
bool autosave_finish(Competition& c, const CompetitionSaver& saver, Prompts& prompts);

// --- Finish text file ---------------------------------------------------------------------

// The whole file: one "%4d %11s %d\r\n" line per finish line in table order.
std::string finish_text(const Competition& c);
// Writes finish_text to a file (binary); false and `error` on failure.
// `error`: the errno value on failure.
bool write_finish_file(const Competition& c, const std::string& path, int* error = nullptr);

struct FinishImportResult {
    int lines_read = 0;       // lines appended
    int statuses_set = 0;     // runners whose status was taken from the file
    int lines_refused = 0;    // lines whose number is outside -32768..32767 (not appended)
    bool table_full = false;  // reading stopped because the finish table is full
};

// Appends the lines of a finish text file (at most 20,000 lines of at most 99 characters),
// taking runners' statuses from the status column when asked, then sorts the whole finish
// list by time word and start number.
FinishImportResult import_finish_text(Competition& c, std::string_view data, bool read_statuses);
// Sorts the finish list by the 32-bit time word, then by start number (unsigned).
void sort_finish_lines(Competition& c);
// Drops every line equal in start number and time word to the line after it; returns how
// many were dropped.
int remove_duplicate_finish_lines(Competition& c);

// The menu commands "Сохранить финиш..." and "Читать финиш..." with their questions.
bool export_finish_file(Competition& c, Prompts& prompts, const LanguageTable& lang = {});
bool import_finish_file(Competition& c, Prompts& prompts);

// --- Preparation, rebuild, starters, generation --------------------------------------------

struct FinishPreparation {
    bool clear_finish = true;     // "Очистить финиш"
    bool clear_readouts = true;   // "Очистить содержимое ЧИПов"
    bool restore_runners = true;  // "Восстановить спортсменам"
};
void prepare_finish(Competition& c, const FinishPreparation& options);

// The punch check used by the rebuild (the card-readout check of the punching settings).
using PunchCheck = std::function<int(Competition&, Runner&, const CardReadout&)>;

struct RebuildOptions {
    std::uint8_t start_source = 0;   // 0 database, 1 start station, 2 first punch
    std::uint8_t finish_source = 0;  // 0 finish list, 1 finish station, 2 last punch
    bool recheck = false;            // "Перепроверить отметку"
};
struct RebuildResult {
    int readouts_used = 0;
    int lines_added = 0;
    bool table_full = false;
};
// Finish lines (and start times) from the card readouts; existing lines stay. The options'
// sources are stored into the competition's punching settings.
RebuildResult rebuild_finish_from_readouts(Competition& c, const RebuildOptions& options,
                                           const PunchCheck& check);
// The same with the card reader's punch check (check_punches with the competition's
// punching settings; its messages go to `prompts`).
RebuildResult rebuild_finish_from_readouts(Competition& c, const RebuildOptions& options,
                                           Prompts& prompts);

struct StartersResult {
    int starters = 0;       // lines with a card number
    int unknown_cards = 0;  // of them, cards no runner has
    int non_starters = 0;   // runners left marked
    int lines_added = 0;    // finish lines written for non-starters
    bool table_full = false;
};
// Marks every runner, then unmarks the owner of each card number in `data`; unknown cards
// are reported through `prompts` and still count as starters.
StartersResult read_starters(Competition& c, std::string_view data, Prompts& prompts);
// Status 8 and a 23:59:59,99 finish line (already sent) for every runner still marked.
StartersResult add_non_starters(Competition& c, StartersResult so_far);
// The menu command "Ввод стартовавших по №ЧИПов".
bool enter_starters_file(Competition& c, Prompts& prompts);

struct GenerateResult {
    int lines_added = 0;
    bool table_full = false;
};
// "Сгенерить финиш по содержимому ЧИПов": start times and finish lines from every readout.
GenerateResult generate_finish_from_readouts(Competition& c);

// --- Result plate -------------------------------------------------------------------------

// The large result text of the plate: the status's short text, or the result shortened by
// precision (00:45:12 | 0:45:12,3 | 45:12,34).
std::string result_plate_text(const Competition& c, const Runner& r);
// "%d %-25.25s" with start number and name.
std::string result_plate_name_line(const Runner& r);

namespace finish {
// The lines a finish text import reads (bounded, see kFinishTextLineMax); nullopt when the file
// cannot be read (`error`: the errno value).
std::optional<std::string> read_finish_text_file(const std::string& path, int* error = nullptr);
// The lines of a starters file (bounded, see kStartersLineMax).
std::optional<std::string> read_starters_file(const std::string& path, int* error = nullptr);
// Writes bytes to a new file in binary; false when it cannot be written.
bool write_file(const std::string& path, std::string_view bytes, int* error = nullptr);
}  // namespace finish

}  // namespace skarvel
