// The competition file (.wdb): version 21 written, versions 21 and 11 read, and the merge of
// another competition file (Import WDB). File paths are UTF-8; texts are Windows-1251.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/competition.h"
#include "core/prompts.h"

namespace skarvel {

constexpr std::int32_t kWdbVersion = 21;
constexpr std::int32_t kWdbOldVersion = 11;

enum class LoadStatus {
    kOk,         // the whole file was read
    kConverted,  // a version-11 file was read and converted (saved as 21 next time)
    kUnknownVersion,
    kCannotOpen,
    // Ended early, held an impossible count (negative, or more records than the table
    // holds), or did not end where its tables say (a version-21 file holds exactly 20 bytes
    // after its last table, a version-11 file none or its 220-byte status block); what was
    // readable is loaded. The caller must not let a later Save overwrite
    // the damaged file with this partial data: the desktop program opens it as an untitled
    // competition, so Save asks for a new name.
    kDamaged,
};

struct LoadResult {
    LoadStatus status = LoadStatus::kOk;
    std::int32_t version = 0;
    // For kDamaged: which part was being read ("runners", "clubs", "classes", "courses",
    // "info", "finish_lines", "card_readouts", "status_texts", or "end" after the last
    // table) and how many of its records were read ("end": the bytes found there).
    std::string damaged_table;
    int records_read = 0;
    // The count the file gave for that table (0 when the count itself was missing; "end": the
    // bytes that belong there).
    int records_expected = 0;
    // How the part was damaged (ended early, a negative count, more than the table's
    // `table_capacity` records), for the message in another language.
    int damage = 0;
    int table_capacity = 0;
    // Clear text for the user (Windows-1251); empty when all went well.
    std::string message;
    bool ok() const { return status == LoadStatus::kOk || status == LoadStatus::kConverted; }
};

// The stored form of a competition (version 21).
std::vector<std::uint8_t> encode_wdb(const Competition& c);
// Reads a competition from bytes (either version). The competition is cleared first.
LoadResult decode_wdb(Competition& c, const std::uint8_t* data, std::size_t size);
// The message of a damaged file (LoadStatus::kDamaged) in the language of `lang`.
std::string damaged_message(const LoadResult& res, const LanguageTable& lang);

// The largest well-formed version-21 file (every table full); a loader never needs to read
// more than this.
std::size_t max_wdb_size();

// Copies the view state (table on show, low 8 bits of its cursor and top row) into the header,
// as a save does before writing it. encode_wdb writes these bytes from `c.view` itself.
void store_view_state(Competition& c);

// Loads a file and the long names beside it (core/long_names.h); messages (conversion notice,
// unknown version, damage) go to `prompts`.
LoadResult load_wdb(Competition& c, const std::string& path, Prompts& prompts);
// Saves atomically: a temporary file beside the target, flushed, then renamed over it; the
// long names beside it are written (or removed) the same way just before. On
// failure the old file is untouched and `error` holds the errno value (platform/file_messages.h
// words it). `path` is UTF-8.
bool save_wdb(const Competition& c, const std::string& path, int* error = nullptr);

struct ImportWdbOptions {
    bool runners_clubs_classes = true;  // "Участники, коллективы, группы"
    bool courses = true;                // "Дистанции"
    bool replace_info = false;  // "Заменить данные о соревнованиях"
    bool finish_lines = true;   // "Импортировать данные о финише"
    bool card_readouts = true;  // "Импортировать содержимое ЧИПов"
    bool only_marked = false;   // "Только отмеченных"
};

// kDamaged: the file is damaged; kTableFull: its records do not fit into the free slots. In
// both cases nothing is merged and the open competition is unchanged.
enum class ImportStatus { kOk, kCannotOpen, kWrongVersion, kDamaged, kTableFull };

// Opens the file and checks its version before the options dialog is shown.
ImportStatus check_import_file(const std::string& path, Prompts& prompts);
// Merges the file into the competition with the chosen options. The file is read and checked
// whole before anything is merged. Stores options.only_marked into info.only_marked first, also
// when the file is then refused (the rest of the competition is unchanged then).
ImportStatus import_wdb(Competition& c, const std::string& path, const ImportWdbOptions& options,
                        Prompts& prompts);

}  // namespace skarvel
