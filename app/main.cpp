// skarvel: the desktop program.
//   skarvel [FILE.wdb]
//   skarvel --screenshot OUT.png [--table N] [--lang ru|en] FILE.wdb
#include <QApplication>

#include "app/startup.h"

int main(int argc, char** argv) {
    // --help and refused switches answer before a window system is needed.
    if (int rc = skarvel::answer_without_window(argc, argv); rc >= 0) return rc;
    QApplication app(argc, argv);
    return skarvel::run_application(app);
}
