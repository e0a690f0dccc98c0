// The competition file of a reader without a screen (skarvel-cli readout): written in the
// background, at most once a minute while cards come in and always between cards, never while
// one is being read, and a last time when the reader stops. A card is safe once it is in the
// card journal; the file only spares the next start the replay. Each write is a snapshot of
// the competition taken between cards on the reader's thread; a worker writes it atomically
// (the long names beside it first, then temporary file, flush, rename) and then lets the
// journal go of what the file holds.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "core/competition.h"
#include "punch/card_journal.h"

namespace skarvel {

class PeriodicSaver {
  public:
    using Clock = std::chrono::steady_clock;
    // Writes the bytes to the UTF-8 path atomically; false and the errno value on failure.
    // Runs on the worker thread.
    using Writer = std::function<bool(const std::string& path,
                                      const std::vector<std::uint8_t>& bytes, int* error)>;

    // `failed` is told each failed write (with its errno value), on the reader's thread.
    PeriodicSaver(Competition& c, CardJournal& journal, std::string path,
                  std::function<void(int error)> failed,
                  std::chrono::milliseconds interval = std::chrono::minutes(1));
    ~PeriodicSaver();
    PeriodicSaver(const PeriodicSaver&) = delete;
    PeriodicSaver& operator=(const PeriodicSaver&) = delete;

    // Between cards (after one, or while the station has none): starts a write when the
    // competition changed since the last one and the last one began at least the interval ago.
    void between_cards(Clock::time_point now = Clock::now());
    // The reader stops: writes what changed since the last write and waits for it. False when
    // the competition could not be written (the last write failed).
    bool finish();

    // A write is under way.
    bool writing() const { return worker_.joinable() && !done_; }
    int writes() const { return writes_; }
    int failures() const { return failures_; }
    // The writer (write_file_atomically unless a test holds the write).
    Writer writer;

  private:
    void start(Clock::time_point now);
    // Joins a finished (or, with `wait`, the running) write and handles its outcome.
    void collect(bool wait);

    Competition& c_;
    CardJournal& journal_;
    std::string path_;
    std::function<void(int)> failed_;
    std::chrono::milliseconds interval_;
    Clock::time_point last_start_{};
    bool started_once_ = false;
    std::thread worker_;
    std::atomic<bool> done_{false};
    bool ok_ = false;
    int error_ = 0;
    int writes_ = 0;
    int failures_ = 0;
};

}  // namespace skarvel
