#include "core/maintenance.h"

#include <gtest/gtest.h>

#include "core/cp1251.h"
#include "core/time_text.h"

using namespace skarvel;
using namespace skarvel::literals;

namespace {
std::string cp(std::string_view s) {
    return std::string(s);
}

Runner& add_runner(Competition& c, int id, int number, int card) {
    Runner& r = *c.tables.runners[c.new_record(kRunners)];
    r.id = id;
    r.start_number = static_cast<std::uint16_t>(number);
    r.card_number = card;
    return r;
}
void add_line(Competition& c, int number, std::uint32_t time_word = 0) {
    FinishLine& l = *c.tables.finish_lines[c.new_record(kFinishLines)];
    l.start_number = static_cast<std::int16_t>(number);
    l.time_word = time_word;
}
}  // namespace

TEST(DuplicateCards, PairsShownAtTheTopOnYes) {
    Competition c;
    add_runner(c, 1, 1, 500);
    add_runner(c, 2, 2, 0);
    add_runner(c, 3, 3, 300);
    add_runner(c, 4, 4, 500);
    c.view.table = kClubs;
    c.view.cursor[kRunners] = 3;
    ScriptedPrompts p;
    p.yes_no_answers = {true, true};
    EXPECT_TRUE(check_duplicate_card_numbers(c, p, false));
    EXPECT_EQ(p.questions[0], cp("Проверить базу данных на парные VP-номера?"_cp1251));
    EXPECT_EQ(p.questions[1], cp("Есть парные номера, показать их список?"_cp1251));
    EXPECT_EQ(p.captions[0], cp("Проверка"_cp1251));
    EXPECT_EQ(p.captions[1], cp("Ошибка"_cp1251));
    auto& t = c.tables.runners;
    EXPECT_EQ(t[0]->card_number, 500);
    EXPECT_EQ(t[1]->card_number, 500);
    EXPECT_EQ(t[0]->draw_key, 1);
    EXPECT_EQ(t[2], nullptr);
    // The others from the last slot downward, in card-number order.
    EXPECT_EQ(t[t.capacity() - 1]->card_number, 0);
    EXPECT_EQ(t[t.capacity() - 2]->card_number, 300);
    EXPECT_EQ(t.occupied_count(), 4);
    EXPECT_EQ(c.view.table, kRunners);
    EXPECT_EQ(c.view.cursor[kRunners], 0);
}

TEST(DuplicateCards, NoKeepsTheOrder) {
    Competition c;
    add_runner(c, 1, 1, 500);
    add_runner(c, 2, 2, 300);
    add_runner(c, 3, 3, 500);
    Runner* first = c.tables.runners[0];
    ScriptedPrompts p;
    p.yes_no_answers = {true, false};
    EXPECT_FALSE(check_duplicate_card_numbers(c, p, false));
    EXPECT_EQ(c.tables.runners[0], first);
    EXPECT_EQ(c.tables.runners[1]->id, 2);
    EXPECT_EQ(c.tables.runners[2]->id, 3);
}

TEST(DuplicateCards, Messages) {
    Competition c;
    ScriptedPrompts p;
    p.default_answer = true;
    add_runner(c, 1, 1, 0);
    EXPECT_FALSE(check_duplicate_card_numbers(c, p, false));
    add_runner(c, 2, 2, 7);
    EXPECT_FALSE(check_duplicate_card_numbers(c, p, false));
    add_runner(c, 3, 3, 8);
    EXPECT_FALSE(check_duplicate_card_numbers(c, p, false));
    ASSERT_EQ(p.messages.size(), 3u);
    EXPECT_EQ(p.messages[0], cp("Участников с VP-картами нет!"_cp1251));
    EXPECT_EQ(p.messages[1], cp("Есть всего 1 участник с VP-картами!"_cp1251));
    EXPECT_EQ(p.messages[2], cp("Ошибок (парных VP-номеров) нет"_cp1251));
    EXPECT_EQ(c.tables.runners[0]->id, 1);
    p.default_answer = false;
    p.messages.clear();
    EXPECT_FALSE(check_duplicate_card_numbers(c, p, false));  // declined: nothing told
    EXPECT_TRUE(p.messages.empty());
}

TEST(StartGates, UnnumberedLinesTakeTheNumberAbove) {
    Competition c;
    for (int n : {0, 5, 0, 0, 7, 0}) add_line(c, n);
    EXPECT_EQ(fill_unnumbered_finish_lines(c), 3);
    std::vector<int> got;
    for (int i = 0; i < 6; ++i) got.push_back(c.tables.finish_lines[i]->start_number);
    EXPECT_EQ(got, (std::vector<int>{0, 5, 5, 5, 7, 7}));
    EXPECT_TRUE(c.modified);
}

TEST(StartGates, EachNumberRunsOnUntilTheNextNumberedLine) {
    Competition c;
    for (int n : {5, 0, 0, 7, 0}) add_line(c, n);
    fill_unnumbered_finish_lines(c);
    std::vector<int> got;
    for (int i = 0; i < 5; ++i) got.push_back(c.tables.finish_lines[i]->start_number);
    EXPECT_EQ(got, (std::vector<int>{5, 5, 5, 7, 7}));
}

TEST(MultiCross, CrossingsBecomePunchesOfOneReadout) {
    Competition c;
    add_runner(c, 1, 12, 999);
    add_runner(c, 2, 14, 555);
    c.tables.card_readouts[c.new_record(kCardReadouts)]->card_number = 999;
    c.tables.card_readouts[c.new_record(kCardReadouts)]->card_number = 555;
    add_line(c, 12, 3600000);
    add_line(c, 14, 0x05000000u | 3700000);
    add_line(c, 12, 3720000);
    add_line(c, 0, 3730000);
    add_line(c, 12, 3840000);
    add_line(c, -14, 3850000);  // a start-station line of runner 14
    ScriptedPrompts p;
    p.default_answer = true;
    EXPECT_TRUE(finish_crossings_to_card_readouts(c, p, false));
    EXPECT_EQ(p.questions[0],
              cp("Будет удалено содержимое ЧИПов, номера ЧИПов в базе и т.п., продолжать?"_cp1251));
    EXPECT_EQ(p.captions[0], cp("ВНИМАНИЕ"_cp1251));
    EXPECT_EQ(c.tables.runners[0]->card_number, 12);
    EXPECT_EQ(c.tables.runners[1]->card_number, 14);
    EXPECT_EQ(c.tables.card_readouts.deleted_count(), 2);
    EXPECT_EQ(c.tables.card_readouts.deleted(0)->card_number, 999);  // in slot order
    const CardReadout& a = *c.tables.card_readouts[0];
    EXPECT_EQ(a.card_number, 12);
    EXPECT_EQ(a.punch_count, 3);
    EXPECT_EQ(a.punches[0].code, 1);
    EXPECT_EQ(a.punches[0].time, 3600000);
    EXPECT_EQ(a.punches[1].code, 2);
    EXPECT_EQ(a.punches[1].time, 3720000);
    EXPECT_EQ(a.punches[2].code, 3);
    EXPECT_EQ(a.punches[2].time, 3840000);
    const CardReadout& b = *c.tables.card_readouts[1];
    EXPECT_EQ(b.card_number, 14);
    EXPECT_EQ(b.punches[0].time,
              static_cast<std::int32_t>(0x05000000u | 3700000));  // whole time word
    // Lines numbered 0 or below are walked like the others: a readout of their own number.
    ASSERT_NE(c.tables.card_readouts[3], nullptr);
    const CardReadout& unnumbered = *c.tables.card_readouts[2];
    EXPECT_EQ(unnumbered.card_number, 0);
    EXPECT_EQ(unnumbered.punch_count, 1);
    EXPECT_EQ(unnumbered.punches[0].time, 3730000);
    const CardReadout& gate = *c.tables.card_readouts[3];
    EXPECT_EQ(gate.card_number, -14);
    EXPECT_EQ(gate.punches[0].code, 1);
    EXPECT_EQ(gate.punches[0].time, 3850000);
    EXPECT_EQ(c.tables.card_readouts[4], nullptr);
}

TEST(MultiCross, AtMostSixtyFourCrossingsAndDeclineChangesNothing) {
    Competition c;
    add_runner(c, 1, 3, 77);
    for (int i = 0; i < 70; ++i) add_line(c, 3, 100 * (i + 1));
    ScriptedPrompts p;
    EXPECT_FALSE(finish_crossings_to_card_readouts(c, p, false));
    EXPECT_EQ(c.tables.runners[0]->card_number, 77);
    EXPECT_EQ(c.tables.card_readouts[0], nullptr);
    p.default_answer = true;
    EXPECT_TRUE(finish_crossings_to_card_readouts(c, p, false));
    const CardReadout& a = *c.tables.card_readouts[0];
    EXPECT_EQ(a.punch_count, 64);
    EXPECT_EQ(a.punches[63].code, 64);
    EXPECT_EQ(a.punches[63].time, 6400);
    EXPECT_EQ(c.tables.card_readouts[1], nullptr);
}

TEST(MultiCross, EraseLiveKeepsSlotOrderAndSetAsideRecords) {
    Table<Runner> t(10);
    for (int i = 0; i < 3; ++i) t[t.new_record()]->id = i + 1;
    t.slot(8) = std::make_unique<Runner>();  // a runner set aside by a filter
    t[8]->id = 9;
    EXPECT_EQ(t.erase_live(), 3);
    EXPECT_EQ(t.deleted_count(), 3);
    EXPECT_EQ(t.deleted(0)->id, 1);
    EXPECT_EQ(t.deleted(2)->id, 3);
    EXPECT_EQ(t[5]->id, 9);  // moved down with the gap closed
    EXPECT_EQ(t[8], nullptr);
    EXPECT_EQ(t.undo_erase(), 0);  // the last one deleted comes back first
    EXPECT_EQ(t[0]->id, 3);
    EXPECT_EQ(t.erase_live(), 1);
    Table<Runner> empty(4);
    EXPECT_EQ(empty.erase_live(), 0);
}
