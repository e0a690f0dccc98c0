// The operations of `skarvel-cli import` and `skarvel-cli export`: one function per file kind,
// the kinds of one family in a file of their own (export_splits.cpp, card_files.cpp, ...),
// each named in the table of cmd_import.cpp or cmd_export.cpp. `args` are the arguments after the
// operation word (FILE.wdb, the other file, options); the return value is the exit code.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace skarvel {
class Competition;
class LanguageTable;
}  // namespace skarvel

namespace skarvel::cli {

using OperationArgs = std::vector<std::string>;

struct OperationKind {
    std::string_view name;
    int (*run)(const OperationArgs&);
};
// Runs the kind named by the first argument ("import entries ..."); an unknown or missing kind
// prints the usage, which lists every kind, then `files` ("FILE.wdb IN [options]").
int run_operation(const std::vector<std::string>& args, std::string_view command,
                  std::span<const OperationKind> kinds, std::string_view files);

// What an import into a competition did: refused (nothing changed), or read, and then whether
// the competition changed; the message says what was done or why not (Windows-1251).
struct ImportOutcome {
    bool ok = false;
    bool changed = false;
    std::string message;
};
// The frame of an import of file `in` into the competition `wdb` (a new one when the file does
// not exist yet): `read` imports into it, with the English texts. A refused import prints why
// (exit code 2) and saves nothing; otherwise the competition is saved (atomically) when it
// changed, and the message printed.
int import_into(const std::string& wdb, const std::string& in,
                const std::function<ImportOutcome(Competition&, const LanguageTable&)>& read);

// import (cmd_import.cpp)
int import_card_numbers(const OperationArgs& args);
int import_number_card(const OperationArgs& args);
int import_station_csv(const OperationArgs& args);
int import_vpconfig(const OperationArgs& args);
int import_start_times(const OperationArgs& args);  // text_files.cpp
int import_penalties(const OperationArgs& args);    // text_files.cpp
int import_entries(const OperationArgs& args);      // csv_files.cpp
int import_palm(const OperationArgs& args);
int import_palm_penalty(const OperationArgs& args);
int import_ocad8(const OperationArgs& args);                  // control_orders.cpp
int import_transponder_code_file(const OperationArgs& args);  // transponder_files.cpp
int import_amb_finish(const OperationArgs& args);             // transponder_files.cpp
int import_amb_start(const OperationArgs& args);              // transponder_files.cpp

// export (cmd_export.cpp)
int export_osv(const OperationArgs& args);
int export_routegadget(const OperationArgs& args);
int export_splits_html(const OperationArgs& args);
int export_number_card(const OperationArgs& args);
int export_start_list(const OperationArgs& args);  // text_files.cpp
int export_online(const OperationArgs& args);      // csv_files.cpp
int export_relay_online(const OperationArgs& args);

}  // namespace skarvel::cli
