#include "tools/station_sim/sim_main.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <limits>
#include <thread>

#include "core/atomic_file.h"

namespace skarvel::sim {

namespace {
void (*g_stop)(void*) = nullptr;
void* g_context = nullptr;

void on_signal(int) {
    if (g_stop) g_stop(g_context);
}
}  // namespace

bool load_sim_script(const std::string& path,
                     const std::function<bool(const std::string&, std::string*)>& parse) {
    // A whole race day is tens of thousands of cards: the file is read whole, however long.
    std::string text;
    if (!read_file_bytes(path, std::numeric_limits<std::size_t>::max(), text)) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return false;
    }
    std::string error;
    if (!parse(text, &error)) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    return true;
}

bool for_each_script_line(
    const std::string& text, std::string* error,
    const std::function<std::string(const std::string&, std::istringstream&)>& line) {
    std::istringstream in(text);
    std::string l;
    for (int number = 1; std::getline(in, l); ++number) {
        if (!l.empty() && l.back() == '\r') l.pop_back();
        std::istringstream words(l);
        std::string kind;
        if (!(words >> kind) || kind[0] == '#') continue;
        const std::string why = line(kind, words);
        if (!why.empty()) {
            if (error) *error = "line " + std::to_string(number) + ": " + why;
            return false;
        }
    }
    return true;
}

void stop_on_signals(void (*stop)(void*), void* context) {
    g_context = context;
    g_stop = stop;
    std::signal(SIGINT, on_signal);
    std::signal(SIGTERM, on_signal);
}

void close_sim_device(int fd) {
    if (fd >= 0) ::close(fd);
}

std::size_t write_all(int fd, const void* data, std::size_t size, const std::atomic<bool>& stop,
                      int give_up_ms) {
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::milliseconds(give_up_ms);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::size_t done = 0;
    while (done < size && !stop.load()) {
        const ssize_t n = ::write(fd, bytes + done, size - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) break;
        if (give_up_ms >= 0 && std::chrono::steady_clock::now() > give_up) break;
        pollfd p{fd, POLLOUT, 0};
        ::poll(&p, 1, 10);
    }
    return done;
}

bool wait_until_set_up(int fd, const std::atomic<bool>& stop) {
    // The master end of a pseudo-terminal reads the settings of the end the program opens.
    termios before{};
    if (::tcgetattr(fd, &before) != 0 || !::isatty(fd)) return !stop.load();
    char name[64];
    if (::ptsname_r(fd, name, sizeof name) != 0) return !stop.load();  // a device, not a pty
    while (!stop.load()) {
        termios now{};
        if (::tcgetattr(fd, &now) != 0) return true;
        if (std::memcmp(&now, &before, sizeof now) != 0) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

}  // namespace skarvel::sim
