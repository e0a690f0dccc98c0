#include "periph/ui/finish_client_qt.h"

#include <QHostInfo>

#include "platform/qt/qt_text.h"

namespace skarvel {

namespace {
// How soon a step that had to wait for a dialog is tried again (milliseconds).
constexpr int kRetryMs = 50;
}  // namespace

FinishClientQt::FinishClientQt(Environment env, QObject* parent)
    : QObject(parent), env_(std::move(env)) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (pass_active_)
            step();
        else
            start_pass();
    });
}

bool FinishClientQt::start(const Options& options) {
    if (running_) return true;
    options_ = options;
    std::string name =
        options.server_name.empty() ? finish_server_name(env_.competition()) : options.server_name;
    switch (classify_server_name(name)) {
        case ServerNameKind::kEmpty:
            fail(Txt::kNetBadServerName);
            return false;
        case ServerNameKind::kRefused:
            fail(Txt::kNetCannotResolve);
            return false;
        case ServerNameKind::kIpv4:
            running_ = true;
            // A pass may end (and "однократно" stop the client) before this returns.
            return resolved(QHostAddress(QString::fromLatin1(name.c_str())));
        case ServerNameKind::kHostName:
            break;
    }
    running_ = true;
    resolving_ = true;
    lookup_id_ = QHostInfo::lookupHost(
        QString::fromLatin1(name.c_str()), this, [this](const QHostInfo& info) {
            resolving_ = false;
            if (!running_) return;
            // The first IPv4 address; an IPv6 one only when there is no other.
            QHostAddress chosen;
            for (const QHostAddress& a : info.addresses()) {
                if (a.protocol() == QAbstractSocket::IPv4Protocol) {
                    chosen = a;
                    break;
                }
                if (chosen.isNull()) chosen = a;
            }
            if (info.error() != QHostInfo::NoError || chosen.isNull()) {
                running_ = false;
                fail(Txt::kNetCannotResolve);
                emit stopped();
                return;
            }
            resolved(chosen);
        });
    return true;
}

bool FinishClientQt::resolved(const QHostAddress& address) {
    server_ = address;
    socket_ = std::make_unique<QUdpSocket>();
    QHostAddress any = address.protocol() == QAbstractSocket::IPv6Protocol
                           ? QHostAddress(QHostAddress::AnyIPv6)
                           : QHostAddress(QHostAddress::AnyIPv4);
    if (!socket_->bind(any, 0)) {
        socket_.reset();
        running_ = false;
        fail(Txt::kNetConnectFailed);
        emit stopped();
        return false;
    }
    env_.competition().rebuild_number_index();
    start_pass();
    return true;
}

void FinishClientQt::stop() {
    if (resolving_) QHostInfo::abortHostLookup(lookup_id_);
    resolving_ = false;
    timer_.stop();
    pass_active_ = false;
    socket_.reset();
    bool was = running_;
    running_ = false;
    if (was) emit stopped();
}

void FinishClientQt::start_pass() {
    if (!running_ || !socket_) return;
    pass_ = {};
    pass_active_ = true;
    step();
}

void FinishClientQt::step() {
    if (!running_ || !socket_) return;
    if (env_.may_change_tables && !env_.may_change_tables()) {
        timer_.start(kRetryMs);
        return;
    }
    Competition& c = env_.competition();
    int slot = next_pending_finish_line(c, pass_);
    if (slot != kNoSlot) {
        SendResult r = send(slot);
        if (r == SendResult::kBusy) {
            // The socket's buffer is full for a moment: the same line again shortly.
            pass_.next_slot = slot;
            timer_.start(kRetryMs);
            return;
        }
        if (r == SendResult::kFailed) {
            // The pass ends; the client stays on until the menu command stops it.
            pass_active_ = false;
            fail(Txt::kNetSendFailed);
            emit pass_ended();
            return;
        }
        timer_.start(options_.line_pacing_ms);
        return;
    }
    pass_active_ = false;
    emit pass_ended();
    switch (options_.send_mode >= 0 ? options_.send_mode : c.info.client_send_mode) {
        case kSendOnCardRead:
            break;  // further lines go out as cards are read
        case kSendOnce:
            stop();
            break;
        default:
            timer_.start(options_.pass_interval_ms);
            break;
    }
}

FinishClientQt::SendResult FinishClientQt::send(int slot) {
    Competition& c = env_.competition();
    FinishDatagram d = finish_datagram_for(c, slot);
    if (env_.joined_to)
        if (std::string id = env_.joined_to(); !id.empty()) put_shared_mark(d, id);
    qint64 n = socket_->writeDatagram(reinterpret_cast<const char*>(d.data()),
                                      static_cast<qint64>(d.size()), server_,
                                      static_cast<quint16>(options_.port));
    if (n != static_cast<qint64>(d.size()))
        return socket_->error() == QAbstractSocket::TemporaryError ? SendResult::kBusy
                                                                   : SendResult::kFailed;
    mark_sent(c, slot);
    ++lines_sent_;
    if (env_.changed) env_.changed();
    return SendResult::kSent;
}

void FinishClientQt::send_finish_line(int slot) {
    if (!running_ || !socket_) return;
    // A line the socket cannot take now stays unsent for the next pass.
    if (finish_line_due(env_.competition(), slot) && send(slot) == SendResult::kFailed)
        fail(Txt::kNetSendFailed);
}

void FinishClientQt::send_unsent_finish_lines() {
    if (!running_ || !socket_ || pass_active_) return;
    timer_.stop();
    start_pass();
}

void FinishClientQt::fail(Txt text) {
    if (env_.message) env_.message(std::string(env_.lang->text(text)));
}

}  // namespace skarvel
