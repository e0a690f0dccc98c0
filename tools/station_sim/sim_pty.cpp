#include "tools/station_sim/sim_pty.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>

namespace skarvel::sim {

bool open_sim_pty(SimPty& out) {
    int fd = posix_openpt(O_RDWR | O_NOCTTY);
    if (fd < 0 || grantpt(fd) != 0 || unlockpt(fd) != 0) {
        if (fd >= 0) ::close(fd);
        return false;
    }
    const char* name = ptsname(fd);
    if (!name) {
        ::close(fd);
        return false;
    }
    out.path = name;
    out.slave = ::open(out.path.c_str(), O_RDWR | O_NOCTTY);
    if (out.slave >= 0) {
        termios tio{};
        if (tcgetattr(out.slave, &tio) == 0) {
            cfmakeraw(&tio);
            tcsetattr(out.slave, TCSANOW, &tio);
        }
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    out.master = fd;
    return true;
}

}  // namespace skarvel::sim
