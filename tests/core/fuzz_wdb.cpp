// libFuzzer target for the competition file loader: no input may crash it or read out of
// bounds, and a file that loads cleanly must save and load again to the same bytes.
#include <cstdlib>
#include <memory>

#include "core/wdb_file.h"

using namespace skarvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static auto c = std::make_unique<Competition>();
    static auto again = std::make_unique<Competition>();
    LoadResult res = decode_wdb(*c, data, size);
    if (res.status == LoadStatus::kDamaged && res.damaged_table.empty()) std::abort();
    if (res.ok()) {
        std::vector<std::uint8_t> saved = encode_wdb(*c);
        if (decode_wdb(*again, saved.data(), saved.size()).status != LoadStatus::kOk) std::abort();
        if (encode_wdb(*again) != saved) std::abort();
    }
    return 0;
}
