// skarvel-cli import transponder-codes|amb-finish|amb-start FILE.wdb IN.txt
// Transponder codes by start number ("<number> <code>" lines) into the runners' comments, or
// the decoder software's finish or start file ("<code> <time>" lines) into finish lines and
// finish times, or start times (finish times stay). Numbers and codes nobody holds are listed;
// the competition is saved (atomically) only when the file was read.
#include "punch/transponder_files.h"

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
    return import_into(a.files[0], a.files[1], [&](Competition& c, const LanguageTable& lang) {
        TransponderImportCounts n;
        const bool read =
            kind == Kind::kCodes
                ? import_transponder_codes_file(c, a.files[1], n)
                : import_decoder_times_file(
                      c, a.files[1],
                      kind == Kind::kFinish ? DecoderFileKind::kFinish : DecoderFileKind::kStart,
                      n);
        if (!read)
            return ImportOutcome{false, false, std::string(lang.text(Txt::kTextFileCannotRead))};
        // The numbers or codes nobody holds, one a line, then the summary.
        std::string message;
        for (const std::string& key : n.unknown_keys)
            message += (kind == Kind::kCodes ? "number " : "code ") + key + ": nobody holds it\n";
        message += kind == Kind::kCodes ? transponder_codes_summary(lang, n)
                                        : decoder_times_summary(lang, n);
        if (n.lines_full > 0) message += "\n" + std::string(lang.text(Txt::kNoMemoryForFinish));
        return ImportOutcome{true, true, message};
    });
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
