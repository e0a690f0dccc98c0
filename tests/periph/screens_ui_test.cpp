// The screens in the desktop program: the display page written while the display is on, the
// display folder served over HTTP, and the display board driving the board simulator.
#include <QApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRadioButton>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QWebSocket>
#include <QtTest>
#include <fstream>
#include <thread>

#include "core/atomic_file.h"
#include "periph/display_pages.h"
#include "periph/multi_screen.h"
#include "periph/ui/screen_dialogs.h"
#include "periph/ui/screens_qt.h"
#include "platform/qt/display_http_server.h"
#include "tests/private_settings.h"
#include "tests/results/fixture.h"
#include "tools/board_sim/board_sim.h"

using namespace skarvel;
using namespace skarvel::test;

namespace {

struct Fetched {
    int status = 0;
    QByteArray type, body;
};

Fetched fetch(const QString& url) {
    QNetworkAccessManager net;
    QNetworkReply* reply = net.get(QNetworkRequest(QUrl(url)));
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
    Fetched f;
    f.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    f.type = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray();
    f.body = reply->readAll();
    reply->deleteLater();
    return f;
}

std::string read_all(const QString& path) {
    std::string bytes;
    read_file_bytes(path.toStdString(), 1 << 20, bytes);
    return bytes;
}

struct Race : Fixture {
    Race() {
        add_class(1, "Ж21");
        add_class(2, "M21");
        add_runner(1, "Иванов Петр", 1, 0, T(10, 15, 0), T(10, 45, 12));
        add_runner(2, "Орр", 2, 0, T(10, 0, 0), T(10, 50, 1));
        refresh();
    }
};

}  // namespace

class ScreensUiTest : public QObject {
    Q_OBJECT
  private slots:
    // The result protocol's course choices (2, 3) have no button in the pages' dialog: OK keeps
    // them unless a button is picked.
    void multipage_dialog_keeps_a_course_selection() {
        const LanguageTable& lang = russian_language_table();
        for (int stored : {0, 1, 2, 3}) {
            MultiScreenShared shared;
            shared.selection = stored;
            MultiScreenDialog dialog(shared, {}, lang);
            QCOMPARE(dialog.shared().selection, stored);
        }
        MultiScreenShared shared;
        shared.selection = 3;
        MultiScreenDialog dialog(shared, {}, lang);
        dialog.findChild<QRadioButton*>(QStringLiteral("selection1"))->click();
        QCOMPARE(dialog.shared().selection, 1);
    }

    void initTestCase() { QVERIFY(skarvel::testing::use_private_settings()); }

    void display_page_follows_the_mode_and_the_flag() {
        QTemporaryDir dir;
        Race race;
        QStringList reports;
        DisplayPages::Environment env;
        env.competition = [&race]() -> Competition& { return race.c; };
        QString folder = dir.path() + "/lcd";  // does not exist yet
        env.folder = [&folder] { return folder; };
        env.report = [&reports](const QString& why) { reports << why; };
        env.clock = [](int& h, int& m, int& s) { h = 10, m = 14, s = 30; };
        DisplayPages display(env);

        race.c.info.display_mode = 0;
        display.toggle();
        QCOMPARE(race.c.info.display_on, 1);
        QTRY_VERIFY_WITH_TIMEOUT(display.pages_written() >= 1, 20000);
        QCOMPARE(read_all(folder + "/test2.htm"), finish_page(race.c));

        // A new finish shows on the next page.
        race.add_runner(3, "Третий", 1, 0, T(10, 0, 0), T(10, 59, 0));
        race.refresh();
        int before = display.pages_written();
        QTRY_VERIFY_WITH_TIMEOUT(display.pages_written() > before, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(read_all(folder + "/test2.htm") == finish_page(race.c), 20000);

        race.c.info.display_mode = 1;
        QTRY_VERIFY_WITH_TIMEOUT(read_all(folder + "/test2.htm") == start_page(race.c, 10, 14, 30),
                                 20000);

        // A folder that cannot be written: one message, and the display goes on.
        folder = dir.path() + "/blocked/lcd";
        std::ofstream((dir.path() + "/blocked").toStdString()) << "x";
        QTRY_VERIFY_WITH_TIMEOUT(reports.size() == 1, 20000);
        QTest::qWait(1500);
        QCOMPARE(reports.size(), 1);
        QVERIFY(display.running());

        // A load clears the flag: the display ends at its next turn.
        race.c.info.display_on = 0;
        QTRY_VERIFY_WITH_TIMEOUT(!display.running(), 20000);
    }

    void folder_is_served_over_http() {
        QTemporaryDir dir, outside;
        Race race;
        ScriptedPrompts prompts;
        QCOMPARE(write_multi_screen_pages(race.c, {}, MultiScreenKind::kLines,
                                          dir.path().toStdString(), prompts),
                 2);
        QVERIFY(write_page_file(dir.path().toStdString(), kDisplayPageFile, finish_page(race.c)));
        DisplayHttpServer server;
        QString why;
        QVERIFY2(server.start_local(dir.path(), 0, &why), qPrintable(why));
        QString base = QStringLiteral("http://127.0.0.1:%1/").arg(server.port());

        Fetched index = fetch(base);
        QCOMPARE(index.status, 200);
        QCOMPARE(index.type, QByteArray("text/html; charset=windows-1251"));
        QCOMPARE(index.body.toStdString(), finish_page(race.c));

        // The class page by the name its neighbour refreshes to (Cyrillic, percent-encoded).
        auto pages = build_multi_screen_pages(race.c, {}, MultiScreenKind::kLines);
        QUrl url(base);
        url.setPath("/" + QString::fromUtf8(u8(pages[0].file)));
        Fetched page = fetch(url.toString(QUrl::FullyEncoded));
        QCOMPARE(page.status, 200);
        QCOMPARE(page.body.toStdString(), pages[0].bytes);

        QCOMPARE(fetch(base + "nothing.htm").status, 404);
        QCOMPARE(fetch(base + "..%2Fsecret").status, 404);
        QCOMPARE(fetch(base + ".hidden").status, 404);
        // Symbolic links are not served, wherever they point: out of the folder or in it.
        std::ofstream(outside.path().toStdString() + "/secret.txt") << "secret";
        QVERIFY(QFile::link(outside.path() + "/secret.txt", dir.path() + "/out.htm"));
        QVERIFY(
            QFile::link(dir.path() + "/" + QString::fromStdString(std::string(kDisplayPageFile)),
                        dir.path() + "/again.htm"));
        QCOMPARE(fetch(base + "out.htm").status, 404);
        QCOMPARE(fetch(base + "again.htm").status, 404);
        QVERIFY(QDir().mkdir(dir.path() + "/sub"));
        QCOMPARE(fetch(base + "sub").status, 404);
        // It tells the address it really serves.
        QCOMPARE(server.urls(), QStringList{base});
        server.stop();
        QVERIFY(!server.running());
    }

    // Over HTTP the display page is live: the served page follows a WebSocket instead of
    // reloading, and each change of the finish data reaches the browsers at once (the page
    // file keeps its own pace). Live browsers beyond the cap are turned away.
    void display_page_is_live_over_http() {
        QTemporaryDir dir;
        Race race;
        DisplayHttpServer server;
        server.limits.request_timeout_ms = 1500;
        QString why;
        QVERIFY2(server.start_local(dir.path(), 0, &why), qPrintable(why));
        DisplayPages::Environment env;
        env.competition = [&race]() -> Competition& { return race.c; };
        env.folder = [&dir] { return dir.path(); };
        env.clock = [](int& h, int& m, int& s) { h = 10, m = 0, s = 0; };
        env.watched = [&server] { return server.running(); };
        env.publish = [&server](const std::string& page) {
            server.publish_display_page(QByteArray::fromStdString(page));
        };
        DisplayPages display(env);
        race.c.info.display_mode = 0;
        display.toggle();
        display.data_changed();
        const QString base = QStringLiteral("127.0.0.1:%1/").arg(server.port());

        Fetched index = fetch("http://" + base);
        QCOMPARE(index.status, 200);
        const QByteArray page = QByteArray::fromStdString(finish_page(race.c));
        QCOMPARE(index.body, live_display_page(page));
        QVERIFY(!index.body.contains("Refresh") && index.body.contains("/live"));
        QVERIFY(index.body.startsWith(page.left(page.indexOf("<META"))));
        QCOMPARE(fetch("http://" + base + "test2.htm").body, index.body);

        auto open_live = [&](QWebSocket& ws) {
            ws.open(QUrl("ws://" + base + "live"));
            QTRY_VERIFY_WITH_TIMEOUT(ws.state() == QAbstractSocket::ConnectedState, 20000);
        };
        QStringList got;
        QWebSocket ws;
        QObject::connect(&ws, &QWebSocket::textMessageReceived,
                         [&got](const QString& m) { got << m; });
        open_live(ws);
        // The page as it is now, then each new one.
        QTRY_COMPARE_WITH_TIMEOUT(got.size(), 1, 20000);
        QCOMPARE(got[0], QString::fromUtf8(u8(page.toStdString())));
        race.add_runner(3, "Третий", 1, 0, T(10, 0, 0), T(10, 59, 0));
        race.refresh();
        display.data_changed();
        QTRY_COMPARE_WITH_TIMEOUT(got.size(), 2, 20000);
        QVERIFY(got[1].contains(QStringLiteral("Третий")));
        QCOMPARE(server.live_connections(), 1);
        // A live connection asks for nothing more and is not closed as an idle one: an idle
        // connection opened after it is closed for waiting, the live one stays.
        QTcpSocket idle;
        idle.connectToHost(QHostAddress::LocalHost, quint16(server.port()));
        QVERIFY(idle.waitForConnected(20000));
        QTRY_COMPARE_WITH_TIMEOUT(idle.state(), QAbstractSocket::UnconnectedState, 30000);
        QCOMPARE(ws.state(), QAbstractSocket::ConnectedState);
        QCOMPARE(server.live_connections(), 1);

        // The cap: the connection beyond it is closed as a policy matter.
        std::vector<std::unique_ptr<QWebSocket>> more;
        for (int i = 1; i < DisplayHttpServer::kMaxLiveConnections; ++i) {
            more.push_back(std::make_unique<QWebSocket>());
            open_live(*more.back());
        }
        QTRY_COMPARE_WITH_TIMEOUT(server.live_connections(), DisplayHttpServer::kMaxLiveConnections,
                                  20000);
        QWebSocket refused;
        refused.open(QUrl("ws://" + base + "live"));
        QTRY_COMPARE_WITH_TIMEOUT(refused.closeCode(), QWebSocketProtocol::CloseCodePolicyViolated,
                                  20000);
        more.clear();
        QTRY_COMPARE_WITH_TIMEOUT(server.live_connections(), 1, 20000);
        display.toggle();
        server.stop();
    }

    // Connections that never send a request are closed after the time-out, and only so many
    // may wait at once (the oldest go): a screen still gets its page.
    void idle_connections_cannot_starve_the_server() {
        QTemporaryDir dir;
        QVERIFY(write_page_file(dir.path().toStdString(), kDisplayPageFile, "<html></html>"));
        DisplayHttpServer server;
        server.limits = {1500, 8};
        QString why;
        QVERIFY2(server.start_local(dir.path(), 0, &why), qPrintable(why));
        std::vector<std::unique_ptr<QTcpSocket>> idle;
        for (int i = 0; i < 20; ++i) {
            idle.push_back(std::make_unique<QTcpSocket>());
            idle.back()->connectToHost(QHostAddress::LocalHost, quint16(server.port()));
            QVERIFY(idle.back()->waitForConnected(20000));
        }
        auto open_count = [&] {
            int n = 0;
            for (auto& s : idle) n += s->state() == QAbstractSocket::ConnectedState;
            return n;
        };
        QTRY_VERIFY_WITH_TIMEOUT(open_count() <= 8, 20000);
        QCOMPARE(fetch(QStringLiteral("http://127.0.0.1:%1/").arg(server.port())).status, 200);
        QTRY_COMPARE_WITH_TIMEOUT(open_count(), 0, 30000);
        QTRY_COMPARE_WITH_TIMEOUT(server.tcp_server()->waiting(), 0, 30000);
    }

    void board_shows_the_four_lines_on_the_simulator() {
        Race race;
        sim::BoardSimulator board;
        std::string device = board.open_pty();
        QVERIFY(!device.empty());
        std::thread serve([&board] { board.run(); });
        std::vector<std::string> messages;
        DisplayBoardQt::Environment env;
        env.competition = [&race]() -> Competition& { return race.c; };
        env.device = [&device] { return device; };
        env.com_number = [] { return 1; };
        env.message = [&messages](const std::string& m) { messages.push_back(m); };
        DisplayBoardQt qt_board(env);
        qt_board.toggle();
        QVERIFY(qt_board.on());
        QCOMPARE(race.c.info.board_on, 1);
        QTRY_VERIFY_WITH_TIMEOUT(board.good_frames() >= 2, 20000);
        const std::string dots(26, '.');
        sim::BoardSimLines expected{dots, dots, cp("Иванов.Петр......0:30:12.."),
                                    cp("Орр..............0:50:01..")};
        QVERIFY(board.last_lines() == expected);
        qt_board.toggle();
        QVERIFY(!qt_board.on());
        QCOMPARE(race.c.info.board_on, 0);
        board.stop();
        serve.join();
        QCOMPARE(board.bad_frames(), 0);

        // A port that cannot be opened: the message, and the button stays pressed.
        device = "/nonexistent/tty";
        qt_board.toggle();
        QTRY_COMPARE_WITH_TIMEOUT(messages.size(), std::size_t(1), 20000);
        QCOMPARE(QString::fromStdString(u8(messages[0])).left(34),
                 QStringLiteral("Не могу инициализировать порт COM1"));
        QVERIFY(qt_board.on());
        qt_board.toggle();
        QVERIFY(!qt_board.on());

        // A port another reader holds: the button stays up and the message says who.
        PortClaim cards;
        QVERIFY(claim_serial_port(device, Txt::kPortHolderCards, cards));
        qt_board.toggle();
        QVERIFY(!qt_board.on());
        QCOMPARE(race.c.info.board_on, 0);
        QCOMPARE(messages.size(), std::size_t(2));
        QCOMPARE(messages[1],
                 port_busy_message(russian_language_table(), device, Txt::kPortHolderCards));
    }
};

QTEST_MAIN(ScreensUiTest)
#include "screens_ui_test.moc"
