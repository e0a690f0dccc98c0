// A small competition built record by record for the result tests. Names are given in UTF-8
// and stored in Windows-1251.
#pragma once

#include <initializer_list>
#include <string>
#include <utility>

#include "core/competition.h"
#include "core/cp1251.h"

namespace skarvel::test {

inline std::string cp(std::string_view utf8) {
    return utf8_to_cp1251(utf8);
}
inline std::string u8(std::string_view cp1251) {
    return cp1251_to_utf8(cp1251);
}

// h:m:s as centiseconds.
constexpr std::int32_t T(int h, int m, int s, int cs = 0) {
    return ((h * 60 + m) * 60 + s) * 100 + cs;
}

struct Fixture {
    Competition c;

    Fixture() { c.clear(); }

    ClassRecord& add_class(int id, std::string_view name, int course_id = 0) {
        int slot = c.new_record(kClasses);
        ClassRecord& k = *c.tables.classes[slot];
        k.id = id;
        set_field_text(k.name, cp(name));
        k.course_id = static_cast<std::int16_t>(course_id);
        k.set_ranks_allowed(true);
        return k;
    }
    Course& add_course(int id, std::string_view name, std::initializer_list<int> codes = {}) {
        int slot = c.new_record(kCourses);
        Course& k = *c.tables.courses[slot];
        k.id = id;
        set_field_text(k.name, cp(name));
        int i = 0;
        for (int code : codes) k.control_codes[i++] = static_cast<std::uint8_t>(code);
        k.control_count = i;
        k.time_limit_min = 120;
        k.finish_crossings = 1;
        return k;
    }
    Club& add_club(int id, std::string_view name) {
        int slot = c.new_record(kClubs);
        Club& k = *c.tables.clubs[slot];
        k.id = id;
        set_field_text(k.name, cp(name));
        return k;
    }
    // A runner with start time `start`; with `finish` not 0 a finish line is added too.
    Runner& add_runner(int number, std::string_view name, int class_id, int club_id,
                       std::int32_t start, std::int32_t finish = 0, int status = 0) {
        int slot = c.new_record(kRunners);
        Runner& r = *c.tables.runners[slot];
        r.id = slot + 1;
        r.start_number = static_cast<std::uint16_t>(number);
        set_field_text(r.name, cp(name));
        r.class_id = static_cast<std::int16_t>(class_id);
        r.club_id = static_cast<std::int16_t>(club_id);
        r.start_time = start;
        r.status = static_cast<std::uint8_t>(status);
        c.rebuild_number_index();
        if (finish != 0) add_finish(number, finish);
        return r;
    }
    void add_finish(int number, std::int32_t time) {
        int slot = c.new_record(kFinishLines);
        FinishLine& f = *c.tables.finish_lines[slot];
        f.start_number = static_cast<std::int16_t>(number);
        f.set_time(time);
    }
    CardReadout& add_card(int card_number,
                          std::initializer_list<std::pair<int, std::int32_t>> punches) {
        int slot = c.new_record(kCardReadouts);
        CardReadout& k = *c.tables.card_readouts[slot];
        k.card_number = card_number;
        int i = 0;
        for (auto [code, time] : punches) {
            k.punches[i].code = static_cast<std::uint8_t>(code);
            k.punches[i].time = time;
            ++i;
        }
        k.punch_count = i;
        return k;
    }
    void refresh() {
        c.recount_tables();
        c.recompute_finish_results();
        c.count_finish_lines();
    }
};

}  // namespace skarvel::test
