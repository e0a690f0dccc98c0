// skarvel-cli built without the shared competition (no libpq for the platform, e.g. the Windows
// cross-build): share, fetch and every --db say so and change nothing; everything else works on
// competition files as ever. Takes the place of cli/shared_db.cpp, cli/readout_db.cpp,
// cli/cmd_share.cpp and cli/cmd_fetch.cpp.
#include <string>
#include <string_view>
#include <vector>

#include "tools/cli/cli.h"
#include "tools/cli/readout_db.h"
#include "tools/cli/shared_db.h"

namespace skarvel::cli {

namespace {

int no_shared_support(std::string_view command) {
    error(std::string(command) +
          ": this build has no shared competition support (built without PostgreSQL)");
    return kExitUsage;
}

}  // namespace

std::unique_ptr<pg::Connection> connect_db(const std::string&) {
    no_shared_support("--db");
    return nullptr;
}

int fetch_competition(pg::Connection&, Competition&) {
    return no_shared_support("--db");
}

DbStandIn::~DbStandIn() = default;

int DbStandIn::prepare(std::vector<std::string>& args) {
    for (const std::string& a : args)
        if (a == "--db") return no_shared_support("--db");
    return kExitOk;
}

int DbStandIn::finish(int command_exit) {
    return command_exit;
}

int readout_db_command(const std::vector<std::string>&) {
    return no_shared_support("readout --db");
}

}  // namespace skarvel::cli

int cmd_share(const std::vector<std::string>&) {
    return skarvel::cli::no_shared_support("share");
}

int cmd_fetch(const std::vector<std::string>&) {
    return skarvel::cli::no_shared_support("fetch");
}
