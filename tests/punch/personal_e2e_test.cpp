// Card personalisation end to end: the station simulator on a pseudo-terminal holds the card
// words; the write is checked by reading back, and a personalised card registers a runner
// through skarvel-cli.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/cp1251.h"
#include "core/wdb_file.h"
#include "platform/qt/qt_serial_port.h"
#include "punch/personal_data.h"
#include "tests/punch/simulated_race.h"

namespace skarvel {
namespace {

using namespace skarvel::literals;

// The station with short resends and gaps, on a pseudo-terminal.
struct PersonalSim : skarvel::testing::SimulatorOnPty {
    explicit PersonalSim(const std::string& script) : SimulatorOnPty(script, {150, 5, 0}) {
        EXPECT_FALSE(device.empty());
    }
    const std::string& path() const { return device; }
    sim::StationSimulator& sim() { return station; }
};

TEST(PersonalE2e, TheWriteIsCheckedByReadingBack) {
    using Kind = PersonaliseResult::Kind;
    struct Row {
        const char* script;
        std::int32_t number;
        Kind kind;
        int word;
    } rows[] = {
        {"card type=6 number=2000123\n", 2000123, Kind::kDone, 0},
        {"card type=10 number=6000123\n", 6000123, Kind::kDone, 0},
        {"", 0, Kind::kNoCard, 0},
        {"card type=6 number=2000124 fault=badwrite\n", 2000124, Kind::kWordDiffers, 8},
    };
    const PersonalDataBlock block = build_personal_block(PersonalForm{});
    for (const Row& r : rows) {
        PersonalSim station(r.script);
        auto port = open_serial_port(station.path(), 4800);
        ASSERT_TRUE(port) << r.script;
        StationLinkTiming timing;
        timing.byte_timeout_ms = kPersonaliseByteTimeoutMs;
        StationLink link(*port, timing);
        PersonaliseResult got = write_personal_data(link, block, {5, 3});
        EXPECT_EQ(got.kind, r.kind) << r.script;
        EXPECT_EQ(got.word, r.word) << r.script;
        if (r.kind == Kind::kDone) {
            sim::SimWords held = station.sim().card_words(r.number);
            EXPECT_TRUE(std::equal(block.begin(), block.end(), held.begin())) << r.script;
        }
    }
}

// personalise, then register: the card taken out and put in again makes the runner.
TEST(PersonalE2e, PersonaliseThenRegisterThroughTheCli) {
    auto dir = std::filesystem::temp_directory_path() / "skarvel_personal_round_trip";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    auto form = dir / "form.json";
    {
        std::ofstream out(form);
        out << R"({"russian_surname": "Петрова", "russian_first_name": "Анна", "club": "Лидер",
                   "latin_surname": "Petrova", "latin_first_name": "Anna", "sex": "F",
                   "date_of_birth": {"day": 15, "month": 3, "year": 85}})";
    }
    std::string file = (dir / "race.wdb").string();
    {
        Competition c;
        ASSERT_TRUE(save_wdb(c, file));
    }
    PersonalSim station(
        "card type=6 number=2000555\n"
        "card type=6 number=2000555\n");
    auto run = [&](const std::string& args) {
        std::string cmd = std::string(SKARVEL_CLI) + " " + args + " 2>>" +
                          (dir / "err.txt").string() + " >>" + (dir / "out.txt").string();
        return std::system(cmd.c_str());
    };
    ASSERT_EQ(run("personalise --port " + station.path() + " --form " + form.string()), 0);
    ASSERT_EQ(run("register " + file + " --port " + station.path() + " --number 42"), 0);

    Competition back;
    ScriptedPrompts p;
    ASSERT_TRUE(load_wdb(back, file, p).ok());
    const Runner* r = back.runner_by_number(42);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(field_text(r->name), std::string("Петрова Анна"_cp1251));
    EXPECT_EQ(r->birth_year, 1985);
    EXPECT_EQ(r->card_number, 2000555);
    const Club* club = back.find_club_by_id(r->club_id);
    ASSERT_NE(club, nullptr);
    EXPECT_EQ(field_text(club->name), std::string("Лидер"_cp1251));

    // A station in the extended protocol has no card writes: both are refused, naming the
    // setting, and the card is left as it is.
    PersonalSim extended("station protocol=extended\ncard family=6 number=612345\n");
    EXPECT_NE(run("personalise --port " + extended.path() + " --form " + form.string()), 0);
    EXPECT_NE(run("register " + file + " --port " + extended.path() + " --number 43"), 0);
    EXPECT_EQ(extended.sim().words_written(), 0);
    std::ifstream err_in(dir / "err.txt");
    std::string err((std::istreambuf_iterator<char>(err_in)), std::istreambuf_iterator<char>());
    for (const char* what : {"Personalisation", "Registration from cards"})
        EXPECT_NE(
            err.find(std::string(what) +
                     ": the station speaks the extended protocol, and this works only in "
                     "the basic one. Switch the station's setting \"Protocol\" to \"basic\"."),
            std::string::npos)
            << err;

    // Bad forms are refused before the port is opened.
    std::ofstream(dir / "bad.json") << R"({"sex": "X"})";
    EXPECT_NE(run("personalise --port /dev/null --form " + (dir / "bad.json").string()), 0);
}

}  // namespace
}  // namespace skarvel
