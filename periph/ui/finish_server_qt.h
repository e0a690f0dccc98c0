// The finish server ("Запустить сервер"): a worker thread receives the datagrams on a bound
// UDP socket and only queues them; the owner's thread (the window's) stores them in the
// finish list, when the tables may change (no modal dialog open), and brings results up to
// date. Receiving never waits on the window, so a busy window loses no datagram. The queue is
// bounded (FinishQueue): exact repeats go first, and what does not fit is told.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QThread>
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
        // The receive thread ended on an error (its text, Windows-1251).
        std::function<void(const std::string&)> failed;
        // Datagrams were dropped because too many waited (the count since the last time).
        std::function<void(std::int64_t dropped)> overflowed;
    };

    explicit FinishServerQt(Environment env, QObject* parent = nullptr);
    ~FinishServerQt() override;

    // Binds the port and starts receiving. On failure returns the message ("bind() failed:
    // port 1000: permission denied") and nothing runs.
    std::optional<std::string> start(const QHostAddress& address, int port);
    // Stops receiving; datagrams already queued are still stored.
    void stop();
    bool running() const { return running_; }
    // The port bound (useful with port 0 in tests).
    int port() const { return bound_port_; }

    // What was received and stored, the datagrams the queue dropped included (exact repeats
    // count as duplicates, malformed and overflowing ones as dropped).
    FinishServerCounts counts() const;
    // Stores what is queued now if the tables may change (called by itself; public for
    // tests and for the window when a dialog closes).
    void apply_queued();

  signals:
    void stored();

  private:
    void schedule_apply();

    Environment env_;
    FinishReceiver receiver_;
    bool running_ = false;
    int bound_port_ = 0;
    std::unique_ptr<QThread> thread_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    FinishQueue queue_;               // under mutex_
    std::int64_t overflow_told_ = 0;  // under mutex_
    bool apply_scheduled_ = false;    // under mutex_
    std::string receive_error_;       // under mutex_
};

}  // namespace skarvel
