// skarvel-cli readout FILE.wdb --port DEVICE [--cards N] [--log]
// A readout station without a screen: cards are read with the punching settings stored in
// the competition, questions are answered "no", messages go to stderr, and the file is saved
// (atomically) after every card. Ends after N cards or on Ctrl+C.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "core/time_text.h"
#include "core/wdb_file.h"
#include "punch/frame_log.h"
#include "punch/readout.h"
#include "punch/station_reader.h"
#include "tools/cli/cli.h"

#ifdef SKARVEL_CLI_HAS_QT
#include <QCoreApplication>

#include "platform/qt/qt_serial_port.h"
#endif

namespace skarvel::cli {
namespace {

constexpr const char* kUsage = "readout FILE.wdb --port DEVICE [--cards N] [--log]";

// Ctrl+C reaches the reader through this flag only (a lock-free atomic store is safe in a
// signal handler); the reader polls it between bytes.
std::atomic<StationLink*> g_link{nullptr};
std::atomic<bool> g_interrupted{false};

extern "C" void on_interrupt(int) {
    g_interrupted.store(true);
    if (StationLink* link = g_link.load()) link->request_stop();
}

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

    int argc = 1;
    char name[] = "skarvel-cli";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    SerialOpenError open_error;
    auto port = open_serial_port(device, settings.baud_rate(), &open_error);
    if (!port) {
        error("readout: cannot open " + device + ": " + open_error.text);
        return kExitInput;
    }
    port->discard_input();
    std::unique_ptr<LoggingSerialPort> logging;
    SerialPort* used = port.get();
    if (log) {
        logging = std::make_unique<LoggingSerialPort>(*port, frame_log_path(file));
        if (!logging->log_open())
            error("readout: cannot write the frame log " + frame_log_path(file));
        used = logging.get();
    }

    StationLink link(*used);
    g_link.store(&link);
    auto old_int = std::signal(SIGINT, on_interrupt);
    auto old_term = std::signal(SIGTERM, on_interrupt);

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

    g_link.store(nullptr);
    std::signal(SIGINT, old_int);
    std::signal(SIGTERM, old_term);
    used->close();
    std::fprintf(stderr, "skarvel-cli: %lld card(s) read%s\n", cards,
                 g_interrupted.load() ? ", interrupted" : "");
    return save_failures ? kExitOutput : kExitOk;
#endif
}
