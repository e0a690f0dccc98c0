// Prints a result protocol headless into a PDF and reads its text back with pdftotext.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest/QtTest>

#include "core/cp1251.h"
#include "fixture.h"
#include "platform/qt/qt_printer.h"
#include "results/result_protocol.h"

using namespace skarvel;
using test::cp;
using test::T;

class PdfPrintTest : public QObject {
    Q_OBJECT
  private slots:
    void protocol_prints_to_a_pdf_with_readable_cyrillic();
    void a_document_without_pages_leaves_no_file();
    void no_printer_gives_the_message();
};

void PdfPrintTest::protocol_prints_to_a_pdf_with_readable_cyrillic() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    test::Fixture f;
    set_field_text(f.c.info.date, cp("01.06.2026"));
    set_field_text(f.c.info.chief_judge, cp("Судьин"));
    f.add_class(1, "М21");
    f.add_club(1, "Клуб Ёлка");
    for (int n = 1; n <= 65; ++n) f.add_runner(n, "Иванов Иван", 1, 1, 0, T(0, 30, n));
    QtPrinterProvider printers;
    printers.pdf_path = dir.filePath("protocol.pdf");
    ScriptedPrompts prompts;
    RecordingShellOpener shell;
    ReportEnv env{prompts, printers, shell};
    QCOMPARE(int(run_result_protocol(f.c, env)), int(ProtocolStatus::Done));
    QVERIFY(prompts.messages.empty());
    QVERIFY(QFile::exists(printers.pdf_path));

    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) QSKIP("pdftotext is not installed");
    QProcess p;
    p.start("pdftotext", {"-layout", printers.pdf_path, "-"});
    QVERIFY(p.waitForFinished(30000));
    QString text = QString::fromUtf8(p.readAllStandardOutput());
    QVERIFY2(text.contains(QString::fromUtf8("Иванов Иван")), qPrintable(text.left(400)));
    QVERIFY(text.contains(QString::fromUtf8("Клуб Ёлка")));
    QVERIFY(text.contains(QString::fromUtf8("Лист 1/2")));
    QVERIFY(text.contains(QString::fromUtf8("Лист 2/2")));
    QVERIFY(text.contains(QString::fromUtf8("Главный судья")));
    QCOMPARE(text.count(QChar('\f')), 2);  // two pages
}

void PdfPrintTest::a_document_without_pages_leaves_no_file() {
    QTemporaryDir dir;
    QtPrinterProvider printers;
    printers.pdf_path = dir.filePath("empty.pdf");
    std::string error;
    {
        auto dev = printers.open_document("x", error);
        QVERIFY(dev);
        dev->end_document();
    }
    QVERIFY(!QFile::exists(printers.pdf_path) || QFile(printers.pdf_path).size() == 0);
}

void PdfPrintTest::no_printer_gives_the_message() {
    QtPrinterProvider printers;
    printers.printer_name = "no such printer here";
    std::string error;
    QVERIFY(!printers.open_document("x", error));
    QCOMPARE(QString::fromStdString(error), QString("GetPrinterDeviceDefaults = 0"));
    // An unwritable PDF path cannot be drawn on.
    printers.pdf_path = "/nonexistent-dir/x.pdf";
    QVERIFY(!printers.open_document("x", error));
    QCOMPARE(QString::fromStdString(error), QString("CreatePrinterDC = 0"));
}

QTEST_MAIN(PdfPrintTest)
#include "pdf_print_test.moc"
