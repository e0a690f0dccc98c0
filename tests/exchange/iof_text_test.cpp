#include "exchange/iof_text.h"

#include <gtest/gtest.h>

#include "core/cp1251.h"
#include "exchange/iof_xml.h"

using namespace skarvel;

TEST(IofText, UnicodeToWindows1251WithNearestLatin) {
    struct Case {
        const char* utf8;
        const char* expected_utf8;  // the Windows-1251 result shown in UTF-8
        bool replaced;
    } cases[] = {
        {"Иванов Пётр", "Иванов Пётр", false}, {"Wood George", "Wood George", false},
        {"Øystein Ærø", "Oystein AEro", true}, {"Łukasz Żółć", "Lukasz Zolc", true},
        {"Straße", "Strasse", true},           {"Ștefan", "Stefan", true},
        {"山田 太郎", "?? ??", true},          {"Tab\there", "Tab here", false},
        {"№ 5 «Ёлка»", "№ 5 «Ёлка»", false},
    };
    for (const Case& c : cases) {
        bool replaced = false;
        std::string out = utf8_to_cp1251_nearest(c.utf8, &replaced);
        EXPECT_EQ(cp1251_to_utf8(out), c.expected_utf8) << c.utf8;
        EXPECT_EQ(replaced, c.replaced) << c.utf8;
    }
}

TEST(IofText, Windows1251ToXmlSafeUtf8) {
    std::string in = utf8_to_cp1251("Ёж") + "\x01\x1f" + "\x98";
    EXPECT_EQ(cp1251_to_xml_utf8(in), "Ёж  ?");
}

TEST(IofText, NameSplitsAtTheFirstBlank) {
    struct Case {
        const char* name;
        const char* family;
        const char* given;
    } cases[] = {
        {"Wood George", "Wood", "George"},
        {"van der Berg Anna", "van", "der Berg Anna"},
        {"Single", "Single", ""},
        {"  Padded   Name  ", "Padded", "Name"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        PersonNameParts p = split_person_name(c.name);
        EXPECT_EQ(p.family, c.family) << c.name;
        EXPECT_EQ(p.given, c.given) << c.name;
    }
}

TEST(IofText, StatusMapping) {
    struct Case {
        int status;
        bool out_of_competition;
        const char* iof;
    } cases[] = {
        {0, false, "OK"},           {1, false, "MissingPunch"}, {2, false, "OverTime"},
        {3, false, "Disqualified"}, {4, false, "Disqualified"}, {5, false, "Disqualified"},
        {6, false, "Disqualified"}, {7, false, "DidNotFinish"}, {8, false, "DidNotStart"},
        {0, true, "NotCompeting"},  {8, true, "DidNotStart"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(iof_result_status(c.status, c.out_of_competition), c.iof) << c.status;
}
