// The places the finish table shows, written by finish_data_changed: by result within the class
// and number of finish lines, by the finish clock on a relay leg and in a handicap start; a
// finish before the start is never better than a time.
#include "core/finish_results.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/time_text.h"

namespace skarvel {
namespace {

constexpr std::int32_t T(int h, int m) {
    return h * kCentisPerHour + m * kCentisPerMinute;
}

struct Entry {
    int number, class_id;
    std::int32_t start;
    std::vector<std::int32_t> finishes;  // one finish line each
    int status = 0;
    bool out_of_competition = false;
    int place;  // expected
};

struct Case {
    const char* name;
    bool relay;
    int kind;
    std::vector<Entry> runners;
};

const Case kCases[] = {
    {"individual",
     false,
     kKindCourseOrder,
     {
         {1, 1, T(10, 0), {T(10, 30)}, 0, false, 2},
         {2, 1, T(10, 5), {T(10, 30)}, 0, false, 1},  // 25:00
         {3, 1, T(10, 0), {T(10, 30)}, 0, false, 2},  // tie with 1
         {4, 1, T(10, 0), {T(10, 20)}, 0, true, 1},   // out of competition: not counted
         {5, 1, T(10, 0), {T(10, 10)}, 1, false, 4},  // status: not counted, own place unused
         {6, 1, T(10, 0), {T(10, 40), T(10, 50)}, 0, false, 1},  // two laps: its own group
         {7, 2, T(10, 0), {T(10, 45)}, 0, false, 1},             // another class
         {8, 1, T(10, 0), {0}, 0, false, 0},                     // no time yet
         {9, 1, T(10, 0), {}, 0, false, 0},                      // no line
     }},
    {"relay legs rank by the clock",
     true,
     kKindCourseOrder,
     {
         {105, 1, T(10, 0), {T(10, 20)}, 0, false, 2},
         {106, 1, T(10, 0), {T(10, 10)}, 0, false, 1},
         {205, 1, T(10, 20), {T(10, 50)}, 0, false, 2},  // 30:00 on leg 2
         {206, 1, T(10, 30), {T(10, 45)}, 0, false, 1},  // 15:00
         {207, 1, T(10, 5), {T(10, 55)}, 0, false, 3},
     }},
    {"handicap ranks by the clock",
     false,
     kKindHandicap,
     {
         {1, 1, T(10, 0), {T(10, 50)}, 0, false, 2},
         {2, 1, T(10, 15), {T(10, 55)}, 0, false, 3},
         {3, 1, T(10, 5), {T(10, 48)}, 0, false, 1},
     }},
    {"a finish before the start ranks nowhere",
     false,
     kKindCourseOrder,
     {
         {1, 1, T(10, 10), {T(10, 5)}, 0, false, 0},
         {2, 1, T(10, 0), {T(10, 30)}, 0, false, 1},
         {3, 1, T(10, 0), {T(10, 40)}, 0, false, 2},
     }},
};

class FinishPlaces : public ::testing::TestWithParam<Case> {};

TEST_P(FinishPlaces, AsTheFinishTableShowsThem) {
    const Case& k = GetParam();
    Competition c;
    c.info.relay = k.relay ? 1 : 0;
    c.info.competition_kind = static_cast<std::uint8_t>(k.kind);
    for (const Entry& e : k.runners) {
        Runner& r = *c.tables.runners[c.new_record(kRunners)];
        r.start_number = static_cast<std::uint16_t>(e.number);
        r.class_id = static_cast<std::int16_t>(e.class_id);
        r.start_time = e.start;
        r.status = static_cast<std::uint8_t>(e.status);
        r.out_of_competition = e.out_of_competition ? 1 : 0;
        r.place = 999;  // whatever was saved before
        for (std::int32_t f : e.finishes) {
            FinishLine& line = *c.tables.finish_lines[c.new_record(kFinishLines)];
            line.start_number = static_cast<std::int16_t>(e.number);
            line.set_time(f);
        }
    }
    finish_data_changed(c);
    std::vector<const Runner*> asked{nullptr};
    for (const Entry& e : k.runners) {
        const Runner& r = *c.runner_by_number(e.number);
        EXPECT_EQ(r.place, e.place) << "runner " << e.number;
        // The single-runner count agrees with the list.
        EXPECT_EQ(finish_place_of(c, r), e.place) << "runner " << e.number;
        asked.push_back(&r);
    }
    // And so does the count of several runners in one walk.
    std::vector<int> places = finish_places_of(c, asked);
    ASSERT_EQ(places.size(), asked.size());
    EXPECT_EQ(places[0], 0);
    for (std::size_t i = 1; i < asked.size(); ++i)
        EXPECT_EQ(places[i], k.runners[i - 1].place) << "runner " << k.runners[i - 1].number;
}

INSTANTIATE_TEST_SUITE_P(Kinds, FinishPlaces, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             std::string name = info.param.name;
                             for (char& ch : name)
                                 if (ch == ' ') ch = '_';
                             return name;
                         });

}  // namespace
}  // namespace skarvel
