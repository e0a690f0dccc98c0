// Reading type-6 cards from the station simulator over a pseudo-terminal, each processed into
// a competition as the desktop program does. The station must set the pace: the program's own
// time per card is compared with the time the card's bytes take on a 38400-baud line.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <string>

#include "bench/card_read_support.h"
#include "platform/qt/qt_serial_port.h"
#include "punch/readout.h"
#include "punch/station_reader.h"
#include "tools/station_sim/station_sim.h"

namespace {

using namespace skarvel;

constexpr int kCards = 200;

sim::SimScript script_of_type6_cards() {
    sim::SimScript script;
    for (int i = 0; i < kCards; ++i) {
        sim::SimCard card;
        card.type = 6;
        card.number = 2000000 + i;
        card.start_number = i + 1;
        card.start = 36000 * 100;
        card.finish = 36000 * 100 + 360000 + i * 100;
        for (int k = 0; k < 20; ++k) card.punches.push_back({31 + k, card.start + (k + 1) * 9000});
        script.cards.push_back(card);
    }
    return script;
}

void BM_ReadType6Cards(benchmark::State& state) {
    double wall_per_card = 0, cpu_per_card = 0, line_per_card = 0;
    for (auto _ : state) {
        bench::StationOnPty station(script_of_type6_cards(), {1000, 0, 0});
        auto c = std::make_unique<Competition>();
        bench::fill_card_owners(*c, kCards, 2000000);
        PunchSettings s = bench::card_read_settings();
        ReadoutState rs;
        ScriptedPrompts prompts;
        auto port = open_serial_port(station.device, s.baud_rate());
        if (!port) {
            state.SkipWithError("cannot open the simulator's pseudo-terminal");
            return;
        }
        StationLink link(*port);
        int processed = 0;
        CardReaderHooks hooks;
        hooks.card_read = [&](const CardReadout& card) {
            process_card(*c, card, s, rs, prompts, {});
            return ++processed < kCards;
        };
        const bench::ReadTimes times = bench::timed_card_reader(link, read_options_from(s), hooks);
        port->close();
        if (processed != kCards) {
            state.SkipWithError("not every card was read");
            return;
        }
        double bytes = static_cast<double>(station.line_bytes());
        wall_per_card = times.wall_seconds / kCards;
        cpu_per_card = times.cpu_seconds / kCards;
        line_per_card = bytes / kCards * 10.0 / 38400.0;
        state.SetIterationTime(wall_per_card * kCards);
    }
    state.counters["wall_ms_per_card"] = wall_per_card * 1000;
    state.counters["program_cpu_ms_per_card"] = cpu_per_card * 1000;
    state.counters["line_ms_per_card_38400"] = line_per_card * 1000;
    state.counters["wall_share_of_line_time"] = wall_per_card / line_per_card;
}
BENCHMARK(BM_ReadType6Cards)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
