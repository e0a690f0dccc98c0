// skarvel-cli readout FILE.wdb --port DEVICE [--cards N] [--log]
// A readout station without a screen: cards are read with the punching settings stored in
// the competition, questions are answered "no", messages go to stderr, and the file is saved
// (atomically) after every card. Ends after N cards or on Ctrl+C.
#include <cstdio>
#include <string>
#include <vector>

#include "core/time_text.h"
#include "core/wdb_file.h"
#include "punch/frame_log.h"
#include "punch/readout.h"
#include "punch/station_reader.h"
#include "tools/cli/cli.h"
#include "tools/cli/serial_session.h"

namespace skarvel::cli {
namespace {

constexpr const char* kUsage = "readout FILE.wdb --port DEVICE [--cards N] [--log]";

}  // namespace
}  // namespace skarvel::cli

int cmd_readout(const std::vector<std::string>& args) {
    using namespace skarvel;
    using namespace skarvel::cli;
    std::string file, device;
    long long max_cards = 0;
    bool log = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--port" && i + 1 < args.size()) {
            device = args[++i];
        } else if (a == "--cards" && i + 1 < args.size()) {
            if (!parse_int(args[++i], max_cards) || max_cards < 1) {
                error("readout: --cards needs a number of at least 1");
                return kExitUsage;
            }
        } else if (a == "--log") {
            log = true;
        } else if (!a.empty() && a[0] == '-') {
            error("readout: unknown option '" + a + "' (usage: " + kUsage + ")");
            return kExitUsage;
        } else if (file.empty()) {
            file = a;
        } else {
            error(std::string("usage: ") + kUsage);
            return kExitUsage;
        }
    }
    if (file.empty() || device.empty()) {
        error(std::string("usage: ") + kUsage);
        return kExitUsage;
    }
#ifndef SKARVEL_CLI_HAS_QT
    (void)log;
    (void)max_cards;
    error("readout: this build has no serial port support (built without Qt)");
    return kExitUsage;
#else
    auto c = std::make_unique<Competition>();
    if (int rc = load_competition(*c, file); rc != kExitOk) return rc;
    PunchSettings settings = punch_settings_from(c->info);

    SerialSession session;
    if (!session.open("readout", device, settings.baud_rate())) return kExitInput;
    std::unique_ptr<LoggingSerialPort> logging;
    SerialPort* used = &session.port();
    if (log) {
        logging = std::make_unique<LoggingSerialPort>(session.port(), frame_log_path(file));
        if (!logging->log_open())
            error("readout: cannot write the frame log " + frame_log_path(file));
        used = logging.get();
    }

    StationLink link(*used);
    session.stop_on_interrupt(link);

    ConsolePrompts prompts;
    ReadoutState state;
    long long cards = 0;
    int save_failures = 0;
    std::fprintf(stderr, "skarvel-cli: reading cards on %s (Ctrl+C ends)\n", device.c_str());
    CardReaderHooks hooks;
    hooks.card_read = [&](const CardReadout& card) {
        // The stored settings may be changed by nobody else here; read them per card anyway,
        // as the desktop program does.
        PunchSettings s = punch_settings_from(c->info);
        ReadoutOutcome out = process_card(*c, card, s, state, prompts, {});
        ++cards;
        std::string owner = "-";
        if (out.owner)
            owner = std::to_string(out.owner->start_number) + " " +
                    cp1251_to_utf8(field_text(out.owner->name));
        std::string finish = out.finish_slot != kNoSlot
                                 ? format_time_text(c->tables.finish_lines[out.finish_slot]->time(),
                                                    c->info.time_precision)
                                 : std::string("-");
        std::printf("%lld\tcard %d\towner %s\tstatus %d\tpenalty %d\tfinish %s\n", cards,
                    card.card_number, owner.c_str(), out.owner ? out.owner->status : -1,
                    out.owner ? out.owner->penalty : 0, finish.c_str());
        std::fflush(stdout);
        int why = 0;
        if (!save_wdb(*c, file, &why)) {
            ++save_failures;
            file_error("readout: cannot save", file, why);
        } else {
            c->modified = false;
        }
        return max_cards == 0 || cards < max_cards;
    };
    run_card_reader(link, read_options_from(settings), hooks);

    session.end(used);
    std::fprintf(stderr, "skarvel-cli: %lld card(s) read%s\n", cards,
                 session.interrupted() ? ", interrupted" : "");
    return save_failures ? kExitOutput : kExitOk;
#endif
}
