// Rules of the list view's commands seen through the real main window (offscreen): what marks
// the competition modified, the random number the filter uses up, the live results board in a
// saved file, where the split printouts start, and the Find message.
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "app/dialogs/filter_dialog.h"
#include "app/dialogs/import_wdb_dialog.h"
#include "app/main_frame.h"
#include "app/skarvel_view.h"
#include "app/view_logic.h"
#include "core/cp1251.h"
#include "core/wdb_file.h"
#include "punch/ui/finish_dialogs.h"
#include "tests/core/competition_fixture.h"
#include "tests/main_window_fixture.h"

using namespace skarvel;
using namespace skarvel::literals;
using namespace skarvel::testing;

class ViewRulesTest : public QObject, MainWindowFixture {
    Q_OBJECT

    void three_runners() {
        add_class(c(), "M21", 1);
        add_runner(c(), "Echo", 5, 1);
        add_runner(c(), "Alpha", 1, 1);
        add_runner(c(), "Delta", 4, 1);
        c().rebuild_number_index();
        c().modified = false;
        frame->refresh_commands();
    }
    std::string path(const char* name) { return (tmp.path() + "/" + name).toStdString(); }

  private slots:
    void initTestCase() { QVERIFY(set_up_program()); }
    void init() { QVERIFY(open(900, 400)); }
    void cleanup() { close(); }

    void sortReordersWithoutMarkingModified() {
        three_runners();
        trigger(CommandId::kSortAlphabetically);
        QCOMPARE(std::string(field_text(c().tables.runners[0]->name)), std::string("Alpha"));
        QVERIFY(!c().modified);
        QVERIFY(!frame->isWindowModified());
    }

    void filterUsesUpOneRandomNumber() {
        three_runners();
        Rand15 expected;
        expected.set_state(frame->state().rand15.state());
        expected.next();
        on_dialog<FilterDialog>([](FilterDialog* d) { d->accept(); });
        trigger(CommandId::kFilter);
        QCOMPARE(frame->state().rand15.state(), expected.state());
        // Cancel draws nothing.
        on_dialog<FilterDialog>([](FilterDialog* d) { d->reject(); });
        trigger(CommandId::kFilter);
        QCOMPARE(frame->state().rand15.state(), expected.state());
    }

    void refusedImportChangesNothing() {
        three_runners();
        std::string damaged = path("damaged.wdb");
        std::vector<std::uint8_t> bytes = encode_wdb(c());
        bytes.resize(bytes.size() - 30);  // ends inside the trailer's records
        QFile f(QString::fromStdString(damaged));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
        f.close();
        for (bool only_marked : {false, true}) {
            prompts->files = {damaged};
            on_dialog<ImportWdbDialog>([only_marked](ImportWdbDialog* d) {
                d->only_marked_box()->setChecked(only_marked);
                d->findChild<QPushButton*>("import")->click();
            });
            trigger(CommandId::kImportWdb);
            QCOMPARE(c().tables.runners.live_count(), 3);
            // Unchanged, except for the dialog's "only marked", which is kept.
            QCOMPARE(c().info.only_marked, std::uint8_t(only_marked ? 1 : 0));
            QCOMPARE(c().modified, only_marked);
        }
    }

    void liveBoardIsSavedAndShownAgain() {
        three_runners();
        view().show_table(kCardReadouts);
        key(Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(view().shown_table(), view::kResultsBoard);
        prompts->files = {path("board.wdb")};
        QVERIFY(frame->save());
        std::vector<std::uint8_t> saved;
        {
            QFile f(tmp.path() + "/board.wdb");
            QVERIFY(f.open(QIODevice::ReadOnly));
            QByteArray all = f.readAll();
            saved.assign(all.begin(), all.end());
        }
        const std::size_t info_at = 4 + 4 * 4 + 3 * Runner::kSize + ClassRecord::kSize;
        QCOMPARE(int(saved.at(info_at + 1084)), view::kResultsBoard);
        trigger(CommandId::kShowRunners);
        QVERIFY(frame->open_file(tmp.path() + "/board.wdb"));
        QCOMPARE(view().shown_table(), view::kResultsBoard);
        key(Qt::Key_PageUp, Qt::ControlModifier);
        QCOMPARE(view().shown_table(), int(kCardReadouts));
    }

    void splitPrintoutsStartAtTheCurrentRowOfAnyTable() {
        three_runners();
        for (int card : {7001, 7002, 7003})
            c().tables.card_readouts[c().new_record(kCardReadouts)]->card_number = card;
        view().show_table(kRunners);
        view().set_cursor_row(1);
        frame->state().printer.pdf_path = tmp.filePath("splits.pdf");
        on_dialog<SplitRangeDialog>([](SplitRangeDialog* d) { d->accept(); });
        trigger(CommandId::kPrintSplits);
        // Readouts 2 and 3 have no owner: one message each.
        QCOMPARE(prompts->messages.size(), std::size_t(2));
        QCOMPARE(prompts->messages[0],
                 std::string("Владелец ЧИПа не найден, печатаю все отметки!"_cp1251));
    }

    void findFailureHasNoCaption() {
        three_runners();
        QVERIFY(!view().find("Zulu"));
        QCOMPARE(prompts->messages.size(), std::size_t(1));
        QVERIFY(prompts->captions == std::vector<std::string>{std::string()});
    }
};

QTEST_MAIN(ViewRulesTest)
#include "view_rules_test.moc"
