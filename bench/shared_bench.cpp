// The shared competition at full size: joining it, finding what changed, and a race day of ten
// joined computers with the server 200 ms away (a delaying relay between each computer and
// PostgreSQL): 100 cards a minute read at two places, each card's way to the eight others.
//
// Needs a PostgreSQL server (libpq's PGHOST, PGPORT, PGUSER, PGPASSWORD; for instance
// `pg_virtualenv -t build/release/bench/shared_bench`); without one every benchmark says so.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "core/demo_competition.h"
#include "core/finish_results.h"
#include "punch/punch_settings.h"
#include "punch/readout.h"
#include "shared/identity.h"
#include "shared/store.h"
#include "shared/sync_driver.h"
#include "tools/net_proxy/net_proxy.h"

using namespace skarvel;
using namespace skarvel::shared;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kComputers = 10;
constexpr int kReaders = 2;
constexpr auto kCardEvery = std::chrono::milliseconds(600);  // 100 cards a minute
constexpr auto kFarAway = std::chrono::milliseconds(200);    // each way

int server_port() {
    const char* p = std::getenv("PGPORT");
    return p ? std::atoi(p) : 5432;
}
std::string server_host() {
    const char* h = std::getenv("PGHOST");
    return h ? h : "localhost";
}

// One database holding the full-size competition, made once for the whole run.
struct FullServer {
    std::string name = "skarvel_bench_" + std::to_string(::getpid());
    std::string error;
    std::vector<CardReadout> cards;  // the cards of the runners still out
    bool ready = false;

    FullServer() {
        auto admin = pg::Connection::open("dbname=postgres", error);
        if (!admin) return;
        admin->exec("DROP DATABASE IF EXISTS " + name);
        if (!admin->exec("CREATE DATABASE " + name).ok()) {
            error = "cannot create the database";
            return;
        }
        auto c = std::make_unique<Competition>();
        DemoOptions o = DemoOptions::full_capacity();
        o.still_out = 400;
        o.finish_lines = 19000;  // room for the cards of the day
        o.card_readouts = 29000;
        make_demo_competition(*c, o, &cards);
        auto db = connect(server_port(), "127.0.0.1");
        if (!db) db = connect(server_port(), server_host());
        if (!db) return;
        ShareResult r = share_competition(*db, *c, new_origin_id(), "bench", true);
        ready = r.status == ShareStatus::kOk;
        if (!ready) error = r.error;
    }
    ~FullServer() {
        std::string why;
        if (auto admin = pg::Connection::open("dbname=postgres", why))
            admin->exec("DROP DATABASE IF EXISTS " + name + " WITH (FORCE)");
    }
    std::string conninfo(int port, const std::string& host) const {
        return pg::make_conninfo(host, port, name, "");
    }
    std::unique_ptr<pg::Connection> connect(int port, const std::string& host) {
        return pg::Connection::open(conninfo(port, host), error);
    }
};

FullServer& full_server() {
    static FullServer s;
    return s;
}

bool need_server(benchmark::State& state) {
    if (full_server().ready) return true;
    state.SkipWithError(
        ("no PostgreSQL server (run under pg_virtualenv): " + full_server().error).c_str());
    return false;
}

struct Joined {
    std::unique_ptr<Competition> c = std::make_unique<Competition>();
    Snapshot s;
};

// Joining: the whole competition read, built, and its rows remembered.
Joined join(pg::Connection& db, SyncCore* core) {
    Joined j;
    fetch_snapshot(db, j.s);
    build_competition(*j.c, j.s, core ? core->origin() : std::string());
    if (core) core->joined(*j.c, j.s);
    return j;
}

// Args: the one-way delay to the server in milliseconds.
void BM_JoinFull(benchmark::State& state) {
    if (!need_server(state)) return;
    tools::NetProxy proxy("127.0.0.1", server_port(), std::chrono::milliseconds(state.range(0)));
    if (!proxy.start()) return state.SkipWithError("no relay");
    std::size_t rows = 0;
    for (auto _ : state) {
        auto db = full_server().connect(proxy.port(), "127.0.0.1");
        SyncCore core(new_origin_id());
        Joined j = join(*db, &core);
        rows = j.s.rows.size();
        benchmark::DoNotOptimize(j.c->tables.runners[0]);
    }
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_JoinFull)
    ->Arg(0)
    ->Arg(200)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

// Finding what changed at full tables: Arg 0 nothing, Arg 1 one card read (readout, finish
// line, runner). The window does this after each change point.
void BM_CaptureFull(benchmark::State& state) {
    if (!need_server(state)) return;
    auto db = full_server().connect(server_port(), "127.0.0.1");
    SyncCore core(new_origin_id());
    Joined j = join(*db, &core);
    const std::vector<CardReadout>& cards = full_server().cards;
    std::size_t next = 0;
    ReadoutState rs;
    ScriptedPrompts quiet;
    std::uint64_t seq = 1;
    for (auto _ : state) {
        if (state.range(0) == 1) {
            state.PauseTiming();
            process_card(*j.c, cards[next++ % cards.size()], punch_settings_from(j.c->info), rs,
                         quiet, {});
            state.ResumeTiming();
        }
        ChangeSet cs = core.mirror().capture(*j.c, seq++);
        benchmark::DoNotOptimize(cs.changes.size());
    }
}
BENCHMARK(BM_CaptureFull)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(20);

// A computer of the race day: its copy, its worker, and a thread that takes in what arrives.
struct Computer {
    Joined j;
    std::unique_ptr<SyncDriver> driver;
    std::mutex m;
    std::condition_variable cv;
    bool arrived = false;
};

// The race day: kComputers joined through relays 200 ms away; kReaders of them read one card
// each in turn every 600 ms. Each card is timed from its change set leaving the reader to its
// readout standing in each other computer's table.
void BM_RaceDayTenComputers(benchmark::State& state) {
    if (!need_server(state)) return;
    const int cards = static_cast<int>(state.range(0));
    std::vector<double> latencies;
    double cpu_per_card_ms = 0;
    for (auto _ : state) {
        tools::NetProxy proxy("127.0.0.1", server_port(), kFarAway);
        if (!proxy.start()) return state.SkipWithError("no relay");
        std::vector<std::unique_ptr<Computer>> computers;
        for (int i = 0; i < kComputers; ++i) {
            auto x = std::make_unique<Computer>();
            std::string origin = new_origin_id();
            auto db = full_server().connect(server_port(), "127.0.0.1");
            fetch_snapshot(*db, x->j.s);
            build_competition(*x->j.c, x->j.s, origin);
            Computer* raw = x.get();
            x->driver =
                std::make_unique<SyncDriver>(full_server().conninfo(proxy.port(), "127.0.0.1"),
                                             Writer{origin, "bench"}, *x->j.c, x->j.s, [raw] {
                                                 std::lock_guard<std::mutex> lock(raw->m);
                                                 raw->arrived = true;
                                                 raw->cv.notify_one();
                                             });
            x->j.s.rows.clear();
            computers.push_back(std::move(x));
        }
        std::mutex seen_mutex;
        std::map<std::int32_t, Clock::time_point> sent;       // card -> its change set left
        std::map<std::pair<int, std::int32_t>, double> seen;  // (computer, card) -> ms
        std::atomic<bool> stop{false};
        std::atomic<int> next_card{0};
        auto cpu_start = std::clock();
        std::vector<std::thread> threads;
        for (int i = 0; i < kComputers; ++i) {
            threads.emplace_back([&, i] {
                Computer& x = *computers[i];
                Competition& c = *x.j.c;
                ReadoutState rs;
                ScriptedPrompts quiet;
                auto next_due = Clock::now() + kCardEvery * (i + 1);
                while (!stop) {
                    {
                        std::unique_lock<std::mutex> lock(x.m);
                        x.cv.wait_until(lock, next_due, [&] { return x.arrived || stop.load(); });
                        x.arrived = false;
                    }
                    if (i < kReaders && Clock::now() >= next_due) {
                        next_due += kCardEvery * kReaders;
                        int k = next_card.fetch_add(1);
                        if (k < cards) {
                            const CardReadout& card = full_server().cards[k];
                            process_card(c, card, punch_settings_from(c.info), rs, quiet, {});
                            finish_data_changed(c);
                            {
                                std::lock_guard<std::mutex> lock(seen_mutex);
                                sent[card.card_number] = Clock::now();
                            }
                            x.driver->capture(c);
                        }
                    }
                    SyncDriver::Round r = x.driver->process(c);
                    if (r.applied.rows == 0) continue;
                    finish_data_changed(c);
                    auto now = Clock::now();
                    const auto& t = c.tables.card_readouts;
                    std::lock_guard<std::mutex> lock(seen_mutex);
                    for (int s = t.live_count() - 1; s >= 0 && s >= t.live_count() - 50; --s) {
                        auto it = sent.find(t[s]->card_number);
                        if (it == sent.end() || seen.count({i, it->first})) continue;
                        seen[{i, it->first}] =
                            std::chrono::duration<double, std::milli>(now - it->second).count();
                    }
                }
            });
        }
        // Until every card was seen by every computer but its reader (or a generous limit).
        auto limit = Clock::now() + kCardEvery * cards + std::chrono::seconds(60);
        for (;;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            std::lock_guard<std::mutex> lock(seen_mutex);
            if (static_cast<int>(seen.size()) >= cards * (kComputers - 1) || Clock::now() > limit)
                break;
        }
        stop = true;
        for (auto& x : computers) {
            std::lock_guard<std::mutex> lock(x->m);
            x->cv.notify_one();
        }
        for (std::thread& t : threads) t.join();
        cpu_per_card_ms = 1000.0 * double(std::clock() - cpu_start) / CLOCKS_PER_SEC / cards;
        for (const auto& [key, ms] : seen) latencies.push_back(ms);
        state.counters["seen"] = static_cast<double>(seen.size());
        state.counters["expected"] = static_cast<double>(cards * (kComputers - 1));
    }
    std::sort(latencies.begin(), latencies.end());
    if (!latencies.empty()) {
        state.counters["median_ms"] = latencies[latencies.size() / 2];
        state.counters["p95_ms"] = latencies[latencies.size() * 95 / 100];
        state.counters["max_ms"] = latencies.back();
    }
    state.counters["cpu_ms_per_card_all"] = cpu_per_card_ms;
}
BENCHMARK(BM_RaceDayTenComputers)->Arg(30)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
