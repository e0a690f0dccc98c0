// What every simulator program does around its device: reading and parsing its script, the
// line it plays on, stopping on Ctrl+C or SIGTERM, and writing to a line that may be full.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <sstream>
#include <string>

#include "tools/station_sim/sim_pty.h"

namespace skarvel::sim {

// Reads a script of any length (a whole day of cards) and parses it with `parse(text, &error)`.
// False after printing why ("cannot read PATH", "PATH: line N: reason") on standard error.
bool load_sim_script(const std::string& path,
                     const std::function<bool(const std::string&, std::string*)>& parse);

// Walks the lines of a script: CR LF or LF ends, blank lines and lines whose first word starts
// with # skipped. `line(kind, rest)` gets the first word and a stream of the rest, and returns
// why the line is wrong ("" when it is right). False with "line N: why" in `error`.
bool for_each_script_line(
    const std::string& text, std::string* error,
    const std::function<std::string(const std::string& kind, std::istringstream& rest)>& line);

// From now on SIGINT and SIGTERM call stop(context) (nullptr: nothing).
void stop_on_signals(void (*stop)(void*), void* context);

// Closes the device open_sim_line opened for the program (nothing for a pseudo-terminal).
void close_sim_device(int fd);

// The life of a simulator program: the line (a new pseudo-terminal, whose path is printed, or
// `device`), `run()` until the simulator stops (Ctrl+C and SIGTERM stop it), then the device
// closed. Returns the exit code: 1 when the line could not be opened.
template <class Simulator, class Run>
int play_on_line(std::string device, Simulator& sim, Run run) {
    const int fd = open_sim_line(
        device, [&sim] { return sim.open_pty(); }, [&sim](int f) { sim.use_fd(f); });
    if (fd == kSimLineFailed) return 1;
    stop_on_signals([](void* s) { static_cast<Simulator*>(s)->stop(); }, &sim);
    run();
    stop_on_signals(nullptr, nullptr);
    close_sim_device(fd);
    return 0;
}

// Writes `size` bytes to a non-blocking line, waiting while it is full. Gives up after
// `give_up_ms` (a negative value: never; a line nobody reads stays full), on a write error, or
// when `stop` is set. Returns the number of bytes written.
std::size_t write_all(int fd, const void* data, std::size_t size, const std::atomic<bool>& stop,
                      int give_up_ms);

// Waits until the program at the other end of a pseudo-terminal has opened the line and set it
// up (the line's settings change), so that nothing sent before is flushed away by the opening.
// True at once on a device; false when `stop` was set first.
bool wait_until_set_up(int fd, const std::atomic<bool>& stop);

}  // namespace skarvel::sim
