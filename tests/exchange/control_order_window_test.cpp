// "Import from OCAD8..." in the real main window (offscreen): the dialog's relay scale reaches
// the import and is proposed again the next time; Cancel reads nothing.
#include <QApplication>
#include <QRadioButton>
#include <QTest>
#include <fstream>

#include "app/main_frame.h"
#include "exchange/ui/control_order_dialog.h"
#include "tests/main_window_fixture.h"

using namespace skarvel;

class ControlOrderWindowTest : public QObject, testing::MainWindowFixture {
    Q_OBJECT

    // Runs the command; `f` answers the dialog. Returns the scale the dialog opened with.
    template <class F>
    int run(F f) {
        int opened_with = 0;
        testing::on_dialog<ControlOrderDialog>([&opened_with, f](ControlOrderDialog* d) {
            opened_with = d->relay_number_scale();
            f(d);
        });
        trigger(CommandId::kImportOcad8);
        return opened_with;
    }

  private slots:
    void initTestCase() { QVERIFY(set_up_program()); }
    void init() { QVERIFY(open(1000, 500, false)); }
    void cleanup() { close(); }

    void theScaleChosenIsUsedAndKept() {
        const std::string path = tmp.filePath(QStringLiteral("order.txt")).toStdString();
        std::ofstream(path, std::ios::binary) << "1;A;2.1;4500;120;0;0;S1;230;31;\r\n";
        prompts->files = {path, path};
        QCOMPARE(run([](ControlOrderDialog* d) { d->reject(); }), 100);
        QCOMPARE(prompts->files.size(), std::size_t(2));  // Cancel: no file asked for
        QCOMPARE(run([](ControlOrderDialog* d) {
                     d->scale1000->click();
                     d->accept();
                 }),
                 100);
        QCOMPARE(run([](ControlOrderDialog* d) { d->accept(); }), 1000);
        QCOMPARE(c().tables.courses.occupied_count(), 2);
        QCOMPARE(std::string(field_text(c().tables.courses[0]->name)), std::string("1002"));
        QVERIFY(c().modified);
    }
};

QTEST_MAIN(ControlOrderWindowTest)
#include "control_order_window_test.moc"
