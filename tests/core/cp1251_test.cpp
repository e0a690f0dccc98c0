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
    // No loose decoding: one "?" per longest start of a valid sequence, and the byte that
    // broke a sequence is read again as a start of its own.
    struct Case {
        const char* utf8;
        const char* cp1251;
    } cases[] = {
        {"\xC0\xAF", "??"},                 // overlong "/"
        {"\xE0\x80\xAF", "???"},            // overlong "/" in three bytes
        {"\xF0\x80\x80\xAF", "????"},       // and in four
        {"\xED\xA0\x80", "???"},            // a surrogate
        {"\xF4\x90\x80\x80", "????"},       // above U+10FFFF
        {"\xF8\x88\x80\x80\x80", "?????"},  // a five-byte form
        {"\xD0"
         "a",
         "?a"},                       // a cut sequence keeps what follows
        {"\xE2\x84\x96", "\xB9"},     // "№" is still "№"
        {"\xF0\x9F\x98\x80!", "?!"},  // a valid character the code page lacks
    };
    for (const Case& c : cases) EXPECT_EQ(utf8_to_cp1251(c.utf8), c.cp1251) << c.utf8;
}

TEST(Cp1251, CompileTimeLiteral) {
    constexpr std::string_view s = "Не могу читать указанный файл"_cp1251;
    EXPECT_EQ(s, utf8_to_cp1251("Не могу читать указанный файл"));
    EXPECT_EQ(s.size(), 29u);
    EXPECT_EQ(std::string("%-4.4s КМС"_cp1251), "%-4.4s \xCA\xCC\xD1");
}
