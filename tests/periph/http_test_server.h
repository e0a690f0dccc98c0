// A small real HTTP server for the posting tests: listens on 127.0.0.1 (a free port),
// records the target of every GET request it receives, and answers each after `delay_ms`
// with `status`. Keep-alive connections carry one request after another.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QPointer>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace skarvel {

class HttpTestServer : public QTcpServer {
  public:
    int status = 200;
    int delay_ms = 0;
    QStringList targets;  // as received, in order

    bool listen() { return QTcpServer::listen(QHostAddress::LocalHost, 0); }
    QString url(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path);
    }

  protected:
    void incomingConnection(qintptr handle) override {
        auto* socket = new QTcpSocket(this);
        socket->setSocketDescriptor(handle);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }

  private:
    void read(QTcpSocket* socket) {
        QByteArray& buffer = buffers_[socket];
        buffer += socket->readAll();
        for (qsizetype end; (end = buffer.indexOf("\r\n\r\n")) >= 0;) {
            QByteArray head = buffer.left(end);
            buffer.remove(0, end + 4);
            QList<QByteArray> words = head.left(head.indexOf("\r\n")).split(' ');
            if (words.size() >= 2) targets << QString::fromLatin1(words[1]);
            QPointer<QTcpSocket> alive(socket);
            QTimer::singleShot(delay_ms, this, [this, alive] {
                if (!alive) return;
                QByteArray body = "OK";
                alive->write("HTTP/1.1 " + QByteArray::number(status) +
                             " Whatever\r\nContent-Type: text/plain\r\nContent-Length: " +
                             QByteArray::number(body.size()) + "\r\n\r\n" + body);
            });
        }
    }
    QHash<QTcpSocket*, QByteArray> buffers_;
};

}  // namespace skarvel
