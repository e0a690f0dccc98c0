// The punching settings dialog and the desktop program's station readers, offscreen: the
// readers run against the simulator on a pseudo-terminal, with cards processed on this thread.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSpinBox>
#include <atomic>
#include <filesystem>
#include <future>
#include <thread>

#include "core/cp1251.h"
#include "core/time_text.h"
#include "punch/card_status.h"
#include "punch/ui/punch_settings_dialog.h"
#include "punch/ui/radio_reader_qt.h"
#include "punch/ui/station_reader_qt.h"
#include "tests/punch/punch_fixture.h"
#include "tools/modem_sim/modem_sim.h"
#include "tools/station_sim/station_sim.h"

namespace skarvel {
namespace {

using namespace skarvel::literals;
using test::hms;
using test::PunchFixture;

std::vector<SerialPortEntry> two_ports() {
    return {{"/dev/ttyUSB0", "FT232R USB UART, FTDI"}, {"COM3", ""}};
}

TEST(PunchSettingsDialog, ShowsAndReturnsEverySetting) {
    PunchSettings s;
    s.competition_start = hms(9, 30, 0);
    s.port_index = 4;
    s.station_type = 2;
    s.check_mode = 3;
    s.penalty_per_miss = 5;
    s.finish_source = 1;
    s.split_scale = 1;
    s.labyrinth_mode = 1;
    PunchSettingsDialog d(s, two_ports(), {"/dev/pts/7", true}, 0, false);
    EXPECT_EQ(d.competition_start->text(), "09:30:00");
    EXPECT_EQ(d.port->count(), 2);
    EXPECT_EQ(d.port->itemText(0), "/dev/ttyUSB0  (FT232R USB UART, FTDI)");
    EXPECT_TRUE(d.station_type[2]->isChecked());
    EXPECT_EQ(d.check_mode->currentIndex(), 3);
    EXPECT_TRUE(d.finish_source[1]->isChecked());
    EXPECT_TRUE(d.split_scale[1]->isChecked());
    EXPECT_EQ(d.port->currentText(), "/dev/pts/7");
    EXPECT_TRUE(d.frame_log->isChecked());
    EXPECT_EQ(d.settings(), s);  // nothing touched, nothing changed

    d.competition_start->setText("10:00:00");
    d.port->setEditText("com1");
    d.fast_station->setChecked(true);
    d.check_mode->setCurrentIndex(5);
    d.penalty->setText("12");
    d.start_source[2]->setChecked(true);
    d.split_left_offset->setValue(3);
    d.frame_log->setChecked(false);
    PunchSettings out = d.settings();
    EXPECT_EQ(out.competition_start, hms(10, 0, 0));
    EXPECT_EQ(out.port_index, 0);
    EXPECT_EQ(out.fast_station, 1);
    EXPECT_EQ(out.check_mode, 5);
    EXPECT_EQ(out.penalty_per_miss, 12);
    EXPECT_EQ(out.start_source, 2);
    EXPECT_EQ(out.split_left_offset_cm, 3);
    EXPECT_EQ(d.port_settings().device_override, "");
    EXPECT_FALSE(d.port_settings().frame_log);
}

// The port field: a listed device, a typed path or a COM number, each meaning one thing.
TEST(PunchSettingsDialog, PortFieldMapsToComNumberOrDevicePath) {
    PunchSettings s;
    s.port_index = 2;
    PunchSettingsDialog d(s, two_ports(), {}, 0, false);
    EXPECT_EQ(d.port->currentIndex(), 1);  // COM3 is listed
    d.port->setCurrentIndex(0);
    EXPECT_EQ(d.port_settings().device_override, "/dev/ttyUSB0");
    EXPECT_EQ(d.settings().port_index, 2);
    struct Row {
        const char* text;
        int index;
        const char* device;
    } rows[] = {{"/dev/pts/9", 2, "/dev/pts/9"},
                {" COM12 ", 11, ""},
                {"", 2, ""},
                {"COM0", 2, "COM0"},
                {"COM3", 2, ""}};
    for (const Row& r : rows) {
        d.port->setEditText(QString::fromLatin1(r.text));
        EXPECT_EQ(d.settings().port_index, r.index) << r.text;
        EXPECT_EQ(d.port_settings().device_override, r.device) << r.text;
    }
}

TEST(PunchSettingsDialog, StoredModeSixSurvivesUntouched) {
    PunchSettings s;
    s.check_mode = 6;
    PunchSettingsDialog d(s, two_ports(), {}, 0, true);
    EXPECT_EQ(d.settings().check_mode, 6);
    d.check_mode->setCurrentIndex(1);
    EXPECT_EQ(d.settings().check_mode, 1);
}

TEST(PunchSettingsDialog, AStoredModeOutsideTheListShowsAsNoCheckAndIsRepaired) {
    for (int mode : {7, 42, 255}) {
        PunchSettings s;
        s.check_mode = static_cast<std::uint8_t>(mode);
        PunchSettingsDialog d(s, two_ports(), {}, 0, false);
        EXPECT_EQ(d.check_mode->currentIndex(), 0) << mode;
        EXPECT_EQ(d.settings().check_mode, kCheckNone) << mode;
    }
}

TEST(PunchSettings, RoundTripThroughTheHeader) {
    PunchSettings s;
    s.competition_start = 123456;
    s.port_index = 7;
    s.station_type = 1;
    s.split_scale = 2;
    s.penalty_per_miss = 9;
    s.print_speed = 1;
    s.new_split_layout = 1;
    CompetitionInfo info;
    store_punch_settings(info, s);
    std::vector<std::uint8_t> bytes(CompetitionInfo::kSize);
    info.encode(bytes.data());
    EXPECT_EQ(bytes[1087], 7);
    EXPECT_EQ(bytes[1551], 1);
    EXPECT_EQ(bytes[1544], 2);
    EXPECT_EQ(bytes[1033], 1);
    EXPECT_EQ(bytes[1064], 1);
    CompetitionInfo back;
    back.decode(bytes.data());
    EXPECT_EQ(punch_settings_from(back), s);
}

class SimThread {
  public:
    explicit SimThread(const std::string& text) {
        sim::SimScript script;
        EXPECT_TRUE(sim::parse_script(text, script, nullptr));
        sim_ =
            std::make_unique<sim::StationSimulator>(std::move(script), sim::SimOptions{100, 5, 0});
        path = sim_->open_pty();
        thread_ = std::thread([this] { sim_->run(); });
    }
    ~SimThread() {
        sim_->stop();
        thread_.join();
    }
    std::string path;

  private:
    std::unique_ptr<sim::StationSimulator> sim_;
    std::thread thread_;
};

struct ReaderEnv {
    PunchFixture f;
    ScriptedPrompts prompts;
    std::string device;
    int changes = 0;
    StationReaderQt::Environment env() {
        StationReaderQt::Environment e;
        e.competition = [this]() -> Competition& { return f.c; };
        e.prompts = [this]() -> Prompts& { return prompts; };
        e.changed = [this] { ++changes; };
        e.competition_path = [] { return std::string(); };
        e.port_settings = [this] { return StationPortSettings{device, false}; };
        return e;
    }
};

bool wait_for(const std::function<bool()>& done, int ms = 10000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

TEST(StationReaderQt, ReadsCardsOnTheOwnerThreadAndStops) {
    ReaderEnv e;
    e.f.course(1, "A", {31, 32});
    e.f.group(1, "M21", 1);
    e.f.runner(1, 5, 1234567, 1);
    e.f.c.info.finish_source = kSourceStation;
    e.f.c.info.check_mode = kCheckCourse;
    SimThread sim(
        "card type=6 number=1234567 start=10:00:00 finish=10:30:00 "
        "punches=31@10:10:00,32@10:20:00\n"
        "card type=5 number=12345 start=10:00:00 finish=10:31:00 punches=31@10:10:00\n");
    e.device = sim.path;
    StationReaderQt reader(e.env());
    reader.timing = {40, 10, 1, 5};
    reader.pauses = {10, 10};
    int stopped = 0;
    QObject::connect(&reader, &StationReaderQt::reading_stopped, [&] { ++stopped; });
    ASSERT_TRUE(reader.toggle(StationReaderQt::Mode::kCards));
    EXPECT_EQ(reader.mode(), StationReaderQt::Mode::kCards);
    ASSERT_TRUE(wait_for([&] { return reader.cards_processed() == 2; }));
    // Either command stops the running reader.
    EXPECT_FALSE(reader.toggle(StationReaderQt::Mode::kMemory));
    EXPECT_FALSE(reader.reading_active());
    EXPECT_EQ(stopped, 1);
    EXPECT_EQ(e.changes, 2);
    ASSERT_EQ(e.f.c.tables.card_readouts.live_count(), 2);
    ASSERT_EQ(e.f.c.tables.finish_lines.live_count(), 1);
    EXPECT_EQ(e.f.c.tables.finish_lines[0]->start_number, 5);
    EXPECT_EQ(e.f.c.tables.finish_lines[0]->time(), hms(10, 30, 0));
    EXPECT_EQ(e.prompts.messages, std::vector<std::string>{});
}

TEST(StationReaderQt, MemoryReaderStoresRecords) {
    ReaderEnv e;
    e.f.runner(1, 9, 4001, 0);
    SimThread sim("memory card=4001 time=10:00:00\nmemory card=4002 time=10:00:01\n");
    e.device = sim.path;
    StationReaderQt reader(e.env());
    reader.timing = {40, 10, 1, 5};
    reader.pauses = {10, 10};
    ASSERT_TRUE(reader.toggle(StationReaderQt::Mode::kMemory));
    ASSERT_TRUE(wait_for([&] { return reader.records_processed() == 2; }));
    reader.stop_and_wait();
    EXPECT_EQ(reader.state().memory_records_read, 2);
    ASSERT_EQ(e.f.c.tables.finish_lines.live_count(), 2);
    EXPECT_EQ(e.f.c.tables.finish_lines[0]->start_number, 9);
}

TEST(StationReaderQt, DestroyedWhileReadingStopsAndTouchesNothingMore) {
    auto e = std::make_unique<ReaderEnv>();
    std::string script;
    for (int i = 0; i < 40; ++i)
        script += "card type=6 number=" + std::to_string(2000000 + i) +
                  " start=10:00:00 finish=10:30:00 punches=31@10:10:00\n";
    SimThread sim(script);
    e->device = sim.path;
    auto reader = std::make_unique<StationReaderQt>(e->env());
    reader->timing = {40, 10, 1, 5};
    reader->pauses = {10, 10};
    ASSERT_TRUE(reader->toggle(StationReaderQt::Mode::kCards));
    ASSERT_TRUE(wait_for([&] { return e->f.c.tables.card_readouts.live_count() >= 2; }));
    reader.reset();  // as at program exit: the worker is stopped and waited for
    int stored = e->f.c.tables.card_readouts.live_count();
    QCoreApplication::processEvents();
    EXPECT_EQ(e->f.c.tables.card_readouts.live_count(), stored);
    e.reset();  // the competition goes; nothing may reach it any more
    QCoreApplication::processEvents();
}

// The reader asks the station what it speaks when it starts: an extended station's cards of
// every family come whole (the status bar hears the family and what the readout could not
// keep), the memory reader is refused on it with a message naming the setting, a basic station
// is told once, a station in another mode than readout is said aloud.
TEST(StationReaderQt, LearnsTheProtocolAtStartAndReadsEachWay) {
    struct Case {
        const char* script;
        StationReaderQt::Mode mode;
        bool extended;
        int cards;
        const char* message;  // start of the message box, if any
    } cases[] = {
        {"station protocol=extended\n"
         "card family=10 number=7100000 start=10:00:00 finish=12:30:00 punches=",
         StationReaderQt::Mode::kCards, true, 1, nullptr},
        {"station protocol=extended send=autosend\nmemory card=4001 time=10:00:00\n",
         StationReaderQt::Mode::kMemory, true, 0, "чтение промежуточных финишей: станция"},
        {"station protocol=basic\ncard type=6 number=612345 punches=31@10:10:00\n",
         StationReaderQt::Mode::kCards, false, 1, nullptr},
        {"station protocol=extended mode=control\n", StationReaderQt::Mode::kCards, true, 0,
         "Станция не в режиме считывания (режим: контроль)"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.script);
        std::string script = k.script;
        if (script.back() == '=') {
            for (int i = 0; i < 100; ++i)
                script += (i ? "," : "") + std::to_string(31 + i) + "@" +
                          format_time_text(hms(10, 1, 0) + 6000 * i, 0);
            script += "\n";
        }
        ReaderEnv e;
        SimThread sim(script);
        e.device = sim.path;
        StationReaderQt::Environment env = e.env();
        std::vector<StationSetup> found;
        std::vector<std::string> lines;
        env.station_found = [&](const StationSetup& setup, StationReaderQt::Mode) {
            found.push_back(setup);
        };
        env.card_processed = [&](const CardReadout& card, const CardExtras& extras,
                                 const ReadoutOutcome& out) {
            lines.push_back(card_status_line(e.f.c, card, out, punch_settings_from(e.f.c.info),
                                             russian_language_table(), &extras));
        };
        StationReaderQt reader(std::move(env));
        reader.timing = {40, 10, 1, 5};
        reader.pauses = {10, 10};
        ASSERT_TRUE(reader.toggle(k.mode));
        ASSERT_TRUE(wait_for([&] { return !found.empty(); }));
        EXPECT_EQ(found[0].extended(), k.extended);
        if (k.cards) {
            ASSERT_TRUE(wait_for([&] { return reader.cards_processed() == k.cards; }));
        }
        if (k.message) {
            if (k.mode == StationReaderQt::Mode::kMemory) {
                ASSERT_TRUE(wait_for([&] { return !reader.reading_active(); }));
            }
            wait_for([&] { return !e.prompts.messages.empty(); });
            ASSERT_EQ(e.prompts.messages.size(), 1u);
            EXPECT_EQ(e.prompts.messages[0].rfind(utf8_to_cp1251(k.message), 0), 0u)
                << cp1251_to_utf8(e.prompts.messages[0]);
            EXPECT_EQ(reader.records_processed(), 0);
        } else {
            EXPECT_TRUE(e.prompts.messages.empty());
        }
        reader.stop();
        if (k.extended && k.cards) {
            ASSERT_EQ(lines.size(), 1u);
            EXPECT_EQ(lines[0],
                      std::string("ЧИП 7100000, тип 10: строка финиша не создана: владелец не "
                                  "найден; ЧИП 7100000: отметок 100, сохранено 64"_cp1251));
            EXPECT_EQ(e.f.c.tables.card_readouts[0]->punch_count, 64);
        }
    }
}

// The adapter is pulled out while reading: the reader ends by itself, once, and says so.
TEST(StationReaderQt, PortThatGoesAwayEndsTheReaderOnce) {
    ReaderEnv e;
    auto sim = std::make_unique<SimThread>(
        "card type=6 number=2000001 start=10:00:00 finish=10:30:00 punches=31@10:10:00\n");
    e.device = sim->path;
    StationReaderQt reader(e.env());
    reader.timing = {40, 10, 1, 5};
    reader.pauses = {10, 10};
    int stopped = 0, lost = 0;
    QObject::connect(&reader, &StationReaderQt::reading_stopped, [&] { ++stopped; });
    QObject::connect(&reader, &StationReaderQt::port_lost, [&] { ++lost; });
    ASSERT_TRUE(reader.toggle(StationReaderQt::Mode::kCards));
    ASSERT_TRUE(wait_for([&] { return reader.cards_processed() == 1; }));
    sim.reset();
    ASSERT_TRUE(wait_for([&] { return !reader.reading_active(); }));
    EXPECT_TRUE(wait_for([&] { return reader.worker_threads() == 0; }));
    EXPECT_EQ(stopped, 1);
    EXPECT_EQ(lost, 1);
    EXPECT_EQ(serial_port_holder(e.device), std::nullopt);
}

// F8 to stop, F8 again at once: the window waits for neither the ending reader nor its port.
// The worker is held up in opening its frame log (a pipe nobody reads yet), so it cannot end
// before the test lets it.
TEST(StationReaderQt, StopDoesNotWaitAndARestartWaitsForThePortOnItsWorker) {
    ReaderEnv e;
    SimThread sim(
        "card type=6 number=2000001 start=10:00:00 finish=10:30:00 punches=31@10:10:00\n");
    e.device = sim.path;
    auto dir =
        std::filesystem::temp_directory_path() / ("skarvel-f8-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::string log = (dir / "race.station.log").string();
    ASSERT_EQ(::mkfifo(log.c_str(), 0600), 0);
    StationReaderQt::Environment env = e.env();
    env.competition_path = [&dir] { return (dir / "race.wdb").string(); };
    env.port_settings = [&e] { return StationPortSettings{e.device, true}; };
    StationReaderQt reader(std::move(env));
    reader.timing = {40, 10, 1, 5};
    reader.pauses = {10, 10};
    // Lets the first worker go if stop() ever waited for it, so the test fails instead of hanging.
    std::atomic<bool> released{false}, rescued{false};
    int log_fd = -1;
    auto release = [&] {
        if (released.exchange(true)) return;
        log_fd = ::open(log.c_str(), O_RDONLY | O_NONBLOCK);
    };
    std::thread watchdog([&] {
        for (int i = 0; i < 600 && !released; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (!released) rescued = true;
        release();
    });

    ASSERT_TRUE(reader.toggle(StationReaderQt::Mode::kCards));
    EXPECT_FALSE(reader.toggle(StationReaderQt::Mode::kCards));  // F8 again: stopped at once
    EXPECT_FALSE(reader.reading_active());
    EXPECT_EQ(serial_port_holder(e.device), Txt::kPortHolderCards);  // still closing
    // Started again: it runs and waits for the port on its own thread; nobody else gets it.
    ASSERT_TRUE(reader.toggle(StationReaderQt::Mode::kCards));
    EXPECT_EQ(reader.worker_threads(), 2);
    PortClaim board;
    Txt held_by = Txt::kPortHolderBoard;
    EXPECT_FALSE(claim_serial_port(e.device, Txt::kPortHolderBoard, board, &held_by));
    EXPECT_EQ(held_by, Txt::kPortHolderCards);
    EXPECT_FALSE(rescued);

    release();
    ASSERT_TRUE(wait_for([&] { return reader.cards_processed() == 1; }));
    EXPECT_TRUE(wait_for([&] { return reader.worker_threads() == 1; }));
    EXPECT_TRUE(reader.reading_active());
    EXPECT_EQ(e.prompts.messages, std::vector<std::string>{});
    reader.stop_and_wait();
    EXPECT_EQ(serial_port_holder(e.device), std::nullopt);
    watchdog.join();
    if (log_fd >= 0) ::close(log_fd);
    std::filesystem::remove_all(dir);
}

// The work of a holder that waited in vain for an ending one's port does not run, and says who
// kept the port; the port goes to nobody else meanwhile.
TEST(WorkerHolder, GivesUpOnAPortThatStaysHeldAndNeverRunsTheWork) {
    std::string port = "/dev/skarvel-holder-test-" + std::to_string(::getpid());
    std::promise<void> go;
    std::shared_future<void> gate = go.get_future().share();
    WorkerHolder board, radio;
    ASSERT_TRUE(board
                    .start(port, Txt::kPortHolderBoard,
                           [gate](WorkerHolder::Job&) {
                               gate.wait();
                               return 0;
                           })
                    .started);
    board.stop();
    radio.port_wait_ms = 50;
    bool ran = false;
    std::vector<int> codes;
    QObject::connect(&radio, &WorkerHolder::ended, [&](int code) { codes.push_back(code); });
    ASSERT_TRUE(radio
                    .start(port, Txt::kPortHolderRadio,
                           [&ran](WorkerHolder::Job&) {
                               ran = true;
                               return 0;
                           })
                    .started);
    ASSERT_TRUE(wait_for([&] { return !codes.empty(); }));
    EXPECT_EQ(codes, std::vector<int>{WorkerHolder::kPortNotFree});
    EXPECT_EQ(radio.port_kept_by(), Txt::kPortHolderBoard);
    EXPECT_FALSE(ran);
    EXPECT_FALSE(radio.running());
    EXPECT_EQ(serial_port_holder(port), Txt::kPortHolderBoard);
    go.set_value();
    EXPECT_TRUE(wait_for([&] { return board.threads() == 0; }));
    EXPECT_EQ(serial_port_holder(port), std::nullopt);
}

// Another part of the program holds the port: the reader does not start and says who.
TEST(StationReaderQt, PortHeldElsewhereIsNamedAndFreedAfterStop) {
    ReaderEnv e;
    SimThread sim("memory card=4001 time=10:00:00\n");
    e.device = sim.path;
    StationReaderQt reader(e.env());
    reader.timing = {40, 10, 1, 5};
    reader.pauses = {10, 10};
    {
        PortClaim radio;
        ASSERT_TRUE(claim_serial_port(sim.path, Txt::kPortHolderRadio, radio));
        EXPECT_FALSE(reader.toggle(StationReaderQt::Mode::kCards));
        EXPECT_FALSE(reader.reading_active());
        EXPECT_EQ(e.prompts.messages,
                  std::vector<std::string>{port_busy_message(russian_language_table(), sim.path,
                                                             Txt::kPortHolderRadio)});
    }
    ASSERT_TRUE(reader.toggle(StationReaderQt::Mode::kMemory));
    EXPECT_EQ(serial_port_holder(sim.path), Txt::kPortHolderMemory);
    ASSERT_TRUE(wait_for([&] { return reader.records_processed() == 1; }));
    reader.stop();
    // The worker lets go of the port once it has closed it.
    EXPECT_TRUE(wait_for([&] { return !serial_port_holder(sim.path); }));
}

struct RadioEnv {
    PunchFixture f;
    ScriptedPrompts prompts;
    std::string device;
    std::vector<std::pair<int, std::int32_t>> stored;  // card, time
    RadioReaderQt::Environment env() {
        RadioReaderQt::Environment e;
        e.competition = [this]() -> Competition& { return f.c; };
        e.prompts = [this]() -> Prompts& { return prompts; };
        e.device = [this] { return device; };
        e.com_number = [] { return 3; };
        e.record_stored = [this](const RadioRecord& r, const RadioRecordOutcome& out) {
            stored.emplace_back(r.card_number, static_cast<std::int32_t>(out.time_word & 0xFFFFFF));
        };
        return e;
    }
    std::string text(Txt id) { return std::string(prompts.text(id)); }
};

TEST(RadioReaderQt, StoresRecordsOnTheOwnerThreadAndSaysOnAndOff) {
    RadioEnv e;
    e.f.c.info.competition_start = hms(9, 0, 0);
    e.f.runner(1, 21, 1000000, 0);
    sim::ModemScript script;
    ASSERT_TRUE(sim::parse_modem_script(
        "message 1000000:31@10:00:00 1000001:31@10:00:07\nmessage 4242:32@-\n", script, nullptr));
    sim::ModemSimulator modem(std::move(script), {});
    e.device = modem.open_pty();
    std::thread serve([&modem] { modem.run(); });
    RadioReaderQt reader(e.env());
    reader.timing = {40, 10, 1, 5};
    reader.pauses = {5, 20};
    ASSERT_TRUE(reader.toggle());
    EXPECT_EQ(serial_port_holder(e.device), Txt::kPortHolderRadio);
    ASSERT_TRUE(wait_for([&] { return reader.records_stored() == 3 && modem.held() == 0; }));
    EXPECT_FALSE(reader.toggle());
    EXPECT_FALSE(reader.running());
    EXPECT_TRUE(wait_for([&] { return !serial_port_holder(e.device); }));
    modem.stop();
    serve.join();
    std::string on = e.text(Txt::kRadioReadingOn);
    on.replace(on.find("%s"), 2, e.device);
    EXPECT_EQ(e.prompts.messages, (std::vector<std::string>{on, e.text(Txt::kRadioReadingOff)}));
    EXPECT_EQ(e.stored, (std::vector<std::pair<int, std::int32_t>>{
                            {1000000, hms(10, 0, 0)}, {1000001, hms(10, 0, 7)}, {4242, kDay - 1}}));
    ASSERT_EQ(e.f.c.tables.finish_lines.live_count(), 3);
    EXPECT_EQ(e.f.c.tables.finish_lines[0]->start_number, 21);
    EXPECT_EQ(e.f.c.tables.finish_lines[0]->time_word >> 24, 31u);
}

// The radio reader and the card reader on one port: whichever runs, the other says so.
TEST(RadioReaderQt, PortHeldOrMissingIsReported) {
    RadioEnv e;
    e.device = "/dev/skarvel-no-such-port";
    RadioReaderQt reader(e.env());
    int stopped = 0;
    QObject::connect(&reader, &RadioReaderQt::reading_stopped, [&] { ++stopped; });
    EXPECT_TRUE(reader.toggle());
    ASSERT_TRUE(wait_for([&] { return !reader.running(); }));
    EXPECT_EQ(stopped, 1);
    ASSERT_EQ(e.prompts.messages.size(), 1u);
    EXPECT_EQ(e.prompts.messages[0].rfind(
                  std::string("Не могу инициализировать порт COM3, err="_cp1251), 0),
              0u);

    PortClaim cards;
    ASSERT_TRUE(claim_serial_port(e.device, Txt::kPortHolderCards, cards));
    EXPECT_FALSE(reader.toggle());
    EXPECT_EQ(e.prompts.messages.back(),
              port_busy_message(russian_language_table(), e.device, Txt::kPortHolderCards));
}

TEST(StationReaderQt, PortThatCannotBeOpenedIsReported) {
    ReaderEnv e;
    e.device = "/dev/skarvel-no-such-port";
    e.f.c.info.port_index = 2;
    StationReaderQt reader(e.env());
    int stopped = 0;
    QObject::connect(&reader, &StationReaderQt::reading_stopped, [&] { ++stopped; });
    // The window does not wait for the port: the reader ends a moment later and says why.
    EXPECT_TRUE(reader.toggle(StationReaderQt::Mode::kCards));
    ASSERT_TRUE(wait_for([&] { return !reader.reading_active(); }));
    EXPECT_EQ(stopped, 1);
    ASSERT_EQ(e.prompts.messages.size(), 1u);
    EXPECT_EQ(e.prompts.messages[0].rfind(
                  std::string("Не могу инициализировать порт COM3, err="_cp1251), 0),
              0u);
}

}  // namespace
}  // namespace skarvel

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
