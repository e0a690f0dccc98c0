#include "punch/card_journal.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/atomic_file.h"
#include "core/field_codec.h"
#include "core/file_io.h"
#include "punch/readout.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace skarvel {

namespace {

constexpr std::uint8_t kMark = 0xA5;

// FNV-1a, 32 bits: enough to tell a torn or scrambled entry.
std::uint32_t check_of(const std::uint8_t* p, std::size_t n) {
    std::uint32_t h = 2166136261u;
    for (std::size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 16777619u;
    return h;
}

bool flush_to_disk(std::FILE* f) {
    if (std::fflush(f) != 0) return false;
#ifdef _WIN32
    return _commit(_fileno(f)) == 0;
#else
    return ::fsync(fileno(f)) == 0;
#endif
}

// Cuts the file back to `size` bytes (a write that failed halfway leaves no torn entry that
// would hide the entries written after it).
bool cut_to(std::FILE* f, std::uint64_t size) {
#ifdef _WIN32
    return _chsize_s(_fileno(f), static_cast<__int64>(size)) == 0;
#else
    return ::ftruncate(fileno(f), static_cast<off_t>(size)) == 0;
#endif
}

// Every write goes straight to the file: a failed one leaves nothing behind in a buffer that
// a later write would carry out.
FileHandle open_unbuffered(const std::string& path, const char* mode) {
    FileHandle f = open_file(path, mode);
    if (f) std::setvbuf(f.get(), nullptr, _IONBF, 0);
    return f;
}

bool same_readout(const CardReadout& a, const CardReadout& b) {
    std::uint8_t x[CardReadout::kSize], y[CardReadout::kSize];
    codec::put(x, a);
    codec::put(y, b);
    return std::memcmp(x, y, sizeof x) == 0;
}

bool same_line(const FinishLine& a, const FinishLine& b) {
    return a.start_number == b.start_number && a.time() == b.time();
}

}  // namespace

JournalEntry JournalEntry::card_read(const CardReadout& card, const CardExtras& extras) {
    JournalEntry j;
    j.kind = extras.beyond_readout() ? Kind::kWholeCard : Kind::kCard;
    j.card = card;
    if (j.kind == Kind::kWholeCard) j.extras = extras;
    return j;
}

JournalEntry JournalEntry::from(const StationEvent& e) {
    JournalEntry j;
    if (e.kind == StationEvent::Kind::kCard) {
        j = card_read(e.card, e.extras);
    } else {
        j.kind = Kind::kMemoryRecord;
        j.card_number = e.card_number;
        j.time = e.time;
    }
    return j;
}

JournalEntry JournalEntry::finish_line(const FinishLine& line, int slot) {
    JournalEntry j;
    j.kind = Kind::kFinishLine;
    j.line = line;
    j.slot = slot;
    return j;
}

JournalEntry JournalEntry::radio_record(const RadioRecord& r) {
    JournalEntry j;
    j.kind = Kind::kRadioRecord;
    j.radio = r;
    return j;
}

std::string journal_path_for(const std::string& competition_path) {
    return competition_path + ".journal";
}

namespace {

// A whole card: the readout, then family, 0, punch count (16 bits), check and clear times, and
// each punch as its code (16 bits) and time.
constexpr std::size_t kWholeHead = CardReadout::kSize + 12;
constexpr std::size_t kWholePunch = 6;

void put_whole_card(std::vector<std::uint8_t>& payload, const JournalEntry& e) {
    std::size_t n = std::min<std::size_t>(e.extras.punches.size(), kMaxCardPunches);
    payload.assign(kWholeHead + kWholePunch * n, 0);
    std::uint8_t* p = payload.data();
    codec::put(p, e.card);
    p += CardReadout::kSize;
    p[0] = static_cast<std::uint8_t>(e.extras.family);
    codec::put(p + 2, static_cast<std::uint16_t>(n));
    codec::put(p + 4, e.extras.check_time);
    codec::put(p + 8, e.extras.clear_time);
    p += 12;
    for (std::size_t k = 0; k < n; ++k, p += kWholePunch) {
        codec::put(p, static_cast<std::uint16_t>(e.extras.punches[k].code));
        codec::put(p + 2, e.extras.punches[k].time);
    }
}

bool get_whole_card(const std::uint8_t* p, std::size_t length, JournalEntry& e) {
    if (length < kWholeHead) return false;
    codec::get(p, e.card);
    p += CardReadout::kSize;
    std::uint16_t n = 0;
    codec::get(p + 2, n);
    if (p[0] >= kCardFamilyCount || p[1] != 0 || n > kMaxCardPunches ||
        length != kWholeHead + kWholePunch * n)
        return false;
    e.extras.family = static_cast<CardFamily>(p[0]);
    codec::get(p + 4, e.extras.check_time);
    codec::get(p + 8, e.extras.clear_time);
    p += 12;
    e.extras.punches.resize(n);
    for (CardPunch& punch : e.extras.punches) {
        std::uint16_t code = 0;
        codec::get(p, code);
        codec::get(p + 2, punch.time);
        if (code > 1023) return false;
        punch.code = code;
        if (code > 255 && e.extras.long_code == 0) e.extras.long_code = code;
        p += kWholePunch;
    }
    return true;
}

}  // namespace

std::vector<std::uint8_t> encode_journal_entry(const JournalEntry& e) {
    std::vector<std::uint8_t> payload;
    switch (e.kind) {
        case JournalEntry::Kind::kCard:
            payload.resize(CardReadout::kSize);
            codec::put(payload.data(), e.card);
            break;
        case JournalEntry::Kind::kWholeCard:
        case JournalEntry::Kind::kCardArchive:
            put_whole_card(payload, e);
            break;
        case JournalEntry::Kind::kMemoryRecord:
            payload.resize(8);
            codec::put(payload.data(), e.card_number);
            codec::put(payload.data() + 4, e.time);
            break;
        case JournalEntry::Kind::kFinishLine:
            payload.resize(4 + FinishLine::kSize);
            codec::put(payload.data(), e.slot);
            codec::put(payload.data() + 4, e.line);
            break;
        case JournalEntry::Kind::kRadioRecord:
            payload.resize(12);
            codec::put(payload.data(), static_cast<std::int32_t>(e.radio.control));
            codec::put(payload.data() + 4, e.radio.seconds);
            codec::put(payload.data() + 8, e.radio.card_number);
            break;
    }
    std::vector<std::uint8_t> out;
    out.reserve(payload.size() + 8);
    out.push_back(kMark);
    out.push_back(static_cast<std::uint8_t>(e.kind));
    out.push_back(static_cast<std::uint8_t>(payload.size() & 0xFF));
    out.push_back(static_cast<std::uint8_t>(payload.size() >> 8));
    out.insert(out.end(), payload.begin(), payload.end());
    std::uint32_t check = check_of(out.data() + 1, out.size() - 1);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(check >> (8 * i)));
    return out;
}

std::vector<JournalEntry> decode_journal(const std::vector<std::uint8_t>& bytes,
                                         std::size_t* whole_bytes) {
    std::vector<JournalEntry> out;
    std::size_t at = 0;
    while (bytes.size() - at >= 8) {
        const std::uint8_t* p = bytes.data() + at;
        std::size_t length = p[2] | (std::size_t(p[3]) << 8);
        if (p[0] != kMark || bytes.size() - at < length + 8) break;
        std::uint32_t check = codec::read_at<std::uint32_t>(p, 4 + length);
        if (check != check_of(p + 1, 3 + length)) break;
        JournalEntry e;
        const std::uint8_t* payload = p + 4;
        bool ok = true;
        switch (p[1]) {
            case 1:
                e.kind = JournalEntry::Kind::kCard;
                ok = length == CardReadout::kSize;
                if (ok) codec::get(payload, e.card);
                break;
            case 2:
                e.kind = JournalEntry::Kind::kMemoryRecord;
                ok = length == 8;
                if (ok) {
                    codec::get(payload, e.card_number);
                    codec::get(payload + 4, e.time);
                }
                break;
            case 3:
                e.kind = JournalEntry::Kind::kFinishLine;
                ok = length == 4 + FinishLine::kSize;
                if (ok) {
                    codec::get(payload, e.slot);
                    codec::get(payload + 4, e.line);
                }
                break;
            case 4: {
                e.kind = JournalEntry::Kind::kRadioRecord;
                ok = length == 12;
                if (!ok) break;
                std::int32_t control = 0;
                codec::get(payload, control);
                codec::get(payload + 4, e.radio.seconds);
                codec::get(payload + 8, e.radio.card_number);
                e.radio.control = control;
                // Only what a message can carry.
                ok = control >= 0 && control <= 0xFF && e.radio.seconds >= 0 &&
                     e.radio.seconds <= 0xFFFF && e.radio.card_number >= 0 &&
                     e.radio.card_number <= 0xFFFFFF;
                break;
            }
            case 5:
            case 6:
                e.kind = static_cast<JournalEntry::Kind>(p[1]);
                ok = get_whole_card(payload, length, e);
                break;
            default:
                ok = false;
        }
        if (!ok) break;
        // A punch count beyond the card's room would read past its punches.
        if (e.kind != JournalEntry::Kind::kMemoryRecord &&
            e.kind != JournalEntry::Kind::kFinishLine &&
            e.kind != JournalEntry::Kind::kRadioRecord &&
            (e.card.punch_count < 0 || e.card.punch_count > CardReadout::kMaxPunches))
            break;
        out.push_back(e);
        at += length + 8;
    }
    if (whole_bytes) *whole_bytes = at;
    return out;
}

namespace {

// The bytes of a file from `offset` on (none when it cannot be read).
std::vector<std::uint8_t> read_from(const std::string& path, std::uint64_t offset) {
    std::vector<std::uint8_t> bytes;
    FileHandle f = open_file(path, "rb");
    if (!f) return bytes;
    std::uint8_t buf[65536];
    std::size_t n;
    std::uint64_t at = 0;
    while ((n = std::fread(buf, 1, sizeof buf, f.get())) > 0) {
        std::uint64_t skip = at < offset ? std::min<std::uint64_t>(offset - at, n) : 0;
        bytes.insert(bytes.end(), buf + skip, buf + n);
        at += n;
    }
    return bytes;
}

// The whole cards among a journal's entries, as archive entries: what a trim keeps.
std::vector<std::uint8_t> archives_in(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> out;
    for (JournalEntry e : decode_journal(bytes)) {
        if (e.kind != JournalEntry::Kind::kWholeCard && e.kind != JournalEntry::Kind::kCardArchive)
            continue;
        e.kind = JournalEntry::Kind::kCardArchive;
        std::vector<std::uint8_t> b = encode_journal_entry(e);
        out.insert(out.end(), b.begin(), b.end());
    }
    return out;
}

}  // namespace

bool journal_holds_unsaved(const std::string& journal_path) {
    for (const JournalEntry& e : read_journal(journal_path))
        if (e.kind != JournalEntry::Kind::kCardArchive) return true;
    return false;
}

std::vector<JournalEntry> read_journal(const std::string& journal_path) {
    return decode_journal(read_from(journal_path, 0));
}

CardJournal::~CardJournal() {
    flush();
    {
        std::lock_guard<std::mutex> lock(queue_mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (writer_.joinable()) writer_.join();
}

std::uint64_t CardJournal::pending_bytes() const {
    return queued_.size() + in_flight_;
}

bool CardJournal::flush() {
    std::unique_lock<std::mutex> lock(queue_mutex_);
    idle_.wait(lock, [this] { return pending_bytes() == 0; });
    return !failed_;
}

bool CardJournal::failing() const {
    std::lock_guard<std::mutex> queue(queue_mutex_);
    return failed_;
}

void CardJournal::set_state_handler(std::function<void(bool writing)> handler) {
    std::lock_guard<std::mutex> lock(mutex_);
    state_handler_ = std::move(handler);
}

void CardJournal::set_failing(bool failing) {
    bool flipped;
    {
        std::lock_guard<std::mutex> queue(queue_mutex_);
        flipped = failed_ != failing;
        failed_ = failing;
    }
    if (flipped && state_handler_) state_handler_(!failing);
}

bool CardJournal::write_locked(const std::uint8_t* data, std::size_t n) {
    if (!file_) return false;
    std::uint64_t room = room_.load();
    std::size_t fits =
        room > size_ ? static_cast<std::size_t>(std::min<std::uint64_t>(room - size_, n)) : 0;
    errno = 0;
    bool ok =
        std::fwrite(data, 1, fits, file_.get()) == fits && fits == n && flush_to_disk(file_.get());
    if (ok) {
        size_ += n;
        return true;
    }
    last_error_ = errno != 0 ? errno : ENOSPC;
    std::clearerr(file_.get());
    cut_to(file_.get(), size_);
    return false;
}

void CardJournal::write_queued() {
    std::unique_lock<std::mutex> queue(queue_mutex_);
    for (;;) {
        wake_.wait(queue, [this] { return stopping_ || !queued_.empty(); });
        if (queued_.empty()) return;  // stopping, and everything is written
        std::vector<std::uint8_t> bytes;
        bytes.swap(queued_);
        in_flight_ = bytes.size();
        queue.unlock();
        // Everything queued meanwhile goes in one write and one flush to the disk, into the
        // file as it is now (a trim may have replaced it since the entries were queued).
        // Entries that cannot be written are dropped: the failure is told (set_failing).
        std::unique_lock<std::mutex> lock(mutex_);
        bool ok = write_locked(bytes.data(), bytes.size());
        if (file_) set_failing(!ok);
        if (!ok) {
            queue.lock();
            logical_size_ -= std::min<std::uint64_t>(logical_size_, bytes.size());
            queue.unlock();
            // A mark taken before (size()) counted these bytes: it no longer says where the
            // file's entries end, so no trim may go by it.
            dropped_since_reset_ = true;
        }
        lock.unlock();
        queue.lock();
        in_flight_ = 0;
        idle_.notify_all();
    }
}

bool CardJournal::write_now(const JournalEntry& e) {
    flush();
    std::vector<std::uint8_t> bytes = encode_journal_entry(e);
    std::lock_guard<std::mutex> lock(mutex_);
    if (path_.empty()) return false;
    // A journal that could not be opened (or was lost with its folder) is tried again.
    bool ok = (file_ || reopen()) && write_locked(bytes.data(), bytes.size());
    if (ok) {
        std::lock_guard<std::mutex> queue(queue_mutex_);
        logical_size_ += bytes.size();
    }
    set_failing(!ok);
    return ok;
}

bool CardJournal::open(const std::string& competition_path) {
    flush();
    std::lock_guard<std::mutex> lock(mutex_);
    close_locked();
    if (competition_path.empty()) return true;
    path_ = journal_path_for(competition_path);
    return reopen();
}

bool CardJournal::reopen() {
    // A torn last entry (a power cut during its write) is cut off: entries appended after it
    // would not be readable.
    std::size_t whole = 0;
    std::vector<std::uint8_t> old = read_from(path_, 0);
    decode_journal(old, &whole);
    file_ = open_unbuffered(path_, "ab");
    if (!file_) last_error_ = errno != 0 ? errno : EIO;
    size_ = 0;
    open_ = file_ != nullptr;
    if (file_ && whole < old.size() && cut_to(file_.get(), whole)) old.resize(whole);
    if (file_) size_ = old.size();
    dropped_since_reset_ = false;
    {
        std::lock_guard<std::mutex> queue(queue_mutex_);
        logical_size_ = size_ + pending_bytes();
    }
    set_failing(file_ == nullptr);
    return file_ != nullptr;
}

bool CardJournal::is_open() const {
    return open_;
}

bool CardJournal::wanted() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return !path_.empty();
}

std::string CardJournal::path() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return path_;
}

std::uint64_t CardJournal::size() const {
    // Never waits for the file's lock (held while the writer or a trim is at the disk).
    std::lock_guard<std::mutex> queue(queue_mutex_);
    return logical_size_;
}

void CardJournal::close() {
    flush();
    std::lock_guard<std::mutex> lock(mutex_);
    close_locked();
}

void CardJournal::close_locked() {
    file_.reset();
    open_ = false;
    path_.clear();
    size_ = 0;
    {
        std::lock_guard<std::mutex> queue(queue_mutex_);
        logical_size_ = pending_bytes();
    }
    set_failing(false);  // nothing is journaled now, so nothing fails
}

bool CardJournal::append(const JournalEntry& e) {
    if (!open_) return false;
    std::vector<std::uint8_t> bytes = encode_journal_entry(e);
    bool ok = true;
    {
        std::lock_guard<std::mutex> queue(queue_mutex_);
        queued_.insert(queued_.end(), bytes.begin(), bytes.end());
        logical_size_ += bytes.size();
        if (!writer_.joinable()) writer_ = std::thread([this] { write_queued(); });
        ok = !failed_;
    }
    wake_.notify_all();
    return ok;
}

bool CardJournal::clear() {
    flush();
    std::lock_guard<std::mutex> lock(mutex_);
    return clear_locked();
}

bool CardJournal::clear_locked() {
    if (!file_) return true;
    std::vector<std::uint8_t> kept = archives_in(read_from(path_, 0));
    file_.reset();
    bool ok;
    if (!kept.empty()) {
        // Whole cards stay (as archive entries); everything else goes.
        ok = write_file_atomically(path_, kept.data(), kept.size()) && reopen();
    } else {
        // Emptied, then appended to again: every write goes to the end, also after a failed one
        // was cut off.
        ok = open_unbuffered(path_, "wb") != nullptr && reopen() && flush_to_disk(file_.get());
    }
    if (!ok) set_failing(true);
    return ok;
}

bool CardJournal::drop_first(const std::string& journal_path, std::uint64_t bytes,
                             const std::vector<JournalEntry>& keep) {
    // Everything queued before is in the file; what is queued from now on is written after
    // the trim, into the trimmed file.
    flush();
    std::lock_guard<std::mutex> lock(mutex_);
    if (!file_ || path_ != journal_path) return true;
    // Entries were dropped since the mark may have been taken: keep everything (a replay
    // enters what the file already holds once).
    if (dropped_since_reset_) return true;
    std::uint64_t pending = 0;
    {
        std::lock_guard<std::mutex> queue(queue_mutex_);
        pending = pending_bytes();
    }
    if (bytes >= size_ + pending && keep.empty()) return clear_locked();
    std::fflush(file_.get());
    std::vector<std::uint8_t> all = read_from(path_, 0);
    auto cut =
        all.begin() + static_cast<std::ptrdiff_t>(std::min<std::uint64_t>(bytes, all.size()));
    std::vector<std::uint8_t> content = archives_in({all.begin(), cut});
    for (const JournalEntry& e : keep) {
        std::vector<std::uint8_t> b = encode_journal_entry(e);
        content.insert(content.end(), b.begin(), b.end());
    }
    content.insert(content.end(), cut, all.end());
    // Replaced whole by a rename, so a power cut leaves the old journal or the new one.
    file_.reset();
    bool ok = write_file_atomically(path_, content.data(), content.size());
    return reopen() && ok;
}

JournalReplay replay_journal(Competition& c, const std::vector<JournalEntry>& entries) {
    JournalReplay r;
    ScriptedPrompts quiet;  // questions answered "no", messages dropped
    ReadoutState state;
    PunchSettings s = punch_settings_from(c.info);
    s.print_on_read = 0;
    auto& readouts = c.tables.card_readouts;
    auto& lines = c.tables.finish_lines;
    for (const JournalEntry& e : entries) {
        switch (e.kind) {
            case JournalEntry::Kind::kCardArchive:
                break;  // its readout went into a saved file already
            case JournalEntry::Kind::kCard:
            case JournalEntry::Kind::kWholeCard: {
                bool there = false;
                for (int i = 0; i < readouts.capacity() && readouts[i] && !there; ++i)
                    there = same_readout(*readouts[i], e.card);
                if (there) {
                    ++r.already_there;
                    break;
                }
                process_card(c, e.card, s, state, quiet, ReadoutHooks{});
                ++r.cards;
                break;
            }
            case JournalEntry::Kind::kMemoryRecord: {
                bool there = false;
                for (int i = 0; i < readouts.capacity() && readouts[i] && !there; ++i)
                    there = readouts[i]->card_number == e.card_number &&
                            readouts[i]->finish.time == e.time;
                if (there) {
                    ++r.already_there;
                    break;
                }
                store_memory_record(c, e.card_number, e.time, quiet);
                ++r.cards;
                break;
            }
            case JournalEntry::Kind::kRadioRecord: {
                std::int32_t time = static_cast<std::int32_t>(
                    radio_time_word(e.radio, c.info.competition_start) & 0xFFFFFF);
                bool there = false;
                for (int i = 0; i < readouts.capacity() && readouts[i] && !there; ++i)
                    there = readouts[i]->card_number == e.radio.card_number &&
                            readouts[i]->finish.time == time && readouts[i]->punch_count == 0;
                if (there) {
                    ++r.already_there;
                    break;
                }
                store_radio_record(c, e.radio, quiet);
                ++r.cards;
                break;
            }
            case JournalEntry::Kind::kFinishLine: {
                bool there = false;
                for (int i = 0; i < lines.capacity() && lines[i] && !there; ++i)
                    there = same_line(*lines[i], e.line);
                if (there) {
                    ++r.already_there;
                    break;
                }
                // The line it changed, when that slot still holds it (a prepared blank line or
                // one with the same number); else a line of its own.
                int slot = e.slot;
                FinishLine* at = slot >= 0 && slot < lines.capacity() ? lines[slot] : nullptr;
                // The same slot with the same clock time holds this very line, edited after it
                // was journaled (a number typed into a clicked line): the file is newer.
                if (at && e.line.time() != 0 && at->time() == e.line.time()) {
                    ++r.already_there;
                    break;
                }
                bool same = at &&
                            (at->start_number == 0 || at->start_number == e.line.start_number) &&
                            (at->time() == 0 || at->time() == e.line.time());
                if (!same) {
                    slot = c.new_record(kFinishLines);
                    if (slot == kNoSlot) break;
                }
                *lines[slot] = e.line;
                ++r.finish_lines;
                break;
            }
        }
    }
    if (r.cards || r.finish_lines) {
        c.rebuild_number_index();
        c.count_finish_lines();
        c.modified = true;
    }
    return r;
}

}  // namespace skarvel
