#include "platform/qt/guarded_tcp_server.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <vector>

namespace skarvel {

GuardedTcpServer::GuardedTcpServer(ConnectionLimits limits, QObject* parent)
    : QTcpServer(parent), limits_(limits), sweep_(new QTimer(this)) {
    sweep_->setInterval(std::max(50, limits_.request_timeout_ms / 4));
    connect(sweep_, &QTimer::timeout, this, [this] { close_overdue(); });
    sweep_->start();
}

void GuardedTcpServer::incomingConnection(qintptr handle) {
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(handle)) {
        delete socket;
        return;
    }
    make_room();
    Watch& w = watched_[socket];
    w.since.start();
    // Connected before the HTTP server's own handlers, so this one sees the bytes first.
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { seen(socket); });
    connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] { answered(socket); });
    // The HTTP server deletes the socket once it has disconnected.
    connect(socket, &QObject::destroyed, this, [this, socket] { watched_.remove(socket); });
    addPendingConnection(socket);
}

void GuardedTcpServer::seen(QTcpSocket* socket) {
    auto it = watched_.find(socket);
    if (it == watched_.end() || !it->waiting) return;
    // A request's header ends with an empty line; look for it without taking the bytes.
    QByteArray bytes = socket->peek(socket->bytesAvailable());
    for (char ch : bytes) {
        it->tail = (it->tail << 8) | static_cast<quint8>(ch);
        if (it->tail == 0x0D0A0D0Au || (it->tail & 0xFFFF) == 0x0A0Au) {
            it->waiting = false;
            it->tail = 0;
            return;
        }
    }
}

void GuardedTcpServer::answered(QTcpSocket* socket) {
    auto it = watched_.find(socket);
    if (it == watched_.end() || it->waiting || it->released || socket->bytesToWrite() > 0) return;
    // Answered in full: the connection may ask again (keep-alive), within the same time.
    it->waiting = true;
    it->since.start();
}

void GuardedTcpServer::release(const QHostAddress& peer, quint16 port) {
    for (auto it = watched_.begin(); it != watched_.end(); ++it) {
        if (it.key()->peerPort() != port || it.key()->peerAddress() != peer) continue;
        it->released = true;
        it->waiting = false;
        return;
    }
}

int GuardedTcpServer::waiting() const {
    return static_cast<int>(
        std::count_if(watched_.begin(), watched_.end(), [](const Watch& w) { return w.waiting; }));
}

void GuardedTcpServer::close_overdue() {
    std::vector<QTcpSocket*> overdue;
    for (auto it = watched_.begin(); it != watched_.end(); ++it)
        if (it->waiting && it->since.hasExpired(limits_.request_timeout_ms))
            overdue.push_back(it.key());
    for (QTcpSocket* s : overdue) s->abort();
}

void GuardedTcpServer::make_room() {
    while (waiting() >= limits_.max_waiting) {
        QTcpSocket* oldest = nullptr;
        qint64 longest = -1;
        for (auto it = watched_.begin(); it != watched_.end(); ++it) {
            if (it->waiting && it->since.elapsed() > longest) {
                longest = it->since.elapsed();
                oldest = it.key();
            }
        }
        if (!oldest) return;
        watched_.remove(oldest);  // gone from the count at once; deleted when it disconnects
        oldest->abort();
    }
}

}  // namespace skarvel
