// skarvel: the desktop program.
//   skarvel [FILE.wdb]
//   skarvel --screenshot OUT.png [--table N] [--lang ru|en] FILE.wdb
#include <QApplication>

#include "app/startup.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    return skarvel::run_application(app);
}
