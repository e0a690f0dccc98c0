// skarvel-cli board FILE.wdb --port DEVICE [--frames N]
// Drives the display board as the desktop program does: the board's window is the last four
// finish lines of the file, a frame is sent byte by byte five times a second, N frames (or
// until Ctrl+C). The serial port needs the Qt build.
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/cp1251.h"
#include "periph/display_board.h"
#include "tools/cli/cli.h"

#ifdef SKARVEL_CLI_HAS_QT
#include <QCoreApplication>

#include "platform/qt/qt_serial_port.h"
#endif

using namespace skarvel;

namespace {
StationLink* g_link = nullptr;
[[maybe_unused]] void on_signal(int) {
    if (g_link) g_link->request_stop();
}
}  // namespace

int cmd_board(const std::vector<std::string>& args) {
    const char* usage = "usage: skarvel-cli board FILE.wdb --port DEVICE [--frames N]";
    std::string file, port;
    long long frames = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--port" && i + 1 < args.size()) {
            port = args[++i];
        } else if (args[i] == "--frames" && i + 1 < args.size()) {
            if (!cli::parse_int(args[++i], frames) || frames < 1 || frames > 1000000) {
                cli::error(usage);
                return cli::kExitUsage;
            }
        } else if (file.empty() && !args[i].empty() && args[i][0] != '-') {
            file = args[i];
        } else {
            cli::error(usage);
            return cli::kExitUsage;
        }
    }
    if (file.empty() || port.empty()) {
        cli::error(usage);
        return cli::kExitUsage;
    }
#ifndef SKARVEL_CLI_HAS_QT
    cli::error("board: serial ports need the build with Qt");
    return cli::kExitUsage;
#else
    auto c = std::make_unique<Competition>();
    if (int rc = cli::load_competition(*c, file); rc != cli::kExitOk) return rc;
    int argc = 1;
    char name[] = "skarvel-cli";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    SerialOpenError why;
    auto serial = open_serial_port(port, kBoardBaud, &why);
    if (!serial) {
        cli::error("board: cannot open " + port + ": " + why.text);
        return cli::kExitInput;
    }
    StationLinkTiming timing;
    timing.byte_timeout_ms = kBoardReadTimeoutMs;
    StationLink link(*serial, timing);
    g_link = &link;
    std::signal(SIGINT, on_signal);
    std::signal(SIGTERM, on_signal);
    const int first = board_first_line(*c);
    BoardLines shown;
    int sent = run_display_board(
        link,
        [&] {
            BoardLines lines = board_lines(*c, first);
            if (lines != shown) {
                shown = lines;
                for (const std::string& line : lines)
                    std::printf("%s\n", cp1251_to_utf8(line).c_str());
                std::fflush(stdout);
            }
            return board_frame(lines);
        },
        int(frames));
    g_link = nullptr;
    std::fprintf(stderr, "%d frames sent\n", sent);
    return cli::kExitOk;
#endif
}
