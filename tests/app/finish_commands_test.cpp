// The finish-list commands in the real main window (offscreen): clock registration with the
// right mouse button into prepared lines, finish autosave, the result plate on Ctrl+W and the
// preparation dialog.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QMessageBox>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

#include "app/main_frame.h"
#include "app/skarvel_view.h"
#include "core/cp1251.h"
#include "core/time_text.h"
#include "core/wdb_file.h"
#include "platform/qt/qt_text.h"
#include "punch/ui/finish_dialogs.h"
#include "tests/main_window_fixture.h"

using namespace skarvel;
using namespace skarvel::literals;

class FinishCommandsTest : public QObject, testing::MainWindowFixture {
    Q_OBJECT

    FinishLine& line(int number, std::int32_t time) {
        FinishLine& l = *c().tables.finish_lines[c().new_record(kFinishLines)];
        l.start_number = static_cast<std::int16_t>(number);
        l.set_time(time);
        return l;
    }
    void right_click() {
        QTest::mouseClick(&view(), Qt::RightButton, Qt::NoModifier, QPoint(50, 40));
    }

  private slots:
    void initTestCase() { QVERIFY(set_up_program()); }
    void init() { QVERIFY(open(900, 400)); }
    void cleanup() { close(); }

    void rightButtonFillsPreparedLinesThenAppends() {
        line(1, 0);
        line(2, 0);
        view().show_table(kFinishLines);
        QTRY_VERIFY(frame->state().program_clock() != 0);
        right_click();
        QVERIFY(c().tables.finish_lines[0]->time() != 0);
        QCOMPARE(c().tables.finish_lines[1]->time(), 0);
        right_click();
        QCOMPARE(c().tables.finish_lines.live_count(), 2);
        QCOMPARE(int(c().tables.finish_lines[0]->start_number), 1);
        QCOMPARE(int(c().tables.finish_lines[1]->start_number), 2);
        QCOMPARE(c().tables.finish_lines[1]->time(), frame->state().program_clock() & 0xFFFFFF);
        right_click();
        QCOMPARE(c().tables.finish_lines.live_count(), 3);
        QCOMPARE(int(c().tables.finish_lines[2]->start_number), 0);
        QVERIFY(c().modified);
    }

    void autosaveNeedsANameThenSavesEveryClick() {
        trigger(CommandId::kFinishAutosave);
        QCOMPARE(int(c().info.finish_autosave), 0);
        QCOMPARE(
            prompts->messages.back(),
            std::string(
                "Для автосохранения финиша\nсначала сохраните рабочий\nфайл под каким-либо именем!"_cp1251));
        QCOMPARE(prompts->captions.back(), std::string("Нет имени файла"_cp1251));

        QString path = tmp.filePath("race.wdb");
        prompts->files.push_back(path.toStdString());
        QVERIFY(frame->save_as());
        trigger(CommandId::kFinishAutosave);
        QCOMPARE(int(c().info.finish_autosave), 1);
        frame->refresh_commands();
        QVERIFY(frame->action(CommandId::kFinishAutosave)->isChecked());

        QTRY_VERIFY(frame->state().program_clock() != 0);
        right_click();
        QVERIFY(!c().modified);  // saved at once
        auto loaded = std::make_unique<Competition>();
        ScriptedPrompts p;
        QVERIFY(load_wdb(*loaded, path.toStdString(), p).ok());
        QCOMPARE(loaded->tables.finish_lines.live_count(), 1);
        QCOMPARE(int(loaded->info.finish_autosave), 1);
    }

    void resultPlateOnCtrlWPrintsAndMovesDown() {
        Runner& r = *c().tables.runners[c().new_record(kRunners)];
        r.start_number = 42;
        r.result = parse_time_text("00:45:12");
        c().rebuild_number_index();
        line(42, 100);
        line(43, 200);
        view().show_table(kFinishLines);
        QString pdf = tmp.filePath("plate.pdf");
        frame->state().printer.pdf_path = pdf;
        prompts->files.push_back(path_of(pdf));
        trigger(CommandId::kResultPlate);
        QVERIFY(QFile::exists(pdf));
        QVERIFY(QFile(pdf).size() > 0);
        QCOMPARE(view().cursor_row(), 1);
        // Line 43 has no runner: nothing printed, the cursor stays.
        QFile::remove(pdf);
        trigger(CommandId::kResultPlate);
        QVERIFY(!QFile::exists(pdf));
        QCOMPARE(view().cursor_row(), 1);
    }

    void preparationDialogClearsWhatIsTicked() {
        line(1, 100);
        Runner& r = *c().tables.runners[c().new_record(kRunners)];
        r.status = 2;
        c().tables.card_readouts.new_record();
        QTimer::singleShot(0, [] {
            auto* d = qobject_cast<FinishPreparationDialog*>(QApplication::activeModalWidget());
            QVERIFY(d);
            d->clear_readouts->setChecked(false);
            d->accept();
        });
        trigger(CommandId::kPrepareFinish);
        QCOMPARE(c().tables.finish_lines.live_count(), 0);
        QCOMPARE(c().tables.card_readouts.live_count(), 1);
        QCOMPARE(int(c().tables.runners[0]->status), 0);
        QCOMPARE(view().shown_table(), int(kFinishLines));
    }
};

QTEST_MAIN(FinishCommandsTest)
#include "finish_commands_test.moc"
