// Start-up of the desktop program: the command line, the auto-open of the last file, and the
// screenshot mode.
#pragma once

#include <QString>

class QApplication;

namespace skarvel {

class UserSettings;

int run_application(QApplication& app);

// The file to open at start-up: the one named on the command line, else the newest recent
// file when "AutoLoad" is set, else none (a new competition).
QString startup_file(const QString& command_line_file, const UserSettings& settings);

}  // namespace skarvel
