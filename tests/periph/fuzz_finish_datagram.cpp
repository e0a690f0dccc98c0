// The finish server's datagram reader on hostile bytes: a datagram is read or dropped, never
// read past its end, and what is stored stays in range.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/competition.h"
#include "periph/finish_exchange.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace skarvel;
    static auto c = [] {
        auto comp = std::make_unique<Competition>();
        for (int n : {7, 101, 29999}) {
            Runner* r = comp->tables.runners[comp->new_record(kRunners)];
            r->id = n;
            r->start_number = static_cast<std::uint16_t>(n);
        }
        comp->rebuild_number_index();
        return comp;
    }();
    FinishReceiver receiver;
    auto v = decode_finish_datagram({data, size});
    if (v && (v->number == 0 || v->status > 8)) __builtin_trap();
    int before = c->tables.finish_lines.live_count();
    auto outcome = receiver.store(*c, {data, size});
    if ((outcome == FinishReceiver::Outcome::kStored) != v.has_value()) __builtin_trap();
    if (c->tables.finish_lines.live_count() != before + (v ? 1 : 0)) __builtin_trap();
    // Keep the table from filling up over a long run.
    if (c->tables.finish_lines.live_count() > 1000) c->tables.finish_lines.clear();
    return 0;
}
