// End to end: the station simulator feeds cards over a pseudo-terminal while "Печатать при
// чтении" is on; every card gives a stored readout, a finish line and its printed sheet (two
// for a bad punch with "2 экз. при плохой отметке") on the recording printer.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "core/cp1251.h"
#include "core/time_text.h"
#include "platform/qt/qt_serial_port.h"
#include "punch/readout.h"
#include "punch/split_sheet.h"
#include "punch/station_reader.h"
#include "tools/station_sim/station_sim.h"

namespace skarvel {
namespace {

std::string cp(const char* utf8) {
    return utf8_to_cp1251(utf8);
}

class Simulator {
  public:
    explicit Simulator(const std::string& script_text) {
        sim::SimScript script;
        std::string error;
        EXPECT_TRUE(sim::parse_script(script_text, script, &error)) << error;
        sim_ =
            std::make_unique<sim::StationSimulator>(std::move(script), sim::SimOptions{150, 5, 0});
        path_ = sim_->open_pty();
        EXPECT_FALSE(path_.empty());
        thread_ = std::thread([this] { sim_->run(); });
    }
    ~Simulator() {
        sim_->stop();
        thread_.join();
    }
    const std::string& path() const { return path_; }

  private:
    std::unique_ptr<sim::StationSimulator> sim_;
    std::string path_;
    std::thread thread_;
};

struct SplitE2e : ::testing::Test {
    Competition c;
    PunchSettings s;
    ScriptedPrompts prompts;
    RecordingPrinterProvider printers;
    RecordingShellOpener shell;
    ReportEnv env{prompts, printers, shell};

    void SetUp() override {
        set_field_text(c.info.title_lines[0], "Open Cup");
        Course* course = c.tables.courses[c.new_record(kCourses)];
        course->id = 1;
        set_field_text(course->name, "A");
        course->control_codes[0] = 31;
        course->control_codes[1] = 16;
        course->control_codes[2] = 33;
        ClassRecord* cls = c.tables.classes[c.new_record(kClasses)];
        cls->id = 1;
        cls->course_id = 1;
        set_field_text(cls->name, "M21");
        const std::pair<int, int> runners[] = {{1, 12345}, {2, 1234567}, {3, 6000123}};
        for (auto [number, card] : runners) {
            Runner* r = c.tables.runners[c.new_record(kRunners)];
            r->id = number;
            r->start_number = static_cast<std::uint16_t>(number);
            r->card_number = card;
            r->class_id = 1;
            set_field_text(r->name, "Runner " + std::to_string(number));
        }
        c.rebuild_number_index();
        s.competition_start = parse_time_text("09:00:00");
        s.check_mode = 1;
        s.start_source = 1;
        s.finish_source = 1;
        s.fast_station = 1;
        s.print_on_read = 1;
        s.second_copy_on_bad = 1;
        store_punch_settings(c.info, s);
    }

    int read_cards(const std::string& device, int n) {
        auto port = open_serial_port(device, s.baud_rate());
        EXPECT_NE(port, nullptr);
        if (!port) return 0;
        port->discard_input();
        StationLink link(*port, StationLinkTiming{40, 10, 1, 5});
        std::atomic<bool> done{false};
        std::thread watchdog([&] {
            auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (!done && std::chrono::steady_clock::now() < until)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (!done) link.request_stop();
        });
        ReadoutState state;
        ReadoutHooks readout_hooks;
        readout_hooks.print_split = split_print_hook(c, env);
        int processed = 0;
        CardReaderHooks hooks;
        hooks.card_read = [&](const CardReadout& card) {
            process_card(c, card, s, state, prompts, readout_hooks);
            return ++processed < n;
        };
        int cards = run_card_reader(link, read_options_from(s), hooks, ReaderPauses{10, 10});
        done = true;
        watchdog.join();
        port->close();
        return cards;
    }
};

TEST_F(SplitE2e, EveryCardPrintsItsSheetAndABadPunchTwo) {
    Simulator sim(
        "card type=5 number=12345 startno=1 start=10:00:00 finish=10:40:00 "
        "punches=31@10:10:00,16@10:20:00,33@10:30:00\n"
        "card type=6 number=1234567 startno=2 start=11:00:00 finish=11:50:00 "
        "punches=31@11:10:00,16@11:20:00,33@11:30:00,100@11:40:00\n"
        "card type=10 number=6000123 startno=3 start=12:00:00 finish=12:45:00 "
        "punches=31@12:10:00,33@12:30:00\n");
    ASSERT_EQ(read_cards(sim.path(), 3), 3);

    EXPECT_EQ(c.tables.card_readouts.live_count(), 3);
    ASSERT_EQ(c.tables.finish_lines.live_count(), 3);
    EXPECT_EQ(c.tables.finish_lines[0]->start_number, 1);
    EXPECT_EQ(c.tables.finish_lines[0]->time(), parse_time_text("10:40:00"));
    EXPECT_EQ(c.tables.finish_lines[2]->start_number, 3);
    EXPECT_EQ(c.runner_by_number(3)->status, kStatusWrongPunch);

    ASSERT_EQ(printers.documents.size(), 4u);
    const char* names[] = {"Информашка № 1 :Runner 1", "Информашка № 2 :Runner 2",
                           "Информашка № 3 :Runner 3", "Информашка № 3 :Runner 3"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(printers.documents[i].name, cp(names[i]));
        ASSERT_EQ(printers.documents[i].pages.size(), 1u);
        EXPECT_EQ(printers.faults[i], 0);
    }
    auto first = printers.documents[0].pages[0].texts();
    EXPECT_EQ(first.back(), cp("Отметка - ОК"));
    EXPECT_NE(std::find(first.begin(), first.end(), cp("Результат:00:40:00")), first.end());
    // The second card's extra punch 100 comes after the last control: not listed.
    auto bad = printers.documents[3].pages[0].texts();
    EXPECT_NE(std::find(bad.begin(), bad.end(), cp("Отметка - ПЛОХАЯ")), bad.end());
    EXPECT_EQ(bad.back(), " 31  16  33 ");
}

TEST_F(SplitE2e, UnknownCardPrintsThePlainSheet) {
    Simulator sim(
        "card type=5 number=55555 startno=9 start=10:00:00 finish=10:40:00 "
        "punches=31@10:10:00\n");
    ASSERT_EQ(read_cards(sim.path(), 1), 1);
    EXPECT_EQ(c.tables.card_readouts.live_count(), 1);
    EXPECT_EQ(c.tables.finish_lines.live_count(), 0);
    ASSERT_EQ(printers.documents.size(), 1u);
    EXPECT_EQ(printers.documents[0].name, cp("Информашка - неизвестный"));
    auto texts = printers.documents[0].pages[0].texts();
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[1], cp("Неизвестный участник"));
}

}  // namespace
}  // namespace skarvel

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
