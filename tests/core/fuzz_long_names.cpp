// libFuzzer target for the long names file beside the competition file: no input may crash
// the reader, and what it reads holds only names it can find again.
#include <cstdlib>
#include <string_view>

#include "core/long_names.h"

using namespace skarvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    LongNames names;
    decode_long_names(std::string_view(reinterpret_cast<const char*>(data), size), names);
    for (const auto& [key, name] : names.entries())
        if (name.shown.empty() ||
            names.find(static_cast<RecordType>(key.first), key.second, name.shown) != &name)
            std::abort();
    return 0;
}
