// skarvel-cli station-info --port DEVICE [--fast]
// Asks the station on DEVICE what it is set to, as the readers do when they start: its
// protocol (basic, or extended with autosend or handshake), its operating mode, its card-6
// setting, and its clock. Tries the speed of --fast (38400, else 4800) first, then the other.
#include <cstdio>
#include <string>
#include <vector>

#include "punch/extended_link.h"
#include "tools/cli/cli.h"
#include "tools/cli/serial_session.h"

namespace skarvel::cli {
namespace {

constexpr const char* kUsage = "station-info --port DEVICE [--fast]";

#ifdef SKARVEL_CLI_HAS_QT
const char* mode_name(int mode) {
    switch (mode) {
        case 0x02:
            return "control";
        case 0x03:
            return "start";
        case 0x04:
            return "finish";
        case 0x05:
            return "readout";
        case 0x07:
            return "clear";
        case 0x0A:
            return "check";
        default:
            return "other";
    }
}
#endif

}  // namespace
}  // namespace skarvel::cli

int cmd_station_info(const std::vector<std::string>& args) {
    using namespace skarvel;
    using namespace skarvel::cli;
    CommandArgs a;
    if (int rc = parse_command_args(args, kUsage, {"--fast"}, {"--port"}, a, 0); rc != kExitOk)
        return rc;
    if (!a.value("--port")) {
        error(std::string("usage: skarvel-cli ") + kUsage);
        return kExitUsage;
    }
    const std::string device = *a.value("--port");
    const int baud = a.has("--fast") ? 38400 : 4800;
#ifndef SKARVEL_CLI_HAS_QT
    (void)baud;
    return no_serial_support("station-info");
#else
    SerialSession session;
    if (!session.open("station-info", device, baud)) return kExitInput;
    StationLink link(session.port());
    session.stop_on_interrupt(link);
    StationSetup setup = start_station(link, baud);
    StationClock clock;
    bool have_clock = setup.answered && read_station_clock(link, clock);
    session.end();
    if (!setup.answered) {
        error("station-info: no station answered on " + device + " at 38400 or 4800 baud");
        return kExitInput;
    }
    std::printf("station\t%d\n", setup.station_code);
    std::printf("speed\t%d\n", setup.baud);
    if (!setup.settings_read) {
        std::printf("protocol\tunknown (the station did not tell its settings)\n");
        return kExitOk;
    }
    std::printf("protocol\t%s\n", !setup.extended()  ? "basic"
                                  : setup.autosend() ? "extended, autosend"
                                                     : "extended, handshake");
    std::printf("mode\t%s (%d)\n", mode_name(setup.mode), setup.mode);
    std::printf("card6\t%s\n",
                setup.card6_192() ? "192 punches (all 8 blocks)" : "64 punches (blocks 0, 6, 7)");
    if (have_clock) {
        static const char* const kDays[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                             "Thursday", "Friday", "Saturday"};
        int seconds = clock.time / 100;
        std::printf("clock\t%04d-%02d-%02d %02d:%02d:%02d.%02d %s\n", clock.year, clock.month,
                    clock.day, seconds / 3600, seconds / 60 % 60, seconds % 60, clock.time % 100,
                    kDays[clock.weekday % 7]);
    } else {
        std::printf("clock\t-\n");
    }
    return kExitOk;
#endif
}
