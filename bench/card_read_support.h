// Pieces the card-reading benchmarks share: a station simulator on a pseudo-terminal, a
// competition whose runners own the simulated cards, the settings the desktop program reads
// cards with, and the reading thread's processor time.
#pragma once

#include <time.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <utility>

#include "core/competition.h"
#include "punch/punch_settings.h"
#include "punch/station_reader.h"
#include "tools/station_sim/station_sim.h"

namespace skarvel::bench {

inline double thread_cpu_seconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

// The station simulator on a pseudo-terminal of its own (`device`, empty when none could be
// opened), sending on a thread until the object goes.
class StationOnPty {
  public:
    StationOnPty(sim::SimScript script, sim::SimOptions options)
        : station(std::move(script), options),
          device(station.open_pty()),
          thread_([this] { station.run(); }) {}
    ~StationOnPty() {
        station.stop();
        thread_.join();
    }
    StationOnPty(const StationOnPty&) = delete;
    StationOnPty& operator=(const StationOnPty&) = delete;

    std::uint64_t line_bytes() const { return station.bytes_sent() + station.bytes_received(); }

    sim::StationSimulator station;
    const std::string device;

  private:
    std::thread thread_;
};

// One course of the controls 31..50, one class on it, and `cards` runners numbered from 1 who
// own the cards `first_card`, `first_card` + 1, ...
inline void fill_card_owners(Competition& c, int cards, std::int32_t first_card) {
    Course& k = *c.tables.courses[c.new_record(kCourses)];
    k.id = 1;
    for (int i = 0; i < 20; ++i) k.control_codes[i] = static_cast<std::uint8_t>(31 + i);
    ClassRecord& g = *c.tables.classes[c.new_record(kClasses)];
    g.id = 1;
    g.course_id = 1;
    for (int i = 0; i < cards; ++i) {
        Runner& r = *c.tables.runners[c.new_record(kRunners)];
        r.id = i + 1;
        r.start_number = static_cast<std::uint16_t>(i + 1);
        r.card_number = first_card + i;
        r.class_id = 1;
    }
    c.rebuild_number_index();
}

// A fast station, course check, start and finish from the card.
inline PunchSettings card_read_settings() {
    PunchSettings s;
    s.fast_station = 1;
    s.check_mode = kCheckCourse;
    s.start_source = kSourceStation;
    s.finish_source = kSourceStation;
    return s;
}

struct ReadTimes {
    double cpu_seconds = 0, wall_seconds = 0;
};

// Runs the card reader to its end; the reading thread's processor time and the wall time.
inline ReadTimes timed_card_reader(StationLink& link, const ReadOptions& options,
                                   const CardReaderHooks& hooks) {
    const double cpu0 = thread_cpu_seconds();
    const auto t0 = std::chrono::steady_clock::now();
    run_card_reader(link, options, hooks);
    const auto t1 = std::chrono::steady_clock::now();
    return {thread_cpu_seconds() - cpu0, std::chrono::duration<double>(t1 - t0).count()};
}

}  // namespace skarvel::bench
