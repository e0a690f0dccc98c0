// The worker that talks to the server for a joined computer, so that the thread owning the
// competition never waits for the network: it keeps one connection (and makes it again when it
// breaks, every second), sends the change sets it is given, listens for the server's change
// notices and reads what changed. Everything it gets is queued for the owner, who is told with
// `ready` (on the worker's thread) and takes it with take().
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "shared/changes.h"
#include "shared/server_ops.h"
#include "shared/store.h"

namespace skarvel::shared {

class SyncLink {
  public:
    struct Arrived {
        // Answers for the batch sent (in order), or `lost` when it went unanswered.
        bool answered = false;
        bool lost = false;
        std::vector<ChangeSetOutcome> outcomes;
        // Rows changed on the server, in change order, up to `last_change`.
        std::vector<ServerRow> rows;
        std::int64_t last_change = 0;
        bool connected = false;
        std::string error;  // why not connected
    };

    // `since`: the last change this computer has (rows after it are read on connecting).
    SyncLink(std::string conninfo, Writer writer, std::int64_t since, std::function<void()> ready);
    ~SyncLink();
    SyncLink(const SyncLink&) = delete;
    SyncLink& operator=(const SyncLink&) = delete;

    // Hands the worker a batch to send; false (nothing taken) while another is in flight.
    bool send(std::vector<ChangeSet> batch);
    bool busy() const;
    Arrived take();
    bool connected() const { return connected_.load(); }

    // Waits until change set `seq` is stored on the server; false when it is not stored within
    // `timeout` or the server is not reachable (then the caller's own journal must do). While
    // the first connection is being made, it waits for it.
    bool wait_stored(std::uint64_t seq, std::chrono::milliseconds timeout);
    std::uint64_t stored_upto() const { return stored_upto_.load(); }

    // Test hooks: a pause before each batch is sent; how long to wait between attempts.
    std::chrono::milliseconds retry_after{1000};
    std::chrono::milliseconds poll_every{5000};

  private:
    void run();
    void wake();
    void deliver(Arrived a);
    bool pull(pg::Connection& db, std::int64_t& since);

    std::string conninfo_;
    Writer writer_;
    std::function<void()> ready_;

    mutable std::mutex mutex_;
    std::condition_variable stored_cv_;
    std::vector<ChangeSet> outgoing_;  // the batch to send
    bool has_batch_ = false;           // a batch is given and not answered
    bool stop_ = false;
    Arrived arrived_;
    std::int64_t since_ = 0;

    std::atomic<bool> connected_{false};
    // The last attempt to reach the server failed, or the connection broke (not set while the
    // first connection is being made).
    std::atomic<bool> down_{false};
    std::atomic<std::uint64_t> stored_upto_{0};
    int wake_pipe_[2] = {-1, -1};
    std::thread thread_;
};

}  // namespace skarvel::shared
