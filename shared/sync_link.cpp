#include "shared/sync_link.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>

namespace skarvel::shared {

SyncLink::SyncLink(std::string conninfo, Writer writer, std::int64_t since,
                   std::function<void()> ready)
    : conninfo_(std::move(conninfo)),
      writer_(std::move(writer)),
      ready_(std::move(ready)),
      since_(since) {
    if (::pipe(wake_pipe_) == 0) {
        for (int fd : wake_pipe_) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    thread_ = std::thread([this] { run(); });
}

SyncLink::~SyncLink() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake();
    stored_cv_.notify_all();
    if (thread_.joinable()) thread_.join();
    for (int fd : wake_pipe_)
        if (fd >= 0) ::close(fd);
}

void SyncLink::wake() {
    char b = 1;
    if (wake_pipe_[1] >= 0) [[maybe_unused]]
        auto n = ::write(wake_pipe_[1], &b, 1);
}

bool SyncLink::send(std::vector<ChangeSet> batch) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (has_batch_) return false;
        outgoing_ = std::move(batch);
        has_batch_ = true;
    }
    wake();
    return true;
}

bool SyncLink::busy() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return has_batch_;
}

SyncLink::Arrived SyncLink::take() {
    std::lock_guard<std::mutex> lock(mutex_);
    Arrived a = std::move(arrived_);
    arrived_ = Arrived{};
    arrived_.connected = connected_.load();
    arrived_.last_change = a.last_change;
    a.connected = connected_.load();
    return a;
}

bool SyncLink::wait_stored(std::uint64_t seq, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    stored_cv_.wait_for(lock, timeout,
                        [&] { return stop_ || stored_upto_.load() >= seq || down_.load(); });
    return stored_upto_.load() >= seq;
}

void SyncLink::deliver(Arrived a) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (a.answered || a.lost) {
            arrived_.answered = arrived_.answered || a.answered;
            arrived_.lost = arrived_.lost || a.lost;
            for (ChangeSetOutcome& o : a.outcomes) arrived_.outcomes.push_back(std::move(o));
        }
        for (ServerRow& r : a.rows) arrived_.rows.push_back(std::move(r));
        arrived_.last_change = std::max(arrived_.last_change, a.last_change);
        arrived_.connected = connected_.load();
        if (!a.error.empty()) arrived_.error = a.error;
    }
    stored_cv_.notify_all();
    if (ready_) ready_();
}

bool SyncLink::pull(pg::Connection& db, std::int64_t& since) {
    Arrived a;
    std::string error;
    if (!pull_changes(db, since, a.rows, a.last_change, error)) return false;
    if (a.rows.empty() && a.last_change == since) return true;
    since = a.last_change;
    deliver(std::move(a));
    return true;
}

void SyncLink::run() {
    std::unique_ptr<pg::Connection> db;
    std::int64_t since;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        since = since_;
    }
    auto stopping = [this] {
        std::lock_guard<std::mutex> lock(mutex_);
        return stop_;
    };
    auto lost = [&](const std::string& why) {
        db.reset();
        connected_ = false;
        down_ = true;
        Arrived a;
        a.error = why;
        bool had_batch;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            had_batch = has_batch_;
            has_batch_ = false;
            outgoing_.clear();
        }
        a.lost = had_batch;
        deliver(std::move(a));
    };
    auto wait = [this](int fd, std::chrono::milliseconds timeout) {
        pollfd p[2] = {{wake_pipe_[0], POLLIN, 0}, {fd, POLLIN, 0}};
        ::poll(p, fd >= 0 ? 2 : 1, static_cast<int>(timeout.count()));
        char buf[64];
        while (::read(wake_pipe_[0], buf, sizeof buf) > 0) {
        }
    };
    auto last_pull = std::chrono::steady_clock::now();
    while (!stopping()) {
        if (!db) {
            std::string why;
            db = pg::Connection::open(conninfo_, why);
            if (!db || !listen_for_changes(*db)) {
                lost(db ? db->error_message() : why);
                wait(-1, retry_after);
                continue;
            }
            connected_ = true;
            down_ = false;
            if (!pull(*db, since)) {
                lost(db->error_message());
                continue;
            }
            Arrived hello;  // tell the owner the link is up
            deliver(std::move(hello));
            last_pull = std::chrono::steady_clock::now();
        }
        std::vector<ChangeSet> batch;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (has_batch_) batch = outgoing_;
        }
        if (!batch.empty()) {
            std::vector<ChangeSetOutcome> out = store_change_sets(*db, writer_, batch);
            if (out.size() != batch.size()) {
                lost(db->error_message());
                continue;
            }
            std::uint64_t top = stored_upto_.load();
            for (const ChangeSetOutcome& o : out)
                if (o.stored) top = std::max(top, o.seq);
            Arrived a;
            a.answered = true;
            a.outcomes = std::move(out);
            {
                std::lock_guard<std::mutex> lock(mutex_);
                has_batch_ = false;
                outgoing_.clear();
                stored_upto_ = top;
            }
            deliver(std::move(a));
            // What the others changed meanwhile, and our own change numbers.
            if (!pull(*db, since)) {
                lost(db->error_message());
                continue;
            }
            last_pull = std::chrono::steady_clock::now();
            continue;
        }
        wait(db->socket(), std::chrono::milliseconds(1000));
        std::vector<pg::Notification> notes;
        bool alive = db->take_notifications(notes);
        if (!alive) {
            lost(db->error_message());
            continue;
        }
        auto now = std::chrono::steady_clock::now();
        if (!notes.empty() || now - last_pull >= poll_every) {
            if (!pull(*db, since)) {
                lost(db->error_message());
                continue;
            }
            last_pull = now;
        }
    }
    connected_ = false;
    down_ = true;
    stored_cv_.notify_all();
}

}  // namespace skarvel::shared
