// skarvel-cli import transponder-codes|amb-finish|amb-start FILE.wdb IN.txt
// Transponder codes by start number ("<number> <code>" lines) into the runners' comments, or
// the decoder software's finish or start file ("<code> <time>" lines) into finish lines and
// finish times, or start times (finish times stay). Numbers and codes nobody holds are listed;
// the competition is saved (atomically) only when the file was read.
#include "punch/transponder_files.h"

#include <cstdio>
#include <memory>
#include <string>

#include "tools/cli/cli.h"
#include "tools/cli/exchange_ops.h"

namespace skarvel::cli {

namespace {

enum class Kind { kCodes, kFinish, kStart };

int import_kind(const OperationArgs& args, Kind kind) {
    const char* usage = kind == Kind::kCodes    ? "import transponder-codes FILE.wdb IN.txt"
                        : kind == Kind::kFinish ? "import amb-finish FILE.wdb IN.txt"
                                                : "import amb-start FILE.wdb IN.txt";
    CommandArgs a;
    if (int rc = parse_command_args(args, usage, {}, {}, a, 2); rc != kExitOk) return rc;
    auto c = std::make_unique<Competition>();
    if (int rc = load_competition(*c, a.files[0]); rc != kExitOk) return rc;
    TransponderImportCounts counts;
    int why = 0;
    const bool read =
        kind == Kind::kCodes
            ? import_transponder_codes_file(*c, a.files[1], counts, &why)
            : import_decoder_times_file(
                  *c, a.files[1],
                  kind == Kind::kFinish ? DecoderFileKind::kFinish : DecoderFileKind::kStart,
                  counts, &why);
    if (!read) {
        file_error("cannot read", a.files[1], why);
        return kExitInput;
    }
    LanguageTable lang;
    lang.build(UiLanguage::kEnglish);
    for (const std::string& key : counts.unknown_keys)
        std::printf("%s %s: nobody holds it\n", kind == Kind::kCodes ? "number" : "code",
                    key.c_str());
    const std::string summary = kind == Kind::kCodes ? transponder_codes_summary(lang, counts)
                                                     : decoder_times_summary(lang, counts);
    std::printf("%s\n", summary.c_str());
    if (counts.lines_full > 0)
        std::printf("Finish lines not written, the finish table is full: %d\n", counts.lines_full);
    return save_competition(*c, a.files[0]);
}

}  // namespace

int import_transponder_code_file(const OperationArgs& args) {
    return import_kind(args, Kind::kCodes);
}

int import_amb_finish(const OperationArgs& args) {
    return import_kind(args, Kind::kFinish);
}

int import_amb_start(const OperationArgs& args) {
    return import_kind(args, Kind::kStart);
}

}  // namespace skarvel::cli
