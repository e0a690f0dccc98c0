// The start-list and penalty text files: "<number> <start time>" lines written for every
// numbered runner and read back by start number, and "<number> <penalty>" lines read by start
// number. Lines end in CR LF when written; reading takes at most 99 characters of a line (the
// rest of a longer line is dropped) and at most 20000 (start times) or 30000 (penalties) lines.
#pragma once

#include <string>
#include <string_view>

#include "core/competition.h"
#include "core/language.h"
#include "core/prompts.h"

namespace skarvel {

constexpr std::size_t kTextFileLineChars = 99;
constexpr std::size_t kStartTimeFileLines = 20000;
constexpr std::size_t kPenaltyFileLines = 30000;

// What an import did with the lines of its file.
struct TextImportCounts {
    int set = 0;         // runners given the value
    int unknown = 0;     // numbers in 1..29999 that no runner holds
    int bad_number = 0;  // numbers outside 1..29999, skipped
    int bad_value = 0;   // values the field cannot hold, skipped
    int unreadable = 0;  // non-blank lines without a number and a value
    int skipped() const { return bad_number + bad_value; }
};

// "%d %s\r\n" for every runner with a start number (all slots, in slot order), the start time
// at the competition's time_precision.
std::string start_list_text(const Competition& c);
// Writes start_list_text to `path` (UTF-8) anew; false with the errno value in `error`.
bool export_start_list_txt(const Competition& c, const std::string& path, int* error = nullptr);

// Sets start times by start number from the lines of `text` (number_index is rebuilt first,
// so of two runners with one number the later slot gets the value). Every time the export
// writes is read (25:00:00 and 26:00:00 too); times beyond 46:36:12,15 (format_time_text's
// 24 bits) are skipped, never wrapped. Leaves the derived figures to the caller.
TextImportCounts import_start_times_text(Competition& c, std::string_view text);
// Sets penalties by start number; penalties outside 0..65535 are skipped, never wrapped.
TextImportCounts import_penalties_text(Competition& c, std::string_view text);

// The same from a file (bounded read); false when it cannot be read (nothing changes).
// On success the finish results are recomputed (finish_data_changed).
bool import_start_times_txt(Competition& c, const std::string& path, TextImportCounts& counts,
                            int* error = nullptr);
bool import_penalties_txt(Competition& c, const std::string& path, TextImportCounts& counts,
                          int* error = nullptr);

// The closing message of an import (Windows-1251).
std::string start_times_summary(const LanguageTable& lang, const TextImportCounts& counts);
std::string penalties_summary(const LanguageTable& lang, const TextImportCounts& counts);

// The menu commands over Prompts. The imports ask first, choose the file, and tell the
// summary when lines were skipped; `summary` (if given) gets it always. True when the
// competition changed (import) or the file was written (export).
bool run_export_start_list(const Competition& c, Prompts& prompts, const LanguageTable& lang);
bool run_import_start_times(Competition& c, Prompts& prompts, const LanguageTable& lang,
                            std::string* summary = nullptr);
bool run_import_penalties(Competition& c, Prompts& prompts, const LanguageTable& lang,
                          std::string* summary = nullptr);

}  // namespace skarvel
