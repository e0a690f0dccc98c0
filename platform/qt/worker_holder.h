// One worker thread of a device or of the network, as the card, radio and transponder readers,
// the display board and the finish server have it: the port it holds, its thread, its stop flag
// and a stop that does not wait. Stopping tells the work to end and returns at once; the thread
// ends on its own and lets go of its port when it has closed it. A new work started on a port
// that an ending one still holds waits for it on its own thread (never the window's), and gives
// up, saying so, when the port stays held.
#pragma once

#include <QObject>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/port_registry.h"

class QThread;

namespace skarvel {

class WorkerHolder : public QObject {
    Q_OBJECT
  public:
    // What the running work sees of its holder.
    class Job : public std::enable_shared_from_this<Job> {
      public:
        bool stop_requested() const { return stop_.load(); }
        // While a stopper is set, a stop calls it (on the holder's thread) to cut short what the
        // work waits on, such as a link's read; it is called at once when the stop came first.
        // Cleared before what it stops goes away (the stop never runs it after that).
        void set_stopper(std::function<void()> stopper);
        void clear_stopper();

      private:
        friend class WorkerHolder;
        void stop();

        std::atomic<bool> stop_{false};
        std::mutex mutex_;
        std::function<void()> stopper_;  // under mutex_
        PortClaim claim_;
        int code_ = 0;  // what the work returned (read after its thread ended)
        Txt kept_by_ = Txt::kPortHolderCards;  // who kept the port (with kPortNotFree)
    };
    // The work: runs on the worker thread, returns its own end code (told through `ended`).
    using Work = std::function<int(Job&)>;
    // The end code of a work that never ran because its port stayed held by an ending one.
    static constexpr int kPortNotFree = -2147483647;

    // How long a new work waits for an ending one to let go of its port (a test may shorten it).
    int port_wait_ms = 10000;

    explicit WorkerHolder(QObject* parent = nullptr);
    ~WorkerHolder() override;

    // Where a start went.
    struct Start {
        bool started = false;
        // Not started: who holds the port.
        Txt held_by = Txt::kPortHolderCards;
    };
    // Starts `work` on a new thread holding `port` (a serial device, or "" for none) for
    // `holder`. When an ending work still holds the port the new thread waits for it first.
    // Not started when a work of this holder runs or another part of the program holds the port.
    Start start(const std::string& port, Txt holder, Work work);
    // The same for the UDP port `udp_port` (0: none).
    Start start_udp(int udp_port, Txt holder, Work work);
    // Tells the running work to stop and returns at once.
    void stop();
    // Stops and waits for every thread this holder started (when its owner goes away).
    void stop_and_wait();

    // A work runs (started and not stopped).
    bool running() const { return static_cast<bool>(current_); }
    // Is `job` the running one? (a work asks before it tells the window something)
    bool current(const Job& job) const { return current_.get() == &job; }
    // Threads alive, running or ending.
    int threads() const;
    // Who kept the port when the work gave up waiting (valid with kPortNotFree).
    Txt port_kept_by() const { return kept_by_; }

  signals:
    // The running work ended by itself (not stopped), with its end code; on the holder's thread.
    void ended(int code);

  private:
    Start launch(std::shared_ptr<Job> job, ClaimResult claimed, Txt held_by, Work work);
    void thread_finished(std::uint64_t id);

    struct Run {
        std::shared_ptr<Job> job;
        QThread* thread = nullptr;
        std::uint64_t id = 0;
    };
    std::uint64_t last_run_ = 0;
    std::shared_ptr<Job> current_;
    std::vector<Run> runs_;  // every thread alive, the running one among them
    Txt kept_by_ = Txt::kPortHolderCards;
};

}  // namespace skarvel
