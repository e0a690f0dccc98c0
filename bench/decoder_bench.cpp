// The transponder decoder at race size: one passing record taken off the line (lead-in,
// escapes, 500-character bound), parsed, matched to its owner by code and written as a finish
// line with the results recomputed, as the window does it for each passing. A decoder may
// report 100 passings a second, so one record must cost well under 10 ms; the aim is 1 ms.
// Sizes: the demo competition at a tenth and at the full size of every table (bench_support.h;
// full: 30,000 runners, the finish table one line short of full).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "bench/bench_support.h"
#include "punch/transponders.h"

using namespace skarvel;

namespace {

// The same record again and again, as a line that never runs dry.
class RepeatingPort : public SerialPort {
  public:
    explicit RepeatingPort(std::string bytes) : bytes_(std::move(bytes)) {}
    int read_byte(int) override {
        const int b = static_cast<unsigned char>(bytes_[at_]);
        at_ = (at_ + 1) % bytes_.size();
        return b;
    }
    bool write(const std::uint8_t*, std::size_t) override { return true; }
    void discard_input() override {}
    bool is_open() const override { return true; }
    void close() override {}

  private:
    std::string bytes_;
    std::size_t at_ = 0;
};

std::unique_ptr<Competition> race(int tenths) {
    auto c = std::make_unique<Competition>();
    make_demo_competition(*c, demo_tenths(tenths));
    // Room for the passing's line in a full finish table.
    auto& lines = c->tables.finish_lines;
    if (lines.live_count() == lines.capacity()) lines.erase(lines.capacity() - 1);
    // Every runner wears a transponder; the one passing is the last numbered runner's (the
    // longest search).
    for (int i = 0; i < c->tables.runners.used_end(); ++i)
        if (Runner* r = c->tables.runners[i]) {
            char code[16];
            std::snprintf(code, sizeof code, "TX%05d", i);
            set_field_text(r->comment, code);
        }
    c->info.time_precision = 1;
    c->info.amb_time_shift = -150;
    return c;
}

void BM_DecoderRecordParse(benchmark::State& state) {
    const std::string text = "@\t1\t123\t36000.456\t'TX-12345'\t12";
    for (auto _ : state) benchmark::DoNotOptimize(parse_decoder_record(text));
}
BENCHMARK(BM_DecoderRecordParse);

// state.range(0): tenths of the tables; state.range(1): 1 when the results are recomputed after the
// passing (one passing at a time), 0 when only the line is written (the window writes the passings
// that wait and recomputes once after them).
void BM_PassingToFinishLine(benchmark::State& state) {
    auto c = race(static_cast<int>(state.range(0)));
    int last = c->tables.runners.used_end() - 1;
    while (last > 0 && c->tables.runners[last]->start_number == 0) --last;
    char code[16];
    std::snprintf(code, sizeof code, "TX-%05d", last);
    RepeatingPort port(
        encode_decoder_record(std::string("@\t1\t123\t36000.456\t'") + code + "'\t12"));
    StationLink link(port);
    std::string text;
    for (auto _ : state) {
        read_decoder_record(link, text);
        std::optional<DecoderPassing> p = parse_decoder_record(text);
        PassingOutcome out = store_passing(*c, *p, state.range(1) != 0);
        // The line is emptied again so the next passing takes the same slot.
        state.PauseTiming();
        if (out.slot < 0 || out.start_number == 0) {
            state.SkipWithError("no owner or no room");
            break;
        }
        FinishLine* line = c->tables.finish_lines[out.slot];
        line->start_number = 0;
        line->time_word = 0;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PassingToFinishLine)
    ->Args({1, 0})
    ->Args({10, 0})
    ->Args({1, 1})
    ->Args({10, 1})
    ->Unit(benchmark::kMicrosecond)
    ->MeasureProcessCPUTime();

}  // namespace

BENCHMARK_MAIN();
