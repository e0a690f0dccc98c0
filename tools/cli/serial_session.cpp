#include "tools/cli/serial_session.h"

#include "tools/cli/cli.h"

namespace skarvel::cli {

bool ReaderArgs::has(std::string_view flag) const {
    for (const std::string& f : flags)
        if (f == flag) return true;
    return false;
}

int parse_reader_args(const std::vector<std::string>& args, std::string_view command,
                      std::string_view usage, std::string_view count,
                      const std::vector<std::string_view>& flags, ReaderArgs& out) {
    auto usage_error = [&] {
        error("usage: " + std::string(usage));
        return kExitUsage;
    };
    auto is_flag = [&](const std::string& a) {
        for (std::string_view f : flags)
            if (a == f) return true;
        return false;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--port" && i + 1 < args.size()) {
            out.device = args[++i];
        } else if (!count.empty() && a == count && i + 1 < args.size()) {
            if (!parse_int(args[++i], out.count) || out.count < 1) {
                error(std::string(command) + ": " + std::string(count) +
                      " needs a number of at least 1");
                return kExitUsage;
            }
        } else if (is_flag(a)) {
            out.flags.push_back(a);
        } else if (!a.empty() && a[0] == '-') {
            error(std::string(command) + ": unknown option '" + a +
                  "' (usage: " + std::string(usage) + ")");
            return kExitUsage;
        } else if (out.file.empty()) {
            out.file = a;
        } else {
            return usage_error();
        }
    }
    if (out.file.empty() || out.device.empty()) return usage_error();
    return kExitOk;
}

int no_serial_support(std::string_view command) {
    error(std::string(command) + ": this build has no serial port support (built without Qt)");
    return kExitUsage;
}

}  // namespace skarvel::cli

#ifdef SKARVEL_CLI_HAS_QT

#include <atomic>
#include <csignal>

#include "core/language.h"
#include "platform/qt/qt_serial_port.h"
#include "punch/card_status.h"

namespace skarvel::cli {
namespace {

// Ctrl+C reaches the reader through these only (lock-free atomic stores are safe in a signal
// handler); the reader polls the link's stop flag between bytes.
std::atomic<StationLink*> g_link{nullptr};
std::atomic<bool> g_interrupted{false};

extern "C" void on_session_interrupt(int) {
    g_interrupted.store(true);
    if (StationLink* link = g_link.load()) link->request_stop();
}

}  // namespace

SerialSession::SerialSession() : app_(argc_, argv_) {}

SerialSession::~SerialSession() {
    end();
}

bool SerialSession::open(std::string_view command, const std::string& device, int baud) {
    SerialOpenError open_error;
    port_ = open_serial_port(device, baud, &open_error);
    if (!port_) {
        error(std::string(command) + ": cannot open " + device + ": " + open_error.text);
        return false;
    }
    port_->discard_input();
    return true;
}

void SerialSession::stop_on_interrupt(StationLink& link) {
    g_interrupted.store(false);
    g_link.store(&link);
    old_int_ = std::signal(SIGINT, on_session_interrupt);
    old_term_ = std::signal(SIGTERM, on_session_interrupt);
    watching_ = true;
}

bool SerialSession::interrupted() const {
    return g_interrupted.load();
}

void SerialSession::end(SerialPort* used) {
    if (ended_) return;
    ended_ = true;
    if (watching_) {
        g_link.store(nullptr);
        std::signal(SIGINT, old_int_);
        std::signal(SIGTERM, old_term_);
        watching_ = false;
    }
    if (used)
        used->close();
    else if (port_)
        port_->close();
}

ReadOptions ask_station(StationLink& link, const PunchSettings& settings) {
    const LanguageTable& english = english_texts();
    ReadOptions options = read_options_from(settings);
    options.station = start_station(link, settings.baud_rate());
    error_cp1251(station_setup_line(options.station, english));
    if (std::string mode = station_mode_message(options.station, english); !mode.empty())
        error_cp1251(mode);
    return options;
}

}  // namespace skarvel::cli

#endif  // SKARVEL_CLI_HAS_QT
