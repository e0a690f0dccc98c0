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
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "app/main_frame.h"
#include "app/skarvel_view.h"
#include "core/atomic_file.h"
#include "core/cp1251.h"
#include "core/time_text.h"
#include "core/wdb_file.h"
#include "platform/file_messages.h"
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

        // The long names beside the file go with every autosave.
        ClassRecord& k = *c().tables.classes[c().new_record(kClasses)];
        k.id = 77;
        set_field_text(k.name, "Long");
        c().long_names.set(kClasses, 77, {"Long", "Long name", ""});
        QTRY_VERIFY(frame->state().program_clock() != 0);
        right_click();
        QVERIFY(!c().modified);  // saved at once
        QTRY_VERIFY(!frame->saver().busy());
        auto loaded = std::make_unique<Competition>();
        ScriptedPrompts p;
        QVERIFY(load_wdb(*loaded, path.toStdString(), p).ok());
        QCOMPARE(loaded->tables.finish_lines.live_count(), 1);
        QVERIFY(loaded->long_names.find(kClasses, 77, "Long"));
        QCOMPARE(int(loaded->info.finish_autosave), 1);
    }

    // Finish autosave writes on a worker: a click while a write is held gets its own clock time
    // at once; the clicks made meanwhile are saved together when it ends, and the journal
    // lets go of what the saves hold.
    void clickDuringASlowSaveGetsItsOwnTime() {
        std::string path = tmp.filePath("slow.wdb").toStdString();
        prompts->files.push_back(path);
        QVERIFY(frame->save_as());
        trigger(CommandId::kFinishAutosave);
        view().show_table(kFinishLines);
        std::mutex m;
        std::condition_variable cv;
        bool release = false;
        std::atomic<int> held{0};
        BackgroundSaver& saver = frame->saver();
        saver.writer = [&](const std::string& p, const std::vector<std::uint8_t>& b, int* e) {
            ++held;
            std::unique_lock<std::mutex> lock(m);
            cv.wait_for(lock, std::chrono::seconds(120), [&] { return release; });
            return write_file_atomically(p, b.data(), b.size(), e);
        };
        QTRY_VERIFY(frame->state().program_clock() != 0);
        right_click();
        QTRY_COMPARE(held.load(), 1);
        std::int32_t first = c().tables.finish_lines[0]->time();
        QTRY_VERIFY((frame->state().program_clock() & 0xFFFFFF) != first);
        for (int i = 1; i <= 2; ++i) {
            std::int32_t now = frame->state().program_clock() & 0xFFFFFF;
            right_click();
            QCOMPARE(c().tables.finish_lines[i]->time(), now);
        }
        QVERIFY(saver.busy());
        QCOMPARE(saver.writes(), 1);
        {
            std::lock_guard<std::mutex> lock(m);
            release = true;
        }
        cv.notify_all();
        QTRY_VERIFY_WITH_TIMEOUT(saver.writes() == 2 && !saver.busy(), 60000);
        Competition loaded;
        ScriptedPrompts p;
        QVERIFY(load_wdb(loaded, path, p).ok());
        QCOMPARE(loaded.tables.finish_lines.live_count(), 3);
        QCOMPARE(read_journal(journal_path_for(path)).size(), std::size_t(0));
        QVERIFY(!c().modified);
    }

    // Save by hand while an autosave is held: the save waits for it, so the older snapshot
    // never lands after the newer file, and the autosave that was due is not made.
    void saveByHandWaitsForTheWriteUnderWay() {
        std::string path = tmp.filePath("hand.wdb").toStdString();
        prompts->files.push_back(path);
        QVERIFY(frame->save_as());
        trigger(CommandId::kFinishAutosave);
        view().show_table(kFinishLines);
        std::mutex m;
        std::condition_variable cv;
        bool saving = false;
        std::atomic<int> held{0};
        frame->saver().writer = [&](const std::string& p, const std::vector<std::uint8_t>& b,
                                    int* e) {
            ++held;
            std::unique_lock<std::mutex> lock(m);
            cv.wait_for(lock, std::chrono::seconds(120), [&] { return saving; });
            return write_file_atomically(p, b.data(), b.size(), e);
        };
        QTRY_VERIFY(frame->state().program_clock() != 0);
        right_click();
        QTRY_COMPARE(held.load(), 1);
        right_click();  // due after the write under way
        std::thread release([&] {
            std::lock_guard<std::mutex> lock(m);
            saving = true;
            cv.notify_all();
        });
        QVERIFY(frame->save());
        release.join();
        QCoreApplication::processEvents();
        QVERIFY(!frame->saver().busy());
        QCOMPARE(frame->saver().writes(), 1);
        Competition loaded;
        ScriptedPrompts p;
        QVERIFY(load_wdb(loaded, path, p).ok());
        QCOMPARE(loaded.tables.finish_lines.live_count(), 2);
    }

    // A day with autosave: a click, then its number typed. The autosaves empty the journal, so
    // the next open recovers nothing (an old entry of the line would come back as a second one).
    void reopenAfterAutosavesRecoversNothing() {
        std::string path = tmp.filePath("day.wdb").toStdString();
        prompts->files.push_back(path);
        QVERIFY(frame->save_as());
        trigger(CommandId::kFinishAutosave);
        view().show_table(kFinishLines);
        QTRY_VERIFY(frame->state().program_clock() != 0);
        right_click();
        view().set_cursor_row(0);
        key(Qt::Key_5);
        key(Qt::Key_Return);
        QCOMPARE(int(c().tables.finish_lines[0]->start_number), 5);
        QTRY_VERIFY(!frame->saver().busy());
        QVERIFY(!c().modified);
        close();
        QVERIFY(open(900, 400, false));
        QVERIFY(frame->open_file(QString::fromStdString(path)));
        QCOMPARE(c().tables.finish_lines.live_count(), 1);
        QVERIFY(prompts->messages.empty());
    }

    // A failed autosave of a typed number is told once, and the competition stays changed
    // with the line in the journal.
    void failedAutosaveIsToldOnceAndKeepsTheChange() {
        std::string path = tmp.filePath("full.wdb").toStdString();
        prompts->files.push_back(path);
        QVERIFY(frame->save_as());
        trigger(CommandId::kFinishAutosave);
        frame->saver().writer = [](const std::string&, const std::vector<std::uint8_t>&, int* e) {
            *e = ENOSPC;
            return false;
        };
        view().show_table(kFinishLines);
        std::size_t before = prompts->messages.size();
        key(Qt::Key_5);
        key(Qt::Key_Return);
        QTRY_COMPARE(prompts->messages.size(), before + 1);
        QCOMPARE(prompts->messages.back(),
                 file_error_message(frame->state().lang,
                                    frame->state().lang.text(Txt::kCannotWriteFile), path, ENOSPC));
        QVERIFY(!frame->saver().busy());
        QVERIFY(c().modified);
        QVERIFY(frame->isWindowModified());
        QVERIFY(frame->journal().flush());
        QCOMPARE(read_journal(journal_path_for(path)).size(), std::size_t(1));
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
