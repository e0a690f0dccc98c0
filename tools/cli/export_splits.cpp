// skarvel-cli export osv|routegadget|splits-html FILE.wdb OUT
// The split files as the result dialog's buttons write them (with the stored first_n), and the
// common splits page of every read card.
#include <string>

#include "punch/split_exports.h"
#include "tools/cli/cli.h"
#include "tools/cli/exchange_ops.h"

namespace skarvel::cli {

namespace {

enum class Splits { kOsv, kRouteGadget, kHtml };

int write_splits(Splits kind, const OperationArgs& args) {
    if (args.size() != 2) {
        error("usage: skarvel-cli export osv|routegadget|splits-html FILE.wdb OUT");
        return kExitUsage;
    }
    Competition c;
    if (int rc = load_competition(c, args[0]); rc != kExitOk) return rc;
    PathPrompts prompts(args[1]);
    prompts.quiet = true;
    RecordingPrinterProvider printers;
    RecordingShellOpener shell;
    ReportEnv env{prompts, printers, shell};
    bool ok = kind == Splits::kOsv           ? export_osv(c, c.info.first_n, env)
              : kind == Splits::kRouteGadget ? export_route_csv(c, c.info.first_n, env)
                                             : common_splits_html(c, env);
    if (ok) return kExitOk;
    for (const std::string& m : prompts.messages) error_cp1251(m);
    return kExitOutput;
}

}  // namespace

int export_osv(const OperationArgs& args) {
    return write_splits(Splits::kOsv, args);
}
int export_routegadget(const OperationArgs& args) {
    return write_splits(Splits::kRouteGadget, args);
}
int export_splits_html(const OperationArgs& args) {
    return write_splits(Splits::kHtml, args);
}

}  // namespace skarvel::cli
