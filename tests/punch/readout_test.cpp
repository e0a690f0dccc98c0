// What a read card does to the competition: readouts, owners, start times, checks, penalties,
// statuses, finish lines and the call points for printing and the finish client.
#include "punch/readout.h"

#include <gtest/gtest.h>

#include "core/cp1251.h"
#include "core/demo_competition.h"
#include "core/time_text.h"
#include "punch/card_status.h"
#include "tests/punch/punch_fixture.h"

namespace skarvel {
namespace {

using namespace skarvel::literals;
using test::card_with;
using test::hms;
using test::PunchFixture;

struct Recorder {
    std::vector<const Runner*> printed;
    int send_all = 0;
    std::vector<int> sent;
    ReadoutHooks hooks() {
        ReadoutHooks h;
        h.print_split = [this](const Runner* r, const CardReadout&) { printed.push_back(r); };
        h.send_unsent_finish_lines = [this] { ++send_all; };
        h.send_finish_line = [this](int slot) { sent.push_back(slot); };
        return h;
    }
};

struct ReadoutTest : ::testing::Test {
    PunchFixture f;
    PunchSettings s;
    ReadoutState state;
    ScriptedPrompts prompts;
    Recorder rec;

    void SetUp() override {
        f.course(1, "A", {31, 32, 33}, 3, 60);
        f.group(1, "M21", 1);
        s.check_mode = kCheckCourse;
        s.start_source = kSourceStation;
        s.finish_source = kSourceStation;
        s.warnings = 1;
    }
    ReadoutOutcome read(const CardReadout& card) {
        return process_card(f.c, card, s, state, prompts, rec.hooks());
    }
};

TEST_F(ReadoutTest, GoodCardMakesReadoutStartAndFinishLine) {
    Runner& r = f.runner(1, 11, 5001, 1);
    CardReadout card = card_with(5001, {31, 32, 33});
    auto out = read(card);
    ASSERT_EQ(out.readout_slot, 0);
    EXPECT_EQ(f.c.tables.card_readouts[0]->card_number, 5001);
    EXPECT_EQ(out.owner, &r);
    EXPECT_EQ(out.check_result, 1);
    EXPECT_EQ(r.start_time, card.start.time);
    EXPECT_EQ(r.status, kStatusOk);
    EXPECT_EQ(out.message,
              std::string("Проверила отметку (по дистанции)!\r\nОтметка - ОК\r\n"_cp1251));
    ASSERT_EQ(out.finish_slot, 0);
    const FinishLine& line = *f.c.tables.finish_lines[0];
    EXPECT_EQ(line.start_number, 11);
    EXPECT_EQ(line.time(), card.finish.time);
    EXPECT_EQ(f.c.finish_count_by_number[11], 1);
    EXPECT_EQ(rec.sent, std::vector<int>{0});
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_TRUE(f.c.modified);
}

TEST_F(ReadoutTest, BadPunchDisqualifiesAndTellsTheWholeMessage) {
    Runner& r = f.runner(1, 11, 5001, 1);
    auto out = read(card_with(5001, {31, 33}));
    EXPECT_EQ(out.check_result, 0);
    EXPECT_EQ(r.status, kStatusWrongPunch);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0],
              std::string("Проверила отметку (по дистанции)!\r\nОтметка - Плохая, снимаю"_cp1251));
    EXPECT_EQ(out.finish_slot, 0);  // the finish line is written all the same
}

TEST_F(ReadoutTest, StartFromFirstPunchOrKept) {
    Runner& r = f.runner(1, 11, 5001, 1);
    r.start_time = hms(9, 0, 0);
    s.start_source = kSourceDatabase;
    read(card_with(5001, {31, 32, 33}));
    EXPECT_EQ(r.start_time, hms(9, 0, 0));
    s.start_source = kSourcePunch;
    CardReadout card = card_with(5001, {31, 32, 33});
    read(card);
    EXPECT_EQ(r.start_time, card.punches[0].time);
}

TEST_F(ReadoutTest, SecondReadingReplacesTheFirst) {
    f.runner(1, 11, 5001, 1);
    read(card_with(5001, {31, 32, 33}));
    CardReadout again = card_with(5001, {31, 32, 33, 34}, hms(11, 0, 0));
    auto out = read(again);
    EXPECT_TRUE(out.reread);
    EXPECT_EQ(f.c.tables.card_readouts.live_count(), 1);
    EXPECT_EQ(f.c.tables.card_readouts[0]->punch_count, 4);
    EXPECT_EQ(f.c.tables.card_readouts[0]->finish.time, again.finish.time);
    ASSERT_FALSE(prompts.messages.empty());
    EXPECT_EQ(prompts.messages[0], std::string("Такой ЧИП уже был!"_cp1251));
}

TEST_F(ReadoutTest, SecondReadingAppendsUpTo64) {
    f.runner(1, 11, 5001, 1);
    s.append_on_reread = 1;
    s.warnings = 0;
    std::initializer_list<int> forty = {31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44,
                                        45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58,
                                        59, 60, 61, 62, 63, 64, 65, 66, 67, 68, 69, 70};
    read(card_with(5001, {31, 32}));
    CardReadout second = card_with(5001, {33}, hms(11, 0, 0));
    read(second);
    const CardReadout& stored = *f.c.tables.card_readouts[0];
    ASSERT_EQ(stored.punch_count, 3);
    EXPECT_EQ(stored.punches[2].code, 33);
    EXPECT_EQ(stored.finish.time, second.finish.time);
    read(card_with(5001, forty));
    read(card_with(5001, forty));
    EXPECT_EQ(stored.punch_count, 64);
    EXPECT_EQ(stored.punches[63].code, 31 + 21 - 1 + 0);  // the 21st of the second forty
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(ReadoutTest, LabyrinthMakesRunnersOneTwoThree) {
    s.labyrinth_mode = 1;
    s.check_mode = kCheckNone;
    for (int number : {777, 777, 4242}) read(card_with(number, {31}));
    ASSERT_EQ(f.c.tables.runners.live_count(), 3);
    for (int n = 1; n <= 3; ++n) {
        const Runner* r = f.c.runner_by_number(n);
        ASSERT_NE(r, nullptr) << n;
        EXPECT_EQ(r->card_number, n);
        EXPECT_EQ(r->id, n);
        EXPECT_EQ(std::string(field_text(r->name)), ".");
        EXPECT_EQ(f.c.tables.card_readouts[n - 1]->card_number, n);
    }
    EXPECT_EQ(f.c.tables.finish_lines.live_count(), 3);
}

TEST_F(ReadoutTest, UnknownCardAsksForTheNumber) {
    Runner& r = f.runner(1, 12, 0, 1);
    s.ask_owner_number = 1;
    prompts.texts.push_back(std::string("12"));
    auto out = read(card_with(8888, {31, 32, 33}));
    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_EQ(prompts.questions[0], "Finish time");
    EXPECT_EQ(out.owner, &r);
    EXPECT_EQ(r.card_number, 8888);
    EXPECT_EQ(state.last_typed_number, 12);

    // Cancelled: no owner.
    read(card_with(8889, {31}));
    EXPECT_EQ(state.last_typed_number, 12);
    EXPECT_EQ(prompts.messages.back(), std::string("Владелец не найден!"_cp1251));
}

TEST_F(ReadoutTest, NoOwnerKeepsTheCardAndPrintsWithoutOwner) {
    s.print_on_read = 1;
    auto out = read(card_with(9999, {31}));
    EXPECT_EQ(out.owner, nullptr);
    EXPECT_EQ(f.c.tables.card_readouts.live_count(), 1);
    EXPECT_EQ(f.c.tables.finish_lines.live_count(), 0);
    ASSERT_EQ(rec.printed.size(), 1u);
    EXPECT_EQ(rec.printed[0], nullptr);
    EXPECT_EQ(prompts.messages, std::vector<std::string>{"Владелец не найден!"_cp1251});
}

TEST_F(ReadoutTest, CardNumberZeroHasNoOwner) {
    f.runner(1, 11, 0, 1);
    auto out = read(card_with(0, {31}));
    EXPECT_EQ(out.owner, nullptr);
}

TEST_F(ReadoutTest, UniqueCountPenaltyAndStatus) {
    f.c.tables.courses[0]->control_count = 10;
    Runner& r = f.runner(1, 11, 5001, 1);
    s.check_mode = kCheckUniqueCount;
    s.penalty_per_miss = 5;
    s.warnings = 0;
    read(card_with(5001, {31, 32, 33, 34, 35, 36, 37, 38}));
    EXPECT_EQ(r.penalty, 10);
    EXPECT_EQ(r.status, kStatusOk);

    s.penalty_per_miss = 0;
    read(card_with(5001, {31, 32, 33, 34, 35, 36, 37, 38}));
    EXPECT_EQ(r.status, kStatusWrongPunch);

    r.status = 0;
    r.penalty = 99;
    s.penalty_per_miss = 1;
    read(card_with(5001, {31, 32, 33, 34, 35, 36, 37, 38, 39}));
    EXPECT_EQ(r.penalty, 0);  // one short gives 1, and 1 means no penalty
    EXPECT_EQ(r.status, kStatusOk);
}

TEST_F(ReadoutTest, ThreadModePenaltyWithoutStatus) {
    Runner& r = f.runner(1, 11, 5001, 1);
    s.check_mode = kCheckThread;
    s.penalty_per_miss = 2;
    s.limit_disqualify = 1;
    r.result = hms(5, 0, 0);
    auto out = read(card_with(5001, {31, 31, 35, 33}));
    EXPECT_EQ(out.check_result, 1);
    EXPECT_EQ(r.penalty, 2);
    EXPECT_EQ(r.status, kStatusOk);
    EXPECT_TRUE(out.message.empty());
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(ReadoutTest, TheTimeLimitIsDecidedOnThisCardsOwnResult) {
    struct Case {
        int limit_min;
        std::int32_t stale_result;  // the owner's result before this card
        std::int32_t run;           // this card's finish minus its start
        int status;
    };
    const Case cases[] = {
        {60, 0, hms(1, 0, 0), kStatusOk},              // exactly the limit: fine
        {60, 0, hms(1, 0, 1), kStatusOverTime},        // a first read is decided too
        {60, hms(2, 0, 0), hms(0, 40, 0), kStatusOk},  // an old slow result does not count
        {0, 0, hms(5, 0, 0), kStatusOk},               // 0 is no limit
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.limit_min * 100000 + k.run);
        PunchFixture g;
        g.course(1, "A", {31, 32, 33}, 3, k.limit_min);
        g.group(1, "M21", 1);
        Runner& r = g.runner(1, 11, 5001, 1);
        r.result = k.stale_result;
        s.limit_disqualify = 1;
        CardReadout card = card_with(5001, {31, 32, 33});
        card.finish.time = card.start.time + k.run;
        ScriptedPrompts p;
        process_card(g.c, card, s, state, p, rec.hooks());
        EXPECT_EQ(r.status, k.status);
        EXPECT_EQ(r.finish_time - r.start_time, k.run);  // results are fresh at once
        if (k.status == kStatusOverTime) {
            ASSERT_FALSE(p.messages.empty());
            EXPECT_EQ(p.messages.back(),
                      std::string("Снимаю за превышение контрольного времени!"_cp1251));
        }
    }
}

TEST_F(ReadoutTest, AStoredCheckModeOutsideTheListChecksNothing) {
    for (int mode : {7, 9, 200}) {
        PunchFixture g;
        g.course(1, "A", {31, 32, 33}, 3, 60);
        g.group(1, "M21", 1);
        Runner& r = g.runner(1, 11, 5001, 1);
        s.check_mode = static_cast<std::uint8_t>(mode);
        auto out = process_card(g.c, card_with(5001, {40}), s, state, prompts, rec.hooks());
        EXPECT_FALSE(out.checked) << mode;
        EXPECT_EQ(r.status, kStatusOk) << mode;
        EXPECT_EQ(out.message, std::string("отметка не проверялась\r\n"_cp1251)) << mode;
    }
}

TEST_F(ReadoutTest, ACardWithAFinishProvesTheStart) {
    struct Case {
        bool good_punches;
        bool finish_on_card;
        int status;
        bool proved;
    };
    const Case cases[] = {
        {true, true, kStatusOk, true},
        {false, true, kStatusWrongPunch, true},  // started, but punched wrong
        {true, false, kStatusDidNotStart, false},
    };
    for (const Case& k : cases) {
        PunchFixture g;
        g.course(1, "A", {31, 32, 33}, 3, 0);
        g.group(1, "M21", 1);
        Runner& r = g.runner(1, 11, 5001, 1);
        r.status = kStatusDidNotStart;
        CardReadout card =
            k.good_punches ? card_with(5001, {31, 32, 33}) : card_with(5001, {31, 33});
        if (!k.finish_on_card) card.finish.time = 0;
        ScriptedPrompts p;
        auto out = process_card(g.c, card, s, state, p, rec.hooks());
        EXPECT_EQ(r.status, k.status);
        EXPECT_EQ(out.start_proved, k.proved);
        const std::string said = "Финиш на ЧИПе: статус \"Не стартовал\" снят"_cp1251;
        EXPECT_EQ(out.message.find(said) != std::string::npos, k.proved);
        EXPECT_EQ(!p.messages.empty() && p.messages.front() == said, k.proved);
    }
}

TEST_F(ReadoutTest, FinishLineGoesAfterTheLastUsedLine) {
    f.runner(1, 11, 5001, 1);
    auto& lines = f.c.tables.finish_lines;
    // A line in use, a prepared empty line, then another empty one.
    for (int i = 0; i < 3; ++i) f.c.new_record(kFinishLines);
    lines[0]->start_number = 3;
    lines[0]->set_time(hms(10, 0, 0));
    auto out = read(card_with(5001, {31, 32, 33}));
    EXPECT_EQ(out.finish_slot, 1);
    EXPECT_EQ(lines[1]->start_number, 11);
    auto again = read(card_with(5001, {31, 32, 33}));
    EXPECT_EQ(again.finish_slot, 2);
    auto third = read(card_with(5001, {31, 32, 33}));
    EXPECT_EQ(third.finish_slot, 3);
    EXPECT_EQ(lines.live_count(), 4);
}

TEST_F(ReadoutTest, ReusedPreparedLineKeepsItsMarks) {
    f.runner(1, 11, 5001, 1);
    auto& lines = f.c.tables.finish_lines;
    for (int i = 0; i < 2; ++i) f.c.new_record(kFinishLines);
    lines[0]->start_number = 3;
    lines[0]->set_time(hms(10, 0, 0));
    lines[1]->flags = FinishLine::kFlagToggle | FinishLine::kFlagPosted;
    auto out = read(card_with(5001, {31, 32, 33}));
    ASSERT_EQ(out.finish_slot, 1);
    EXPECT_EQ(lines[1]->start_number, 11);
    EXPECT_EQ(lines[1]->flags, FinishLine::kFlagToggle | FinishLine::kFlagPosted);
}

TEST_F(ReadoutTest, FinishFromTheLastPunch) {
    f.runner(1, 11, 5001, 1);
    s.finish_source = kSourcePunch;
    CardReadout card = card_with(5001, {31, 32, 33});
    auto out = read(card);
    EXPECT_EQ(f.c.tables.finish_lines[out.finish_slot]->time(), card.punches[2].time);
    auto none = read(card_with(5001, {}));
    EXPECT_EQ(f.c.tables.finish_lines[none.finish_slot]->time(), 0);
}

TEST_F(ReadoutTest, FinishFromTheFinishListAsksTheClientToSend) {
    f.runner(1, 11, 5001, 1);
    s.finish_source = kSourceDatabase;
    auto out = read(card_with(5001, {31, 32, 33}));
    EXPECT_EQ(out.finish_slot, kNoSlot);
    EXPECT_EQ(f.c.tables.finish_lines.live_count(), 0);
    EXPECT_EQ(rec.send_all, 1);
    EXPECT_TRUE(rec.sent.empty());
}

TEST_F(ReadoutTest, PrintingRecomputesAndPrintsTwiceWhenBad) {
    Runner& r = f.runner(1, 11, 5001, 1);
    r.start_time = hms(10, 0, 0);
    s.start_source = kSourceDatabase;
    s.print_on_read = 1;
    s.second_copy_on_bad = 1;
    CardReadout card = card_with(5001, {31, 32, 33});
    read(card);
    EXPECT_EQ(rec.printed.size(), 1u);
    EXPECT_EQ(r.finish_time, card.finish.time);
    EXPECT_GT(r.result, 0);
    s.warnings = 0;
    read(card_with(5001, {31}));
    EXPECT_EQ(rec.printed.size(), 3u);
}

TEST_F(ReadoutTest, FullFinishTableIsReported) {
    f.runner(1, 11, 5001, 1);
    auto& lines = f.c.tables.finish_lines;
    for (int i = 0; i < lines.capacity(); ++i) lines.slot(i) = std::make_unique<FinishLine>();
    lines[lines.capacity() - 1]->start_number = 1;
    auto out = read(card_with(5001, {31, 32, 33}));
    EXPECT_EQ(out.finish_slot, kNoSlot);
    EXPECT_EQ(prompts.messages.back(), std::string("Нет памяти для создания финиша"_cp1251));
}

TEST_F(ReadoutTest, RecheckShowsTheResult) {
    f.runner(1, 11, 5001, 1);
    f.c.new_record(kCardReadouts);
    *f.c.tables.card_readouts[0] = card_with(5001, {31, 32, 33});
    EXPECT_EQ(recheck_readout(f.c, 0, s, prompts, rec.hooks()), 1);
    EXPECT_EQ(prompts.messages.back(), "Check_cp=1");
    f.c.tables.card_readouts[0]->card_number = 1;
    EXPECT_EQ(recheck_readout(f.c, 0, s, prompts, rec.hooks()), -1);
    EXPECT_EQ(prompts.messages.back(), std::string("Владелец не найден!"_cp1251));
}

TEST(MemoryRecord, FillsBlankLineOrAppendsWithTheOwnersNumber) {
    PunchFixture f;
    f.runner(1, 21, 4001, 0);
    ScriptedPrompts p;
    auto& lines = f.c.tables.finish_lines;
    f.c.new_record(kFinishLines);
    lines[0]->start_number = 5;  // a line typed in ahead, no time yet
    auto a = store_memory_record(f.c, 4001, hms(10, 0, 0), p);
    EXPECT_EQ(a.finish_slot, 0);
    EXPECT_EQ(lines[0]->start_number, 5);
    EXPECT_EQ(lines[0]->time(), hms(10, 0, 0));
    auto b = store_memory_record(f.c, 4001, hms(10, 0, 5), p);
    EXPECT_EQ(b.finish_slot, 1);
    EXPECT_EQ(lines[1]->start_number, 21);
    auto c = store_memory_record(f.c, 123, hms(10, 0, 6), p);
    EXPECT_EQ(lines[c.finish_slot]->start_number, 0);
    ASSERT_EQ(f.c.tables.card_readouts.live_count(), 3);
    EXPECT_EQ(f.c.tables.card_readouts[2]->card_number, 123);
    EXPECT_EQ(f.c.tables.card_readouts[2]->finish.time, hms(10, 0, 6));
}

// The status-bar line after each card: who, what result or verdict, and why no finish line.
TEST_F(ReadoutTest, StatusLineSaysWhoWhatAndWhyNoFinishLine) {
    f.runner(1, 11, 5001, 1, "Petrov Ivan");
    f.runner(2, 12, 5002, 1, "Orlov Oleg");
    f.runner(3, 13, 5003, 1, "Lis Ivan");
    set_field_text(f.c.info.status_names[kStatusWrongPunch], "непр.отм."_cp1251);
    s.warnings = 0;
    LanguageTable en;
    en.build(UiLanguage::kEnglish);
    const std::string dash = " \x97 ";
    struct Case {
        CardReadout card;
        std::uint8_t finish_source;
        const LanguageTable* lang;
        std::string expected;
    };
    const LanguageTable& ru = russian_language_table();
    const Case cases[] = {
        {card_with(5001, {31, 32, 33}), kSourceStation, &ru,
         std::string("ЧИП 5001: N11 Petrov Ivan"_cp1251) + dash + "результат "_cp1251.c_str() +
             format_time_text(hms(0, 5, 0), 0)},
        {card_with(5002, {31, 33}), kSourceStation, &en,
         "Card 5002: N12 Orlov Oleg" + dash + "непр.отм."_cp1251.c_str()},
        {card_with(5001, {31, 32, 33}), kSourceStation, &en,
         "Card 5001 (read again): N11 Petrov Ivan" + dash + "result " +
             format_time_text(hms(0, 5, 0), 0)},
        {card_with(7777, {31}), kSourceStation, &ru,
         std::string("ЧИП 7777: строка финиша не создана: владелец не найден"_cp1251)},
        {card_with(7778, {31}), kSourceStation, &en,
         "Card 7778: no finish line: no runner has this card"},
        {card_with(5003, {31, 32, 33}), kSourceDatabase, &en,
         "Card 5003: N13 Lis Ivan; no finish line: the finish time is taken from the finish list "
         "(Vespunt settings)"},
    };
    for (const Case& k : cases) {
        s.finish_source = k.finish_source;
        prompts.set_language(k.lang);
        auto out = read(k.card);
        f.c.recompute_finish_results();
        EXPECT_EQ(card_status_line(f.c, k.card, out, s, *k.lang), k.expected);
    }
    // A card without a finish time still makes its line, and the operator hears why it is blank.
    CardReadout blank = card_with(5001, {31, 32, 33});
    blank.finish.time = 0;
    s.finish_source = kSourceStation;
    auto out = read(blank);
    std::string line = card_status_line(f.c, blank, out, s, en);
    EXPECT_TRUE(line.starts_with("Card 5001 (read again): N11 Petrov Ivan")) << line;
    EXPECT_TRUE(line.ends_with("; the card holds no finish time")) << line;
}

// Messages of the readout speak the prompts' language.
TEST_F(ReadoutTest, MessagesFollowThePromptsLanguage) {
    LanguageTable en;
    en.build(UiLanguage::kEnglish);
    prompts.set_language(&en);
    read(card_with(9999, {31}));
    EXPECT_EQ(prompts.messages, std::vector<std::string>{"No runner has this card!"});
}

// The demo on race day: the cards of the runners still out, read with the demo's own
// settings, become finish lines with the station's finish time; the first misses a control.
TEST(DemoRaceDay, StillOutCardsBecomeFinishLinesInMarkedClasses) {
    auto c = std::make_unique<Competition>();
    DemoOptions o;
    o.still_out = 4;
    std::vector<CardReadout> cards;
    make_demo_competition(*c, o, &cards);
    ASSERT_EQ(cards.size(), 4u);
    EXPECT_TRUE(c->tables.classes[0]->marked() && c->tables.classes[1]->marked());
    EXPECT_FALSE(c->tables.classes[2]->marked());
    const PunchSettings s = punch_settings_from(c->info);
    EXPECT_EQ(s.finish_source, kSourceStation);
    EXPECT_EQ(s.check_mode, kCheckCourse);

    ScriptedPrompts prompts;
    ReadoutState state;
    const int lines_before = c->tables.finish_lines.live_count();
    for (std::size_t i = 0; i < cards.size(); ++i) {
        Runner* owner = runner_by_card(*c, cards[i].card_number);
        ASSERT_NE(owner, nullptr);
        EXPECT_LT(owner->class_id, 3);
        EXPECT_EQ(owner->status, kStatusOk);
        for (int k = 0; k < c->tables.finish_lines.capacity() && c->tables.finish_lines[k]; ++k)
            EXPECT_NE(c->tables.finish_lines[k]->start_number, owner->start_number);
        auto out = process_card(*c, cards[i], s, state, prompts, {});
        ASSERT_NE(out.finish_slot, kNoSlot);
        EXPECT_EQ(c->tables.finish_lines[out.finish_slot]->time(), cards[i].finish.time);
        EXPECT_EQ(owner->status, i == 0 ? kStatusWrongPunch : kStatusOk) << i;
    }
    EXPECT_EQ(c->tables.finish_lines.live_count(), lines_before + 4);
}

}  // namespace
}  // namespace skarvel
