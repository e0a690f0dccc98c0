// A joined computer's bookkeeping (SyncCore) and its worker (SyncLink) put together: what the
// desktop window (shared/ui/shared_session.h) and the headless reader drive from the thread
// that owns the competition. The worker's `arrived` callback only says that something is
// there; process() takes it in on the owner's thread.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/competition.h"
#include "shared/outbox_file.h"
#include "shared/sync_core.h"
#include "shared/sync_link.h"

namespace skarvel::shared {

class SyncDriver {
  public:
    // Joined: `c` was just built from `s` (build_competition). `arrived` is called on the
    // worker's thread whenever answers, rows or a change of the connection are there.
    // With `outbox` (a file in this computer's folder), every change set is kept there until
    // the server has answered for it; what an earlier run left there is sent first, on `db`
    // (the connection `s` was read on), before this returns.
    SyncDriver(std::string conninfo, Writer writer, Competition& c, const Snapshot& s,
               std::function<void()> arrived, const std::string& outbox = {},
               pg::Connection* db = nullptr);
    ~SyncDriver();

    // The local changes as one change set, sent as soon as the worker is free; its number, 0
    // when nothing changed.
    std::uint64_t capture(Competition& c, bool background = false);

    struct Round {
        Applied applied;                    // rows that came in, merges
        bool state_changed = false;         // connected or not, or the number waiting changed
        bool all_stored = false;            // answers came and nothing waits any more
        std::vector<std::string> refusals;  // change sets the server refused (faults)
    };
    // Takes in what arrived: answers (settled), rows (applied, merged with local changes
    // captured first). Results are not recomputed here: the caller does it when rows came.
    Round process(Competition& c);

    bool connected() const { return connected_; }
    int waiting() const { return core_.waiting(); }
    // From any thread: change set `seq` is on the server (false: not within `timeout`, or no
    // connection).
    bool wait_stored(std::uint64_t seq, std::chrono::milliseconds timeout) {
        return link_->wait_stored(seq, timeout);
    }
    SyncCore& core() { return core_; }
    SyncLink& link() { return *link_; }

  private:
    void pump();

    SyncCore core_;
    OutboxFile outbox_;
    std::unique_ptr<SyncLink> link_;
    bool connected_ = false;
    int last_waiting_ = -1;
    std::size_t refusals_told_ = 0;
};

}  // namespace skarvel::shared
