// skarvel-cli iof export results|start|entries|courses FILE.wdb OUT.xml [--create-time T]
// skarvel-cli iof import entries|courses|classes|start|results FILE.wdb IN.xml [--zone +HH:MM]
// IOF XML 3.0 messages. The export writes OUT.xml atomically; the import reads the message
// whole, changes the competition only when all of it fits, and then saves FILE.wdb (a new
// competition when FILE.wdb does not exist yet).
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/file_io.h"
#include "core/wdb_file.h"
#include "exchange/iof_xml.h"
#include "tools/cli/cli.h"

using namespace skarvel;

namespace {
constexpr const char* kUsage =
    "usage: skarvel-cli iof export results|start|entries|courses FILE.wdb OUT.xml "
    "[--create-time YYYY-MM-DDThh:mm:ss]\n"
    "       skarvel-cli iof import entries|courses|classes|start|results FILE.wdb IN.xml "
    "[--zone +HH:MM]";
}

int cmd_iof(const std::vector<std::string>& args) {
    std::vector<std::string> words;
    IofExportOptions options;
    IofImportOptions import_options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--create-time" && i + 1 < args.size()) {
            options.create_time = args[++i];
        } else if (args[i] == "--zone" && i + 1 < args.size()) {
            int minutes = 0;
            if (!parse_utc_offset(args[++i], minutes)) {
                cli::error("--zone: not a time zone (write it as +HH:MM): " + args[i]);
                return cli::kExitUsage;
            }
            import_options.utc_offset_minutes = minutes;
        } else {
            words.push_back(args[i]);
        }
    }
    if (words.size() != 4 || (words[0] != "export" && words[0] != "import")) {
        cli::error(kUsage);
        return cli::kExitUsage;
    }
    LanguageTable lang;
    lang.build(UiLanguage::kEnglish);
    auto c = std::make_unique<Competition>();
    if (words[0] == "export") {
        IofExportKind kind;
        if (!parse_iof_export_kind(words[1], kind)) {
            cli::error(kUsage);
            return cli::kExitUsage;
        }
        if (int rc = cli::load_competition(*c, words[2]); rc != cli::kExitOk) return rc;
        IofExportReport r = iof_export_file(*c, kind, words[3], options, lang);
        if (!r.ok) {
            cli::error_cp1251(r.error + ": " + words[3]);
            return cli::kExitOutput;
        }
        std::printf("%d written to %s\n", r.persons, words[3].c_str());
        return cli::kExitOk;
    }
    IofImportKind kind;
    if (!parse_iof_import_kind(words[1], kind)) {
        cli::error(kUsage);
        return cli::kExitUsage;
    }
    // A competition file that does not exist yet is made: the import fills a new competition.
    if (std::filesystem::exists(utf8_path(words[2])))
        if (int rc = cli::load_competition(*c, words[2]); rc != cli::kExitOk) return rc;
    IofImportReport r = iof_import_file(*c, kind, words[3], lang, import_options);
    if (!r.ok) {
        cli::error_cp1251(r.message + ": " + words[3]);
        return cli::kExitInput;
    }
    int why = 0;
    if (!save_wdb(*c, words[2], &why)) {
        cli::file_error("cannot save", words[2], why);
        return cli::kExitOutput;
    }
    std::printf("%s\n", cp1251_to_utf8(r.message).c_str());
    return cli::kExitOk;
}
