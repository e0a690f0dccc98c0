// The shared competition at full size: joining it, finding what changed, and a race day of ten
// joined computers: 100 cards a minute read in turn on all ten, each card's way to the nine
// others, with the server on this machine or 200 ms away (a delaying relay between each computer
// and PostgreSQL).
//
// Needs a PostgreSQL server (libpq's PGHOST, PGPORT, PGUSER, PGPASSWORD; for instance
// `pg_virtualenv -t build/release/bench/shared_bench`); without one every benchmark says so.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
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
constexpr auto kCardEvery = std::chrono::milliseconds(600);  // 100 cards a minute in total

// Processor time of the calling thread, in seconds.
double thread_cpu_seconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}
double process_cpu_seconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// The server's main process, read from its data folder (-1 when not readable, e.g. a server
// on another machine).
long server_main_pid() {
    std::string why;
    auto admin = pg::Connection::open("dbname=postgres", why);
    if (!admin) return -1;
    pg::Result r = admin->exec("SELECT setting FROM pg_settings WHERE name = 'data_directory'");
    if (!r.ok() || r.rows() != 1) return -1;
    std::ifstream f(std::string(r.text(0, 0)) + "/postmaster.pid");
    long pid = -1;
    f >> pid;
    return f ? pid : -1;
}

// Processor time of the server's processes (its main process and the live children: the
// connections' backends), in seconds; -1 when the server's processes cannot be read.
double server_cpu_seconds(long main_pid) {
    if (main_pid <= 0) return -1;
    DIR* d = ::opendir("/proc");
    if (!d) return -1;
    double ticks = 0;
    while (dirent* e = ::readdir(d)) {
        long pid = std::atol(e->d_name);
        if (pid <= 0) continue;
        std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
        std::string line;
        if (!std::getline(f, line)) continue;
        auto paren = line.rfind(')');
        if (paren == std::string::npos) continue;
        std::istringstream rest(line.substr(paren + 1));
        std::string field;
        std::vector<std::string> fields;
        while (rest >> field && fields.size() < 13) fields.push_back(field);
        if (fields.size() < 13) continue;
        if (pid != main_pid && std::atol(fields[1].c_str()) != main_pid) continue;
        ticks += std::atof(fields[11].c_str()) + std::atof(fields[12].c_str());
    }
    ::closedir(d);
    return ticks / double(::sysconf(_SC_CLK_TCK));
}

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

// The race day: kComputers joined to the server (Arg 1: one-way delay in ms, 0 = straight to
// the server, else through a delaying relay); they read one card each in turn, a card every
// 600 ms in all (100 a minute). Each card is timed from the moment it stands in its reader's
// table (read, results recomputed) to the moment its readout stands in each other computer's
// table with results recomputed there. Processor time: the whole process (the ten computers'
// own threads, their connection workers, the relay; not the server's), the computers' own
// threads alone (read, capture, take in, recompute), and the server's processes when they run on
// this machine, each per card.
void BM_RaceDayTenComputers(benchmark::State& state) {
    if (!need_server(state)) return;
    const int cards = static_cast<int>(state.range(0));
    const auto delay = std::chrono::milliseconds(state.range(1));
    // Each run reads cards no earlier run read, so an old readout is never taken for a new one.
    static int first_unread = 0;
    if (first_unread + cards > static_cast<int>(full_server().cards.size()))
        return state.SkipWithError("not enough runners still out for this many cards");
    std::vector<double> latencies;
    std::vector<double> firsts;  // per card: the first of the nine to have it
    double cpu_per_card_ms = 0;
    double owner_cpu_per_card_ms = 0;
    for (auto _ : state) {
        tools::NetProxy proxy("127.0.0.1", server_port(), delay);
        if (delay.count() > 0 && !proxy.start()) return state.SkipWithError("no relay");
        const int port = delay.count() > 0 ? proxy.port() : server_port();
        std::vector<std::unique_ptr<Computer>> computers;
        for (int i = 0; i < kComputers; ++i) {
            auto x = std::make_unique<Computer>();
            std::string origin = new_origin_id();
            auto db = full_server().connect(server_port(), "127.0.0.1");
            fetch_snapshot(*db, x->j.s);
            build_competition(*x->j.c, x->j.s, origin);
            Computer* raw = x.get();
            x->driver =
                std::make_unique<SyncDriver>(full_server().conninfo(port, "127.0.0.1"),
                                             Writer{origin, "bench"}, *x->j.c, x->j.s, [raw] {
                                                 std::lock_guard<std::mutex> lock(raw->m);
                                                 raw->arrived = true;
                                                 raw->cv.notify_one();
                                             });
            x->j.s.rows.clear();
            computers.push_back(std::move(x));
        }
        std::mutex seen_mutex;
        struct Sent {
            Clock::time_point at;  // standing in its reader's table
            int reader;
        };
        std::map<std::int32_t, Sent> sent;                    // card -> when, where it was read
        std::map<std::pair<int, std::int32_t>, double> seen;  // (computer, card) -> ms
        std::atomic<bool> stop{false};
        std::atomic<int> next_card{first_unread};
        const int last_card = first_unread + cards;
        first_unread = last_card;
        std::atomic<double> owner_cpu{0};
        const long server_pid = server_main_pid();
        const double server_cpu_start = server_cpu_seconds(server_pid);
        const double cpu_start = process_cpu_seconds();
        std::vector<std::thread> threads;
        for (int i = 0; i < kComputers; ++i) {
            threads.emplace_back([&, i] {
                Computer& x = *computers[i];
                Competition& c = *x.j.c;
                ReadoutState rs;
                ScriptedPrompts quiet;
                const double my_cpu_start = thread_cpu_seconds();
                auto next_due = Clock::now() + kCardEvery * (i + 1);
                while (!stop) {
                    {
                        std::unique_lock<std::mutex> lock(x.m);
                        x.cv.wait_until(lock, next_due, [&] { return x.arrived || stop.load(); });
                        x.arrived = false;
                    }
                    if (Clock::now() >= next_due) {
                        next_due += kCardEvery * kComputers;
                        int k = next_card.fetch_add(1);
                        if (k < last_card) {
                            const CardReadout& card = full_server().cards[k];
                            process_card(c, card, punch_settings_from(c.info), rs, quiet, {});
                            finish_data_changed(c);
                            {
                                std::lock_guard<std::mutex> lock(seen_mutex);
                                sent[card.card_number] = Sent{Clock::now(), i};
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
                        if (it == sent.end() || it->second.reader == i ||
                            seen.count({i, it->first}))
                            continue;
                        seen[{i, it->first}] =
                            std::chrono::duration<double, std::milli>(now - it->second.at).count();
                    }
                }
                double mine = thread_cpu_seconds() - my_cpu_start;
                double sum = owner_cpu.load();
                while (!owner_cpu.compare_exchange_weak(sum, sum + mine)) {
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
        cpu_per_card_ms = 1000.0 * (process_cpu_seconds() - cpu_start) / cards;
        owner_cpu_per_card_ms = 1000.0 * owner_cpu.load() / cards;
        if (server_cpu_start >= 0)
            state.counters["server_cpu_ms_per_card"] =
                1000.0 * (server_cpu_seconds(server_pid) - server_cpu_start) / cards;
        std::map<std::int32_t, double> first;
        for (const auto& [key, ms] : seen) {
            latencies.push_back(ms);
            auto [it, fresh] = first.emplace(key.second, ms);
            if (!fresh) it->second = std::min(it->second, ms);
        }
        for (const auto& [card, ms] : first) firsts.push_back(ms);
        state.counters["seen"] = static_cast<double>(seen.size());
        state.counters["expected"] = static_cast<double>(cards * (kComputers - 1));
    }
    std::sort(latencies.begin(), latencies.end());
    if (!latencies.empty()) {
        state.counters["median_ms"] = latencies[latencies.size() / 2];
        state.counters["p95_ms"] = latencies[latencies.size() * 95 / 100];
        state.counters["max_ms"] = latencies.back();
        std::sort(firsts.begin(), firsts.end());
        state.counters["first_median_ms"] = firsts[firsts.size() / 2];
    }
    state.counters["cpu_ms_per_card_process"] = cpu_per_card_ms;
    state.counters["cpu_ms_per_card_computers"] = owner_cpu_per_card_ms;
}
// Args: cards, one-way delay to the server in ms. 100 cards on the server here: one minute of
// the race day; 30 cards with the server 200 ms away.
BENCHMARK(BM_RaceDayTenComputers)
    ->Args({100, 0})
    ->Args({30, 200})
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
