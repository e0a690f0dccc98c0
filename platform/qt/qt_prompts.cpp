#include "platform/qt/qt_prompts.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QStringList>

#include "platform/qt/qt_text.h"

namespace skarvel {

QString qt_file_filter(std::string_view cp1251_filter) {
    QStringList parts = qs(cp1251_filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        QString patterns = parts[i + 1].trimmed();
        if (description.isEmpty() && patterns.isEmpty()) break;
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // The patterns after the bar filter, as the program's dialogs always had it; the
        // description is only shown. Qt filters by the last "(...)" of the text, so one is
        // added unless the description already ends with these very patterns
        // ("TXT-файл(*.txt) |*.*||" lists every file).
        if (description.endsWith(QStringLiteral("(%1)").arg(patterns)))
            filters << description;
        else
            filters << QStringLiteral("%1 (%2)").arg(description, patterns);
    }
    return filters.join(QStringLiteral(";;"));
}

namespace {

// The extension of the filter's first pattern when it names one ("*.wdb" gives "wdb").
QString default_suffix(std::string_view cp1251_filter) {
    QString patterns = qs(cp1251_filter).section(QLatin1Char('|'), 1, 1).trimmed();
    QString first = patterns.section(QLatin1Char(';'), 0, 0).trimmed();
    if (!first.startsWith(QStringLiteral("*."))) return QString();
    QString ext = first.mid(2);
    if (ext.contains(QLatin1Char('*')) || ext.contains(QLatin1Char('?'))) return QString();
    return ext;
}

}  // namespace

bool QtPrompts::ask_yes_no(std::string_view question) {
    return ask_yes_no_captioned(question, default_caption_);
}

void QtPrompts::message(std::string_view text) {
    message_captioned(text, default_caption_);
}

bool QtPrompts::ask_yes_no_captioned(std::string_view question, std::string_view caption) {
    return QMessageBox::question(parent_, qs(caption), qs(question),
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

void QtPrompts::message_captioned(std::string_view text, std::string_view caption) {
    QMessageBox::information(parent_, qs(caption), qs(text));
}

void QtPrompts::stop_message(std::string_view text, std::string_view caption) {
    QMessageBox::critical(parent_, qs(caption), qs(text));
}

std::optional<std::string> QtPrompts::choose_open_file(std::string_view filter) {
    QString path =
        QFileDialog::getOpenFileName(parent_, QString(), QString(), qt_file_filter(filter));
    if (path.isEmpty()) return std::nullopt;
    return path_of(path);
}

std::optional<std::string> QtPrompts::choose_save_file(std::string_view filter,
                                                       std::string_view suggested) {
    return choose_save_file_titled(filter, suggested, {});
}

std::optional<std::string> QtPrompts::choose_save_file_titled(std::string_view filter,
                                                              std::string_view suggested,
                                                              std::string_view title) {
    QFileDialog dialog(
        parent_, qs(title),
        QString::fromUtf8(suggested.data(), static_cast<qsizetype>(suggested.size())),
        qt_file_filter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // The dialog adds the extension itself, so its question about replacing a file is asked
    // about the name that will really be written.
    dialog.setDefaultSuffix(default_suffix(filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    QString path = dialog.selectedFiles().first();
    if (path.isEmpty()) return std::nullopt;
    return path_of(path);
}

std::optional<std::string> QtPrompts::choose_open_file_named(std::string_view filter,
                                                             std::string_view suggested,
                                                             std::string_view extension,
                                                             std::string_view title) {
    QFileDialog dialog(parent_, qs(title), QString(), qt_file_filter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(
        QString::fromUtf8(extension.data(), static_cast<qsizetype>(extension.size())));
    dialog.selectFile(
        QString::fromUtf8(suggested.data(), static_cast<qsizetype>(suggested.size())));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return path_of(dialog.selectedFiles().first());
}

std::optional<std::string> QtPrompts::ask_text(std::string_view prompt, std::string_view initial) {
    return ask_text_captioned(prompt, initial, default_caption_);
}

std::optional<std::string> QtPrompts::ask_text_captioned(std::string_view prompt,
                                                         std::string_view initial,
                                                         std::string_view caption) {
    bool ok = false;
    QString text = QInputDialog::getText(parent_, qs(caption), qs(prompt), QLineEdit::Normal,
                                         qs(initial), &ok);
    if (!ok) return std::nullopt;
    return cp(text);
}

}  // namespace skarvel
