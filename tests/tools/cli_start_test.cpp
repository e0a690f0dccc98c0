// skarvel-cli draw, numbers, start-times and split-text, run as a script runs them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "core/competition.h"
#include "core/cp1251.h"
#include "core/rand15.h"
#include "core/time_text.h"
#include "core/wdb_file.h"
#include "punch/split_sheet.h"
#include "results/report_output.h"
#include "start/start_ops.h"
#include "tests/tools/cli_run.h"

using namespace skarvel;

namespace {

namespace fs = std::filesystem;
using skarvel::testing::cli;
using skarvel::testing::CliResult;
using skarvel::testing::read_all;

// Five runners of two clubs and a card readout of the first one, on a course with two controls.
void make_race(Competition& c) {
    Course& course = *c.tables.courses[c.new_record(kCourses)];
    course.id = 1;
    set_field_text(course.name, "D1");
    course.control_codes[0] = 31;
    course.control_codes[1] = 32;
    course.control_count = 2;
    ClassRecord& cls = *c.tables.classes[c.new_record(kClasses)];
    cls.id = 1;
    cls.course_id = 1;
    set_field_text(cls.name, utf8_to_cp1251("М21"));
    const char* names[] = {"Alpha", "Bravo", "Charlie", "Delta", "Echo"};
    for (int i = 0; i < 5; ++i) {
        Runner& r = *c.tables.runners[c.new_record(kRunners)];
        r.id = i + 1;
        set_field_text(r.name, names[i]);
        r.class_id = 1;
        r.club_id = static_cast<std::int16_t>(1 + i % 2);
        r.start_number = static_cast<std::uint16_t>(10 + i);
        r.card_number = 5000 + i;
    }
    c.tables.runners[0]->start_time = parse_time_text("10:00:00");
    CardReadout& card = *c.tables.card_readouts[c.new_record(kCardReadouts)];
    card.card_number = 5000;
    card.finish.time = parse_time_text("10:25:00");
    card.punches[0].code = 31;
    card.punches[0].time = parse_time_text("10:05:00");
    card.punches[1].code = 32;
    card.punches[1].time = parse_time_text("10:12:30");
    card.punch_count = 2;
}

std::vector<std::string> runner_names(const Competition& c) {
    std::vector<std::string> out;
    for (Runner* r : current_runners(c)) out.emplace_back(field_text(r->name));
    return out;
}

struct CliStart : ::testing::Test {
    fs::path dir;
    std::string wdb;
    void SetUp() override {
        dir = fs::temp_directory_path() / ("skarvel_cli_start_" + std::to_string(::getpid()));
        fs::create_directories(dir);
        wdb = (dir / "race.wdb").string();
        auto c = std::make_unique<Competition>();
        make_race(*c);
        ASSERT_TRUE(save_wdb(*c, wdb));
    }
    void TearDown() override { fs::remove_all(dir); }
    std::unique_ptr<Competition> load() {
        auto c = std::make_unique<Competition>();
        ScriptedPrompts p;
        EXPECT_TRUE(load_wdb(*c, wdb, p).ok());
        return c;
    }
};

TEST_F(CliStart, DrawStartsTheGeneratorFromItsStartState) {
    // The same draw in the library, from a fresh generator.
    auto expected = load();
    Rand15 fresh;
    ScriptedPrompts p;
    draw_start_order(*expected, {0, false, true}, fresh, p);

    CliResult r = cli("draw " + wdb + " --by-club");
    ASSERT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "5 runners drawn\n");
    auto got = load();
    EXPECT_EQ(runner_names(*got), runner_names(*expected));
    EXPECT_EQ(got->info.draw_by_club, 1);
    EXPECT_EQ(got->info.draw_by_heat, 0);
    // The first runner of the file got the generator's first value from state 1.
    Rand15 first;
    const int first_value = first.next();
    for (Runner* x : current_runners(*got)) {
        if (field_text(x->name) == "Alpha") {
            EXPECT_EQ(x->draw_key, first_value);
        }
    }
    // A second run starts from the same state again.
    ASSERT_EQ(cli("draw " + wdb + " --by-club").code, 0);
    draw_start_order(*expected, {0, false, true}, fresh = Rand15(), p);
    EXPECT_EQ(runner_names(*load()), runner_names(*expected));
}

TEST_F(CliStart, NumbersAsF4AndRefusalSavesNothing) {
    CliResult r = cli("numbers " + wdb + " --first 101 --step 2");
    ASSERT_EQ(r.code, 0);
    auto c = load();
    std::vector<int> numbers;
    for (Runner* x : current_runners(*c)) numbers.push_back(x->start_number);
    EXPECT_EQ(numbers, (std::vector<int>{101, 103, 105, 107, 109}));
    EXPECT_EQ(c->info.numbering_first, 111);

    const std::string before = read_all(wdb);
    EXPECT_EQ(cli("numbers " + wdb + " --first 29998 --step 1").code, 1);
    EXPECT_EQ(read_all(wdb), before);
}

TEST_F(CliStart, StartTimesInGroups) {
    ASSERT_EQ(cli("start-times " + wdb + " --first 10:00:00 --interval 00:01:00 --per 2").code, 0);
    auto c = load();
    std::vector<std::string> times;
    for (Runner* x : current_runners(*c)) times.push_back(format_time_text(x->start_time, 0));
    EXPECT_EQ(times, (std::vector<std::string>{"10:00:00", "10:00:00", "10:01:00", "10:01:00",
                                               "10:02:00"}));
}

TEST_F(CliStart, SplitTextIsTheFileVariantOfTheFirstReadout) {
    auto c = load();
    StringSink expected;
    ScriptedPrompts p;
    write_split_text(expected, *c, *c->tables.runners[0], *c->tables.card_readouts[0], p);
    ASSERT_FALSE(expected.text.empty());
    CliResult r = cli("split-text " + wdb + " --card 5000");
    ASSERT_EQ(r.code, 0);
    EXPECT_EQ(r.out, expected.text);
    EXPECT_NE(r.out.find(utf8_to_cp1251("Группа: М21\r\n")), std::string::npos);
    EXPECT_EQ(cli("split-text " + wdb + " --card 4242").code, 2);  // no such readout
}

TEST_F(CliStart, BadArgumentsAreUsageErrors) {
    const std::string before = read_all(wdb);
    for (const char* args : {"numbers {} --first 1", "numbers {} --first x --step 1",
                             "start-times {} --first 10:00:00", "start-times {} --per 0",
                             "draw {} --by-team", "split-text {}", "draw"}) {
        std::string a = args;
        if (auto at = a.find("{}"); at != std::string::npos) a.replace(at, 2, wdb);
        EXPECT_EQ(cli(a).code, 1) << a;
    }
    EXPECT_EQ(read_all(wdb), before);
}

}  // namespace
