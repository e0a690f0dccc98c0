// The finish client ("Запустить клиента"): sends the finish lines due to the server station,
// one UDP datagram per line, paced by a timer on the owner's thread (the window's), so the
// tables are read and the `sent` marks set there and the window never waits: a UDP send does
// not block, and the server name is resolved asynchronously.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QTimer>
#include <QUdpSocket>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/competition.h"
#include "core/language.h"
#include "periph/finish_exchange.h"

namespace skarvel {

class FinishClientQt : public QObject {
    Q_OBJECT
  public:
    struct Environment {
        std::function<Competition&()> competition;
        const LanguageTable* lang = nullptr;
        // True when the tables may change now (no modal dialog); otherwise sending waits.
        std::function<bool()> may_change_tables;
        // After lines were marked sent: mark modified, repaint, status line.
        std::function<void()> changed;
        // A failure to tell the user (Windows-1251 text).
        std::function<void(const std::string&)> message;
        // The shared competition this station is joined to (empty: none): its datagrams say
        // so, and a server joined to the same one refuses them.
        std::function<std::string()> joined_to;
    };
    struct Options {
        int port = kDefaultFinishPort;
        // The wait after each line sent (0 in load tests) and between continuous passes.
        int line_pacing_ms = kClientLinePacingMs;
        int pass_interval_ms = kClientPassIntervalMs;
        // In place of the competition's server name and sending mode (the command line).
        std::string server_name;
        int send_mode = -1;
    };

    explicit FinishClientQt(Environment env, QObject* parent = nullptr);

    // Starts the client with the competition's server name and sending mode. A name that
    // cannot be used gives its message at once (false); a host name is resolved first and
    // sending starts when it is known ("Client: Cannot resolve server" if not).
    bool start(const Options& options);
    void stop();
    // On from the menu command until stopped (or until the one pass of "однократно" ended).
    bool running() const { return running_; }
    int lines_sent() const { return lines_sent_; }

    // The readout's calls: send this line now if it is due; run one pass over the table.
    void send_finish_line(int slot);
    void send_unsent_finish_lines();

  signals:
    // The client stopped by itself (mode "однократно" after its pass) or was stopped.
    void stopped();
    // A pass over the finish table ended.
    void pass_ended();

  private:
    bool resolved(const QHostAddress& address);
    void start_pass();
    void step();
    enum class SendResult { kSent, kBusy, kFailed };
    SendResult send(int slot);
    void fail(Txt text);

    Environment env_;
    Options options_;
    bool running_ = false;
    QHostAddress server_;
    bool resolving_ = false;
    int lookup_id_ = -1;
    std::unique_ptr<QUdpSocket> socket_;
    QTimer timer_;
    bool pass_active_ = false;
    ClientPass pass_;
    int lines_sent_ = 0;
};

}  // namespace skarvel
