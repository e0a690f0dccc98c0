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
#include "tools/station_sim/sim_pty.h"

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
    const int fd = skarvel::sim::open_sim_line(
        device, [&sim] { return sim.open_pty(); }, [&sim](int f) { sim.use_fd(f); });
    if (fd == skarvel::sim::kSimLineFailed) return 1;

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
