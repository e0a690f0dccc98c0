// A race day at full tables for the benchmarks that play cards through the station simulator:
// 30,000 runners, some cards already read, and the cards of the runners still out as the
// station will give them (64 punches each: the course, then punches of the course's controls
// again, as a runner who crossed the area twice has).
#pragma once

#include <pthread.h>
#include <time.h>

#include <algorithm>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/competition.h"
#include "core/demo_competition.h"
#include "tools/station_sim/station_sim.h"

namespace skarvel::bench {

inline double clock_seconds(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// Processor time of every thread of this process.
inline double process_cpu_seconds() {
    return clock_seconds(CLOCK_PROCESS_CPUTIME_ID);
}

// The cards of the runners still out, each filled up to 64 punches.
inline std::vector<CardReadout> full_cards(const std::vector<CardReadout>& cards) {
    std::vector<CardReadout> out = cards;
    for (CardReadout& card : out) {
        const int n = card.held_punches();
        if (n == 0) continue;
        std::int32_t t = card.punches[n - 1].time;
        for (int k = n; k < CardReadout::kMaxPunches; ++k) {
            t += 100;
            card.punches[k] = card.punches[k % n];
            card.punches[k].time = t;
        }
        card.punch_count = CardReadout::kMaxPunches;
        card.finish.time = std::max(card.finish.time, t + 100);
    }
    return out;
}

// 30,000 runners; `read_before` finish lines and card readouts; `cards` runners still out.
class RaceDay {
  public:
    RaceDay(int read_before, int cards) {
        DemoOptions o;
        o.runners = kRunnerCapacity;
        o.seed = 11;
        o.finish_lines = read_before;
        o.card_readouts = read_before;
        o.still_out = cards;
        std::vector<CardReadout> out;
        make_demo_competition(*competition_, o, &out);
        cards_ = full_cards(out);
    }
    Competition& competition() { return *competition_; }
    const std::vector<CardReadout>& cards() const { return cards_; }
    sim::SimScript script() const { return sim::script_of_readouts(cards_); }

  private:
    std::unique_ptr<Competition> competition_ = std::make_unique<Competition>();
    std::vector<CardReadout> cards_;
};

// The station simulator on a pseudo-terminal, on a thread whose processor time is known.
class SimulatorThread {
  public:
    SimulatorThread(sim::SimScript script, sim::SimOptions options)
        : station(std::move(script), options), device(station.open_pty()) {
        if (device.empty()) return;
        thread_ = std::thread([this] { station.run(); });
        pthread_getcpuclockid(thread_.native_handle(), &clock_);
    }
    ~SimulatorThread() {
        station.stop();
        if (thread_.joinable()) thread_.join();
    }
    double cpu_seconds() const { return thread_.joinable() ? clock_seconds(clock_) : 0; }

    sim::StationSimulator station;
    std::string device;

  private:
    std::thread thread_;
    clockid_t clock_{};
};

}  // namespace skarvel::bench
