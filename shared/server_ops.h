// Writing change sets to the server and reading what changed there: plain calls on one
// connection (the sync worker and the command line use them).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shared/changes.h"
#include "shared/pg.h"
#include "shared/store.h"

namespace skarvel::shared {

// Who writes: this computer's id (one per joined copy) and its host name.
struct Writer {
    std::string origin;
    std::string host;
};

// Stores the change sets in order, each in its own transaction, all in one round trip. One
// outcome per set; empty when the connection broke (then none, some or all may be stored: a
// set sent again is recognised by the server and stored once).
std::vector<ChangeSetOutcome> store_change_sets(pg::Connection& db, const Writer& w,
                                                const std::vector<ChangeSet>& sets);

// The rows changed after change `since` (deleted ones too), in change order, and the last
// change they reach. False when the statement failed.
bool pull_changes(pg::Connection& db, std::int64_t since, std::vector<ServerRow>& rows,
                  std::int64_t& last_change, std::string& error);

// Starts listening for the server's change notices on this connection.
bool listen_for_changes(pg::Connection& db);

// The computers that have written to the shared competition: host names, newest first.
std::vector<std::string> writer_hosts(pg::Connection& db);

// The number of the last change set of `origin` the server stored (0: none); -1 when it
// cannot be read. Waits for a change set of that origin still being written (a program
// killed while its last change set was on its way), so the answer is final.
std::int64_t last_stored_seq(pg::Connection& db, const std::string& origin);

}  // namespace skarvel::shared
