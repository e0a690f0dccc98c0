// A small competition for the IOF XML tests, and the schema check of a written message.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/competition.h"
#include "core/cp1251.h"
#include "core/time_text.h"
#include "tests/exchange/iof_schema.h"

namespace skarvel::test {

inline std::int32_t hms(int h, int m, int s, int centis = 0) {
    return ((h * 60 + m) * 60 + s) * 100 + centis;
}

inline void add_club(Competition& c, int id, const char* utf8) {
    Club& k = *c.tables.clubs[c.new_record(kClubs)];
    k.id = id;
    set_field_text(k.name, utf8_to_cp1251(utf8));
}

inline void add_class(Competition& c, int id, const char* utf8, int course) {
    ClassRecord& k = *c.tables.classes[c.new_record(kClasses)];
    k.id = id;
    k.course_id = static_cast<std::int16_t>(course);
    set_field_text(k.name, utf8_to_cp1251(utf8));
}

inline void add_course(Competition& c, int id, const char* name, std::vector<int> codes,
                       int length = 0, int climb = 0) {
    Course& k = *c.tables.courses[c.new_record(kCourses)];
    k.id = id;
    set_field_text(k.name, name);
    for (std::size_t i = 0; i < codes.size(); ++i) {
        k.control_codes[i] = static_cast<std::uint8_t>(codes[i]);
        k.control_values[i] = static_cast<std::uint16_t>(100 * (i + 1));
    }
    k.control_count = static_cast<int>(codes.size());
    k.length_m = length;
    k.climb_m = climb;
}

struct RunnerSpec {
    const char* name;
    int class_id, club_id, number;
    std::int32_t start, finish;
    int card = 0, status = 0;
    bool out_of_competition = false;
};

inline Runner& add_runner(Competition& c, const RunnerSpec& s) {
    Runner& r = *c.tables.runners[c.new_record(kRunners)];
    r.id = c.tables.runners.occupied_count();
    set_field_text(r.name, utf8_to_cp1251(s.name));
    r.class_id = static_cast<std::int16_t>(s.class_id);
    r.club_id = static_cast<std::int16_t>(s.club_id);
    r.start_number = static_cast<std::uint16_t>(s.number);
    r.start_time = s.start;
    r.card_number = s.card;
    r.status = static_cast<std::uint8_t>(s.status);
    r.out_of_competition = s.out_of_competition;
    if (s.finish != 0) {
        FinishLine& f = *c.tables.finish_lines[c.new_record(kFinishLines)];
        f.start_number = static_cast<std::int16_t>(s.number);
        f.set_time(s.finish);
    }
    return r;
}

inline void add_readout(Competition& c, int card,
                        std::vector<std::pair<int, std::int32_t>> punches) {
    CardReadout& k = *c.tables.card_readouts[c.new_record(kCardReadouts)];
    k.card_number = card;
    k.punch_count = static_cast<int>(punches.size());
    for (std::size_t i = 0; i < punches.size(); ++i) {
        k.punches[i].code = static_cast<std::uint8_t>(punches[i].first);
        k.punches[i].time = punches[i].second;
    }
}

// One class with a tie, an out-of-competition runner, statuses, and card readouts with a
// missing control and an extra punch; a second class with a runner still out.
inline void make_race(Competition& c) {
    set_field_text(c.info.title_lines[0], utf8_to_cp1251("Кубок «Ёлки»"));
    set_field_text(c.info.date, "08.12.2026");
    add_club(c, 1, "Ёлка");
    add_club(c, 2, "Nord");
    add_course(c, 1, "A", {31, 32, 33}, 4200, 120);
    add_class(c, 1, "М21", 1);
    add_class(c, 2, "Ж21", 1);
    add_runner(c, {"Иванов Пётр", 1, 1, 1, hms(10, 0, 0), hms(10, 30, 0), 1001});
    add_runner(c, {"Petrov Ivan", 1, 2, 2, hms(10, 1, 0), hms(10, 31, 0), 1002});
    add_runner(c, {"Sidorov Oleg", 1, 2, 3, hms(10, 2, 0), hms(10, 40, 0), 1003});
    add_runner(c, {"Out Comp", 1, 0, 4, hms(10, 3, 0), hms(10, 20, 0), 0, 0, true});
    add_runner(c, {"Dns Runner", 1, 1, 5, hms(10, 4, 0), 0, 0, 8});
    add_runner(c, {"Mp Runner", 1, 2, 6, hms(10, 5, 0), hms(10, 35, 0), 1006, 1});
    add_runner(c, {"Smirnova Anna", 2, 1, 7, hms(10, 0, 0), 0, 1007});
    add_readout(c, 1001, {{31, hms(10, 10, 0)}, {32, hms(10, 20, 0)}, {33, hms(10, 25, 0)}});
    add_readout(c, 1003, {{31, hms(10, 12, 0)}, {99, hms(10, 15, 0)}, {33, hms(10, 30, 0)}});
    c.rebuild_number_index();
    c.recompute_finish_results();
    c.recount_tables();
}

// A temporary folder of one test, removed at the end.
class TempDir {
  public:
    TempDir() {
        path_ = std::filesystem::temp_directory_path() /
                ("skarvel-iof-" + std::to_string(::getpid()) + "-" + std::to_string(counter()++));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

  private:
    static int& counter() {
        static int n = 0;
        return n;
    }
    std::filesystem::path path_;
};

inline std::string read_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::string iof_dir() {
    return SKARVEL_IOF_DIR;
}

}  // namespace skarvel::test
