#include "punch/ui/personaliser_qt.h"

#include "platform/qt/qt_serial_port.h"
#include "punch/extended_link.h"

namespace skarvel {

PersonaliserQt::PersonaliserQt(QObject* parent) : QObject(parent) {
    qRegisterMetaType<skarvel::PersonaliseResult>("skarvel::PersonaliseResult");
}

PersonaliserQt::~PersonaliserQt() {
    stop();
}

bool PersonaliserQt::start(const std::string& device, int baud, int com_number,
                           const PersonalDataBlock& block, std::shared_ptr<PortClaim> claim) {
    if (thread_) return false;
    stop_ = false;
    PersonaliseTiming pacing = timing;
    thread_.reset(QThread::create([this, device, baud, com_number, block, pacing, claim] {
        SerialOpenError error;
        auto port = open_serial_port(device, baud, &error);
        PersonaliseResult result;
        int port_error = -1;
        if (!port) {
            port_error = error.code;
        } else {
            port->discard_input();
            StationLinkTiming link_timing;
            link_timing.byte_timeout_ms = kPersonaliseByteTimeoutMs;
            StationLink link(*port, link_timing);
            {
                std::lock_guard<std::mutex> lock(link_mutex_);
                link_ = &link;
                if (stop_) link.request_stop();
            }
            // The extended protocol has no card writes: such a station is left as it is.
            if (start_station(link, baud).extended())
                result.kind = PersonaliseResult::Kind::kExtendedProtocol;
            else
                result = write_personal_data(link, block, pacing);
            {
                std::lock_guard<std::mutex> lock(link_mutex_);
                link_ = nullptr;
            }
            port->close();
        }
        if (claim) claim->release();
        if (stop_) return;
        QThread* self = QThread::currentThread();
        QMetaObject::invokeMethod(
            this,
            [this, self, port_error, com_number, result] {
                if (!thread_ || thread_.get() != self) return;
                thread_->wait();
                thread_.reset();
                emit finished(port_error, com_number, result);
            },
            Qt::QueuedConnection);
    }));
    thread_->start();
    return true;
}

void PersonaliserQt::stop() {
    if (!thread_) return;
    std::unique_ptr<QThread> thread = std::move(thread_);
    stop_ = true;
    {
        std::lock_guard<std::mutex> lock(link_mutex_);
        if (link_) link_->request_stop();
    }
    thread->wait();
}

}  // namespace skarvel
