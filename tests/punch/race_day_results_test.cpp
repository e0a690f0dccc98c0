// A paced race day in the real window (offscreen): the station simulator plays cards at the
// line speed of a 38400-baud station while the finish judge clicks and the display page is
// written. The window brings results up to date card by card, for the runner each card
// concerns; afterwards every result, place, finish-table row and the display page must be
// what the full recomputation gives.
#include <QDir>
#include <QEventLoop>
#include <QImage>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <thread>

#include "app/main_frame.h"
#include "app/skarvel_view.h"
#include "app/view_logic.h"
#include "core/demo_competition.h"
#include "core/finish_results.h"
#include "core/wdb_file.h"
#include "periph/display_pages.h"
#include "punch/ui/station_reader_qt.h"
#include "tests/main_window_fixture.h"
#include "tools/station_sim/station_sim.h"

using namespace skarvel;

namespace {

constexpr int kCards = 40;

// Everything the window shows or keeps that derives from the finish data.
std::vector<std::string> derived(Competition& c) {
    std::vector<std::string> out;
    for (int i = 0; i < c.tables.runners.used_end(); ++i)
        if (const Runner* r = c.tables.runners[i])
            out.push_back(std::to_string(r->finish_time) + ' ' + std::to_string(r->result) + ' ' +
                          std::to_string(r->place));
    view::RowContext row;
    for (int table : {int(kFinishLines), int(kCardReadouts)}) {
        view::prepare_paint(c, table, row);
        for (int slot = 0; slot < table_capacity(c, table) && slot_occupied(c, table, slot); ++slot)
            for (const view::Cell& cell : view::row_cells(c, table, slot, row))
                out.push_back(cell.text);
    }
    out.push_back(finish_page(c));
    return out;
}

}  // namespace

class RaceDayResultsTest : public QObject, testing::MainWindowFixture {
    Q_OBJECT

  private slots:
    void initTestCase() { QVERIFY(set_up_program()); }

    void pacedRaceDayGivesTheFullRecomputation() {
        QVERIFY(open(1200, 700, false));
        QString dir = tmp.path() + "/paced";
        QVERIFY(QDir().mkpath(dir));
        std::string file = (dir + "/race.wdb").toStdString();
        std::vector<CardReadout> cards;
        {
            Competition c;
            DemoOptions o;
            o.runners = 1500;
            o.still_out = kCards;
            make_demo_competition(c, o, &cards);
            QVERIFY(save_wdb(c, file));
        }
        QCOMPARE(int(cards.size()), kCards);
        QVERIFY(frame->open_file(QString::fromStdString(file)));
        view().show_table(kFinishLines);
        QApplication::processEvents();
        const int painted_before = view().rows_painted();
        const std::uint64_t builds_before = c().live.place_builds();

        sim::SimScript script = sim::script_of_readouts(cards);
        sim::StationSimulator station(std::move(script), {300, 0, 0, 38400});
        const std::string device = station.open_pty();
        QVERIFY(!device.empty());
        std::thread line([&] { station.run(); });
        QSettings(QStringLiteral("Skarvel"), QStringLiteral("Skarvel"))
            .setValue("Setup/StationDevice", QString::fromStdString(device));
        auto* reader = frame->findChild<StationReaderQt*>("station_reader");
        QVERIFY(reader);

        // Cards from the line and a finish click now and then, from the window's event loop.
        QEventLoop day;
        int clicks = 0;
        QTimer::singleShot(0, frame.get(), [&] { trigger(CommandId::kStartReading); });
        QTimer clicker;
        QObject::connect(&clicker, &QTimer::timeout, frame.get(), [&] {
            if (clicks < 5) {
                QPointF at(50, 50);
                QMouseEvent press(QEvent::MouseButtonPress, at, view().mapToGlobal(at),
                                  Qt::RightButton, Qt::RightButton, Qt::NoModifier);
                QCoreApplication::sendEvent(&view(), &press);
                ++clicks;
            }
            if (clicks == 5 && reader->cards_processed() == kCards) day.quit();
        });
        clicker.start(700);
        QTimer::singleShot(300000, &day, &QEventLoop::quit);
        day.exec();
        clicker.stop();
        trigger(CommandId::kStartReading);  // stops reading
        station.stop();
        line.join();
        QCOMPARE(reader->cards_processed(), kCards);
        QCOMPARE(clicks, 5);

        // Cards were updates of their runners: everything was worked out anew only after the
        // clicks (a handful more at most).
        QVERIFY2(c().live.place_builds() - builds_before <= 10,
                 qPrintable(QString::number(c().live.place_builds() - builds_before)));
        // The view repainted only the rows that changed, and what it shows is what a full
        // repaint would draw.
        const int visible = view::visible_rows(view().height());
        QVERIFY2(view().rows_painted() - painted_before < kCards * visible / 2,
                 qPrintable(QString::number(view().rows_painted() - painted_before)));
        QApplication::processEvents();
        const QPoint at = view().mapTo(frame.get(), QPoint(0, 0));
        const QImage on_screen =
            frame->screen()
                ->grabWindow(frame->winId(), at.x(), at.y(), view().width(), view().height())
                .toImage()
                .convertToFormat(QImage::Format_RGB32);
        const QImage redrawn = view().grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(on_screen.size(), redrawn.size());
        QVERIFY(on_screen == redrawn);

        const std::vector<std::string> kept = derived(c());
        finish_data_changed(c());
        const std::vector<std::string> full = derived(c());
        QCOMPARE(kept.size(), full.size());
        for (std::size_t i = 0; i < kept.size(); ++i)
            QVERIFY2(kept[i] == full[i], qPrintable(QString::number(i)));
        close();
    }
};

QTEST_MAIN(RaceDayResultsTest)
#include "race_day_results_test.moc"
