// Arbitrary bytes from a station, through every read of the link and on into the readout
// processing: nothing may crash, hang or read outside a record. Shared by the libFuzzer target
// and a unit test that feeds it pseudo-random lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/competition.h"
#include "punch/readout.h"
#include "punch/station_link.h"
#include "tests/punch/fake_serial_port.h"

namespace skarvel::test {

// A competition with one course and class for the fuzzed cards to be checked against.
inline std::unique_ptr<Competition> fuzz_competition() {
    auto comp = std::make_unique<Competition>();
    Course& k = *comp->tables.courses[comp->new_record(kCourses)];
    k.id = 1;
    k.control_codes[0] = 31;
    k.control_codes[1] = 32;
    k.control_count = 2;
    k.time_limit_min = 1;
    ClassRecord& g = *comp->tables.classes[comp->new_record(kClasses)];
    g.id = 1;
    g.course_id = 1;
    return comp;
}

// Feeds one input; `comp` may be reused between inputs (it is emptied when it grows).
inline void fuzz_station_input(Competition& comp, const std::uint8_t* data, std::size_t size) {
    if (size < 2) return;
    // The first byte picks the settings, the rest is the line.
    std::uint8_t knobs = data[0];
    FakeSerialPort port;
    for (std::size_t i = 1; i < size; ++i) port.input.push_back(data[i]);
    StationLink link(port, StationLinkTiming{1, 10, 0, 0});

    Competition* c = &comp;
    PunchSettings s;
    s.check_mode = knobs % 7;
    s.multi_day = (knobs >> 3) & 1;
    s.append_on_reread = (knobs >> 4) & 1;
    s.labyrinth_mode = (knobs >> 5) & 1;
    s.limit_disqualify = (knobs >> 6) & 1;
    s.penalty_per_miss = knobs >> 7;
    s.start_source = knobs % 3;
    s.finish_source = (knobs >> 1) % 3;
    s.competition_start = 9 * 360000;

    CardReadout card;
    ReadoutState state;
    ScriptedPrompts prompts;
    for (int round = 0; round < 4 && !port.input.empty(); ++round) {
        int type = link.detect_card();
        bool ok = false;
        if (type == 5)
            ok = link.read_card_type5(card, s.competition_start);
        else if (type == 6 || type == 10)
            ok = link.read_card_blocks(card, type, s.multi_day);
        else
            ok = link.read_card_type5(card, s.competition_start) ||
                 link.read_card_blocks(card, 6 + 4 * (knobs & 1), s.multi_day);
        if (ok) {
            if (card.card_number % 3 == 0 && !runner_by_card(*c, card.card_number)) {
                int slot = c->new_record(kRunners);
                if (slot != kNoSlot) {
                    Runner& r = *c->tables.runners[slot];
                    r.card_number = card.card_number;
                    r.start_number = static_cast<std::uint16_t>(1 + slot % 29998);
                    r.class_id = 1;
                    c->rebuild_number_index();
                }
            }
            process_card(*c, card, s, state, prompts, {});
        }
        std::int32_t number = 0, time = 0;
        if (link.query_memory_count(knobs & 3) > 0 &&
            link.read_memory_record(knobs, number, time) > 0 && time < 8640000)
            store_memory_record(*c, number, time, prompts);
    }
    if (c->tables.card_readouts.live_count() > 200 || c->tables.runners.live_count() > 200) {
        c->tables.card_readouts.clear();
        c->tables.finish_lines.clear();
        c->tables.runners.clear();
        c->rebuild_number_index();
        c->count_finish_lines();
    }
}

}  // namespace skarvel::test
