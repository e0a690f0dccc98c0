// The transponder-code file and the decoder software's start and finish files, and clearing
// the codes. Codes live in the runners' `comment`.
//
// Code file: "<start number> <code>" per line. Decoder file: the 7-character code, one
// character, then a time of day (as typed times are read). Both are read bounded: at most 99
// characters of a line (the rest is dropped) and at most 20000 lines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/competition.h"
#include "core/prompts.h"

namespace skarvel {

constexpr std::size_t kTransponderFileLineChars = 99;
constexpr std::size_t kTransponderFileLines = 20000;
// Messages about numbers or chips nobody holds shown one by one; the rest are only counted.
constexpr int kTransponderMessagesShown = 10;

struct TransponderImportCounts {
    int taken = 0;       // runners given a code, or times taken
    int unknown = 0;     // numbers (codes) no runner holds
    int bad_number = 0;  // numbers outside 1..29999
    int unreadable = 0;  // non-blank lines that are not of the file's form
    int lines_full = 0;  // finish lines not written: the finish table is full
    // The numbers or codes nobody holds, in file order (for the messages).
    std::vector<std::string> unknown_keys;
};

// Code file: number_index is rebuilt first; the runner with the number gets the code.
TransponderImportCounts import_transponder_codes(Competition& c, std::string_view text);

enum class DecoderFileKind { kFinish, kStart };
// Decoder file. Finish: every runner's finish_time becomes 0 first; each line gives the first
// runner with the code its finish_time and appends a finish line (start number 0 when nobody
// has the code). Start: each line gives the runner its start_time; finish times and finish
// lines stay as they are. Ends with finish_data_changed.
TransponderImportCounts import_decoder_times(Competition& c, std::string_view text,
                                             DecoderFileKind kind);

// Every runner's comment emptied; returns how many held one.
int clear_transponder_codes(Competition& c);

// The same from a file (bounded read); false when it cannot be read (nothing changes).
bool import_transponder_codes_file(Competition& c, const std::string& path,
                                   TransponderImportCounts& counts, int* error = nullptr);
bool import_decoder_times_file(Competition& c, const std::string& path, DecoderFileKind kind,
                               TransponderImportCounts& counts, int* error = nullptr);

// The closing summary of an import (Windows-1251).
std::string transponder_codes_summary(const LanguageTable& lang, const TransponderImportCounts& n);
std::string decoder_times_summary(const LanguageTable& lang, const TransponderImportCounts& n);

// The menu commands over Prompts, with their questions, file dialog and messages. True when
// the competition changed.
bool run_import_transponder_codes(Competition& c, Prompts& prompts);
bool run_import_decoder_times(Competition& c, Prompts& prompts, DecoderFileKind kind);
bool run_clear_transponder_codes(Competition& c, Prompts& prompts);

}  // namespace skarvel
