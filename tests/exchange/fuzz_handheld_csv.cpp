// libFuzzer target for the handheld recorder's two CSV readers: no input may crash them, a
// refused file changes nothing, and each line read gives one card readout and one finish
// line, with at most the punches a readout holds.
#include <cstdlib>
#include <memory>
#include <string_view>

#include "exchange/csv_exchange.h"

using namespace skarvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const LanguageTable lang;
    static auto c = std::make_unique<Competition>();
    std::string_view text(reinterpret_cast<const char*>(data), size);
    for (bool penalty : {false, true}) {
        c->clear();
        c->info.penalty_per_miss = 3;
        if (penalty) c->tables.runners[c->new_record(kRunners)]->card_number = 500;
        HandheldImportReport r = penalty ? import_handheld_penalty_csv(*c, text, lang)
                                         : import_handheld_csv(*c, text, lang);
        const auto& cards = c->tables.card_readouts;
        if (r.readouts != cards.occupied_count() ||
            r.finish_lines != c->tables.finish_lines.occupied_count() ||
            r.readouts != r.finish_lines || (!r.ok && r.readouts != 0))
            std::abort();
        for (int i = 0; i < cards.used_end(); ++i)
            if (const CardReadout* cr = cards[i]; !cr || cr->punch_count < 0 ||
                                                  cr->punch_count > CardReadout::kMaxPunches ||
                                                  cr->card_number < 0)
                std::abort();
    }
    return 0;
}
