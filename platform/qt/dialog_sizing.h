// Dialogs sized to their texts and to the screen: a dialog is at least as wide as its title
// needs, a file dialog opens wide enough for its columns, whose headers are never cut, and a
// dialog larger than the screen's free area (a 1024x600 netbook) scrolls its contents while its
// row of buttons stays in view.
#pragma once

#include <QSize>

class QCoreApplication;
class QDialog;

namespace skarvel {

// Widens `dialog` (before it shows) to what its title and, for a file dialog, its columns need.
void fit_dialog_to_texts(QDialog* dialog);

// The largest dialog (its frame aside) that fits a screen whose free area is `screen`.
QSize dialog_room(QSize screen);

// Makes `dialog` (before it shows) fit the free area of its screen, or `screen` when given.
void fit_dialog_to_screen(QDialog* dialog, QSize screen = {});

// The free area every dialog is fitted to from now on instead of the screen's (a test's
// 1024x600); an empty size goes back to the screen's.
void set_dialog_screen(QSize screen);

// Applies fit_dialog_to_texts and fit_dialog_to_screen to every dialog the application shows
// from now on.
void install_dialog_sizing(QCoreApplication& app);

}  // namespace skarvel
