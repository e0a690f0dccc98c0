// libFuzzer target for the day file of multi-day events: any bytes are read or refused whole,
// and what is read lands only in the chosen day of numbered runners.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <vector>

#include "results/multiday.h"

using namespace skarvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static auto c = [] {
        auto comp = std::make_unique<Competition>();
        for (int n = 0; n <= 20; ++n) {
            Runner* r = comp->tables.runners[comp->new_record(kRunners)];
            r->id = n + 1;
            r->start_number = static_cast<std::uint16_t>(n);  // runner 0 has no number
        }
        return comp;
    }();
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<DayFileLine> lines;
    if (!parse_day_file(text, lines)) return 0;
    const int day = size % kMultiDayCount;
    int matched = apply_day_file(*c, day, lines);
    if (matched < 0 || static_cast<std::size_t>(matched) > lines.size()) std::abort();
    const Runner& unnumbered = *c->tables.runners[0];
    for (int d = 0; d < kMultiDayCount; ++d)
        if (unnumbered.day_results[d] != 0) std::abort();
    return 0;
}
