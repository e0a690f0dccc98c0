#include "tools/station_sim/sim_pty.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

SimLine::~SimLine() {
    if (slave_ >= 0) ::close(slave_);
    if (own_ && fd_ >= 0) ::close(fd_);
}

std::string SimLine::open_pty() {
    SimPty pty;
    if (!open_sim_pty(pty)) return {};
    fd_ = pty.master;
    slave_ = pty.slave;
    own_ = true;
    return pty.path;
}

int SimLine::unread() const {
    int n = 0;
    if (slave_ < 0 || ::ioctl(slave_, FIONREAD, &n) != 0) return 0;
    return n;
}

void SimLine::use_fd(int fd) {
    fd_ = fd;
    own_ = false;
}

int open_sim_line(std::string& device, const std::function<std::string()>& open_pty,
                  const std::function<void(int)>& use_fd) {
    int fd = -1;
    if (device.empty()) {
        device = open_pty();
        if (device.empty()) {
            std::fprintf(stderr, "cannot open a pseudo-terminal: %s\n", std::strerror(errno));
            return kSimLineFailed;
        }
    } else {
        fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd < 0) {
            std::fprintf(stderr, "cannot open %s: %s\n", device.c_str(), std::strerror(errno));
            return kSimLineFailed;
        }
        use_fd(fd);
    }
    std::printf("%s\n", device.c_str());
    std::fflush(stdout);
    return fd;
}

}  // namespace skarvel::sim
