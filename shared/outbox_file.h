// The change sets a joined computer has made and the server has not yet answered for, kept in
// a file of its own folder ("outbox"), so that what waited when the program ended (or was
// killed, or the power went) is sent when it joins again. Each change set is appended and
// flushed to the disk by a writer thread (the window never waits for the disk); each answered
// one is marked done; once nothing waits the file is emptied.
//
// An entry: its type (1 a change set, 2 a change set done), its length (32 bits), the payload
// and a 32-bit check of type, length and payload. A torn last entry ends the reading.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "shared/changes.h"

namespace skarvel::shared {

class OutboxFile {
  public:
    OutboxFile() = default;
    ~OutboxFile();
    OutboxFile(const OutboxFile&) = delete;
    OutboxFile& operator=(const OutboxFile&) = delete;

    // The change sets of the file not marked done, in order.
    static std::vector<ChangeSet> read(const std::string& path);
    // Appends from now on (what is in the file stays). False when it cannot be written.
    bool open(const std::string& path);
    // Queue for the writer thread; never waits for the disk.
    void append(const ChangeSet& cs);
    void done(std::uint64_t seq);
    // Nothing waits any more: the file is emptied (after what is queued).
    void clear();
    // Waits until what is queued is on the disk; false when a write failed.
    bool flush();

  private:
    void queue(std::uint8_t type, const Bytes& payload);
    void run();

    std::string path_;
    std::mutex mutex_;
    std::condition_variable wake_, idle_;
    Bytes queued_;
    bool clear_ = false;
    bool busy_ = false;
    bool stop_ = false;
    bool failed_ = false;
    std::thread writer_;
};

}  // namespace skarvel::shared
