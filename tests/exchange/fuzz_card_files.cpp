// libFuzzer target for the card-number files: the registration list, start number / card
// number pairs, the station-memory CSV and the card configuration CSV. The first byte picks
// the reader, the rest is the file. Nothing may crash; a refused file changes nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "exchange/card_numbers.h"

using namespace skarvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static auto c = [] {
        auto comp = std::make_unique<Competition>();
        for (int n = 1; n <= 20; ++n) comp->new_record(kRunners);
        return comp;
    }();
    if (size < 1) return 0;
    auto& runners = c->tables.runners;
    for (int n = 1; n <= 20; ++n) {
        Runner& r = *runners[n - 1];
        r = Runner{};
        r.id = n;
        r.start_number = static_cast<std::uint16_t>(n);
        r.card_number = n % 2 ? 100 + n : 0;
        r.fee_flags = n % 3 ? Runner::kFeeOwnCard : 0;
    }
    c->rebuild_number_index();
    c->tables.card_readouts.clear();
    c->tables.finish_lines.clear();
    std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    switch (data[0] % 4) {
        case 0: {
            CardListOutcome o = assign_card_numbers(*c, text, data[0] & 4);
            if (o.numbers_read < 0 || o.numbers_read > 20) std::abort();
            break;
        }
        case 1: {
            PairsOutcome o = import_number_card(*c, text);
            if (o.assigned < 0 || o.skipped < 0) std::abort();
            break;
        }
        default: {
            CardContentOutcome o =
                data[0] % 4 == 2 ? import_station_csv(*c, text) : import_vpconfig(*c, text);
            const int readouts = c->tables.card_readouts.live_count();
            if (o.refused ? readouts != 0 : readouts != o.readouts) std::abort();
            if (o.lines_skipped < 0 || o.finish_lines < 0) std::abort();
            break;
        }
    }
    for (int n = 0; n < 20; ++n)
        if (runners[n] == nullptr || runners[n]->start_number != n + 1) std::abort();
    return 0;
}
