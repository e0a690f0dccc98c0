// End to end: the decoder simulator on a pseudo-terminal, the real serial port and the reader
// on the other side, each passing made into a finish line; and the programs themselves.
#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "core/cp1251.h"
#include "core/wdb_file.h"
#include "platform/qt/qt_serial_port.h"
#include "punch/transponders.h"
#include "punch/ui/transponder_reader_qt.h"
#include "tests/punch/punch_fixture.h"
#include "tools/decoder_sim/decoder_sim.h"

namespace skarvel {
namespace {

using test::hms;
using test::PunchFixture;

// Escaped tabs in every record, a record cut short, noise before a record, a bad time.
constexpr const char* kScript =
    "# four passings, two of them damaged\n"
    "passing code=AB-1234X time=36000.456\n"
    "passing code=CD-5678Y time=36010.120 fault=cut\n"
    "passing code=ZZ-9999Z time=36020.999 fault=garbage\n"
    "passing code=CD-5678Y time=36030.000 fault=badtime\n"
    "passing code=CD-5678Y time=36040.555\n";

std::filesystem::path test_dir() {
    auto dir = std::filesystem::temp_directory_path() /
               (std::string("skarvel_decoder_") +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

void two_runners(PunchFixture& f) {
    set_field_text(f.runner(1, 7, 0, 0).comment, "AB1234X");
    set_field_text(f.runner(2, 8, 0, 0).comment, "CD5678Y");
}

void expect_lines(const Competition& c, int precision_cut) {
    const auto& t = c.tables.finish_lines;
    ASSERT_EQ(t.live_count(), 3);
    EXPECT_EQ(t[0]->start_number, 7);
    EXPECT_EQ(t[0]->time(), 3600045 - 3600045 % precision_cut);
    EXPECT_EQ(t[1]->start_number, 0);
    EXPECT_EQ(t[1]->time(), 3602099 - 3602099 % precision_cut);
    EXPECT_EQ(t[2]->start_number, 8);
    EXPECT_EQ(t[2]->time(), 3604055 - 3604055 % precision_cut);
}

TEST(DecoderE2e, PassingsOverThePortBecomeFinishLines) {
    std::vector<sim::SimPassing> passings;
    std::string error;
    ASSERT_TRUE(sim::parse_decoder_script(kScript, passings, &error)) << error;
    sim::DecoderSimulator decoder(passings);
    const std::string device = decoder.open_pty();
    ASSERT_FALSE(device.empty());
    auto port = open_serial_port(device, kDecoderBaud);
    ASSERT_TRUE(port);
    port->discard_input();
    // The decoder talks once the reader listens.
    std::thread talk([&] { decoder.run(); });

    PunchFixture f;
    two_runners(f);
    f.c.info.time_precision = 2;
    StationLink link(*port, {40, 10, 1, 1});
    // A broken reader fails the test instead of hanging it.
    std::thread watchdog([&] {
        for (int i = 0; i < 3000 && !link.stop_requested(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        link.request_stop();
    });
    DecoderReaderStats stats;
    run_transponder_reader(
        link,
        [&](const DecoderPassing& p) {
            store_passing(f.c, p);
            return stats.passings < 3;
        },
        stats, 5);
    link.request_stop();
    watchdog.join();
    if (talk.joinable()) talk.join();
    EXPECT_EQ(stats.passings, 3);
    EXPECT_EQ(stats.dropped, 2);
    expect_lines(f.c, 1);
    EXPECT_EQ(f.c.runner_by_number(8)->finish_time, 3604055);
}

TEST(DecoderE2e, TheProgramsTogether) {
    const auto dir = test_dir();
    const std::string file = (dir / "race.wdb").string();
    {
        PunchFixture f;
        two_runners(f);
        f.c.info.time_precision = 0;
        ASSERT_TRUE(save_wdb(f.c, file));
        std::ofstream(dir / "script.txt") << kScript;
    }
    // The simulator waits for a line on its input, which comes once the reader listens.
    const std::string cmd =
        "cd " + dir.string() + " || exit 9; mkfifo go; exec 3<>go; " + SKARVEL_DECODER_SIM +
        " --wait --stay script.txt <go >sim.out 2>sim.err & sim=$!; n=0; "
        "while [ ! -s sim.out ] && [ $n -lt 600 ]; do sleep 0.1; n=$((n+1)); done; "
        "timeout 120 " +
        SKARVEL_CLI +
        " transponders race.wdb --port $(cat sim.out) "
        "--passings 3 >out.txt 2>err.txt & cli=$!; n=0; "
        "while ! grep -q 'reading passings' err.txt 2>/dev/null && [ $n -lt 600 ]; "
        "do sleep 0.1; n=$((n+1)); done; echo go >&3; wait $cli; rc=$?; kill $sim; wait $sim; "
        "exit $rc";
    const int status = std::system(cmd.c_str());
    auto slurp = [&](const char* name) {
        std::ifstream in(dir / name, std::ios::binary);
        std::stringstream t;
        t << in.rdbuf();
        return t.str();
    };
    ASSERT_EQ(status, 0) << slurp("err.txt") << slurp("sim.err");
    EXPECT_EQ(slurp("out.txt"),
              "1\tcode AB1234X\tnumber 7\tfinish 10:00:00\n"
              "2\tcode ZZ9999Z\tnumber 0\tfinish 10:00:20\n"
              "3\tcode CD5678Y\tnumber 8\tfinish 10:00:40\n");
    EXPECT_NE(slurp("err.txt").find("3 passing(s) read, 2 damaged record(s) dropped"),
              std::string::npos)
        << slurp("err.txt");
    Competition back;
    ScriptedPrompts p;
    ASSERT_TRUE(load_wdb(back, file, p).ok());
    expect_lines(back, 100);
}

TEST(DecoderE2e, TheThreeFileImportsOfTheCommandLineTool) {
    const auto dir = test_dir();
    const std::string file = (dir / "race.wdb").string();
    {
        PunchFixture f;
        f.runner(1, 7, 0, 0).start_time = hms(10, 0, 0);
        f.runner(2, 8, 0, 0);
        ASSERT_TRUE(save_wdb(f.c, file));
    }
    std::ofstream(dir / "codes.txt") << "7 AB1234X\n8 CD5678Y\n9 EF0000Z\n40000 GH1111A\n";
    std::ofstream(dir / "finish.txt") << "AB1234X 10:30:00,50\nZZ99999 10:31:00\n";
    std::ofstream(dir / "start.txt") << "CD5678Y 10:01:00\n";
    auto run = [&](const std::string& kind, const char* in) {
        const std::string cmd = std::string(SKARVEL_CLI) + " import " + kind + " " + file + " " +
                                (dir / in).string() + " >" + (dir / "out.txt").string();
        EXPECT_EQ(std::system(cmd.c_str()), 0) << kind;
        std::ifstream out(dir / "out.txt");
        std::stringstream t;
        t << out.rdbuf();
        return t.str();
    };
    EXPECT_NE(run("transponder-codes", "codes.txt").find("number 9: nobody holds it"),
              std::string::npos);
    EXPECT_NE(run("amb-finish", "finish.txt").find("code ZZ99999: nobody holds it"),
              std::string::npos);
    run("amb-start", "start.txt");
    EXPECT_NE(std::system((std::string(SKARVEL_CLI) + " import amb-start " + file + " " +
                           (dir / "none.txt").string() + " 2>/dev/null")
                              .c_str()),
              0);

    Competition back;
    ScriptedPrompts p;
    ASSERT_TRUE(load_wdb(back, file, p).ok());
    EXPECT_EQ(field_text(back.runner_by_number(7)->comment), "AB1234X");
    EXPECT_EQ(field_text(back.runner_by_number(8)->comment), "CD5678Y");
    EXPECT_EQ(back.runner_by_number(8)->start_time, hms(10, 1, 0));
    ASSERT_EQ(back.tables.finish_lines.live_count(), 2);
    EXPECT_EQ(back.tables.finish_lines[0]->start_number, 7);
    EXPECT_EQ(back.tables.finish_lines[0]->time(), hms(10, 30, 0) + 50);
    EXPECT_EQ(back.runner_by_number(7)->finish_time, hms(10, 30, 0) + 50);
}

// Waits for a condition while this thread's events run (generous limit: a busy machine).
bool wait_for(const std::function<bool()>& done) {
    for (int i = 0; i < 3000 && !done(); ++i) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done();
}

TEST(DecoderE2e, TheWindowWritesThePassingsWhenNoDialogIsOpenOrBeforeAChange) {
    std::vector<sim::SimPassing> passings;
    ASSERT_TRUE(sim::parse_decoder_script(kScript, passings, nullptr));
    sim::DecoderSimulator decoder(passings);
    const std::string device = decoder.open_pty();
    ASSERT_FALSE(device.empty());
    std::thread talk;

    PunchFixture f;
    two_runners(f);
    f.c.info.time_precision = 2;
    ScriptedPrompts prompts;
    bool dialog_open = true;
    int batches = 0;
    TransponderReaderQt::Environment env;
    env.competition = [&]() -> Competition& { return f.c; };
    env.prompts = [&]() -> Prompts& { return prompts; };
    env.device = [&] { return device; };
    env.may_apply = [&] { return !dialog_open; };
    env.changed = [&] { ++batches; };
    std::size_t arrived = 0;  // told at once (for the card journal), dialog or not
    env.arrived = [&](const std::vector<DecoderPassing>& p) { arrived += p.size(); };
    TransponderReaderQt reader(env);
    reader.timing = {40, 10, 1, 1};
    reader.idle_ms = 5;
    reader.on_listening = [&] { talk = std::thread([&] { decoder.run(); }); };
    ASSERT_TRUE(reader.toggle());
    EXPECT_TRUE(reader.running());
    // While a dialog is open the passings wait, in order.
    ASSERT_TRUE(wait_for([&] { return reader.pending_count() == 3; }));
    EXPECT_EQ(f.c.tables.finish_lines.live_count(), 0);
    EXPECT_EQ(arrived, 3u);
    // Before the competition is replaced, from the top of a command, they are written.
    reader.apply_pending(true);
    EXPECT_EQ(reader.passings_written(), 3);
    EXPECT_EQ(batches, 1);  // written together, results recomputed once
    expect_lines(f.c, 1);
    // The decoder sends the same passings again; they wait until the dialog has closed.
    ASSERT_TRUE(talk.joinable());
    talk.join();
    talk = std::thread([&] { decoder.run(); });
    ASSERT_TRUE(wait_for([&] { return reader.pending_count() == 3; }));
    EXPECT_EQ(reader.passings_written(), 3);
    dialog_open = false;
    ASSERT_TRUE(wait_for([&] { return reader.passings_written() == 6; }));
    EXPECT_EQ(batches, 2);
    EXPECT_EQ(f.c.tables.finish_lines.live_count(), 6);
    EXPECT_FALSE(reader.toggle());
    EXPECT_FALSE(reader.running());
    // Counted by the worker as it ends (the stop does not wait for it).
    EXPECT_TRUE(wait_for([&] { return reader.records_dropped() == 4; }));
    talk.join();
}

TEST(DecoderE2e, APortThatCannotBeOpenedEndsTheReaderWithTheMessage) {
    PunchFixture f;
    ScriptedPrompts prompts;
    TransponderReaderQt::Environment env;
    env.competition = [&]() -> Competition& { return f.c; };
    env.prompts = [&]() -> Prompts& { return prompts; };
    env.device = [] { return std::string("/dev/skarvel-no-such-port"); };
    env.com_number = [] { return 3; };
    TransponderReaderQt reader(env);
    ASSERT_TRUE(reader.toggle());
    ASSERT_TRUE(wait_for([&] { return !reader.running(); }));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(
        prompts.messages[0].rfind(utf8_to_cp1251("Не могу инициализировать порт COM3, err="), 0),
        0u)
        << prompts.messages[0];
}

}  // namespace
}  // namespace skarvel

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
