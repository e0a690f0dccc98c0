// Pieces that every dialog of the program shares.
#pragma once

#include <QString>

#include "core/language.h"
#include "platform/qt/qt_text.h"

class QBoxLayout;
class QDialog;
class QDialogButtonBox;

namespace skarvel {

// An accept button (default "OK", the default button) and "Отмена"/"Cancel" (or
// `cancel_text`, for a dialog whose texts are the same in both languages), wired to the
// dialog's accept and reject. The buttons are named `accept_name` and "cancel" for the tests.
QDialogButtonBox* make_dialog_buttons(QDialog* dialog, bool english,
                                      const QString& accept_text = QStringLiteral("OK"),
                                      const char* accept_name = "ok",
                                      const QString& cancel_text = QString());

// The same, added at the bottom of `layout`.
QDialogButtonBox* add_dialog_buttons(QDialog* dialog, QBoxLayout* layout, bool english);

}  // namespace skarvel
