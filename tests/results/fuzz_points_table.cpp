// libFuzzer target for the points table reader: any bytes give a full table, never a crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "results/result_compute.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto table =
        skarvel::parse_points_table(std::string_view(reinterpret_cast<const char*>(data), size));
    if (table.size() != static_cast<std::size_t>(skarvel::kPointsTableSize)) std::abort();
    return 0;
}
