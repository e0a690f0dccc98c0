// Saves the open competition under its file name without holding up the window (finish
// autosave). The file's bytes are made on the window's thread, a snapshot of that moment; a
// worker thread writes them, flushes them to the disk and renames the file over the old one
// (the atomic save), and only then empties the card journal of what the file now holds. While
// a write is under way, further requests only note that another save is due; when the write
// ends, the newest state is written. A failure is told once, on the window's thread, and
// leaves the competition marked changed. Saving by hand, opening another competition and
// closing wait for the write under way first (wait()), so an older snapshot never lands after
// a newer save.
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "core/competition.h"
#include "core/language.h"
#include "core/prompts.h"
#include "core/save_request.h"
#include "punch/card_journal.h"

namespace skarvel {

class BackgroundSaver : public QObject {
  public:
    // Writes the bytes to the UTF-8 path atomically; false and the errno value on failure.
    // Runs on the worker thread.
    using Writer = std::function<bool(const std::string& path,
                                      const std::vector<std::uint8_t>& bytes, int* error)>;

    struct Environment {
        Competition& competition;
        Prompts& prompts;
        const LanguageTable& lang;
        CardJournal& journal;
        // The competition's file name (UTF-8), empty for an untitled one.
        std::function<std::string()> file_path;
        // Cards that arrived (so are in the journal) but are not entered yet: a snapshot
        // does not hold them, so the journal keeps them after the save.
        std::function<std::vector<JournalEntry>()> not_entered;
        // The competition's modified mark changed (the window title follows it).
        std::function<void()> modified_changed;
    };

    explicit BackgroundSaver(Environment env, QObject* parent = nullptr);
    ~BackgroundSaver() override;

    // Saves the competition as it is now, or notes that it is due after the write under way.
    SaveRequest request();
    // Waits for the write under way and handles its outcome; a save that was due is dropped
    // (the caller saves by hand, or replaces the competition).
    void wait();
    bool busy() const { return in_flight_; }
    // Writes started so far.
    int writes() const { return writes_; }

    // The writer (write_file_atomically unless a test holds the write).
    Writer writer;

  private:
    bool start();
    void finished(std::uint64_t id);

    Environment env_;
    std::thread worker_;
    bool in_flight_ = false;
    bool due_ = false;
    int writes_ = 0;
    std::uint64_t id_ = 0;
    // The write under way: its file and (set by the worker before it posts the end) its
    // outcome.
    std::string path_;
    bool ok_ = false;
    int error_ = 0;
};

}  // namespace skarvel
