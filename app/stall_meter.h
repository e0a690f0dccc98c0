// The stall meter (`skarvel --stall-log FILE`): every stall of the window's thread longer than
// the threshold (20 ms) is written to the log as one line.
//
// How it measures: while the window's thread is at work, a watchdog thread posts a heartbeat
// event to it every 5 ms (one at a time) and waits for the window's thread to answer it. While
// the window's thread waits for events (blocked in its event dispatcher) it cannot stall, and
// the watchdog sleeps: the first event delivered after that wakes it again, so an idle window
// costs the meter nothing but one check per event. Posted events are
// delivered by every event loop, the nested ones of modal dialogs and processEvents() too, so
// the heartbeat is answered within microseconds whenever the thread gets back to any event
// loop; a heartbeat that waits longer than the threshold is a stall, and its length is the
// time from posting to answering (a lower bound of the busy stretch, within about one tick).
// While it waits, the watchdog notes what the window's thread runs: the command (CommandRegistry),
// the named handler (StallScope: card hand-over, finish click, timers) and the event being
// delivered with its receiver's class.
//
// A stall is not always the program's own doing: on a loaded machine the window's thread may
// wait for a processor. Where the system tells (Linux: /proc/<tid>/schedstat), the time the
// thread spent waiting for a processor during the stall is measured and logged beside it, and
// so is the processor time the thread used since it last answered (exact, where the length is
// a lower bound). `own_ms` (the length less that wait, and at least the processor time) is what
// the program itself held the thread for, blocking calls such as fsync included.
//
// The log (UTF-8 text): a comment line starting with '#', then one line per stall with
// tab-separated fields: clock time the stall began (HH:MM:SS.mmm), length ms, of it waiting
// for a processor ms, processor time used ms, what ran ("command Save; handler finish click;
// event MouseButtonPress to skarvel::CSkarvelView"; samples taken at different moments are
// separated by " | "). When the meter ends it writes a '#' line with the count.
#pragma once

#include <QObject>
#include <QString>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace skarvel {

struct Stall {
    std::string began;       // clock time, HH:MM:SS.mmm
    double ms = 0;           // length
    double cpu_wait_ms = 0;  // of it, waiting for a processor (0 where unknown)
    double cpu_ms = 0;       // processor time the thread used (since it last answered)
    // How long the program itself held the thread: the length less the wait for a processor,
    // and never less than the processor time it used.
    double own_ms() const { return std::max(ms - cpu_wait_ms, cpu_ms); }
    std::string what;
};

class StallMeter : public QObject {
    Q_OBJECT
  public:
    // Watches the calling thread (the window's); logs to `path` (empty: keeps the stalls in
    // memory only, for tests).
    explicit StallMeter(const QString& path, int threshold_ms = 20, QObject* parent = nullptr);
    ~StallMeter() override;

    // False when the log could not be opened.
    bool ok() const { return ok_; }
    // The stalls so far.
    std::vector<Stall> stalls() const;
    // Heartbeats answered so far (the meter is alive).
    std::uint64_t heartbeats() const { return answered_count_.load(); }
    // Whether the time waiting for a processor is measured on this system.
    static bool measures_cpu_wait();

  protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    using Clock = std::chrono::steady_clock;
    void watch();
    // The window's thread is about to wait for events / has an event to deliver.
    void going_idle();
    void at_work();
    std::string what_runs_now() const;
    void record(const Stall& s);

    int threshold_ms_;
    bool ok_ = true;
    std::FILE* log_ = nullptr;
    std::vector<std::string> command_names_;
    int tid_ = 0;                   // the window thread's id (Linux), for its scheduler statistics
    std::int64_t last_cpu_ns_ = 0;  // its processor time at the last answer (window thread)

    // The event the window's thread began to deliver last (set by the event filter).
    std::atomic<int> event_type_{0};
    std::atomic<const char*> receiver_class_{nullptr};

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::uint64_t answered_seq_ = 0;      // under mutex_
    Clock::time_point answered_at_;       // under mutex_
    std::int64_t answered_wait_ns_ = -1;  // under mutex_; -1: not read
    std::int64_t answered_cpu_ns_ = 0;    // under mutex_; processor time since the last answer
    std::vector<Stall> stalls_;           // under mutex_
    std::atomic<std::uint64_t> answered_count_{0};
    // The window's thread waits in its dispatcher; the watchdog sleeps until it is at work.
    std::atomic<bool> window_idle_{false};
    std::atomic<bool> watchdog_asleep_{false};
    std::thread watchdog_;
};

}  // namespace skarvel
