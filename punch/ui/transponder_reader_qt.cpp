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
    connect(&holder_, &WorkerHolder::ended, this, &TransponderReaderQt::ended);
}

TransponderReaderQt::~TransponderReaderQt() {
    // At exit the competition may already be gone: passings that wait are dropped.
    closing_ = true;
    blockSignals(true);
    holder_.stop_and_wait();
}

bool TransponderReaderQt::toggle() {
    if (running()) {
        stop();
        return false;
    }
    const std::string device = env_.device ? env_.device() : std::string();
    // The port is this reader's until the worker has closed it.
    WorkerHolder::Start started =
        holder_.start(device, Txt::kPortHolderDecoder,
                      [this, device](WorkerHolder::Job& job) { return worker(job, device); });
    if (!started.started) {
        env_.prompts().message(port_busy_message(env_.prompts().lang(), device, started.held_by));
        return false;
    }
    device_ = device;
    com_number_ = env_.com_number ? env_.com_number() : 0;
    return true;
}

void TransponderReaderQt::stop() {
    if (!running()) return;
    holder_.stop();
    emit reading_stopped();
}

int TransponderReaderQt::worker(WorkerHolder::Job& job, const std::string& device) {
    SerialOpenError error;
    auto port = open_serial_port(device, kDecoderBaud, &error);
    if (!port) return error.code == 0 ? -1 : error.code;
    // Bytes that arrived before the reader started belong to nobody.
    port->discard_input();
    StationLink link(*port, timing);
    job.set_stopper([&link] { link.request_stop(); });
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
    job.clear_stopper();
    port->close();
    return kPortWentAway;
}

void TransponderReaderQt::ended(int code) {
    // The port could not be opened, went away or stayed held: the reader says so.
    if (code == kPortWentAway) emit port_lost(QString::fromStdString(device_));
    emit reading_stopped();
    std::string message =
        reader_end_message(env_.prompts().lang(), holder_, code, com_number_, device_);
    if (!message.empty() && !closing_) env_.prompts().message(message);
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
