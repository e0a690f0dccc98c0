// libFuzzer target for the semicolon-separated entry list: no input may crash the reader, a
// refused file changes nothing, and every runner it adds has a start number within 0..29999,
// a card that is not negative and a class and club that exist.
#include <cstdlib>
#include <memory>
#include <string_view>

#include "exchange/csv_exchange.h"

using namespace skarvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const LanguageTable lang;
    static auto c = std::make_unique<Competition>();
    c->clear();
    std::string_view text(reinterpret_cast<const char*>(data), size);
    CsvImportReport r = import_entries_csv(*c, text, lang);
    const auto& runners = c->tables.runners;
    if (!r.ok && runners.occupied_count() != 0) std::abort();
    if (r.runners != runners.occupied_count() || r.runners + r.skipped_lines > int(size))
        std::abort();
    for (int i = 0; i < runners.used_end(); ++i) {
        const Runner* run = runners[i];
        if (!run || run->start_number > 29999 || run->card_number < 0 ||
            !c->find_class_by_id(run->class_id) || !c->find_club_by_id(run->club_id))
            std::abort();
    }
    return 0;
}
