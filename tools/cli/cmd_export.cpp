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

struct Kind {
    std::string_view name;
    int (*run)(const OperationArgs&);
};

const Kind kKinds[] = {
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
    std::vector<std::string_view> names;
    std::string usage = "export ";
    for (const Kind& k : kKinds) {
        usage += std::string(names.empty() ? "" : "|") + std::string(k.name);
        names.push_back(k.name);
    }
    usage += " FILE.wdb OUT";
    std::vector<std::string> rest;
    const int op = operation_of(args, "export", usage, names, rest);
    if (op < 0) return kExitUsage;
    return kKinds[op].run(rest);
}
