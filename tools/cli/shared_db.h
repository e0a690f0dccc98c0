// The shared competition on a PostgreSQL server from the command line: connecting, and
// `--db URI` in place of FILE.wdb for every command that reads a competition.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/competition.h"
#include "shared/pg.h"
#include "shared/store.h"

namespace skarvel::cli {

// Exit code of a server that cannot be reached or holds no usable shared competition.
constexpr int kExitServer = 5;

// Connects (printing why not); null on failure.
std::unique_ptr<pg::Connection> connect_db(const std::string& uri);
// Reads the shared competition into `c` (printing why not); kExitOk or an exit code.
int fetch_competition(pg::Connection& db, Competition& c);

// A command given `--db URI` instead of its FILE.wdb: the competition is fetched into a
// temporary file that takes the place of `--db URI` in the arguments; what the command saved
// into that file goes back to the server as one change set afterwards.
class DbStandIn {
  public:
    ~DbStandIn();
    // Replaces `--db URI` in `args`; kExitOk (also when there is no --db) or an exit code.
    int prepare(std::vector<std::string>& args);
    bool active() const { return !file_.empty(); }
    // After the command: writes back what it changed; returns the final exit code.
    int finish(int command_exit);

  private:
    std::string uri_, file_;
    std::vector<std::uint8_t> fetched_;
    std::unique_ptr<Competition> before_;
    shared::Snapshot snapshot_;
};

}  // namespace skarvel::cli
