// skarvel-decoder-sim: plays a transponder decoder on a pseudo-terminal. Prints the device
// path, then (after a line on standard input when --wait is given) sends the passings of the
// script and ends, or stays until interrupted with --stay.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/atomic_file.h"
#include "tools/decoder_sim/decoder_sim.h"
#include "tools/station_sim/sim_pty.h"

namespace {

skarvel::sim::DecoderSimulator* g_sim = nullptr;
volatile std::sig_atomic_t g_stop = 0;

void on_signal(int) {
    g_stop = 1;
    if (g_sim) g_sim->stop();
}

int usage() {
    std::fprintf(stderr,
                 "usage: skarvel-decoder-sim [options] SCRIPT\n"
                 "  --device PATH   use this serial device instead of a new pseudo-terminal\n"
                 "  --wait          send nothing before a line arrives on standard input\n"
                 "  --stay          keep the line open after the last passing until interrupted\n"
                 "script lines:\n"
                 "  passing code=AB-1234X time=36000.456 [after=MS] "
                 "[fault=garbage|cut|badtime]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string device, script_path;
    bool wait = false, stay = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--device" && i + 1 < argc) {
            device = argv[++i];
        } else if (a == "--wait") {
            wait = true;
        } else if (a == "--stay") {
            stay = true;
        } else if (!a.empty() && a[0] == '-') {
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
    std::vector<skarvel::sim::SimPassing> passings;
    std::string error;
    if (!skarvel::sim::parse_decoder_script(text, passings, &error)) {
        std::fprintf(stderr, "%s: %s\n", script_path.c_str(), error.c_str());
        return 1;
    }
    skarvel::sim::DecoderSimulator sim(std::move(passings));
    const int fd = skarvel::sim::open_sim_line(
        device, [&sim] { return sim.open_pty(); }, [&sim](int f) { sim.use_fd(f); });
    if (fd == skarvel::sim::kSimLineFailed) return 1;
    g_sim = &sim;
    std::signal(SIGINT, on_signal);
    std::signal(SIGTERM, on_signal);
    if (wait) {
        char line[64];
        if (!std::fgets(line, sizeof line, stdin)) g_stop = 1;
    }
    if (!g_stop) sim.run();
    while (stay && !g_stop) usleep(50000);
    g_sim = nullptr;
    std::fprintf(stderr, "passings sent: %d\n", sim.records_sent());
    if (fd >= 0) ::close(fd);
    return 0;
}
