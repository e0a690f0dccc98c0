// skarvel-cli fetch --db URI OUT.wdb: writes the shared competition as it is now into a
// competition file.
#include <memory>
#include <string>
#include <vector>

#include "tools/cli/cli.h"
#include "tools/cli/shared_db.h"

using namespace skarvel;

int cmd_fetch(const std::vector<std::string>& args) {
    cli::CommandArgs a;
    if (int rc = cli::parse_command_args(args, "fetch --db URI OUT.wdb", {}, {"--db"}, a);
        rc != cli::kExitOk)
        return rc;
    const std::string* uri = a.value("--db");
    if (!uri) {
        cli::error("usage: skarvel-cli fetch --db URI OUT.wdb");
        return cli::kExitUsage;
    }
    auto db = cli::connect_db(*uri);
    if (!db) return cli::kExitServer;
    auto c = std::make_unique<Competition>();
    if (int rc = cli::fetch_competition(*db, *c); rc != cli::kExitOk) return rc;
    return cli::save_competition(*c, a.file);
}
