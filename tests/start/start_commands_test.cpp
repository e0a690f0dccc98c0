// The start commands in the real main window (offscreen): each opens its dialog, runs its
// logic on OK and leaves the competition marked modified; their enabled state follows the
// table on show.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

#include "app/main_frame.h"
#include "app/skarvel_view.h"
#include "start/ui/start_dialogs.h"
#include "tests/core/competition_fixture.h"
#include "tests/main_window_fixture.h"

using namespace skarvel;
using namespace skarvel::testing;

class StartCommandsTest : public QObject, MainWindowFixture {
    Q_OBJECT

    void runners(int n) {
        add_class(c(), "M21", 1);
        add_club(c(), "Kedr", 1);
        add_club(c(), "Bor", 2);
        for (int i = 0; i < n; ++i) add_runner(c(), "Runner", i + 1, 1, i < n / 2 ? 1 : 2, 100 + i);
        c().rebuild_number_index();
        frame->view().update();
    }

  private slots:
    void initTestCase() { QVERIFY(set_up_program()); }
    void init() { QVERIFY(open(640, 480, false)); }
    void cleanup() { close(); }

    void numbersThroughTheDialog() {
        runners(3);
        c().modified = false;
        QVERIFY(enabled(CommandId::kSetStartNumbers));
        on_dialog<NumberingDialog>([](NumberingDialog* d) {
            d->first->setValue(101);
            d->step->setValue(1);
            d->accept();
        });
        trigger(CommandId::kSetStartNumbers);
        QCOMPARE(int(c().tables.runners[2]->start_number), 103);
        QCOMPARE(int(c().info.numbering_first), 104);
        QVERIFY(c().modified);
        // Cancel changes nothing.
        on_dialog<NumberingDialog>([](NumberingDialog* d) {
            d->first->setValue(1);
            d->reject();
        });
        trigger(CommandId::kSetStartNumbers);
        QCOMPARE(int(c().tables.runners[0]->start_number), 101);
    }

    void f4OnTheFinishTableCyclesTheStatus() {
        runners(2);
        add_line(c(), 2, 4000000);
        frame->view().show_table(kFinishLines);
        QVERIFY(enabled(CommandId::kSetStartNumbers));
        QVERIFY(!enabled(CommandId::kSetStartTimes));
        trigger(CommandId::kSetStartNumbers);
        QCOMPARE(int(c().tables.runners[1]->status), 1);
        trigger(CommandId::kSetStartNumbers);
        QCOMPARE(int(c().tables.runners[1]->status), 7);
        QVERIFY(c().modified);
    }

    void drawNeedsTwoCurrentRunners() {
        runners(1);
        QVERIFY(!enabled(CommandId::kDraw));
        QVERIFY(enabled(CommandId::kSetStartTimes));
        add_runner(c(), "Second", 2, 1, 1);
        QVERIFY(enabled(CommandId::kDraw));
        frame->view().show_table(kClubs);
        QVERIFY(!enabled(CommandId::kDraw));
        QVERIFY(!enabled(CommandId::kSetStartNumbers));
        QVERIFY(enabled(CommandId::kChangeNumber));  // always
        QVERIFY(enabled(CommandId::kCopyResultToStart));
    }

    // With no runner at all the extracts, cards and bibs still run and say there is nothing to
    // print.
    void printoutsRunWithAnEmptyTable() {
        QCOMPARE(c().tables.runners.occupied_count(), 0);
        for (CommandId id :
             {CommandId::kPrintExtracts, CommandId::kPrintExtractsMk, CommandId::kPrintRunnerCards,
              CommandId::kPrintBibs2007, CommandId::kPrintBibsWoc})
            QVERIFY2(enabled(id), qPrintable(QString::number(int(id))));
    }

    void drawKeepsClubsApart() {
        runners(8);
        on_dialog<DrawDialog>([](DrawDialog* d) {
            d->by_club->setChecked(true);
            d->by_heat->setChecked(false);
            d->accept();
        });
        trigger(CommandId::kDraw);
        // The table started with the clubs in two blocks; the draw mixed them (or said it
        // could not, for an unlucky order).
        bool apart = true;
        for (int i = 1; i < 8; ++i)
            apart &= c().tables.runners[i]->club_id != c().tables.runners[i - 1]->club_id;
        QVERIFY(apart != !prompts->messages.empty());
        QCOMPARE(int(c().info.draw_by_club), 1);
        QVERIFY(c().modified);
    }

    void renumberingRepeatsUntilCancel() {
        runners(3);
        on_dialog<RenumberDialog>([](RenumberDialog* d) {
            d->old_number->setValue(2);
            QCOMPARE(d->holder->text(), QStringLiteral("Runner"));
            d->new_number->setValue(20);
            d->accept();
            on_dialog<RenumberDialog>([](RenumberDialog* again) {
                // The last numbers are proposed again.
                QCOMPARE(again->old_number->value(), 2);
                QCOMPARE(again->new_number->value(), 20);
                again->reject();
            });
        });
        trigger(CommandId::kChangeNumber);
        QCOMPARE(int(c().tables.runners[1]->start_number), 20);
        QCOMPARE(c().runner_by_number(20), c().tables.runners[1]);
    }

    void startProtocolAsHtml() {
        runners(3);
        QString path = tmp.filePath("start.htm");
        prompts->files = {path.toStdString()};
        on_dialog<StartListDialog>([](StartListDialog* d) {
            d->to_html->setChecked(true);
            d->selection[0]->setChecked(true);
            d->accept();
        });
        trigger(CommandId::kPrintStartList);
        QVERIFY(QFile::exists(path));
        QCOMPARE(int(c().info.to_html), 1);
        QVERIFY(c().modified);
    }

    void relayCompetitionGetsTheRelayDialog() {
        runners(3);
        c().info.relay = 1;
        QString path = tmp.filePath("relay.htm");
        prompts->files = {path.toStdString()};
        on_dialog<RelayStartListDialog>([](RelayStartListDialog* d) {
            d->leg_dot_number->setChecked(true);
            d->first_leg_times->setChecked(true);
            d->accept();
        });
        trigger(CommandId::kPrintStartList);
        QVERIFY(QFile::exists(path));
        QCOMPARE(int(c().info.relay_leg_dot_number), 1);
        // The first-leg times are remembered for the next time while the program runs.
        on_dialog<RelayStartListDialog>([](RelayStartListDialog* d) {
            QVERIFY(d->first_leg_times->isChecked());
            d->reject();
        });
        trigger(CommandId::kPrintStartList);
    }
};

QTEST_MAIN(StartCommandsTest)
#include "start_commands_test.moc"
