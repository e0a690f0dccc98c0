// Changes the list view makes to the record under its cursor: deletion with each table's
// rule, the heat digit, finish number entry, quick edit, the status loop and Join. The view
// gathers keys and choices; these functions do the work and ask their questions through
// Prompts, so they run the same with a window and in tests.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/competition.h"
#include "core/prompts.h"
#include "core/record_edit.h"
#include "core/save_request.h"

namespace skarvel {

// What the desktop program lends to these operations.
struct EditHooks {
    bool english = false;
    // Saves the competition under its file name (finish autosave). kNoFileName: the caller
    // asks the user to save first; a failure is told by the saver itself.
    std::function<SaveRequest()> save_under_file_name;
};

// ---- deletion ----------------------------------------------------------------------------

enum class DeleteOutcome { Deleted, Refused, Declined, NoRecord };

// Deletes the record at `slot` of the table with that table's rule: clubs, classes and courses
// that runners use are refused with a stop message ("ОШИБКА"); a finish line only after the
// question "Удалить строку финиша?" ("ВНИМАНИЕ"); runners and card readouts at once.
DeleteOutcome delete_with_rules(Competition& c, RecordType type, int slot, Prompts& prompts,
                                bool english);

// ---- heat digit --------------------------------------------------------------------------

// The digit 0..9 becomes the runner's heat or leg; false on an empty slot.
bool set_heat_digit(Competition& c, int slot, int digit);

// ---- finish number entry -----------------------------------------------------------------

// The start number the finish judge types into a line of the finish table.
class FinishEntry {
  public:
    bool active() const { return active_; }
    int typed() const { return typed_; }
    // The finish-table row being typed into.
    int row() const { return row_; }

    // A digit key on `row`. Starts entry on a line without a number or on the empty row after
    // the last line; a line that has a number says "Занято!". While entry is on the digit
    // appends as long as the typed number is below 3000.
    void digit(Competition& c, int row, int d, Prompts& prompts, bool english);
    void backspace();
    // Enter on `row`: starts entry with the line's number (creating a line on the empty row
    // after the last), or stores the typed number and ends entry. Returns true when the
    // number was stored (the cursor then moves one row down).
    bool enter(Competition& c, int row, Prompts& prompts, const EditHooks& hooks);
    // Ends entry without storing.
    void escape(Competition& c);

    // The number stored for `typed` on `row`: relay padding (the k-th crossing of team 5 is
    // k005) and the 29999 cap (reported through `capped`).
    static int stored_number(const Competition& c, int row, int typed, bool& capped);

  private:
    bool active_ = false;
    int typed_ = 0;
    int row_ = 0;
    bool new_line_ = false;  // started by a digit on the empty row: Enter makes a new line
};

// Saves after a finish-table change when finish autosave is on; without a file name tells the
// user "Сначала сохраните рабочий файл под каким-либо именем!" ("Нет имени файла").
void finish_autosave(Competition& c, Prompts& prompts, const EditHooks& hooks);

// ---- quick edit --------------------------------------------------------------------------

// Asks in turn for the hours, minutes, seconds and (when the precision is not 0) hundredths of
// the finish time of the line at `row`; Cancel at any step changes nothing; a value out of
// range is told and asked again. True when the time was stored.
bool quick_edit_finish_time(Competition& c, int row, Prompts& prompts, const EditHooks& hooks);

// The "№" and "Старт" of the runner at `slot`.
struct QuickRunnerForm {
    std::string start_number;
    std::string start_time;
};
QuickRunnerForm quick_runner_form(const Competition& c, int slot);
EditResult store_quick_runner_form(Competition& c, int slot, const QuickRunnerForm& f,
                                   bool english);

// ---- runner of a finish line (Ctrl+Enter) ------------------------------------------------

// The runner editor's form and target slot for the line at `row`: the runner with the line's
// number, or a new runner with that number filled in (slot kNoSlot).
RunnerForm finish_line_runner_form(Competition& c, int row, int& slot);
// Stores it, then rebuilds the number index and the finish results.
EditResult store_finish_line_runner(Competition& c, int slot, const RunnerForm& f, bool english);

// ---- status ("Снятие/восстановление") ----------------------------------------------------

// The texts the status dialog edits: the names of statuses 3..6 and the short texts of 1..8.
struct StatusTexts {
    std::string names[kStatusCount];
    std::string short_texts[kStatusCount];
};
StatusTexts status_texts(const CompetitionInfo& info);
// Stores the texts back, each cut to 11 characters.
void store_status_texts(Competition& c, const StatusTexts& t);

// The name of the runner with that number, or "-- нет в протоколе --".
std::string status_runner_name(const Competition& c, int number, bool english);
// Parses the "Номер" field (0..29999); nullopt and a message when it is out of range.
std::optional<int> status_number(std::string_view text, Prompts& prompts, bool english);
// Sets the status of the runner with that number; for "Не стартовал" adds a finish line
// (time 8639999, sent) when none carries the number. Without such a runner:
// "Участника с таким номером в базе данных нет!". True when a runner was changed.
bool apply_status(Competition& c, int number, int status, Prompts& prompts, bool english);
// "Восстановить ВСЕХ спортсменов в базе данных?"; on yes every runner's status becomes 0.
bool restore_all_statuses(Competition& c, Prompts& prompts, bool english);

// ---- join ("Объединить...") --------------------------------------------------------------

// Joins the marked clubs (type kClubs) or classes (kClasses): their runners move to the first
// marked record; then every record of the table without runners is freed and the table closed
// up; finally asks whether to unmark. False when the user declined or the table is another.
bool join_marked(Competition& c, RecordType type, Prompts& prompts, bool english);

// Captions of the message boxes.
std::string caption_attention(bool english);  // "ВНИМАНИЕ"
std::string caption_error(bool english);      // "ОШИБКА"

}  // namespace skarvel
