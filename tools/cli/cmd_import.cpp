// skarvel-cli import KIND FILE.wdb IN [options]
// Reads a file of another program or of the registration desk into the competition and saves
// it (atomically) when the import succeeded. One operation per file kind
// (tools/cli/exchange_ops.h); the table below names them.
#include <string>
#include <string_view>
#include <vector>

#include "tools/cli/cli.h"
#include "tools/cli/exchange_ops.h"

using namespace skarvel::cli;

namespace {

const OperationKind kKinds[] = {
    {"card-numbers", &import_card_numbers},
    {"number-card", &import_number_card},
    {"station-csv", &import_station_csv},
    {"vpconfig", &import_vpconfig},
    {"start-times", &import_start_times},
    {"penalties", &import_penalties},
    {"entries", &import_entries},
    {"palm", &import_palm},
    {"palm-penalty", &import_palm_penalty},
    {"ocad8", &import_ocad8},
    {"transponder-codes", &import_transponder_code_file},
    {"amb-finish", &import_amb_finish},
    {"amb-start", &import_amb_start},
};

}  // namespace

int cmd_import(const std::vector<std::string>& args) {
    return run_operation(args, "import", kKinds, "FILE.wdb IN [options]");
}
