// A small competition for the punching tests: courses, classes and runners made in a line.
#pragma once

#include <initializer_list>
#include <memory>
#include <string>

#include "core/competition.h"
#include "core/records.h"

namespace skarvel::test {

constexpr std::int32_t hms(int h, int m, int s) {
    return ((h * 60 + m) * 60 + s) * 100;
}

struct PunchFixture {
    std::unique_ptr<Competition> owned = std::make_unique<Competition>();
    Competition& c = *owned;

    Course& course(int id, const std::string& name, std::initializer_list<int> controls,
                   int control_count = 0, int time_limit_min = 0) {
        Course& k = *c.tables.courses[c.new_record(kCourses)];
        k.id = id;
        set_field_text(k.name, name);
        int i = 0;
        for (int code : controls) k.control_codes[i++] = static_cast<std::uint8_t>(code);
        k.control_count = control_count;
        k.time_limit_min = time_limit_min;
        return k;
    }
    ClassRecord& group(int id, const std::string& name, int course_id) {
        ClassRecord& g = *c.tables.classes[c.new_record(kClasses)];
        g.id = id;
        set_field_text(g.name, name);
        g.course_id = static_cast<std::int16_t>(course_id);
        return g;
    }
    Runner& runner(int id, int number, int card, int class_id, const std::string& name = "Runner") {
        Runner& r = *c.tables.runners[c.new_record(kRunners)];
        r.id = id;
        r.start_number = static_cast<std::uint16_t>(number);
        r.card_number = card;
        r.class_id = static_cast<std::int16_t>(class_id);
        set_field_text(r.name, name);
        c.rebuild_number_index();
        return r;
    }
};

inline CardReadout card_with(std::int32_t number, std::initializer_list<int> codes,
                             std::int32_t first_time = hms(10, 0, 0)) {
    CardReadout card;
    card.card_number = number;
    int k = 0;
    for (int code : codes) {
        card.punches[k].code = static_cast<std::uint8_t>(code);
        card.punches[k].time = first_time + 6000 * (k + 1);
        ++k;
    }
    card.punch_count = k;
    card.start.time = first_time;
    card.finish.time = first_time + 6000 * (k + 2);
    return card;
}

}  // namespace skarvel::test
