#include "core/cp1251.h"

#include <gtest/gtest.h>

using namespace skarvel;
using namespace skarvel::literals;

TEST(Cp1251, EveryCyrillicLetterBothWays) {
    const std::string upper = "АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ";
    const std::string lower = "абвгдежзийклмнопрстуфхцчшщъыьэюя";
    std::string up = utf8_to_cp1251(upper), lo = utf8_to_cp1251(lower);
    ASSERT_EQ(up.size(), 32u);
    ASSERT_EQ(lo.size(), 32u);
    for (int i = 0; i < 32; ++i) {
        EXPECT_EQ(static_cast<unsigned char>(up[i]), 0xC0 + i);
        EXPECT_EQ(static_cast<unsigned char>(lo[i]), 0xE0 + i);
    }
    EXPECT_EQ(cp1251_to_utf8(up), upper);
    EXPECT_EQ(cp1251_to_utf8(lo), lower);
    EXPECT_EQ(utf8_to_cp1251("Ёё№"), "\xA8\xB8\xB9");
    EXPECT_EQ(cp1251_to_utf8("\xA8\xB8\xB9"), "Ёё№");
}

TEST(Cp1251, AllBytesRoundTripExceptTheUnassignedOne) {
    for (int b = 1; b < 256; ++b) {
        if (b == 0x98) continue;
        std::string one(1, static_cast<char>(b));
        EXPECT_EQ(utf8_to_cp1251(cp1251_to_utf8(one)), one) << b;
    }
}

TEST(Cp1251, UnknownAndMalformedBecomeQuestionMarks) {
    EXPECT_EQ(utf8_to_cp1251("漢"), "?");
    EXPECT_EQ(utf8_to_cp1251("a\xC3"), "a?");
    EXPECT_EQ(utf8_to_cp1251("\xFF"), "?");
}

TEST(Cp1251, CompileTimeLiteral) {
    constexpr std::string_view s = "Не могу читать указанный файл"_cp1251;
    EXPECT_EQ(s, utf8_to_cp1251("Не могу читать указанный файл"));
    EXPECT_EQ(s.size(), 29u);
    EXPECT_EQ(std::string("%-4.4s КМС"_cp1251), "%-4.4s \xCA\xCC\xD1");
}
