// skarvel-cli export osv|routegadget|splits-html FILE.wdb OUT
// The split files as the result dialog's buttons write them (with the stored first_n), and the
// common splits page of every read card.
#include <string>
#include <vector>

#include "punch/split_exports.h"
#include "tools/cli/cli.h"

int cmd_export(const std::vector<std::string>& args) {
    using namespace skarvel;
    using namespace skarvel::cli;
    constexpr const char* kUsage = "export osv|routegadget|splits-html FILE.wdb OUT";
    if (args.size() != 3) {
        error(std::string("usage: ") + kUsage);
        return kExitUsage;
    }
    const std::string& what = args[0];
    if (what != "osv" && what != "routegadget" && what != "splits-html") {
        error("export: unknown export '" + what + "'");
        return kExitUsage;
    }
    Competition c;
    if (int rc = load_competition(c, args[1]); rc != kExitOk) return rc;
    PathPrompts prompts(args[2]);
    prompts.quiet = true;
    RecordingPrinterProvider printers;
    RecordingShellOpener shell;
    ReportEnv env{prompts, printers, shell};
    bool ok = what == "osv"           ? export_osv(c, c.info.first_n, env)
              : what == "routegadget" ? export_route_csv(c, c.info.first_n, env)
                                      : common_splits_html(c, env);
    if (ok) return kExitOk;
    for (const std::string& m : prompts.messages) error_cp1251(m);
    return kExitOutput;
}
