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
    kDamaged,    // ended early or held an impossible count; what was readable is loaded
};

struct LoadResult {
    LoadStatus status = LoadStatus::kOk;
    std::int32_t version = 0;
    // For kDamaged: which table was being read and how many of its records were read.
    std::string damaged_table;
    int records_read = 0;
    // Clear text for the user (Windows-1251); empty when all went well.
    std::string message;
    bool ok() const { return status == LoadStatus::kOk || status == LoadStatus::kConverted; }
};

// The stored form of a competition (version 21).
std::vector<std::uint8_t> encode_wdb(const Competition& c);
// Reads a competition from bytes (either version). The competition is cleared first.
LoadResult decode_wdb(Competition& c, const std::uint8_t* data, std::size_t size);

// Loads a file; messages (conversion notice, unknown version, damage) go to `prompts`.
LoadResult load_wdb(Competition& c, const std::string& path, Prompts& prompts);
// Saves atomically: a temporary file beside the target, flushed, then renamed over it. On
// failure the old file is untouched and `error` says why.
bool save_wdb(const Competition& c, const std::string& path, std::string* error = nullptr);

struct ImportWdbOptions {
    bool runners_clubs_classes = true;  // "Участники, коллективы, группы"
    bool courses = true;                // "Дистанции"
    bool replace_info = false;          // "Заменить данные о соревнованиях"
    bool finish_lines = true;           // "Импортировать данные о финише"
    bool card_readouts = true;          // "Импортировать содержимое ЧИПов"
    bool only_marked = false;           // "Только отмеченных"
};

enum class ImportStatus { kOk, kCannotOpen, kWrongVersion, kDamaged };

// Opens the file and checks its version before the options dialog is shown.
ImportStatus check_import_file(const std::string& path, Prompts& prompts);
// Merges the file into the competition with the chosen options.
ImportStatus import_wdb(Competition& c, const std::string& path, const ImportWdbOptions& options,
                        Prompts& prompts);

}  // namespace skarvel
