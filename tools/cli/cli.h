// Shared pieces of the skarvel-cli subcommands.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/competition.h"
#include "core/cp1251.h"
#include "core/prompts.h"
#include "results/report_output.h"

namespace skarvel::cli {

// Exit codes of every subcommand.
constexpr int kExitOk = 0;
constexpr int kExitUsage = 1;    // wrong arguments
constexpr int kExitInput = 2;    // a file cannot be read, or is not a competition file
constexpr int kExitDamaged = 3;  // a competition file is damaged
constexpr int kExitOutput = 4;   // a file cannot be written

// The tool speaks English: its own messages and the logic's (through this table) alike.
const LanguageTable& english_texts();

// Prints "skarvel-cli: <text>" on stderr; `text` is UTF-8.
void error(std::string_view text);
// The same for a Windows-1251 text from the logic.
void error_cp1251(std::string_view text);
// "skarvel-cli: <what> <path>: <reason>" for a failed file operation (`err`: the errno value).
void file_error(std::string_view what, std::string_view utf8_path, int err);

// Prompts for a run without a user: messages go to stderr (in English), questions get "no",
// file choices are cancelled.
class ConsolePrompts : public Prompts {
  public:
    ConsolePrompts() { set_language(&english_texts()); }
    bool ask_yes_no(std::string_view question) override;
    void message(std::string_view text) override;
    std::optional<std::string> choose_open_file(std::string_view) override { return std::nullopt; }
    std::optional<std::string> choose_save_file(std::string_view, std::string_view) override {
        return std::nullopt;
    }
    std::optional<std::string> ask_text(std::string_view, std::string_view) override {
        return std::nullopt;
    }
    // Print the messages of a successful load too (the conversion notice); on by default.
    bool quiet = false;
};

// Loads a competition file for a subcommand. Returns kExitOk, or the exit code after printing
// why not (a damaged file is refused: a tool must not pass partial data on).
int load_competition(Competition& c, const std::string& path, int* version = nullptr);

// The arguments of a report subcommand: FILE.wdb and exactly one of --html OUT and --pdf OUT,
// plus options of its own that take a value (`extra`: option name and where its value goes).
struct ReportArgs {
    std::string file, html, pdf;
};
// Returns kExitOk, or kExitUsage after printing why.
int parse_report_args(const std::vector<std::string>& args, std::string_view command,
                      std::string_view usage, ReportArgs& out,
                      const std::vector<std::pair<std::string_view, std::string*>>& extra = {});

// Answers every save dialog with one path (the OUT of the command line, written as given) and
// keeps the messages the report showed, so that a write failure becomes the exit code.
class PathPrompts : public ConsolePrompts {
  public:
    explicit PathPrompts(std::string path) : path_(std::move(path)) {}
    std::optional<std::string> choose_save_file(std::string_view, std::string_view) override {
        return path_;
    }
    bool takes_names_as_given() const override { return true; }
    void message(std::string_view text) override;
    std::vector<std::string> messages;

  private:
    std::string path_;
};

// Runs a printed report into the PDF file `pdf` (a QPrinter on the offscreen platform); `run`
// returns whether the report printed. Returns the exit code; without the Qt build it says so.
int print_to_pdf(std::string_view command, const std::string& pdf,
                 const std::function<bool(ReportEnv&)>& run);
// The same with the exit code from `run`, which gets the PDF printer itself.
int run_with_pdf_printer(std::string_view command, const std::string& pdf,
                         const std::function<int(PrinterProvider&)>& run);

// Parses a whole decimal integer; false on anything else.
bool parse_int(std::string_view text, long long& value);

// The arguments of a command that takes one FILE.wdb and options: `flags` stand alone,
// `valued` take the next argument. Options not given are absent from `options`.
struct CommandArgs {
    std::string file;                // the first file named (the competition)
    std::vector<std::string> files;  // every file named, in order
    std::vector<std::pair<std::string, std::string>> options;  // name (with "--"), value
    bool has(std::string_view name) const;
    const std::string* value(std::string_view name) const;
};
// The operation word in front of a command's arguments ("penalty clear FILE.wdb"): its index
// in `operations` and the arguments after it in `rest`; -1 after printing the usage or why.
int operation_of(const std::vector<std::string>& args, std::string_view command,
                 std::string_view usage, const std::vector<std::string_view>& operations,
                 std::vector<std::string>& rest);
// Exactly `files_wanted` files (1: the competition alone) among the options. Returns kExitOk,
// or kExitUsage after printing "usage: skarvel-cli <usage>".
int parse_command_args(const std::vector<std::string>& args, std::string_view usage,
                       const std::vector<std::string_view>& flags,
                       const std::vector<std::string_view>& valued, CommandArgs& out,
                       std::size_t files_wanted = 1);
// An integer option given as --name N within [lo, hi]; false after printing why.
bool int_option(const CommandArgs& a, std::string_view name, long long lo, long long hi,
                long long& value);

// Saves the competition atomically; kExitOk, or kExitOutput after printing why.
int save_competition(const Competition& c, const std::string& path);

}  // namespace skarvel::cli
