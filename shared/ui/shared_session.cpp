#include "shared/ui/shared_session.h"

#include <QPointer>

#include "core/text_format.h"
#include "platform/stall_scope.h"

namespace skarvel {

SharedSession::SharedSession(Environment env, Join join, Competition& c,
                             const shared::Snapshot& snapshot, pg::Connection* db, QObject* parent)
    : QObject(parent), env_(std::move(env)), join_(std::move(join)) {
    capture_timer_ = new QTimer(this);
    capture_timer_->setSingleShot(true);
    connect(capture_timer_, &QTimer::timeout, this, [this] {
        if (!env_.may_apply()) {
            capture_timer_->start(50);
            return;
        }
        capture_now();
    });
    retry_timer_ = new QTimer(this);
    retry_timer_->setSingleShot(true);
    retry_timer_->setInterval(50);
    connect(retry_timer_, &QTimer::timeout, this, [this] { process(); });
    conflict_timer_ = new QTimer(this);
    conflict_timer_->setSingleShot(true);
    connect(conflict_timer_, &QTimer::timeout, this, [this] { ask_conflicts(); });

    QPointer<SharedSession> self(this);
    driver_ = std::make_unique<shared::SyncDriver>(
        join_.conninfo, shared::Writer{join_.origin, join_.host}, c, snapshot,
        [self] {
            // On the worker's thread: the window takes it in on its own.
            QMetaObject::invokeMethod(
                self,
                [self] {
                    if (self) self->process();
                },
                Qt::QueuedConnection);
        },
        join_.outbox, db);
}

SharedSession::~SharedSession() {
    driver_.reset();  // the worker ends first: nothing calls back any more
}

void SharedSession::changed() {
    // Rows of the other computers going in are no change of this one.
    if (processing_ || asking_) return;
    if (!capture_timer_->isActive()) capture_timer_->start(0);
}

std::uint64_t SharedSession::capture_now(bool background) {
    StallScope named("shared capture");
    std::uint64_t seq = driver_->capture(env_.competition(), background);
    if (driver_->waiting() != last_waiting_) {
        last_waiting_ = driver_->waiting();
        emit state_changed();
    }
    return seq;
}

bool SharedSession::wait_stored(std::uint64_t seq, std::chrono::milliseconds timeout) {
    return driver_->wait_stored(seq, timeout);
}

std::string SharedSession::status_text(const LanguageTable& lang) const {
    if (driver_->connected()) return std::string(lang.text(Txt::kSharedConnected));
    return strf_view(lang.text(Txt::kSharedNotConnected), driver_->waiting());
}

void SharedSession::process() {
    if (processing_) return;
    if (!env_.may_apply()) {
        retry_timer_->start();
        return;
    }
    processing_ = true;
    StallScope named("shared rows");
    if (env_.before_changes) env_.before_changes();
    shared::SyncDriver::Round r = driver_->process(env_.competition());
    if (r.applied.rows > 0 && env_.changed) env_.changed(r.applied);
    for (const std::string& why : r.refusals)
        if (env_.refused) env_.refused(why);
    if (r.all_stored && env_.all_stored) env_.all_stored();
    processing_ = false;
    if (r.state_changed || driver_->waiting() != last_waiting_) {
        last_waiting_ = driver_->waiting();
        emit state_changed();
    }
    if (!driver_->core().conflicts().empty()) conflict_timer_->start(0);
}

void SharedSession::ask_conflicts() {
    shared::SyncCore& core = driver_->core();
    if (asking_ || core.conflicts().empty()) return;
    if (!env_.may_apply()) {
        conflict_timer_->start(200);
        return;
    }
    asking_ = true;
    while (!core.conflicts().empty()) {
        int answer = env_.decide ? env_.decide(core.conflicts().front()) : -1;
        if (answer < 0) {
            // Not decided: the conflict stays and is put again in a minute.
            conflict_timer_->start(60000);
            break;
        }
        if (env_.before_changes) env_.before_changes();
        shared::Applied a = core.decide(env_.competition(), answer == 1);
        if (a.rows > 0 && env_.changed) env_.changed(a);
    }
    asking_ = false;
    capture_now();
}

}  // namespace skarvel
