// The printer channel on a real QPrinter: the default printer (or the one chosen in the
// printer set-up), or a PDF file. Report pages are laid out in the printable area; a printable
// area narrower than the report page (210 mm wide, 297 mm on its side) is scaled down
// uniformly so nothing is cut.
#pragma once

#include <QString>
#include <functional>

#include "core/language.h"
#include "platform/page_device.h"

class QWidget;

namespace skarvel {

class QtPrinterProvider : public PrinterProvider {
  public:
    std::unique_ptr<PageDevice> open_document(
        std::string_view document_name, std::string& error,
        PageOrientation orientation = PageOrientation::kPortrait) override;

    // Where documents go: a PDF file when `pdf_path` is set, else the printer named
    // `printer_name`, else the system's default printer.
    QString pdf_path;
    QString printer_name;

    // Asked for every document that goes to a PDF file (and, where no printer is installed,
    // in place of the printer): the file to write, given a name proposed from the document's
    // name beside the last file; an empty answer cancels the document. Unset: `pdf_path` is
    // written as it is (the command-line tool, tests).
    std::function<QString(const QString& proposed)> choose_pdf_file;
    // Told where each PDF document went, once it is complete.
    std::function<void(const QString& path)> pdf_written;
    // Where the documents the program prints by itself (`automatic`) go when they are PDF
    // files; empty: the folder of the last PDF file, else the documents folder.
    QString automatic_pdf_folder;
    // The window that keeps painting while a long document prints, with a progress dialog
    // over it that can cancel the document (unset: none, as in the command-line tool).
    QWidget* progress_parent = nullptr;
    // The language of its messages (a PDF file that cannot be written) and of the progress
    // dialog; unset: Russian.
    const LanguageTable* lang = nullptr;
    // How long a document prints before its progress dialog shows.
    int progress_after_ms = 400;
    // Told of a document the user cancelled (its name, Windows-1251); a PDF of it is removed.
    std::function<void(std::string_view document_name)> cancelled;

    // The proposed file for a document: its name, made safe for a file name, in `folder`,
    // numbered " (2)", " (3)", ... when the file exists.
    static QString proposed_pdf_path(const QString& folder, std::string_view document_name);
    // Margin of a PDF page (the printable area of a typical printer), in millimetres.
    static constexpr double kPdfMarginMm = 5.0;

    // The printer set-up ("Выбор принтера..."): a print dialog whose choice of printer or
    // PDF file is kept for the following documents. False when cancelled.
    bool choose_printer(QWidget* parent);
};

// Opens a finished file with the desktop's default application (the browser for HTML).
class QtShellOpener : public ShellOpener {
  public:
    void open_path(const std::string& path) override;
    // Told of every file handed to the desktop: its path, and whether a program took it.
    std::function<void(const QString& path, bool opened)> told;
};

// Hands `path` to the desktop's default application; false when none could take it.
bool open_with_desktop(const QString& path);

}  // namespace skarvel
