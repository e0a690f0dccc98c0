// End to end: the station simulator on a pseudo-terminal, the real serial port and StationLink
// on the other side, and every card processed into a Competition.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "core/cp1251.h"
#include "core/time_text.h"
#include "core/wdb_file.h"
#include "platform/qt/qt_serial_port.h"
#include "punch/card_journal.h"
#include "punch/frame_log.h"
#include "punch/readout.h"
#include "punch/station_reader.h"
#include "tests/punch/punch_fixture.h"
#include "tools/station_sim/sim_main.h"
#include "tools/station_sim/station_sim.h"

namespace skarvel {
namespace {

using namespace skarvel::literals;
using test::hms;
using test::PunchFixture;

// Short pauses: the pseudo-terminal answers in microseconds.
constexpr StationLinkTiming kTestTiming{40, 10, 1, 5};
constexpr ReaderPauses kTestPauses{10, 10};

class SimRun {
  public:
    SimRun(const std::string& script_text, sim::SimOptions options = {150, 5, 0},
           std::function<void()> on_acknowledged = {}) {
        sim::SimScript script;
        std::string error;
        EXPECT_TRUE(sim::parse_script(script_text, script, &error)) << error;
        sim_ = std::make_unique<sim::StationSimulator>(std::move(script), options);
        sim_->on_acknowledged = std::move(on_acknowledged);
        path_ = sim_->open_pty();
        EXPECT_FALSE(path_.empty());
        thread_ = std::thread([this] { sim_->run(); });
    }
    ~SimRun() {
        sim_->stop();
        thread_.join();
    }
    const std::string& path() const { return path_; }
    sim::StationSimulator& sim() { return *sim_; }

  private:
    std::unique_ptr<sim::StationSimulator> sim_;
    std::string path_;
    std::thread thread_;
};

// Stops a link after a while so a broken reader fails the test instead of hanging it.
class Watchdog {
  public:
    Watchdog(StationLink& link, int seconds) {
        thread_ = std::thread([this, &link, seconds] {
            auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
            while (!done_ && std::chrono::steady_clock::now() < until)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (!done_) link.request_stop();
        });
    }
    ~Watchdog() {
        done_ = true;
        thread_.join();
    }

  private:
    std::atomic<bool> done_{false};
    std::thread thread_;
};

struct ReadResult {
    int cards = 0;
    std::vector<ReadoutOutcome> outcomes;
};

ReadResult read_cards(const std::string& device, int n, Competition& c, const PunchSettings& s,
                      ScriptedPrompts& prompts, SerialPort* wrap = nullptr,
                      const std::string& log_path = {}) {
    ReadResult result;
    auto port = open_serial_port(device, s.baud_rate());
    EXPECT_NE(port, nullptr);
    if (!port) return result;
    port->discard_input();
    std::unique_ptr<LoggingSerialPort> logging;
    SerialPort* used = port.get();
    if (!log_path.empty()) {
        logging = std::make_unique<LoggingSerialPort>(*port, log_path);
        used = logging.get();
    }
    (void)wrap;
    StationLink link(*used, kTestTiming);
    Watchdog dog(link, 20);
    ReadoutState state;
    CardReaderHooks hooks;
    hooks.card_read = [&](const CardReadout& card) {
        result.outcomes.push_back(process_card(c, card, s, state, prompts, {}));
        return static_cast<int>(result.outcomes.size()) < n;
    };
    result.cards = run_card_reader(link, read_options_from(s), hooks, kTestPauses);
    used->close();
    return result;
}

struct E2e : ::testing::Test {
    PunchFixture f;
    PunchSettings s;
    ScriptedPrompts prompts;
    void SetUp() override {
        f.course(1, "A", {31, 16, 33}, 3, 120);
        f.group(1, "M21", 1);
        f.runner(1, 1, 12345, 1, "Five");
        f.runner(2, 2, 1234567, 1, "Six");
        f.runner(3, 3, 6000123, 1, "Ten");
        s.competition_start = hms(9, 0, 0);
        s.check_mode = kCheckCourse;
        s.start_source = kSourceStation;
        s.finish_source = kSourceStation;
        s.fast_station = 1;
    }
};

const char* kThreeCards =
    "card type=5 number=12345 startno=1 start=10:00:00 finish=10:40:00 "
    "punches=31@10:10:00,16@10:20:00,33@10:30:00\n"
    "card type=6 number=1234567 startno=2 start=13:00:00 finish=13:50:00.00 "
    "punches=31@13:10:00,16@13:20:00,33@13:30:00,100@13:40:00\n"
    "card type=10 number=6000123 startno=3 start=11:00:00 finish=11:45:00 "
    "punches=31@11:10:00,33@11:30:00\n";

TEST_F(E2e, ReadsAllThreeCardTypes) {
    SimRun run(kThreeCards);
    auto r = read_cards(run.path(), 3, f.c, s, prompts);
    ASSERT_EQ(r.cards, 3);
    EXPECT_EQ(run.sim().cards_taken(), 3);

    auto& readouts = f.c.tables.card_readouts;
    ASSERT_EQ(readouts.live_count(), 3);
    EXPECT_EQ(readouts[0]->card_number, 12345);
    EXPECT_EQ(readouts[0]->punch_count, 3);
    EXPECT_EQ(readouts[0]->punches[1].code, 16);  // carried with the escape byte
    EXPECT_EQ(readouts[0]->punches[2].time, hms(10, 30, 0));
    EXPECT_EQ(readouts[1]->card_number, 1234567);
    EXPECT_EQ(readouts[1]->punch_count, 4);
    EXPECT_EQ(readouts[1]->start_number, 2);
    EXPECT_EQ(readouts[1]->punches[3].time, hms(13, 40, 0));
    EXPECT_EQ(readouts[2]->card_number, 6000123);

    const Runner* five = f.c.runner_by_number(1);
    const Runner* six = f.c.runner_by_number(2);
    const Runner* ten = f.c.runner_by_number(3);
    EXPECT_EQ(r.outcomes[0].owner, five);
    EXPECT_EQ(r.outcomes[1].owner, six);
    EXPECT_EQ(r.outcomes[2].owner, ten);
    EXPECT_EQ(five->start_time, hms(10, 0, 0));
    EXPECT_EQ(six->start_time, hms(13, 0, 0));
    EXPECT_EQ(five->status, kStatusOk);
    EXPECT_EQ(six->status, kStatusOk);
    EXPECT_EQ(ten->status, kStatusWrongPunch);

    auto& lines = f.c.tables.finish_lines;
    ASSERT_EQ(lines.live_count(), 3);
    EXPECT_EQ(lines[0]->start_number, 1);
    EXPECT_EQ(lines[0]->time(), hms(10, 40, 0));
    EXPECT_EQ(lines[1]->start_number, 2);
    EXPECT_EQ(lines[1]->time(), hms(13, 50, 0));
    EXPECT_EQ(lines[2]->start_number, 3);
    EXPECT_EQ(lines[2]->time(), hms(11, 45, 0));
}

TEST_F(E2e, PenaltiesFromTheThreadCheck) {
    s.check_mode = kCheckThread;
    s.penalty_per_miss = 3;
    s.finish_source = kSourcePunch;
    SimRun run(kThreeCards);
    auto r = read_cards(run.path(), 3, f.c, s, prompts);
    ASSERT_EQ(r.cards, 3);
    EXPECT_EQ(f.c.runner_by_number(1)->penalty, 0);
    EXPECT_EQ(f.c.runner_by_number(3)->penalty, 3);
    EXPECT_EQ(f.c.runner_by_number(3)->status, kStatusOk);
    EXPECT_EQ(f.c.tables.finish_lines[1]->time(), hms(13, 40, 0));  // the last punch
}

TEST_F(E2e, FaultyFramesAreReadAgainAndStoredOnce) {
    SimRun run(
        "card type=5 number=12345 start=10:00:00 finish=10:40:00 punches=31@10:10:00 fault=badsum\n"
        "card type=6 number=1234567 start=10:00:00 finish=10:41:00 punches=31@10:10:00 "
        "fault=silence\n"
        "card type=10 number=6000123 start=10:00:00 finish=10:42:00 punches=31@10:10:00 "
        "fault=garbage\n"
        "card type=6 number=7654321 start=10:00:00 finish=10:43:00 punches=31@10:10:00 "
        "fault=badsum\n"
        "card type=5 number=54321 start=10:00:00 finish=10:44:00 punches=31@10:10:00 "
        "fault=silence\n");
    s.warnings = 1;
    auto r = read_cards(run.path(), 5, f.c, s, prompts);
    ASSERT_EQ(r.cards, 5);
    auto& readouts = f.c.tables.card_readouts;
    ASSERT_EQ(readouts.live_count(), 5);
    std::vector<int> numbers;
    for (int i = 0; i < 5; ++i) numbers.push_back(readouts[i]->card_number);
    EXPECT_EQ(numbers, (std::vector<int>{12345, 1234567, 6000123, 7654321, 54321}));
    EXPECT_EQ(readouts[3]->finish.time, hms(10, 43, 0));
    // No card was stored twice: the bad readings were never acknowledged nor stored.
    for (const auto& m : prompts.messages) EXPECT_NE(m, std::string("Такой ЧИП уже был!"_cp1251));
    // Each faulty card needed a second reading: 1 + 1 type-5 replies, 3 + 2 + 3 + 3 block
    // replies at least.
    EXPECT_GE(run.sim().reads_answered(), 2 + 6 + 3 + 6 + 2);
}

TEST_F(E2e, FrameLogRecordsBothDirections) {
    auto dir = std::filesystem::temp_directory_path() / "skarvel_punch_log_test";
    std::filesystem::create_directories(dir);
    std::string log = frame_log_path((dir / "race.wdb").string());
    std::filesystem::remove(log);
    SimRun run("card type=5 number=12345 start=10:00:00 finish=10:40:00 punches=31@10:10:00\n");
    auto r = read_cards(run.path(), 1, f.c, s, prompts, nullptr, log);
    ASSERT_EQ(r.cards, 1);
    std::ifstream in(log, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::string t = text.str();
    EXPECT_NE(t.find("< 02 46 49 03"), std::string::npos) << t;
    EXPECT_NE(t.find("> 02 31 03\r\n"), std::string::npos) << t;
    EXPECT_NE(t.find("> 06\r\n"), std::string::npos) << t;
    EXPECT_NE(t.find("-- port closed"), std::string::npos) << t;
    EXPECT_EQ(dir / "race.station.log", std::filesystem::path(log));
}

// Every card family through the simulator, in each protocol that carries it: the punches
// read whole (a card pulled out halfway, a damaged block and silence in the middle of a reply
// among them), the first 64 in the readout, each card delivered once.
TEST(E2eFamilies, EveryFamilyInEachProtocolThatCarriesIt) {
    struct Family {
        const char* name;
        std::int32_t number;
        int punches;
        const char* fault;
    };
    const Family families[] = {
        {"5", 308000, 30, ""},         {"6", 612345, 64, ""},          {"6*", 16711700, 100, ""},
        {"8", 2100000, 30, "silence"}, {"9", 1050000, 50, "removed"},  {"p", 4100000, 20, ""},
        {"t", 6100000, 25, ""},        {"10", 7100000, 128, "badsum"}, {"11", 9100000, 40, ""},
        {"active", 8100000, 64, ""},
    };
    struct Protocol {
        const char* station;
        bool extended;
        int reinsert_notices;  // autosend: a damaged or cut card is sent again when put back
    } protocols[] = {
        {"station protocol=basic", false, 0},
        {"station protocol=extended send=handshake card6=64", true, 0},
        {"station protocol=extended send=autosend card6=192", true, 2},
    };
    auto punch_of = [](const Family& f, int i) {
        // Codes 31.., one a minute from 10:00; card 11's first code above 255.
        int code = 31 + i % 200 + (std::string(f.name) == "11" && i == 0 ? 270 : 0);
        return std::pair<int, std::int32_t>{code, hms(10, 0, 0) + 6000 * i};
    };
    for (const Protocol& protocol : protocols) {
        SCOPED_TRACE(protocol.station);
        std::string script = std::string(protocol.station) + "\n";
        std::vector<const Family*> played;
        for (const Family& f : families) {
            std::string name = f.name;
            if (!protocol.extended && name != "5" && name != "6" && name != "t") continue;
            played.push_back(&f);
            script += "card family=" + name + " number=" + std::to_string(f.number) +
                      " start=09:59:00 finish=13:00:00 punches=";
            for (int i = 0; i < f.punches; ++i) {
                auto [code, time] = punch_of(f, i);
                script += (i ? "," : "") + std::to_string(code) + "@" + format_time_text(time, 0);
            }
            if (protocol.extended && *f.fault) script += std::string(" fault=") + f.fault;
            script += "\n";
        }
        SimRun run(script);
        auto port = open_serial_port(run.path(), 38400);
        ASSERT_NE(port, nullptr);
        StationLink link(*port, kTestTiming);
        Watchdog dog(link, 60);
        ReadOptions options;
        options.competition_start = hms(9, 0, 0);
        options.station = start_station(link, 38400);
        EXPECT_TRUE(options.station.answered);
        EXPECT_EQ(options.station.extended(), protocol.extended);
        std::map<std::int32_t, std::vector<WholeCard>> read;
        int notices = 0;
        CardReaderHooks hooks;
        hooks.whole_card_read = [&](const WholeCard& card) {
            read[card.readout.card_number].push_back(card);
            return read.size() < played.size();
        };
        hooks.notice = [&](const ReaderNotice& n) {
            EXPECT_EQ(n.kind, ReaderNotice::Kind::kReinsert);
            ++notices;
        };
        run_card_reader(link, options, hooks, kTestPauses);
        port->close();
        EXPECT_EQ(notices, protocol.reinsert_notices);
        ASSERT_EQ(read.size(), played.size());
        for (const Family* f : played) {
            SCOPED_TRACE(f->name);
            ASSERT_EQ(read[f->number].size(), 1u);
            const WholeCard& card = read[f->number][0];
            EXPECT_EQ(card_family_code(card.family),
                      f->name == std::string("active") ? "" : f->name);
            ASSERT_EQ(static_cast<int>(card.punches.size()), f->punches);
            EXPECT_EQ(card.readout.punch_count, std::min(f->punches, 64));
            for (int i = 0; i < f->punches; ++i) {
                auto [code, time] = punch_of(*f, i);
                ASSERT_EQ(card.punches[i].code, code) << i;
                ASSERT_EQ(card.punches[i].time, time) << i;
                if (i < 64) {
                    ASSERT_EQ(card.readout.punches[i].code, code % 256) << i;
                }
            }
            EXPECT_EQ(card.readout.start.time, hms(9, 59, 0));
            EXPECT_EQ(card.readout.finish.time, hms(13, 0, 0));
        }
    }
}

TEST(E2eMemory, ReadsTheStationMemoryWithoutStalling) {
    PunchFixture f;
    f.runner(1, 21, 4001, 0);
    f.runner(2, 22, 332340, 0);
    SimRun run(
        "memory card=4001 time=10:00:00.50\n"
        "memory card=332340 time=10:00:00.50\n"        // the same time: a real second record
        "memory card=4003 time=10:01:00 fault=fail\n"  // first request unanswered
        "memory card=4004 time=25:00:00\n"             // not a time of day: skipped
        "memory card=4005 time=13:15:30.99\n",
        {150, 5, 1});
    auto port = open_serial_port(run.path(), 38400);
    ASSERT_NE(port, nullptr);
    StationLink link(*port, kTestTiming);
    Watchdog dog(link, 20);
    ReadoutState state;
    ScriptedPrompts prompts;
    ReadOptions options;
    options.station_type = 1;
    int stored = 0;
    run_memory_reader(
        link, options, state,
        [&](std::int32_t card, std::int32_t time) {
            store_memory_record(f.c, card, time, prompts);
            return ++stored < 4;
        },
        kTestPauses);
    EXPECT_EQ(stored, 4);
    EXPECT_EQ(state.memory_records_read, 5);
    auto& lines = f.c.tables.finish_lines;
    ASSERT_EQ(lines.live_count(), 4);
    EXPECT_EQ(lines[0]->start_number, 21);
    EXPECT_EQ(lines[0]->time(), hms(10, 0, 0) + 50);
    EXPECT_EQ(lines[1]->start_number, 22);
    EXPECT_EQ(lines[1]->time(), hms(10, 0, 0) + 50);
    EXPECT_EQ(lines[2]->time(), hms(10, 1, 0));
    EXPECT_EQ(lines[3]->time(), hms(13, 15, 30) + 99);
    EXPECT_EQ(f.c.tables.card_readouts[3]->card_number, 4005);

    // A restarted reader carries on after the records taken; a new punch is picked up.
    run.sim().add_memory_record({4006, hms(14, 0, 0), false});
    StationLink again(*port, kTestTiming);
    Watchdog dog2(again, 20);
    run_memory_reader(
        again, options, state,
        [&](std::int32_t card, std::int32_t time) {
            store_memory_record(f.c, card, time, prompts);
            return false;
        },
        kTestPauses);
    EXPECT_EQ(state.memory_records_read, 6);
    EXPECT_EQ(lines.live_count(), 5);
    EXPECT_EQ(lines[4]->time(), hms(14, 0, 0));
}

TEST(E2eSimulatorProgram, PrintsItsDeviceAndServesACard) {
    auto dir = std::filesystem::temp_directory_path() / "skarvel_sim_program_test";
    std::filesystem::create_directories(dir);
    auto script = dir / "cards.txt";
    {
        std::ofstream out(script);
        out << "# one card\ncard type=6 number=2000001 start=10:00:00 finish=10:30:00 "
               "punches=31@10:10:00\n";
    }
    std::string cmd = std::string(SKARVEL_STATION_SIM) + " --resend 100 --gap 5 --exit-when-done " +
                      script.string() + " 2>/dev/null";
    FILE* sim = popen(cmd.c_str(), "r");
    ASSERT_NE(sim, nullptr);
    char line[256] = {};
    ASSERT_NE(std::fgets(line, sizeof line, sim), nullptr);
    std::string device = line;
    while (!device.empty() && (device.back() == '\n' || device.back() == '\r')) device.pop_back();
    EXPECT_EQ(device.rfind("/dev/pts/", 0), 0u) << device;
    PunchFixture f;
    PunchSettings s;
    ScriptedPrompts prompts;
    auto r = read_cards(device, 1, f.c, s, prompts);
    EXPECT_EQ(r.cards, 1);
    ASSERT_EQ(f.c.tables.card_readouts.live_count(), 1);
    EXPECT_EQ(f.c.tables.card_readouts[0]->card_number, 2000001);
    EXPECT_EQ(pclose(sim), 0);
}

// The headless readout station: cards safe in the journal, the file written in the background
// and when the reader stops.
struct CliReadout : ::testing::Test {
    std::filesystem::path dir;
    std::string file;
    void SetUp() override {
        // One folder per test: CTest may run them side by side.
        dir = std::filesystem::temp_directory_path() /
              (std::string("skarvel_cli_") +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        file = (dir / "race.wdb").string();
        PunchFixture f;
        f.course(1, "A", {31, 32});
        f.group(1, "M21", 1);
        f.runner(1, 7, 1234567, 1, "Seven");
        f.c.info.check_mode = kCheckCourse;
        f.c.info.finish_source = kSourceStation;
        f.c.info.start_source = kSourceStation;
        f.c.info.warnings = 1;
        f.c.info.ask_owner_number = 1;  // answered "no" without a user
        ASSERT_TRUE(save_wdb(f.c, file));
    }
    std::string run(const std::string& args, int* status) {
        std::string cmd = std::string(SKARVEL_CLI) + " readout " + file + " " + args + " 2>" +
                          (dir / "err.txt").string();
        FILE* p = popen(cmd.c_str(), "r");
        std::string out;
        char buf[512];
        while (p && std::fgets(buf, sizeof buf, p)) out += buf;
        *status = p ? pclose(p) : -1;
        return out;
    }
    std::string err() {
        std::ifstream in(dir / "err.txt", std::ios::binary);
        std::stringstream t;
        t << in.rdbuf();
        return t.str();
    }
    // Starts the reader on `device` as a process of its own, its output into the folder; with
    // `file_limit` every file it writes may grow to that many bytes only (a disk that is full).
    pid_t start(const std::string& device, long file_limit = 0) {
        std::string out = (dir / "out.txt").string(), errors = (dir / "err.txt").string();
        std::vector<std::string> words = {SKARVEL_CLI, "readout", file, "--port", device};
        std::vector<char*> argv;
        for (std::string& w : words) argv.push_back(w.data());
        argv.push_back(nullptr);
        pid_t pid = ::fork();
        if (pid == 0) {
            if (file_limit > 0) {
                rlimit limit{rlim_t(file_limit), rlim_t(file_limit)};
                ::setrlimit(RLIMIT_FSIZE, &limit);
                ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead
            }
            int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            int e = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(o, 1);
            ::dup2(e, 2);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        return pid;
    }
    static bool wait_for(const std::function<bool()>& done) {
        for (int i = 0; i < 12000 && !done(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return done();
    }
    int readouts_in_file() {
        Competition back;
        ScriptedPrompts p;
        EXPECT_TRUE(load_wdb(back, file, p).ok());
        return back.tables.card_readouts.live_count();
    }
};

// Killed the moment the station hears the acknowledgement: the card is in the journal, and the
// next run brings it back before it reads on.
TEST_F(CliReadout, KilledAtTheAcknowledgementKeepsTheCard) {
    std::atomic<pid_t> reader{0};
    std::atomic<bool> killed{false};
    SimRun sim(
        "card type=6 number=1234567 start=10:00:00 finish=10:30:00 "
        "punches=31@10:10:00,32@10:20:00\n"
        "card type=5 number=54321 start=10:00:00 finish=10:31:00 punches=31@10:10:00\n",
        {150, 5, 0}, [&] {
            if (pid_t pid = reader.exchange(0); pid > 0) {
                ::kill(pid, SIGKILL);
                killed = true;
            }
        });
    pid_t pid = start(sim.path());
    reader = pid;
    ASSERT_TRUE(wait_for([&] { return killed.load(); })) << err();
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    std::vector<JournalEntry> kept = read_journal(journal_path_for(file));
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].card.card_number, 1234567);

    std::string out = run("--port " + sim.path() + " --cards 1", &status);
    EXPECT_EQ(status, 0) << err();
    EXPECT_NE(err().find("1 card(s) brought back"), std::string::npos) << err();
    EXPECT_NE(out.find("card 54321"), std::string::npos) << out;
    Competition back;
    ScriptedPrompts p;
    ASSERT_TRUE(load_wdb(back, file, p).ok());
    ASSERT_EQ(back.tables.card_readouts.live_count(), 2);
    EXPECT_EQ(back.tables.card_readouts[0]->card_number, 1234567);
    EXPECT_EQ(back.runner_by_number(7)->start_time, hms(10, 0, 0));
    EXPECT_TRUE(read_journal(journal_path_for(file)).empty());
}

// A full disk: the journal cannot take the card, so the station is never told it is taken and
// offers it again and again; the reader says why.
TEST_F(CliReadout, FullDiskLeavesTheCardInTheStation) {
    SimRun sim("card type=5 number=54321 start=10:00:00 finish=10:31:00 punches=31@10:10:00\n");
    pid_t pid = start(sim.path(), 500);  // less than one journal entry
    bool offered_again = wait_for([&] { return sim.sim().reads_answered() >= 3; });
    EXPECT_EQ(sim.sim().cards_taken(), 0);
    ::kill(pid, SIGINT);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(offered_again) << err();
    EXPECT_NE(err().find("cannot write the card journal"), std::string::npos) << err();
    EXPECT_EQ(readouts_in_file(), 0);
}

TEST_F(CliReadout, ReadsNCardsAndSavesTheFile) {
    SimRun sim(
        "card type=6 number=1234567 start=10:00:00 finish=10:30:00 "
        "punches=31@10:10:00,32@10:20:00\n"
        "card type=5 number=54321 start=10:00:00 finish=10:31:00 punches=31@10:10:00\n"
        "card type=6 number=2222222 start=10:00:00 finish=10:32:00 punches=31@10:10:00\n");
    int status = 0;
    std::string out = run("--port " + sim.path() + " --cards 2", &status);
    EXPECT_EQ(status, 0) << err();
    EXPECT_NE(out.find("card 1234567\towner 7 Seven\tstatus 0"), std::string::npos) << out;
    EXPECT_NE(out.find("card 54321\towner -"), std::string::npos) << out;
    EXPECT_NE(err().find("No runner has this card!"), std::string::npos) << err();  // in English

    Competition back;
    ScriptedPrompts p;
    ASSERT_TRUE(load_wdb(back, file, p).ok());
    ASSERT_EQ(back.tables.card_readouts.live_count(), 2);  // the third card was left alone
    EXPECT_EQ(back.tables.card_readouts[1]->card_number, 54321);
    ASSERT_EQ(back.tables.finish_lines.live_count(), 1);
    EXPECT_EQ(back.tables.finish_lines[0]->start_number, 7);
    EXPECT_EQ(back.tables.finish_lines[0]->time(), hms(10, 30, 0));
    EXPECT_EQ(back.runner_by_number(7)->start_time, hms(10, 0, 0));
}

TEST_F(CliReadout, CtrlCEndsAfterSavingWhatWasRead) {
    SimRun sim("card type=10 number=6000001 start=10:00:00 finish=10:30:00 punches=31@10:10:00\n");
    int status = 0;
    std::string cmd =
        std::string(SKARVEL_CLI) + " readout " + file + " --port " + sim.path() + " --log 2>" +
        (dir / "err.txt").string() + " >" + (dir / "out.txt").string() +
        " & pid=$!; n=0; while [ ! -s " + (dir / "out.txt").string() +
        " ] && [ $n -lt 100 ]; do sleep 0.1; n=$((n+1)); done; kill -INT $pid; wait $pid";
    status = std::system(cmd.c_str());
    EXPECT_EQ(status, 0) << err();
    EXPECT_NE(err().find("interrupted"), std::string::npos) << err();
    Competition back;
    ScriptedPrompts p;
    ASSERT_TRUE(load_wdb(back, file, p).ok());
    EXPECT_EQ(back.tables.card_readouts.live_count(), 1);
    EXPECT_TRUE(std::filesystem::exists(dir / "race.station.log"));
}

// Cards in quick succession are not each a rewrite of the file: while the reader runs, the
// file lags behind (the first card may be in it) and the journal holds the rest; when it
// stops, the file has them all and the journal is empty.
TEST_F(CliReadout, WritesTheFileInTheBackgroundNotPerCard) {
    std::string script;
    for (int i = 0; i < 3; ++i)
        script += "card type=6 number=" + std::to_string(2000001 + i) +
                  " start=10:00:00 finish=10:3" + std::to_string(i) + ":00 punches=31@10:10:00\n";
    SimRun sim(script);
    const std::string out = (dir / "out.txt").string();
    std::string cmd =
        std::string(SKARVEL_CLI) + " readout " + file + " --port " + sim.path() + " 2>" +
        (dir / "err.txt").string() + " >" + out + " & pid=$!; n=0; while [ \"$(cat " + out +
        " 2>/dev/null | wc -l)\" -lt 3 ] && " + "[ $n -lt 600 ]; " +
        "do sleep 0.1; n=$((n+1)); done; cp " + file + " " + file + ".mid; cp " +
        journal_path_for(file) + " " + file + ".midjournal; kill -INT $pid; wait $pid";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << err();
    Competition mid, back;
    ScriptedPrompts p;
    ASSERT_TRUE(load_wdb(mid, file + ".mid", p).ok());
    EXPECT_LE(mid.tables.card_readouts.live_count(), 1);
    std::vector<JournalEntry> kept = read_journal(file + ".midjournal");
    ASSERT_FALSE(kept.empty());
    EXPECT_EQ(kept.back().card.card_number, 2000003);
    ASSERT_TRUE(load_wdb(back, file, p).ok());
    EXPECT_EQ(back.tables.card_readouts.live_count(), 3);
    EXPECT_TRUE(read_journal(journal_path_for(file)).empty());
}

// The headless reader asks the station what it speaks and reads through either protocol;
// each card's line names its family, and a card the readout cannot hold whole is told.
TEST_F(CliReadout, ReadsThroughEitherProtocol) {
    std::string seventy;
    for (int i = 0; i < 70; ++i)
        seventy += (i ? "," : "") + std::to_string(31 + i) + "@" +
                   format_time_text(hms(10, 1, 0) + 6000 * i, 0);
    const struct {
        const char* station;
        const char* told;
    } stations[] = {
        {"station protocol=basic", "cards 8 and later need the station's extended protocol"},
        {"station protocol=extended", "Station 10: extended protocol, handshake"},
        {"station protocol=extended send=autosend", "Station 10: extended protocol, autosend"},
    };
    for (const auto& st : stations) {
        SCOPED_TRACE(st.station);
        bool extended = std::string(st.station).find("extended") != std::string::npos;
        std::string script = std::string(st.station) +
                             "\ncard type=6 number=1234567 start=10:00:00 finish=10:30:00 "
                             "punches=31@10:10:00,32@10:20:00\n";
        if (extended)
            script +=
                "card family=10 number=7100000 start=10:00:00 finish=12:30:00 punches=" + seventy +
                "\n";
        SimRun sim(script);
        int status = 0;
        std::string out =
            run("--port " + sim.path() + " --cards " + (extended ? "2" : "1"), &status);
        EXPECT_EQ(status, 0) << err();
        EXPECT_NE(out.find("card 1234567\towner 7 Seven\tstatus 0"), std::string::npos) << out;
        EXPECT_NE(out.find("\tfamily 6\n"), std::string::npos) << out;
        EXPECT_NE(err().find(st.told), std::string::npos) << err();
        if (extended) {
            EXPECT_NE(out.find("card 7100000\towner -"), std::string::npos) << out;
            EXPECT_NE(out.find("\tfamily 10\n"), std::string::npos) << out;
            EXPECT_NE(err().find("Card 7100000: 70 punches, 64 stored"), std::string::npos)
                << err();
        }
    }
}

TEST(CliStationInfo, PrintsProtocolModeCard6SettingAndClock) {
    SimRun sim(
        "station protocol=extended send=autosend card6=192 code=31 date=2024-05-18 "
        "clock=14:05:07.50\n");
    std::string cmd = std::string(SKARVEL_CLI) + " station-info --fast --port " + sim.path();
    FILE* p = popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::string out;
    char buf[256];
    while (std::fgets(buf, sizeof buf, p)) out += buf;
    EXPECT_EQ(pclose(p), 0);
    EXPECT_EQ(out,
              "station\t31\nspeed\t38400\nprotocol\textended, autosend\nmode\treadout (5)\n"
              "card6\t192 punches (all 8 blocks)\nclock\t2024-05-18 14:05:07.50 Saturday\n");
}

TEST_F(CliReadout, BadArgumentsAndPorts) {
    int status = 0;
    run("", &status);
    EXPECT_NE(status, 0);
    run("--port /dev/skarvel-no-such-port", &status);
    EXPECT_NE(status, 0);
    EXPECT_NE(err().find("cannot open"), std::string::npos);
    run("--port /dev/null --cards 0", &status);
    EXPECT_NE(status, 0);
}

TEST(E2eSimulatorScript, RejectsImpossibleCards) {
    sim::SimScript script;
    std::string error;
    EXPECT_FALSE(sim::parse_script("card type=10 number=1234567\n", script, &error));
    EXPECT_NE(error.find("line 1"), std::string::npos);
    EXPECT_FALSE(sim::parse_script("card type=6 number=6000001\n", script, &error));
    EXPECT_FALSE(sim::parse_script("card type=5 number=112345\n", script, &error));
    EXPECT_FALSE(sim::parse_script("card type=6 number=1 punches=31@1O:00:00\n", script, &error));
    EXPECT_FALSE(sim::parse_script("carx type=6\n", script, &error));
    EXPECT_TRUE(sim::parse_script("# nothing\n\n", script, &error));
}

// A whole day's script (far over a megabyte) is read to its last card.
TEST(E2eSimulatorScript, ReadsADayOfCardsFromAFile) {
    auto dir = std::filesystem::temp_directory_path() / "skarvel_sim_day_script_test";
    std::filesystem::create_directories(dir);
    auto path = dir / "day.txt";
    constexpr int kDayCards = 6000;
    {
        std::ofstream out(path);
        for (int i = 0; i < kDayCards; ++i) {
            out << "card type=6 number=" << 2000000 + i
                << " start=10:00:00 finish=11:00:00 punches=";
            for (int k = 0; k < 64; ++k)
                out << (k ? "," : "") << 31 + k % 100 << "@10:" << 10 + k % 40 << ":00";
            out << "\n";
        }
    }
    ASSERT_GT(std::filesystem::file_size(path), 2u << 20);
    sim::SimScript script;
    auto parse = [&script](const std::string& text, std::string* error) {
        return sim::parse_script(text, script, error);
    };
    ASSERT_TRUE(sim::load_sim_script(path.string(), parse));
    ASSERT_EQ(script.cards.size(), std::size_t(kDayCards));
    EXPECT_EQ(script.cards.back().number, 2000000 + kDayCards - 1);
    EXPECT_EQ(script.cards.back().punches.size(), 64u);
    EXPECT_FALSE(sim::load_sim_script((dir / "none.txt").string(), parse));
    std::filesystem::remove_all(dir);
}

// On a paced line a card takes at least the time its bytes need at the line's speed, and the
// simulator tells when the last byte of each card was on the line.
TEST(E2eSimulatorScript, PacedLineTakesTheBytesTime) {
    SimRun run(
        "card type=6 number=2000001 start=10:00:00 finish=10:30:00 punches=31@10:10:00\n"
        "card type=6 number=2000002 start=10:00:00 finish=10:31:00 punches=31@10:10:00\n",
        {150, 0, 0, 38400});
    PunchFixture f;
    PunchSettings s;
    s.fast_station = 1;
    ScriptedPrompts prompts;
    auto port = open_serial_port(run.path(), s.baud_rate());
    ASSERT_NE(port, nullptr);
    StationLink link(*port);
    Watchdog dog(link, 20);
    ReadoutState state;
    int read = 0;
    CardReaderHooks hooks;
    hooks.card_read = [&](const CardReadout& card) {
        process_card(f.c, card, s, state, prompts, {});
        return ++read < 2;
    };
    const auto t0 = std::chrono::steady_clock::now();
    run_card_reader(link, read_options_from(s), hooks, kTestPauses);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    port->close();
    ASSERT_EQ(read, 2);
    // At least the three block replies of each card (128 data bytes and 5 more each) crossed
    // the line after the reader began.
    EXPECT_GE(seconds, 2 * 3 * 133 * 10 / 38400.0);
    const auto last = run.sim().last_bytes();
    ASSERT_EQ(last.size(), 2u);
    EXPECT_LT(last[0], last[1]);
}

TEST(E2eSimulatorScript, CheckMatchesTheLinkSide) {
    const std::uint8_t a[] = {0x83, 0x02, 0x1C, 0x07};
    const std::uint8_t b[] = {'a', 'b', 'c'};
    EXPECT_EQ(sim::crc16(a, 4), station_crc16(a, 4));
    EXPECT_EQ(sim::crc16(b, 3), 0xA449);
}

TEST(E2ePortList, ListsDevicesInNaturalOrderWithoutOpeningThem) {
    auto rows = list_serial_ports();
    for (std::size_t i = 1; i < rows.size(); ++i) EXPECT_NE(rows[i - 1].device, rows[i].device);
    for (const auto& r : rows) EXPECT_FALSE(r.device.empty());
}

}  // namespace
}  // namespace skarvel

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
