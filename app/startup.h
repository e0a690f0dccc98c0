// Start-up of the desktop program: the command line, the auto-open of the last file, and the
// screenshot mode.
#pragma once

class QApplication;

namespace skarvel {

int run_application(QApplication& app);

}  // namespace skarvel
