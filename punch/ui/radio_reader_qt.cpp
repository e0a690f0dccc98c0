#include "punch/ui/radio_reader_qt.h"

#include <QApplication>

#include "platform/qt/qt_serial_port.h"
#include "platform/stall_scope.h"
#include "punch/ui/station_reader_qt.h"

namespace skarvel {

namespace {

std::string with_device(std::string_view format, const std::string& device) {
    std::string text(format);
    auto at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, device);
    return text;
}

}  // namespace

RadioReaderQt::RadioReaderQt(Environment env, QObject* parent)
    : QObject(parent), env_(std::move(env)) {
    retry_ = new QTimer(this);
    retry_->setSingleShot(true);
    retry_->setInterval(50);
    connect(retry_, &QTimer::timeout, this, [this] { apply_pending(); });
    connect(&holder_, &WorkerHolder::ended, this, &RadioReaderQt::ended);
}

RadioReaderQt::~RadioReaderQt() {
    // At exit the competition and the prompts may already be gone: nothing more is stored.
    closing_ = true;
    holder_.stop_and_wait();
}

bool RadioReaderQt::toggle() {
    Prompts& prompts = env_.prompts();
    if (running()) {
        stop();
        prompts.message(prompts.text(Txt::kRadioReadingOff));
        return false;
    }
    std::string device = env_.device ? env_.device() : std::string();
    // The port is this reader's until the worker has closed it.
    WorkerHolder::Start started =
        holder_.start(device, Txt::kPortHolderRadio,
                      [this, device](WorkerHolder::Job& job) { return worker(job, device); });
    if (!started.started) {
        prompts.message(port_busy_message(prompts.lang(), device, started.held_by));
        return false;
    }
    device_ = device;
    return true;
}

void RadioReaderQt::stop() {
    if (!running()) return;
    holder_.stop();
    emit reading_stopped();
}

void RadioReaderQt::ended(int code) {
    if (code == kPortWentAway) emit port_lost(QString::fromStdString(device_));
    emit reading_stopped();
    std::string message = reader_end_message(env_.prompts().lang(), holder_, code,
                                             env_.com_number ? env_.com_number() : 0, device_);
    if (!message.empty() && !closing_) env_.prompts().message(message);
}

int RadioReaderQt::worker(WorkerHolder::Job& job, const std::string& device) {
    SerialOpenError error;
    auto port = open_serial_port(device, kModemBaud, &error);
    if (!port) return error.code == 0 ? -1 : error.code;
    // Said once the port is open (and only while this worker is still the running one).
    QMetaObject::invokeMethod(
        this,
        [this, self = job.shared_from_this(), device] {
            if (closing_ || !holder_.current(*self)) return;
            Prompts& prompts = env_.prompts();
            prompts.message(with_device(prompts.text(Txt::kRadioReadingOn), device));
        },
        Qt::QueuedConnection);
    port->discard_input();
    StationLink link(*port, timing);
    job.set_stopper([&link] { link.request_stop(); });
    run_radio_reader(
        link,
        [this](const RadioMessage& m) {
            hand_over(m);
            return true;
        },
        pauses);
    job.clear_stopper();
    port->close();
    return kPortWentAway;
}

void RadioReaderQt::hand_over(RadioMessage m) {
    {
        std::lock_guard<std::mutex> lock(incoming_mutex_);
        incoming_.push_back(std::move(m));
    }
    QMetaObject::invokeMethod(
        this, [this] { take_over(); }, Qt::QueuedConnection);
}

void RadioReaderQt::take_over() {
    std::vector<RadioMessage> messages;
    {
        std::lock_guard<std::mutex> lock(incoming_mutex_);
        messages.swap(incoming_);
    }
    if (closing_) return;
    std::uint64_t generation = env_.competition_generation ? env_.competition_generation() : 0;
    for (RadioMessage& m : messages) {
        if (env_.arrived) env_.arrived(m);
        pending_.push_back({std::move(m), generation});
    }
    apply_pending();
}

void RadioReaderQt::apply_pending(bool at_command_top) {
    if (applying_ || closing_ || pending_.empty()) return;
    StallScope named("radio record hand-over");
    bool may = at_command_top || !env_.may_apply ? QApplication::activeModalWidget() == nullptr &&
                                                       QApplication::activePopupWidget() == nullptr
                                                 : env_.may_apply();
    if (!may) {
        retry_->start();
        return;
    }
    applying_ = true;
    std::uint64_t generation = env_.competition_generation ? env_.competition_generation() : 0;
    std::vector<RadioMessage> orphans;
    std::vector<RadioMessage> ready;
    while (!pending_.empty()) {
        Pending p = std::move(pending_.front());
        pending_.pop_front();
        (p.competition == generation ? ready : orphans).push_back(std::move(p.message));
    }
    if (!orphans.empty() && env_.orphaned && env_.orphaned(orphans))
        ready.insert(ready.begin(), orphans.begin(), orphans.end());
    Competition& c = env_.competition();
    for (const RadioMessage& m : ready) {
        if (closing_) break;
        std::vector<RadioRecordOutcome> outs = store_radio_message(c, m, env_.prompts());
        for (std::size_t i = 0; i < outs.size(); ++i) {
            ++records_stored_;
            if (env_.record_stored) env_.record_stored(m.records[i], outs[i]);
        }
        if (m.dropped) {
            records_dropped_ += m.dropped;
            if (env_.dropped) env_.dropped(m.dropped);
        }
        if (env_.changed) env_.changed();
    }
    applying_ = false;
    if (!pending_.empty()) retry_->start();
}

}  // namespace skarvel
