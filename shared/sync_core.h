// The bookkeeping of a joined computer, without any input or output: the mirror, the change
// sets waiting to be sent (in order, each kept until the server has answered for it), the
// conflicts waiting for the user, and how far this computer has read the server's changes.
// The window drives it from its thread with a worker doing the talking (sync_link.h); the
// command line drives it directly (sync_step).
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "core/competition.h"
#include "shared/changes.h"
#include "shared/mirror.h"
#include "shared/server_ops.h"
#include "shared/store.h"

namespace skarvel::shared {

class SyncCore {
  public:
    explicit SyncCore(std::string origin);

    const std::string& origin() const { return mirror_.origin(); }
    Mirror& mirror() { return mirror_; }

    // Joined: the competition was built from `s`; change sets numbered from `next_seq` on
    // (a computer rejoining with change sets still waiting goes on after them).
    void joined(const Competition& c, const Snapshot& s, std::uint64_t next_seq = 1);
    std::int64_t last_change() const { return last_change_; }

    // The local changes as a change set queued for sending; its number, or 0 when nothing
    // changed.
    std::uint64_t capture(Competition& c, bool background = false);
    // Queues a change set read back from the outbox file after a restart.
    void requeue(ChangeSet cs);

    // The change sets to send next (all that wait, up to about `max_bytes`), now in flight.
    // Empty while an earlier batch is in flight.
    std::vector<ChangeSet> take_batch(std::size_t max_bytes = 8u << 20);
    bool in_flight() const { return in_flight_ > 0; }
    // The batch in flight was not answered (the connection broke): it is sent again.
    void batch_lost();
    // The server's answers to the batch in flight. Changes merged with rows changed meanwhile
    // are queued again; conflicts are kept for the user.
    Applied settle(Competition& c, const std::vector<ChangeSetOutcome>& outcomes);
    // Rows changed on the server up to change `last_change`.
    Applied apply(Competition& c, const std::vector<ServerRow>& rows, std::int64_t last_change);

    // Change sets not yet stored (waiting and in flight).
    int waiting() const { return static_cast<int>(queue_.size()); }
    // The highest change set number stored, and the change set numbers dropped because the
    // server refused them (a fault, not a conflict).
    std::uint64_t stored_upto() const { return stored_upto_; }
    const std::vector<std::string>& refusals() const { return refusals_; }
    // Called with each change set queued (captured, or changes merged to go again), and with
    // each one stored or dropped: for the outbox file.
    std::function<void(const ChangeSet&)> on_queued;
    std::function<void(std::uint64_t seq)> on_done;

    // Conflicts for the user; decide() answers the first one.
    const std::deque<Conflict>& conflicts() const { return conflicts_; }
    Applied decide(Competition& c, bool keep_mine);
    // The queued change sets (for the outbox file and tests).
    const std::deque<ChangeSet>& queue() const { return queue_; }

  private:
    void queue_changes(std::vector<Change> changes, bool background);

    Mirror mirror_;
    std::deque<ChangeSet> queue_;
    std::size_t in_flight_ = 0;  // the first in_flight_ sets of queue_
    std::uint64_t next_seq_ = 1;
    std::uint64_t stored_upto_ = 0;
    std::int64_t last_change_ = 0;
    std::deque<Conflict> conflicts_;
    std::vector<std::string> refusals_;
};

// One round on a connection: capture, send what waits, settle, read and apply what changed.
// False when the connection broke (nothing is lost: what was not answered is sent again).
bool sync_step(SyncCore& core, Competition& c, pg::Connection& db, const Writer& w,
               Applied* applied = nullptr);

}  // namespace skarvel::shared
