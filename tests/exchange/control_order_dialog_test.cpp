// The relay-number dialog of the control order import.
#include "exchange/ui/control_order_dialog.h"

#include <QGroupBox>
#include <QRadioButton>
#include <QtTest>

using namespace skarvel;

class ControlOrderDialogTest : public QObject {
    Q_OBJECT
  private slots:
    void opensWithTheScaleGivenAndReturnsTheOneChosen() {
        for (int scale : {100, 1000}) {
            ControlOrderDialog dialog(scale, false);
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Импорт отметки из OCAD8"));
            QCOMPARE(dialog.findChild<QGroupBox*>()->title(),
                     QStringLiteral("Преобразовывать эстафетные номера"));
            QCOMPARE(dialog.scale100->text(), QStringLiteral("2.1 -> 102"));
            QCOMPARE(dialog.scale1000->text(), QStringLiteral("2.1 -> 1002"));
            QCOMPARE(dialog.relay_number_scale(), scale);
            (scale == 100 ? dialog.scale1000 : dialog.scale100)->click();
            QCOMPARE(dialog.relay_number_scale(), scale == 100 ? 1000 : 100);
        }
    }
};

QTEST_MAIN(ControlOrderDialogTest)
#include "control_order_dialog_test.moc"
