#include "shared/sync_core.h"

#include <algorithm>

namespace skarvel::shared {

namespace {

void add_up(Applied& total, const Applied& a) {
    total.rows += a.rows;
    total.finish_data = total.finish_data || a.finish_data;
    total.info = total.info || a.info;
}

std::size_t size_of(const ChangeSet& cs) {
    std::size_t n = 64;
    for (const Change& c : cs.changes) n += 32 + c.base.size() + c.data.size();
    return n;
}

}  // namespace

SyncCore::SyncCore(std::string origin) : mirror_(std::move(origin)) {}

void SyncCore::joined(const Competition& c, const Snapshot& s, std::uint64_t next_seq) {
    mirror_.adopt(c, s);
    last_change_ = s.change;
    next_seq_ = std::max<std::uint64_t>(next_seq_, next_seq);
}

std::uint64_t SyncCore::capture(Competition& c, bool background) {
    ChangeSet cs = mirror_.capture(c, next_seq_);
    if (cs.changes.empty()) return 0;
    cs.background = background;
    ++next_seq_;
    queue_.push_back(std::move(cs));
    if (on_queued) on_queued(queue_.back());
    return queue_.back().seq;
}

void SyncCore::requeue(ChangeSet cs) {
    next_seq_ = std::max(next_seq_, cs.seq + 1);
    queue_.push_back(std::move(cs));
}

void SyncCore::queue_changes(std::vector<Change> changes, bool background) {
    if (changes.empty()) return;
    ChangeSet cs;
    cs.seq = next_seq_++;
    cs.background = background;
    cs.changes = std::move(changes);
    queue_.push_back(std::move(cs));
    if (on_queued) on_queued(queue_.back());
}

std::vector<ChangeSet> SyncCore::take_batch(std::size_t max_bytes) {
    std::vector<ChangeSet> batch;
    if (in_flight_ > 0) return batch;
    std::size_t bytes = 0;
    for (const ChangeSet& cs : queue_) {
        std::size_t n = size_of(cs);
        if (!batch.empty() && bytes + n > max_bytes) break;
        batch.push_back(cs);
        bytes += n;
    }
    in_flight_ = batch.size();
    return batch;
}

void SyncCore::batch_lost() {
    in_flight_ = 0;
}

Applied SyncCore::settle(Competition& c, const std::vector<ChangeSetOutcome>& outcomes) {
    Applied total;
    std::vector<Change> resend;
    bool background = false;
    for (const ChangeSetOutcome& o : outcomes) {
        if (queue_.empty() || in_flight_ == 0) break;
        ChangeSet cs = std::move(queue_.front());
        queue_.pop_front();
        --in_flight_;
        if (cs.seq != o.seq) continue;  // not ours: never happens
        std::vector<Conflict> found;
        add_up(total, mirror_.settle(c, cs, o, resend, found));
        background = background || cs.background;
        for (Conflict& k : found) conflicts_.push_back(std::move(k));
        if (o.stored) {
            stored_upto_ = std::max(stored_upto_, cs.seq);
        } else {
            refusals_.push_back("change set " + std::to_string(cs.seq) + ": " + o.error);
        }
        if (on_done) on_done(cs.seq);
    }
    // Answers missing for the rest of the batch: those go again.
    in_flight_ = 0;
    queue_changes(std::move(resend), background);
    // Ids given anew change the records that name them: those go as a change of their own
    // before any row coming in could take their place.
    if (total.rows > 0) capture(c, background);
    return total;
}

Applied SyncCore::apply(Competition& c, const std::vector<ServerRow>& rows,
                        std::int64_t last_change) {
    Applied a = mirror_.apply(c, rows);
    last_change_ = std::max(last_change_, last_change);
    return a;
}

Applied SyncCore::decide(Competition& c, bool keep_mine) {
    Applied a;
    if (conflicts_.empty()) return a;
    Conflict k = std::move(conflicts_.front());
    conflicts_.pop_front();
    if (keep_mine)
        queue_changes(mirror_.keep_mine(c, k), k.background);
    else
        a = mirror_.take_theirs(c, k);
    return a;
}

bool sync_step(SyncCore& core, Competition& c, pg::Connection& db, const Writer& w,
               Applied* applied) {
    Applied total;
    core.capture(c);
    // Merged changes go again at once, until nothing waits.
    for (int round = 0; round < 8 && core.waiting() > 0; ++round) {
        std::vector<ChangeSet> batch = core.take_batch();
        std::vector<ChangeSetOutcome> out = store_change_sets(db, w, batch);
        if (out.empty()) {
            core.batch_lost();
            return false;
        }
        add_up(total, core.settle(c, out));
    }
    std::vector<ServerRow> rows;
    std::int64_t last = 0;
    std::string error;
    if (!pull_changes(db, core.last_change(), rows, last, error)) return false;
    add_up(total, core.apply(c, rows, last));
    if (applied) *applied = total;
    return true;
}

}  // namespace skarvel::shared
