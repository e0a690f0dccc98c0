// One benchmark case per card family. BM_ReadFamily: full cards of the family read from the
// station simulator through the extended protocol (handshake, 38400 baud on a pseudo-terminal)
// and processed into a competition as the desktop program does: the program's processor time
// per card beside the time the card's bytes take on the line. BM_DecodeFamily: the decoding of
// one card's blocks alone.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <string>

#include "bench/card_read_support.h"
#include "platform/qt/qt_serial_port.h"
#include "punch/card_families.h"
#include "punch/extended_link.h"
#include "punch/readout.h"
#include "punch/station_reader.h"
#include "tools/station_sim/station_sim.h"

namespace {

using namespace skarvel;

constexpr int kCards = 60;

struct Family {
    const char* name;
    sim::SimFamily sim;
    std::int32_t first_number;
    int punches;  // the family's most
};
const Family kFamilies[] = {
    {"5", sim::SimFamily::k5, 300000, 30},
    {"6", sim::SimFamily::k6, 600000, 64},
    {"6*", sim::SimFamily::k6Star, 16711680, 192},
    {"8", sim::SimFamily::k8, 2100000, 30},
    {"9", sim::SimFamily::k9, 1100000, 50},
    {"p", sim::SimFamily::kP, 4100000, 20},
    {"t", sim::SimFamily::kT, 6100000, 25},
    {"10", sim::SimFamily::k10, 7100000, 128},
    {"11", sim::SimFamily::k11, 9100000, 128},
    {"active", sim::SimFamily::kActive, 8100000, 128},
};

sim::SimCard card_of(const Family& f, int i) {
    sim::SimCard card;
    card.family = f.sim;
    card.type = f.sim == sim::SimFamily::k5 ? 5 : f.sim == sim::SimFamily::kT ? 10 : 6;
    card.number = f.first_number + i;
    card.start = 36000 * 100;
    card.finish = card.start + 4 * 360000;
    // A punch every 40 s, codes 31..: a card 5 keeps its 12-hour times below noon.
    for (int k = 0; k < f.punches; ++k)
        card.punches.push_back({31 + k % 200, card.start + (k + 1) * 4000});
    return card;
}

void BM_ReadFamily(benchmark::State& state) {
    const Family& f = kFamilies[state.range(0)];
    state.SetLabel(std::string("card ") + f.name);
    double cpu_per_card = 0, wall_per_card = 0, line_per_card = 0;
    for (auto _ : state) {
        sim::SimScript script;
        script.station.extended = true;
        script.station.card6_192 = true;
        for (int i = 0; i < kCards; ++i) script.cards.push_back(card_of(f, i));
        bench::StationOnPty station(std::move(script), {1000, 0, 0});
        auto c = std::make_unique<Competition>();
        bench::fill_card_owners(*c, kCards, f.first_number);
        PunchSettings s = bench::card_read_settings();
        ReadoutState rs;
        ScriptedPrompts prompts;
        auto port = open_serial_port(station.device, s.baud_rate());
        if (!port) {
            state.SkipWithError("cannot open the simulator's pseudo-terminal");
            return;
        }
        StationLink link(*port);
        ReadOptions options = read_options_from(s);
        options.station = start_station(link, s.baud_rate());
        std::uint64_t bytes0 = station.line_bytes();
        int processed = 0;
        CardReaderHooks hooks;
        hooks.whole_card_read = [&](const WholeCard& card) {
            process_card(*c, card.readout, s, rs, prompts, {});
            return ++processed < kCards;
        };
        const bench::ReadTimes times = bench::timed_card_reader(link, options, hooks);
        port->close();
        if (processed != kCards || !options.station.extended()) {
            state.SkipWithError("not every card was read");
            return;
        }
        double bytes = static_cast<double>(station.line_bytes() - bytes0);
        cpu_per_card = times.cpu_seconds / kCards;
        wall_per_card = times.wall_seconds / kCards;
        line_per_card = bytes / kCards * 10.0 / 38400.0;
        state.SetIterationTime(wall_per_card * kCards);
    }
    state.counters["program_cpu_ms_per_card"] = cpu_per_card * 1000;
    state.counters["line_ms_per_card_38400"] = line_per_card * 1000;
    state.counters["cpu_share_of_line_time"] = cpu_per_card / line_per_card;
    state.counters["wall_ms_per_card"] = wall_per_card * 1000;
}
BENCHMARK(BM_ReadFamily)
    ->DenseRange(0, static_cast<int>(std::size(kFamilies)) - 1)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);

void BM_DecodeFamily(benchmark::State& state) {
    const Family& f = kFamilies[state.range(0)];
    state.SetLabel(std::string("card ") + f.name);
    sim::SimBlocks blocks = sim::extended_blocks(card_of(f, 0));
    CardImage image;
    image.family = card_family_of(f.first_number);
    for (int b = 0; b < kCardMaxBlocks; ++b) image.put(b, blocks[b].data());
    CardDecodeOptions options;
    options.card6_192 = true;
    options.competition_start = 9 * 360000;
    WholeCard card;
    for (auto _ : state) {
        bool ok = decode_card_image(image, options, card);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(card.readout.punch_count);
    }
    if (static_cast<int>(card.punches.size()) != f.punches) state.SkipWithError("decoded wrong");
}
BENCHMARK(BM_DecodeFamily)->DenseRange(0, static_cast<int>(std::size(kFamilies)) - 1);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
