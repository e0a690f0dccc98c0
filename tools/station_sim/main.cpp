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
        "  station [protocol=basic|extended] [send=handshake|autosend] [mode=readout|control|...]\n"
        "       [card6=64|192] [code=N] [date=YYYY-MM-DD] [clock=HH:MM:SS]\n"
        "       (the basic protocol, handshake, readout, 64 unless said)\n"
        "  card type=5|6|10 | family=5|6|6*|8|9|10|11|active|p|t  number=N [startno=N]\n"
        "       [start=HH:MM:SS] [finish=HH:MM:SS] [punches=CODE@HH:MM:SS,...]\n"
        "       [fault=badsum|silence|garbage|badwrite|removed] [words=HEX]\n"
        "       (type: the basic protocol's layouts; family: every card family, cards 8, 9,\n"
        "       10, 11, active and p in the extended protocol only; codes up to 1023 on\n"
        "       cards 6 and later; removed: pulled out before the last block, then put back;\n"
        "       words: types 6/10, bytes of card words 8..39, which the station also writes\n"
        "       and reads back; a card keeps them when inserted again)\n"
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
