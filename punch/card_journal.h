// The card journal: an append-only file beside the competition file ("<file>.journal") that
// keeps every card, station memory record and finish line the window receives, each written
// and flushed to the disk as it arrives. The competition file itself is only ever written when
// the operator (or finish autosave) saves; after a crash or power cut the next open of the
// competition replays the journal, so no card read since the last save is lost. A save empties
// the journal.
//
// The entries are written and flushed by a writer thread of the journal, in order, so that a
// slow disk (a USB stick), or a background save trimming the journal, never holds the window:
// append() queues the entry and returns. Everything else (open, close, clear, drop_first,
// flush, write_now and the destructor) first waits until the queued entries are on the disk;
// size() counts them and never waits.
//
// A card reader (the window's and the command-line one) calls write_now() with each card
// before it tells the station the card is taken: a card the station lets go of is on the disk.
// When the journal cannot write (a full disk), write_now() says so, the reader leaves the card
// in the station, and the runner's card is read again once there is room. A failed write is
// cut off the file again, so the entries after it stay readable.
//
// An entry is: the byte 0xA5, its kind, the payload length (16 bits), the payload and a 32-bit
// check of kind, length and payload. A torn last entry (the power went during the write) fails
// its check and ends the reading; everything before it is kept.
//
// A card with more punches than its readout keeps (or control codes above 255) is journaled
// whole, and the journal keeps it whole across saves (as an archive entry that is never entered
// again), so what the readout record could not take is never lost.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/competition.h"
#include "core/file_io.h"
#include "core/prompts.h"
#include "punch/punch_settings.h"
#include "punch/radio_message.h"
#include "punch/station_event.h"

namespace skarvel {

struct JournalEntry {
    enum class Kind : std::uint8_t {
        kCard = 1,
        kMemoryRecord = 2,
        kFinishLine = 3,
        kRadioRecord = 4,
        // A card its readout could not hold whole (more than 64 punches, codes above 255):
        // entered as kCard is, with every punch kept beside it.
        kWholeCard = 5,
        // Such a card after a save took its readout into the file: kept, never entered again.
        kCardArchive = 6,
    };
    Kind kind = Kind::kCard;
    CardReadout card;              // kCard, kWholeCard, kCardArchive
    CardExtras extras;             // kWholeCard, kCardArchive
    std::int32_t card_number = 0;  // kMemoryRecord
    std::int32_t time = 0;         // kMemoryRecord
    FinishLine line;               // kFinishLine: the line as it became
    std::int32_t slot = 0;         // kFinishLine: its slot in the finish table
    RadioRecord radio;             // kRadioRecord: one record of a radio control message

    static JournalEntry from(const StationEvent& e);
    // A card read: kCard, or kWholeCard when its readout could not hold all of it.
    static JournalEntry card_read(const CardReadout& card, const CardExtras& extras);
    static JournalEntry finish_line(const FinishLine& line, int slot);
    static JournalEntry radio_record(const RadioRecord& r);
};

// "<competition file>.journal".
std::string journal_path_for(const std::string& competition_path);

// The entry bytes, and the entries of a journal's bytes (up to the first damaged entry;
// `whole_bytes`, if given, gets the length of those entries).
std::vector<std::uint8_t> encode_journal_entry(const JournalEntry& e);
std::vector<JournalEntry> decode_journal(const std::vector<std::uint8_t>& bytes,
                                         std::size_t* whole_bytes = nullptr);
// Does a journal file hold entries a replay would enter (more than kept whole cards)?
bool journal_holds_unsaved(const std::string& journal_path);
// The entries of a journal file (none when it does not exist).
std::vector<JournalEntry> read_journal(const std::string& journal_path);

class CardJournal {
  public:
    CardJournal() = default;
    CardJournal(const CardJournal&) = delete;
    CardJournal& operator=(const CardJournal&) = delete;
    ~CardJournal();

    // Journals for this competition file from now on (appending to what is there, after
    // cutting off a torn last entry); an empty path (an untitled competition) journals nothing.
    // Every call may come from any thread (a background save lets go of what it saved).
    bool open(const std::string& competition_path);
    void close();
    bool is_open() const;
    // A competition file is named: its cards must be journaled (the journal may be unable to).
    bool wanted() const;
    std::string path() const;
    // Queues the entry for the writer thread, which writes it and flushes it to the disk;
    // false when the journal is not open or its last write failed. Never waits for the disk.
    bool append(const JournalEntry& e);
    // Writes the entry and flushes it to the disk (after everything queued before it); true
    // only when it is there. A journal that could not be opened is tried again first.
    bool write_now(const JournalEntry& e);
    // Waits until every queued entry is on the disk; false when the last write failed.
    bool flush();
    // The last write failed (a full disk, a folder gone) and no write has succeeded since;
    // last_error() is its errno value.
    bool failing() const;
    int last_error() const { return last_error_.load(); }
    // Told when writing starts to fail (false) and when it succeeds again (true), on the thread
    // that wrote, with the file locked: it must not call the journal. Set it before use.
    void set_state_handler(std::function<void(bool writing)> handler);
    // Tests: the file may hold at most this many bytes; a write beyond fails as on a full disk.
    void set_room_for_tests(std::uint64_t bytes) { room_ = bytes; }
    // Empties the journal (the competition was saved with everything in it).
    bool clear();
    // Bytes in the journal file (what a save made now would let go of).
    std::uint64_t size() const;
    // A save of the competition whose journal is `journal_path`, made when the journal held
    // `bytes` bytes, succeeded: those go, the entries written since stay, after `keep` (what
    // had arrived but was not in the saved file). Nothing happens when the journal now
    // belongs to another file, or when queued entries failed to be written since it was
    // opened or emptied (the mark may count them; everything stays).
    bool drop_first(const std::string& journal_path, std::uint64_t bytes,
                    const std::vector<JournalEntry>& keep);

  private:
    bool reopen();
    void close_locked();
    bool clear_locked();
    void write_queued();
    // Writes and flushes bytes at the end of the file; a write that fails is cut off again.
    bool write_locked(const std::uint8_t* data, std::size_t n);
    void set_failing(bool failing);
    std::uint64_t pending_bytes() const;  // under queue_mutex_

    // The file; locked before queue_mutex_ where both are held.
    mutable std::mutex mutex_;
    FileHandle file_;
    std::string path_;
    std::uint64_t size_ = 0;            // bytes in the file
    bool dropped_since_reset_ = false;  // queued entries failed since it was opened or emptied
    std::atomic<bool> open_{false};     // file_ is set (read by append without mutex_)

    // The writer thread and its queue.
    mutable std::mutex queue_mutex_;
    std::condition_variable wake_;  // the writer: entries queued, or stop
    std::condition_variable idle_;  // flush(): the queue is written
    std::vector<std::uint8_t> queued_;
    std::uint64_t in_flight_ = 0;  // bytes the writer has taken and not yet written
    bool stopping_ = false;
    bool failed_ = false;
    std::uint64_t logical_size_ = 0;  // size_ + pending_bytes(), kept without mutex_
    std::thread writer_;

    std::function<void(bool)> state_handler_;  // called under mutex_
    std::atomic<std::uint64_t> room_{UINT64_MAX};
    std::atomic<int> last_error_{0};
};

// What a replay entered.
struct JournalReplay {
    int cards = 0;          // cards and memory records entered
    int finish_lines = 0;   // finish lines entered
    int already_there = 0;  // entries the competition already held (saved before the crash)
};

// Enters the journal's entries into the competition as the station reader and the finish
// table would have: cards through the readout with the competition's punching settings (no
// printing; questions answered "no"), memory records, finish lines, radio control records
// (a finish line and a readout each). An entry whose result the
// competition already holds (the same readout, the same line) is skipped.
JournalReplay replay_journal(Competition& c, const std::vector<JournalEntry>& entries);

}  // namespace skarvel
