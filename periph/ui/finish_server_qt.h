// The finish server ("Запустить сервер"): a worker thread receives the datagrams on a bound
// UDP socket and only queues them; the owner's thread (the window's) stores them in the
// finish list, when the tables may change (no modal dialog open), and brings results up to
// date. Receiving never waits on the window, so a busy window loses no datagram. The queue is
// bounded (FinishQueue): exact repeats go first, and what does not fit is told.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/competition.h"
#include "core/language.h"
#include "periph/finish_exchange.h"
#include "periph/finish_queue.h"
#include "platform/qt/worker_holder.h"

namespace skarvel {

class FinishServerQt : public QObject {
    Q_OBJECT
  public:
    struct Environment {
        std::function<Competition&()> competition;
        const LanguageTable* lang = nullptr;
        // True when the tables may change now; otherwise the datagrams wait.
        std::function<bool()> may_change_tables;
        // After datagrams were stored (or dropped): mark modified, repaint, status line.
        std::function<void()> changed;
        // Receiving failed: "recv() failed: <reason>" (Windows-1251), told once the datagrams
        // that came before it are stored; nothing more is received until a stop and a new start.
        std::function<void(const std::string&)> failed;
        // Datagrams were dropped because too many waited (the count since the last time).
        std::function<void(std::int64_t dropped)> overflowed;
        // The server could not start: the port cannot be bound ("bind() failed: port 1000:
        // permission denied") or a server of a moment ago did not let go of it (Windows-1251).
        std::function<void(const std::string&)> start_failed;
        // The shared competition this station is joined to (empty: none).
        std::function<std::string()> joined_to;
    };

    explicit FinishServerQt(Environment env, QObject* parent = nullptr);
    ~FinishServerQt() override;

    // Starts receiving: the worker binds the port (once a server stopped a moment ago has let
    // go of it) and receives; the window does not wait for either. `listening` follows, or
    // `start_failed` with the reason and `stopped`. False when the server runs already.
    bool start(const QHostAddress& address, int port);
    // Stops receiving without waiting for the worker: it ends on its own within a poll and lets
    // go of the port. Datagrams already queued, and those it still takes, are stored.
    void stop();
    bool running() const { return holder_.running(); }
    // The port bound, once listening (useful with port 0 in tests).
    int port() const { return bound_port_.load(); }
    // Receive threads alive, the running one and those ending (for tests).
    int worker_threads() const { return holder_.threads(); }

    // What was received and stored, the datagrams the queue dropped included (exact repeats
    // count as duplicates, malformed and overflowing ones as dropped).
    FinishServerCounts counts() const;
    // Stores what is queued now if the tables may change (called by itself; public for
    // tests and for the window when a dialog closes).
    void apply_queued();
    // The socket failed to receive (nothing more is received until the server is stopped):
    // `failed` is told on the owner's thread. Any thread may call it.
    void receive_failed(const std::string& reason);

  signals:
    void stored();
    // The port is bound and datagrams are received.
    void listening(int port);
    // The server ended by itself: its port could not be had. (After a receive error it stays on,
    // receiving nothing, until it is stopped.)
    void stopped();

  private:
    void schedule_apply();
    int receive(WorkerHolder::Job& job, const QHostAddress& address, int port);
    void ended(int code);
    void queue_apply();  // under mutex_

    Environment env_;
    FinishReceiver receiver_;
    WorkerHolder holder_;
    int port_asked_ = 0;
    std::atomic<int> bound_port_{0};
    mutable std::mutex mutex_;
    std::string bind_error_;                    // under mutex_
    FinishQueue queue_;                         // under mutex_
    std::int64_t overflow_told_ = 0;            // under mutex_
    bool apply_scheduled_ = false;              // under mutex_
    std::optional<std::string> receive_error_;  // under mutex_
};

}  // namespace skarvel
