// Version-11 files: every old offset lands in its new field.
#include <gtest/gtest.h>

#include "core/cp1251.h"
#include "core/wdb_file.h"
#include "wdb_test_util.h"

using namespace skarvel;
using namespace skarvel::literals;
using namespace skarvel::test;

namespace {

Bytes old_runner() {
    Bytes r(kOldRunner, 0);
    put_le(r, 0, 0xDEADBEEF, 4);  // ignored
    put_text(r, 4, std::string("Петров Пётр"_cp1251));
    put_le(r, 32, 1985, 2);
    r[36] = 7;
    put_le(r, 40, 3, 2);
    put_le(r, 44, 4, 2);
    put_le(r, 48, 1001, 4);
    put_le(r, 52, 1002, 4);
    put_le(r, 56, 2, 4);
    put_le(r, 60, 123, 2);
    put_le(r, 64, 4473100, 4);
    put_le(r, 68, 4600000, 4);
    put_le(r, 72, 126900, 4);
    put_le(r, 76, 5, 2);
    put_le(r, 80, 6, 2);
    put_le(r, 88, 0x11223344, 4);
    put_le(r, 92, 77777, 4);
    put_le(r, 96, 1234567, 4);
    put_le(r, 100, 42, 4);
    r[104] = 1;
    r[105] = 1;
    r[106] = 0x5A;
    r[107] = 3;
    r[112] = 1;
    put_le(r, 120, 1005, 4);
    put_le(r, 124, -9, 4);
    r[128] = 8;
    put_le(r, 132, 1003, 4);
    put_le(r, 136, 1004, 4);
    return r;
}

Bytes old_club() {
    Bytes c(kOldClub, 0);
    put_le(c, 4, 4, 4);
    put_text(c, 8, std::string("Азимут"_cp1251));
    put_text(c, 29, std::string("Волков И.С."_cp1251));
    put_le(c, 188, 11, 2);
    put_le(c, 192, 12, 2);
    put_le(c, 196, 13, 2);
    c[204] = 1;
    return c;
}

Bytes old_class() {
    Bytes c(kOldClass, 0);
    put_le(c, 4, 3, 4);
    put_text(c, 8, std::string("М21"_cp1251));
    put_le(c, 20, 9, 2);
    put_le(c, 24, 400, 2);
    put_le(c, 28, 21, 2);
    put_le(c, 32, 22, 2);
    put_le(c, 36, 23, 2);
    c[40] = 1;  // marked
    put_le(c, 44, 200, 2);
    put_le(c, 48, 350, 2);
    put_le(c, 52, 175, 2);
    return c;
}

Bytes old_course() {
    Bytes c(kOldCourse, 0);
    put_le(c, 4, 9, 4);
    put_text(c, 12, std::string("Дист 1"_cp1251));
    for (int k = 0; k < 80; ++k) {
        c[24 + k] = static_cast<std::uint8_t>(31 + k);
        put_le(c, 104 + 2 * k, 1000 + k, 2);
    }
    put_le(c, 276, 5400, 4);
    put_le(c, 280, 2, 4);
    put_le(c, 284, 80, 4);
    put_le(c, 288, 150, 4);
    put_le(c, 292, 180, 4);
    put_le(c, 296, 1, 4);
    put_le(c, 300, 3, 4);
    put_le(c, 304, 31, 2);
    put_le(c, 308, 32, 2);
    put_le(c, 312, 33, 2);
    c[316] = 1;
    return c;
}

Bytes old_line() {
    Bytes l(kOldLine, 0);
    put_le(l, 4, 123, 2);
    put_le(l, 8, 0xAB000000u | 4600000u, 4);  // the high byte is dropped
    l[12] = 0x81;
    return l;
}

Bytes old_card() {
    Bytes c(kOldCard, 0);
    put_le(c, 4, 1234567, 4);
    put_le(c, 8, 123, 4);
    put_le(c, 12, 4473100, 4);
    put_le(c, 16, 4600000, 4);
    put_le(c, 20, 36, 4);
    for (int k = 0; k < 36; ++k) {
        put_le(c, 24 + 4 * k, 0x7700 + 31 + k, 4);  // only the low byte is the code
        put_le(c, 168 + 4 * k, 4473100 + 100 * (k + 1), 4);
    }
    return c;
}

// The old header with a distinct value at every old offset of the move table.
Bytes old_header() {
    Bytes h(kOldHeader, 0);
    put_le(h, 0, 0xFFFFFFFF, 4);
    put_text(h, 4, std::string("Первенство области"_cp1251));
    put_text(h, 84, std::string("Кросс"_cp1251));
    put_text(h, 164, std::string("Третья строка"_cp1251));
    put_text(h, 244, std::string("Пермь"_cp1251));
    put_text(h, 269, std::string("Кузнецова"_cp1251));
    put_text(h, 294, std::string("Смирнов"_cp1251));
    put_text(h, 319, std::string("18.05.2024"_cp1251));
    h[340] = 2;
    h[344] = 1;
    for (int k = 0; k < 4; ++k) put_text(h, 348 + 25 * k, "Setter" + std::to_string(k + 1));
    return h;
}

struct Move {
    int from, to, width;
};
const Move kMoves[] = {
    {448, 998, 2},  {452, 1000, 2}, {456, 1002, 2}, {460, 1004, 2}, {464, 1006, 2}, {468, 1018, 2},
    {476, 1024, 4}, {480, 1020, 2}, {484, 1032, 1}, {485, 1033, 1}, {486, 1034, 1}, {487, 1035, 1},
    {496, 1036, 1}, {500, 1037, 1}, {504, 1038, 1}, {508, 1039, 1}, {516, 1040, 1}, {517, 1041, 1},
    {518, 1042, 1}, {519, 1043, 1}, {520, 1044, 1}, {521, 1045, 1}, {522, 1046, 1}, {523, 1047, 1},
    {524, 1048, 4}, {528, 1052, 4}, {532, 1056, 4}, {540, 1060, 1}, {544, 1061, 1}, {552, 1008, 2},
    {556, 1010, 2}, {560, 1012, 2}, {564, 1066, 1}, {568, 1067, 1}, {572, 1068, 1}, {576, 1069, 1},
    {580, 1072, 4}, {585, 1077, 1}, {586, 1078, 1}, {587, 1079, 1}, {588, 1080, 1}, {589, 1081, 1},
    {590, 1082, 1}, {591, 1083, 1}, {592, 1084, 1}, {593, 1085, 1}, {595, 1087, 1}, {596, 1088, 1},
    {597, 1089, 1}, {598, 1090, 1}, {599, 1091, 1}, {600, 1092, 1}, {601, 1093, 1}, {602, 1094, 1},
    {603, 1124, 1}, {604, 1125, 1}, {605, 1126, 1}, {606, 1127, 1}, {607, 1128, 1}, {608, 1095, 1},
    {609, 1096, 1}, {610, 1097, 1}, {611, 1098, 1}, {612, 1099, 1}, {613, 1100, 1}, {614, 1101, 1},
    {617, 1104, 1}, {618, 1105, 1}, {619, 1106, 1}, {620, 1108, 2}, {624, 1110, 2}, {628, 1112, 2},
};

// A value for each move that fits its width and differs from its neighbours.
std::int64_t move_value(const Move& m, int i) {
    if (m.to == 1084) return 3;  // the table on show must be a table
    if (m.width == 1) return 10 + i;
    if (m.width == 2) return 300 + i;
    return 100000 + i;
}

OldFile sample_old_file() {
    OldFile f;
    f.runners = {old_runner()};
    f.clubs = {old_club()};
    f.classes = {old_class()};
    f.courses = {old_course()};
    f.lines = {old_line()};
    f.cards = {old_card()};
    f.header = old_header();
    int i = 0;
    for (const Move& m : kMoves)
        put_le(f.header, m.from, std::uint64_t(move_value(m, i++)), m.width);
    for (int s = 0; s < 9; ++s) {
        put_text(f.status, 4 + 12 * s, "short" + std::to_string(s));
        put_text(f.status, 112 + 12 * s, "name" + std::to_string(s));
    }
    return f;
}

}  // namespace

TEST(WdbOldFormat, RecordsConvertFieldByField) {
    Bytes file = sample_old_file().build();
    Competition c;
    LoadResult res = decode_wdb(c, file.data(), file.size());
    ASSERT_EQ(res.status, LoadStatus::kConverted) << res.message;
    EXPECT_EQ(res.version, 11);
    EXPECT_TRUE(res.ok());

    const Runner& r = *c.tables.runners[0];
    EXPECT_EQ(field_text(r.name), std::string("Петров Пётр"_cp1251));
    EXPECT_EQ(field_text(r.comment), "");
    EXPECT_EQ(r.birth_year, 1985);
    EXPECT_EQ(r.qualification, 7);
    EXPECT_EQ(r.class_id, 3);
    EXPECT_EQ(r.club_id, 4);
    EXPECT_EQ(r.heat_or_leg, 2);
    EXPECT_EQ(r.start_number, 123);
    EXPECT_EQ(r.start_time, 4473100);
    EXPECT_EQ(r.finish_time, 4600000);
    EXPECT_EQ(r.result, 126900);
    EXPECT_EQ(r.penalty, 5);
    EXPECT_EQ(r.place, 6);
    EXPECT_EQ(r.reserved84, 0x11223344);
    EXPECT_EQ(r.multiday_total, 77777);
    EXPECT_EQ(r.card_number, 1234567);
    EXPECT_EQ(r.id, 42);
    EXPECT_EQ(r.out_of_competition, 1);
    EXPECT_EQ(r.individual, 1);
    EXPECT_EQ(r.reserved99, 0x5A);
    EXPECT_EQ(r.fee_flags, 3);
    EXPECT_EQ(r.marked, 1);
    EXPECT_EQ(r.draw_key, -9);
    EXPECT_EQ(r.status, 8);
    EXPECT_EQ(r.day_results[0], 1003);
    EXPECT_EQ(r.day_results[1], 1004);
    EXPECT_EQ(r.day_results[2], 1001);
    EXPECT_EQ(r.day_results[3], 1002);
    EXPECT_EQ(r.day_results[4], 1005);
    for (int d = 5; d < 10; ++d) EXPECT_EQ(r.day_results[d], 0);
    EXPECT_EQ(r.reserved51, 0);
    for (auto b : r.reserved160) EXPECT_EQ(b, 0);

    const Club& k = *c.tables.clubs[0];
    EXPECT_EQ(k.id, 4);
    EXPECT_EQ(field_text(k.name), std::string("Азимут"_cp1251));
    EXPECT_EQ(field_text(k.representative), std::string("Волков И.С."_cp1251));
    EXPECT_EQ(k.runner_count, 11);
    EXPECT_EQ(k.finish_line_count, 12);
    EXPECT_EQ(k.marked_count, 13);
    EXPECT_EQ(k.marked, 1);

    const ClassRecord& g = *c.tables.classes[0];
    EXPECT_EQ(g.id, 3);
    EXPECT_EQ(field_text(g.name), std::string("М21"_cp1251));
    EXPECT_EQ(g.course_id, 9);
    EXPECT_EQ(g.fee_rental_normal, 400);
    EXPECT_EQ(g.fee_rental_reduced, 200);
    EXPECT_EQ(g.fee_own_normal, 350);
    EXPECT_EQ(g.fee_own_reduced, 175);
    EXPECT_EQ(g.runner_count, 21);
    EXPECT_EQ(g.finish_line_count, 22);
    EXPECT_EQ(g.marked_count, 23);
    EXPECT_TRUE(g.marked());
    EXPECT_TRUE(g.ranks_allowed());
    EXPECT_EQ(g.ms_award, 0);

    const Course& d = *c.tables.courses[0];
    EXPECT_EQ(d.id, 9);
    EXPECT_EQ(field_text(d.name), std::string("Дист 1"_cp1251));
    for (int j = 0; j < 80; ++j) {
        EXPECT_EQ(d.control_codes[j], 31 + j);
        EXPECT_EQ(d.control_values[j], 1000 + j);
    }
    for (int j = 80; j < 100; ++j) {
        EXPECT_EQ(d.control_codes[j], 0);
        EXPECT_EQ(d.control_values[j], 0);
    }
    EXPECT_EQ(d.length_m, 5400);
    EXPECT_EQ(d.start_corridor, 2);
    EXPECT_EQ(d.control_count, 80);
    EXPECT_EQ(d.climb_m, 150);
    EXPECT_EQ(d.time_limit_min, 180);
    EXPECT_EQ(d.finish_crossings, 1);
    EXPECT_EQ(d.course_setter, 3);
    EXPECT_EQ(d.runner_count, 31);
    EXPECT_EQ(d.finish_line_count, 32);
    EXPECT_EQ(d.marked_count, 33);
    EXPECT_EQ(d.marked, 1);

    const FinishLine& l = *c.tables.finish_lines[0];
    EXPECT_EQ(l.start_number, 123);
    EXPECT_EQ(l.time(), 4600000);
    EXPECT_EQ(l.counter(), 0);
    EXPECT_EQ(l.flags, 0x81);

    const CardReadout& card = *c.tables.card_readouts[0];
    EXPECT_EQ(card.card_number, 1234567);
    EXPECT_EQ(card.start_number, 123);
    EXPECT_EQ(card.start.time, 4473100);
    EXPECT_EQ(card.finish.time, 4600000);
    EXPECT_EQ(card.start.code, 0);
    EXPECT_EQ(card.punch_count, 36);
    for (int j = 0; j < 36; ++j) {
        EXPECT_EQ(card.punches[j].code, 31 + j);
        EXPECT_EQ(card.punches[j].time, 4473100 + 100 * (j + 1));
    }
    for (int j = 36; j < 64; ++j) EXPECT_EQ(card.punches[j].time, 0);
    EXPECT_EQ(card.station_punches[0].time, 0);

    // Indexes are ready: the runner is found by number.
    EXPECT_EQ(c.runner_by_number(123), &r);
}

TEST(WdbOldFormat, HeaderMovesToItsNewOffsets) {
    Competition c;
    // Bytes no move names keep what they held before the load.
    c.info.set_byte_at(1114, 0x66);
    set_field_text(c.info.title_lines[5], "old line 6");
    set_field_text(c.info.extra_text, "old text");
    Bytes file = sample_old_file().build();
    ASSERT_EQ(decode_wdb(c, file.data(), file.size()).status, LoadStatus::kConverted);
    std::uint8_t block[CompetitionInfo::kSize];
    c.info.encode(block);
    int i = 0;
    for (const Move& m : kMoves) {
        std::int64_t v = 0;
        for (int k = 0; k < m.width; ++k) v |= std::int64_t(block[m.to + k]) << (8 * k);
        EXPECT_EQ(v, move_value(m, i++)) << m.from << " -> " << m.to;
    }
    EXPECT_EQ(field_text(c.info.title_lines[0]), std::string("Первенство области"_cp1251));
    EXPECT_EQ(field_text(c.info.title_lines[1]), std::string("Кросс"_cp1251));
    EXPECT_EQ(field_text(c.info.title_lines[2]), std::string("Третья строка"_cp1251));
    for (int k = 3; k < 10; ++k) EXPECT_EQ(field_text(c.info.title_lines[k]), "") << k;
    EXPECT_EQ(field_text(c.info.place), std::string("Пермь"_cp1251));
    EXPECT_EQ(field_text(c.info.chief_secretary), std::string("Кузнецова"_cp1251));
    EXPECT_EQ(field_text(c.info.chief_judge), std::string("Смирнов"_cp1251));
    EXPECT_EQ(field_text(c.info.date), "18.05.2024");
    EXPECT_EQ(c.info.competition_kind, 2);
    EXPECT_EQ(c.info.relay, 1);
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(field_text(c.info.course_setters[k]), "Setter" + std::to_string(k + 1));
    EXPECT_EQ(field_text(c.info.extra_text), "");
    EXPECT_EQ(c.info.byte_at(1114), 0x66);
    EXPECT_EQ(field_text(c.info.status_short_texts[4]), "short4");
    EXPECT_EQ(field_text(c.info.status_names[8]), "name8");
    // The view state came from the old header; the display flag is off.
    EXPECT_EQ(c.view.table, 3);
    EXPECT_EQ(c.info.display_on, 0);
}

TEST(WdbOldFormat, WithoutStatusBlockTheStatusTextsStay) {
    OldFile f = sample_old_file();
    f.with_status = false;
    Bytes file = f.build();
    Competition c;
    set_field_text(c.info.status_names[7], "keep me");
    LoadResult res = decode_wdb(c, file.data(), file.size());
    ASSERT_EQ(res.status, LoadStatus::kConverted) << res.message;
    EXPECT_EQ(field_text(c.info.status_names[7]), "keep me");
    EXPECT_EQ(c.tables.card_readouts.live_count(), 1);

    // A status block cut short is damage; the tables are all there.
    f.with_status = true;
    file = f.build();
    file.resize(file.size() - 100);
    res = decode_wdb(c, file.data(), file.size());
    EXPECT_EQ(res.status, LoadStatus::kDamaged);
    EXPECT_EQ(res.damaged_table, "status_texts");
    EXPECT_EQ(c.tables.card_readouts.live_count(), 1);
    EXPECT_EQ(field_text(c.info.status_names[7]), "keep me");
}

TEST(WdbOldFormat, LoadTellsAboutTheConversionAndSavesVersion21) {
    TempDir dir;
    write_bytes(dir.file("old.wdb"), sample_old_file().build());
    Competition c;
    ScriptedPrompts prompts;
    LoadResult res = load_wdb(c, dir.file("old.wdb"), prompts);
    ASSERT_EQ(res.status, LoadStatus::kConverted);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(
        prompts.messages[0],
        std::string(
            "Произведено преобразование в формат Skarvel2 !\nВНИМАНИЕ: после преобразования Вы не сможете открывать этот файл старой программой!\nПроследите, что бы на всех компьютерах была установлена новая версия!"_cp1251));
    Bytes saved = encode_wdb(c);
    EXPECT_EQ(get_le(saved, 0, 4), 21);
    Competition d;
    ASSERT_EQ(decode_wdb(d, saved.data(), saved.size()).status, LoadStatus::kOk);
    EXPECT_TRUE(encode_wdb(d) == saved);
    EXPECT_EQ(d.tables.runners[0]->id, 42);
}

TEST(WdbOldFormat, LongOldTextsAreCutToTheNewFields) {
    OldFile f = sample_old_file();
    Bytes& r = f.runners[0];
    std::fill(r.begin() + 4, r.begin() + 32, 'x');  // 28 characters, no NUL
    Bytes& g = f.classes[0];
    std::fill(g.begin() + 8, g.begin() + 20, 'y');
    Bytes file = f.build();
    Competition c;
    ASSERT_EQ(decode_wdb(c, file.data(), file.size()).status, LoadStatus::kConverted);
    EXPECT_EQ(field_text(c.tables.runners[0]->name), std::string(25, 'x'));
    EXPECT_EQ(field_text(c.tables.classes[0]->name), std::string(8, 'y'));
}

TEST(WdbOldFormat, TruncatedOldFilesAreDamage) {
    Bytes file = sample_old_file().build();
    Competition c;
    int damaged = 0;
    for (std::size_t len = 4; len < file.size(); ++len) {
        LoadResult res = decode_wdb(c, file.data(), len);
        if (len == file.size() - kOldStatus) {
            EXPECT_EQ(res.status, LoadStatus::kConverted);
            continue;
        }
        ASSERT_EQ(res.status, LoadStatus::kDamaged) << len;
        ++damaged;
    }
    EXPECT_GT(damaged, 1500);
    // The runners' section cut after its count.
    LoadResult res = decode_wdb(c, file.data(), 8 + 100);
    EXPECT_EQ(res.damaged_table, "runners");
    EXPECT_EQ(res.records_read, 0);
    EXPECT_EQ(res.records_expected, 1);
}
