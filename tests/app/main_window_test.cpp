// The real main window, driven with key presses, clicks and menu actions (offscreen).
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <fstream>
#include <memory>

#include "app/dialogs/card_sort_dialog.h"
#include "app/dialogs/filter_dialog.h"
#include "app/dialogs/import_wdb_dialog.h"
#include "app/help_file.h"
#include "app/main_frame.h"
#include "app/settings.h"
#include "app/skarvel_view.h"
#include "app/startup.h"
#include "core/wdb_file.h"
#include "platform/qt/dialog_sizing.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/sound_service.h"
#include "tests/core/competition_fixture.h"
#include "tests/main_window_fixture.h"

using namespace skarvel;
using namespace skarvel::literals;
using namespace skarvel::testing;

namespace {

QString U(std::string_view cp1251) {
    return qs(cp1251);
}

}  // namespace

class MainWindowTest : public QObject, MainWindowFixture {
    Q_OBJECT

    void five_runners() {
        add_class(c(), "M21", 1);
        add_class(c(), "Empty", 2);
        add_club(c(), "Kedr", 1);
        add_runner(c(), "Echo", 5, 1, 1, 500);
        add_runner(c(), "Alpha", 1, 1, 1, 100);
        add_runner(c(), "Delta", 4, 1, 1, 400);
        add_runner(c(), "Bravo", 2, 1, 1, 200);
        add_runner(c(), "Charlie", 3, 1, 1, 300);
        c().rebuild_number_index();
        view().update();
    }

  private slots:
    void initTestCase() { QVERIFY(set_up_program()); }
    void init() { QVERIFY(open(1000, 20 + 17 * 10 + 120)); }
    void cleanup() { close(); }

    void menusInBothLanguagesAndSwitchAtRunTime() {
        auto titles = [this] {
            QStringList t;
            for (QMenu* m : frame->top_menus()) t << m->title();
            return t;
        };
        QStringList ru = {U("Файл"_cp1251), U("Редактирование"_cp1251), U("Вид"_cp1251),
                          U("Сервис"_cp1251), U("Дополнительно"_cp1251)};
        QCOMPARE(titles().mid(0, 5), ru);
        QCOMPARE(frame->action(CommandId::kNew)->text(), U("Создать\tCtrl+N"_cp1251));
        QVERIFY(frame->action(CommandId::kRussian)->isChecked());
        QVERIFY(!frame->action(CommandId::kEnglish)->isChecked());

        trigger(CommandId::kEnglish);
        QCOMPARE(titles().mid(0, 5), (QStringList{"File", "Edit", "View", "Service", "Add-on"}));
        QCOMPARE(frame->action(CommandId::kNew)->text(), QStringLiteral("New\tCtrl+N"));
        QCOMPARE(frame->action(CommandId::kUndo)->text(), QStringLiteral("Undo\tCtrl-Z"));
        QCOMPARE(frame->action(CommandId::kShowClasses)->text(), QStringLiteral("Categories\tF10"));
        QCOMPARE(frame->action(CommandId::kStartServer)->text(),
                 QStringLiteral("Start the server"));
        QCOMPARE(frame->menu("file/import")->title(), QStringLiteral("import"));
        QCOMPARE(frame->menu("service/marked")->title(), QStringLiteral("Marked route"));
        QCOMPARE(frame->menu("service/multiday")->title(), QStringLiteral("MultiDay"));
        QCOMPARE(frame->menu("lcd")->title(), QStringLiteral("LCD"));
        QCOMPARE(frame->menu("addon/server")->title(), QStringLiteral("Server"));
        QVERIFY(frame->action(CommandId::kEnglish)->isChecked());
        QCOMPARE(QSettings("Skarvel", "Skarvel").value("Setup/Lang").toInt(), 1);

        // A dialog opened now is in English.
        five_runners();
        on_dialog<FilterDialog>([](FilterDialog* d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Filter"));
            QCOMPARE(d->class_box()->itemText(0), QStringLiteral("--Any--"));
            d->reject();
        });
        trigger(CommandId::kFilter);

        trigger(CommandId::kRussian);
        QCOMPARE(titles().mid(0, 5), ru);
        QCOMPARE(frame->menu("file/import")->title(), QStringLiteral("import"));
        QCOMPARE(frame->action(CommandId::kUndo)->text(), U("Отменить\tCtrl+Z"_cp1251));
        QCOMPARE(QSettings("Skarvel", "Skarvel").value("Setup/Lang").toInt(), 0);
        on_dialog<FilterDialog>([](FilterDialog* d) {
            QCOMPARE(d->windowTitle(), U("Фильтр"_cp1251));
            QCOMPARE(d->class_box()->itemText(0), U("--Все равно--"_cp1251));
            d->reject();
        });
        trigger(CommandId::kFilter);
    }

    // Message boxes and file dialogs are Qt's own; their buttons follow the language too.
    void qtOwnButtonsFollowTheLanguage() {
        auto yes_text = [] {
            QMessageBox box;
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            return box.button(QMessageBox::Yes)->text().remove(QLatin1Char('&'));
        };
        trigger(CommandId::kEnglish);
        QCOMPARE(yes_text(), QStringLiteral("Yes"));
        trigger(CommandId::kRussian);
        QCOMPARE(yes_text(), U("Да"_cp1251));
        trigger(CommandId::kEnglish);
        QCOMPARE(yes_text(), QStringLiteral("Yes"));
    }

    void languageSettingIsReadAtStart() {
        QSettings("Skarvel", "Skarvel").setValue("Setup/Lang", 1);
        CMainFrame other(prompts.get());
        QCOMPARE(other.top_menus()[0]->title(), QStringLiteral("File"));
        QCOMPARE(other.top_menus()[4]->title(), QStringLiteral("Add-on"));
    }

    void unboundCommandsAreShownDisabled() {
        frame->refresh_commands();
        QVERIFY(!frame->action(CommandId::kPenaltyClearTable)->isEnabled());
        QVERIFY(!frame->action(CommandId::kNoCommand)->isEnabled());
        QVERIFY(frame->action(CommandId::kOpen)->isEnabled());
        QVERIFY(frame->action(CommandId::kShowRunners)->isChecked());
    }

    void downStopsAtTheFirstEmptyRow() {
        five_runners();
        for (int i = 0; i < 4; ++i) key(Qt::Key_Down);
        QCOMPARE(view().cursor_row(), 4);
        key(Qt::Key_Down);
        QCOMPARE(view().cursor_row(), 5);
        key(Qt::Key_Down);
        QCOMPARE(view().cursor_row(), 5);
        key(Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(view().cursor_row(), 0);
        key(Qt::Key_Up);
        QCOMPARE(view().cursor_row(), 0);
        key(Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(view().cursor_row(), 5);
        // Wheel: a negative delta is Down, a positive one Up.
        QWheelEvent up(QPointF(10, 50), view().mapToGlobal(QPointF(10, 50)), QPoint(),
                       QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&view(), &up);
        QCOMPARE(view().cursor_row(), 4);
    }

    void pageDownOnAShortTable() {
        five_runners();
        key(Qt::Key_PageDown);
        QCOMPARE(view().cursor_row(), 5);
        QCOMPARE(view().top_row(), 0);
        key(Qt::Key_PageUp);
        QCOMPARE(view().cursor_row(), 0);
    }

    void pageDownOnALongTableScrolls() {
        for (int i = 0; i < 40; ++i) add_runner(c(), "R", i + 1);
        int visible = view().visible_row_count();
        QVERIFY(visible >= 5);
        key(Qt::Key_PageDown);
        QCOMPARE(view().cursor_row(), visible);
        QCOMPARE(view().top_row(), visible);
        for (int i = 0; i < visible; ++i) key(Qt::Key_Up);
        QCOMPARE(view().cursor_row(), 0);
        QCOMPARE(view().top_row(), 0);
    }

    void clicksMapToRows() {
        five_runners();
        QTest::mouseClick(&view(), Qt::LeftButton, Qt::NoModifier, QPoint(50, 20 + 17 * 2 + 5));
        QCOMPARE(view().cursor_row(), 2);
        QTest::mouseClick(&view(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(50, 5));  // y 4..19: row 0
        QCOMPARE(view().cursor_row(), 0);
        QTest::mouseClick(&view(), Qt::LeftButton, Qt::NoModifier, QPoint(50, 20 + 17 * 8 + 3));
        QCOMPARE(view().cursor_row(), 5);  // an empty row: the first empty slot
    }

    void tablesByKeysAndCtrlPage() {
        key(Qt::Key_F10);
        QCOMPARE(view().shown_table(), int(kClasses));
        key(Qt::Key_F11);
        QCOMPARE(view().shown_table(), int(kClubs));
        key(Qt::Key_F12);
        QCOMPARE(view().shown_table(), int(kCourses));
        key(Qt::Key_F3);
        QCOMPARE(view().shown_table(), int(kFinishLines));
        trigger(CommandId::kShowCardReadouts);
        QCOMPARE(view().shown_table(), int(kCardReadouts));
        key(Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(view().shown_table(), view::kResultsBoard);
        key(Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(view().shown_table(), view::kResultsBoard);
        for (int i = 0; i < 8; ++i) key(Qt::Key_PageUp, Qt::ControlModifier);
        QCOMPARE(view().shown_table(), int(kRunners));
        key(Qt::Key_F9);
        QCOMPARE(view().shown_table(), int(kRunners));
        QVERIFY(frame->action(CommandId::kShowRunners)->isChecked());
    }

    void filterToAClassWithoutRunnersAndBack() {
        five_runners();
        on_dialog<FilterDialog>([](FilterDialog* d) {
            d->class_box()->setCurrentIndex(d->class_box()->findText("Empty"));
            d->findChild<QPushButton*>("search")->click();
        });
        key(Qt::Key_F2);
        QTRY_COMPARE(c().info.filter_class_id, std::int16_t(2));
        QCOMPARE(c().tables.runners.live_count(), 0);
        QCOMPARE(c().tables.runners.occupied_count(), 5);
        QCOMPARE(view().cursor_row(), 0);
        key(Qt::Key_Down);  // nothing to move to
        QCOMPARE(view().cursor_row(), 0);
        QVERIFY(frame->isWindowModified());

        on_dialog<FilterDialog>([](FilterDialog* d) {
            QCOMPARE(d->class_box()->currentText(),
                     QStringLiteral("Empty"));  // opens with the stored choice
            d->class_box()->setCurrentIndex(0);
            d->sort_box()->setCurrentIndex(1);  // by number
            d->findChild<QPushButton*>("search")->click();
        });
        key(Qt::Key_F2);
        QTRY_COMPARE(c().tables.runners.live_count(), 5);
        for (int i = 0; i < 5; ++i) QCOMPARE(int(c().tables.runners[i]->start_number), i + 1);
    }

    void filterOnlyOnTheRunnersTable() {
        key(Qt::Key_F10);
        frame->refresh_commands();
        QVERIFY(!frame->action(CommandId::kFilter)->isEnabled());
    }

    void findByNameNumberAndCard() {
        five_runners();
        prompts->texts = {std::string("Bra"), std::string("4"), std::string("500"),
                          std::string("Zulu")};
        key(Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(view().cursor_row(), 3);
        QCOMPARE(view().top_row(), 3);
        key(Qt::Key_Home, Qt::ControlModifier);
        key(Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(view().cursor_row(), 2);  // number 4: Delta
        key(Qt::Key_Home, Qt::ControlModifier);
        key(Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(view().cursor_row(), 0);  // "500" after row 0... Echo is row 0 itself: not found
        QCOMPARE(prompts->messages.size(), std::size_t(1));
        key(Qt::Key_F, Qt::ControlModifier);  // Zulu
        QCOMPARE(prompts->messages.size(), std::size_t(2));
        QCOMPARE(
            prompts->messages.back(),
            std::string(
                "Поиск результатов не дал.\nПопробуйте начать поиск с первой позиции или измените фильтр"_cp1251));
        QCOMPARE(view().search_text, std::string("Zulu"));
        // The dialog was prefilled with the last text and asked its question.
        QCOMPARE(
            prompts->questions.back(),
            std::string(
                "Введите строку поиска. Это может быть фамилия, номер участника или номер VP-карты"_cp1251));
    }

    void findByCardFromTheTop() {
        five_runners();
        key(Qt::Key_Down);
        prompts->texts = {std::string("300")};
        key(Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(view().cursor_row(), 4);  // Charlie's card
    }

    void undoOfADelete() {
        five_runners();
        frame->refresh_commands();
        QVERIFY(!frame->action(CommandId::kUndo)->isEnabled());
        QVERIFY(c().delete_record(kRunners, 1));  // Alpha
        QCOMPARE(c().tables.runners.live_count(), 4);
        frame->refresh_commands();
        QVERIFY(frame->action(CommandId::kUndo)->isEnabled());
        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(c().tables.runners.live_count(), 5);
        QCOMPARE(std::string(field_text(c().tables.runners[4]->name)), std::string("Alpha"));
        QCOMPARE(view().cursor_row(), 4);
        QVERIFY(!frame->action(CommandId::kUndo)->isEnabled());
        // Undo is per table: a deleted club is not restored on the runners table.
        QVERIFY(c().delete_record(kClubs, 0));
        frame->refresh_commands();
        QVERIFY(!frame->action(CommandId::kUndo)->isEnabled());
        key(Qt::Key_F11);
        QVERIFY(frame->action(CommandId::kUndo)->isEnabled());
        key(Qt::Key_Backspace, Qt::AltModifier);
        QCOMPARE(c().tables.clubs.live_count(), 1);
    }

    void markingQuestionsAnsweredYesAndNo() {
        five_runners();
        prompts->yes_no_answers = {false};
        key(Qt::Key_Plus, Qt::KeypadModifier);
        QCOMPARE(prompts->questions.size(), std::size_t(1));
        QCOMPARE(prompts->questions[0], std::string("Отметить ВСЕХ текущих участников?"_cp1251));
        QCOMPARE(prompts->captions.back(), std::string("ВНИМАНИЕ"_cp1251));
        for (int i = 0; i < 5; ++i) QCOMPARE(int(c().tables.runners[i]->marked), 0);
        QVERIFY(!c().modified);

        prompts->yes_no_answers = {true};
        key(Qt::Key_Plus, Qt::KeypadModifier);
        for (int i = 0; i < 5; ++i) QCOMPARE(int(c().tables.runners[i]->marked), 1);
        QVERIFY(frame->isWindowModified());

        prompts->yes_no_answers = {true};
        key(Qt::Key_Minus, Qt::KeypadModifier);
        QCOMPARE(prompts->questions.back(),
                 std::string("Снять отметку у ВСЕХ текущих участников?"_cp1251));
        for (int i = 0; i < 5; ++i) QCOMPARE(int(c().tables.runners[i]->marked), 0);

        key(Qt::Key_Insert);  // toggles row 0, moves down
        QCOMPARE(int(c().tables.runners[0]->marked), 1);
        QCOMPARE(view().cursor_row(), 1);
        prompts->yes_no_answers = {true};
        key(Qt::Key_Asterisk, Qt::KeypadModifier);
        QCOMPARE(prompts->questions.back(),
                 std::string("Инвертировать отметку у ВСЕХ текущих участников?"_cp1251));
        QCOMPARE(int(c().tables.runners[0]->marked), 0);
        QCOMPARE(int(c().tables.runners[1]->marked), 1);

        // The clubs table asks its own question; an empty table asks nothing.
        key(Qt::Key_F11);
        prompts->yes_no_answers = {true};
        key(Qt::Key_Plus, Qt::KeypadModifier);
        QCOMPARE(prompts->questions.back(), std::string("Отметить ВСЕ коллективы?"_cp1251));
        QCOMPARE(int(c().tables.clubs[0]->marked), 1);
        std::size_t asked = prompts->questions.size();
        key(Qt::Key_F12);
        key(Qt::Key_Plus, Qt::KeypadModifier);
        QCOMPARE(prompts->questions.size(), asked);
        key(Qt::Key_Insert);  // on an empty row: nothing
        QCOMPARE(view().cursor_row(), 0);
    }

    void finishMarkAndFlag() {
        five_runners();
        add_line(c(), 1, 100);
        add_line(c(), 2, 200);
        key(Qt::Key_F3);
        prompts->yes_no_answers = {true};
        key(Qt::Key_Plus, Qt::KeypadModifier);
        QCOMPARE(prompts->questions.back(),
                 std::string("Отметить ВСЕХ участников, как объявленных?"_cp1251));
        QVERIFY(c().tables.finish_lines[0]->sent());
        QVERIFY(c().tables.finish_lines[1]->sent());
        key(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(int(c().tables.finish_lines[0]->flags),
                 int(FinishLine::kFlagSent | FinishLine::kFlagToggle));
        QCOMPARE(view().cursor_row(), 1);
        key(Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(int(c().tables.finish_lines[1]->flags),
                 int(FinishLine::kFlagSent | FinishLine::kFlagToggle));
        QCOMPARE(view().cursor_row(), 2);
        key(Qt::Key_Insert);  // empty row: nothing
        QCOMPARE(view().cursor_row(), 2);
    }

    void finishEntrySuspendsTheViewsCommands() {
        five_runners();
        add_line(c(), 1, 100);
        key(Qt::Key_F3);
        view().set_finish_entry(true, 0, "1");
        key(Qt::Key_Down);
        QCOMPARE(view().cursor_row(), 0);
        key(Qt::Key_F9);
        QCOMPARE(view().shown_table(), int(kFinishLines));
        view().set_finish_entry(false);
        key(Qt::Key_F9);
        QCOMPARE(view().shown_table(), int(kRunners));
    }

    void swapRows() {
        five_runners();
        key(Qt::Key_Space);
        key(Qt::Key_Down);
        key(Qt::Key_Space);
        QCOMPARE(std::string(field_text(c().tables.runners[0]->name)), std::string("Alpha"));
        QCOMPARE(std::string(field_text(c().tables.runners[1]->name)), std::string("Echo"));
        // One of the two rows empty: nothing, and the first row is forgotten.
        key(Qt::Key_Space);
        key(Qt::Key_End, Qt::ControlModifier);
        key(Qt::Key_Space);
        QCOMPARE(view().swap_row(), -1);
        QCOMPARE(std::string(field_text(c().tables.runners[1]->name)), std::string("Echo"));
    }

    void sortAndNumberedFirst() {
        five_runners();
        c().tables.runners[2]->start_number = 0;  // Delta
        trigger(CommandId::kSortAlphabetically);
        QCOMPARE(std::string(field_text(c().tables.runners[0]->name)), std::string("Alpha"));
        QCOMPARE(std::string(field_text(c().tables.runners[4]->name)), std::string("Echo"));
        key(Qt::Key_F6, Qt::ShiftModifier);
        QCOMPARE(c().tables.runners.live_count(), 4);
        QCOMPARE(std::string(field_text(c().tables.runners[kRunnerCapacity - 1]->name)),
                 std::string("Delta"));
    }

    void cardSortAsksForTheKey() {
        for (int i = 0; i < 3; ++i) {
            CardReadout& k = *c().tables.card_readouts[c().new_record(kCardReadouts)];
            k.card_number = 30 - 10 * i;
            k.start_number = i + 1;
        }
        trigger(CommandId::kShowCardReadouts);
        on_dialog<CardSortDialog>([](CardSortDialog* d) {
            QCOMPARE(d->windowTitle(), U("Сортировка ЧИПов"_cp1251));
            d->set_key(CardSortKey::kCardNumber);
            d->accept();
        });
        trigger(CommandId::kSortAlphabetically);
        QTRY_COMPARE(c().tables.card_readouts[0]->card_number, 10);
        QCOMPARE(view().card_sort_key, CardSortKey::kCardNumber);
    }

    void lockMouseToggles() {
        key(Qt::Key_ScrollLock);
        QVERIFY(view().mouse_locked());
        frame->refresh_commands();
        QVERIFY(frame->action(CommandId::kLockMouse)->isChecked());
        trigger(CommandId::kLockMouse);
        QVERIFY(!view().mouse_locked());
        trigger(CommandId::kLockMouse);
        trigger(CommandId::kNew);  // a new competition releases it
        QVERIFY(!view().mouse_locked());
    }

    void titleSaveAndRecentFiles() {
        QVERIFY(frame->windowTitle().startsWith(U("Безымянный"_cp1251)));
        QVERIFY(!frame->isWindowModified());
        five_runners();
        key(Qt::Key_Insert);
        QVERIFY(frame->isWindowModified());
        std::string path = (tmp.path() + "/saved").toStdString();
        prompts->files = {path};
        trigger(CommandId::kSaveAs);
        QVERIFY(!frame->isWindowModified());
        QCOMPARE(frame->file_path(), path + ".wdb");
        QVERIFY(frame->windowTitle().startsWith(QStringLiteral("saved.wdb")));
        QCOMPARE(UserSettings().recent_files().value(0), QString::fromStdString(path + ".wdb"));
        QVERIFY(frame->action(CommandId::kRecentFile1)->text().contains("saved.wdb"));

        trigger(CommandId::kNew);
        QCOMPARE(c().tables.runners.live_count(), 0);
        trigger(CommandId::kRecentFile1);
        QCOMPARE(c().tables.runners.live_count(), 5);
        QCOMPARE(int(c().tables.runners[0]->marked), 1);
    }

    void saveAsOntoAnExistingFileAsksFirst() {
        five_runners();
        QString existing = tmp.path() + "/taken.wdb";
        QFile f(existing);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("old");
        f.close();
        // The name as typed, without the extension that Save As adds.
        std::string typed = (tmp.path() + "/taken").toStdString();
        prompts->files = {typed};
        prompts->yes_no_answers = {false};
        trigger(CommandId::kSaveAs);
        QCOMPARE(prompts->questions.size(), std::size_t(1));
        QCOMPARE(prompts->questions[0],
                 std::string("Файл taken.wdb уже существует.\nЗаменить его?"_cp1251));
        QVERIFY(frame->file_path().empty());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("old"));
        f.close();

        prompts->files = {typed};
        prompts->yes_no_answers = {true};
        trigger(CommandId::kSaveAs);
        QCOMPARE(frame->file_path(), typed + ".wdb");
        QVERIFY(QFileInfo(existing).size() > 3);
        // A new name is written without a question.
        prompts->files = {(tmp.path() + "/fresh").toStdString()};
        trigger(CommandId::kSaveAs);
        QCOMPARE(prompts->questions.size(), std::size_t(2));
        QVERIFY(QFileInfo::exists(tmp.path() + "/fresh.wdb"));
    }

    void saveErrorWithACyrillicFolderReads() {
        five_runners();
        // A folder that does not exist, with a Cyrillic name.
        std::string path = (tmp.path() + QString::fromUtf8("/Старт/день1")).toStdString();
        prompts->files = {path};
        trigger(CommandId::kSaveAs);
        QCOMPARE(prompts->messages.size(), std::size_t(1));
        QString shown = U(prompts->messages[0]);
        QString expected = QString::fromUtf8("Не могу сохранить файл\n") + tmp.path() +
                           QString::fromUtf8("/Старт/день1.wdb: нет такой папки или файла");
        QCOMPARE(shown, expected);
        QVERIFY(frame->file_path().empty());
    }

    void askToSaveOnCloseAndNew() {
        five_runners();
        key(Qt::Key_Insert);
        int asked = 0;
        frame->save_question_answer = [&asked] {
            ++asked;
            return int(QMessageBox::Cancel);
        };
        QVERIFY(!frame->close());
        QCOMPARE(asked, 1);
        QVERIFY(frame->isVisible());
        trigger(CommandId::kNew);
        QCOMPARE(asked, 2);
        QCOMPARE(c().tables.runners.live_count(), 5);  // cancelled: kept
        frame->save_question_answer = [&asked] {
            ++asked;
            return int(QMessageBox::No);
        };
        trigger(CommandId::kNew);
        QCOMPARE(c().tables.runners.live_count(), 0);
        QVERIFY(frame->close());
    }

    void unknownVersionLeavesANewCompetition() {
        five_runners();
        std::string path = (tmp.path() + "/v7.wdb").toStdString();
        {
            std::ofstream out(path, std::ios::binary);
            out.write("\x07\0\0\0\0\0\0\0", 8);
        }
        QVERIFY(!frame->open_file(QString::fromStdString(path)));
        QCOMPARE(c().tables.runners.live_count(), 0);
        QVERIFY(frame->file_path().empty());
        QVERIFY(!frame->isWindowModified());
        QCOMPARE(prompts->messages.back(), std::string("Неизвестный формат или версия!"_cp1251));
    }

    void damagedFileOpensUntitled() {
        five_runners();
        std::string path = (tmp.path() + "/damaged.wdb").toStdString();
        QVERIFY(save_wdb(c(), path));
        {
            std::vector<std::uint8_t> bytes = encode_wdb(c());
            bytes.resize(4 + 4 + Runner::kSize * 3 + 10);  // ends inside the fourth runner
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<std::streamsize>(bytes.size()));
        }
        trigger(CommandId::kNew);
        QVERIFY(!frame->open_file(QString::fromStdString(path)));
        QCOMPARE(c().tables.runners.live_count(), 3);
        QVERIFY(frame->file_path().empty());
        QVERIFY(frame->isWindowModified());
        QVERIFY(!prompts->messages.empty());
        // Save now asks for a name instead of overwriting the damaged file.
        prompts->files = {std::nullopt};
        trigger(CommandId::kSave);
        QVERIFY(prompts->files.empty());
    }

    void unreadableFileKeepsTheOpenCompetition() {
        five_runners();
        QVERIFY(!frame->open_file(tmp.path() + "/missing.wdb"));
        QCOMPARE(c().tables.runners.live_count(), 5);
        QVERIFY(frame->file_path().empty());
        // The message names the file and why it could not be read.
        QCOMPARE(qs(prompts->messages.back()),
                 QStringLiteral("Не могу читать указанный файл\n%1/missing.wdb: "
                                "нет такой папки или файла")
                     .arg(tmp.path()));
    }

    void importWdbMergesWithTheDialogsOptions() {
        five_runners();
        std::string path = (tmp.path() + "/other.wdb").toStdString();
        QVERIFY(save_wdb(c(), path));
        prompts->files = {path};
        on_dialog<ImportWdbDialog>([](ImportWdbDialog* d) {
            QVERIFY(d->runners_box()->isChecked());
            QVERIFY(d->courses_box()->isChecked());
            QVERIFY(!d->replace_info_box()->isChecked());
            QVERIFY(d->finish_box()->isChecked());
            QVERIFY(d->cards_box()->isChecked());
            QVERIFY(!d->only_marked_box()->isChecked());
            d->findChild<QPushButton*>("import")->click();
        });
        trigger(CommandId::kImportWdb);
        QTRY_COMPARE(c().tables.runners.live_count(), 10);
        QCOMPARE(c().tables.clubs.live_count(), 2);
        QVERIFY(frame->isWindowModified());

        // Cancel merges nothing.
        prompts->files = {path};
        on_dialog<ImportWdbDialog>([](ImportWdbDialog* d) { d->reject(); });
        trigger(CommandId::kImportWdb);
        QCOMPARE(c().tables.runners.live_count(), 10);
    }

    void recentFileListKeepsFiveNewestFirst() {
        UserSettings s;
        for (int i = 1; i <= 7; ++i) s.add_recent_file(QStringLiteral("/data/f%1.wdb").arg(i));
        QCOMPARE(s.recent_files(), (QStringList{"/data/f7.wdb", "/data/f6.wdb", "/data/f5.wdb",
                                                "/data/f4.wdb", "/data/f3.wdb"}));
        s.add_recent_file(QStringLiteral("/data/./f4.wdb"));  // the same file moves to the top
        QCOMPARE(s.recent_files().value(0), QStringLiteral("/data/f4.wdb"));
        QCOMPARE(s.recent_files().size(), 5);
        QCOMPARE(s.recent_files().count(QStringLiteral("/data/f4.wdb")), 1);
        QSettings raw("Skarvel", "Skarvel");
        QCOMPARE(raw.value("Recent File List/File1").toString(), QStringLiteral("/data/f4.wdb"));
        s.remove_recent_file(QStringLiteral("/data/f7.wdb"));
        QCOMPARE(s.recent_files().size(), 4);
        QVERIFY(!raw.contains("Recent File List/File5"));
    }

    // A file opened by a relative name is listed by its absolute path (the entry works from any
    // folder), and a file reached through a link is the one file, listed once.
    void recentFilesAreAbsoluteAndListedOnce() {
        five_runners();
        const QString folder = QFileInfo(tmp.path()).canonicalFilePath();
        const QString file = folder + "/relative.wdb";
        QVERIFY(save_wdb(c(), file.toStdString()));
        QVERIFY(QFile::link(file, folder + "/link.wdb"));
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(folder));
        const bool opened = frame->open_file(QStringLiteral("relative.wdb"));
        const bool linked = frame->open_file(QStringLiteral("./link.wdb"));
        QDir::setCurrent(before);
        QVERIFY(opened && linked);
        QCOMPARE(UserSettings().recent_files(), QStringList{file});
        // Opened from the list in another folder.
        trigger(CommandId::kNew);
        trigger(CommandId::kRecentFile1);
        QCOMPARE(c().tables.runners.live_count(), 5);
    }

    // Save As proposes the name the title bar shows for an untitled competition.
    void saveAsProposesTheUntitledName() {
        for (bool english : {false, true}) {
            trigger(english ? CommandId::kEnglish : CommandId::kRussian);
            trigger(CommandId::kNew);
            prompts->files = {std::nullopt};
            trigger(CommandId::kSaveAs);
            QCOMPARE(QString::fromStdString(prompts->suggested_files.back()),
                     english ? QStringLiteral("Untitled.wdb") : QStringLiteral("Безымянный.wdb"));
        }
    }

    // A long document shows its progress over the window, which keeps running its timers while
    // it prints, and can be cancelled there: nothing more is drawn and no PDF file is left.
    void longPrintShowsProgressAndCanBeCancelled() {
        QtPrinterProvider& printer = frame->state().printer;
        const QString pdf = tmp.path() + "/long.pdf";
        printer.pdf_path = pdf;
        printer.choose_pdf_file = [pdf](const QString&) { return pdf; };
        printer.progress_after_ms = 0;
        int ticks = 0;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&ticks] { ++ticks; });
        tick.start(1);
        std::string error;
        auto dev = printer.open_document("Протокол результатов"_cp1251, error);
        QVERIFY(dev);
        QPointer<QProgressDialog> shown;
        bool seen = false;
        int pages = 0;
        // Until the dialog has been seen and is gone with the cancelled document.
        for (; pages < 100000 && !(seen && !shown); ++pages) {
            dev->begin_page();
            dev->text_at(1, 24, "line");
            dev->end_page();
            if (!seen) shown = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
            seen = seen || shown;
            if (shown && pages >= 3) shown->cancel();
        }
        dev->end_document();
        QVERIFY(seen);
        QVERIFY(!shown);  // gone with the cancelled document
        QVERIFY(ticks > 0);
        QVERIFY(pages < 100000);
        QVERIFY(!QFile::exists(pdf));
        QVERIFY(QDir(tmp.path()).entryList({QStringLiteral("long*")}, QDir::Files).isEmpty());
        QCOMPARE(frame->status_text(), QStringLiteral("Печать отменена: Протокол результатов"));
        QVERIFY(!QApplication::activeModalWidget());
    }

    // The screen server's address has a pane of its own: a message never draws over it.
    void statusMessageAndServerAddressKeepApart() {
        int port = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost));
            port = probe.serverPort();
        }
        close();
        QVERIFY(open(1000, 300, false));  // empty settings
        QSettings settings("Skarvel", "Skarvel");
        settings.setValue("Setup/DisplayHttp", 1);
        settings.setValue("Setup/DisplayHttpPort", port);
        // The window reads the setting as it starts.
        frame->save_question_answer = [] { return int(QMessageBox::No); };
        frame.reset();
        frame = std::make_unique<CMainFrame>(prompts.get());
        frame->resize(1000, 300);
        frame->show();
        auto* address = frame->findChild<QLabel*>(QStringLiteral("screen_server_pane"));
        QVERIFY(address && address->isVisible());
        QVERIFY(address->text().startsWith(QStringLiteral("Веб-сервер экранов: http://")));
        frame->show_status(QStringLiteral("ЧИП 2001001: N1 Смирнов Алексей — снят"));
        auto* message = frame->findChild<QLabel*>(QStringLiteral("message_pane"));
        QVERIFY(message->isVisible());
        QVERIFY(!message->geometry().intersects(address->geometry()));
        QCOMPARE(frame->statusBar()->currentMessage(), QString());
    }

    void startupFileFollowsAutoLoad() {
        UserSettings s;
        QCOMPARE(startup_file(QStringLiteral("/x/cmd.wdb"), s), QStringLiteral("/x/cmd.wdb"));
        s.add_recent_file(QStringLiteral("/x/last.wdb"));
        QCOMPARE(startup_file(QString(), s), QString());  // AutoLoad 0
        s.set_auto_load(1);
        QCOMPARE(startup_file(QString(), s), QStringLiteral("/x/last.wdb"));
        s.remove_recent_file(QStringLiteral("/x/last.wdb"));
        QCOMPARE(startup_file(QString(), s), QString());  // AutoLoad 1, File1 empty: new
        QCOMPARE(QSettings("Skarvel", "Skarvel").value("Setup/AutoLoad").toInt(), 1);
    }

    // Switches the program does not carry out are never opened as a competition.
    void switchesAreRefusedNotOpened() {
        QTemporaryDir dir;
        const QString real = dir.filePath("race.wdb");
        QFile(real).open(QIODevice::WriteOnly);
        const struct {
            QStringList args;
            QString refused;
        } cases[] = {
            {{"skarvel", "/p", "race.wdb"}, "/p"},
            {{"skarvel", "/pt", "race.wdb", "printer", "driver", "port"}, "/pt"},
            {{"skarvel", "-x"}, "-x"},
            {{"skarvel", "/dde"}, "/dde"},
            {{"skarvel", "--lang", "en", "--verbose"}, "--verbose"},
            {{"skarvel", real}, ""},
            {{"skarvel", "/home/someone/race.wdb"}, ""},
            {{"skarvel", "/RegServer"}, ""},
            {{"skarvel", "--screenshot", "out.png", "--lang", "en", real}, ""},
            {{"skarvel", "--help"}, ""},
            {{"skarvel", "--stall-log", "stalls.log", real}, ""},
        };
        for (const auto& k : cases) QCOMPARE(unsupported_switch(k.args), k.refused);
        QVERIFY(QString::fromLatin1(usage_text()).contains("skarvel --help"));
    }

    // A dialog is as wide as its title needs; a file dialog as wide as its columns.
    void dialogsAreSizedToTheirTitles() {
        QDialog d;
        d.setWindowTitle(
            QStringLiteral("Присвоение номера участникам по порядку записи в таблице"));
        d.resize(120, 80);
        fit_dialog_to_texts(&d);
        QVERIFY(d.width() >= QFontMetrics(d.font()).horizontalAdvance(d.windowTitle()));
        QFileDialog files;
        files.setOption(QFileDialog::DontUseNativeDialog);
        files.resize(300, 200);
        fit_dialog_to_texts(&files);
        QVERIFY(files.width() >= 800);
        for (QHeaderView* h : files.findChildren<QHeaderView*>())
            for (int i = 0; i < h->count(); ++i)
                QVERIFY(h->sectionSize(i) >= h->sectionSizeHint(i));
    }

    // Without an audio device the sound commands say so and write nothing.
    void soundSaysWhenThereIsNoDevice() {
        auto* sound = frame->findChild<SoundService*>(QStringLiteral("sound_service"));
        QVERIFY(sound);
        sound->has_input = [] { return false; };
        sound->has_output = [] { return false; };
        QTemporaryDir dir;
        SoundService::set_folder(dir.path());
        prompts->texts.push_back(std::string("3-5"));
        trigger(CommandId::kRecordSounds);
        QVERIFY(!prompts->messages.empty());
        QCOMPARE(prompts->messages.back(),
                 std::string(russian_language_table().text(Txt::kSoundNoInput)));
        QVERIFY(frame->status_text().startsWith(QStringLiteral("Нет устройства записи")));
        QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());

        const QString runner = SoundService::file_of(dir.path(), SoundKind::kRunner, 12);
        QVERIFY(sound->play(runner) == SoundService::Outcome::kNoFile);
        QFile(runner).open(QIODevice::WriteOnly);
        QVERIFY(sound->play(runner) == SoundService::Outcome::kNoDevice);

        const struct {
            SoundKind kind;
            int id;
            const char* name;
        } files[] = {{SoundKind::kRunner, 12, "p12.wav"},
                     {SoundKind::kClass, 3, "g3.wav"},
                     {SoundKind::kClub, 5, "k5.wav"},
                     {SoundKind::kNumber, 7, "7.wav"},
                     {SoundKind::kTens, 7, "ch7.wav"}};
        for (const auto& f : files)
            QCOMPARE(SoundService::file_of(QStringLiteral("/w"), f.kind, f.id),
                     QStringLiteral("/w/") + QLatin1String(f.name));
    }

    void soundOptionsKeepFolderAndDurations() {
        c().modified = false;
        QTimer::singleShot(0, [] {
            QWidget* d = QApplication::activeModalWidget();
            QVERIFY(d && d->objectName() == QStringLiteral("SoundOptionsDialog"));
            d->findChild<QLineEdit*>(QStringLiteral("folder"))->setText(QStringLiteral("/tmp/snd"));
            d->findChild<QSpinBox*>(QStringLiteral("duration2"))->setValue(4500);
            static_cast<QDialog*>(d)->accept();
        });
        trigger(CommandId::kSoundOptions);
        QCOMPARE(int(c().info.sound_durations[2]), 4500);
        QCOMPARE(SoundService::folder(), QStringLiteral("/tmp/snd"));
        QVERIFY(c().modified);
    }

    // The window opens large the first time and where it was closed afterwards.
    void windowGeometryIsRemembered() {
        QSettings("Skarvel", "Skarvel").remove("Setup/WindowGeometry");
        {
            CMainFrame first(prompts.get());
            first.restore_window();
            QVERIFY2(first.width() >= 900 && first.height() >= 600,
                     qPrintable(QStringLiteral("%1x%2").arg(first.width()).arg(first.height())));
            first.showNormal();
            first.setGeometry(40, 50, 1010, 640);
            QVERIFY(first.close());
        }
        CMainFrame second(prompts.get());
        second.restore_window();
        QCOMPARE(second.size(), QSize(1010, 640));
        second.close();
    }

    void helpFileNamedByDir() {
        QCOMPARE(help_file_path(QStringLiteral("/opt/guide")),
                 QStringLiteral("/opt/guide/skarvel.mht"));
        // No English guide there: the Russian one.
        QCOMPARE(help_file_path(QStringLiteral("/opt/guide"), true),
                 QStringLiteral("/opt/guide/skarvel.mht"));
        // Unset: the folder the build put the guide in, in each language.
        QVERIFY(QFileInfo::exists(help_file_path(QString())));
        QVERIFY(help_file_path(QString(), true).endsWith(QStringLiteral("/skarvel-en.mht")));
        QVERIFY(QFileInfo::exists(help_file_path(QString(), true)));
        // A guide that is not there is named in the status bar.
        UserSettings().set_dir(tmp.path() + "/nowhere");
        trigger(CommandId::kHelp);
        QCOMPARE(
            frame->status_text(),
            QStringLiteral("Нет файла описания программы: %1/nowhere/skarvel.mht").arg(tmp.path()));
    }

    void toolbarFollowsTheCommandTable() {
        QList<QAction*> acts = frame->tool_bar()->actions();
        QCOMPARE(acts.size(), 31 + 9);
        QCOMPARE(acts[0], frame->action(CommandId::kNew));
        QVERIFY(acts[3]->isSeparator());
        QCOMPARE(acts.last(), frame->action(CommandId::kPersonalisationMode));
        for (QAction* a : acts)
            if (!a->isSeparator()) QVERIFY(!a->icon().isNull());
        trigger(CommandId::kToolbar);
        QVERIFY(frame->tool_bar()->isHidden());
        trigger(CommandId::kToolbar);
        QVERIFY(!frame->tool_bar()->isHidden());
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
