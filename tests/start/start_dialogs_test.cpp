// The start dialogs on their own: initial values from the competition, the options they
// return, the fixed and translated texts.
#include "start/ui/start_dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include "core/cp1251.h"
#include "core/time_text.h"

using namespace skarvel;

class StartDialogsTest : public QObject {
    Q_OBJECT
  private slots:
    void numbering();
    void start_times();
    void draw();
    void shift();
    void heat_range();
    void renumber();
    void bulk();
    void start_list();
    void relay_start_list();
};

void StartDialogsTest::numbering() {
    CompetitionInfo info;
    info.numbering_first = 30000;  // proposed after numbering up to 29999
    info.numbering_step = 65535;
    NumberingDialog d(info, false);
    QCOMPARE(d.windowTitle(), QString::fromUtf8("Присвоение номера"));
    QCOMPARE(d.first->value(), 29999);
    QCOMPARE(d.step->value(), -1);
    d.first->setValue(101);
    d.step->setValue(1);
    NumberingOptions o = d.options();
    QCOMPARE(o.first, 101);
    QCOMPARE(o.step, 1);
    NumberingDialog en(info, true);
    QCOMPARE(en.windowTitle(), QString("Setting number"));
}

void StartDialogsTest::start_times() {
    CompetitionInfo info;
    info.start_time_first = parse_time_text("10:00:00");
    info.start_time_step = 6000;
    info.time_precision = 1;
    StartTimeDialog d(info, 2, false);
    QCOMPARE(d.first->text(), QString("10:00:00,0"));
    QCOMPARE(d.step->text(), QString("00:01:00,0"));
    QCOMPARE(d.group_size->value(), 2);
    QCOMPARE(d.first->maxLength(), 12);
    d.step->setText("2");
    d.group_size->setValue(5000);  // clamped to 1000
    StartTimeOptions o = d.options();
    QCOMPARE(o.first, parse_time_text("10:00:00"));
    QCOMPARE(o.step, 2 * kCentisPerMinute);
    QCOMPARE(o.group_size, 1000);
}

void StartDialogsTest::draw() {
    CompetitionInfo info;
    info.draw_by_club = 1;
    DrawDialog d(info, true);
    QCOMPARE(d.windowTitle(), QString("Mixing"));
    QCOMPARE(int(d.subset.size()), 5);
    QVERIFY(d.subset[0]->isEnabled() && d.subset[0]->isChecked());
    for (int i = 1; i < 5; ++i) QVERIFY(!d.subset[i]->isEnabled());
    QVERIFY(!d.only_marked->isEnabled());
    QCOMPARE(d.by_club->text(), QString("With club"));
    QVERIFY(d.by_club->isChecked());
    QVERIFY(!d.by_heat->isChecked());
    d.by_heat->setChecked(true);
    DrawOptions o = d.options();
    QVERIFY(o.by_club && o.by_heat);
    QCOMPARE(o.subset, 0);
}

void StartDialogsTest::shift() {
    StartSession session;
    session.shift_interval = 30000;
    session.shift_subtract = true;
    ShiftDialog d(session, 0, false);
    QCOMPARE(d.interval->text(), QString("00:05:00"));
    QVERIFY(d.subtract->isChecked());
    d.add->setChecked(true);
    d.interval->setText("1:00");
    ShiftOptions o = d.options();
    QCOMPARE(o.interval, kCentisPerHour);
    QVERIFY(!o.subtract);
}

void StartDialogsTest::heat_range() {
    HeatRangeDialog d({5, 40000, 300}, false);
    QCOMPARE(d.from->value(), 5);
    QCOMPARE(d.to->value(), 29999);
    QCOMPARE(d.heat->value(), 100);
    HeatRangeOptions o = d.options();
    QCOMPARE(o.to, 29999);
}

void StartDialogsTest::renumber() {
    auto name_of = [](int n) { return n == 7 ? utf8_to_cp1251("Петров") : std::string(); };
    RenumberDialog d({7, 8}, name_of, false);
    QCOMPARE(d.holder->text(), QString::fromUtf8("Петров"));
    QVERIFY(d.holder->isReadOnly());
    d.old_number->setValue(9);
    QCOMPARE(d.holder->text(), QString::fromUtf8("-- нет в базе данных --"));
    RenumberDialog en({0, 0}, name_of, true);
    QCOMPARE(en.holder->text(), QString("--not in database--"));
    RenumberOptions o = d.options();
    QCOMPARE(o.old_number, 9);
    QCOMPARE(o.new_number, 8);
}

void StartDialogsTest::bulk() {
    Competition c;
    for (int id : {4, 9}) {
        ClassRecord& k = *c.tables.classes[c.new_record(kClasses)];
        k.id = id;
        set_field_text(k.name, id == 4 ? utf8_to_cp1251("М21") : std::string("W21"));
    }
    Club& club = *c.tables.clubs[c.new_record(kClubs)];
    club.id = 3;
    set_field_text(club.name, "Club");
    c.info.bulk_class_id = 9;
    c.info.bulk_club_id = 77;  // gone: the first entry is preselected
    c.info.bulk_heat = 2;
    BulkDialog d(c, false);
    QCOMPARE(d.klass->count(), 3);
    QCOMPARE(d.klass->itemText(0), QString::fromUtf8("--не менять--"));
    QCOMPARE(d.klass->itemText(1), QString::fromUtf8("М21"));
    QCOMPARE(d.klass->currentIndex(), 2);
    QCOMPARE(d.club->currentIndex(), 0);
    QCOMPARE(d.heat->value(), 2);
    d.club->setCurrentIndex(1);
    d.clear_mark->setChecked(true);
    BulkOptions o = d.options();
    QCOMPARE(int(o.class_id), 9);
    QCOMPARE(int(o.club_id), 3);
    QCOMPARE(o.heat, 2);
    QVERIFY(o.clear_mark);
}

void StartDialogsTest::start_list() {
    StartListSettings s;
    s.selection = kMarkedCourses;
    s.to_html = true;
    s.print_card_numbers = true;
    s.relay_leg_dot_number = true;
    StartListDialog d(s, false);
    QCOMPARE(d.windowTitle(), QString::fromUtf8("Печать протоколов старта"));
    QVERIFY(d.to_html->isChecked());
    QVERIFY(d.selection[3]->isChecked());
    QVERIFY(d.card_numbers->isChecked());
    QCOMPARE(d.extended_html->text(), QString::fromUtf8("Расширенный HTML"));
    d.selection[1]->setChecked(true);
    d.to_printer->setChecked(true);
    d.only_marked->setChecked(true);
    StartListSettings o = d.settings();
    QCOMPARE(o.selection, int(kMarkedClasses));
    QVERIFY(!o.to_html);
    QVERIFY(o.only_marked);
    QVERIFY(o.relay_leg_dot_number);  // not the individual dialog's: kept
    StartListDialog en(s, true);
    QCOMPARE(en.card_numbers->text(), QString("VP-card"));
    QCOMPARE(en.selection[0]->text(), QString("For all classes"));
}

void StartDialogsTest::relay_start_list() {
    StartListSettings s;
    s.extended_html = true;
    RelayStartListDialog d(s, false);
    QCOMPARE(d.windowTitle(), QString::fromUtf8("Печать протокола старта"));
    QCOMPARE(d.leg_dot_number->text(), QString("1001->1.1"));
    QVERIFY(d.extended_html->isChecked());
    QVERIFY(!d.first_leg_times->isChecked());
    d.first_leg_times->setChecked(true);
    d.leg_dot_number->setChecked(true);
    StartListSettings o = d.settings();
    QVERIFY(o.relay_first_leg_times && o.relay_leg_dot_number && o.extended_html);
    QVERIFY(!o.print_card_numbers);
    // OK closes with acceptance.
    QTimer::singleShot(0, &d, [&d] { d.accept(); });
    QCOMPARE(d.exec(), int(QDialog::Accepted));
}

QTEST_MAIN(StartDialogsTest)
#include "start_dialogs_test.moc"
