#include "shared/sync_driver.h"

#include <algorithm>

namespace skarvel::shared {

SyncDriver::SyncDriver(std::string conninfo, Writer writer, Competition& c, const Snapshot& s,
                       std::function<void()> arrived, const std::string& outbox, pg::Connection* db)
    : core_(writer.origin) {
    std::vector<ChangeSet> left;
    if (!outbox.empty()) left = OutboxFile::read(outbox);
    std::uint64_t next = 1;
    for (const ChangeSet& cs : left) next = std::max(next, cs.seq + 1);
    // Numbers the server has seen from this computer are never given again, even when the
    // outbox lost its last entries (killed before they reached the disk): a new change set
    // under an old number would be taken for the old one and dropped.
    if (db)
        if (std::int64_t last = last_stored_seq(*db, writer.origin); last > 0)
            next = std::max(next, static_cast<std::uint64_t>(last) + 1);
    core_.joined(c, s, next);
    if (!left.empty() && db) {
        // What waited when this computer last ran goes first, in order (a set the server
        // stored before its answer was lost is recognised and stored once).
        for (ChangeSet& cs : left) core_.requeue(std::move(cs));
        for (int round = 0; round < 8 && core_.waiting() > 0; ++round)
            if (!sync_step(core_, c, *db, writer)) break;
    }
    if (!outbox.empty() && outbox_.open(outbox)) {
        if (core_.waiting() == 0) outbox_.clear();
        core_.on_queued = [this](const ChangeSet& cs) { outbox_.append(cs); };
        core_.on_done = [this](std::uint64_t seq) { outbox_.done(seq); };
    }
    link_ = std::make_unique<SyncLink>(std::move(conninfo), std::move(writer), core_.last_change(),
                                       std::move(arrived));
}

SyncDriver::~SyncDriver() {
    link_.reset();  // the worker ends before the bookkeeping it reports to
}

std::uint64_t SyncDriver::capture(Competition& c, bool background) {
    std::uint64_t seq = core_.capture(c, background);
    pump();
    return seq;
}

void SyncDriver::pump() {
    if (link_->busy() || core_.in_flight() || core_.waiting() == 0) return;
    std::vector<ChangeSet> batch = core_.take_batch();
    if (!batch.empty() && !link_->send(std::move(batch))) core_.batch_lost();
}

SyncDriver::Round SyncDriver::process(Competition& c) {
    Round round;
    // What changed here first, so that the rows coming in are merged with it.
    core_.capture(c);
    SyncLink::Arrived a = link_->take();
    if (a.lost) core_.batch_lost();
    auto add = [&round](const Applied& x) {
        round.applied.rows += x.rows;
        round.applied.finish_data = round.applied.finish_data || x.finish_data;
        round.applied.info = round.applied.info || x.info;
    };
    if (a.answered) {
        add(core_.settle(c, a.outcomes));
        const auto& refusals = core_.refusals();
        for (; refusals_told_ < refusals.size(); ++refusals_told_)
            round.refusals.push_back(refusals[refusals_told_]);
    }
    if (!a.rows.empty() || a.last_change > core_.last_change())
        add(core_.apply(c, a.rows, a.last_change));
    bool was = connected_;
    connected_ = a.connected;
    pump();
    round.all_stored = a.answered && core_.waiting() == 0;
    if (round.all_stored) outbox_.clear();
    round.state_changed = was != connected_ || core_.waiting() != last_waiting_;
    last_waiting_ = core_.waiting();
    return round;
}

}  // namespace skarvel::shared
