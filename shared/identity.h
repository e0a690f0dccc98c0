// Names of a joined computer: a random id for each joined copy (so two programs on one machine
// are two writers) and the machine's host name for messages.
#pragma once

#include <string>

namespace skarvel::shared {

// 32 hexadecimal digits from the system's random source.
std::string new_origin_id();
// The machine's host name ("" when unknown).
std::string host_name();

}  // namespace skarvel::shared
