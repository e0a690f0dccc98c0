// Small competitions built in code for tests.
#pragma once

#include <cstdlib>
#include <string_view>

#include "core/competition.h"
#include "core/cp1251.h"

namespace skarvel::testing {

inline Runner& add_runner(Competition& c, std::string_view name_cp1251, int number = 0,
                          int class_id = 0, int club_id = 0, int card = 0) {
    int slot = c.new_record(kRunners);
    if (slot == kNoSlot) std::abort();  // test tables never fill up
    Runner& r = *c.tables.runners[slot];
    set_field_text(r.name, name_cp1251);
    r.id = c.next_record_id(kRunners);
    r.start_number = static_cast<std::uint16_t>(number);
    r.class_id = static_cast<std::int16_t>(class_id);
    r.club_id = static_cast<std::int16_t>(club_id);
    r.card_number = card;
    return r;
}

inline ClassRecord& add_class(Competition& c, std::string_view name, int id, int course_id = 0) {
    int slot = c.new_record(kClasses);
    if (slot == kNoSlot) std::abort();  // test tables never fill up
    ClassRecord& k = *c.tables.classes[slot];
    k.id = id;
    set_field_text(k.name, name);
    k.course_id = static_cast<std::int16_t>(course_id);
    return k;
}

inline Club& add_club(Competition& c, std::string_view name, int id) {
    int slot = c.new_record(kClubs);
    if (slot == kNoSlot) std::abort();  // test tables never fill up
    Club& k = *c.tables.clubs[slot];
    k.id = id;
    set_field_text(k.name, name);
    return k;
}

inline Course& add_course(Competition& c, std::string_view name, int id) {
    int slot = c.new_record(kCourses);
    if (slot == kNoSlot) std::abort();  // test tables never fill up
    Course& k = *c.tables.courses[slot];
    k.id = id;
    set_field_text(k.name, name);
    return k;
}

inline FinishLine& add_line(Competition& c, int number, std::int32_t time) {
    int slot = c.new_record(kFinishLines);
    if (slot == kNoSlot) std::abort();  // test tables never fill up
    FinishLine& f = *c.tables.finish_lines[slot];
    f.start_number = static_cast<std::int16_t>(number);
    f.set_time(time);
    return f;
}

}  // namespace skarvel::testing
