// The finish server's side of the exchange: datagrams stored per second on the window's thread
// (decode, repeat check, new finish line, status, and one results recomputation per batch).
// The server must keep up with 1,000 datagrams a second; a batch of 1 is the worst case (the
// window stores each datagram as it comes), larger batches are what a busy server sees.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "periph/finish_exchange.h"

namespace {

using namespace skarvel;

std::unique_ptr<Competition> race(int runners) {
    auto c = std::make_unique<Competition>();
    for (int n = 1; n <= runners; ++n) {
        Runner* r = c->tables.runners[c->new_record(kRunners)];
        r->id = n;
        r->start_number = static_cast<std::uint16_t>(n);
        r->start_time = 4320000;
    }
    c->rebuild_number_index();
    return c;
}

void BM_ServerStores(benchmark::State& state) {
    const int runners = static_cast<int>(state.range(0));
    const int batch = static_cast<int>(state.range(1));
    constexpr int kDatagrams = 2000;
    auto c = race(runners);
    std::vector<std::vector<std::uint8_t>> datagrams;
    for (int i = 0; i < kDatagrams; ++i) {
        FinishLine l;
        l.start_number = static_cast<std::int16_t>(1 + i * 7 % runners);
        l.time_word = static_cast<std::uint32_t>(4400000 + i);
        FinishDatagram d = encode_finish_datagram(l, 0);
        datagrams.emplace_back(d.begin(), d.end());
    }
    for (auto _ : state) {
        state.PauseTiming();
        c->tables.finish_lines.clear();
        FinishReceiver receiver;
        state.ResumeTiming();
        for (int i = 0; i < kDatagrams; i += batch) {
            std::vector<std::vector<std::uint8_t>> part(datagrams.begin() + i,
                                                        datagrams.begin() + i + batch);
            receiver.store_all(*c, part);
        }
        benchmark::DoNotOptimize(c->tables.finish_lines[0]);
    }
    state.SetItemsProcessed(state.iterations() * kDatagrams);
}
BENCHMARK(BM_ServerStores)
    ->Args({3000, 1})
    ->Args({29999, 1})
    ->Args({29999, 100})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
