// The pseudo-terminal every device simulator plays on: the master end is the device (read and
// written by the simulator, non-blocking), the slave's path is what the program opens.
#pragma once

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

}  // namespace skarvel::sim
