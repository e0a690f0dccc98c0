// Cards from the station simulator arriving in the real main window (offscreen) while a
// record editor is open: the card waits until the editor has closed and is then entered in
// full; the editor's OK keeps what the card made, and Cancel changes nothing of it.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <memory>
#include <thread>

#include "app/editors/record_editors.h"
#include "app/main_frame.h"
#include "app/skarvel_view.h"
#include "core/time_text.h"
#include "punch/ui/station_reader_qt.h"
#include "tests/main_window_fixture.h"
#include "tools/station_sim/station_sim.h"

using namespace skarvel;

namespace {

constexpr std::int32_t hms(int h, int m, int s) {
    return h * 360000 + m * 6000 + s * 100;
}

// The simulator on a pseudo-terminal with one card of runner 5: started 10:02 by the start
// station (the start list says 10:00), finished 10:30, control 32 missed.
struct LiveStation {
    sim::StationSimulator station;
    std::thread thread;
    std::string device;
    static sim::SimScript script() {
        sim::SimScript s;
        sim::parse_script(
            "card type=6 number=1234567 start=10:02:00 finish=10:30:00 punches=31@10:10:00\n", s,
            nullptr);
        return s;
    }
    LiveStation() : station(script(), {150, 5, 0}) {
        device = station.open_pty();
        thread = std::thread([this] { station.run(); });
    }
    ~LiveStation() {
        station.stop();
        thread.join();
    }
};

}  // namespace

class CardHandoverTest : public QObject, testing::MainWindowFixture {
    Q_OBJECT

    StationReaderQt* reader() { return frame->findChild<StationReaderQt*>("station_reader"); }

    void race() {
        Course& k = *c().tables.courses[c().new_record(kCourses)];
        k.id = 1;
        k.control_codes[0] = 31;
        k.control_codes[1] = 32;
        ClassRecord& g = *c().tables.classes[c().new_record(kClasses)];
        g.id = 1;
        g.course_id = 1;
        Runner& r = *c().tables.runners[c().new_record(kRunners)];
        r.id = 1;
        r.start_number = 5;
        r.card_number = 1234567;
        r.class_id = 1;
        r.start_time = hms(10, 0, 0);
        set_field_text(r.name, "Ivanov");
        c().rebuild_number_index();
        c().info.check_mode = kCheckCourse;
        c().info.finish_source = kSourceStation;
        c().info.start_source = kSourceStation;
    }

    // Inside the open editor: the station starts and its card arrives; nothing changes yet.
    bool card_arrives_while_open(LiveStation& live) {
        QSettings(QStringLiteral("Skarvel"), QStringLiteral("Skarvel"))
            .setValue("Setup/StationDevice", QString::fromStdString(live.device));
        if (!reader()->toggle(StationReaderQt::Mode::kCards)) return false;
        if (!QTest::qWaitFor([&] { return reader()->arrived_count() == 1; }, 15000)) return false;
        QTest::qWait(100);  // time for a wrong hand-over to show itself
        return c().tables.card_readouts.live_count() == 0 && c().tables.runners[0] &&
               c().tables.runners[0]->start_time == hms(10, 0, 0) &&
               c().tables.finish_lines.live_count() == 0;
    }

    // After the editor: the card's readout, finish line, start time and status, all as the
    // card made them.
    void check_card_entered(int readouts) {
        QVERIFY(QTest::qWaitFor([&] { return reader()->cards_processed() == 1; }, 15000));
        QCOMPARE(c().tables.card_readouts.live_count(), readouts);
        int found = 0;
        for (int i = 0; i < readouts; ++i) {
            const CardReadout* r = c().tables.card_readouts[i];
            if (r->card_number != 1234567) continue;
            ++found;
            QCOMPARE(r->finish.time, hms(10, 30, 0));
            QCOMPARE(r->punch_count, 1);
        }
        QCOMPARE(found, 1);
        QCOMPARE(c().tables.finish_lines.live_count(), 1);
        QCOMPARE(int(c().tables.finish_lines[0]->start_number), 5);
        QCOMPARE(c().tables.finish_lines[0]->time(), hms(10, 30, 0));
        QCOMPARE(c().tables.runners[0]->start_time, hms(10, 2, 0));
        QCOMPARE(int(c().tables.runners[0]->status), int(kStatusWrongPunch));
        QVERIFY(c().modified);
        reader()->stop();
    }

    void runner_editor(bool ok) {
        race();
        LiveStation live;
        view().show_table(kRunners);
        view().set_cursor_row(0);
        bool quiet = false;
        testing::on_dialog<RunnerEditor>([&](RunnerEditor* d) {
            quiet = card_arrives_while_open(live);
            d->findChild<QLineEdit*>("name")->setText("Petrov");
            QTest::mouseClick(d->findChild<QPushButton*>(ok ? "ok" : "cancel"), Qt::LeftButton);
        });
        trigger(CommandId::kEditRecord);
        QVERIFY2(quiet, "the card changed the tables while the editor was open");
        check_card_entered(1);
        QCOMPARE(QString::fromLatin1(field_text(c().tables.runners[0]->name).data()),
                 ok ? QStringLiteral("Petrov") : QStringLiteral("Ivanov"));
    }

    void empty_readout_row_editor(bool ok) {
        race();
        LiveStation live;
        view().show_table(kCardReadouts);
        view().set_cursor_row(0);
        bool quiet = false;
        testing::on_dialog<CardReadoutEditor>([&](CardReadoutEditor* d) {
            quiet = card_arrives_while_open(live);
            d->findChild<QLineEdit*>("card_number")->setText("777");
            QTest::mouseClick(d->findChild<QPushButton*>(ok ? "ok" : "cancel"), Qt::LeftButton);
        });
        trigger(CommandId::kEditRecord);
        QVERIFY2(quiet, "the card changed the tables while the editor was open");
        check_card_entered(ok ? 2 : 1);
        if (ok) QCOMPARE(c().tables.card_readouts[0]->card_number, 777);
    }

  private slots:
    void initTestCase() { QVERIFY(set_up_program()); }
    void init() { QVERIFY(open(900, 400, false)); }
    void cleanup() { close(); }

    void cardDuringRunnerEditorThenOk() { runner_editor(true); }
    void cardDuringRunnerEditorThenCancel() { runner_editor(false); }
    void cardDuringEmptyReadoutRowEditorThenOk() { empty_readout_row_editor(true); }
    void cardDuringEmptyReadoutRowEditorThenCancel() { empty_readout_row_editor(false); }
};

QTEST_MAIN(CardHandoverTest)
#include "card_handover_test.moc"
