// libFuzzer target for the start-list and penalty readers: no input may crash them, and no
// value lands outside its field's range (a start time no later than the last time the program
// writes, 46:36:12,15: the export's 25:00:00 and 26:00:00 marks read back).
#include <cstdlib>
#include <memory>
#include <string_view>

#include "core/time_text.h"
#include "exchange/text_files.h"

using namespace skarvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static auto c = [] {
        auto made = std::make_unique<Competition>();
        for (int n : {1, 2, 29999, 2}) {
            Runner& r = *made->tables.runners[made->new_record(kRunners)];
            r.start_number = static_cast<std::uint16_t>(n);
        }
        return made;
    }();
    std::string_view text(reinterpret_cast<const char*>(data), size);
    TextImportCounts times = import_start_times_text(*c, text);
    TextImportCounts penalties = import_penalties_text(*c, text);
    for (const TextImportCounts& n : {times, penalties})
        if (n.set < 0 || n.set + n.unknown + n.skipped() + n.unreadable > int(size) + 1)
            std::abort();
    for (int i = 0; i < c->tables.runners.used_end(); ++i)
        if (const Runner* r = c->tables.runners[i];
            r->start_time < 0 || r->start_time > kTimeTextMax)
            std::abort();
    return 0;
}
