// skarvel-board-sim: plays the four-line display board on a pseudo-terminal. Prints the
// device path, then the four lines each time the board's picture changes.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/board_sim/board_sim.h"

namespace {

skarvel::sim::BoardSimulator* g_sim = nullptr;

void on_signal(int) {
    if (g_sim) g_sim->stop();
}

int usage() {
    std::fprintf(stderr,
                 "usage: skarvel-board-sim [--device PATH] [--silent]\n"
                 "  --device PATH   use this serial device instead of a new pseudo-terminal\n"
                 "  --silent        do not answer the bytes received\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string device;
    bool silent = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--device" && i + 1 < argc)
            device = argv[++i];
        else if (a == "--silent")
            silent = true;
        else
            return usage();
    }
    skarvel::sim::BoardSimulator sim(silent);
    int fd = -1;
    if (device.empty()) {
        device = sim.open_pty();
        if (device.empty()) {
            std::fprintf(stderr, "cannot open a pseudo-terminal: %s\n", std::strerror(errno));
            return 1;
        }
    } else {
        fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd < 0) {
            std::fprintf(stderr, "cannot open %s: %s\n", device.c_str(), std::strerror(errno));
            return 1;
        }
        sim.use_fd(fd);
    }
    std::printf("%s\n", device.c_str());
    std::fflush(stdout);

    g_sim = &sim;
    std::signal(SIGINT, on_signal);
    std::signal(SIGTERM, on_signal);
    skarvel::sim::BoardSimLines shown;
    sim.run([&shown](const skarvel::sim::BoardSimLines& lines) {
        if (lines == shown) return;
        shown = lines;
        std::fputs(skarvel::sim::board_sim_text(lines).c_str(), stdout);
        std::fflush(stdout);
    });
    g_sim = nullptr;
    std::fprintf(stderr, "frames: %d good, %d bad\n", sim.good_frames(), sim.bad_frames());
    if (fd >= 0) ::close(fd);
    return 0;
}
