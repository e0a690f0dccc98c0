#include "punch/finish_list.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "core/cp1251.h"
#include "core/time_text.h"

namespace skarvel {
namespace {

using namespace literals;

Runner& add_runner(Competition& c, int number, int card = 0, const char* name = "Runner") {
    int slot = c.new_record(kRunners);
    Runner& r = *c.tables.runners[slot];
    r.id = number;
    r.start_number = static_cast<std::uint16_t>(number);
    r.card_number = card;
    set_field_text(r.name, name);
    c.rebuild_number_index();
    return r;
}

FinishLine& add_line(Competition& c, int number, std::int32_t time) {
    int slot = c.new_record(kFinishLines);
    FinishLine& l = *c.tables.finish_lines[slot];
    l.start_number = static_cast<std::int16_t>(number);
    l.set_time(time);
    return l;
}

CardReadout& add_readout(Competition& c, int card, std::int32_t start, std::int32_t finish,
                         std::initializer_list<std::pair<int, std::int32_t>> punches = {}) {
    int slot = c.new_record(kCardReadouts);
    CardReadout& rd = *c.tables.card_readouts[slot];
    rd.card_number = card;
    rd.start.time = start;
    rd.finish.time = finish;
    for (auto [code, time] : punches) {
        rd.punches[rd.punch_count].code = static_cast<std::uint8_t>(code);
        rd.punches[rd.punch_count].time = time;
        ++rd.punch_count;
    }
    return rd;
}

const std::int32_t t102345 = parse_time_text("10:23:45");

// --- Finish text file: export ---------------------------------------------------------------

TEST(FinishTextExport, ExampleLineIsExact) {
    Competition c;
    add_runner(c, 7);
    add_line(c, 7, t102345);
    EXPECT_EQ(finish_text(c), "   7    10:23:45 0\r\n");
}

TEST(FinishTextExport, StatusOfRunnerOrMinusOneAndPrecision) {
    Competition c;
    c.info.time_precision = 2;
    add_runner(c, 12).status = 8;
    add_line(c, 12, t102345 + 67);
    add_line(c, 999, 100);  // nobody has 999
    add_line(c, 0, 0);      // an empty line in the middle is still written
    add_line(c, -5, 1);
    EXPECT_EQ(finish_text(c),
              "  12 10:23:45,67 8\r\n"
              " 999 00:00:01,00 -1\r\n"
              "   0 00:00:00,00 -1\r\n"
              "  -5 00:00:00,01 -1\r\n");
}

TEST(FinishTextExport, EmptyListWritesEmptyFile) {
    Competition c;
    EXPECT_EQ(finish_text(c), "");
}

TEST(FinishTextExport, CommandAsksWritesAndReportsFailure) {
    Competition c;
    add_runner(c, 7);
    add_line(c, 7, t102345);
    auto dir = std::filesystem::temp_directory_path() / "skarvel_finish_export";
    std::filesystem::create_directories(dir);
    ScriptedPrompts p;
    p.yes_no_answers = {true};
    p.files = {(dir / "fin").string()};  // no extension: ".txt" is added
    EXPECT_TRUE(export_finish_file(c, p));
    EXPECT_EQ(finish::read_finish_text_file((dir / "fin.txt").string()).value(),
              "   7    10:23:45 0\r\n");
    ASSERT_EQ(p.questions.size(), 1u);
    EXPECT_EQ(p.questions[0], std::string("Сохранить финиш?"_cp1251));

    ScriptedPrompts no;
    no.yes_no_answers = {false};
    EXPECT_FALSE(export_finish_file(c, no));
    EXPECT_TRUE(no.messages.empty());

    ScriptedPrompts bad;
    bad.yes_no_answers = {true};
    bad.files = {(dir / "missing_folder" / "x.txt").string()};
    EXPECT_FALSE(export_finish_file(c, bad));
    ASSERT_EQ(bad.messages.size(), 1u);
    EXPECT_EQ(bad.messages[0], std::string("Не могу записать в указанный файл"_cp1251));
    std::filesystem::remove_all(dir);
}

// --- Finish text file: import ---------------------------------------------------------------

TEST(FinishTextImport, ExampleLineReadsBack) {
    Competition c;
    Runner& r = add_runner(c, 7);
    r.status = 3;
    auto res = import_finish_text(c, "   7    10:23:45 0\r\n", true);
    EXPECT_EQ(res.lines_read, 1);
    ASSERT_EQ(c.tables.finish_lines.live_count(), 1);
    EXPECT_EQ(c.tables.finish_lines[0]->start_number, 7);
    EXPECT_EQ(c.tables.finish_lines[0]->time_word, static_cast<std::uint32_t>(t102345));
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(c.modified);
}

TEST(FinishTextImport, FileReadIsBounded) {
    // 20000 lines of at most 99 characters; an endless file stops there.
    auto endless = finish::read_finish_text_file("/dev/zero");
    ASSERT_TRUE(endless);
    EXPECT_EQ(*endless, std::string(99, '\0') + "\n");
    auto path = (std::filesystem::temp_directory_path() / "skarvel_fin_many.txt").string();
    std::string many;
    for (int i = 0; i < 20005; ++i) many += "   1    10:00:00 0\r\n";
    ASSERT_TRUE(finish::write_file(path, many));
    auto read = finish::read_finish_text_file(path);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->size(), std::size_t(20000) * 20);
    std::filesystem::remove(path);
}

// The numbers the export writes are the line's signed 16 bits; a negative one is a start
// station's line and sets no status. Numbers outside would wrap to another runner's line.
TEST(FinishTextImport, SignedSixteenBitNumbersOnly) {
    Competition c;
    Runner& one = add_runner(c, 1);
    one.status = 4;
    auto res = import_finish_text(c,
                                  "65537    10:00:00 0\r\n  -1    10:00:01 0\r\n"
                                  "65535    10:00:02 0\r\n   0    10:00:03 0\r\n"
                                  "32767    10:00:04 0\r\n-32768    10:00:05 0\r\n"
                                  "32768    10:00:06 0\r\n-32769    10:00:07 0\r\n",
                                  true);
    EXPECT_EQ(res.lines_read, 4);
    EXPECT_EQ(res.lines_refused, 4);
    ASSERT_EQ(c.tables.finish_lines.live_count(), 4);
    const std::int16_t kept[] = {-1, 0, 32767, -32768};  // in time order
    for (int i = 0; i < 4; ++i) EXPECT_EQ(c.tables.finish_lines[i]->start_number, kept[i]);
    EXPECT_EQ(one.status, 4);
    // The export writes a start line as such, and it reads back.
    EXPECT_EQ(finish_text(c).substr(0, 21), "  -1    10:00:01 -1\r\n");
}

TEST(FinishTextImport, StatusesOnlyWhenAskedAndLineLongEnough) {
    Competition c;
    Runner& a = add_runner(c, 7);
    Runner& b = add_runner(c, 8);
    Runner& d = add_runner(c, 9);
    a.status = 4;
    b.status = 4;
    d.status = 4;
    // No status column, but 18 characters with the line end: status becomes 0.
    // 16 characters with the line end: no status read.
    import_finish_text(c, "   7    10:23:45\r\n   8  10:23:46\r\n   9    10:23:47 2\r\n", true);
    EXPECT_EQ(a.status, 0);
    EXPECT_EQ(b.status, 4);
    EXPECT_EQ(d.status, 2);

    Competition c2;
    Runner& e = add_runner(c2, 7);
    e.status = 5;
    import_finish_text(c2, "   7    10:23:45 0\r\n", false);
    EXPECT_EQ(e.status, 5);
}

TEST(FinishTextImport, StatusOutsideTheCodesIsIgnored) {
    Competition c;
    Runner& r = add_runner(c, 7);
    r.status = 3;
    import_finish_text(c, "   7    10:23:45 -1\r\n   7    10:23:46 77\r\n", true);
    EXPECT_EQ(r.status, 3);
}

TEST(FinishTextImport, SortsWholeListByTimeThenNumber) {
    Competition c;
    add_line(c, 5, 300);
    add_line(c, 3, 100);
    import_finish_text(c, "   9 00:00:02\r\n   4 00:00:01\r\n   2 00:00:02\r\n", false);
    auto& t = c.tables.finish_lines;
    ASSERT_EQ(t.live_count(), 5);
    std::vector<std::pair<int, int>> got;
    for (int i = 0; i < 5; ++i) got.emplace_back(t[i]->start_number, t[i]->time());
    std::vector<std::pair<int, int>> want{{3, 100}, {4, 100}, {2, 200}, {9, 200}, {5, 300}};
    EXPECT_EQ(got, want);
}

TEST(FinishTextImport, SortTreatsStartNumbersAsUnsigned) {
    Competition c;
    add_line(c, -1, 100);  // 65535 unsigned
    add_line(c, 1, 100);
    sort_finish_lines(c);
    EXPECT_EQ(c.tables.finish_lines[0]->start_number, 1);
    EXPECT_EQ(c.tables.finish_lines[1]->start_number, -1);
}

TEST(FinishTextImport, RoundTripWithDedupeLeavesEveryLineOnce) {
    Competition c;
    add_runner(c, 1);
    add_runner(c, 2);
    add_line(c, 2, parse_time_text("11:00:05"));
    add_line(c, 1, parse_time_text("11:00:01"));
    add_line(c, 1, parse_time_text("11:00:01"));
    std::string text = finish_text(c);
    import_finish_text(c, text, false);
    EXPECT_EQ(c.tables.finish_lines.live_count(), 6);
    EXPECT_EQ(remove_duplicate_finish_lines(c), 4);
    ASSERT_EQ(c.tables.finish_lines.live_count(), 2);
    EXPECT_EQ(finish_text(c), "   1    11:00:01 0\r\n   2    11:00:05 0\r\n");
}

TEST(FinishTextImport, HundredthsDoNotCollapse) {
    Competition c;
    c.info.time_precision = 0;
    add_line(c, 1, parse_time_text("11:00:01") + 37);
    import_finish_text(c, finish_text(c), false);
    EXPECT_EQ(remove_duplicate_finish_lines(c), 0);
    EXPECT_EQ(c.tables.finish_lines.live_count(), 2);
}

TEST(FinishTextImport, CommandAsksInOrderAndDedupesOnlyWithTwoLinesRead) {
    Competition c;
    add_runner(c, 7);
    add_line(c, 7, t102345);
    add_line(c, 7, t102345);
    auto path = (std::filesystem::temp_directory_path() / "skarvel_fin_import.txt").string();
    ASSERT_TRUE(finish::write_file(path, "   7    10:23:45 0\r\n"));
    ScriptedPrompts p;
    p.yes_no_answers = {true, false, true};
    p.files = {path};
    EXPECT_TRUE(import_finish_file(c, p));
    ASSERT_EQ(p.questions.size(), 3u);
    EXPECT_EQ(p.questions[0], std::string("Читать финиш?"_cp1251));
    EXPECT_EQ(p.questions[1], std::string("Считывать информацию о снятых?"_cp1251));
    EXPECT_EQ(p.questions[2], std::string("Удалить повторяющиеся строки?"_cp1251));
    // One line read: no duplicate removal although the answer was Yes.
    EXPECT_EQ(c.tables.finish_lines.live_count(), 3);
    EXPECT_EQ(c.view.table, kFinishLines);

    ASSERT_TRUE(finish::write_file(path, "   7    10:23:45 0\r\n   7    10:23:45 0\r\n"));
    ScriptedPrompts p2;
    p2.yes_no_answers = {true, false, true};
    p2.files = {path};
    EXPECT_TRUE(import_finish_file(c, p2));
    EXPECT_EQ(c.tables.finish_lines.live_count(), 1);
    std::filesystem::remove(path);

    ScriptedPrompts missing;
    missing.yes_no_answers = {true};
    missing.files = {"/nonexistent/skarvel/fin.txt"};
    EXPECT_FALSE(import_finish_file(c, missing));
    ASSERT_EQ(missing.messages.size(), 1u);
    EXPECT_EQ(missing.messages[0], std::string("Не могу читать указанный файл"_cp1251));
}

TEST(FinishTextImport, HostileInput) {
    Competition c;
    std::string data;
    data += "99999999999999999999 99:99:99 9999999999\r\n";  // a number that fits no line
    data += "  12 99:99:99 9999999999\r\n";                  // saturated time, stored as read
    data += std::string(500, 'x') + "\r\n";                  // over-long line is cut, not split
    data += "\r\n   \r\n";                                   // blank lines add nothing
    data += "   3";                                          // short, no line end
    auto res = import_finish_text(c, data, true);
    EXPECT_EQ(res.lines_read, 3);
    EXPECT_EQ(res.lines_refused, 1);
    ASSERT_EQ(c.tables.finish_lines.live_count(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_LT(c.tables.finish_lines[i]->time_word, 1u << 24);
}

TEST(FinishTextImport, StopsAtTwentyThousandLines) {
    Competition c;
    std::string data;
    for (int i = 0; i < 20005; ++i) data += "   1    00:00:01\r\n";
    auto res = import_finish_text(c, data, false);
    EXPECT_EQ(res.lines_read, 20000);
    EXPECT_FALSE(res.table_full);
    // A further import finds the table full.
    auto more = import_finish_text(c, "   1    00:00:02\r\n", false);
    EXPECT_TRUE(more.table_full);
    EXPECT_EQ(more.lines_read, 0);
}

// --- Clock registration ---------------------------------------------------------------------

TEST(ClockRegistration, FillsPreparedLinesInOrder) {
    Competition c;
    add_line(c, 1, 0);
    add_line(c, 2, 0);
    add_line(c, 3, 0).flags = FinishLine::kFlagSent;
    EXPECT_EQ(register_clock_time(c, 1000), 0);
    EXPECT_EQ(register_clock_time(c, 2000), 1);
    EXPECT_EQ(register_clock_time(c, 3000), 2);
    auto& t = c.tables.finish_lines;
    EXPECT_EQ(t[0]->start_number, 1);
    EXPECT_EQ(t[0]->time(), 1000);
    EXPECT_EQ(t[1]->time(), 2000);
    EXPECT_EQ(t[2]->time(), 3000);
    EXPECT_EQ(t[2]->flags, FinishLine::kFlagSent);  // flags stay
    EXPECT_EQ(t[2]->start_number, 3);
    // The next one appends.
    EXPECT_EQ(register_clock_time(c, 4000), 3);
    EXPECT_EQ(t[3]->start_number, 0);
    EXPECT_TRUE(c.modified);
}

TEST(ClockRegistration, EmptyListCreatesLineZeroAndHighBitsClear) {
    Competition c;
    EXPECT_EQ(register_clock_time(c, 0x7F123456), 0);
    EXPECT_EQ(c.tables.finish_lines[0]->time_word, 0x123456u);
}

TEST(ClockRegistration, ContinuesAfterLastTimedLineNotAfterNumberedOnes) {
    Competition c;
    add_line(c, 0, 500);
    add_line(c, 4, 0);
    add_line(c, 0, 700);
    add_line(c, 9, 0);
    EXPECT_EQ(register_clock_time(c, 900), 3);
    EXPECT_EQ(c.tables.finish_lines[1]->time(), 0);
    EXPECT_EQ(c.tables.finish_lines[3]->time(), 900);
}

TEST(ClockRegistration, FullTable) {
    Competition c;
    for (int i = 0; i < kFinishLineCapacity; ++i) add_line(c, 1, 100);
    EXPECT_EQ(register_clock_time(c, 200), kNoSlot);
}

// --- Automatic saving -------------------------------------------------------------------------

TEST(FinishAutosave, ToggleNeedsFileNameAndSavesEveryRegistration) {
    Competition c;
    ScriptedPrompts p;
    bool named = false;
    int saves = 0;
    CompetitionSaver saver{[&] { return named; },
                           [&] {
                               if (!named) return SaveRequest::kNoFileName;
                               ++saves;
                               return SaveRequest::kStarted;
                           }};
    EXPECT_FALSE(toggle_finish_autosave(c, saver, p));
    EXPECT_EQ(c.info.finish_autosave, 0);
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(
        p.messages[0],
        std::string(
            "Для автосохранения финиша\nсначала сохраните рабочий\nфайл под каким-либо именем!"_cp1251));
    EXPECT_FALSE(autosave_finish(c, saver, p));
    EXPECT_EQ(saves, 0);

    named = true;
    EXPECT_TRUE(toggle_finish_autosave(c, saver, p));
    register_clock_time(c, 100);
    EXPECT_TRUE(autosave_finish(c, saver, p));
    EXPECT_EQ(saves, 1);

    named = false;  // the name was lost (a new competition)
    EXPECT_FALSE(autosave_finish(c, saver, p));
    EXPECT_EQ(p.messages.back(),
              std::string("Сначала сохраните рабочий файл под каким-либо именем!"_cp1251));

    EXPECT_FALSE(toggle_finish_autosave(c, saver, p));  // switches off without a question
    EXPECT_EQ(c.info.finish_autosave, 0);
}

// Only a missing file name asks the user to save first; a failure the saver has told is
// not told again.
TEST(FinishAutosave, AsksToSaveFirstOnlyWithoutAFileName) {
    struct Case {
        SaveRequest outcome;
        bool made;
        std::size_t messages;
    };
    for (Case k : {Case{SaveRequest::kNoFileName, false, 1}, Case{SaveRequest::kStarted, true, 0},
                   Case{SaveRequest::kFailed, false, 0}}) {
        Competition c;
        c.info.finish_autosave = 1;
        ScriptedPrompts p;
        CompetitionSaver saver{[] { return true; }, [&] { return k.outcome; }};
        EXPECT_EQ(autosave_finish(c, saver, p), k.made);
        EXPECT_EQ(p.messages.size(), k.messages);
    }
}

// --- Preparation ------------------------------------------------------------------------------

TEST(FinishPreparation, ClearsChosenPartsAndUndoKeepsOrder) {
    Competition c;
    add_runner(c, 1).status = 1;
    add_line(c, 1, 100);
    add_line(c, 2, 200);
    add_readout(c, 55, 0, 0);
    c.view.cursor[kFinishLines] = 1;
    prepare_finish(c, FinishPreparation{true, false, true});
    EXPECT_EQ(c.tables.finish_lines.live_count(), 0);
    EXPECT_EQ(c.tables.card_readouts.live_count(), 1);
    EXPECT_EQ(c.tables.runners[0]->status, 0);
    EXPECT_EQ(c.view.table, kFinishLines);
    EXPECT_EQ(c.view.cursor[kFinishLines], 0);
    EXPECT_TRUE(c.modified);
    c.undo_delete(kFinishLines);
    c.undo_delete(kFinishLines);
    EXPECT_EQ(c.tables.finish_lines[0]->start_number, 1);
    EXPECT_EQ(c.tables.finish_lines[1]->start_number, 2);

    prepare_finish(c, FinishPreparation{false, true, false});
    EXPECT_EQ(c.tables.card_readouts.live_count(), 0);
    EXPECT_EQ(c.tables.finish_lines.live_count(), 2);
}

// --- Rebuild ----------------------------------------------------------------------------------

TEST(FinishRebuild, TwiceGivesTwoIdenticalLinesPerRunner) {
    Competition c;
    add_runner(c, 11, 5011);
    add_runner(c, 12, 5012);
    add_readout(c, 5011, 36000000 / 10, 400000, {{31, 370000}, {32, 390000}});
    add_readout(c, 5012, 360000, 410000, {{31, 380000}});
    add_readout(c, 9999, 1, 2);  // no owner: passed over
    RebuildOptions o{1, 1, false};
    auto r1 = rebuild_finish_from_readouts(c, o, nullptr);
    auto r2 = rebuild_finish_from_readouts(c, o, nullptr);
    EXPECT_EQ(r1.lines_added, 2);
    EXPECT_EQ(r2.lines_added, 2);
    auto& t = c.tables.finish_lines;
    ASSERT_EQ(t.live_count(), 4);
    EXPECT_EQ(t[0]->start_number, 11);
    EXPECT_EQ(t[0]->time(), 400000);
    EXPECT_EQ(t[1]->start_number, 12);
    EXPECT_EQ(t[2]->start_number, 11);
    EXPECT_EQ(t[2]->time_word, t[0]->time_word);
    EXPECT_EQ(t[3]->time_word, t[1]->time_word);
    EXPECT_EQ(c.tables.runners[1]->start_time, 360000);
    EXPECT_EQ(c.info.start_source, 1);
    EXPECT_EQ(c.info.finish_source, 1);
}

TEST(FinishRebuild, PunchSourcesAndEmptyCard) {
    Competition c;
    Runner& r = add_runner(c, 11, 5011);
    add_readout(c, 5011, 1, 2, {{31, 370000}, {32, 390000}});
    rebuild_finish_from_readouts(c, RebuildOptions{2, 2, false}, nullptr);
    EXPECT_EQ(r.start_time, 370000);
    EXPECT_EQ(r.finish_time, 390000);
    EXPECT_EQ(c.tables.finish_lines[0]->time(), 390000);

    Competition e;
    Runner& s = add_runner(e, 3, 77);
    s.start_time = 5;
    add_readout(e, 77, 1, 2);
    rebuild_finish_from_readouts(e, RebuildOptions{2, 2, false}, nullptr);
    EXPECT_EQ(s.start_time, 5);
    EXPECT_EQ(e.tables.finish_lines.live_count(), 0);

    // The finish list as source: the lines are there already, none is added.
    rebuild_finish_from_readouts(e, RebuildOptions{0, 0, false}, nullptr);
    EXPECT_EQ(e.tables.finish_lines.live_count(), 0);
}

TEST(FinishRebuild, RecheckSetsStatusAndPenalty) {
    Competition c;
    Runner& good = add_runner(c, 1, 101);
    Runner& bad = add_runner(c, 2, 102);
    Runner& pen = add_runner(c, 3, 103);
    good.status = 3;  // a good check does not reset a status
    add_readout(c, 101, 0, 100);
    add_readout(c, 102, 0, 100);
    add_readout(c, 103, 0, 100);
    auto check = [](Competition&, Runner& r, const CardReadout&) {
        return r.start_number == 1 ? 1 : r.start_number == 2 ? 0 : 4;
    };
    c.info.check_mode = 1;
    c.info.penalty_per_miss = 0;
    rebuild_finish_from_readouts(c, RebuildOptions{0, 1, true}, check);
    EXPECT_EQ(good.status, 3);
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(pen.penalty, 4);  // r != 1 sets the penalty even without penalty minutes

    c.info.penalty_per_miss = 2;
    good.penalty = 9;
    rebuild_finish_from_readouts(c, RebuildOptions{0, 1, true}, check);
    EXPECT_EQ(good.penalty, 0);

    c.info.check_mode = 4;
    rebuild_finish_from_readouts(c, RebuildOptions{0, 1, true}, check);
    EXPECT_EQ(pen.penalty, 8);
    EXPECT_EQ(good.penalty, 2);

    // Without the re-check nothing changes.
    pen.penalty = 0;
    rebuild_finish_from_readouts(c, RebuildOptions{0, 1, false}, check);
    EXPECT_EQ(pen.penalty, 0);
}

TEST(FinishRebuild, RecheckWithTheCardReadersPunchCheck) {
    Competition c;
    Course* course = c.tables.courses[c.new_record(kCourses)];
    course->id = 1;
    course->control_codes[0] = 31;
    course->control_codes[1] = 32;
    course->control_codes[2] = 33;
    ClassRecord* cls = c.tables.classes[c.new_record(kClasses)];
    cls->id = 1;
    cls->course_id = 1;
    Runner& good = add_runner(c, 1, 101);
    Runner& bad = add_runner(c, 2, 102);
    Runner& lost = add_runner(c, 3, 103);
    good.class_id = bad.class_id = 1;
    lost.class_id = 9;
    add_readout(c, 101, 0, 400000, {{31, 1}, {40, 2}, {32, 3}, {33, 4}});
    add_readout(c, 102, 0, 400000, {{32, 1}, {31, 2}, {33, 3}});
    add_readout(c, 103, 0, 400000, {{31, 1}});
    c.info.check_mode = 1;
    ScriptedPrompts p;
    auto r = rebuild_finish_from_readouts(c, RebuildOptions{0, 1, true}, p);
    EXPECT_EQ(r.lines_added, 3);
    EXPECT_EQ(good.status, 0);
    EXPECT_EQ(bad.status, kStatusWrongPunch);
    EXPECT_EQ(lost.status, kStatusWrongPunch);  // a missing class fails the check
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0], std::string("Нет такой группы !"_cp1251));
}

// --- Starters -------------------------------------------------------------------------------

TEST(Starters, UnknownCardIsReportedAndCounted) {
    Competition c;
    add_runner(c, 1, 101);
    add_runner(c, 2, 102);
    add_runner(c, 3, 103);
    add_runner(c, 4, 0);
    ScriptedPrompts p;
    auto r = read_starters(c, "101\r\n555\r\n\r\n103 extra\r\n", p);
    EXPECT_EQ(r.starters, 3);
    EXPECT_EQ(r.unknown_cards, 1);
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0], "VP-card: 555 - no runner");
    EXPECT_EQ(c.tables.runners[0]->marked, 0);
    EXPECT_EQ(c.tables.runners[1]->marked, 1);
    EXPECT_EQ(c.tables.runners[2]->marked, 0);
    EXPECT_EQ(c.tables.runners[3]->marked, 1);  // a blank line does not match a runner without card
    EXPECT_EQ(r.non_starters, 2);

    r = add_non_starters(c, r);
    EXPECT_EQ(r.lines_added, 2);
    auto& t = c.tables.finish_lines;
    ASSERT_EQ(t.live_count(), 2);
    EXPECT_EQ(t[0]->start_number, 2);
    EXPECT_EQ(t[0]->time_word, 8639999u);
    EXPECT_TRUE(t[0]->sent());
    EXPECT_EQ(t[1]->start_number, 4);
    EXPECT_EQ(c.tables.runners[1]->status, kStatusDidNotStart);
    EXPECT_EQ(c.tables.runners[0]->status, 0);
}

TEST(Starters, CommandMessagesInOrder) {
    Competition c;
    add_runner(c, 1, 101);
    auto path = (std::filesystem::temp_directory_path() / "skarvel_starters.txt").string();
    ASSERT_TRUE(finish::write_file(path, "101\r\n202"));
    ScriptedPrompts p;
    p.yes_no_answers = {true, false};
    p.files = {path};
    EXPECT_TRUE(enter_starters_file(c, p));
    ASSERT_EQ(p.messages.size(), 2u);
    EXPECT_EQ(p.messages[0], "VP-card: 202 - no runner");
    EXPECT_EQ(
        p.messages[1],
        std::string("Всего стартовало: 2 спортсменов\nВсе нестартовавшие теперь отмечены!"_cp1251));
    ASSERT_EQ(p.questions.size(), 2u);
    EXPECT_EQ(p.questions[1],
              std::string("Добавить всех не стартовавших в протокол финиша?"_cp1251));
    EXPECT_EQ(c.tables.finish_lines.live_count(), 0);
    std::filesystem::remove(path);
}

// --- Generated finish ---------------------------------------------------------------------------

TEST(GenerateFinish, EveryOwnerOfEveryReadout) {
    Competition c;
    Runner& a = add_runner(c, 1, 101);
    Runner& b = add_runner(c, 2, 101);  // two runners share a card: both get a line
    add_runner(c, 3, 0);
    add_readout(c, 101, 360000, 400000);
    add_readout(c, 0, 1, 2);  // a readout without card number matches nobody
    add_line(c, 9, 5);
    auto r = generate_finish_from_readouts(c);
    EXPECT_EQ(r.lines_added, 2);
    EXPECT_EQ(a.start_time, 360000);
    EXPECT_EQ(b.start_time, 360000);
    auto& t = c.tables.finish_lines;
    ASSERT_EQ(t.live_count(), 3);
    EXPECT_EQ(t[0]->start_number, 9);
    EXPECT_EQ(t[1]->start_number, 1);
    EXPECT_EQ(t[1]->time(), 400000);
    EXPECT_EQ(t[2]->start_number, 2);
}

// --- Result plate
// ---------------------------------------------------------------------------------

TEST(ResultPlate, TextByPrecisionAndStatus) {
    Competition c;
    Runner& r = add_runner(c, 42);
    r.result = parse_time_text("00:45:12,34");
    c.info.time_precision = 0;
    EXPECT_EQ(result_plate_text(c, r), "00:45:12");
    c.info.time_precision = 1;
    EXPECT_EQ(result_plate_text(c, r), "0:45:12,3");
    c.info.time_precision = 2;
    EXPECT_EQ(result_plate_text(c, r), "45:12,34");
    set_field_text(c.info.status_short_texts[2], "DSQ");
    r.status = 2;
    EXPECT_EQ(result_plate_text(c, r), "DSQ");
    r.status = 200;  // damaged status: no read past the texts
    EXPECT_EQ(result_plate_text(c, r), "200");
    EXPECT_EQ(result_plate_name_line(r), "42 Runner                   ");
}

}  // namespace
}  // namespace skarvel
