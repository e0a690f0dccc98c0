// A multi-day event from the command line: three days, each its own competition file; every
// day's file written with day-save, the three read into the last day's competition with
// day-read, then both protocols with the handicap start file and the summary table.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/wdb_file.h"
#include "fixture.h"
#include "tests/tools/cli_run.h"

namespace skarvel {
namespace {

namespace fs = std::filesystem;
using skarvel::testing::cli;
using skarvel::testing::read_all;
using test::cp;
using test::T;

constexpr std::int32_t kDns = -1;  // did not start (status 8, no finish)

struct Entry {
    int number;
    const char* name;
    int class_id, club_id;
    std::int32_t day[3];  // the result of each day
};
// М21 (id 2) comes first in the class table. Totals: Вера 1:30:30, Анна 1:31:00; Глеб 1:58:00,
// Борис 1:59:00; Дима did not start on day 2.
const Entry kEntries[] = {
    {11, "Анна", 1, 1, {T(0, 30, 0), T(0, 32, 0), T(0, 29, 0)}},
    {12, "Вера", 1, 2, {T(0, 31, 0), T(0, 30, 0), T(0, 29, 30)}},
    {21, "Борис", 2, 1, {T(0, 40, 0), T(0, 41, 0), T(0, 38, 0)}},
    {22, "Глеб", 2, 2, {T(0, 35, 0), T(0, 44, 0), T(0, 39, 0)}},
    {23, "Дима", 2, 2, {T(0, 30, 0), kDns, T(0, 33, 0)}},
};

void write_day(int day, const std::string& path) {
    test::Fixture f;
    f.add_class(2, "М21");
    f.add_class(1, "Ж21");
    f.add_club(1, "СК Лес");
    f.add_club(2, "Гора");
    for (const Entry& e : kEntries) {
        const std::int32_t result = e.day[day];
        f.add_runner(e.number, e.name, e.class_id, e.club_id, T(10, 0, 0),
                     result == kDns ? 0 : T(10, 0, 0) + result, result == kDns ? 8 : 0);
    }
    ASSERT_TRUE(save_wdb(f.c, path));
}

// The line of `html` that holds the runner's name.
std::string line_of(const std::string& html, const char* name) {
    const std::size_t at = html.find(cp(name));
    if (at == std::string::npos) return {};
    const std::size_t begin = html.rfind("\r\n", at) + 2;
    return html.substr(begin, html.find("\r\n", at) - begin);
}

TEST(MultiDayCli, ThreeDaysIntoTheLastAndBothProtocols) {
    const fs::path dir = fs::path(::testing::TempDir()) / "multiday_cli";
    fs::remove_all(dir);
    fs::create_directories(dir);
    auto at = [&dir](const std::string& name) { return (dir / name).string(); };
    for (int d = 0; d < 3; ++d) {
        const std::string n = std::to_string(d + 1);
        write_day(d, at("day" + n + ".wdb"));
        ASSERT_EQ(cli("day-save " + at("day" + n + ".wdb") + " " + at("day" + n + ".txt")).code, 0);
    }
    EXPECT_EQ(read_all(at("day2.txt")),
              "11 00:32:00,00\r\n12 00:30:00,00\r\n21 00:41:00,00\r\n22 00:44:00,00\r\n"
              "23 25:00:00,00\r\n");

    // Refused: a damaged day file (the competition file stays byte for byte), days out of range.
    const std::string final_wdb = at("day3.wdb");
    const std::string before = read_all(final_wdb);
    std::ofstream(at("bad.txt"), std::ios::binary) << "11 00:10:00,00\r\nnot a line\r\n";
    const std::pair<std::string, int> refused[] = {
        {"day-read " + final_wdb + " --day 1 " + at("bad.txt"), 2},
        {"day-read " + final_wdb + " --day 0 " + at("day1.txt"), 1},
        {"day-read " + final_wdb + " --day 11 " + at("day1.txt"), 1},
        {"multiday " + final_wdb + " --days 1,11 --html " + at("x.htm"), 1},
    };
    for (const auto& [args, code] : refused) EXPECT_EQ(cli(args).code, code) << args;
    EXPECT_EQ(read_all(final_wdb), before);
    EXPECT_FALSE(fs::exists(at("x.htm")));

    for (int d = 1; d <= 3; ++d) {
        const std::string n = std::to_string(d);
        ASSERT_EQ(cli("day-read " + final_wdb + " --day " + n + " " + at("day" + n + ".txt")).code,
                  0);
    }
    Competition c;
    ScriptedPrompts prompts;
    ASSERT_TRUE(load_wdb(c, final_wdb, prompts).ok());
    for (int i = 0; i < 5; ++i)
        for (int d = 0; d < 3; ++d)
            EXPECT_EQ(c.tables.runners[i]->day_results[d],
                      kEntries[i].day[d] == kDns ? 9000000 : kEntries[i].day[d])
                << i << " day " << d + 1;

    // First form: classes by id, each ranked by its total; the handicap start from the gaps.
    ASSERT_EQ(cli("multiday " + final_wdb + " --days 1,2,3 --html " + at("m.htm") + " --handicap " +
                  at("h.txt"))
                  .code,
              0);
    const std::string html = read_all(at("m.htm"));
    const std::pair<const char*, std::string> first_form[] = {
        {"Вера", "   1 "}, {"Анна", "   2 "}, {"Глеб", "   1 "}, {"Борис", "   2 "}};
    for (const auto& [name, place] : first_form) EXPECT_EQ(line_of(html, name).substr(0, 5), place);
    EXPECT_TRUE(line_of(html, "Вера").ends_with("01:30:30        1"));
    EXPECT_TRUE(line_of(html, "Борис").ends_with("01:59:00        2"));
    EXPECT_TRUE(line_of(html, "Дима").ends_with(cp(" Н/СТАРТ    ") + "00:33:00    "));
    EXPECT_LT(html.find(cp("Ж21")), html.find(cp("М21")));
    EXPECT_EQ(read_all(at("h.txt")),
              "12 00:00:00\r\n11 00:00:30\r\n22 00:00:00\r\n21 00:01:00\r\n23 23:59:59.99\r\n");

    // Second form: classes in table order, each day's place in the class, the place sum.
    ASSERT_EQ(cli("multiday " + final_wdb + " --days 1,2,3 --places --html " + at("p.htm") +
                  " --handicap " + at("h2.txt"))
                  .code,
              0);
    const std::string places = read_all(at("p.htm"));
    EXPECT_TRUE(line_of(places, "Глеб")
                    .ends_with("00:35:00 (  2) 00:44:00 (  2) 00:39:00 (  3) 01:58:00 (7)"));
    EXPECT_TRUE(line_of(places, "Вера")
                    .ends_with("00:31:00 (  2) 00:30:00 (  1) 00:29:30 (  2) 01:30:30 (5)"));
    EXPECT_TRUE(line_of(places, "Дима").ends_with("00:33:00 (  1) "));
    EXPECT_GT(places.find(cp("Ж21")), places.find(cp("М21")));
    EXPECT_EQ(read_all(at("h2.txt")),
              "22 00:00:00\r\n21 00:01:00\r\n12 00:00:00\r\n11 00:00:30\r\n");

    // The summary table: clubs by class.
    ASSERT_EQ(cli("summary " + final_wdb + " --html " + at("s.htm")).code, 0);
    const std::string summary = read_all(at("s.htm"));
    for (const char* row : {
             "<tr><td><b>СК Лес</b></td><td><b>  2</b></td><td>1</td><td>1</td></tr>",
             "<tr><td><b>Гора</b></td><td><b>  3</b></td><td>2</td><td>1</td></tr>",
             "<tr><td><b>.</b></td><td>всего</td><td>3</td><td>2</td></tr>",
         })
        EXPECT_NE(summary.find(cp(row)), std::string::npos) << row;
}

}  // namespace
}  // namespace skarvel
