// The finish client and server on real UDP sockets over loopback, and the on-line poster
// against a real local HTTP server (tests/periph/http_test_server.h).
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>
#include <memory>

#include "periph/ui/finish_client_qt.h"
#include "periph/ui/finish_server_qt.h"
#include "periph/ui/online_poster_qt.h"
#include "platform/qt/qt_text.h"
#include "tests/periph/http_test_server.h"

using namespace skarvel;

namespace {

const QHostAddress kLoopback(QHostAddress::LocalHost);

std::unique_ptr<Competition> race(int runners, int lines) {
    auto c = std::make_unique<Competition>();
    for (int n = 1; n <= runners; ++n) {
        Runner* r = c->tables.runners[c->new_record(kRunners)];
        r->id = n;
        r->start_number = static_cast<std::uint16_t>(n);
        r->start_time = 4320000;  // 12:00:00
    }
    for (int n = 1; n <= lines; ++n) {
        FinishLine* l = c->tables.finish_lines[c->new_record(kFinishLines)];
        l->start_number = static_cast<std::int16_t>(n);
        l->set_time(4320000 + 100 * n);
    }
    c->rebuild_number_index();
    return c;
}

struct Client {
    LanguageTable lang;
    std::vector<std::string> messages;
    std::unique_ptr<FinishClientQt> client;
    explicit Client(Competition& c, const char* server = "127.0.0.1") {
        set_field_text(c.info.finish_server_name, server);
        FinishClientQt::Environment env;
        env.competition = [&c]() -> Competition& { return c; };
        env.lang = &lang;
        env.message = [this](const std::string& m) { messages.push_back(m); };
        client = std::make_unique<FinishClientQt>(std::move(env));
    }
    bool start(int port, int pacing_ms = 0) {
        FinishClientQt::Options o;
        o.port = port;
        o.line_pacing_ms = pacing_ms;
        return client->start(o);
    }
};

struct Server {
    LanguageTable lang;
    bool may_change = true;
    std::vector<std::string> failures;
    std::unique_ptr<FinishServerQt> server;
    explicit Server(Competition& c) {
        FinishServerQt::Environment env;
        env.competition = [&c]() -> Competition& { return c; };
        env.lang = &lang;
        env.may_change_tables = [this] { return may_change; };
        env.failed = [this](const std::string& m) { failures.push_back(m); };
        env.start_failed = [this](const std::string& m) { failures.push_back(m); };
        server = std::make_unique<FinishServerQt>(std::move(env));
    }
    // Starts on `port` and waits until the worker listens.
    bool listen(int port = 0) {
        if (!server->start(kLoopback, port)) return false;
        return QTest::qWaitFor([this] { return server->port() != 0 || !server->running(); },
                               20000) &&
               server->port() != 0;
    }
};

QByteArray datagram(const char* text) {
    QByteArray d(kFinishDatagramSize, '\0');
    std::memcpy(d.data(), text, std::strlen(text));
    return d;
}

}  // namespace

class NetworkQtTest : public QObject {
    Q_OBJECT
  private slots:
    void clientSendsTheExactDatagramAndStopsAfterOnePass() {
        QUdpSocket peer;
        QVERIFY(peer.bind(kLoopback, 0));
        auto c = race(101, 0);
        FinishLine* l = c->tables.finish_lines[c->new_record(kFinishLines)];
        l->start_number = 101;
        l->time_word = 4473100;  // 12:25:31
        l->flags = 1;
        c->info.client_send_mode = kSendOnce;
        Client client(*c);
        QSignalSpy stopped(client.client.get(), &FinishClientQt::stopped);
        QVERIFY(client.start(peer.localPort()));
        QTRY_VERIFY_WITH_TIMEOUT(peer.hasPendingDatagrams(), 10000);
        QByteArray got(200, '\0');
        got.resize(peer.readDatagram(got.data(), got.size()));
        QCOMPARE(got, datagram(" 101      4473100 0 1\n"));
        QTRY_COMPARE_WITH_TIMEOUT(stopped.count(), 1, 10000);
        QVERIFY(!client.client->running());
        QVERIFY(c->tables.finish_lines[0]->sent());
        QCOMPARE(client.client->lines_sent(), 1);
    }

    // "VP - при чтении ЧИПа": one pass, then the readout's calls send.
    void onCardReadTheReadoutSends() {
        QUdpSocket peer;
        QVERIFY(peer.bind(kLoopback, 0));
        auto c = race(3, 0);
        c->info.client_send_mode = kSendOnCardRead;
        Client client(*c);
        QSignalSpy passes(client.client.get(), &FinishClientQt::pass_ended);
        QVERIFY(client.start(peer.localPort()));
        QTRY_COMPARE_WITH_TIMEOUT(passes.count(), 1, 10000);
        QVERIFY(client.client->running());
        auto add = [&c](int number) {
            int slot = c->new_record(kFinishLines);
            c->tables.finish_lines[slot]->start_number = static_cast<std::int16_t>(number);
            c->tables.finish_lines[slot]->set_time(4400000 + number);
            return slot;
        };
        client.client->send_finish_line(add(1));  // sent at once, no pass
        QVERIFY(c->tables.finish_lines[0]->sent());
        add(2);
        add(3);
        client.client->send_unsent_finish_lines();
        QTRY_COMPARE_WITH_TIMEOUT(passes.count(), 2, 10000);
        QCOMPARE(client.client->lines_sent(), 3);
        QList<QByteArray> got;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                while (peer.hasPendingDatagrams()) {
                    QByteArray d(200, '\0');
                    d.resize(peer.readDatagram(d.data(), d.size()));
                    got << d.left(d.indexOf('\n') + 1);
                }
                return got.size() == 3;
            }(),
            10000);
        QCOMPARE(got, (QList<QByteArray>{"   1      4400001 0 0\n", "   2      4400002 0 0\n",
                                         "   3      4400003 0 0\n"}));
        // Stopped, the calls do nothing.
        client.client->stop();
        client.client->send_finish_line(add(1));
        QVERIFY(!c->tables.finish_lines[3]->sent());
    }

    void clientRefusesBadNames() {
        auto c = race(1, 1);
        struct Case {
            const char* name;
            const char* message;
        } cases[] = {{"", "Неправильное имя сервера"},
                     {"2finish", "Client: Cannot resolve server"},
                     {"10.0.0", "Client: Cannot resolve server"}};
        for (const Case& k : cases) {
            Client client(*c, k.name);
            QVERIFY(!client.start(kDefaultFinishPort));
            QVERIFY(!client.client->running());
            QCOMPARE(client.messages, std::vector<std::string>{utf8_to_cp1251(k.message)});
        }
    }

    void serverStoresWhatArrivesWhenTheTablesMayChange() {
        auto c = race(101, 0);
        Server server(*c);
        QVERIFY(server.listen());
        QUdpSocket peer;
        auto send = [&](const QByteArray& d) {
            peer.writeDatagram(d, kLoopback, static_cast<quint16>(server.server->port()));
        };
        // A dialog is open: what arrives waits.
        server.may_change = false;
        send(datagram(" 101      4473100 0 1\n"));
        QTest::qWait(300);
        QCOMPARE(c->tables.finish_lines.live_count(), 0);
        server.may_change = true;
        QTRY_COMPARE_WITH_TIMEOUT(c->tables.finish_lines.live_count(), 1, 10000);
        send(datagram("10101      3600000 0 0\n"));
        send(datagram(" 101      4473100 0 1\n"));   // the same line again
        send(QByteArray(kFinishDatagramSize, '7'));  // no terminating zero
        send(QByteArray(300, '\0'));                 // longer than a datagram
        QTRY_COMPARE_WITH_TIMEOUT(server.server->counts().received, 5, 10000);
        const FinishServerCounts& n = server.server->counts();
        QCOMPARE(n.stored, 2);
        QCOMPARE(n.duplicates, 1);
        QCOMPARE(n.dropped, 2);
        QCOMPARE(c->tables.finish_lines.live_count(), 2);
        QCOMPARE(c->tables.finish_lines[1]->start_number, std::int16_t(10101));
        const Runner* r = c->runner_by_number(101);
        QCOMPARE(r->start_time, 3600000);
        QCOMPARE(r->result, 4473100 - 3600000);  // results brought up to date
        server.server->stop();
        QVERIFY(!server.server->running());
    }

    // Stopped and started again at once on its port: the new worker waits for the ending one
    // to let go of the port (the window waits for neither), then receives.
    void serverRestartedAtOnceGetsItsPortBack() {
        int port = 0;
        {
            QUdpSocket probe;
            QVERIFY(probe.bind(kLoopback, 0));
            port = probe.localPort();
        }
        auto c = race(0, 0);
        Server server(*c);
        QVERIFY(server.listen(port));
        server.server->stop();
        QVERIFY(server.listen(port));
        QVERIFY(server.failures.empty());
        QUdpSocket peer;
        peer.writeDatagram(datagram("   7      3700000 0 0\n"), kLoopback,
                           static_cast<quint16>(port));
        QTRY_COMPARE_WITH_TIMEOUT(server.server->counts().received, 1, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(server.server->worker_threads(), 1, 20000);
    }

    // The operator corrects a runner's status after his line went out and clears its "+": the
    // line goes out again and the server takes the status without a second line. The time is
    // after midnight (24:10:00 on the 12-hour roll-over).
    void correctedStatusSentAgainOverLoopback() {
        auto sender = race(101, 0);
        FinishLine* l = sender->tables.finish_lines[sender->new_record(kFinishLines)];
        l->start_number = 101;
        l->set_time(8700000);
        sender->info.client_send_mode = kSendOnce;
        auto receiver = race(101, 0);
        Server server(*receiver);
        QVERIFY(server.listen());
        Client client(*sender);
        for (int status : {0, 2}) {
            sender->runner_by_number(101)->status = static_cast<std::uint8_t>(status);
            l->flags &= static_cast<std::uint8_t>(~FinishLine::kFlagSent);
            const auto before = server.server->counts().received;
            QVERIFY(client.start(server.server->port()));
            QTRY_COMPARE_WITH_TIMEOUT(server.server->counts().received, before + 1, 10000);
            QTRY_VERIFY_WITH_TIMEOUT(!client.client->running(), 10000);
        }
        QCOMPARE(receiver->runner_by_number(101)->status, std::uint8_t(2));
        QCOMPARE(receiver->tables.finish_lines.live_count(), 1);
        QCOMPARE(receiver->tables.finish_lines[0]->time(), 8700000);
        QCOMPARE(server.server->counts().status_changes, 1);
    }

    void bindFailureNamesThePortAndTheReason() {
        QUdpSocket taken;
        QVERIFY(taken.bind(kLoopback, 0, QAbstractSocket::DontShareAddress));
        auto c = race(0, 0);
        Server server(*c);
        // The window does not wait for the bind: the failure follows and the server stops.
        QVERIFY(!server.listen(taken.localPort()));
        QCOMPARE(server.failures.size(), std::size_t(1));
        QCOMPARE(qs(server.failures[0]),
                 QString::fromUtf8("bind() failed: порт %1: порт занят").arg(taken.localPort()));
        server.lang.build(UiLanguage::kEnglish);
        QVERIFY(!server.listen(taken.localPort()));
        QCOMPARE(QString::fromStdString(server.failures.at(1)),
                 QStringLiteral("bind() failed: port %1: address in use").arg(taken.localPort()));
    }

    // Every one of 5,000 lines sent without pacing is stored exactly once.
    void loadFiveThousandLinesOverLoopback() {
        constexpr int kLines = 5000;
        auto sender = race(kLines, kLines);
        auto receiver = std::make_unique<Competition>();
        Server server(*receiver);
        QVERIFY(server.listen());
        sender->info.client_send_mode = kSendOnce;
        Client client(*sender);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(client.start(server.server->port()));
        QTRY_VERIFY_WITH_TIMEOUT(!client.client->running(), 60000);
        double send_ms = clock.elapsed();
        QTRY_COMPARE_WITH_TIMEOUT(server.server->counts().received, kLines, 30000);
        double all_ms = clock.elapsed();
        QTest::qWait(200);  // nothing more arrives
        QCOMPARE(server.server->counts().stored, kLines);
        QCOMPARE(server.server->counts().duplicates, 0);
        QCOMPARE(receiver->tables.finish_lines.live_count(), kLines);
        std::vector<int> seen(kLines + 1, 0);
        for (int i = 0; i < kLines; ++i) ++seen[receiver->tables.finish_lines[i]->start_number];
        QCOMPARE(std::count(seen.begin() + 1, seen.end(), 1), kLines);
        qInfo("%d lines: sent in %.0f ms, all stored after %.0f ms (%.0f datagrams/s)", kLines,
              send_ms, all_ms, kLines * 1000.0 / all_ms);
    }

    void posterMarksAnswersAndReportsFailures() {
        HttpTestServer http;
        QVERIFY(http.listen());
        std::vector<std::string> answered, failed;
        OnlinePosterQt::Environment env;
        env.answered = [&](const OnlinePost& p) { answered.push_back(p.url); };
        env.failed = [&](const OnlinePost& p, const std::string&) { failed.push_back(p.url); };
        OnlinePosterQt poster(std::move(env));
        auto post = [](std::string url, int number) {
            OnlinePost p;
            p.url = std::move(url);
            p.start_number = static_cast<std::int16_t>(number);
            return p;
        };
        std::string base = http.url("/res.php?").toStdString();
        http.status = 404;  // an error answer still counts as an answer
        QVERIFY(poster.post(post(base + "num=101&r=00:25:31&fl=0&t=4473100", 101)));
        QVERIFY(!poster.post(post(base + "num=101&r=00:25:31&fl=0&t=4473100", 101)));
        // Nobody listens on this port.
        QTcpServer closed;
        QVERIFY(closed.listen(kLoopback));
        QString dead = QStringLiteral("http://127.0.0.1:%1/x?").arg(closed.serverPort());
        closed.close();
        QVERIFY(poster.post(post(dead.toStdString() + "num=7", 7)));
        QTRY_COMPARE_WITH_TIMEOUT(poster.pending(), 0, 20000);
        QCOMPARE(answered, std::vector<std::string>{base + "num=101&r=00:25:31&fl=0&t=4473100"});
        QCOMPARE(failed.size(), std::size_t(1));
        QCOMPARE(http.targets, QStringList{"/res.php?num=101&r=00:25:31&fl=0&t=4473100"});
    }
};

QTEST_GUILESS_MAIN(NetworkQtTest)
#include "network_qt_test.moc"
