#include "app/command_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/app_state.h"
#include "core/cp1251.h"
#include "core/language.h"

namespace skarvel {
namespace {

using namespace literals;

TEST(LanguageTable, FirstFiveSlotsAreTheMenuTitles) {
    LanguageTable t;
    t.build(UiLanguage::kRussian);
    EXPECT_EQ(t.slot(0), "Файл"_cp1251);
    EXPECT_EQ(t.slot(1), "Редактирование"_cp1251);
    EXPECT_EQ(t.slot(2), "Вид"_cp1251);
    EXPECT_EQ(t.slot(3), "Сервис"_cp1251);
    EXPECT_EQ(t.slot(4), "Дополнительно"_cp1251);
    t.build(UiLanguage::kEnglish);
    EXPECT_EQ(t.slot(0), "File");
    EXPECT_EQ(t.slot(1), "Edit");
    EXPECT_EQ(t.slot(2), "View");
    EXPECT_EQ(t.slot(3), "Service");
    EXPECT_EQ(t.slot(4), "Add-on");
    EXPECT_TRUE(t.english());
}

TEST(LanguageTable, TellingPairsAndTheLastSlot) {
    LanguageTable ru, en;
    ru.build(UiLanguage::kRussian);
    en.build(UiLanguage::kEnglish);
    EXPECT_EQ(ru.text(Txt::kNameSurname), "Фамилия, имя"_cp1251);
    EXPECT_EQ(en.text(Txt::kNameSurname), "Name, surname");
    EXPECT_EQ(en.text(Txt::kMaxLimitTime), "Max limit time, minutes");
    EXPECT_EQ(en.text(Txt::kFinishCrossings), "Number crossing finish line");
    EXPECT_EQ(en.text(Txt::kTimeAccuracy), "Accuracy of time (VP-only 1 sec)");
    EXPECT_EQ(en.text(Txt::kPadNumbers), "Convert number to xNNN");
    EXPECT_EQ(en.text(Txt::kRestoreAllRunners), "Restore ALL runners?");
    EXPECT_EQ(ru.text(Txt::kRestoreAllRunners),
              "Восстановить ВСЕХ спортсменов в базе данных?"_cp1251);
    // Every menu text has an English form too.
    EXPECT_EQ(en.text(Txt::kCmdStartServer), "Start the server");
    EXPECT_EQ(ru.text(Txt::kCmdStartServer), "Запустить сервер"_cp1251);
    // The incorrect-format text is the last filled slot.
    int last = LanguageTable::kFilledCount - 1;
    EXPECT_EQ(ru.slot(last), "Неизвестный формат базы данных"_cp1251);
    EXPECT_EQ(en.slot(last), "Incorrect file format");
    EXPECT_TRUE(ru.slot(last + 1).empty());
    EXPECT_TRUE(ru.slot(-1).empty());
    EXPECT_TRUE(ru.slot(LanguageTable::kSlotCount).empty());
    EXPECT_LE(LanguageTable::kFilledCount, LanguageTable::kSlotCount);
}

TEST(LanguageTable, EverySlotIsFilledInBothLanguagesExceptTheBlankTooltip) {
    LanguageTable ru, en;
    ru.build(UiLanguage::kRussian);
    en.build(UiLanguage::kEnglish);
    for (int i = 0; i < LanguageTable::kFilledCount; ++i) {
        if (i == static_cast<int>(Txt::kTipNoCommand)) continue;
        EXPECT_FALSE(ru.slot(i).empty()) << i;
        EXPECT_FALSE(en.slot(i).empty()) << i;
    }
}

TEST(CommandTable, MenuTextsWithKeyHints) {
    LanguageTable ru, en;
    ru.build(UiLanguage::kRussian);
    en.build(UiLanguage::kEnglish);
    auto text = [](const LanguageTable& t, CommandId id) { return t.text(command_def(id).text); };
    EXPECT_EQ(text(ru, CommandId::kNew), "Создать\tCtrl+N"_cp1251);
    EXPECT_EQ(text(en, CommandId::kUndo), "Undo\tCtrl-Z");
    EXPECT_EQ(text(ru, CommandId::kUndo), "Отменить\tCtrl+Z"_cp1251);
    EXPECT_EQ(text(en, CommandId::kNumberedFirst), "Num !=0\tShift-F6");
    EXPECT_EQ(text(en, CommandId::kLockMouse), "Lock mouse");
    EXPECT_EQ(text(ru, CommandId::kLockMouse), "Заблокировать мышь\tScrollLock"_cp1251);
    EXPECT_EQ(text(en, CommandId::kChessList), "'Chess' list");
    EXPECT_EQ(text(en, CommandId::kSoundOptions), "Sound Record/Play a optoins...");
    EXPECT_EQ(text(ru, CommandId::kMultiDayCalc2), "Расчет и печать результатов...2"_cp1251);
    EXPECT_EQ(text(en, CommandId::kHelp), "Users guides");
}

TEST(CommandTable, KeysAndMenus) {
    EXPECT_EQ(command_def(CommandId::kUndo).keys, "Ctrl+Z;Alt+Backspace");
    EXPECT_EQ(command_def(CommandId::kHelp).keys, "F1;Shift+F1");
    EXPECT_EQ(command_def(CommandId::kShowClasses).keys, "F10");
    EXPECT_EQ(command_def(CommandId::kShowClubs).keys, "F11");
    EXPECT_EQ(command_def(CommandId::kStartClient).keys, "Ctrl+Q");
    EXPECT_EQ(command_def(CommandId::kOnlineSend).keys, "Ctrl+Shift+Z");
    EXPECT_EQ(command_def(CommandId::kPrintTable).keys, "Ctrl+P");
    EXPECT_TRUE(command_def(CommandId::kPrintTable).menu.empty());
    EXPECT_EQ(command_def(CommandId::kImportWdb).menu, "file/import");
    EXPECT_EQ(command_def(CommandId::kPenalty0).menu, "service/marked");

    // Every menu named by a command exists, and no key is bound twice.
    std::set<std::string_view> menus;
    for (const MenuDef& m : menu_table()) menus.insert(m.path);
    std::set<std::string> keys;
    for (const CommandDef& d : command_table()) {
        if (!d.menu.empty()) {
            EXPECT_TRUE(menus.count(d.menu)) << d.menu;
        }
        std::string all(d.keys);
        std::size_t start = 0;
        while (start < all.size()) {
            std::size_t end = all.find(';', start);
            if (end == std::string::npos) end = all.size();
            EXPECT_TRUE(keys.insert(all.substr(start, end - start)).second) << all;
            start = end + 1;
        }
    }
}

TEST(CommandTable, MenuTitlesThatStayTheSameInBothLanguages) {
    int fixed = 0;
    for (const MenuDef& m : menu_table()) {
        if (m.translated) continue;
        ++fixed;
        EXPECT_FALSE(m.fixed.empty());
    }
    EXPECT_GE(fixed, 9);
    EXPECT_EQ(menu_table()[0].path, "file");
    EXPECT_EQ(menu_table()[0].text, Txt::kMenuFile);
}

TEST(CommandTable, ToolbarOrder) {
    std::vector<CommandId> buttons;
    int separators = 0;
    for (CommandId id : toolbar_commands()) {
        if (id == CommandId::kCount)
            ++separators;
        else
            buttons.push_back(id);
    }
    ASSERT_EQ(buttons.size(), 31u);
    EXPECT_EQ(separators, 9);
    EXPECT_EQ(buttons[0], CommandId::kNew);
    EXPECT_EQ(buttons[3], CommandId::kPrintTable);
    EXPECT_EQ(buttons[4], CommandId::kDelete);
    EXPECT_EQ(buttons[6], CommandId::kCompetitionInfo);
    EXPECT_EQ(buttons[7], CommandId::kShowRunners);
    EXPECT_EQ(buttons[8], CommandId::kShowClasses);
    EXPECT_EQ(buttons[9], CommandId::kShowClubs);
    EXPECT_EQ(buttons[13], CommandId::kSortAlphabetically);
    EXPECT_EQ(buttons[16], CommandId::kStartReading);
    EXPECT_EQ(buttons[20], CommandId::kFinishAutosave);
    EXPECT_EQ(buttons[25], CommandId::kNoCommand);
    EXPECT_EQ(buttons[27], CommandId::kDisplayBoard);
    EXPECT_EQ(buttons[28], CommandId::kBoardWithoutFinish);
    EXPECT_EQ(buttons[30], CommandId::kPersonalisationMode);
}

TEST(CommandRegistry, UnboundIsDisabledBoundRunsOnlyWhenEnabled) {
    CommandRegistry r;
    EXPECT_FALSE(r.state(CommandId::kDraw).enabled);
    EXPECT_FALSE(r.run(CommandId::kDraw));
    int runs = 0, after = 0;
    bool enabled = false;
    r.after_run = [&after](CommandId) { ++after; };
    r.bind(
        CommandId::kDraw, [&runs] { ++runs; },
        [&enabled] {
            return CommandState{enabled, true};
        });
    EXPECT_FALSE(r.run(CommandId::kDraw));
    enabled = true;
    EXPECT_TRUE(r.run(CommandId::kDraw));
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(after, 1);
    EXPECT_TRUE(r.state(CommandId::kDraw).checked);
    r.bind(CommandId::kFind, [] {});
    EXPECT_TRUE(r.state(CommandId::kFind).enabled);
    EXPECT_FALSE(r.state(CommandId::kFind).checked);
}

TEST(ProgramClock, PrecisionZeroChangesOnlyOnceASecond) {
    ProgramClock clock;
    Rand15 rnd;
    EXPECT_EQ(clock.tick(10, 20, 30, 0, rnd), 10 * 360000 + 20 * 6000 + 30 * 100);
    EXPECT_EQ(clock.tick(10, 20, 30, 0, rnd), 10 * 360000 + 20 * 6000 + 30 * 100);
    EXPECT_EQ(clock.tick(10, 20, 31, 0, rnd), 10 * 360000 + 20 * 6000 + 31 * 100);
    EXPECT_EQ(rnd.state(), 1u);  // no random number drawn
}

TEST(ProgramClock, PrecisionOneStepsByTenthsAndRestartsAtTheSecond) {
    ProgramClock clock;
    Rand15 rnd;
    const int base = 9 * 360000;
    EXPECT_EQ(clock.tick(9, 0, 0, 1, rnd), base);
    EXPECT_EQ(clock.tick(9, 0, 0, 1, rnd), base + 10);
    EXPECT_EQ(clock.tick(9, 0, 0, 1, rnd), base + 20);
    EXPECT_EQ(clock.tick(9, 0, 1, 1, rnd), base + 100);
    for (int i = 0; i < 20; ++i) clock.tick(9, 0, 1, 1, rnd);
    // A late second change never lets the tenths spill into the next second.
    EXPECT_EQ(clock.value(), base + 190);
}

TEST(ProgramClock, PrecisionTwoAddsRandomHundredths) {
    ProgramClock clock;
    Rand15 rnd, expected;
    clock.tick(9, 0, 0, 2, rnd);
    EXPECT_EQ(clock.value(), 9 * 360000 + expected.next() % 10);
    clock.tick(9, 0, 0, 2, rnd);
    EXPECT_EQ(clock.value(), 9 * 360000 + 10 + expected.next() % 10);
}

}  // namespace
}  // namespace skarvel
