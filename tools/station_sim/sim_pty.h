// The pseudo-terminal every device simulator plays on: the master end is the device (read and
// written by the simulator, non-blocking), the slave's path is what the program opens.
#pragma once

#include <functional>
#include <string>

namespace skarvel::sim {

struct SimPty {
    int master = -1;
    // Kept open in raw mode: nothing is echoed before the program configures the line, and the
    // master never sees a hang-up while the program closes and reopens the port.
    int slave = -1;
    std::string path;
};

// A new pseudo-terminal; false (nothing open) on failure.
bool open_sim_pty(SimPty& out);

// The line a simulator plays on: a pseudo-terminal it opened (both ends close with it), or a
// device the program opened (neither configured nor closed here).
class SimLine {
  public:
    SimLine() = default;
    SimLine(const SimLine&) = delete;
    SimLine& operator=(const SimLine&) = delete;
    ~SimLine();
    // Opens a new pseudo-terminal; returns its slave path ("" on failure).
    std::string open_pty();
    void use_fd(int fd);
    int fd() const { return fd_; }
    // Bytes sent and not yet read by the program (0 when the line cannot tell: a device).
    int unread() const;

  private:
    int fd_ = -1;
    int slave_ = -1;
    bool own_ = false;
};

// The line a simulator program plays on: a new pseudo-terminal when `device` is empty (`open_pty`
// makes it and gives its path, which goes into `device`), else the serial device named, opened
// non-blocking and handed to `use_fd`. Prints the path on standard output. Returns the
// descriptor the program closes when it ends (-1 for a pseudo-terminal: the simulator owns it),
// or kSimLineFailed after printing why on standard error.
constexpr int kSimLineFailed = -2;
int open_sim_line(std::string& device, const std::function<std::string()>& open_pty,
                  const std::function<void(int)>& use_fd);

}  // namespace skarvel::sim
