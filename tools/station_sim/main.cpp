// skarvel-station-sim: plays a Vespunt station on a pseudo-terminal for the card reader and
// the memory reader. Prints the device path, then serves the script until interrupted.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/station_sim/sim_main.h"
#include "tools/station_sim/station_sim.h"

namespace {

int usage() {
    std::fprintf(
        stderr,
        "usage: skarvel-station-sim [options] SCRIPT\n"
        "  --device PATH      use this serial device instead of a new pseudo-terminal\n"
        "  --resend MS        announce an unacknowledged card again after MS (300)\n"
        "  --gap MS           pause between two cards (50)\n"
        "  --station-type N   0 BS7-8, 1 BS7-S, 2 BS-7-2 (memory replies)\n"
        "  --baud N           pace the line: every byte takes 10 bits at N baud (0: unpaced)\n"
        "  --exit-when-done   end once every card of the script was read\n"
        "script lines:\n"
        "  card type=5|6|10 number=N [startno=N] [start=HH:MM:SS] [finish=HH:MM:SS]\n"
        "       [punches=CODE@HH:MM:SS,...] [fault=badsum|silence|garbage|badwrite]\n"
        "       [words=HEX]  (types 6/10: bytes of card words 8..39, which the\n"
        "       station also writes and reads back; a card keeps them when inserted again)\n"
        "  memory card=N time=HH:MM:SS[.cc] [fault=fail]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    skarvel::sim::SimOptions options;
    std::string device, script_path;
    bool exit_when_done = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (a == "--device") {
            const char* v = value();
            if (!v) return usage();
            device = v;
        } else if (a == "--resend" || a == "--gap" || a == "--station-type" || a == "--baud") {
            const char* v = value();
            if (!v) return usage();
            int n = std::atoi(v);
            if (a == "--resend")
                options.resend_ms = n;
            else if (a == "--gap")
                options.gap_ms = n;
            else if (a == "--baud")
                options.baud = n;
            else
                options.station_type = n;
        } else if (a == "--exit-when-done") {
            exit_when_done = true;
        } else if (a == "--help" || a == "-h") {
            return usage();
        } else if (!a.empty() && a[0] == '-') {
            return usage();
        } else {
            script_path = a;
        }
    }
    if (script_path.empty()) return usage();
    skarvel::sim::SimScript script;
    if (!skarvel::sim::load_sim_script(script_path,
                                       [&script](const std::string& text, std::string* error) {
                                           return skarvel::sim::parse_script(text, script, error);
                                       }))
        return 1;

    skarvel::sim::StationSimulator sim(std::move(script), options);
    return skarvel::sim::play_on_line(device, sim, [&] {
        sim.run(exit_when_done);
        std::fprintf(stderr, "cards read: %d\n", sim.cards_taken());
    });
}
