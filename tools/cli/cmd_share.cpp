// skarvel-cli share FILE.wdb --db URI [--replace]: puts a competition file on the server as a
// shared competition, for the computers that then join it.
#include <memory>
#include <string>
#include <vector>

#include "shared/identity.h"
#include "shared/store.h"
#include "tools/cli/cli.h"
#include "tools/cli/shared_db.h"

using namespace skarvel;

int cmd_share(const std::vector<std::string>& args) {
    cli::CommandArgs a;
    if (int rc = cli::parse_command_args(args, "share FILE.wdb --db URI [--replace]", {"--replace"},
                                         {"--db"}, a);
        rc != cli::kExitOk)
        return rc;
    const std::string* uri = a.value("--db");
    if (!uri) {
        cli::error("usage: skarvel-cli share FILE.wdb --db URI [--replace]");
        return cli::kExitUsage;
    }
    auto c = std::make_unique<Competition>();
    if (int rc = cli::load_competition(*c, a.file); rc != cli::kExitOk) return rc;
    auto db = cli::connect_db(*uri);
    if (!db) return cli::kExitServer;
    shared::ShareResult r = shared::share_competition(*db, *c, shared::new_origin_id(),
                                                      shared::host_name(), a.has("--replace"));
    switch (r.status) {
        case shared::ShareStatus::kOk:
            std::printf("shared %s on %s (competition %s)\n", a.file.c_str(),
                        db->describe().c_str(), r.competition_id.c_str());
            return cli::kExitOk;
        case shared::ShareStatus::kAlreadyShared:
            cli::error("the database " + db->describe() +
                       " holds a shared competition already (--replace puts this one in its "
                       "place)");
            return cli::kExitServer;
        case shared::ShareStatus::kNewerSchema:
            cli::error("the database " + db->describe() +
                       " holds a shared competition of a newer Skarvel: not replaced");
            return cli::kExitServer;
        case shared::ShareStatus::kFailed:
            break;
    }
    cli::error("cannot share the competition: " + r.error);
    return cli::kExitServer;
}
