// Prints a result protocol headless into a PDF and reads its text back with pdftotext.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest/QtTest>
#include <cerrno>

#include "core/cp1251.h"
#include "fixture.h"
#include "platform/file_messages.h"
#include "platform/qt/qt_printer.h"
#include "results/result_protocol.h"
#include "start/number_bibs.h"
#include "start/runner_cards.h"

using namespace skarvel;
using test::cp;
using test::T;

class PdfPrintTest : public QObject {
    Q_OBJECT
  private slots:
    void protocol_prints_to_a_pdf_with_readable_cyrillic();
    void a_document_without_pages_leaves_no_file();
    void no_printer_gives_the_message();
    void each_print_asks_for_its_file_and_text_sits_in_the_printable_area();
    void letters_keep_clear_of_rules_and_frames();
    void large_bibs_keep_every_figure_on_the_sheet();
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
    // A PDF file that cannot be written is named with the reason before anything is drawn.
    printers.pdf_path = "/nonexistent-dir/x.pdf";
    QVERIFY(!printers.open_document("x", error));
    const LanguageTable& words = russian_language_table();
    QCOMPARE(error, file_error_message(words, words.text(Txt::kCannotWriteFile),
                                       "/nonexistent-dir/x.pdf", ENOENT));
}

// Printing the protocol twice to PDF: each print asks, proposing the report's name beside the
// last file (numbered when taken), and both files are written as proposed. The page keeps a
// printer's margins: the first text (at 1 mm from the printable area's edge) sits inside them.
void PdfPrintTest::each_print_asks_for_its_file_and_text_sits_in_the_printable_area() {
    QTemporaryDir dir;
    test::Fixture f;
    f.add_class(1, "М21");
    f.add_club(1, "Клуб");
    f.add_runner(1, "Петров Пётр", 1, 1, 0, T(0, 30, 0));
    QtPrinterProvider printers;
    printers.pdf_path = dir.filePath("chosen.pdf");
    QStringList proposed, written;
    printers.choose_pdf_file = [&](const QString& p) {
        proposed << p;
        return p;
    };
    printers.pdf_written = [&](const QString& p) { written << p; };
    ScriptedPrompts prompts;
    RecordingShellOpener shell;
    ReportEnv env{prompts, printers, shell};
    for (int i = 0; i < 2; ++i)
        QCOMPARE(int(run_result_protocol(f.c, env)), int(ProtocolStatus::Done));
    const QStringList expected = {dir.filePath(QString::fromUtf8("Протокол результатов.pdf")),
                                  dir.filePath(QString::fromUtf8("Протокол результатов (2).pdf"))};
    QCOMPARE(proposed, expected);
    QCOMPARE(written, expected);
    for (const QString& p : expected) QVERIFY(QFile(p).size() > 1000);
    QVERIFY(!QFile::exists(dir.filePath("chosen.pdf")));

    // Cancelling the file writes nothing and says nothing.
    printers.choose_pdf_file = [](const QString&) { return QString(); };
    QVERIFY(run_result_protocol(f.c, env) != ProtocolStatus::Done);
    QCOMPARE(written.size(), 2);
    QVERIFY(prompts.messages.empty());

    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) QSKIP("pdftotext is not installed");
    QProcess p;
    p.start("pdftotext", {"-bbox", expected[0], "-"});
    QVERIFY(p.waitForFinished(30000));
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    QRegularExpression word(QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\""));
    double min_x = 1e9, min_y = 1e9;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        auto m = it.next();
        min_x = std::min(min_x, m.captured(1).toDouble());
        min_y = std::min(min_y, m.captured(2).toDouble());
    }
    const double margin_pt = QtPrinterProvider::kPdfMarginMm / 25.4 * 72;
    QVERIFY2(min_x >= margin_pt && min_x < margin_pt + 3 / 25.4 * 72,
             qPrintable(QString::number(min_x)));
    QVERIFY2(min_y >= margin_pt, qPrintable(QString::number(min_y)));
}

namespace {

// How many separate dark bands the rows of a box of the first page hold (the box in report
// millimetres, converted as the PDF page lays them out), from the page drawn at 600 dpi.
int dark_bands(const QString& pdf, double x0, double x1, double y0, double y1) {
    const double m = QtPrinterProvider::kPdfMarginMm, scale = (kPageWidthMm - 2 * m) / kPageWidthMm;
    const double px_per_mm = 600 / 25.4;
    auto px = [&](double mm) { return QString::number(int((m + mm * scale) * px_per_mm)); };
    QProcess p;
    p.start("pdftoppm", {"-gray", "-r", "600", "-f", "1", "-l", "1", "-x", px(x0), "-y", px(y0),
                         "-W", QString::number(int((x1 - x0) * scale * px_per_mm)), "-H",
                         QString::number(int((y1 - y0) * scale * px_per_mm)), pdf});
    if (!p.waitForFinished(60000)) return -1;
    const QByteArray pgm = p.readAllStandardOutput();
    const QList<QByteArray> head = pgm.left(64).split('\n');  // P5, width height, 255
    if (head.size() < 4) return -1;
    const int w = head[1].split(' ')[0].toInt(), h = head[1].split(' ')[1].toInt();
    const QByteArray pixels = pgm.right(qsizetype(w) * h);
    int bands = 0;
    bool in_band = false;
    for (int row = 0; row < h; ++row) {
        bool dark = false;
        for (int col = 0; col < w && !dark; ++col)
            dark = static_cast<unsigned char>(pixels[row * w + col]) < 128;
        bands += dark && !in_band;
        in_band = dark;
    }
    return bands;
}

}  // namespace

// The layouts' fonts drawn as they were made for: the chief judge's line under the section's
// rule and the date on a runner card above the card's frame each keep a white gap.
void PdfPrintTest::letters_keep_clear_of_rules_and_frames() {
    if (QStandardPaths::findExecutable("pdftoppm").isEmpty()) QSKIP("pdftoppm is not installed");
    QTemporaryDir dir;
    test::Fixture f;
    set_field_text(f.c.info.date, cp("01.06.2026"));
    set_field_text(f.c.info.chief_judge, cp("Судьин"));
    f.add_class(1, "М21");
    f.add_club(1, "Клуб");
    for (int n = 1; n <= 3; ++n) f.add_runner(n, "Йорданов Йован", 1, 1, 0, T(0, 30, n));
    QtPrinterProvider printers;
    ScriptedPrompts prompts;
    RecordingShellOpener shell;
    ReportEnv env{prompts, printers, shell};
    printers.pdf_path = dir.filePath("protocol.pdf");
    QCOMPARE(int(run_result_protocol(f.c, env)), int(ProtocolStatus::Done));
    // The rule at 24 + 3 × 4 mm, "Главный судья" from the same height down.
    QCOMPARE(dark_bands(printers.pdf_path, 1, 30, 35.2, 38), 2);

    printers.pdf_path = dir.filePath("cards.pdf");
    QVERIFY(print_runner_cards(f.c, CardPrintOptions{}, env));
    // One row of boxes (20 mm): the date from 28 mm, then the frame's foot.
    QCOMPARE(dark_bands(printers.pdf_path, 142, 165, 27.6, 32.6), 2);
}

// Large bibs on A4 on its side: 105, 197 and 29999, and the relay form of 2105 (105 and the
// leg 2): every figure within the printable area, the relay number clear of its leg.
void PdfPrintTest::large_bibs_keep_every_figure_on_the_sheet() {
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) QSKIP("pdftotext is not installed");
    QTemporaryDir dir;
    QtPrinterProvider printers;
    ScriptedPrompts prompts;
    RecordingShellOpener shell;
    ReportEnv env{prompts, printers, shell};
    struct Word {
        double x0, x1;
        QString text;
    };
    // The words of each page of a PDF, with their left and right edges in points.
    auto pages = [](const QString& pdf) {
        QProcess p;
        p.start("pdftotext", {"-bbox", pdf, "-"});
        p.waitForFinished(60000);
        const QString html = QString::fromUtf8(p.readAllStandardOutput());
        QList<QList<Word>> out;
        for (const QString& page : html.split("<page ").mid(1)) {
            out.append(QList<Word>());
            QRegularExpression word(
                "<word xMin=\"([0-9.]+)\" yMin=\"[0-9.]+\" "
                "xMax=\"([0-9.]+)\" yMax=\"[0-9.]+\">([^<]*)</word>");
            for (auto it = word.globalMatch(page); it.hasNext();) {
                auto m = it.next();
                out.back().append(
                    {m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3)});
            }
        }
        return out;
    };
    const double margin = QtPrinterProvider::kPdfMarginMm / 25.4 * 72, width = 297 / 25.4 * 72;
    test::Fixture f;
    f.add_class(1, "M21");
    for (int n : {105, 197, 29999}) f.add_runner(n, "Runner", 1, 0, 0);
    printers.pdf_path = dir.filePath("bibs.pdf");
    QVERIFY(print_number_bibs(f.c, BibOptions{}, true, env));
    const auto plain = pages(printers.pdf_path);
    QCOMPARE(plain.size(), 3);
    const char* const numbers[] = {"105", "197", "29999"};
    auto find = [](const QList<Word>& words, const QString& text) {
        for (const Word& w : words)
            if (w.text == text) return w;
        return Word{-1, -1, QString()};
    };
    for (int i = 0; i < 3; ++i) {
        const Word n = find(plain[i], numbers[i]);
        QCOMPARE(n.text, QString(numbers[i]));
        QVERIFY2(n.x0 >= margin - 0.5 && n.x1 <= width - margin + 0.5,
                 qPrintable(QString("%1: %2..%3").arg(n.text).arg(n.x0).arg(n.x1)));
    }

    test::Fixture relay;
    relay.add_class(1, "M21");
    relay.add_runner(2105, "Runner", 1, 0, 0);
    BibOptions leg;
    leg.relay_leg = true;
    printers.pdf_path = dir.filePath("relay.pdf");
    QVERIFY(print_number_bibs(relay.c, leg, true, env));
    const auto relay_pages = pages(printers.pdf_path);
    QCOMPARE(relay_pages.size(), 1);
    const Word number = find(relay_pages[0], "105");
    const Word leg_word = find(relay_pages[0], "2");
    QCOMPARE(number.text, QString("105"));
    QCOMPARE(leg_word.text, QString("2"));
    QVERIFY(number.x0 >= margin - 0.5);
    QVERIFY2(number.x1 < leg_word.x0, qPrintable(QString("%1 %2").arg(number.x1).arg(leg_word.x0)));
    QVERIFY(leg_word.x1 <= width - margin + 0.5);
}

QTEST_MAIN(PdfPrintTest)
#include "pdf_print_test.moc"
