#include "platform/qt/worker_holder.h"

#include <QThread>
#include <algorithm>
#include <chrono>

namespace skarvel {

void WorkerHolder::Job::set_stopper(std::function<void()> stopper) {
    std::lock_guard<std::mutex> lock(mutex_);
    stopper_ = std::move(stopper);
    if (stop_) stopper_();
}

void WorkerHolder::Job::clear_stopper() {
    std::lock_guard<std::mutex> lock(mutex_);
    stopper_ = nullptr;
}

void WorkerHolder::Job::stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
    if (stopper_) stopper_();
    claim_.mark_ending();
}

WorkerHolder::WorkerHolder(QObject* parent) : QObject(parent) {}

WorkerHolder::~WorkerHolder() {
    stop_and_wait();
}

WorkerHolder::Start WorkerHolder::start(const std::string& port, Txt holder, Work work) {
    if (running()) return {};
    auto job = std::make_shared<Job>();
    Txt held_by = holder;
    ClaimResult claimed = claim_serial_port_queued(port, holder, job->claim_, &held_by);
    return launch(std::move(job), claimed, held_by, std::move(work));
}

WorkerHolder::Start WorkerHolder::start_udp(int udp_port, Txt holder, Work work) {
    if (running()) return {};
    auto job = std::make_shared<Job>();
    Txt held_by = holder;
    ClaimResult claimed = claim_udp_port_queued(udp_port, holder, job->claim_, &held_by);
    return launch(std::move(job), claimed, held_by, std::move(work));
}

WorkerHolder::Start WorkerHolder::launch(std::shared_ptr<Job> job, ClaimResult claimed, Txt held_by,
                                         Work work) {
    if (claimed == ClaimResult::kBusy) return {false, held_by};
    current_ = job;
    QThread* thread =
        QThread::create([job, claimed, wait_ms = port_wait_ms, work = std::move(work)] {
            if (claimed == ClaimResult::kQueued &&
                !job->claim_.wait_until_held(
                    std::chrono::milliseconds(wait_ms), [&job] { return job->stop_requested(); },
                    &job->kept_by_)) {
                job->code_ = kPortNotFree;
                return;
            }
            job->code_ = work(*job);
            // The work has closed its port by now.
            job->claim_.release();
        });
    std::uint64_t id = ++last_run_;
    connect(thread, &QThread::finished, this, [this, id] { thread_finished(id); });
    runs_.push_back({std::move(job), thread, id});
    thread->start();
    return {true, held_by};
}

void WorkerHolder::stop() {
    if (!current_) return;
    std::shared_ptr<Job> job = std::move(current_);
    job->stop();
}

void WorkerHolder::stop_and_wait() {
    stop();
    for (Run& r : runs_) {
        r.thread->wait();
        delete r.thread;
    }
    runs_.clear();
}

int WorkerHolder::threads() const {
    return static_cast<int>(runs_.size());
}

void WorkerHolder::thread_finished(std::uint64_t id) {
    auto it = std::find_if(runs_.begin(), runs_.end(), [id](const Run& r) { return r.id == id; });
    if (it == runs_.end()) return;
    Run run = *it;
    runs_.erase(it);
    // Its function has returned: this wait is the thread's last instant.
    run.thread->wait();
    delete run.thread;
    if (run.job != current_) return;
    current_.reset();
    kept_by_ = run.job->kept_by_;
    emit ended(run.job->code_);
}

}  // namespace skarvel
