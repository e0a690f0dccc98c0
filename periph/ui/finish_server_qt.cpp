#include "periph/ui/finish_server_qt.h"

#include <QMetaObject>
#include <QThread>
#include <QTimer>
#include <QUdpSocket>
#include <QVariant>

#include "core/text_format.h"
#include "platform/port_registry.h"
#include "platform/qt/qt_text.h"

namespace skarvel {

namespace {

// Room for a few thousand datagrams while the receive thread is not scheduled.
constexpr int kReceiveBufferBytes = 4 * 1024 * 1024;
// How often the receive thread looks at the stop flag, and how soon a batch that had to wait
// for a dialog is tried again (milliseconds).
constexpr int kPollMs = 100;
constexpr int kRetryMs = 50;

std::string bind_failure(const LanguageTable& lang, int port, const QUdpSocket& socket) {
    std::string reason;
    if (socket.error() == QAbstractSocket::SocketAccessError)
        reason = std::string(lang.text(Txt::kNetPermissionDenied));
    else if (socket.error() == QAbstractSocket::AddressInUseError)
        reason = std::string(lang.text(Txt::kNetAddressInUse));
    else
        reason = cp(socket.errorString());
    return strf_view(lang.text(Txt::kNetBindFailed), port, reason.c_str());
}

}  // namespace

// The end codes of the receive thread.
constexpr int kReceiveEnded = 0;
constexpr int kBindFailed = 1;

FinishServerQt::FinishServerQt(Environment env, QObject* parent)
    : QObject(parent), env_(std::move(env)) {
    connect(&holder_, &WorkerHolder::ended, this, &FinishServerQt::ended);
}

FinishServerQt::~FinishServerQt() {
    // Only the thread ends here: the window the datagrams would go to is being destroyed.
    holder_.blockSignals(true);
    holder_.stop_and_wait();
}

bool FinishServerQt::start(const QHostAddress& address, int port) {
    if (running()) return false;
    receiver_.reset();
    bound_port_ = 0;
    port_asked_ = port;
    {
        std::lock_guard lock(mutex_);
        receive_error_.reset();
        bind_error_.clear();
        queue_.reset_counts();
        overflow_told_ = 0;
    }
    WorkerHolder::Start started = holder_.start_udp(
        port, Txt::kPortHolderServer,
        [this, address, port](WorkerHolder::Job& job) { return receive(job, address, port); });
    if (!started.started && env_.start_failed)
        env_.start_failed(
            port_busy_message(*env_.lang, "UDP " + std::to_string(port), started.held_by));
    return started.started;
}

int FinishServerQt::receive(WorkerHolder::Job& job, const QHostAddress& address, int port) {
    QUdpSocket socket;
    // Not shared: a second program on the port must fail here, not take half the datagrams.
    if (!socket.bind(address, static_cast<quint16>(port), QAbstractSocket::DontShareAddress)) {
        std::lock_guard lock(mutex_);
        bind_error_ = bind_failure(*env_.lang, port, socket);
        return kBindFailed;
    }
    socket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption,
                           QVariant(kReceiveBufferBytes));
    const int bound = socket.localPort();
    bound_port_ = bound;
    QMetaObject::invokeMethod(
        this,
        [this, self = job.shared_from_this(), bound] {
            if (holder_.current(*self)) emit listening(bound);
        },
        Qt::QueuedConnection);
    std::vector<std::uint8_t> buffer(kFinishDatagramSize + 1);
    while (!job.stop_requested()) {
        if (!socket.hasPendingDatagrams() && !socket.waitForReadyRead(kPollMs)) {
            if (socket.error() == QAbstractSocket::SocketTimeoutError) continue;
            receive_failed(cp(socket.errorString()));
            // Nothing more is received, but the server stays on (and its command ticked)
            // until the operator stops it.
            socket.close();
            while (!job.stop_requested()) QThread::msleep(kPollMs);
            break;
        }
        std::vector<std::vector<std::uint8_t>> got;
        while (socket.hasPendingDatagrams()) {
            // One byte more than a datagram holds: a longer one is seen as such and dropped.
            qint64 n = socket.readDatagram(reinterpret_cast<char*>(buffer.data()),
                                           static_cast<qint64>(buffer.size()));
            if (n < 0) break;
            got.emplace_back(buffer.begin(), buffer.begin() + n);
        }
        if (got.empty()) continue;
        std::lock_guard lock(mutex_);
        for (auto& d : got) queue_.push(d);
        queue_apply();
    }
    return kReceiveEnded;
}

void FinishServerQt::queue_apply() {
    if (apply_scheduled_) return;
    apply_scheduled_ = true;
    QMetaObject::invokeMethod(
        this, [this] { apply_queued(); }, Qt::QueuedConnection);
}

void FinishServerQt::stop() {
    holder_.stop();
    apply_queued();
}

FinishServerCounts FinishServerQt::counts() const {
    FinishServerCounts n = receiver_.counts();
    std::lock_guard lock(mutex_);
    const FinishQueue::Counts& q = queue_.counts();
    n.received += q.repeats + q.malformed + q.overflow;
    n.duplicates += q.repeats;
    n.dropped += q.malformed + q.overflow;
    return n;
}

void FinishServerQt::ended(int code) {
    std::string why;
    if (code == kBindFailed) {
        std::lock_guard lock(mutex_);
        why.swap(bind_error_);
    } else if (code == WorkerHolder::kPortNotFree) {
        why = port_not_free_message(*env_.lang, "UDP " + std::to_string(port_asked_),
                                    holder_.port_kept_by());
    }
    if (!why.empty() && env_.start_failed) env_.start_failed(why);
    emit stopped();
}

void FinishServerQt::receive_failed(const std::string& reason) {
    std::lock_guard lock(mutex_);
    receive_error_ = reason;
    queue_apply();
}

void FinishServerQt::schedule_apply() {
    QTimer::singleShot(kRetryMs, this, [this] { apply_queued(); });
}

void FinishServerQt::apply_queued() {
    if (env_.may_change_tables && !env_.may_change_tables()) {
        schedule_apply();
        return;
    }
    std::vector<std::vector<std::uint8_t>> batch;
    std::optional<std::string> error;
    std::int64_t overflow = 0;
    {
        std::lock_guard lock(mutex_);
        batch = queue_.take();
        apply_scheduled_ = false;
        error.swap(receive_error_);
        overflow = queue_.counts().overflow - overflow_told_;
        overflow_told_ = queue_.counts().overflow;
    }
    if (!batch.empty()) {
        receiver_.joined_to = env_.joined_to ? env_.joined_to() : std::string();
        receiver_.store_all(env_.competition(), batch);
        if (env_.changed) env_.changed();
        emit stored();
    }
    if (overflow > 0 && env_.overflowed) env_.overflowed(overflow);
    if (error && env_.failed)
        env_.failed(strf_view(env_.lang->text(Txt::kNetRecvFailed), error->c_str()));
}

}  // namespace skarvel
