// On-line posting and the finish client in the real main window (offscreen), against a real
// local HTTP server and a loopback socket: the exact queries, the posted mark and the cursor
// step when the answer arrives, a transport error in the status bar, the window repainting
// while slow answers are awaited, and the client's menu tick.
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSettings>
#include <QStatusBar>
#include <QTest>
#include <QUdpSocket>
#include <algorithm>

#include "app/main_frame.h"
#include "app/skarvel_view.h"
#include "periph/ui/finish_server_qt.h"
#include "tests/main_window_fixture.h"
#include "tests/periph/http_test_server.h"
#include "tests/stall_check.h"

using namespace skarvel;

namespace {

// Counts the paints of a widget and the longest time between two.
class PaintWatch : public QObject {
  public:
    QElapsedTimer clock;
    qint64 last = -1, longest = 0;
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) {
            qint64 now = clock.elapsed();
            if (last >= 0) longest = std::max(longest, now - last);
            last = now;
            ++paints;
        }
        return false;
    }
};

}  // namespace

class NetworkCommandsTest : public QObject, testing::MainWindowFixture {
    Q_OBJECT
    HttpTestServer* http = nullptr;

    void runner(int number, std::uint8_t status = 0) {
        Runner& r = *c().tables.runners[c().new_record(kRunners)];
        r.id = number;
        r.start_number = static_cast<std::uint16_t>(number);
        r.start_time = 4320000;
        r.status = status;
        c().rebuild_number_index();
    }
    void line(int number, std::int32_t time) {
        FinishLine& l = *c().tables.finish_lines[c().new_record(kFinishLines)];
        l.start_number = static_cast<std::int16_t>(number);
        l.set_time(time);
    }
    void use_prefix(const QString& prefix) {
        set_field_text(c().info.online_url_prefix, prefix.toStdString());
    }
    static QStringList without_clock(QStringList queries) {
        static const QRegularExpression t(QStringLiteral("&t=\\d+"));
        for (QString& q : queries) q.replace(t, QStringLiteral("&t=T"));
        return queries;
    }

  private slots:
    void initTestCase() { QVERIFY(set_up_program()); }
    void init() {
        QVERIFY(open(900, 500));
        http = new HttpTestServer;
        QVERIFY(http->listen());
    }
    void cleanup() {
        delete http;
        close();
    }

    void postsTheLineUnderTheCursorAndStepsWhenAnswered() {
        runner(101);
        runner(7, 7);
        line(101, 4473100);
        line(7, 4400000);
        use_prefix(http->url(QStringLiteral("/res.php?")));
        view().show_table(kFinishLines);
        view().set_cursor_row(0);
        key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QTRY_COMPARE_WITH_TIMEOUT(view().cursor_row(), 1, 20000);
        QVERIFY(c().tables.finish_lines[0]->posted());
        QVERIFY(!c().tables.finish_lines[1]->posted());
        // With crossings; the last line moves the cursor past the end, where a press does
        // nothing (the next post, from line 0 again, is the only one that follows).
        c().info.online_send_crossings = 1;
        trigger(CommandId::kOnlineSend);
        QTRY_COMPARE_WITH_TIMEOUT(view().cursor_row(), 2, 20000);
        QVERIFY(c().tables.finish_lines[1]->posted());
        trigger(CommandId::kOnlineSend);
        view().set_cursor_row(0);
        trigger(CommandId::kOnlineSend);
        QTRY_COMPARE_WITH_TIMEOUT(http->targets.size(), 3, 20000);
        QCOMPARE(without_clock(http->targets),
                 (QStringList{"/res.php?num=101&r=00:25:31&fl=0&t=T",
                              "/res.php?num=7&r=28:11:30&fl=7&t=T&dubl=1",
                              "/res.php?num=101&r=00:25:31&fl=0&t=T&dubl=1"}));
        // Posting works only on the finish table.
        view().show_table(kRunners);
        QVERIFY(!enabled(CommandId::kOnlineSend));
    }

    void transportErrorGoesToTheStatusBar() {
        runner(101);
        line(101, 4473100);
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        use_prefix(QStringLiteral("http://127.0.0.1:%1/x?").arg(closed.serverPort()));
        closed.close();
        view().show_table(kFinishLines);
        trigger(CommandId::kOnlineSend);
        QTRY_VERIFY_WITH_TIMEOUT(
            frame->status_text().startsWith(QString::fromUtf8("On-line: номер 101 не отослан: ")),
            20000);
        QCOMPARE(view().cursor_row(), 0);
        QVERIFY(!c().tables.finish_lines[0]->posted());
        QVERIFY(prompts->messages.empty());
    }

    // 100 posts to a script that answers after 2 s: the window goes on repainting.
    void slowScriptKeepsTheWindowResponsive() {
        constexpr int kLines = 100;
        for (int n = 1; n <= kLines; ++n) {
            runner(n);
            line(n, 4400000 + n);
        }
        http->delay_ms = 2000;
        use_prefix(http->url(QStringLiteral("/slow?")));
        view().show_table(kFinishLines);
        for (int i = 0; i < kLines; ++i) {
            view().set_cursor_row(i);
            trigger(CommandId::kOnlineSend);
        }
        // From here on every request is waiting for its answer or for its turn. The window must
        // go on painting, and the program must never hold its thread long (what a loaded
        // machine adds to the gaps between paints is not the program's).
        StallMeter meter({});
        PaintWatch watch;
        watch.clock.start();
        view().installEventFilter(&watch);
        QTimer repaint;
        QObject::connect(&repaint, &QTimer::timeout, &view(), [this] { view().update(); });
        repaint.start(20);
        auto all_posted = [this] {
            for (int i = 0; i < kLines; ++i)
                if (!c().tables.finish_lines[i]->posted()) return false;
            return true;
        };
        QTRY_VERIFY_WITH_TIMEOUT(all_posted(), 120000);
        view().removeEventFilter(&watch);
        QCOMPARE(http->targets.size(), kLines);
        qInfo("%d posts answered after 2 s each: %lld ms, %d paints, longest gap %lld ms", kLines,
              watch.clock.elapsed(), watch.paints, watch.longest);
        QVERIFY(watch.paints > 0);
        const QString held = testing::stall_over_bound(meter.stalls());
        QVERIFY2(held.isEmpty(), qPrintable(held));
    }

    // The window closes (cleanup) while a post waits for its answer and the server runs.
    void closingWithWorkOnItsWay() {
        runner(101);
        line(101, 4473100);
        http->delay_ms = 5000;
        use_prefix(http->url(QStringLiteral("/slow?")));
        QSettings s(QStringLiteral("Skarvel"), QStringLiteral("Skarvel"));
        s.setValue(QStringLiteral("Setup/FinishPort"), 0);
        s.setValue(QStringLiteral("Setup/FinishListen"), QStringLiteral("127.0.0.1"));
        trigger(CommandId::kStartServer);
        frame->refresh_commands();
        QVERIFY(frame->action(CommandId::kStartServer)->isChecked());
        view().show_table(kFinishLines);
        trigger(CommandId::kOnlineSend);
        QTRY_COMPARE_WITH_TIMEOUT(http->targets.size(), 1, 20000);
    }

    void clientTickFollowsTheRunningState() {
        QUdpSocket peer;
        QVERIFY(peer.bind(QHostAddress::LocalHost, 0));
        // The port given with --port wins over the user setting.
        QSettings s(QStringLiteral("Skarvel"), QStringLiteral("Skarvel"));
        s.setValue(QStringLiteral("Setup/FinishPort"), 9);
        s.setValue(QStringLiteral("Setup/FinishClientPacingMs"), 0);
        frame->state().finish_port = peer.localPort();
        runner(101);
        line(101, 4473100);
        set_field_text(c().info.finish_server_name, "127.0.0.1");
        c().info.client_send_mode = 2;  // once
        trigger(CommandId::kStartClient);
        QTRY_VERIFY_WITH_TIMEOUT(peer.hasPendingDatagrams(), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(c().tables.finish_lines[0]->sent(), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(
            (frame->refresh_commands(), !frame->action(CommandId::kStartClient)->isChecked()),
            20000);
        // Continuously: ticked until the command stops it.
        c().info.client_send_mode = 0;
        trigger(CommandId::kStartClient);
        frame->refresh_commands();
        QVERIFY(frame->action(CommandId::kStartClient)->isChecked());
        trigger(CommandId::kStartClient);
        frame->refresh_commands();
        QVERIFY(!frame->action(CommandId::kStartClient)->isChecked());
    }

    // The socket fails to receive: the operator is told in a message box, and the command stays
    // ticked until he stops the server.
    void serverReceiveErrorIsAMessageBox() {
        QUdpSocket probe;
        QVERIFY(probe.bind(QHostAddress::LocalHost, 0));
        frame->state().finish_port = probe.localPort();
        probe.close();
        QSettings settings(QStringLiteral("Skarvel"), QStringLiteral("Skarvel"));
        settings.setValue(QStringLiteral("Setup/FinishListen"), QStringLiteral("127.0.0.1"));
        trigger(CommandId::kStartServer);
        settings.remove(QStringLiteral("Setup/FinishListen"));
        auto* server = frame->findChild<FinishServerQt*>();
        QVERIFY(server && server->running());
        server->receive_failed("Connection reset by peer");
        QTRY_VERIFY_WITH_TIMEOUT(!prompts->messages.empty(), 20000);
        QCOMPARE(prompts->messages.back(), std::string("recv() failed: Connection reset by peer"));
        frame->refresh_commands();
        QVERIFY(frame->action(CommandId::kStartServer)->isChecked());
        trigger(CommandId::kStartServer);
        frame->refresh_commands();
        QVERIFY(!frame->action(CommandId::kStartServer)->isChecked());
    }
};

QTEST_MAIN(NetworkCommandsTest)
#include "network_commands_test.moc"
