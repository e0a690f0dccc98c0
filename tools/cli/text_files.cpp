// skarvel-cli import start-times|penalties FILE.wdb IN.txt
// skarvel-cli export start-list FILE.wdb OUT.txt
// Start times or marked-route penalties by start number from a text file ("<number> <time>" or
// "<number> <penalty>" per line), as the menu commands read them: lines with a number outside
// 1..29999 or a value the runner's field cannot hold are skipped and counted. An import saves
// the competition (atomically) only when the file was read. The export writes every numbered
// runner's start time.
#include "exchange/text_files.h"

#include <cstdio>
#include <memory>
#include <string>

#include "tools/cli/cli.h"
#include "tools/cli/exchange_ops.h"

namespace skarvel::cli {

namespace {

int import_text(const OperationArgs& args, bool times) {
    CommandArgs a;
    const char* usage =
        times ? "import start-times FILE.wdb IN.txt" : "import penalties FILE.wdb IN.txt";
    if (int rc = parse_command_args(args, usage, {}, {}, a, 2); rc != kExitOk) return rc;
    auto c = std::make_unique<Competition>();
    if (int rc = load_competition(*c, a.files[0]); rc != kExitOk) return rc;
    TextImportCounts counts;
    int why = 0;
    bool read = times ? import_start_times_txt(*c, a.files[1], counts, &why)
                      : import_penalties_txt(*c, a.files[1], counts, &why);
    if (!read) {
        file_error("cannot read", a.files[1], why);
        return kExitInput;
    }
    LanguageTable lang;
    lang.build(UiLanguage::kEnglish);
    std::string summary =
        times ? start_times_summary(lang, counts) : penalties_summary(lang, counts);
    std::printf("%s Numbers no runner holds: %d. Unreadable lines: %d.\n", summary.c_str(),
                counts.unknown, counts.unreadable);
    return save_competition(*c, a.files[0]);
}

}  // namespace

int import_start_times(const OperationArgs& args) {
    return import_text(args, true);
}

int import_penalties(const OperationArgs& args) {
    return import_text(args, false);
}

int export_start_list(const OperationArgs& args) {
    CommandArgs a;
    if (int rc = parse_command_args(args, "export start-list FILE.wdb OUT.txt", {}, {}, a, 2);
        rc != kExitOk)
        return rc;
    auto c = std::make_unique<Competition>();
    if (int rc = load_competition(*c, a.files[0]); rc != kExitOk) return rc;
    int why = 0;
    if (export_start_list_txt(*c, a.files[1], &why)) return kExitOk;
    file_error("cannot write", a.files[1], why);
    return kExitOutput;
}

}  // namespace skarvel::cli
