// Card personalisation without a line: the date code, the 128-byte block, the word frames, the
// checks on a block read from a card, and the runner a registered card makes.
#include "punch/personal_data.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/cp1251.h"
#include "tests/punch/punch_fixture.h"

namespace skarvel {
namespace {

using namespace skarvel::literals;
using Bytes = std::vector<std::uint8_t>;

TEST(PersonalDate, CodesAndBirthYears) {
    struct Row {
        CardDate date;
        std::int32_t code;
        CardDate decoded;
    } rows[] = {
        {{15, 3, 1985}, 726618, {15, 3, 1985}},
        {{1, 1, 1970}, 721052, {1, 1, 1970}},
        // Late November and December stay in their year (a plain division by 366 would not).
        {{30, 11, 1985}, 726881, {30, 11, 1985}},
        {{25, 12, 1985}, 726907, {25, 12, 1985}},
        // 31 December has the code of 6 January of the next year: read as January.
        {{31, 12, 1985}, 726913, {6, 1, 1986}},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(date_code(r.date), r.code) << r.date.day << "." << r.date.month;
        CardDate back;
        ASSERT_TRUE(decode_date_code(r.code, back));
        EXPECT_EQ(back.day, r.decoded.day);
        EXPECT_EQ(back.month, r.decoded.month);
        EXPECT_EQ(back.year, r.decoded.year);
    }
    CardDate none;
    EXPECT_FALSE(decode_date_code(0, none));
    EXPECT_FALSE(decode_date_code(-5, none));
    EXPECT_EQ(form_birth_year(85), 1985);
    EXPECT_EQ(form_birth_year(1985), 1985);
}

TEST(PersonalBlock, LayoutOfTheSampleForm) {
    PersonalForm f;
    f.date_of_birth = {15, 3, 85};  // typed as 85
    f.second_card_number = 1234567;
    PersonalDataBlock b = build_personal_block(f);
    PersonalDataBlock want{};
    auto put = [&want](int at, std::string_view s) {
        std::memcpy(want.data() + at, s.data(), s.size());
    };
    put(0, "Ivan;Ivanov;");
    put(24, std::string("Иван;Иванов;Иванович;"_cp1251));
    put(64, "RUS");
    put(67, std::string("Москва"_cp1251));
    put(83, std::string("Азимут"_cp1251));
    auto u32 = [&want](int at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) want[at + i] = std::uint8_t(v >> (8 * i));
    };
    u32(100, 726618);
    u32(104, 31 + 12 * 31 + 2008 * 366);
    u32(120, 1234567);
    EXPECT_EQ(Bytes(b.begin(), b.end()), Bytes(want.begin(), want.end()));
}

TEST(PersonalBlock, LongTextsAreCutAtTheNextField) {
    PersonalForm f;
    f.club = "ABCDEFGHIJKLMNOPQRST";  // 20 characters: 17 fit before the birth date
    f.latin_first_name = "Aleksandra-Valentina";
    f.latin_surname = "Konstantinopolskaya";
    f.city = "ABCDEFGHIJKLMNO";
    PersonalDataBlock b = build_personal_block(f);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data() + 83), 17), "ABCDEFGHIJKLMNOPQ");
    std::uint32_t birth = b[100] | (b[101] << 8) | (b[102] << 16) | (std::uint32_t(b[103]) << 24);
    EXPECT_EQ(birth, static_cast<std::uint32_t>(date_code({1, 1, 1970})));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data()), 24), "Aleksandra-Valentina;Kon");
    EXPECT_EQ(b[82], 0);  // the city keeps its NUL
}

TEST(PersonalFrames, FirstAndLastWord) {
    PersonalDataBlock b = build_personal_block(PersonalForm{});
    auto first = word_write_frame(b, 0);
    EXPECT_EQ(Bytes(first.begin(), first.end()),
              (Bytes{0xFF, 0x02, 0x02, 0xEA, 0x05, 8, 'I', 'v', 'a', 'n', 0xCF, 0x88, 0x03}));
    auto last = word_write_frame(b, 31);
    EXPECT_EQ(Bytes(last.begin(), last.end()),
              (Bytes{0xFF, 0x02, 0x02, 0xEA, 0x05, 39, 0, 0, 0, 0, 0xDD, 0x70, 0x03}));
    auto r8 = word_read_frame(8), r39 = word_read_frame(39);
    EXPECT_EQ(Bytes(r8.begin(), r8.end()),
              (Bytes{0xFF, 0x02, 0x02, 0xEB, 0x01, 8, 0x72, 0x0A, 0x03}));
    EXPECT_EQ(Bytes(r39.begin(), r39.end()),
              (Bytes{0xFF, 0x02, 0x02, 0xEB, 0x01, 39, 0x5D, 0x0A, 0x03}));
}

TEST(PersonalBlock, ReadBackIsCheckedBeforeItMakesARunner) {
    const PersonalDataBlock good = build_personal_block(PersonalForm{});
    CardOwner o;
    ASSERT_TRUE(parse_personal_block(good, o));
    EXPECT_EQ(o.surname, std::string("Иванов"_cp1251));
    EXPECT_EQ(o.first_name, std::string("Иван"_cp1251));
    EXPECT_EQ(o.club, std::string("Азимут"_cp1251));
    EXPECT_EQ(o.city, std::string("Москва"_cp1251));
    EXPECT_EQ(o.birth_year, 1970);
    EXPECT_EQ(card_owner_message(o, russian_language_table()),
              std::string("Eng_Name: Ivan;Ivanov;\nRus_Name: ") +
                  std::string("Иван;Иванов;Иванович;"_cp1251) + "\nCountry: RUS\nCity: " +
                  std::string("Москва"_cp1251) + "\nClub: " + std::string("Азимут"_cp1251) + "\n");

    struct Row {
        const char* what;
        void (*spoil)(PersonalDataBlock&);
    } rows[] = {
        {"blank card", [](PersonalDataBlock& b) { b.fill(0xFF); }},
        {"zeros", [](PersonalDataBlock& b) { b.fill(0); }},
        {"city without its NUL", [](PersonalDataBlock& b) { std::memset(b.data() + 67, 'A', 16); }},
        {"control character", [](PersonalDataBlock& b) { b[85] = 0x07; }},
        {"unassigned byte", [](PersonalDataBlock& b) { b[26] = 0x98; }},
        {"no separators",
         [](PersonalDataBlock& b) {
             std::memset(b.data(), 'A', 23);
             b[23] = 0;
             std::memset(b.data() + 24, 'B', 39);
             b[63] = 0;
         }},
        {"no surname",
         [](PersonalDataBlock& b) {
             std::memcpy(b.data(), "Ivan;;\0", 7);
             std::memcpy(b.data() + 24, ";;;\0", 4);
         }},
    };
    for (const Row& r : rows) {
        PersonalDataBlock b = good;
        r.spoil(b);
        EXPECT_FALSE(parse_personal_block(b, o)) << r.what;
    }
    // A date of birth no day gives: the runner has no birth year, the card is still good.
    PersonalDataBlock b = good;
    std::memset(b.data() + 100, 0, 4);
    ASSERT_TRUE(parse_personal_block(b, o));
    EXPECT_EQ(o.birth_year, 0);
}

TEST(PersonalRegistration, ClubsAreFoundOrMadeOnce) {
    test::PunchFixture f;
    Club& existing = *f.c.tables.clubs[f.c.new_record(kClubs)];
    existing.id = 5;
    set_field_text(existing.name, std::string("Старт"_cp1251));

    PersonalForm form;
    form.club = std::string("Азимут"_cp1251);
    form.date_of_birth = {15, 3, 1985};
    CardOwner o;
    ASSERT_TRUE(parse_personal_block(build_personal_block(form), o));
    int first = register_card_owner(f.c, o, 101, 2000001);
    int second = register_card_owner(f.c, o, 102, 2000002);
    form.club = std::string("Старт"_cp1251);
    ASSERT_TRUE(parse_personal_block(build_personal_block(form), o));
    int third = register_card_owner(f.c, o, 103, 2000003);
    ASSERT_NE(first, kNoSlot);
    ASSERT_NE(second, kNoSlot);
    ASSERT_NE(third, kNoSlot);
    const Runner& a = *f.c.tables.runners[first];
    EXPECT_EQ(field_text(a.name), std::string("Иванов Иван"_cp1251));
    EXPECT_EQ(a.start_number, 101);
    EXPECT_EQ(a.card_number, 2000001);
    EXPECT_EQ(a.birth_year, 1985);
    EXPECT_EQ(f.c.tables.clubs.live_count(), 2);
    EXPECT_EQ(field_text(f.c.find_club_by_id(a.club_id)->name), std::string("Азимут"_cp1251));
    EXPECT_EQ(f.c.tables.runners[second]->club_id, a.club_id);
    EXPECT_EQ(f.c.tables.runners[third]->club_id, 5);
    EXPECT_EQ(f.c.runner_by_number(102), f.c.tables.runners[second]);
}

}  // namespace
}  // namespace skarvel
