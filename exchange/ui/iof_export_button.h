// The IOF XML export button of the start and result dialogs: it sits in the dialog's button
// row and writes the message while the dialog stays open.
#pragma once

#include <QString>
#include <functional>

class QDialog;
class QPushButton;

namespace skarvel {

// Adds the button beside the dialog's OK and Cancel (or at the bottom when the dialog has no
// button box); null when the dialog has no layout to hold it.
QPushButton* add_iof_export_button(QDialog& dialog, const QString& text,
                                   std::function<void()> action);

}  // namespace skarvel
