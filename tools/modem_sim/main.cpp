// skarvel-modem-sim: plays a GSM modem holding radio control messages on a pseudo-terminal.
// Prints the device path, then answers until interrupted.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/modem_sim/modem_sim.h"
#include "tools/station_sim/sim_main.h"

namespace {

int usage() {
    std::fprintf(
        stderr,
        "usage: skarvel-modem-sim [options] SCRIPT\n"
        "  --device PATH      use this serial device instead of a new pseudo-terminal\n"
        "  --gap MS           messages arrive one by one, MS apart (0: all at once)\n"
        "  --exit-when-done   end once every message was read and deleted\n"
        "script lines:\n"
        "  message CARD:CONTROL@HH:MM:SS ...   a radio message, one record per item\n"
        "  text ANY TEXT                       a message that is not from a radio control\n"
        "  hex TEXT                            a message listed exactly as given\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    skarvel::sim::ModemOptions options;
    std::string device, script_path;
    bool exit_when_done = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if ((a == "--device" || a == "--gap") && i + 1 < argc) {
            std::string v = argv[++i];
            if (a == "--device")
                device = v;
            else
                options.gap_ms = std::atoi(v.c_str());
        } else if (a == "--exit-when-done") {
            exit_when_done = true;
        } else if (a.empty() || a[0] == '-' || !script_path.empty()) {
            return usage();
        } else {
            script_path = a;
        }
    }
    if (script_path.empty()) return usage();
    skarvel::sim::ModemScript script;
    if (!skarvel::sim::load_sim_script(
            script_path, [&script](const std::string& text, std::string* error) {
                return skarvel::sim::parse_modem_script(text, script, error);
            }))
        return 1;

    skarvel::sim::ModemSimulator sim(std::move(script), options);
    return skarvel::sim::play_on_line(device, sim, [&] {
        sim.run(exit_when_done);
        std::fprintf(stderr, "messages deleted: %zu, still held: %d\n", sim.deleted().size(),
                     sim.held());
    });
}
