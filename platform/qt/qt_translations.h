// Qt's own texts (the buttons of message boxes, the file dialogs, text-field menus) in the
// interface language.
#pragma once

namespace skarvel {

// Russian: installs Qt's Russian translation when the system has it (Debian package
// qt6-translations-l10n); English: removes it. Needs the application object; returns whether
// Qt's texts are now in the asked language.
bool use_qt_translation(bool english);

}  // namespace skarvel
