// End to end: the modem simulator on a pseudo-terminal, the real serial port and the radio
// reader on the other side; records become finish lines and readouts, messages are deleted.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "core/time_text.h"
#include "core/wdb_file.h"
#include "platform/qt/qt_serial_port.h"
#include "punch/radio_reader.h"
#include "tests/punch/punch_fixture.h"
#include "tools/modem_sim/modem_sim.h"

namespace skarvel {
namespace {

using test::hms;

// The phone's own message comes first: it stays, and the radio messages after it are read.
constexpr const char* kScript =
    "text Your balance is low\n"
    "message 1000000:31@10:00:00 1000001:31@10:00:07\n"
    "message 4242:32@-\n";

class ModemRun {
  public:
    explicit ModemRun(const std::string& text) {
        sim::ModemScript script;
        std::string error;
        EXPECT_TRUE(sim::parse_modem_script(text, script, &error)) << error;
        sim_ = std::make_unique<sim::ModemSimulator>(std::move(script), sim::ModemOptions{});
        path = sim_->open_pty();
        EXPECT_FALSE(path.empty());
        thread_ = std::thread([this] { sim_->run(); });
    }
    ~ModemRun() {
        sim_->stop();
        thread_.join();
    }
    // Waits (generously) until the modem has deleted `n` messages.
    std::vector<int> deleted_after(std::size_t n) {
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (sim_->deleted().size() < n && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return sim_->deleted();
    }
    int held() const { return sim_->held(); }
    std::string path;

  private:
    std::unique_ptr<sim::ModemSimulator> sim_;
    std::thread thread_;
};

TEST(RadioE2e, ReaderTakesEveryRecordAndDeletesTheMessages) {
    ModemRun modem(kScript);
    test::PunchFixture f;
    f.c.info.competition_start = hms(9, 0, 0);
    f.runner(1, 21, 1000000, 0);
    auto port = open_serial_port(modem.path, kModemBaud);
    ASSERT_TRUE(port);
    StationLink link(*port, {40, 10, 1, 5});
    ScriptedPrompts prompts;
    RadioReaderStats stats;
    int taken = run_radio_reader(
        link,
        [&](const RadioMessage& m) {
            for (const RadioRecord& r : m.records) store_radio_record(f.c, r, prompts);
            return stats.messages < 2;
        },
        {5, 20}, &stats);
    EXPECT_EQ(taken, 2);
    EXPECT_EQ(stats.foreign_kept, 1);
    EXPECT_EQ(modem.deleted_after(2), (std::vector<int>{2, 3}));
    EXPECT_EQ(modem.held(), 1);

    struct Line {
        int start_number;
        std::int32_t time;
        std::uint32_t control;
        std::int32_t card;
    } expected[] = {
        {21, hms(10, 0, 0), 31, 1000000}, {0, hms(10, 0, 7), 31, 1000001}, {0, kDay - 1, 32, 4242}};
    ASSERT_EQ(f.c.tables.finish_lines.live_count(), 3);
    ASSERT_EQ(f.c.tables.card_readouts.live_count(), 3);
    for (int i = 0; i < 3; ++i) {
        const FinishLine& line = *f.c.tables.finish_lines[i];
        EXPECT_EQ(line.start_number, expected[i].start_number) << i;
        EXPECT_EQ(line.time(), expected[i].time) << i;
        EXPECT_EQ(line.time_word >> 24, expected[i].control) << i;
        EXPECT_EQ(f.c.tables.card_readouts[i]->card_number, expected[i].card) << i;
        EXPECT_EQ(f.c.tables.card_readouts[i]->finish.time, expected[i].time) << i;
    }
    EXPECT_TRUE(prompts.messages.empty());
}

TEST(RadioE2e, CliReadsNMessagesAndSavesTheFile) {
    ModemRun modem(kScript);
    auto dir = std::filesystem::temp_directory_path() / "skarvel_cli_radio";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::string file = (dir / "race.wdb").string();
    {
        test::PunchFixture f;
        f.runner(1, 21, 1000000, 0);
        ASSERT_TRUE(save_wdb(f.c, file));
    }
    std::string cmd = std::string(SKARVEL_CLI) + " radio " + file + " --port " + modem.path +
                      " --messages 1 2>" + (dir / "err.txt").string();
    FILE* p = popen(cmd.c_str(), "r");
    ASSERT_TRUE(p);
    std::string out;
    char buf[256];
    while (std::fgets(buf, sizeof buf, p)) out += buf;
    EXPECT_EQ(pclose(p), 0);
    EXPECT_EQ(out,
              "1\tcontrol 31\tcard 1000000\tnumber 21\ttime 10:00:00,00\n"
              "2\tcontrol 31\tcard 1000001\tnumber 0\ttime 10:00:07,00\n");
    EXPECT_EQ(modem.deleted_after(1), std::vector<int>{2});
    Competition back;
    ScriptedPrompts prompts;
    ASSERT_TRUE(load_wdb(back, file, prompts).ok());
    EXPECT_EQ(back.tables.finish_lines.live_count(), 2);
    EXPECT_EQ(back.tables.card_readouts.live_count(), 2);
    std::filesystem::remove_all(dir);
}

TEST(RadioE2e, ModemScriptRejectsBadRecords) {
    for (const char* text : {"message 1000:31\n", "message 1000:300@10:00:00\n", "message\n",
                             "sms hello\n", "message 99999999:31@10:00:00\n"}) {
        sim::ModemScript script;
        EXPECT_FALSE(sim::parse_modem_script(text, script, nullptr)) << text;
    }
}

}  // namespace
}  // namespace skarvel

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
