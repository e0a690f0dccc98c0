// The record editors and the editing commands of the list view, driven through their widgets
// as a user would: type, press OK or Cancel, and check the record.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest/QTest>

#include "app/editors/competition_info_dialog.h"
#include "app/editors/edit_commands.h"
#include "app/editors/quick_runner_dialog.h"
#include "app/editors/record_editors.h"
#include "app/editors/status_dialog.h"
#include "app/main_frame.h"
#include "app/skarvel_view.h"
#include "core/cp1251.h"
#include "platform/qt/qt_text.h"
#include "tests/private_settings.h"

using namespace skarvel;
using namespace skarvel::literals;

namespace {

template <class W = QLineEdit>
W* field(QWidget* dialog, const char* name) {
    W* w = dialog->findChild<W*>(QString::fromLatin1(name));
    if (!w) qFatal("no field %s", name);
    return w;
}

// Types text as key presses; characters outside ASCII one by one (QTest::keyClicks cannot).
void type(QWidget* w, const QString& text) {
    w->setFocus();
    for (QChar ch : text) {
        if (ch.unicode() < 0x80 && ch != QChar('\n'))
            QTest::keyClicks(w, QString(ch));
        else if (ch == QChar('\n'))
            QTest::keyClick(w, Qt::Key_Return, Qt::ControlModifier);
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

void retype(QLineEdit* e, const QString& text) {
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Delete);
    type(e, text);
}

void press(QWidget* dialog, const char* button) {
    QTest::mouseClick(field<QPushButton>(dialog, button), Qt::LeftButton);
}

Runner& add_runner(Competition& c, int id, int number) {
    Runner& r = *c.tables.runners[c.new_record(kRunners)];
    r.id = id;
    r.start_number = static_cast<std::uint16_t>(number);
    set_field_text(r.name, std::to_string(id));
    return r;
}

}  // namespace

class EditorsTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QVERIFY(testing::use_private_settings()); }

    void runner_editor_creates_a_new_runner() {
        Competition c;
        LanguageTable lang;
        ClassRecord& k = *c.tables.classes[c.new_record(kClasses)];
        k.id = 4;
        set_field_text(k.name, "M21");
        RunnerEditor e(lang, c, 0);
        e.show();
        QCOMPARE(field(&e, "name")->text(), QStringLiteral("."));
        QCOMPARE(field(&e, "name")->selectedText(), QStringLiteral("."));  // typing replaces it
        QCOMPARE(field(&e, "start")->text(), QStringLiteral("00:00:00"));
        QCOMPARE(field<QLabel>(&e, "id")->text(), QStringLiteral("1"));
        retype(field(&e, "name"), QStringLiteral("Иванов, Пётр"));
        field<QComboBox>(&e, "class")->setCurrentIndex(1);
        field<QComboBox>(&e, "qualification")->setCurrentIndex(10);
        retype(field(&e, "birth_year"), QStringLiteral("85"));
        retype(field(&e, "number"), QStringLiteral("12"));
        retype(field(&e, "start"), QStringLiteral("10:01:02"));
        retype(field(&e, "card"), QStringLiteral("9999999"));
        type(field(&e, "comment"), QStringLiteral("ok"));
        QTest::mouseClick(field<QCheckBox>(&e, "own_card"), Qt::LeftButton);
        press(&e, "ok");
        QCOMPARE(e.result(), int(QDialog::Accepted));
        const Runner* r = c.tables.runners[0];
        QVERIFY(r);
        QCOMPARE(qs(field_text(r->name)), QStringLiteral("Иванов, Пётр"));
        QCOMPARE(int(r->birth_year), 1985);
        QCOMPARE(int(r->class_id), 4);
        QCOMPARE(int(r->qualification), 10);
        QCOMPARE(int(r->start_number), 12);
        QCOMPARE(r->start_time, 10 * 360000 + 6000 + 200);
        QCOMPARE(r->card_number, 9999999);
        QCOMPARE(int(r->fee_flags), int(Runner::kFeeOwnCard));
        QCOMPARE(qs(field_text(r->comment)), QStringLiteral("ok"));
        QCOMPARE(r->id, 1);
        QVERIFY(c.modified);
    }

    void runner_editor_refuses_out_of_range_and_stores_nothing() {
        Competition c;
        LanguageTable lang;
        lang.build(UiLanguage::kEnglish);
        RunnerEditor e(lang, c, 0);
        QString shown;
        e.report_error = [&](const QString& m) { shown = m; };
        e.show();
        retype(field(&e, "birth_year"), QStringLiteral("2101"));
        press(&e, "ok");
        QVERIFY(e.isVisible());
        QCOMPARE(shown, QStringLiteral("Year of birth: enter an integer between 0 and 2100."));
        QVERIFY(!c.tables.runners[0]);
        retype(field(&e, "birth_year"), QStringLiteral("0"));
        retype(field(&e, "number"), QStringLiteral("30000"));
        press(&e, "ok");
        QCOMPARE(shown, QStringLiteral("Number: enter an integer between 0 and 29999."));
        retype(field(&e, "number"), QStringLiteral("1"));
        retype(field(&e, "card"), QStringLiteral("10000000"));
        press(&e, "ok");
        QCOMPARE(shown, QStringLiteral("VP-card: enter an integer between 0 and 9999999."));
        QVERIFY(!c.tables.runners[0]);
        QVERIFY(!c.modified);
        press(&e, "cancel");
        QCOMPARE(e.result(), int(QDialog::Rejected));
        QVERIFY(!c.tables.runners[0]);
        // The name field takes no more than 25 characters.
        RunnerEditor e2(lang, c, 0);
        e2.show();
        retype(field(&e2, "name"), QString(30, QChar('a')));
        QCOMPARE(field(&e2, "name")->text().size(), 25);
    }

    void runner_editor_cancel_keeps_the_record_and_sound_needs_the_service() {
        Competition c;
        LanguageTable lang;
        Runner& r = add_runner(c, 7, 3);
        RunnerEditor e(lang, c, 0);
        e.show();
        QCOMPARE(field(&e, "number")->text(), QStringLiteral("3"));
        retype(field(&e, "number"), QStringLiteral("44"));
        press(&e, "cancel");
        QCOMPARE(int(r.start_number), 3);
        QVERIFY(!c.modified);
        auto* listen = field<QPushButton>(&e, "listen");
        // Without the program's sound service (no main window) the buttons stay disabled.
        QVERIFY(!listen->isEnabled());
        QVERIFY(!field<QPushButton>(&e, "record")->isEnabled());
        QCOMPARE(field<QGroupBox>(&e, "sound")->title(), QStringLiteral("Звук"));
    }

    void club_editor() {
        Competition c;
        LanguageTable lang;
        ClubEditor e(lang, c, 0);
        e.show();
        QCOMPARE(e.windowTitle(), QStringLiteral("Коллектив"));
        QCOMPARE(field(&e, "name")->text(), QStringLiteral("Команда № 1"));
        retype(field(&e, "name"), QStringLiteral("Лидер"));
        type(field(&e, "representative"), QString(25, QChar('r')));
        QCOMPARE(field(&e, "representative")->text().size(), 20);
        press(&e, "ok");
        QVERIFY(c.tables.clubs[0]);
        QCOMPARE(qs(field_text(c.tables.clubs[0]->name)), QStringLiteral("Лидер"));
        QCOMPARE(c.tables.clubs[0]->id, 1);
    }

    void class_editor_refuses_awards_above_twelve_and_keeps_the_mark() {
        Competition c;
        LanguageTable lang;
        Course& k = *c.tables.courses[c.new_record(kCourses)];
        k.id = 9;
        set_field_text(k.name, "Long");
        ClassRecord& g = *c.tables.classes[c.new_record(kClasses)];
        g.id = 2;
        g.set_marked(true);
        ClassEditor e(lang, c, 0);
        QString shown;
        e.report_error = [&](const QString& m) { shown = m; };
        e.show();
        QCOMPARE(field<QComboBox>(&e, "course")->itemText(1), QStringLiteral("Long      "));
        field<QComboBox>(&e, "course")->setCurrentIndex(1);
        retype(field(&e, "kms"), QStringLiteral("13"));
        press(&e, "ok");
        QCOMPARE(shown, QStringLiteral("КМС: введите целое число от 0 до 12."));
        QCOMPARE(int(g.course_id), 0);
        retype(field(&e, "kms"), QStringLiteral("12"));
        retype(field(&e, "fee_own_normal"), QStringLiteral("300"));
        QTest::mouseClick(field<QCheckBox>(&e, "ranks_allowed"), Qt::LeftButton);
        press(&e, "ok");
        QCOMPARE(e.result(), int(QDialog::Accepted));
        QCOMPARE(int(g.course_id), 9);
        QCOMPARE(int(g.kms_award), 12);
        QCOMPARE(int(g.fee_own_normal), 300);
        QVERIFY(g.ranks_allowed());
        QVERIFY(g.marked());
    }

    void course_editor_reads_the_control_order() {
        Competition c;
        LanguageTable lang;
        set_field_text(c.info.course_setters[1], "Petrov");
        CourseEditor e(lang, c, 0);
        QString shown;
        e.report_error = [&](const QString& m) { shown = m; };
        e.show();
        QCOMPARE(field(&e, "time_limit")->text(), QStringLiteral("120"));
        QCOMPARE(field(&e, "finish_crossings")->text(), QStringLiteral("1"));
        QCOMPARE(field<QComboBox>(&e, "course_setter")->itemText(1), QStringLiteral("Petrov"));
        auto* order = field<QPlainTextEdit>(&e, "control_order");
        type(order, QStringLiteral("S1;0\n31;5\n300;0"));
        press(&e, "ok");
        QVERIFY(e.isVisible());
        QVERIFY(shown.contains(QStringLiteral("строка 3")));
        QVERIFY(!c.tables.courses[0]);
        order->clear();
        type(order, QStringLiteral("S1;0\n31;5\nF;0"));
        retype(field(&e, "length"), QStringLiteral("5200"));
        field<QComboBox>(&e, "course_setter")->setCurrentIndex(1);
        press(&e, "ok");
        const Course* k = c.tables.courses[0];
        QVERIFY(k);
        QCOMPARE(int(k->control_codes[0]), 11);
        QCOMPARE(int(k->control_codes[1]), 31);
        QCOMPARE(int(k->control_values[1]), 5);
        QCOMPARE(int(k->control_codes[2]), 20);
        QCOMPARE(k->length_m, 5200);
        QCOMPARE(k->course_setter, 1);
        CourseEditor again(lang, c, 0);
        QCOMPARE(field<QPlainTextEdit>(&again, "control_order")->toPlainText(),
                 QStringLiteral("11;0\n31;5\n20;0\n"));
    }

    void card_readout_editor() {
        Competition c;
        LanguageTable lang;
        CardReadoutEditor e(lang, c, 0);
        QString shown;
        e.report_error = [&](const QString& m) { shown = m; };
        e.show();
        QCOMPARE(field(&e, "start_time")->text(), QStringLiteral("0:00:00"));
        retype(field(&e, "card_number"), QStringLiteral("123456"));
        retype(field(&e, "start_number"), QStringLiteral("100001"));
        type(field<QPlainTextEdit>(&e, "punches"),
             QStringLiteral("31;12:25:31\n32;12:30:00\n45\n46;12:40:00"));
        press(&e, "ok");
        QCOMPARE(shown, QStringLiteral("Номер стартовый: введите целое число от 0 до 100000."));
        QVERIFY(!c.tables.card_readouts[0]);
        retype(field(&e, "start_number"), QStringLiteral("100000"));
        retype(field(&e, "finish_time"), QStringLiteral("12:45:00"));
        press(&e, "ok");
        const CardReadout* r = c.tables.card_readouts[0];
        QVERIFY(r);
        QCOMPARE(r->card_number, 123456);
        QCOMPARE(r->start_number, 100000);
        QCOMPARE(r->finish.time, 12 * 360000 + 45 * 6000);
        QCOMPARE(r->punch_count, 2);  // the line without ";" ends the punches
        QCOMPARE(int(r->punches[1].code), 32);
        CardReadoutEditor again(lang, c, 0);
        QCOMPARE(field<QLabel>(&again, "punch_count")->text(), QStringLiteral("2"));
        QCOMPARE(field<QPlainTextEdit>(&again, "punches")->toPlainText(),
                 QStringLiteral("31;12:25:31\n32;12:30:00\n"));
    }

    // A card changes the runner while the editor is open: OK writes back only what the
    // operator changed.
    void runner_editor_ok_keeps_what_changed_meanwhile() {
        Competition c;
        LanguageTable lang;
        Runner& r = add_runner(c, 5, 12);
        r.start_time = 10 * 360000;
        RunnerEditor e(lang, c, 0);
        e.show();
        r.start_time = 10 * 360000 + 2 * 6000;
        r.status = kStatusWrongPunch;
        retype(field(&e, "name"), QStringLiteral("Petrov"));
        press(&e, "ok");
        QCOMPARE(e.result(), int(QDialog::Accepted));
        QCOMPARE(qs(field_text(r.name)), QStringLiteral("Petrov"));
        QCOMPARE(r.start_time, 10 * 360000 + 2 * 6000);
        QCOMPARE(int(r.status), int(kStatusWrongPunch));
        QCOMPARE(c.tables.runners.live_count(), 1);
    }

    // The editor of the empty row creates its readout on OK in a free slot: a readout a card
    // stored in that slot meanwhile stays as it is.
    void card_readout_editor_on_the_empty_row_never_takes_a_cards_slot() {
        Competition c;
        LanguageTable lang;
        CardReadoutEditor e(lang, c, 0);
        e.show();
        CardReadout& card = *c.tables.card_readouts[c.new_record(kCardReadouts)];
        card.card_number = 2000001;
        card.finish.time = 10 * 360000;
        retype(field(&e, "card_number"), QStringLiteral("777"));
        press(&e, "ok");
        QCOMPARE(e.result(), int(QDialog::Accepted));
        QCOMPARE(c.tables.card_readouts.live_count(), 2);
        QCOMPARE(c.tables.card_readouts[0]->card_number, 2000001);
        QCOMPARE(c.tables.card_readouts[0]->finish.time, 10 * 360000);
        QCOMPARE(c.tables.card_readouts[1]->card_number, 777);
        QCOMPARE(e.stored_slot(), 1);
    }

    void competition_info_dialog() {
        Competition c;
        LanguageTable lang;
        set_field_text(c.info.title_lines[0], "Old");
        set_field_text(c.info.title_lines[3], "Fourth");
        CompetitionInfoDialog d(lang, c, false);
        d.show();
        auto* title = field<QPlainTextEdit>(&d, "title");
        QCOMPARE(title->toPlainText(), QStringLiteral("Old\nFourth"));
        title->clear();
        type(title, QStringLiteral("Первенство\nГорода"));
        type(field(&d, "place"), QString(30, QChar('p')));
        QCOMPARE(field(&d, "place")->text().size(), 24);
        QTest::mouseClick(field<QRadioButton>(&d, "kind3"), Qt::LeftButton);
        QTest::mouseClick(field<QRadioButton>(&d, "precision2"), Qt::LeftButton);
        QTest::mouseClick(field<QCheckBox>(&d, "relay"), Qt::LeftButton);
        QTest::mouseClick(field<QCheckBox>(&d, "auto_load"), Qt::LeftButton);
        press(&d, "ok");
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QVERIFY(d.auto_load());
        QCOMPARE(qs(field_text(c.info.title_lines[0])), QStringLiteral("Первенство"));
        QCOMPARE(qs(field_text(c.info.title_lines[1])), QStringLiteral("Города"));
        QCOMPARE(qs(field_text(c.info.title_lines[3])), QString());
        QCOMPARE(int(c.info.competition_kind), 3);
        QCOMPARE(int(c.info.time_precision), 2);
        QCOMPARE(int(c.info.relay), 1);
        QCOMPARE(field_text(c.info.place).size(), std::size_t(24));

        Competition c2;
        CompetitionInfoDialog cancelled(lang, c2, true);
        cancelled.show();
        type(field<QPlainTextEdit>(&cancelled, "title"), QStringLiteral("x"));
        press(&cancelled, "cancel");
        QCOMPARE(field_text(c2.info.title_lines[0]).size(), std::size_t(0));
        QVERIFY(!c2.modified);
    }

    void status_dialog_loop() {
        Competition c;
        LanguageTable lang;
        add_runner(c, 1, 12);
        set_field_text(c.tables.runners[0]->name, "Runner Twelve");
        ScriptedPrompts prompts;
        StatusDialog d(lang, c, prompts, 7);
        d.show();
        QVERIFY(field<QRadioButton>(&d, "status7")->isChecked());
        QCOMPARE(field<QLabel>(&d, "runner_name")->text(), QStringLiteral("-- нет в протоколе --"));
        retype(field(&d, "number"), QStringLiteral("12"));
        QCOMPARE(field<QLabel>(&d, "runner_name")->text(), QStringLiteral("Runner Twelve"));
        QTest::mouseClick(field<QRadioButton>(&d, "status8"), Qt::LeftButton);
        press(&d, "next");
        QCOMPARE(int(c.tables.runners[0]->status), 8);
        QVERIFY(c.tables.finish_lines[0]);
        QCOMPARE(c.tables.finish_lines[0]->time(), 8639999);
        QCOMPARE(field(&d, "number")->text(), QStringLiteral("0"));  // starts over
        QVERIFY(d.isVisible());
        retype(field(&d, "number"), QStringLiteral("99"));
        press(&d, "next");
        QCOMPARE(prompts.messages.back(),
                 std::string("Участника с таким номером в базе данных нет!"_cp1251));
        retype(field(&d, "number"), QStringLiteral("30000"));
        press(&d, "next");
        QVERIFY(qs(prompts.messages.back()).contains(QStringLiteral("29999")));
        prompts.yes_no_answers = {true};
        press(&d, "restore_all");
        QCOMPARE(int(c.tables.runners[0]->status), 0);
        retype(field(&d, "name3"), QStringLiteral("Поздно"));
        retype(field(&d, "short8"), QStringLiteral("н/с"));
        press(&d, "finish");
        QVERIFY(!d.isVisible());
        QCOMPARE(d.chosen_status(), 8);
        QCOMPARE(qs(field_text(c.info.status_names[3])), QStringLiteral("Поздно"));
        QCOMPARE(qs(field_text(c.info.status_short_texts[8])), QStringLiteral("н/с"));
    }

    void quick_runner_dialog() {
        Competition c;
        LanguageTable lang;
        add_runner(c, 1, 3);
        QuickRunnerDialog d(lang, c, 0);
        QString shown;
        d.report_error = [&](const QString& m) { shown = m; };
        d.show();
        retype(field(&d, "number"), QStringLiteral("30000"));
        press(&d, "ok");
        QVERIFY(d.isVisible());
        QCOMPARE(int(c.tables.runners[0]->start_number), 3);
        retype(field(&d, "number"), QStringLiteral("17"));
        retype(field(&d, "start"), QStringLiteral("10:30"));
        press(&d, "ok");
        QCOMPARE(int(c.tables.runners[0]->start_number), 17);
        QCOMPARE(c.tables.runners[0]->start_time, 10 * 360000 + 30 * 6000);
    }

    // ---- the commands on a list view ----

    void finish_number_entry_from_the_keyboard() {
        Competition c;
        c.info.relay = 1;
        c.info.pad_numbers_to_4 = 1;
        c.info.finish_autosave = 1;
        LanguageTable lang;
        ScriptedPrompts prompts;
        CSkarvelView v(c, prompts);
        v.resize(800, 400);
        int modified = 0, saves = 0;
        EditCommands cmds({c,
                           prompts,
                           lang,
                           v,
                           [] { return nullptr; },
                           [&] { ++modified; },
                           [&] {
                               ++saves;
                               return SaveRequest::kStarted;
                           },
                           {},
                           {},
                           {}});
        v.set_key_handler([&](QKeyEvent* e) { return cmds.handle_key(e); });
        v.on_edit_row = [&] { cmds.edit_record(); };
        v.show_table(kFinishLines);
        // Enter on the empty row makes a line; digits then Enter store the padded number.
        QTest::keyClick(&v, Qt::Key_Return);
        QVERIFY(c.tables.finish_lines[0]);
        QVERIFY(v.finish_entry_active());
        QTest::keyClick(&v, Qt::Key_5);
        QTest::keyClick(&v, Qt::Key_Return);
        QCOMPARE(int(c.tables.finish_lines[0]->start_number), 1005);
        QVERIFY(!v.finish_entry_active());
        QCOMPARE(v.cursor_row(), 1);
        QVERIFY(saves >= 1);
        // A digit on the empty row starts entry; Backspace drops a digit; Esc stores nothing.
        QTest::keyClick(&v, Qt::Key_7);
        QTest::keyClick(&v, Qt::Key_8);
        QTest::keyClick(&v, Qt::Key_Backspace);
        QCOMPARE(cmds.finish_entry().typed(), 7);
        QTest::keyClick(&v, Qt::Key_Down);  // navigation is off during entry
        QCOMPARE(v.cursor_row(), 1);
        QTest::keyClick(&v, Qt::Key_Escape);
        QVERIFY(!v.finish_entry_active());
        QVERIFY(!c.tables.finish_lines[1]);
        QTest::keyClick(&v, Qt::Key_5);
        QTest::keyClick(&v, Qt::Key_Return);
        QCOMPARE(int(c.tables.finish_lines[1]->start_number), 2005);
        // A digit on a numbered line is refused.
        v.set_cursor_row(0);
        QTest::keyClick(&v, Qt::Key_3);
        QCOMPARE(prompts.messages.back(), std::string("Занято!"_cp1251));
        QVERIFY(modified > 0);
    }

    void delete_heat_digit_and_quick_edit_from_the_keyboard() {
        Competition c;
        LanguageTable lang;
        ScriptedPrompts prompts;
        CSkarvelView v(c, prompts);
        v.resize(800, 400);
        int modified = 0;
        EditCommands cmds(
            {c, prompts, lang, v, [] { return nullptr; }, [&] { ++modified; }, {}, {}, {}, {}});
        v.set_key_handler([&](QKeyEvent* e) { return cmds.handle_key(e); });
        v.on_delete_row = [&] { cmds.delete_record(); };
        add_runner(c, 1, 5);
        add_runner(c, 2, 6);
        Club& club = *c.tables.clubs[c.new_record(kClubs)];
        club.id = 3;
        c.tables.runners[1]->club_id = 3;

        QTest::keyClick(&v, Qt::Key_4);
        QCOMPARE(c.tables.runners[0]->heat_or_leg, 4);

        // Quick edit of a runner: the small dialog.
        QTimer::singleShot(0, [] {
            QWidget* d = QApplication::activeModalWidget();
            QVERIFY(d);
            retype(field(d, "number"), QStringLiteral("55"));
            press(d, "ok");
        });
        QTest::sendKeyEvent(QTest::Click, &v, Qt::Key_unknown, QStringLiteral("ё"), Qt::NoModifier);
        QCOMPARE(int(c.tables.runners[0]->start_number), 55);
        QCOMPARE(v.cursor_row(), 1);

        v.show_table(kClubs);
        QTest::keyClick(&v, Qt::Key_Delete);
        QCOMPARE(prompts.messages.back(),
                 std::string("Коллектив используется, в нём есть участники !"_cp1251));
        QVERIFY(c.tables.clubs[0]);
        v.show_table(kRunners);
        v.set_cursor_row(1);
        QTest::keyClick(&v, Qt::Key_Delete);
        QVERIFY(!c.tables.runners[1]);
        v.show_table(kClubs);
        v.set_cursor_row(0);
        QTest::keyClick(&v, Qt::Key_Delete);
        QVERIFY(!c.tables.clubs[0]);

        // Quick edit of a finish time asks part by part.
        FinishLine& line = *c.tables.finish_lines[c.new_record(kFinishLines)];
        line.set_time(4473100);
        v.show_table(kFinishLines);
        v.set_cursor_row(0);
        prompts.texts = {std::string("13"), std::string("0"), std::string("5")};
        QTest::keyClick(&v, Qt::Key_QuoteLeft);
        QCOMPARE(line.time(), 13 * 360000 + 500);
        prompts.yes_no_answers = {false};
        QTest::keyClick(&v, Qt::Key_Up);
        QTest::keyClick(&v, Qt::Key_Delete);
        QVERIFY(c.tables.finish_lines[0]);  // "Удалить строку финиша?" answered no
    }

    void enter_opens_the_editor_of_the_cursor_row() {
        Competition c;
        LanguageTable lang;
        ScriptedPrompts prompts;
        CSkarvelView v(c, prompts);
        v.resize(800, 400);
        EditCommands cmds({c, prompts, lang, v, [] { return nullptr; }, [] {}, {}, {}, {}, {}});
        v.on_edit_row = [&] { cmds.edit_record(); };
        v.on_edit_finish_runner = [&] { cmds.edit_finish_runner(); };
        v.show_table(kCourses);
        QTimer::singleShot(0, [] {
            QWidget* d = QApplication::activeModalWidget();
            QVERIFY(d && d->objectName() == QStringLiteral("CourseEditor"));
            retype(field(d, "name"), QStringLiteral("Short"));
            press(d, "ok");
        });
        QTest::keyClick(&v, Qt::Key_Return);
        QVERIFY(c.tables.courses[0]);
        QCOMPARE(qs(field_text(c.tables.courses[0]->name)), QStringLiteral("Short"));

        // Ctrl+Enter on a finish line without a runner: a new runner with that number.
        FinishLine& line = *c.tables.finish_lines[c.new_record(kFinishLines)];
        line.start_number = 21;
        line.set_time(3700000);
        v.show_table(kFinishLines);
        v.set_cursor_row(0);
        QTimer::singleShot(0, [] {
            QWidget* d = QApplication::activeModalWidget();
            QVERIFY(d && d->objectName() == QStringLiteral("RunnerEditor"));
            QCOMPARE(field(d, "number")->text(), QStringLiteral("21"));
            press(d, "ok");
        });
        QTest::keyClick(&v, Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(c.tables.runners[0]);
        QCOMPARE(c.runner_by_number(21), c.tables.runners[0]);
        QCOMPARE(c.tables.runners[0]->finish_time, 3700000);
    }

    // The bindings in the real main window: Enter, Del, Ctrl+Enter and the menu commands.
    void main_window_bindings() {
        ScriptedPrompts prompts;
        CMainFrame frame(&prompts);
        frame.resize(1000, 600);
        frame.show();
        Competition& c = frame.competition();
        CSkarvelView& v = frame.view();
        add_runner(c, 1, 5);
        Club& club = *c.tables.clubs[c.new_record(kClubs)];
        club.id = 1;
        c.tables.runners[0]->club_id = 1;
        v.show_table(kRunners);
        v.setFocus();

        QTimer::singleShot(0, [] {
            QWidget* d = QApplication::activeModalWidget();
            QVERIFY(d && d->objectName() == QStringLiteral("RunnerEditor"));
            retype(field(d, "birth_year"), QStringLiteral("85"));
            press(d, "ok");
        });
        QTest::keyClick(&v, Qt::Key_Return);
        QCOMPARE(int(c.tables.runners[0]->birth_year), 1985);
        QVERIFY(c.modified);

        QVERIFY(frame.commands().state(CommandId::kDelete).enabled);
        QVERIFY(!frame.commands().state(CommandId::kJoin).enabled);
        v.show_table(kClubs);
        QVERIFY(frame.commands().state(CommandId::kJoin).enabled);
        QTest::keyClick(&v, Qt::Key_Delete);
        QCOMPARE(prompts.messages.back(),
                 std::string("Коллектив используется, в нём есть участники !"_cp1251));
        QVERIFY(c.tables.clubs[0]);

        // Finish autosave without a file name asks to save first.
        c.info.finish_autosave = 1;
        v.show_table(kFinishLines);
        QTest::keyClick(&v, Qt::Key_5);
        QVERIFY(!frame.commands().state(CommandId::kDelete).enabled);
        QTest::keyClick(&v, Qt::Key_Return);
        QVERIFY(c.tables.finish_lines[0]);
        QCOMPARE(int(c.tables.finish_lines[0]->start_number), 5);
        QCOMPARE(prompts.messages.back(),
                 std::string("Сначала сохраните рабочий файл под каким-либо именем!"_cp1251));

        // "Обработать стартовые ворота..." through the command table.
        c.new_record(kFinishLines);
        QVERIFY(frame.commands().run(CommandId::kStartGates));
        QCOMPARE(int(c.tables.finish_lines[1]->start_number), 5);
    }

    // SKARVEL_EDITOR_PNG_DIR=dir keeps pictures of the editors (for the documentation).
    void pictures_of_the_editors() {
        Competition c;
        LanguageTable ru, en;
        en.build(UiLanguage::kEnglish);
        Runner& r = add_runner(c, 1, 12);
        set_field_text(r.name, std::string("Иванов, Пётр"_cp1251));
        r.birth_year = 1985;
        r.card_number = 123456;
        r.start_time = 10 * 360000;
        Course& k = *c.tables.courses[c.new_record(kCourses)];
        k.id = 1;
        set_field_text(k.name, "Long");
        k.control_codes[0] = 31;
        k.control_codes[1] = 45;
        k.control_values[1] = 5;
        ScriptedPrompts prompts;
        RunnerEditor runner(ru, c, 0);
        CourseEditor course(en, c, 0);
        StatusDialog status(ru, c, prompts, 1);
        QString dir = qEnvironmentVariable("SKARVEL_EDITOR_PNG_DIR");
        const std::pair<QWidget*, const char*> shots[] = {{&runner, "runner_editor_ru.png"},
                                                          {&course, "course_editor_en.png"},
                                                          {&status, "status_dialog_ru.png"}};
        for (auto [w, name] : shots) {
            w->show();
            QImage image = w->grab().toImage();
            QVERIFY(!image.isNull());
            if (!dir.isEmpty()) QVERIFY(image.save(dir + QChar('/') + QString::fromLatin1(name)));
        }
    }

    // Every label, box, button and title follows the language; the Russian ones are the
    // program's own texts.
    void labels_in_both_languages() {
        Competition c;
        LanguageTable ru, en;
        en.build(UiLanguage::kEnglish);
        ScriptedPrompts prompts;
        auto texts = [](QWidget* w) {
            QStringList out{w->windowTitle()};
            for (auto* l : w->findChildren<QLabel*>())
                if (l->objectName().isEmpty()) out << l->text();
            for (auto* b : w->findChildren<QAbstractButton*>()) out << b->text() << b->toolTip();
            for (auto* g : w->findChildren<QGroupBox*>()) out << g->title();
            return out.join(QChar('|'));
        };
        auto cyrillic = [](const QString& s) {
            for (QChar ch : s)
                if (ch.unicode() >= 0x0400 && ch.unicode() <= 0x04FF) return true;
            return false;
        };
        auto check = [&](QWidget* w_ru, QWidget* w_en, const QStringList& expected_ru) {
            QString all_ru = texts(w_ru), all_en = texts(w_en);
            for (const QString& t : expected_ru) QVERIFY2(all_ru.contains(t), qPrintable(t));
            QVERIFY2(!cyrillic(all_en), qPrintable(all_en));
        };
        RunnerEditor r1(ru, c, 0), r2(en, c, 0);
        check(&r1, &r2,
              {QStringLiteral("Редактирование"), QStringLiteral("Фамилия, имя"),
               QStringLiteral("Группа"), QStringLiteral("Разряд"), QStringLiteral("Год рождения"),
               QStringLiteral("Коллектив"), QStringLiteral("Забег/Этап"), QStringLiteral("Номер"),
               QStringLiteral("Старт"), QStringLiteral("VP-ЧИП"), QStringLiteral("Льгота"),
               QStringLiteral("Свой ЧИП"), QStringLiteral("в/к"), QStringLiteral("Лично"),
               QStringLiteral("Звук"), QStringLiteral("Слушать звук"),
               QStringLiteral("Записать звук")});
        ClubEditor k1(ru, c, 0), k2(en, c, 0);
        check(&k1, &k2,
              {QStringLiteral("Коллектив"), QStringLiteral("Наименование"),
               QStringLiteral("Представитель")});
        ClassEditor g1(ru, c, 0), g2(en, c, 0);
        check(&g1, &g2,
              {QStringLiteral("Группа"), QStringLiteral("Дистанция"),
               QStringLiteral("Присвоение разрядов"), QStringLiteral("можно присваивать разряды"),
               QStringLiteral("МС"), QStringLiteral("КМС"),
               QStringLiteral("Стартовый взнос: аренда ЧИПа"),
               QStringLiteral("Стартовый взнос: свой ЧИП"), QStringLiteral("Льготный"),
               QStringLiteral("Обычный")});
        CourseEditor d1(ru, c, 0), d2(en, c, 0);
        check(
            &d1, &d2,
            {QStringLiteral("Дистанция"), QStringLiteral("Краткое название"), QStringLiteral("КП"),
             QStringLiteral("Длина, метров"), QStringLiteral("Набор высоты"),
             QStringLiteral("Стартовый коридор"), QStringLiteral("Контрольное время, мин"),
             QStringLiteral("Кол-во пересечений финиша"), QStringLiteral("Нач. дистанции"),
             QStringLiteral("Порядок прохождения (переход на новую строку - Ctrl-Enter)")});
        CardReadoutEditor e1(ru, c, 0), e2(en, c, 0);
        check(&e1, &e2,
              {QStringLiteral("Редактирование информации из чипа"),
               QStringLiteral("Служебная информация"), QStringLiteral("Номер чипа"),
               QStringLiteral("Номер стартовый"), QStringLiteral("Время старта"),
               QStringLiteral("Время финиша"), QStringLiteral("Отметок КП"),
               QStringLiteral("Отметки в чипе."),
               QStringLiteral(
                   "Стартовый номер, время старта и финиша могут не записываться станциями"),
               QStringLiteral(
                   "Переход на новую\nстроку при вводе - Ctrl-Enter\nОбразец ввода: 31;12:25:31")});
        CompetitionInfoDialog i1(ru, c, false), i2(en, c, false);
        check(&i1, &i2,
              {QStringLiteral("Информация о соревнованиях"), QStringLiteral("Дата проведения"),
               QStringLiteral("Место проведения"), QStringLiteral("Главный судья"),
               QStringLiteral("Главный секретарь"), QStringLiteral("Начальник дистанции1"),
               QStringLiteral("Начальник дистанции4"), QStringLiteral("Вид соревнований"),
               QStringLiteral("Заданное направление"), QStringLiteral("Маркированная трасса-круги"),
               QStringLiteral("Маркированная трасса-минуты"),
               QStringLiteral("Задержанный старт (гандикап)"), QStringLiteral("Эстафетные"),
               QStringLiteral("Дополнять до 4-хзначн"),
               QStringLiteral("Точность времени (VP-только 1 сек)"), QStringLiteral("1 сек"),
               QStringLiteral("0,1 сек"), QStringLiteral("0,01 сек"),
               QStringLiteral("При запуске открывать последний рабочий файл")});
        StatusDialog s1(ru, c, prompts, 0), s2(en, c, prompts, 0);
        check(&s1, &s2,
              {QStringLiteral("Снятие/восстановление"), QStringLiteral("Восстановлен"),
               QStringLiteral("Снят непр.отметка"), QStringLiteral("Снят контр.время"),
               QStringLiteral("Сошел"), QStringLiteral("Не стартовал"),
               QStringLiteral("OK/Следующий"), QStringLiteral("Восстановить всех"),
               QStringLiteral("Завершить/Прервать")});
        QuickRunnerDialog q1(ru, c, 0), q2(en, c, 0);
        check(&q1, &q2,
              {QStringLiteral("Редактирование"), QStringLiteral("№"), QStringLiteral("Старт")});
    }
};

QTEST_MAIN(EditorsTest)
#include "editors_test.moc"
