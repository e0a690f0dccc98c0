#include "results/multiday.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "fixture.h"

namespace skarvel {
namespace {

using test::T;

struct DayFixture : test::Fixture {
    DayFixture() {
        add_class(1, "М21");
        add_runner(7, "Иванов", 1, 0, T(10, 0, 0), T(10, 41, 5, 30));  // 41:05.30
        add_runner(3, "Петров", 1, 0, T(10, 0, 0), T(11, 0, 0), 8);    // did not start
        add_runner(5, "Сидоров", 1, 0, T(10, 0, 0), T(11, 0, 0), 2);   // removed
        add_runner(9, "Козлов", 1, 0, T(10, 0, 0)).result = 12345;     // stale, no finish line
        add_runner(0, "Без номера", 1, 0, T(10, 0, 0));
        add_runner(4, "Орлов", 1, 0, T(10, 0, 0), T(12, 5, 0, 1));
        c.rebuild_number_index();
    }
};

TEST(MultiDay, DayValueText) {
    const std::pair<std::int32_t, const char*> cases[] = {
        {T(0, 41, 5, 30), "00:41:05,30"},
        {kDayNoResult, "25:00:00,00"},
        {kDayRemoved, "24:00:00,00"},
        {T(2, 5, 0, 1), "02:05:00,01"},
        {0, "00:00:00,00"},
        {-5, "00:00:00,00"},
    };
    for (auto [v, text] : cases) EXPECT_EQ(day_value_text(v), text) << v;
}

TEST(MultiDay, DayFileIsByteExact) {
    DayFixture f;
    EXPECT_EQ(day_file_text(f.c),
              "7 00:41:05,30\r\n3 25:00:00,00\r\n5 24:00:00,00\r\n9 25:00:00,00\r\n"
              "4 02:05:00,01\r\n");
}

TEST(MultiDay, ReadingADayFile) {
    DayFixture f;
    for (int i = 0; i < f.c.tables.runners.used_end(); ++i)
        f.c.tables.runners[i]->day_results[1] = 111;
    std::vector<DayFileLine> lines;
    // Number 9 is missing, 12 belongs to nobody, the last line for 4 wins, the time is lenient.
    ASSERT_TRUE(
        parse_day_file("7 00:41:05,30\r\n3 25:00:00,00\r\n\r\n12 00:10:00,00\n"
                       "4 01:00:00,00\r\n  4\t02:05:00,01 tail\r\n5 24:00:00,00x",
                       lines));
    EXPECT_EQ(apply_day_file(f.c, 1, lines), 5);
    const std::int32_t want[] = {T(0, 41, 5, 30), kDayNoResult, kDayRemoved,
                                 kDayNoResult,    111,          T(2, 5, 0, 1)};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(f.c.tables.runners[i]->day_results[1], want[i]) << i;
    EXPECT_EQ(f.c.tables.runners[0]->day_results[0], 0);  // other days untouched
}

TEST(MultiDay, RefusedFilesChangeNothing) {
    const std::string long_line = "1 " + std::string(98, '0');
    const std::string cases[] = {
        "7 00:41:05,30\r\nabc 00:10:00,00\r\n",  // no number
        "7\r\n",                                 // no word
        "7 00:41:05,30\r\n" + long_line + "\r\n",
        std::string("7 00:41:05,30\r\n8 00:0\0:00,00\r\n", 30),
        "1234567890 00:10:00,00\r\n",  // a number no table can hold
        std::string(kMaxDayFileBytes + 1, ' '),
    };
    const auto dir = std::filesystem::path(::testing::TempDir()) / "multiday_refused";
    std::filesystem::create_directories(dir);
    for (const std::string& text : cases) {
        std::vector<DayFileLine> lines;
        EXPECT_FALSE(parse_day_file(text, lines)) << text.substr(0, 40);
        DayFixture f;
        const auto path = (dir / "day.txt").string();
        std::ofstream(path, std::ios::binary) << text;
        std::string why;
        EXPECT_FALSE(read_day_file(f.c, 0, path, &why));
        EXPECT_EQ(why, cannot_read_message());
        EXPECT_EQ(f.c.tables.runners[0]->day_results[0], 0);
    }
    std::vector<DayFileLine> lines;
    EXPECT_TRUE(parse_day_file("1 " + std::string(97, '0') + "\r\n", lines));  // 99 characters
}

TEST(MultiDay, SavedDayReadsBackIntoAnotherDay) {
    DayFixture day1;
    const auto dir = std::filesystem::path(::testing::TempDir()) / "multiday_round";
    std::filesystem::create_directories(dir);
    const auto path = (dir / "day1.txt").string();
    std::ofstream(path, std::ios::binary) << day_file_text(day1.c);
    DayFixture day2;
    int set = 0;
    std::string why;
    ASSERT_TRUE(read_day_file(day2.c, 0, path, &why, &set));
    EXPECT_EQ(set, 5);
    for (int i = 0; i < day1.c.tables.runners.used_end(); ++i) {
        const Runner& r = *day2.c.tables.runners[i];
        EXPECT_EQ(r.day_results[0], r.start_number ? day_value(*day1.c.tables.runners[i]) : 0);
    }
    ScriptedPrompts prompts;  // cancelled open dialog: nothing read, nothing said
    EXPECT_FALSE(read_day_file(day2.c, 0, prompts));
    EXPECT_TRUE(prompts.messages.empty());
}

}  // namespace
}  // namespace skarvel
