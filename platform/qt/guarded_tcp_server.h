// The listening socket of the screens' web server, guarded against connections that hold it
// without asking for anything: a connection must send a complete request (its header) within
// `request_timeout_ms` of opening or of its last answer, and at most `max_waiting` connections
// may be waiting for their request at once (the oldest is closed when another one comes). So
// a thousand idle connections cannot starve the screens, and a screen that reconnects always
// gets in. A connection that carries a long-lived answer (live page updates) is taken out of
// these limits with release(); whoever releases it keeps it to a limit of their own.
#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QTcpServer>

class QHostAddress;
class QTcpSocket;
class QTimer;

namespace skarvel {

struct ConnectionLimits {
    int request_timeout_ms = 10000;
    int max_waiting = 64;
};

class GuardedTcpServer : public QTcpServer {
  public:
    explicit GuardedTcpServer(ConnectionLimits limits = {}, QObject* parent = nullptr);
    // The connection from `peer`:`port` no longer waits for a request, and these limits no
    // longer apply to it (by its peer: a connection handed over as a WebSocket does not show
    // its socket).
    void release(const QHostAddress& peer, quint16 port);
    // Connections waiting for a complete request now.
    int waiting() const;
    const ConnectionLimits& limits() const { return limits_; }

  protected:
    void incomingConnection(qintptr handle) override;

  private:
    struct Watch {
        bool waiting = true;  // no complete request since it opened or was last answered
        bool released = false;
        QElapsedTimer since;  // when it started waiting
        quint32 tail = 0;     // the last bytes seen, to find the header's end across reads
    };
    void seen(QTcpSocket* socket);
    void answered(QTcpSocket* socket);
    void close_overdue();
    void make_room();

    ConnectionLimits limits_;
    QHash<QTcpSocket*, Watch> watched_;
    QTimer* sweep_ = nullptr;
};

}  // namespace skarvel
