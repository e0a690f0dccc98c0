// skarvel-cli export KIND FILE.wdb OUT
// Writes a file for another program or a printout folder from the competition; the
// competition is not changed. One operation per file kind (tools/cli/exchange_ops.h); the table
// below names them.
#include <string>
#include <string_view>
#include <vector>

#include "tools/cli/cli.h"
#include "tools/cli/exchange_ops.h"

using namespace skarvel::cli;

namespace {

const OperationKind kKinds[] = {
    {"osv", &export_osv},
    {"routegadget", &export_routegadget},
    {"splits-html", &export_splits_html},
    {"number-card", &export_number_card},
    {"start-list", &export_start_list},
    {"online", &export_online},
    {"relay-online", &export_relay_online},
};

}  // namespace

int cmd_export(const std::vector<std::string>& args) {
    return run_operation(args, "export", kKinds, "FILE.wdb OUT");
}
