// What the record editors share: texts in the interface language, the OK check that keeps a
// dialog open on a rejected value, multi-line text at the Qt boundary, and the "Звук" group.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "core/language.h"

class QBoxLayout;
class QFormLayout;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QVBoxLayout;
class QWidget;

namespace skarvel {

class Competition;

// Multi-line text: the logic keeps CR LF line ends, Qt's text fields use LF.
std::string editor_text_to_cp(const QString& text);
QString cp_to_editor_text(std::string_view cp1251);

// A line edit with an object name, a text and (when max_chars > 0) a length limit.
QLineEdit* make_line_edit(QWidget* parent, const char* name, const std::string& cp1251,
                          int max_chars = 0);

// The "Звук" group: the record's id (read-only) and the two sound buttons. This build has no
// sound service, so the buttons are disabled and their tooltip says so.
QGroupBox* make_sound_group(QWidget* parent, const LanguageTable& lang, int id);

// Lets Ctrl+Enter start a new line in a multi-line field, as its label promises.
void allow_ctrl_enter_new_line(QPlainTextEdit* edit);

// A dialog whose OK first stores the fields: when `store` returns an error message the dialog
// shows it and stays open (nothing has been stored); otherwise it closes.
class EditorDialog : public QDialog {
    Q_OBJECT
  public:
    explicit EditorDialog(QWidget* parent) : QDialog(parent) {}
    // Shows a rejected value's message; a warning box unless a test replaces it.
    std::function<void(const QString&)> report_error;
    // The last message shown through report_error.
    QString last_error() const { return last_error_; }

    void accept() override;

  protected:
    // Stores the fields; returns the error message (Windows-1251) or an empty string.
    virtual std::string store() = 0;
    // OK and Cancel buttons under the given layout's last row.
    void add_ok_cancel(QBoxLayout* layout, const LanguageTable& lang);

  private:
    QString last_error_;
};

// An editor of one slot of a record table; stored_slot() tells where OK stored the record
// (a new record lands in the first empty slot). OK writes back only the fields the operator
// changed, into the record as it is at OK (merge_changed_fields); an editor opened on an
// empty slot creates its record on OK in a free slot, never in one taken meanwhile.
class RecordEditor : public EditorDialog {
    Q_OBJECT
  public:
    RecordEditor(const LanguageTable& lang, Competition& c, int slot, QWidget* parent)
        : EditorDialog(parent), lang_(lang), c_(c), slot_(slot) {}
    int stored_slot() const { return slot_; }

  protected:
    // Names and titles the dialog and lays it out as a column that starts with a form.
    std::pair<QVBoxLayout*, QFormLayout*> begin_form_layout(const char* object_name,
                                                            const QString& title);

    const LanguageTable& lang_;
    Competition& c_;
    int slot_;
    bool opened_new_ = false;  // opened on an empty slot: OK creates the record
};

}  // namespace skarvel
