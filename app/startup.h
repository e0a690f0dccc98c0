// Start-up of the desktop program: the command line, the auto-open of the last file, and the
// screenshot mode.
#pragma once

#include <QString>
#include <QStringList>

class QApplication;

namespace skarvel {

class UserSettings;

int run_application(QApplication& app);

// What the command line asks that needs no window: the usage for --help (0), the refusal of a
// switch the program does not carry out or of a malformed one (2), with the usage. -1 when
// the program is to start.
int answer_without_window(int argc, char** argv);

// The file to open at start-up: the one named on the command line, else the newest recent
// file when "AutoLoad" is set, else none (a new competition).
QString startup_file(const QString& command_line_file, const UserSettings& settings);

// The first switch on the command line that the program does not carry out ("/p FILE",
// "/pt FILE PRINTER ...", "-x", "/x": never a competition to open); empty when there is none.
// An existing file counts as a file, whatever it looks like.
QString unsupported_switch(const QStringList& arguments);

// The usage text of `skarvel --help`.
const char* usage_text();

}  // namespace skarvel
