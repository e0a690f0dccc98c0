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

struct Kind {
    std::string_view name;
    int (*run)(const OperationArgs&);
};

const Kind kKinds[] = {
    {"card-numbers", &import_card_numbers}, {"number-card", &import_number_card},
    {"station-csv", &import_station_csv},   {"vpconfig", &import_vpconfig},
    {"start-times", &import_start_times},   {"penalties", &import_penalties},
    {"entries", &import_entries},           {"palm", &import_palm},
    {"palm-penalty", &import_palm_penalty},
};

}  // namespace

int cmd_import(const std::vector<std::string>& args) {
    std::vector<std::string_view> names;
    std::string usage = "import ";
    for (const Kind& k : kKinds) {
        usage += std::string(names.empty() ? "" : "|") + std::string(k.name);
        names.push_back(k.name);
    }
    usage += " FILE.wdb IN [options]";
    std::vector<std::string> rest;
    const int op = operation_of(args, "import", usage, names, rest);
    if (op < 0) return kExitUsage;
    return kKinds[op].run(rest);
}
