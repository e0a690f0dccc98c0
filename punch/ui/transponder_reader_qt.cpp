#include "punch/ui/transponder_reader_qt.h"

#include <QApplication>

#include "core/finish_results.h"
#include "platform/qt/qt_serial_port.h"
#include "platform/stall_scope.h"
#include "punch/ui/station_reader_qt.h"

namespace skarvel {

TransponderReaderQt::TransponderReaderQt(Environment env, QObject* parent)
    : QObject(parent), env_(std::move(env)) {
    retry_ = new QTimer(this);
    retry_->setSingleShot(true);
    retry_->setInterval(50);
    connect(retry_, &QTimer::timeout, this, [this] { apply_pending(); });
}

TransponderReaderQt::~TransponderReaderQt() {
    // At exit the competition may already be gone: passings that wait are dropped.
    closing_ = true;
    blockSignals(true);
    stop();
}

bool TransponderReaderQt::toggle() {
    if (running()) {
        stop();
        return false;
    }
    const std::string device = env_.device ? env_.device() : std::string();
    const int com = env_.com_number ? env_.com_number() : 0;
    // The port is this reader's until the worker has closed it.
    auto claim = std::make_shared<PortClaim>();
    Txt held_by = Txt::kPortHolderDecoder;
    if (!claim_serial_port(device, Txt::kPortHolderDecoder, *claim, &held_by)) {
        env_.prompts().message(port_busy_message(env_.prompts().lang(), device, held_by));
        return false;
    }
    stop_requested_ = false;
    thread_.reset(
        QThread::create([this, device, com, claim] { worker(device, com, std::move(claim)); }));
    thread_->start();
    return true;
}

void TransponderReaderQt::stop() {
    if (!thread_) return;
    // This call owns the thread from here on: a tidy-up the worker posted finds none.
    std::unique_ptr<QThread> thread = std::move(thread_);
    stop_requested_ = true;
    {
        std::lock_guard<std::mutex> lock(link_mutex_);
        if (link_) link_->request_stop();
    }
    thread->wait();
    thread.reset();
    emit reading_stopped();
}

void TransponderReaderQt::worker(std::string device, int com_number,
                                 std::shared_ptr<PortClaim> claim) {
    SerialOpenError error;
    auto port = open_serial_port(device, kDecoderBaud, &error);
    if (!port) {
        claim->release();
        finished_by_itself(QThread::currentThread(), device, error.code == 0 ? -1 : error.code,
                           com_number);
        return;
    }
    // Bytes that arrived before the reader started belong to nobody.
    port->discard_input();
    StationLink link(*port, timing);
    {
        std::lock_guard<std::mutex> lock(link_mutex_);
        link_ = &link;
        if (stop_requested_) link.request_stop();
    }
    if (on_listening) on_listening();
    DecoderReaderStats stats;
    run_transponder_reader(
        link,
        [this](const DecoderPassing& p) {
            {
                std::lock_guard<std::mutex> lock(incoming_mutex_);
                incoming_.push_back(p);
            }
            QMetaObject::invokeMethod(
                this, [this] { take_over(); }, Qt::QueuedConnection);
            return true;
        },
        stats, idle_ms);
    dropped_ += stats.dropped;
    {
        std::lock_guard<std::mutex> lock(link_mutex_);
        link_ = nullptr;
    }
    port->close();
    port.reset();
    claim->release();
    if (!stop_requested_) finished_by_itself(QThread::currentThread(), device, 0, com_number);
}

void TransponderReaderQt::finished_by_itself(QThread* self, const std::string& device,
                                             int open_error, int com_number) {
    // The port could not be opened (open_error != 0) or went away: the reader ends on the
    // owner's thread and says so, unless it was stopped meanwhile (then stop() tidied up).
    QMetaObject::invokeMethod(
        this,
        [this, self, device, open_error, com_number] {
            if (!thread_ || thread_.get() != self) return;
            thread_->wait();
            thread_.reset();
            if (open_error == 0) emit port_lost(QString::fromStdString(device));
            emit reading_stopped();
            if (open_error != 0 && !closing_)
                env_.prompts().message(
                    port_open_failed_message(env_.prompts().lang(), com_number, open_error));
        },
        Qt::QueuedConnection);
}

void TransponderReaderQt::take_over() {
    std::vector<DecoderPassing> passings;
    {
        std::lock_guard<std::mutex> lock(incoming_mutex_);
        passings.swap(incoming_);
    }
    if (closing_) return;
    if (env_.arrived && !passings.empty()) env_.arrived(passings);
    const std::uint64_t generation =
        env_.competition_generation ? env_.competition_generation() : 0;
    for (const DecoderPassing& p : passings) pending_.push_back({p, generation});
    apply_pending();
}

void TransponderReaderQt::apply_pending(bool at_command_top) {
    if (applying_ || closing_ || pending_.empty()) return;
    StallScope named("transponder passings");
    const bool may = env_.may_apply && !at_command_top
                         ? env_.may_apply()
                         : QApplication::activeModalWidget() == nullptr &&
                               QApplication::activePopupWidget() == nullptr;
    if (!may) {
        retry_->start();
        return;
    }
    applying_ = true;
    Competition& c = env_.competition();
    const std::uint64_t generation =
        env_.competition_generation ? env_.competition_generation() : 0;
    int written = 0;
    while (!pending_.empty()) {
        const Arrival a = pending_.front();
        pending_.pop_front();
        if (a.competition != generation) {
            ++orphaned_;
            continue;
        }
        const PassingOutcome out = store_passing(c, a.passing, false);
        ++written;
        ++written_;
        if (env_.passing_written) env_.passing_written(a.passing, out);
    }
    if (written > 0) {
        finish_data_changed(c);
        if (env_.changed) env_.changed();
    }
    applying_ = false;
}

}  // namespace skarvel
