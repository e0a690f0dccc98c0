#include "app/background_saver.h"

#include <system_error>

#include "core/atomic_file.h"
#include "core/long_names.h"
#include "core/wdb_file.h"
#include "platform/file_messages.h"
#include "platform/stall_scope.h"
#include "punch/finish_list.h"

namespace skarvel {

BackgroundSaver::BackgroundSaver(Environment env, QObject* parent)
    : QObject(parent), env_(std::move(env)) {
    writer = [](const std::string& path, const std::vector<std::uint8_t>& bytes, int* error) {
        return write_file_atomically(path, bytes.data(), bytes.size(), error);
    };
}

BackgroundSaver::~BackgroundSaver() {
    // The write is let finish (the file is whole either way); its end is not handled.
    if (worker_.joinable()) worker_.join();
}

SaveRequest BackgroundSaver::request() {
    if (env_.file_path().empty()) return SaveRequest::kNoFileName;
    if (in_flight_) {
        due_ = true;
        return SaveRequest::kStarted;
    }
    return start() ? SaveRequest::kStarted : SaveRequest::kFailed;
}

bool BackgroundSaver::start() {
    Competition& c = env_.competition;
    path_ = env_.file_path();
    std::vector<std::uint8_t> bytes = encode_wdb(c);
    std::string names = encode_long_names(c);
    std::uint64_t journal_mark = env_.journal.size();
    std::vector<JournalEntry> not_entered =
        env_.not_entered ? env_.not_entered() : std::vector<JournalEntry>{};
    // Every change from now on marks the competition again; so does a failed write.
    c.modified = false;
    ok_ = false;
    error_ = 0;
    std::uint64_t id = ++id_;
    try {
        worker_ =
            std::thread([this, id, path = path_, bytes = std::move(bytes), names = std::move(names),
                         write = writer, mark = journal_mark, keep = std::move(not_entered)] {
                int error = 0;
                // The long names go with the file (as save_wdb writes them).
                ok_ = write_long_names(path, names, &error) && write(path, bytes, &error);
                error_ = error;
                // Only what really is in the file leaves the journal (it may be written to while
                // it is trimmed: it has a lock).
                if (ok_) env_.journal.drop_first(journal_path_for(path), mark, keep);
                QMetaObject::invokeMethod(
                    this, [this, id] { finished(id); }, Qt::QueuedConnection);
            });
    } catch (const std::system_error& e) {
        c.modified = true;
        if (env_.modified_changed) env_.modified_changed();
        env_.prompts.message(file_error_message(env_.lang, env_.lang.text(Txt::kCannotWriteFile),
                                                path_, e.code().value()));
        return false;
    }
    in_flight_ = true;
    ++writes_;
    if (env_.modified_changed) env_.modified_changed();
    return true;
}

void BackgroundSaver::finished(std::uint64_t id) {
    if (!in_flight_ || id != id_) return;  // already handled by wait()
    StallScope named("autosave written");
    if (worker_.joinable()) worker_.join();
    in_flight_ = false;
    if (!ok_) {
        // A failed autosave must not pass silently: the judge relies on the file.
        due_ = false;
        env_.competition.modified = true;
        if (env_.modified_changed) env_.modified_changed();
        env_.prompts.message(
            file_error_message(env_.lang, env_.lang.text(Txt::kCannotWriteFile), path_, error_));
        return;
    }
    if (due_) {
        due_ = false;
        if (env_.file_path() == path_) start();
    }
}

void BackgroundSaver::wait() {
    due_ = false;
    if (in_flight_) finished(id_);
}

}  // namespace skarvel
