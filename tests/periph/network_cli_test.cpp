// skarvel-cli as two stations on loopback (finish-server and finish-client as two
// processes), and skarvel-cli post against a real local HTTP server.
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "core/wdb_file.h"
#include "tests/periph/http_test_server.h"

using namespace skarvel;

namespace {

struct RunnerDef {
    int number;
    std::int32_t start;
    std::uint8_t status;
};
struct LineDef {
    int number;
    std::int32_t time;
};

QString write_race(const QString& path, std::initializer_list<RunnerDef> runners,
                   std::initializer_list<LineDef> lines) {
    auto c = std::make_unique<Competition>();
    for (const RunnerDef& d : runners) {
        Runner* r = c->tables.runners[c->new_record(kRunners)];
        r->id = d.number;
        r->start_number = static_cast<std::uint16_t>(d.number);
        r->start_time = d.start;
        r->status = d.status;
    }
    for (const LineDef& d : lines) {
        FinishLine* l = c->tables.finish_lines[c->new_record(kFinishLines)];
        l->start_number = static_cast<std::int16_t>(d.number);
        l->set_time(d.time);
    }
    c->rebuild_number_index();
    if (!save_wdb(*c, path.toStdString())) return {};
    return path;
}

std::unique_ptr<Competition> read_race(const QString& path) {
    auto c = std::make_unique<Competition>();
    ScriptedPrompts prompts;
    if (load_wdb(*c, path.toStdString(), prompts).status != LoadStatus::kOk) return nullptr;
    c->rebuild_number_index();
    return c;
}

// Runs skarvel-cli to its end; the exit code, or -1 when it did not end in time.
int run_cli(const QStringList& args, QByteArray* out = nullptr) {
    QProcess p;
    p.start(QStringLiteral(SKARVEL_CLI_PATH), args);
    // The event loop keeps running meanwhile (the HTTP server of the test lives in it).
    QElapsedTimer t;
    t.start();
    while (p.state() != QProcess::NotRunning && t.elapsed() < 60000) QTest::qWait(20);
    if (p.state() != QProcess::NotRunning) return -1;
    if (out) *out = p.readAllStandardOutput();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

}  // namespace

class NetworkCliTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString path(const char* name) { return dir.filePath(QString::fromLatin1(name)); }

  private slots:
    void twoStationsOnLoopback() {
        constexpr std::int32_t kNoon = 4320000;
        QString client_file =
            write_race(path("client.wdb"), {{101, kNoon, 0}, {102, kNoon, 3}, {10101, kNoon, 0}},
                       {{101, 4473100}, {102, 4480000}, {10101, 3600000 + kNoon}});
        QString server_file =
            write_race(path("server.wdb"), {{101, kNoon, 0}, {102, kNoon, 0}}, {});
        QVERIFY(!client_file.isEmpty() && !server_file.isEmpty());

        QProcess server;
        server.start(QStringLiteral(SKARVEL_CLI_PATH), {"finish-server", server_file, "--port", "0",
                                                        "--listen", "127.0.0.1", "--count", "3"});
        QTRY_VERIFY_WITH_TIMEOUT(server.canReadLine(), 30000);
        QString first = QString::fromLatin1(server.readLine()).trimmed();
        QRegularExpression listening(QStringLiteral("^listening on port (\\d+)$"));
        auto m = listening.match(first);
        QVERIFY2(m.hasMatch(), qPrintable(first));

        QByteArray out;
        QCOMPARE(run_cli({"finish-client", client_file, "--server", "127.0.0.1", "--port",
                          m.captured(1), "--once"},
                         &out),
                 0);
        QCOMPARE(out, QByteArray("sent 3 finish line(s)\n"));
        // It may have ended already while the client ran.
        QTRY_COMPARE_WITH_TIMEOUT(server.state(), QProcess::NotRunning, 30000);
        QCOMPARE(server.exitStatus(), QProcess::NormalExit);
        QCOMPARE(server.exitCode(), 0);
        QCOMPARE(server.readAll(), QByteArray("received 3, stored 3, status corrected 0, repeated "
                                              "0, dropped 0, without room 0\n"));

        auto s = read_race(server_file);
        QVERIFY(s);
        const auto& lines = s->tables.finish_lines;
        QCOMPARE(lines.live_count(), 3);
        QCOMPARE(lines[0]->start_number, std::int16_t(101));
        QCOMPARE(lines[0]->time_word, 4473100u);
        QCOMPARE(lines[2]->start_number, std::int16_t(10101));
        QCOMPARE(s->runner_by_number(102)->status, std::uint8_t(3));
        QCOMPARE(s->runner_by_number(101)->start_time, 3600000 + kNoon);

        // The client's file keeps the sent marks: a second run has nothing to send.
        auto c = read_race(client_file);
        QVERIFY(c);
        for (int i = 0; i < 3; ++i) QVERIFY(c->tables.finish_lines[i]->sent());
        QCOMPARE(run_cli({"finish-client", client_file, "--server", "127.0.0.1", "--port",
                          m.captured(1), "--once"},
                         &out),
                 0);
        QCOMPARE(out, QByteArray("sent 0 finish line(s)\n"));
        // A name beginning with a digit is refused.
        QCOMPARE(run_cli({"finish-client", client_file, "--server", "2finish", "--once"}), 2);
    }

    void postSendsTheExactQueries() {
        HttpTestServer http;
        QVERIFY(http.listen());
        QString file = write_race(path("post.wdb"), {{101, 4320000, 0}, {7, 4320000, 7}},
                                  {{101, 4473100}, {7, 4400000}, {101, 4480000}});
        QString prefix = http.url(QStringLiteral("/on/res.php?"));
        QCOMPARE(run_cli({"post", file, "--url", prefix, "--line", "1"}), 0);
        QCOMPARE(run_cli({"post", file, "--url", prefix, "--all", "--crossings"}), 0);
        // Line 1 is posted already; the result of 101 is its last line's.
        QCOMPARE(http.targets.size(), 3);
        QRegularExpression t(QStringLiteral("&t=\\d+"));
        QStringList queries;
        for (QString q : http.targets) queries << q.replace(t, QStringLiteral("&t=T"));
        QCOMPARE(queries, (QStringList{"/on/res.php?num=101&r=00:26:40&fl=0&t=T",
                                       "/on/res.php?num=7&r=28:11:30&fl=7&t=T&dubl=1",
                                       "/on/res.php?num=101&r=00:26:40&fl=0&t=T&dubl=2"}));
        auto c = read_race(file);
        QVERIFY(c);
        for (int i = 0; i < 3; ++i) QVERIFY(c->tables.finish_lines[i]->posted());

        // No server: nothing marked, exit code 4; past the last line: a usage error.
        QString other = write_race(path("other.wdb"), {{101, 4320000, 0}}, {{101, 4473100}});
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        QString dead = QStringLiteral("http://127.0.0.1:%1/x?").arg(closed.serverPort());
        closed.close();
        QCOMPARE(run_cli({"post", other, "--url", dead, "--all"}), 4);
        QVERIFY(!read_race(other)->tables.finish_lines[0]->posted());
        QCOMPARE(run_cli({"post", other, "--url", dead, "--line", "2"}), 1);
    }
};

QTEST_GUILESS_MAIN(NetworkCliTest)
#include "network_cli_test.moc"
