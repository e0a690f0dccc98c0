// The IOF XML export button in a dialog's button row.
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>

#include "exchange/ui/iof_export_button.h"
#include "platform/qt/dialog_parts.h"

using namespace skarvel;

class IofButtonTest : public QObject {
    Q_OBJECT
  private slots:
    void sitsBesideOkAndRunsWhileTheDialogStaysOpen() {
        QDialog dialog;
        auto* layout = new QVBoxLayout(&dialog);
        QDialogButtonBox* box = add_dialog_buttons(&dialog, layout, true);
        int runs = 0;
        QPushButton* b = add_iof_export_button(dialog, "Export IOF XML...", [&runs] { ++runs; });
        QVERIFY(b);
        QCOMPARE(b->objectName(), QStringLiteral("export_iof"));
        QCOMPARE(box->buttonRole(b), QDialogButtonBox::ActionRole);
        dialog.show();
        b->click();
        b->click();
        QCOMPARE(runs, 2);
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), 0);
    }
    void withoutAButtonBoxGoesToTheLayout() {
        QDialog dialog;
        auto* layout = new QVBoxLayout(&dialog);
        QPushButton* b = add_iof_export_button(dialog, "x", {});
        QVERIFY(b);
        QCOMPARE(layout->indexOf(b), 0);
        b->click();  // no action: nothing happens
        QDialog bare;
        QVERIFY(!add_iof_export_button(bare, "x", {}));
    }
};

QTEST_MAIN(IofButtonTest)
#include "iof_button_test.moc"
