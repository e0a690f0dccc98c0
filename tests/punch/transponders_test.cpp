// The transponder decoder: records on the line and in text, the finish line a passing makes,
// the time shift, and the code and decoder-file imports.
#include "punch/transponders.h"

#include <gtest/gtest.h>

#include "core/cp1251.h"
#include "core/time_text.h"
#include "punch/transponder_files.h"
#include "tests/punch/fake_serial_port.h"
#include "tests/punch/punch_fixture.h"

namespace skarvel {
namespace {

using test::FakeSerialPort;
using test::hms;
using test::PunchFixture;
using namespace skarvel::literals;

std::vector<std::uint8_t> bytes(std::string_view s) {
    return {s.begin(), s.end()};
}

TEST(DecoderRecord, TextsAndWhatTheyGive) {
    struct Case {
        std::string text;
        std::int32_t time;  // -1: dropped
        std::string code;
    };
    const Case cases[] = {
        {"@\t12\t7\t36000.456\t3\t'AB-1234X'", 3600045, "AB1234X"},
        {"@\t12\t7\t36000.456\t3\t'AB-1234X'\r", 3600045, "AB1234X"},
        {"a\tb\tc\t0.009\t'XY.9876Z'\tmore\t'other'", 0, "XY9876Z"},
        {"a\tb\tc\t86399.999\t'AB-1234XYZ'", 8639999, "AB1234X"},
        {"a\tb\tc\t86400.000\t'AB-1234X'", -1, ""},  // beyond one day
        {"a\tb\tc\t36000.45\t'AB-1234X'", -1, ""},   // two decimal digits
        {"a\tb\tc\t36000\t'AB-1234X'", -1, ""},      // no point
        {"a\tb\tc\t3600x.456\t'AB-1234X'", -1, ""},  // not a number
        {"a\tb\t36000.456\t'AB-1234X'", -1, ""},     // three fields only
        {"a\tb\tc\t36000.456\t'AB-123'", -1, ""},    // code too short
        {"a\tb\tc\t36000.456\t'AB-1234X", -1, ""},   // no closing apostrophe
        {"a\tb\tc\t36000.456\tAB-1234X", -1, ""},    // no apostrophe
        {"'AB-1234X'\tb\tc\t36000.456", -1, ""},     // the code must follow the time
        {std::string("a\tb\tc\t1.000\t'AB-\x01"
                     "234X'"),
         -1, ""},                                                     // a control character
        {"a\tb\tc\t1.000\t'" + std::string(490, 'A') + "'", -1, ""},  // over 500 characters
    };
    for (const Case& k : cases) {
        std::optional<DecoderPassing> p = parse_decoder_record(k.text);
        ASSERT_EQ(p.has_value(), k.time >= 0) << k.text;
        if (!p) continue;
        EXPECT_EQ(p->time, k.time) << k.text;
        EXPECT_EQ(p->code_text(), k.code) << k.text;
    }
}

TEST(DecoderRecord, LineReadWithLeadInAndEscapes) {
    FakeSerialPort port;
    const std::string text = "@\t1\t2\t36000.456\t'AB-1234X'";
    std::string wire = encode_decoder_record(text);
    // Every tab goes out escaped.
    EXPECT_EQ(wire.substr(0, 4), std::string("\x01\x40@\x10", 4));
    // Noise before the record, then the record, a cut record, and a record of 600 characters.
    port.queue({0x55, 0x01, 0x41});
    port.queue(bytes(wire));
    port.queue(
        bytes("\x01\x40"
              "cut"));
    port.input.push_back(-1);
    port.queue(bytes("\x01\x40" + std::string(600, 'x') + "\n"));
    port.queue(bytes(wire));
    StationLink link(port);
    std::string got;
    EXPECT_EQ(read_decoder_record(link, got), DecoderRead::kRecord);
    EXPECT_EQ(got, text);
    EXPECT_EQ(read_decoder_record(link, got), DecoderRead::kBroken);
    EXPECT_EQ(read_decoder_record(link, got), DecoderRead::kBroken);
    EXPECT_EQ(read_decoder_record(link, got), DecoderRead::kRecord);
    EXPECT_EQ(got, text);
    EXPECT_EQ(read_decoder_record(link, got), DecoderRead::kNothing);

    // 21 attempts without a lead-in give nothing, and the record after them is still read.
    for (int i = 0; i < kDecoderLeadInAttempts; ++i) port.queue({0x01, 0x41});
    port.queue(bytes(wire));
    EXPECT_EQ(read_decoder_record(link, got), DecoderRead::kNothing);
    EXPECT_EQ(read_decoder_record(link, got), DecoderRead::kRecord);
}

TEST(DecoderReader, PassingsHandedOverAndBrokenRecordsCounted) {
    FakeSerialPort port;
    port.queue(bytes(encode_decoder_record("a\tb\tc\t36000.456\t'AB-1234X'")));
    port.queue(bytes(encode_decoder_record("a\tb\tc\tbad\t'AB-1234X'")));
    port.queue(bytes(encode_decoder_record("a\tb\tc\t100.000\t'CD-5678Y'")));
    StationLink link(port);
    std::vector<std::string> codes;
    DecoderReaderStats stats;
    run_transponder_reader(
        link,
        [&](const DecoderPassing& p) {
            codes.emplace_back(p.code_text());
            return codes.size() < 2;
        },
        stats, 0);
    EXPECT_EQ(codes, (std::vector<std::string>{"AB1234X", "CD5678Y"}));
    EXPECT_EQ(stats.passings, 2);
    EXPECT_EQ(stats.dropped, 1);
}

TEST(DecoderPassingTime, ShiftAndPrecision) {
    struct Case {
        std::int32_t decoder, shift;
        int precision;
        std::int32_t want;
    };
    const Case cases[] = {
        {3600045, 0, 2, 3600045},
        {3600045, 0, 1, 3600040},
        {3600045, 0, 0, 3600000},
        {3600045, -6000, 2, 3594045},
        {100, -200, 2, kDay - 100},
        {kDay - 100, 300, 0, 200},
        {3600045, 2 * kDay + 5, 2, 3600050},
    };
    for (const Case& k : cases)
        EXPECT_EQ(passing_time(k.decoder, k.shift, k.precision), k.want)
            << k.decoder << " " << k.shift << " " << k.precision;
}

TEST(DecoderPassing, FinishLineAfterTheLastLineWithATimeOrANumber) {
    PunchFixture f;
    set_field_text(f.runner(1, 17, 0, 0).comment, "AB1234X");
    f.c.info.time_precision = 0;
    f.c.info.amb_time_shift = 0;
    // A line with a time, a prepared line with a number only, and two empty lines.
    for (int i = 0; i < 4; ++i) f.c.new_record(kFinishLines);
    f.c.tables.finish_lines[0]->time_word = hms(9, 0, 0);
    f.c.tables.finish_lines[1]->start_number = 5;
    DecoderPassing p = *parse_decoder_record("a\tb\tc\t36000.456\t'AB-1234X'");
    PassingOutcome out = store_passing(f.c, p);
    EXPECT_EQ(out.slot, 2);
    EXPECT_EQ(out.start_number, 17);
    EXPECT_EQ(f.c.tables.finish_lines[2]->time_word, 3600000u);
    EXPECT_EQ(f.c.tables.finish_lines[2]->start_number, 17);

    f.c.info.time_precision = 2;
    p.code = {'Z', 'Z', 'Z', 'Z', 'Z', 'Z', 'Z'};
    out = store_passing(f.c, p);
    EXPECT_EQ(out.slot, 3);
    EXPECT_EQ(out.start_number, 0);
    EXPECT_EQ(f.c.tables.finish_lines[3]->time_word, 3600045u);
    out = store_passing(f.c, p);
    EXPECT_EQ(out.slot, 4);
    EXPECT_EQ(f.c.tables.finish_lines.live_count(), 5);
}

TEST(AmbShift, ShownWithHundredthsAndReadBack) {
    EXPECT_EQ(format_amb_shift(0), "00:00:00,00");
    EXPECT_EQ(format_amb_shift(-6012), "-00:01:00,12");
    EXPECT_EQ(format_amb_shift(hms(1, 2, 3) + 4), "01:02:03,04");
    struct Case {
        const char* text;
        std::optional<std::int32_t> want;
    };
    const Case cases[] = {{"-00:01:00,12", -6012}, {" 01:02:03,04 ", hms(1, 2, 3) + 4},
                          {"+0:0:5", 500},         {"", std::nullopt},
                          {"abc", std::nullopt},   {"24:00:00", std::nullopt},
                          {"1,2,3", std::nullopt}};
    for (const Case& k : cases) EXPECT_EQ(parse_amb_shift(k.text), k.want) << k.text;
}

TEST(AmbShift, SavedAtItsHeaderOffset) {
    CompetitionInfo info;
    info.amb_time_shift = -6012;
    std::uint8_t block[CompetitionInfo::kSize];
    info.encode(block);
    std::int32_t v = 0;
    std::memcpy(&v, block + 1116, 4);
    EXPECT_EQ(v, -6012);
    CompetitionInfo back;
    back.decode(block);
    EXPECT_EQ(back.amb_time_shift, -6012);
}

TEST(TransponderFiles, CodesByStartNumber) {
    PunchFixture f;
    f.runner(1, 17, 0, 0);
    f.runner(2, 18, 0, 0);
    const std::string text =
        "17 AB1234X\r\n18  CD5678Y  tail\n19 EF0000Z\n0 GH1111A\n30000 GH1111A\n-5 X\n"
        "junk\n\n17\n18" +
        std::string(200, ' ') + "far\n";
    TransponderImportCounts n = import_transponder_codes(f.c, text);
    EXPECT_EQ(field_text(f.c.tables.runners[0]->comment), "AB1234X");
    EXPECT_EQ(field_text(f.c.tables.runners[1]->comment), "CD5678Y");
    EXPECT_EQ(n.taken, 2);
    EXPECT_EQ(n.unknown, 1);
    EXPECT_EQ(n.unknown_keys, std::vector<std::string>{"19"});
    EXPECT_EQ(n.bad_number, 3);
    EXPECT_EQ(n.unreadable, 3);  // "junk", "17" and the line cut at 99 characters

    ScriptedPrompts prompts;
    prompts.yes_no_answers = {true};
    run_clear_transponder_codes(f.c, prompts);
    EXPECT_EQ(field_text(f.c.tables.runners[0]->comment), "");
    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_EQ(prompts.questions[0], std::string("Очистить номера AMB?"_cp1251));
}

TEST(TransponderFiles, DecoderFinishAndStart) {
    PunchFixture f;
    Runner& a = f.runner(1, 17, 0, 0);
    set_field_text(a.comment, "AB1234X");
    a.start_time = hms(10, 0, 0);
    Runner& b = f.runner(2, 18, 0, 0);
    set_field_text(b.comment, "CD5678Y");
    b.start_time = hms(10, 1, 0);
    const std::string finish = "AB1234X 10:30:00,50\nZZ9999Z 10:31:00\nshort\nCD5678Y 10:40:00\n";
    TransponderImportCounts n = import_decoder_times(f.c, finish, DecoderFileKind::kFinish);
    EXPECT_EQ(n.taken, 2);
    EXPECT_EQ(n.unknown_keys, std::vector<std::string>{"ZZ9999Z"});
    EXPECT_EQ(n.unreadable, 1);
    const auto& t = f.c.tables.finish_lines;
    ASSERT_EQ(t.live_count(), 3);
    EXPECT_EQ(t[0]->start_number, 17);
    EXPECT_EQ(t[0]->time_word, std::uint32_t(hms(10, 30, 0) + 50));
    EXPECT_EQ(t[1]->start_number, 0);
    EXPECT_EQ(a.finish_time, hms(10, 30, 0) + 50);

    // The start file sets start times and leaves finish times and lines as they are.
    n = import_decoder_times(f.c, "AB1234X 09:00:00\nCD5678Y 09:01:00\n", DecoderFileKind::kStart);
    EXPECT_EQ(n.taken, 2);
    EXPECT_EQ(a.start_time, hms(9, 0, 0));
    EXPECT_EQ(b.start_time, hms(9, 1, 0));
    EXPECT_EQ(a.finish_time, hms(10, 30, 0) + 50);
    EXPECT_EQ(t.live_count(), 3);
}

TEST(TransponderFiles, MenuCommandsAskAndTell) {
    struct Case {
        int kind;  // 0 codes, 1 finish, 2 start
        const char* file;
        const char* question;
        const char* first_message;
    };
    const Case cases[] = {
        {0, "17 AB1234X\n19 CD5678Y\n", "Импорт номеров транспондеров?",
         "Номер 19 никому в базе не приписан!"},
        {1, "ZZ9999Z 10:00:00\n", "Читать финиш из транспондеров?",
         "ЧИП ZZ9999Z никому в базе не приписан!"},
        {2, "ZZ9999Z 10:00:00\n", "Читать старт из транспондеров?",
         "ЧИП ZZ9999Z никому в базе не приписан!"},
    };
    const std::string path = ::testing::TempDir() + "/transponder_file.txt";
    for (const Case& k : cases) {
        PunchFixture f;
        f.runner(1, 17, 0, 0);
        std::FILE* out = std::fopen(path.c_str(), "wb");
        ASSERT_NE(out, nullptr);
        std::fputs(k.file, out);
        std::fclose(out);
        ScriptedPrompts prompts;
        prompts.yes_no_answers = {true};
        prompts.files = {path};
        bool changed = k.kind == 0
                           ? run_import_transponder_codes(f.c, prompts)
                           : run_import_decoder_times(
                                 f.c, prompts,
                                 k.kind == 1 ? DecoderFileKind::kFinish : DecoderFileKind::kStart);
        EXPECT_TRUE(changed);
        ASSERT_EQ(prompts.questions.size(), 1u);
        EXPECT_EQ(prompts.questions[0], utf8_to_cp1251(k.question));
        ASSERT_FALSE(prompts.messages.empty());
        EXPECT_EQ(prompts.messages[0], utf8_to_cp1251(k.first_message));
        ASSERT_EQ(prompts.file_dialogs.size(), 1u);
        EXPECT_EQ(prompts.file_dialogs[0].title, utf8_to_cp1251("Импорт номеров транспондеров"));
    }
}

TEST(TransponderFiles, OnlyTheFirstUnknownNumbersAreToldOneByOne) {
    PunchFixture f;
    std::string text;
    for (int n = 1; n <= 25; ++n) text += std::to_string(n) + " AB1234X\n";
    const std::string path = ::testing::TempDir() + "/transponder_many.txt";
    std::FILE* out = std::fopen(path.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fputs(text.c_str(), out);
    std::fclose(out);
    ScriptedPrompts prompts;
    prompts.yes_no_answers = {true};
    prompts.files = {path};
    run_import_transponder_codes(f.c, prompts);
    ASSERT_EQ(prompts.messages.size(), std::size_t(kTransponderMessagesShown + 1));
    EXPECT_EQ(prompts.messages.back(),
              std::string("Ещё 15 без владельца (сообщения не показаны)"_cp1251));
}

}  // namespace
}  // namespace skarvel
