// The finish-list and split-printout dialogs on their own: initial states, the options they
// return, Russian and English texts.
#include "punch/ui/finish_dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

using namespace skarvel;

class FinishDialogsTest : public QObject {
    Q_OBJECT
  private slots:
    void preparation();
    void rebuild();
    void split_range();
};

void FinishDialogsTest::preparation() {
    FinishPreparationDialog d(false);
    QCOMPARE(d.windowTitle(), QString::fromUtf8("Подготовка финиша"));
    QVERIFY(d.clear_finish->isChecked());
    QVERIFY(d.clear_readouts->isChecked());
    QVERIFY(d.restore_runners->isChecked());
    QCOMPARE(d.clear_readouts->text(), QString::fromUtf8("Очистить содержимое ЧИПов"));
    QTest::mouseClick(d.clear_readouts, Qt::LeftButton);
    FinishPreparation o = d.options();
    QVERIFY(o.clear_finish);
    QVERIFY(!o.clear_readouts);
    QVERIFY(o.restore_runners);

    FinishPreparationDialog en(true);
    QCOMPARE(en.clear_finish->text(), QString("Clear finish"));

    // The buttons follow the interface language too, and Enter means OK.
    auto* cancel = d.findChild<QPushButton*>("cancel");
    QVERIFY(cancel);
    QCOMPARE(cancel->text(), QString::fromUtf8("Отмена"));
    QCOMPARE(en.findChild<QPushButton*>("cancel")->text(), QString("Cancel"));
    QVERIFY(d.findChild<QPushButton*>("ok")->isDefault());
    QTest::mouseClick(cancel, Qt::LeftButton);
    QCOMPARE(d.result(), int(QDialog::Rejected));
}

void FinishDialogsTest::rebuild() {
    RebuildFinishDialog d(RebuildOptions{2, 1, true}, false);
    QVERIFY(d.start[2]->isChecked());
    QVERIFY(d.finish[1]->isChecked());
    QVERIFY(d.recheck->isChecked());
    QCOMPARE(d.recheck->text(), QString::fromUtf8("Перепроверить отметку"));
    QCOMPARE(d.start[1]->text(), QString::fromUtf8("Из стартовой станции"));
    QCOMPARE(d.finish[0]->text(), QString::fromUtf8("Из протокола финиша"));
    QTest::mouseClick(d.start[0], Qt::LeftButton);
    QTest::mouseClick(d.finish[2], Qt::LeftButton);
    QTest::mouseClick(d.recheck, Qt::LeftButton);
    RebuildOptions o = d.options();
    QCOMPARE(int(o.start_source), 0);
    QCOMPARE(int(o.finish_source), 2);
    QVERIFY(!o.recheck);

    RebuildFinishDialog damaged(RebuildOptions{9, 9, false}, true);  // stored values out of range
    QVERIFY(damaged.start[0]->isChecked());
    QCOMPARE(damaged.windowTitle(), QString("Rebuild finish list"));
}

void FinishDialogsTest::split_range() {
    SplitRangeDialog d(SplitRangeState{12, 0}, false);
    QCOMPARE(d.windowTitle(), QString::fromUtf8("Печать информашек"));
    QCOMPARE(d.start_from->value(), 12);
    QCOMPARE(d.start_from->maximum(), 29999);
    d.count->setValue(40000);  // clamped to the range
    QCOMPARE(d.state().count, 29999);
    d.start_from->setValue(0);
    QCOMPARE(d.state().start_from, 0);
}

QTEST_MAIN(FinishDialogsTest)
#include "finish_dialogs_test.moc"
