#include "core/leading_integer.h"

#include <gtest/gtest.h>

using namespace skarvel;

TEST(LeadingInteger, BlanksSignDigitsAndSaturation) {
    struct Case {
        const char* text;
        bool sign;
        std::optional<long long> want;
    } cases[] = {
        {"42;rest", true, 42},
        {" \t-7x", true, -7},
        {"+5", true, 5},
        {"+5", false, std::nullopt},
        {"-", true, std::nullopt},
        {"", true, std::nullopt},
        {"x1", true, std::nullopt},
        {"00012", false, 12},
        {"99999999999999999999999", true, 999999999999999LL},
    };
    for (const Case& k : cases) EXPECT_EQ(leading_integer(k.text, k.sign), k.want) << k.text;
}
