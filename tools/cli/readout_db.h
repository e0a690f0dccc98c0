// skarvel-cli readout --db URI --port DEVICE [--cards N] [--log] [--state DIR]: the headless
// readout place of a shared competition (tools/cli/readout_db.cpp).
#pragma once

#include <string>
#include <vector>

namespace skarvel::cli {

// The arguments after "readout" when they name --db; the exit code.
int readout_db_command(const std::vector<std::string>& args);

}  // namespace skarvel::cli
