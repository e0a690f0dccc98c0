// Reading type-6 cards from the station simulator over a pseudo-terminal, each processed into
// a competition as the desktop program does. The station must set the pace: the program's own
// time per card is compared with the time the card's bytes take on a 38400-baud line.
#include <benchmark/benchmark.h>
#include <time.h>

#include <QCoreApplication>
#include <chrono>
#include <string>
#include <thread>

#include "platform/qt/qt_serial_port.h"
#include "punch/readout.h"
#include "punch/station_reader.h"
#include "tools/station_sim/station_sim.h"

namespace {

using namespace skarvel;

constexpr int kCards = 200;

double thread_cpu_seconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

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

void fill_competition(Competition& c) {
    Course& k = *c.tables.courses[c.new_record(kCourses)];
    k.id = 1;
    for (int i = 0; i < 20; ++i) k.control_codes[i] = static_cast<std::uint8_t>(31 + i);
    ClassRecord& g = *c.tables.classes[c.new_record(kClasses)];
    g.id = 1;
    g.course_id = 1;
    for (int i = 0; i < kCards; ++i) {
        Runner& r = *c.tables.runners[c.new_record(kRunners)];
        r.id = i + 1;
        r.start_number = static_cast<std::uint16_t>(i + 1);
        r.card_number = 2000000 + i;
        r.class_id = 1;
    }
    c.rebuild_number_index();
}

void BM_ReadType6Cards(benchmark::State& state) {
    double wall_per_card = 0, cpu_per_card = 0, line_per_card = 0;
    for (auto _ : state) {
        sim::StationSimulator station(script_of_type6_cards(), {1000, 0, 0});
        std::string device = station.open_pty();
        std::thread sim_thread([&] { station.run(); });

        auto c = std::make_unique<Competition>();
        fill_competition(*c);
        PunchSettings s;
        s.fast_station = 1;
        s.check_mode = kCheckCourse;
        s.start_source = kSourceStation;
        s.finish_source = kSourceStation;
        ReadoutState rs;
        ScriptedPrompts prompts;

        auto port = open_serial_port(device, s.baud_rate());
        if (!port) {
            state.SkipWithError("cannot open the simulator's pseudo-terminal");
            station.stop();
            sim_thread.join();
            return;
        }
        StationLink link(*port);
        int processed = 0;
        CardReaderHooks hooks;
        hooks.card_read = [&](const CardReadout& card) {
            process_card(*c, card, s, rs, prompts, {});
            return ++processed < kCards;
        };
        double cpu0 = thread_cpu_seconds();
        auto t0 = std::chrono::steady_clock::now();
        run_card_reader(link, read_options_from(s), hooks);
        auto t1 = std::chrono::steady_clock::now();
        double cpu1 = thread_cpu_seconds();
        port->close();
        station.stop();
        sim_thread.join();
        if (processed != kCards) {
            state.SkipWithError("not every card was read");
            return;
        }
        double bytes = static_cast<double>(station.bytes_sent() + station.bytes_received());
        wall_per_card = std::chrono::duration<double>(t1 - t0).count() / kCards;
        cpu_per_card = (cpu1 - cpu0) / kCards;
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
