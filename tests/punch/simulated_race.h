// A race the station simulator reads, for the tests that drive the desktop program with
// simulated cards: the competition, the simulator's script of its cards, and a simulator on a
// pseudo-terminal running on a thread of its own for as long as the object lives.
#pragma once

#include <string>
#include <thread>

#include "core/competition.h"
#include "punch/punch_settings.h"
#include "tools/station_sim/station_sim.h"

namespace skarvel::testing {

// The card of runner i (0-based).
inline std::int32_t race_card(std::int32_t first_card, int i) {
    return first_card + i;
}

// A course 31-32, one class, `runners` runners numbered 1.. with cards first_card..; times
// from the station.
inline void simulated_race(Competition& c, int runners, std::int32_t first_card) {
    Course& k = *c.tables.courses[c.new_record(kCourses)];
    k.id = 1;
    k.control_codes[0] = 31;
    k.control_codes[1] = 32;
    ClassRecord& g = *c.tables.classes[c.new_record(kClasses)];
    g.id = 1;
    g.course_id = 1;
    for (int i = 0; i < runners; ++i) {
        Runner& r = *c.tables.runners[c.new_record(kRunners)];
        r.id = i + 1;
        r.start_number = static_cast<std::uint16_t>(i + 1);
        r.card_number = race_card(first_card, i);
        r.class_id = 1;
    }
    c.rebuild_number_index();
    c.info.check_mode = kCheckCourse;
    c.info.finish_source = kSourceStation;
    c.info.start_source = kSourceStation;
}

// The simulator's script: each runner's card, started 10:00, finished 10:30 + i minutes.
inline std::string simulated_cards(int runners, std::int32_t first_card) {
    std::string script;
    for (int i = 0; i < runners; ++i)
        script += "card type=6 number=" + std::to_string(race_card(first_card, i)) +
                  " start=10:00:00 finish=10:" + std::to_string(30 + i) +
                  ":00 punches=31@10:01:00,32@10:02:00\n";
    return script;
}

// The simulator on a new pseudo-terminal (`device`, empty when none could be opened), running
// until the object ends.
struct SimulatorOnPty {
    SimulatorOnPty(const std::string& script, sim::SimOptions options)
        : station(parse(script), options), device(station.open_pty()) {
        if (!device.empty()) thread = std::thread([this] { station.run(); });
    }
    ~SimulatorOnPty() {
        station.stop();
        if (thread.joinable()) thread.join();
    }
    static sim::SimScript parse(const std::string& script) {
        sim::SimScript parsed;
        sim::parse_script(script, parsed, nullptr);
        return parsed;
    }

    sim::StationSimulator station;
    std::string device;
    std::thread thread;
};

}  // namespace skarvel::testing
