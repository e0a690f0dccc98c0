// The stall meter catches a deliberate 60 ms busy stretch of the window's thread in the loops a
// program runs (the top-level loop, a nested processEvents() loop, a command), names what ran,
// logs it, sees no stall of its own making while the thread is idle, and sleeps meanwhile.
#include "app/stall_meter.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <ctime>
#include <functional>

#include "app/command_table.h"
#include "platform/stall_scope.h"

using namespace skarvel;
using namespace std::chrono_literals;

namespace {

// Runs the event loop (exec) until `done` holds or `limit_ms` has passed.
bool run_until(const std::function<bool()>& done, int limit_ms = 30000) {
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) loop.quit();
    });
    poll.start(5);
    QTimer::singleShot(limit_ms, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

// Keeps the thread busy for `length` of its own processor time (on a loaded machine that takes
// longer on the clock).
void busy(std::chrono::milliseconds length) {
    auto used = [] {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
    };
    auto end = used() + length;
    while (used() < end) {
    }
}

}  // namespace

class StallMeterTest : public QObject {
    Q_OBJECT

  private slots:
    void busyStretchIsCaughtAndNamed_data() {
        QTest::addColumn<int>("loop");
        QTest::addColumn<QString>("named");
        QTest::newRow("top-level loop") << 0 << "handler deliberate busy stretch";
        QTest::newRow("nested processEvents loop") << 1 << "handler deliberate busy stretch";
        QTest::newRow("command") << 2 << "command Save";
    }

    void busyStretchIsCaughtAndNamed() {
        QFETCH(int, loop);
        QFETCH(QString, named);
        QTemporaryDir dir;
        QString log = dir.path() + "/stalls.log";
        StallMeter meter(log);
        QVERIFY(meter.ok());
        QVERIFY(run_until([&] { return meter.heartbeats() >= 3; }));

        CommandRegistry commands;
        commands.bind(CommandId::kSave, [] { busy(60ms); });
        auto stretch = [] {
            StallScope scope("deliberate busy stretch");
            busy(60ms);
        };
        bool ran = false;
        QTimer::singleShot(0, [&] {
            if (loop == 0) {
                stretch();
            } else if (loop == 1) {
                // A handler that waits in a loop of its own, as progress dialogs do.
                QTimer::singleShot(10, stretch);
                QElapsedTimer t;
                t.start();
                while (t.elapsed() < 200) QCoreApplication::processEvents();
            } else {
                commands.run(CommandId::kSave);
            }
            ran = true;
        });
        std::uint64_t seen = 0;
        QVERIFY(run_until([&] {
            if (ran && seen == 0) seen = meter.heartbeats();
            return ran && meter.heartbeats() >= seen + 3;
        }));

        std::vector<Stall> stalls = meter.stalls();
        const Stall* found = nullptr;
        for (const Stall& s : stalls)
            if (QString::fromStdString(s.what).contains(named)) found = &s;
        QVERIFY2(found,
                 qPrintable(QString("%1 stalls, none names '%2'").arg(stalls.size()).arg(named)));
        qInfo("%s: %.1f ms (%.1f waiting for a processor, %.1f on it): %s", QTest::currentDataTag(),
              found->ms, found->cpu_wait_ms, found->cpu_ms, found->what.c_str());
        // The length is a lower bound (the stretch may begin before the heartbeat is posted);
        // the processor time is the stretch's own.
        QVERIFY2(found->ms >= 30 && found->own_ms() >= 58, qPrintable(QString::number(found->ms)));

        QFile f(log);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QString text = QString::fromUtf8(f.readAll());
        QVERIFY2(text.contains(QString::fromStdString(found->began) + "\t") && text.contains(named),
                 qPrintable(text));
    }

    // Idle, the window's thread answers at once: whatever a loaded machine adds is time spent
    // waiting for a processor, never the program's own.
    void idleThreadHasNoStallOfItsOwn() {
        if (!StallMeter::measures_cpu_wait()) QSKIP("this system does not tell a thread's wait");
        StallMeter meter({});
        QVERIFY(run_until([&] { return meter.heartbeats() >= 40; }));
        for (const Stall& s : meter.stalls())
            QVERIFY2(s.own_ms() < 20, qPrintable(QString::fromStdString(s.what)));
    }

    // While the window's thread waits for events the meter sleeps: an idle window costs it
    // nothing (a heartbeat every tick would be some 60 in this wait).
    void idleThreadWakesNoHeartbeat() {
        StallMeter meter({});
        QVERIFY(run_until([&] { return meter.heartbeats() >= 3; }));
        QEventLoop idle;
        QTimer::singleShot(300, &idle, &QEventLoop::quit);
        const std::uint64_t before = meter.heartbeats();
        idle.exec();
        QVERIFY2(meter.heartbeats() - before <= 5,
                 qPrintable(QString::number(meter.heartbeats() - before)));
    }
};

QTEST_MAIN(StallMeterTest)
#include "stall_meter_test.moc"
