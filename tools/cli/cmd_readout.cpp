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
    ReaderArgs a;
    if (int rc = parse_reader_args(args, "readout", kUsage, "--cards", {"--log"}, a); rc != kExitOk)
        return rc;
#ifndef SKARVEL_CLI_HAS_QT
    return no_serial_support("readout");
#else
    const long long max_cards = a.count;
    const bool log = a.has("--log");
    const std::string& file = a.file;
    const std::string& device = a.device;
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
