#include "tools/cli/shared_db.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/wdb_file.h"
#include "shared/identity.h"
#include "shared/mirror.h"
#include "shared/retag.h"
#include "shared/schema.h"
#include "shared/server_ops.h"
#include "shared/store.h"
#include "tools/cli/cli.h"

namespace skarvel::cli {

using namespace shared;

std::unique_ptr<pg::Connection> connect_db(const std::string& uri) {
    std::string why;
    auto db = pg::Connection::open(pg::with_network_options(uri, "skarvel-cli"), why);
    if (!db) error("cannot connect to the server: " + why);
    return db;
}

namespace {

int fetch_into(pg::Connection& db, Competition& c, Snapshot& s) {
    FetchResult r = fetch_snapshot(db, s);
    switch (r.status) {
        case FetchStatus::kOk:
            break;
        case FetchStatus::kNotShared:
            error("the database " + db.describe() + " holds no shared competition");
            return kExitServer;
        case FetchStatus::kNewerSchema:
            error("the shared competition in " + db.describe() +
                  " was made by a newer Skarvel (schema " + std::to_string(r.schema_version) +
                  "; this program knows schema " + std::to_string(kSchemaVersion) +
                  "): update this program");
            return kExitServer;
        case FetchStatus::kFailed:
            error("cannot read the shared competition: " + r.error);
            return kExitServer;
    }
    int refused = build_competition(c, s, std::string());
    if (refused > 0)
        error("warning: " + std::to_string(refused) + " rows of the server were not readable");
    return kExitOk;
}

std::vector<std::uint8_t> file_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const char* kind_name(int kind) {
    static const char* const names[] = {
        "runner",    "club", "class", "course", "finish line", "card readout", "competition header",
        "long names"};
    return kind >= 0 && kind < kRowKindCount ? names[kind] : "row";
}

}  // namespace

int fetch_competition(pg::Connection& db, Competition& c) {
    Snapshot s;
    return fetch_into(db, c, s);
}

DbStandIn::~DbStandIn() {
    if (!file_.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(std::filesystem::path(file_).parent_path(), ec);
    }
}

int DbStandIn::prepare(std::vector<std::string>& args) {
    auto at = std::find(args.begin(), args.end(), std::string("--db"));
    if (at == args.end()) return kExitOk;
    if (at + 1 == args.end()) {
        error("--db needs the server's address (a libpq connection string or URI)");
        return kExitUsage;
    }
    uri_ = *(at + 1);
    auto db = connect_db(uri_);
    if (!db) return kExitServer;
    before_ = std::make_unique<Competition>();
    if (int rc = fetch_into(*db, *before_, snapshot_); rc != kExitOk) return rc;

    std::string dir = (std::filesystem::temp_directory_path() / "skarvel-db-XXXXXX").string();
    if (!::mkdtemp(dir.data())) {
        error("cannot make a temporary folder for the competition");
        return kExitOutput;
    }
    file_ = dir + "/competition.wdb";
    if (int rc = save_competition(*before_, file_); rc != kExitOk) return rc;
    fetched_ = file_bytes(file_);
    *at = file_;
    args.erase(at + 1);
    return kExitOk;
}

int DbStandIn::finish(int command_exit) {
    if (!active() || command_exit != kExitOk) return command_exit;
    if (file_bytes(file_) == fetched_) return command_exit;  // the command changed nothing
    auto after = std::make_unique<Competition>();
    if (int rc = load_competition(*after, file_); rc != kExitOk) return rc;
    retag(*before_, *after);

    Mirror mirror(new_origin_id());
    mirror.adopt(*before_, snapshot_);
    ChangeSet cs = mirror.capture(*after, 1);
    if (cs.changes.empty()) return command_exit;

    auto db = connect_db(uri_);
    if (!db) return kExitServer;
    Writer w{mirror.origin(), host_name()};
    int conflicts = 0;
    // A change that met a row changed meanwhile goes again, merged with it.
    for (int round = 0; round < 5 && !cs.changes.empty(); ++round) {
        std::vector<ChangeSetOutcome> out = store_change_sets(*db, w, {cs});
        if (out.size() != 1 || !out[0].stored) {
            error("the changes could not be written to the server" +
                  (out.empty() ? std::string() : ": " + out[0].error));
            return kExitServer;
        }
        std::vector<Change> resend;
        std::vector<Conflict> found;
        mirror.settle(*after, cs, out[0], resend, found);
        for (const Conflict& k : found) {
            ++conflicts;
            error(std::string("conflict: the ") + kind_name(k.kind) + " (row " +
                  std::to_string(k.uid) +
                  ") was changed on another computer meanwhile; this change was not written");
        }
        ChangeSet next;
        next.seq = cs.seq + 1;
        next.changes = std::move(resend);
        cs = std::move(next);
    }
    if (!cs.changes.empty()) {
        // Others kept changing the same rows: what is left is not written, and said so.
        error("the server's rows kept changing under this command; " +
              std::to_string(cs.changes.size()) + " change(s) were not written");
        return kExitServer;
    }
    return conflicts > 0 ? kExitServer : command_exit;
}

}  // namespace skarvel::cli
