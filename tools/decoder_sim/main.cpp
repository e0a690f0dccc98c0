// skarvel-decoder-sim: plays a transponder decoder on a pseudo-terminal. Prints the device
// path, then (after a line on standard input when --wait is given) sends the passings of the
// script and ends, or stays until interrupted with --stay.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "tools/decoder_sim/decoder_sim.h"
#include "tools/station_sim/sim_main.h"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: skarvel-decoder-sim [options] SCRIPT\n"
                 "  --device PATH   use this serial device instead of a new pseudo-terminal\n"
                 "  --wait          send nothing before a line arrives on standard input\n"
                 "  --wait-open     send nothing before the program has opened the line\n"
                 "  --stay          keep the line open after the last passing until interrupted\n"
                 "script lines:\n"
                 "  passing code=AB-1234X time=36000.456 [after=MS] "
                 "[fault=garbage|cut|badtime]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string device, script_path;
    bool wait = false, wait_open = false, stay = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--device" && i + 1 < argc) {
            device = argv[++i];
        } else if (a == "--wait") {
            wait = true;
        } else if (a == "--wait-open") {
            wait_open = true;
        } else if (a == "--stay") {
            stay = true;
        } else if (!a.empty() && a[0] == '-') {
            return usage();
        } else {
            script_path = a;
        }
    }
    if (script_path.empty()) return usage();
    std::vector<skarvel::sim::SimPassing> passings;
    if (!skarvel::sim::load_sim_script(
            script_path, [&passings](const std::string& text, std::string* error) {
                return skarvel::sim::parse_decoder_script(text, passings, error);
            }))
        return 1;
    skarvel::sim::DecoderSimulator sim(std::move(passings));
    return skarvel::sim::play_on_line(device, sim, [&] {
        if (wait) {
            char line[64];
            if (!std::fgets(line, sizeof line, stdin)) sim.stop();
        }
        if (wait_open) sim.wait_until_opened();
        if (!sim.stopped()) sim.run();
        while (stay && !sim.stopped()) usleep(50000);
        std::fprintf(stderr, "passings sent: %d\n", sim.records_sent());
    });
}
