#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest/QtTest>

#include "results/ui/relay_print_dialog.h"
#include "results/ui/result_print_dialog.h"

using skarvel::CompetitionInfo;
using skarvel::ResultPrintDialog;
using skarvel::ResultPrintSettings;

class ResultDialogTest : public QObject {
    Q_OBJECT
  private slots:
    void shows_the_stored_settings();
    void ok_returns_the_edits();
    void out_of_range_numbers_are_refused();
    void settings_round_trip_through_the_header();
    void export_buttons_follow_their_actions();
    void relay_dialog_greys_what_a_relay_does_not_use();
};

void ResultDialogTest::shows_the_stored_settings() {
    ResultPrintSettings s;
    s.to_html = 1;
    s.selection = 3;
    s.first_n = 12;
    s.splits_mode = 2;
    s.print_ranks = true;
    s.points_mode = 1;
    s.formula_a = 2000;
    ResultPrintDialog d(s, false);
    QVERIFY(d.findChild<QRadioButton*>("channel1")->isChecked());
    QVERIFY(d.findChild<QRadioButton*>("selection3")->isChecked());
    QVERIFY(d.findChild<QRadioButton*>("splits2")->isChecked());
    QVERIFY(d.findChild<QRadioButton*>("points1")->isChecked());
    QCOMPARE(d.findChild<QLineEdit*>("first_n")->text(), QString("12"));
    QCOMPARE(d.findChild<QLineEdit*>("formula_a")->text(), QString("2000"));
    QVERIFY(d.findChild<QCheckBox*>("print_ranks")->isChecked());
    QVERIFY(!d.findChild<QCheckBox*>("team_extracts")->isEnabled());
    QCOMPARE(d.findChild<QRadioButton*>("channel0")->text(), QString::fromUtf8("Текущий принтер"));
    ResultPrintDialog en(s, true);
    QCOMPARE(en.findChild<QRadioButton*>("channel0")->text(), QString("Current printer"));
}

void ResultDialogTest::ok_returns_the_edits() {
    ResultPrintDialog d(ResultPrintSettings{}, false);
    d.findChild<QRadioButton*>("selection2")->setChecked(true);
    d.findChild<QRadioButton*>("splits1")->setChecked(true);
    d.findChild<QCheckBox*>("time_behind")->setChecked(true);
    d.findChild<QCheckBox*>("winner_from_six")->setChecked(true);
    d.findChild<QLineEdit*>("first_n")->setText("3");
    d.findChild<QLineEdit*>("formula_c")->setText("7");
    d.accept();
    QCOMPARE(d.result(), int(QDialog::Accepted));
    auto s = d.settings();
    QCOMPARE(s.selection, 2);
    QCOMPARE(s.splits_mode, 1);
    QCOMPARE(s.first_n, 3);
    QCOMPARE(s.formula_c, 7);
    QVERIFY(s.time_behind);
    QVERIFY(s.winner_from_six);
    QVERIFY(!s.print_ranks);
}

void ResultDialogTest::out_of_range_numbers_are_refused() {
    ResultPrintDialog d(ResultPrintSettings{}, false);
    d.findChild<QLineEdit*>("formula_c")->setText("0");
    QString seen;
    QTimer::singleShot(0, [&seen] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            seen = box->text();
            box->accept();
        }
    });
    d.accept();
    QCOMPARE(seen, QString::fromUtf8("Введите целое число от 1 до 10000."));
    QVERIFY(d.result() != int(QDialog::Accepted));
    // first_n above what the stored byte holds is refused too.
    d.findChild<QLineEdit*>("formula_c")->setText("1");
    d.findChild<QLineEdit*>("first_n")->setText("300");
    QTimer::singleShot(0, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->accept();
    });
    d.accept();
    QVERIFY(d.result() != int(QDialog::Accepted));
}

void ResultDialogTest::settings_round_trip_through_the_header() {
    CompetitionInfo info;
    info.formula_c = 0;
    info.selection = 2;
    auto s = ResultPrintSettings::from(info);
    QCOMPARE(s.formula_c, 1);  // a stored 0 is shown as 1
    s.first_n = 40;
    s.extended_html = true;
    s.selection = 1;
    s.store(info);
    QCOMPARE(int(info.first_n), 40);
    QCOMPARE(int(info.extended_html), 1);
    QCOMPARE(int(info.selection), 1);
    QCOMPARE(int(info.selection_copy), 1);
    QCOMPARE(info.formula_c, 1);
    QVERIFY(ResultPrintSettings::from(info) == s);
}

void ResultDialogTest::export_buttons_follow_their_actions() {
    ResultPrintDialog d(ResultPrintSettings{}, false);
    auto* osv = d.findChild<QPushButton*>("export_osv");
    QVERIFY(!osv->isEnabled());
    int runs = 0;
    d.set_export_actions([&runs] { ++runs; }, nullptr);
    QVERIFY(osv->isEnabled());
    QVERIFY(!d.findChild<QPushButton*>("export_route_gadget")->isEnabled());
    osv->click();
    QCOMPARE(runs, 1);
}

// The relay dialog shows the individual dialog's controls that mean nothing for a relay,
// greyed; the first-N row reads "Печатать только" [number] "первых".
void ResultDialogTest::relay_dialog_greys_what_a_relay_does_not_use() {
    skarvel::LanguageTable ru;
    ru.build(skarvel::UiLanguage::kRussian);
    skarvel::RelayPrintDialog d(skarvel::RelayPrintSettings{}, ru);
    QVERIFY(d.findChild<QRadioButton*>("channel1")->isChecked());
    for (const char* name : {"channel0", "channel1", "selection2", "selection3"})
        QVERIFY2(!d.findChild<QRadioButton*>(name)->isEnabled(), name);
    const char* const greyed[] = {"print_non_starters", "all_finish_passes",  "print_time_limit",
                                  "print_header",       "time_behind",        "team_extracts",
                                  "split_second_line",  "penalty_by_control", "print_points"};
    QStringList texts;
    for (const char* name : greyed) {
        auto* box = d.findChild<QCheckBox*>(name);
        QVERIFY2(box && !box->isEnabled() && !box->isChecked(), name);
        texts << box->text();
    }
    QVERIFY(texts.contains(QString::fromUtf8("Печатать шапку")));
    QVERIFY(texts.contains(QString::fromUtf8("Печатать очки")));
    QStringList labels;
    for (auto* l : d.findChildren<QLabel*>()) labels << l->text();
    QVERIFY(labels.contains(QString::fromUtf8("Печатать только")));
    QVERIFY(labels.contains(QString::fromUtf8("первых")));
}

QTEST_MAIN(ResultDialogTest)
#include "result_dialog_test.moc"
