#include "core/time_text.h"

#include <gtest/gtest.h>

using namespace skarvel;

TEST(TimeText, ParsesEveryForm) {
    EXPECT_EQ(parse_time_text("12:25:31"), 4473100);
    EXPECT_EQ(parse_time_text("1:05"), 390000);
    EXPECT_EQ(parse_time_text("90"), 540000);
    EXPECT_EQ(parse_time_text("00:00:10,5"), 1005);
    EXPECT_EQ(parse_time_text("00:00:10,50"), 1050);
    EXPECT_EQ(parse_time_text("  3:  4:  5"), (3 * 60 + 4) * 6000 + 500);
    EXPECT_EQ(parse_time_text(""), 0);
    EXPECT_EQ(parse_time_text("::"), 0);
    EXPECT_EQ(parse_time_text("12x:30"), 12 * 360000 + 30 * 6000);
}

TEST(TimeText, HugeDigitStringsDoNotOverflow) {
    // Saturated parts: no undefined behaviour, some value comes back.
    (void)parse_time_text("99999999999999999999:99999999999999:9999999999999,99999999999");
    SUCCEED();
}

TEST(TimeText, FormatsAtEachPrecision) {
    EXPECT_EQ(format_time_text(4473100, 0), "12:25:31");
    EXPECT_EQ(format_time_text(1005, 1), "00:00:10,0");
    EXPECT_EQ(format_time_text(1005, 2), "00:00:10,05");
    EXPECT_EQ(format_time_text(0, 0), "00:00:00");
}

TEST(TimeText, OnlyLow24BitsAreShown) {
    EXPECT_EQ(format_time_text(0x01000000 + 4473100, 0), "12:25:31");
    EXPECT_EQ(format_time_text(0xFFFFFF, 2), "46:36:12,15");
    EXPECT_EQ(format_time_text(-1, 2), "46:36:12,15");
}
