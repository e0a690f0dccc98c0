// Dialogs sized to their texts: a dialog is at least as wide as its title needs, and a file
// dialog opens wide enough for its columns, whose headers are never cut.
#pragma once

class QCoreApplication;
class QDialog;

namespace skarvel {

// Widens `dialog` (before it shows) to what its title and, for a file dialog, its columns need.
void fit_dialog_to_texts(QDialog* dialog);

// Applies fit_dialog_to_texts to every dialog the application shows from now on.
void install_dialog_sizing(QCoreApplication& app);

}  // namespace skarvel
