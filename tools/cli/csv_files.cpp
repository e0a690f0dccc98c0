// skarvel-cli import entries|palm|palm-penalty FILE.wdb IN.csv
// skarvel-cli export online|relay-online FILE.wdb OUT.csv
// The semicolon-separated entry list (a new competition when FILE.wdb does not exist yet;
// saved atomically only when the file was read and fitted the tables; running the command
// answers the menu's question "yes") and the two on-line CSV files (one line per runner, one
// line per relay team; the relay file of a competition without numbered runners is empty).
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "core/cp1251.h"
#include "core/file_io.h"
#include "exchange/csv_exchange.h"
#include "tools/cli/cli.h"
#include "tools/cli/exchange_ops.h"

namespace skarvel::cli {

int import_into(const std::string& wdb, const std::string& in,
                const std::function<ImportOutcome(Competition&, const LanguageTable&)>& read) {
    LanguageTable lang;
    lang.build(UiLanguage::kEnglish);
    auto c = std::make_unique<Competition>();
    if (std::filesystem::exists(utf8_path(wdb)))
        if (int rc = load_competition(*c, wdb); rc != kExitOk) return rc;
    ImportOutcome r = read(*c, lang);
    if (!r.ok) {
        error_cp1251(r.message + ": " + in);
        return kExitInput;
    }
    if (r.changed)
        if (int rc = save_competition(*c, wdb); rc != kExitOk) return rc;
    std::printf("%s\n", cp1251_to_utf8(r.message).c_str());
    return kExitOk;
}

int import_entries(const OperationArgs& args) {
    CommandArgs a;
    if (int rc = parse_command_args(args, "import entries FILE.wdb IN.csv", {}, {}, a, 2);
        rc != kExitOk)
        return rc;
    return import_into(a.files[0], a.files[1], [&a](Competition& c, const LanguageTable& lang) {
        CsvImportReport r = import_entries_csv_file(c, a.files[1], lang);
        return ImportOutcome{r.ok, r.runners > 0, r.message};
    });
}

namespace {

int import_handheld(const OperationArgs& args, const char* usage, bool penalty) {
    CommandArgs a;
    if (int rc = parse_command_args(args, usage, {}, {}, a, 2); rc != kExitOk) return rc;
    return import_into(a.files[0], a.files[1], [&](Competition& c, const LanguageTable& lang) {
        HandheldImportReport r = import_handheld_file(c, a.files[1], penalty, lang);
        for (std::int32_t card : r.unknown_cards) std::printf("unknown card %d\n", int(card));
        return ImportOutcome{r.ok, r.readouts > 0, r.message};
    });
}

int export_csv(const OperationArgs& args, const char* usage, bool relay) {
    CommandArgs a;
    if (int rc = parse_command_args(args, usage, {}, {}, a, 2); rc != kExitOk) return rc;
    auto c = std::make_unique<Competition>();
    if (int rc = load_competition(*c, a.files[0]); rc != kExitOk) return rc;
    PathPrompts prompts(a.files[1]);
    prompts.quiet = true;
    if (write_csv_file(a.files[1], relay ? relay_online_csv(*c) : online_csv(*c), prompts))
        return kExitOk;
    for (const std::string& m : prompts.messages) error_cp1251(m + ": " + a.files[1]);
    return kExitOutput;
}

}  // namespace

int export_online(const OperationArgs& args) {
    return export_csv(args, "export online FILE.wdb OUT.csv", false);
}

int export_relay_online(const OperationArgs& args) {
    return export_csv(args, "export relay-online FILE.wdb OUT.csv", true);
}

int import_palm(const OperationArgs& args) {
    return import_handheld(args, "import palm FILE.wdb IN.csv", false);
}

int import_palm_penalty(const OperationArgs& args) {
    return import_handheld(args, "import palm-penalty FILE.wdb IN.csv", true);
}

}  // namespace skarvel::cli
