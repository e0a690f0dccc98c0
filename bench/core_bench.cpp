// The competition file and the table walks at full table capacity (30000 runners, 10000
// clubs, classes and courses, 20000 finish lines, 30000 card readouts: about 27 MB).
//
// Load and save are measured beside copying the same file's bytes in the same run: reading
// them, and writing them the way a save writes (temporary file, flushed to the disk, renamed).
// Targets: load and save within 3 times the copy; recount_tables and
// recompute_finish_results linear in the table sizes (full capacity at most 12 times a tenth)
// and under 10 ms each.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "core/atomic_file.h"
#include "core/demo_competition.h"
#include "core/wdb_file.h"

using namespace skarvel;

namespace {

struct Fixture {
    std::filesystem::path dir;
    std::string source;  // the full-capacity file
    std::unique_ptr<Competition> full = std::make_unique<Competition>();
    std::unique_ptr<Competition> tenth = std::make_unique<Competition>();

    Fixture() {
        dir = std::filesystem::temp_directory_path() /
              ("skarvel_bench_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        source = (dir / "full.wdb").string();
        make_demo_competition(*full, DemoOptions::full_capacity());
        if (!save_wdb(*full, source)) std::abort();
        DemoOptions o;
        o.runners = kRunnerCapacity / 10;
        o.clubs = kClubCapacity / 10;
        o.classes = kClassCapacity / 10;
        o.courses = kCourseCapacity / 10;
        o.finish_lines = kFinishLineCapacity / 10;
        o.card_readouts = kCardReadoutCapacity / 10;
        make_demo_competition(*tenth, o);
    }
    ~Fixture() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    std::string target(const char* name) const { return (dir / name).string(); }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

class NoPrompts : public ScriptedPrompts {};

void BM_CopyFileBytes(benchmark::State& state) {
    Fixture& f = fixture();
    std::string out = f.target("copy.wdb");
    std::string bytes;
    for (auto _ : state) {
        if (!read_file_bytes(f.source, max_wdb_size(), bytes)) state.SkipWithError("read");
        if (!write_file_atomically(out, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                   bytes.size()))
            state.SkipWithError("write");
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes.size()));
}

void BM_ReadFileBytes(benchmark::State& state) {
    Fixture& f = fixture();
    std::string bytes;
    for (auto _ : state) {
        read_file_bytes(f.source, max_wdb_size(), bytes);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes.size()));
}

void BM_Load(benchmark::State& state) {
    Fixture& f = fixture();
    auto c = std::make_unique<Competition>();
    NoPrompts prompts;
    // The first load into a fresh process also faults in the memory of 110000 records; that
    // happens once per run of the program and is not what the loop measures.
    load_wdb(*c, f.source, prompts);
    for (auto _ : state) {
        LoadResult res = load_wdb(*c, f.source, prompts);
        if (res.status != LoadStatus::kOk) state.SkipWithError("load");
    }
    state.counters["runners"] = c->tables.runners.live_count();
}

void BM_Save(benchmark::State& state) {
    Fixture& f = fixture();
    std::string out = f.target("save.wdb");
    for (auto _ : state)
        if (!save_wdb(*f.full, out)) state.SkipWithError("save");
}

void BM_Decode(benchmark::State& state) {
    Fixture& f = fixture();
    std::string bytes;
    read_file_bytes(f.source, max_wdb_size(), bytes);
    auto c = std::make_unique<Competition>();
    decode_wdb(*c, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    for (auto _ : state)
        decode_wdb(*c, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

void BM_Encode(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) {
        std::vector<std::uint8_t> b = encode_wdb(*f.full);
        benchmark::DoNotOptimize(b.data());
    }
}

Competition& sized(benchmark::State& state) {
    return state.range(0) == 10 ? *fixture().full : *fixture().tenth;
}

void BM_RecountTables(benchmark::State& state) {
    Competition& c = sized(state);
    for (auto _ : state) c.recount_tables();
    state.SetLabel(state.range(0) == 10 ? "full" : "tenth");
}

void BM_RecomputeFinishResults(benchmark::State& state) {
    Competition& c = sized(state);
    for (auto _ : state) c.recompute_finish_results();
    state.SetLabel(state.range(0) == 10 ? "full" : "tenth");
}

}  // namespace

BENCHMARK(BM_CopyFileBytes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadFileBytes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Decode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Encode)->Unit(benchmark::kMillisecond)->UseRealTime();
// The table walks are short and this shared machine is noisy: compare the medians.
BENCHMARK(BM_RecountTables)
    ->Arg(1)
    ->Arg(10)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_RecomputeFinishResults)
    ->Arg(1)
    ->Arg(10)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
