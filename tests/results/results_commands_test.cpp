// The result commands in the real main window (offscreen): Ctrl+P on the finish table opens
// the result dialog and prints to the chosen PDF file; Ctrl+PgDn from the card readouts shows
// the live results board; the board's two toolbar toggles.
#include <QAction>
#include <QApplication>
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
#include "results/ui/result_print_dialog.h"
#include "tests/main_window_fixture.h"

using namespace skarvel;
using namespace skarvel::literals;

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
