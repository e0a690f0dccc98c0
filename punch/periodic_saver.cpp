#include "punch/periodic_saver.h"

#include <system_error>

#include "core/atomic_file.h"
#include "core/long_names.h"
#include "core/wdb_file.h"

namespace skarvel {

PeriodicSaver::PeriodicSaver(Competition& c, CardJournal& journal, std::string path,
                             std::function<void(int)> failed, std::chrono::milliseconds interval)
    : c_(c),
      journal_(journal),
      path_(std::move(path)),
      failed_(std::move(failed)),
      interval_(interval) {
    writer = [](const std::string& path, const std::vector<std::uint8_t>& bytes, int* error) {
        return write_file_atomically(path, bytes.data(), bytes.size(), error);
    };
}

PeriodicSaver::~PeriodicSaver() {
    // The write under way is let finish: the file is whole either way.
    if (worker_.joinable()) worker_.join();
}

void PeriodicSaver::between_cards(Clock::time_point now) {
    collect(false);
    if (!c_.modified || worker_.joinable()) return;
    if (started_once_ && now - last_start_ < interval_) return;
    start(now);
}

bool PeriodicSaver::finish() {
    collect(true);
    if (c_.modified) {
        start(Clock::now());
        collect(true);
    }
    return !c_.modified;
}

void PeriodicSaver::start(Clock::time_point now) {
    // The snapshot, and how much of the journal it holds: only that leaves the journal after
    // the write (cards journaled meanwhile stay).
    std::vector<std::uint8_t> bytes = encode_wdb(c_);
    std::string names = encode_long_names(c_);
    const std::uint64_t journal_mark = journal_.size();
    c_.modified = false;
    last_start_ = now;
    started_once_ = true;
    done_ = false;
    try {
        worker_ =
            std::thread([this, bytes = std::move(bytes), names = std::move(names), journal_mark] {
                int error = 0;
                // The long names first, as a save by hand: when they cannot be written the
                // competition file is left as it was.
                ok_ = write_long_names(path_, names, &error) && writer(path_, bytes, &error);
                error_ = error;
                if (ok_) journal_.drop_first(journal_path_for(path_), journal_mark, {});
                done_ = true;
            });
    } catch (const std::system_error& e) {
        c_.modified = true;
        ++failures_;
        if (failed_) failed_(e.code().value());
        return;
    }
    ++writes_;
}

void PeriodicSaver::collect(bool wait) {
    if (!worker_.joinable() || (!wait && !done_)) return;
    worker_.join();
    if (ok_) return;
    // The changes are still to be written: the next turn tries again.
    c_.modified = true;
    ++failures_;
    if (failed_) failed_(error_);
}

}  // namespace skarvel
