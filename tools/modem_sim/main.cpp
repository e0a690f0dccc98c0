// skarvel-modem-sim: plays a GSM modem holding radio control messages on a pseudo-terminal.
// Prints the device path, then answers until interrupted.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/atomic_file.h"
#include "tools/modem_sim/modem_sim.h"
#include "tools/station_sim/sim_pty.h"

namespace {

skarvel::sim::ModemSimulator* g_sim = nullptr;

void on_signal(int) {
    if (g_sim) g_sim->stop();
}

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
    std::string text;
    if (!skarvel::read_file_bytes(script_path, 1 << 20, text)) {
        std::fprintf(stderr, "cannot read %s\n", script_path.c_str());
        return 1;
    }
    skarvel::sim::ModemScript script;
    std::string error;
    if (!skarvel::sim::parse_modem_script(text, script, &error)) {
        std::fprintf(stderr, "%s: %s\n", script_path.c_str(), error.c_str());
        return 1;
    }

    skarvel::sim::ModemSimulator sim(std::move(script), options);
    const int fd = skarvel::sim::open_sim_line(
        device, [&sim] { return sim.open_pty(); }, [&sim](int f) { sim.use_fd(f); });
    if (fd == skarvel::sim::kSimLineFailed) return 1;

    g_sim = &sim;
    std::signal(SIGINT, on_signal);
    std::signal(SIGTERM, on_signal);
    sim.run(exit_when_done);
    g_sim = nullptr;
    std::fprintf(stderr, "messages deleted: %zu, still held: %d\n", sim.deleted().size(),
                 sim.held());
    if (fd >= 0) ::close(fd);
    return 0;
}
