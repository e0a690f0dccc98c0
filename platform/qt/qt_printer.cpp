#include "platform/qt/qt_printer.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPen>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QStringList>
#include <QUrl>
#include <algorithm>
#include <cmath>

#include "core/atomic_file.h"
#include "core/cp1251.h"
#include "platform/file_messages.h"

namespace skarvel {

namespace {

constexpr double kInchPerMm = 0.03937007874015748;

QString to_qstring(std::string_view cp1251) {
    return QString::fromUtf8(cp1251_to_utf8(cp1251));
}

// A PDF file the printer finished: it ends with the position of its cross-reference table
// and "%%EOF", and the table is where that says. A file cut short by a full disk, or one that
// lost bytes on the way, fails.
bool pdf_is_whole(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    qint64 size = f.size();
    if (size < 32 || !f.seek(std::max<qint64>(0, size - 64))) return false;
    QByteArray tail = f.readAll();
    qsizetype eof = tail.lastIndexOf("%%EOF");
    qsizetype startxref = tail.lastIndexOf("startxref");
    if (eof < 0 || startxref < 0 || startxref > eof || !tail.mid(eof + 5).trimmed().isEmpty())
        return false;
    bool number = false;
    qint64 at = tail.mid(startxref + 9, eof - startxref - 9).trimmed().toLongLong(&number);
    if (!number || at <= 0 || at >= size || !f.seek(at)) return false;
    return f.read(4) == "xref";
}

// The faces the layouts were made for ("Courier New", "Arial") and the faces that stand in for
// them where they are not installed. A Courier design takes the place of Courier New: its letters
// are as tall as the layouts expect at the same character height and it has the same 0.6-em
// advance (Liberation Mono has those widths but letters about 15 % taller, which run into the
// rules set just above and below a line). Arial's stand-in is its metric twin, Liberation Sans.
// A line is placed by the ascent of the designed face, so its baseline lies where the layout
// puts it whatever face stands in.
struct FaceChoice {
    QStringList families;
    double ascent_em = 0;  // ascent of the designed face in ems (0: the face's own)
};

FaceChoice face_choice(std::string_view face_cp1251, bool fixed_pitch) {
    const QString face = to_qstring(face_cp1251);
    if (face.startsWith(QStringLiteral("Courier New")) || (face.isEmpty() && fixed_pitch))
        return {{face, "Courier New", "Nimbus Mono PS", "FreeMono", "Liberation Mono",
                 "DejaVu Sans Mono"},
                1705.0 / 2048.0};
    if (face.startsWith(QStringLiteral("Arial")) || (face.isEmpty() && !fixed_pitch))
        return {{face, "Arial", "Liberation Sans", "DejaVu Sans"}, 1854.0 / 2048.0};
    return {{face, fixed_pitch ? "Nimbus Mono PS" : "Liberation Sans",
             fixed_pitch ? "DejaVu Sans Mono" : "DejaVu Sans"},
            0};
}

// While a long document prints, the window keeps painting, and after a moment a progress
// dialog over it shows the sheet being printed and can cancel the document.
class PrintProgress {
  public:
    PrintProgress(QWidget* parent, const LanguageTable& lang, std::string_view document_name,
                  int show_after_ms)
        : parent_(parent),
          lang_(lang),
          name_(to_qstring(document_name)),
          show_after_ms_(show_after_ms) {
        clock_.start();
    }
    // Before each page; false once the user has cancelled.
    bool page(int number) {
        if (last_pump_ms_ >= 0 && clock_.elapsed() - last_pump_ms_ < kPumpMs) return true;
        last_pump_ms_ = clock_.elapsed();
        if (!dialog_ && clock_.elapsed() >= show_after_ms_) {
            dialog_ = std::make_unique<QProgressDialog>(parent_);
            dialog_->setWindowTitle(QStringLiteral("Skarvel"));
            dialog_->setCancelButtonText(to_qstring(lang_.text(Txt::kCancel)));
            dialog_->setRange(0, 0);
            dialog_->setMinimumDuration(0);
            dialog_->setWindowModality(Qt::ApplicationModal);
            dialog_->show();
        }
        if (dialog_)
            dialog_->setLabelText(to_qstring(lang_.text(Txt::kPrintingSheet))
                                      .replace(QStringLiteral("%s"), name_)
                                      .replace(QStringLiteral("%d"), QString::number(number)));
        // Until the dialog is up (it holds the window's input back) nothing the user does may
        // run in the middle of the document.
        QCoreApplication::processEvents(dialog_ ? QEventLoop::AllEvents
                                                : QEventLoop::ExcludeUserInputEvents);
        return !(dialog_ && dialog_->wasCanceled());
    }

  private:
    static constexpr qint64 kPumpMs = 30;
    QWidget* parent_;
    const LanguageTable& lang_;
    QString name_;
    qint64 show_after_ms_;
    QElapsedTimer clock_;
    qint64 last_pump_ms_ = -1;
    std::unique_ptr<QProgressDialog> dialog_;
};

class QtPrinterDevice : public PageDevice {
  public:
    // `pdf`: the PDF file being written (through a temporary file), or null for a printer.
    QtPrinterDevice(std::unique_ptr<QPrinter> printer, std::unique_ptr<AtomicFile> pdf,
                    std::function<void(const QString&)> done, double page_width_mm)
        : printer_(std::move(printer)),
          pdf_(std::move(pdf)),
          done_(std::move(done)),
          page_width_mm_(page_width_mm) {}
    ~QtPrinterDevice() override { end_document(); }

    // Shows progress (and offers to cancel) while the document prints; `cancelled` is told when
    // the user does.
    void show_progress(std::unique_ptr<PrintProgress> progress, std::function<void()> cancelled) {
        progress_ = std::move(progress);
        cancelled_ = std::move(cancelled);
    }

    // Starts the document; false when the printer cannot be drawn on.
    bool start() {
        if (!painter_.begin(printer_.get())) return false;
        dpi_x_ = printer_->logicalDpiX();
        dpi_y_ = printer_->logicalDpiY();
        QRect area = printer_->pageLayout().paintRectPixels(printer_->resolution());
        double page_px = page_width_mm_ * dpi_x_ * kInchPerMm;
        scale_ = page_px > 0 ? std::min(1.0, area.width() / page_px) : 1.0;
        set_font(ReportFont::Body);
        return true;
    }

    void begin_page() override {
        if (ended_) return;
        if (progress_ && !progress_->page(pages_ + 1)) {
            // Cancelled: nothing more is drawn, and the document is thrown away.
            ended_ = true;
            printer_->abort();
            painter_.end();
            progress_.reset();
            // A PDF is a temporary file until the document is whole: it goes, and a file of the
            // same name from before stays as it was.
            if (pdf_) pdf_->discard();
            if (cancelled_) cancelled_();
            return;
        }
        if (pages_ > 0 && !printer_->newPage()) failed_ = true;
        ++pages_;
    }
    bool ok() const override { return !failed_ && printer_->printerState() != QPrinter::Error; }
    void end_page() override {}
    void end_document() override {
        if (ended_) return;
        ended_ = true;
        progress_.reset();
        if (!painter_.isActive()) return;
        // A document that never started a page is discarded rather than spooled blank.
        if (pages_ == 0) printer_->abort();
        if (!painter_.end() && pages_ > 0) failed_ = true;
        if (!pdf_) return;
        // The PDF file replaces the chosen one only when it is whole and on the disk.
        if (pages_ == 0) {
            pdf_->discard();
            return;
        }
        if (failed_ || !pdf_is_whole(QString::fromStdString(pdf_->temp_path())) ||
            !pdf_->commit()) {
            failed_ = true;
            pdf_->discard();
            return;
        }
        if (done_) done_(QString::fromStdString(pdf_->path()));
    }
    void set_font(ReportFont font) override {
        if (ended_) return;
        select_font(report_page_font(font));
    }
    void set_custom_font(const PageFont& page_font) override {
        if (ended_) return;
        select_font(page_font);
    }
    int dots_per_inch() const override { return dpi_y_; }
    void text_at(double x_mm, double y_mm, std::string_view text) override {
        if (ended_ || pages_ == 0) return;
        double ascent = ascent_px_;
        if (ascent <= 0) ascent = QFontMetrics(painter_.font(), printer_.get()).ascent();
        painter_.drawText(QPointF(px_x(x_mm), px_y(y_mm) + ascent), to_qstring(text));
    }
    void rule_at(double y_mm) override {
        if (ended_ || pages_ == 0) return;
        QPen old = painter_.pen();
        QPen pen(Qt::black);
        pen.setWidthF(std::max(1.0, static_cast<int>(dpi_y_ * kInchPerMm) * scale_));
        pen.setStyle(Qt::SolidLine);
        painter_.setPen(pen);
        double y = px_y(y_mm);
        painter_.drawLine(QPointF(px_x(0), y), QPointF(px_x(page_width_mm_), y));
        painter_.setPen(old);
    }

    void line_at(double x1_mm, double y1_mm, double x2_mm, double y2_mm, double width_mm,
                 bool dotted) override {
        if (ended_ || pages_ == 0) return;
        QPen old = painter_.pen();
        QPen pen(Qt::black);
        pen.setWidthF(std::max(1.0, static_cast<int>(width_mm * dpi_y_ * kInchPerMm) * scale_));
        pen.setStyle(dotted ? Qt::DotLine : Qt::SolidLine);
        painter_.setPen(pen);
        painter_.drawLine(QPointF(px_x(x1_mm), px_y(y1_mm)), QPointF(px_x(x2_mm), px_y(y2_mm)));
        painter_.setPen(old);
    }

  private:
    // A font as a Windows printer makes it from a character height (the em, as the layouts'
    // negative heights mean it) in whole dots of the vertical resolution.
    void select_font(const PageFont& wanted) {
        const FaceChoice choice = face_choice(wanted.face, wanted.fixed_pitch);
        QFont f;
        f.setFamilies(choice.families);
        f.setStyleHint(wanted.fixed_pitch ? QFont::TypeWriter : QFont::SansSerif);
        f.setFixedPitch(wanted.fixed_pitch);
        const int dots = static_cast<int>(dpi_y_ * wanted.height_inch);
        const int em = std::max(1, static_cast<int>(dots * scale_));
        f.setPixelSize(em);
        f.setWeight(wanted.weight >= 700 ? QFont::Bold : QFont::Normal);
        painter_.setFont(f);
        ascent_px_ = choice.ascent_em > 0 ? std::round(choice.ascent_em * em) : 0;
    }

    double px_x(double mm) const { return static_cast<int>(mm * dpi_x_ * kInchPerMm) * scale_; }
    double px_y(double mm) const { return static_cast<int>(mm * dpi_y_ * kInchPerMm) * scale_; }

    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<AtomicFile> pdf_;
    std::function<void(const QString&)> done_;
    double page_width_mm_;
    std::unique_ptr<PrintProgress> progress_;
    std::function<void()> cancelled_;
    QPainter painter_;
    int dpi_x_ = 600, dpi_y_ = 600;
    double scale_ = 1.0;
    double ascent_px_ = 0;  // baseline below a text's top in the current font (0: its own)
    int pages_ = 0;
    bool ended_ = false;
    bool failed_ = false;
};

}  // namespace

QString QtPrinterProvider::proposed_pdf_path(const QString& folder,
                                             std::string_view document_name) {
    QString base = to_qstring(document_name).trimmed();
    for (QChar& ch : base)
        if (QStringLiteral("/\\:*?\"<>|").contains(ch) || ch.unicode() < 32) ch = QLatin1Char('_');
    if (base.isEmpty()) base = QStringLiteral("report");
    QDir dir(folder);
    QString path = dir.filePath(base + QStringLiteral(".pdf"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(base + QStringLiteral(" (%1).pdf").arg(n));
    return path;
}

std::unique_ptr<PageDevice> QtPrinterProvider::open_document(std::string_view document_name,
                                                             std::string& error,
                                                             PageOrientation orientation) {
    const bool landscape = orientation == PageOrientation::kLandscape;
    std::unique_ptr<QPrinter> printer;
    QString pdf_file = pdf_path;
    QPrinterInfo info;
    if (pdf_file.isEmpty()) {
        info = printer_name.isEmpty() ? QPrinterInfo::defaultPrinter()
                                      : QPrinterInfo::printerInfo(printer_name);
        if (info.isNull() && !choose_pdf_file) {
            error = "GetPrinterDeviceDefaults = 0";
            return nullptr;
        }
    }
    if (choose_pdf_file && (!pdf_file.isEmpty() || info.isNull())) {
        QString folder = !pdf_file.isEmpty()
                             ? QFileInfo(pdf_file).absolutePath()
                             : QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (folder.isEmpty()) folder = QDir::currentPath();
        if (automatic) {
            // A sheet the program prints by itself goes beside the last PDF file, under a name
            // of its own, unasked: reading cards never waits for a file dialog.
            if (!automatic_pdf_folder.isEmpty()) folder = automatic_pdf_folder;
            QDir().mkpath(folder);
            pdf_file = proposed_pdf_path(folder, document_name);
        } else {
            // Each document asks for its own file, so no report overwrites another unasked.
            pdf_file = choose_pdf_file(proposed_pdf_path(folder, document_name));
            if (pdf_file.isEmpty()) return nullptr;        // cancelled: nothing to report
            if (!pdf_path.isEmpty()) pdf_path = pdf_file;  // the next one is proposed beside it
        }
    }
    std::unique_ptr<AtomicFile> pdf;
    if (!pdf_file.isEmpty()) {
        pdf = std::make_unique<AtomicFile>();
        int why = 0;
        if (!pdf->open(pdf_file.toStdString(), &why)) {
            const LanguageTable& words = lang ? *lang : russian_language_table();
            error = file_error_message(words, words.text(Txt::kCannotWriteFile),
                                       pdf_file.toStdString(), why);
            return nullptr;
        }
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(QString::fromStdString(pdf->temp_path()));
    } else {
        printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    }
    printer->setPageSize(QPageSize(QPageSize::A4));
    printer->setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    if (!pdf_file.isEmpty()) {
        // A PDF page keeps the margins a printer cannot print on, so the positions (which
        // count from the printable area) land where a printed page has them.
        const double m = kPdfMarginMm;
        printer->setPageMargins(QMarginsF(m, m, m, m), QPageLayout::Millimeter);
    }
    printer->setDocName(to_qstring(document_name));
    std::function<void(const QString&)> done = pdf ? pdf_written : nullptr;
    auto dev = std::make_unique<QtPrinterDevice>(std::move(printer), std::move(pdf), done,
                                                 landscape ? kLandscapeWidthMm : kPageWidthMm);
    if (!dev->start()) {
        error = "CreatePrinterDC = 0";
        return nullptr;
    }
    // A document the program prints by itself runs in the middle of other work (a card being
    // entered): it shows nothing and lets nothing else run meanwhile.
    if (progress_parent && lang && !automatic)
        dev->show_progress(std::make_unique<PrintProgress>(progress_parent, *lang, document_name,
                                                           progress_after_ms),
                           [this, name = std::string(document_name)] {
                               if (cancelled) cancelled(name);
                           });
    return dev;
}

bool QtPrinterProvider::choose_printer(QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    if (!pdf_path.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf_path);
    } else if (!printer_name.isEmpty()) {
        printer.setPrinterName(printer_name);
    }
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    if (dialog.exec() != QDialog::Accepted) return false;
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
        pdf_path = printer.outputFileName();
        printer_name.clear();
    } else {
        pdf_path.clear();
        printer_name = printer.printerName();
    }
    return true;
}

bool open_with_desktop(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void QtShellOpener::open_path(const std::string& path) {
    QString file = QString::fromUtf8(path);
    bool opened = open_with_desktop(file);
    if (told) told(QFileInfo(file).absoluteFilePath(), opened);
}

}  // namespace skarvel
