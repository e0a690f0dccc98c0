// The IOF XML commands in the real main window (offscreen): the imports under File > Import,
// the exports under File, and the export button of the result and start dialogs.
#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <fstream>

#include "app/main_frame.h"
#include "app/skarvel_view.h"
#include "results/ui/result_print_dialog.h"
#include "start/ui/start_dialogs.h"
#include "tests/exchange/iof_schema.h"
#include "tests/main_window_fixture.h"

using namespace skarvel;

namespace {
QString xml_path(const QTemporaryDir& dir, const char* name) {
    return dir.filePath(QString::fromUtf8(name));
}
bool validates(const QString& path) {
    return skarvel::test::schema_errors(path.toStdString()).empty();
}
}  // namespace

class IofWindowTest : public QObject, testing::MainWindowFixture {
    Q_OBJECT

    // Clicks the dialog's IOF XML button (the prompts name the file), then closes the dialog.
    template <class D>
    void export_from_dialog(CommandId command, const QString& path) {
        prompts->files.push_back(path.toStdString());
        bool clicked = false;
        testing::on_dialog<D>([&clicked](D* d) {
            auto* button = d->template findChild<QPushButton*>(QStringLiteral("export_iof"));
            QVERIFY(button);
            button->click();
            clicked = true;
            d->reject();
        });
        trigger(command);
        QTRY_VERIFY_WITH_TIMEOUT(clicked, 10000);
    }

  private slots:
    void initTestCase() { QVERIFY(set_up_program()); }
    void init() { QVERIFY(open(1000, 500, false)); }
    void cleanup() { close(); }

    void importsFromTheFileMenu() {
        prompts->files.push_back(std::string(SKARVEL_IOF_DIR) + "/EntryList1.xml");
        prompts->files.push_back(std::string(SKARVEL_IOF_DIR) + "/CourseData_Individual_Step2.xml");
        QVERIFY(enabled(CommandId::kIofImportEntries));
        trigger(CommandId::kIofImportEntries);
        trigger(CommandId::kIofImportCourses);
        QCOMPARE(c().tables.runners.occupied_count(), 3);
        QCOMPARE(c().tables.courses.occupied_count(), 2);
        QVERIFY(c().modified);
        QCOMPARE(prompts->messages.size(), std::size_t(2));
    }

    void exportsFromTheFileMenuAndTheDialogs() {
        prompts->files.push_back(std::string(SKARVEL_IOF_DIR) + "/ResultList1.xml");
        prompts->texts.push_back("+01:00");  // the file's times carry a zone: the question
        trigger(CommandId::kIofImportResults);
        QVERIFY(c().tables.finish_lines.occupied_count() > 0);
        QString entries = xml_path(tmp, "entries.xml"), courses = xml_path(tmp, "courses.xml");
        prompts->files.push_back(entries.toStdString());
        prompts->files.push_back(courses.toStdString());
        trigger(CommandId::kIofExportEntries);
        trigger(CommandId::kIofExportCourses);
        QVERIFY(validates(entries));
        QVERIFY(validates(courses));

        QString results = xml_path(tmp, "results.xml"), start = xml_path(tmp, "start.xml");
        export_from_dialog<ResultPrintDialog>(CommandId::kPrintResultList, results);
        export_from_dialog<StartListDialog>(CommandId::kPrintStartList, start);
        QVERIFY(validates(results));
        QVERIFY(validates(start));
        std::ifstream in(results.toStdString());
        std::string text((std::istreambuf_iterator<char>(in)), {});
        QVERIFY(text.find("<Position>1</Position>") != std::string::npos);
    }
};

QTEST_MAIN(IofWindowTest)
#include "iof_window_test.moc"
