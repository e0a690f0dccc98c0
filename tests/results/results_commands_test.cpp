// The result commands in the real main window (offscreen): Ctrl+P on the finish table opens
// the result dialog and prints to the chosen PDF file; Ctrl+PgDn from the card readouts shows
// the live results board; the board's two toolbar toggles; the multi-day commands.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMessageBox>
#include <QRadioButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

#include "app/main_frame.h"
#include "app/skarvel_view.h"
#include "core/cp1251.h"
#include "platform/qt/qt_text.h"
#include "results/ui/multiday_dialogs.h"
#include "results/ui/result_print_dialog.h"
#include "start/ui/prerace_dialogs.h"
#include "tests/main_window_fixture.h"

using namespace skarvel;
using namespace skarvel::literals;

// A name field as the protocols write it ("%-25.25s").
std::string cp_field(std::string name) {
    name.resize(25, ' ');
    return name;
}

class ResultsCommandsTest : public QObject, testing::MainWindowFixture {
    Q_OBJECT

    void add_finisher(int number, std::int32_t start, std::int32_t finish) {
        int slot = c().new_record(kRunners);
        QVERIFY(slot != kNoSlot);
        Runner& r = *c().tables.runners[slot];
        r.id = number;
        r.start_number = static_cast<std::uint16_t>(number);
        set_field_text(r.name, "Иванов"_cp1251);
        r.class_id = 1;
        r.start_time = start;
        slot = c().new_record(kFinishLines);
        QVERIFY(slot != kNoSlot);
        FinishLine& f = *c().tables.finish_lines[slot];
        f.start_number = static_cast<std::int16_t>(number);
        f.set_time(finish);
    }

  private slots:
    void initTestCase() { QVERIFY(set_up_program()); }

    void init() {
        QVERIFY(open(1300, 500));
        int slot = c().new_record(kClasses);
        QVERIFY(slot != kNoSlot);
        ClassRecord& k = *c().tables.classes[slot];
        k.id = 1;
        set_field_text(k.name, "М21"_cp1251);
        k.set_marked(true);
        add_finisher(1, 3600000, 3780000);
        add_finisher(2, 3660000, 3800000);
        c().rebuild_number_index();
    }

    void cleanup() { close(); }

    void ctrlPOnTheFinishTablePrintsTheProtocol() {
        QString pdf = tmp.filePath("protocol.pdf");
        frame->state().printer.pdf_path = pdf;
        prompts->files.push_back(path_of(pdf));
        view().show_table(kFinishLines);
        frame->refresh_commands();
        bool seen = false;
        QTimer::singleShot(0, [&seen] {
            auto* d = qobject_cast<ResultPrintDialog*>(QApplication::activeModalWidget());
            if (!d) return;
            seen = true;
            d->findChild<QRadioButton*>("channel0")->setChecked(true);  // the printer
            d->accept();
        });
        QTest::keyClick(&view(), Qt::Key_P, Qt::ControlModifier);
        QVERIFY(seen);
        // The print asked for its file, proposing the report's name beside the last file.
        QCOMPARE(qpath(prompts->suggested_files.at(0)),
                 tmp.filePath(QStringLiteral("Протокол результатов.pdf")));
        QVERIFY(QFile::exists(pdf));
        QVERIFY(QFile(pdf).size() > 1000);
        QVERIFY2(frame->status_text().endsWith(QDir::toNativeSeparators(pdf)),
                 qPrintable(frame->status_text()));
        QVERIFY(c().modified);
        QVERIFY(prompts->messages.empty());
    }

    void cancellingTheDialogPrintsNothing() {
        QString pdf = tmp.filePath("cancelled.pdf");
        frame->state().printer.pdf_path = pdf;
        view().show_table(kFinishLines);
        frame->refresh_commands();
        QTimer::singleShot(0, [] {
            if (auto* d = qobject_cast<ResultPrintDialog*>(QApplication::activeModalWidget()))
                d->reject();
        });
        frame->action(CommandId::kPrintResultList)->trigger();
        QVERIFY(!QFile::exists(pdf));
        QVERIFY(!c().modified);
    }

    static QByteArray file(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // Save the day file, read it into the day chosen in its dialog, both protocols with the
    // handicap start file, the summary table; each dialog's choices are kept in the
    // competition and offered the next time.
    void multiDayCommands() {
        using testing::on_dialog;
        c().info.time_precision = 0;
        c().tables.runners[0]->marked = 1;
        const QString day = tmp.filePath("day.txt");
        prompts->files = {path_of(day)};
        trigger(CommandId::kMultiDaySave);
        QCOMPARE(file(day), QByteArray("1 00:30:00,00\r\n2 00:23:20,00\r\n"));

        prompts->files = {path_of(day)};
        on_dialog<DayChoiceDialog>([](DayChoiceDialog* d) {
            d->day_buttons[2]->setChecked(true);
            d->accept();
        });
        trigger(CommandId::kMultiDayRead);
        QCOMPARE(c().tables.runners[0]->day_results[2], 180000);
        QCOMPARE(c().tables.runners[1]->day_results[2], 140000);
        QCOMPARE(c().tables.runners[0]->day_results[0], 0);
        QVERIFY(c().modified);

        const QString html = tmp.filePath("m.htm"), handicap = tmp.filePath("h.txt");
        prompts->files = {path_of(html), path_of(handicap)};
        on_dialog<MultiDayDialog>([](MultiDayDialog* d) {
            d->day_boxes[2]->setChecked(true);
            d->handicap->setChecked(true);
            d->accept();
        });
        trigger(CommandId::kMultiDayCalc);
        QCOMPARE(file(handicap), QByteArray("2 00:00:00\r\n1 00:06:40\r\n"));
        // The faster runner first, with place 1 (birth year 0, number 2).
        QVERIFY(file(html).contains(
            "\r\n   1 " + QByteArray::fromStdString(cp_field("Иванов"_cp1251)) + "    0    2 "));
        QCOMPARE(c().tables.runners[0]->multiday_total, 180000);

        const QString places = tmp.filePath("p.htm");
        prompts->files = {path_of(places)};
        on_dialog<MultiDayDialog>([](MultiDayDialog* d) {
            QCOMPARE(d->days(), 0b100u);  // as chosen before
            QVERIFY(d->handicap->isChecked());
            d->handicap->setChecked(false);
            d->accept();
        });
        trigger(CommandId::kMultiDayCalc2);
        QVERIFY(file(places).contains("00:30:00 (  2) 00:30:00 (2)"));
        QVERIFY(prompts->files.empty());

        const QString summary = tmp.filePath("s.htm");
        prompts->files = {path_of(summary)};
        on_dialog<MandateDialog>([](MandateDialog* d) {
            d->only_marked->setChecked(true);
            d->accept();
        });
        trigger(CommandId::kMultiDaySummary);
        QVERIFY(file(summary).endsWith("<td>1</td></tr>\r\n</table></html>"));

        // Kept in the competition: the days, the handicap flag, the day read, only marked.
        std::uint8_t block[CompetitionInfo::kSize];
        c().info.encode(block);
        const int want[][2] = {{1124, 0}, {1126, 1}, {1095, 0}, {1106, 2}, {1036, 1}};
        for (auto [offset, value] : want) QCOMPARE(int(block[offset]), value);
        on_dialog<DayChoiceDialog>([](DayChoiceDialog* d) {
            QCOMPARE(d->day(), 2);
            d->reject();
        });
        trigger(CommandId::kMultiDayRead);
        QVERIFY(prompts->messages.empty());
    }

    void boardFromTheCardReadoutsWithItsToggles() {
        view().show_table(kCardReadouts);
        QTest::keyClick(&view(), Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(view().shown_table(), int(view::kResultsBoard));
        QImage image = view().grab().toImage();
        QVERIFY(!image.isNull());
        frame->refresh_commands();
        QVERIFY(!frame->action(CommandId::kBoardWithoutFinish)->isChecked());
        frame->action(CommandId::kBoardWithoutFinish)->trigger();
        QCOMPARE(int(c().info.board_without_finish), 1);
        frame->action(CommandId::kBoardNegativeTimes)->trigger();
        QCOMPARE(int(c().info.board_negative_times), 1);
        frame->refresh_commands();
        QVERIFY(frame->action(CommandId::kBoardWithoutFinish)->isChecked());
        QVERIFY(frame->action(CommandId::kBoardNegativeTimes)->isChecked());
        // SKARVEL_BOARD_PNG=path keeps a picture of the board (for the documentation).
        if (QString out = qEnvironmentVariable("SKARVEL_BOARD_PNG"); !out.isEmpty())
            QVERIFY(view().grab().toImage().save(out));
    }
};

QTEST_MAIN(ResultsCommandsTest)
#include "results_commands_test.moc"
