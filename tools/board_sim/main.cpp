// skarvel-board-sim: plays the four-line display board on a pseudo-terminal. Prints the
// device path, then the four lines each time the board's picture changes.
#include <cstdio>
#include <string>

#include "tools/board_sim/board_sim.h"
#include "tools/station_sim/sim_main.h"

namespace {

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
    return skarvel::sim::play_on_line(device, sim, [&sim] {
        skarvel::sim::BoardSimLines shown;
        sim.run([&shown](const skarvel::sim::BoardSimLines& lines) {
            if (lines == shown) return;
            shown = lines;
            std::fputs(skarvel::sim::board_sim_text(lines).c_str(), stdout);
            std::fflush(stdout);
        });
        std::fprintf(stderr, "frames: %d good, %d bad\n", sim.good_frames(), sim.bad_frames());
    });
}
