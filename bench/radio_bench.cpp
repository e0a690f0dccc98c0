// The radio control reader's side in the program: a modem message of 14 records parsed, and
// each record stored as a finish line and a card readout (owner looked up by card, results
// brought up to date) in a competition on race day. A record must take well under 1 ms of the
// program's time, so that a message of 14 never holds the window.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "core/demo_competition.h"
#include "punch/radio_message.h"

using namespace skarvel;

namespace {

std::string message_of(int records, std::int32_t first_card) {
    std::string m(kRadioRecordsAt, '0');
    char buf[16];
    for (int i = 0; i < records; ++i) {
        std::snprintf(buf, sizeof buf, "%02X%04XAA%06X", 31 + i, 36000 + i,
                      static_cast<unsigned>(first_card + i));
        m += buf;
    }
    return m;
}

// A race of `runners` (the full tables, with room left for the records, when 30000).
std::unique_ptr<Competition> race(int runners) {
    auto c = std::make_unique<Competition>();
    DemoOptions o = runners >= kRunnerCapacity ? DemoOptions::full_capacity() : DemoOptions{};
    o.runners = runners;
    o.finish_lines = runners / 2;
    o.card_readouts = runners / 2;
    make_demo_competition(*c, o);
    return c;
}

std::int32_t some_card(const Competition& c) {
    for (int i = c.tables.runners.live_count() - 1; i >= 0; --i)
        if (c.tables.runners[i]->card_number) return c.tables.runners[i]->card_number;
    return 1;
}

void BM_RadioParseMessage14(benchmark::State& state) {
    std::string text = message_of(14, 2000000);
    for (auto _ : state) benchmark::DoNotOptimize(parse_radio_message(text));
}
BENCHMARK(BM_RadioParseMessage14)->Unit(benchmark::kMicrosecond);

// A message of one record stored; 2000 of them per run (the tables keep room for them).
void BM_RadioStoreRecord(benchmark::State& state) {
    auto c = race(static_cast<int>(state.range(0)));
    ScriptedPrompts prompts;
    RadioRecord r{31, 36000, some_card(*c)};
    for (auto _ : state) benchmark::DoNotOptimize(store_radio_record(*c, r, prompts));
    if (!prompts.messages.empty()) state.SkipWithError("a table ran full");
}
BENCHMARK(BM_RadioStoreRecord)
    ->Arg(2000)
    ->Arg(5000)
    ->Arg(30000)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(2000);

// A whole message of 14 records: parsed and every record stored.
void BM_RadioMessage14(benchmark::State& state) {
    auto c = race(static_cast<int>(state.range(0)));
    ScriptedPrompts prompts;
    std::string text = message_of(14, some_card(*c) - 7);
    for (auto _ : state)
        benchmark::DoNotOptimize(store_radio_message(*c, parse_radio_message(text), prompts));
    if (!prompts.messages.empty()) state.SkipWithError("a table ran full");
}
BENCHMARK(BM_RadioMessage14)
    ->Arg(2000)
    ->Arg(5000)
    ->Arg(30000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(200);

}  // namespace

BENCHMARK_MAIN();
