#include "exchange/control_orders.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <vector>

#include "core/cp1251.h"
#include "iof_fixture.h"

using namespace skarvel;
using namespace skarvel::test;

namespace {

const char* kRelayLine = "1;A;2.1;4500;120;0;0;S1;230;31;410;32;380;F1;";

std::string pairs(int n) {
    std::string s = "7;B;0;1000;10;0;";
    for (int i = 1; i <= n; ++i) s += std::to_string(i) + ";" + std::to_string(30 + i % 200) + ";";
    return s;
}

}  // namespace

TEST(ControlOrders, LinesBecomeCourses) {
    LanguageTable lang;
    lang.build(UiLanguage::kEnglish);
    struct Case {
        std::string text;
        int scale;
        const char* name;
        int length, climb;
        std::vector<int> codes, values;
        int cut, bad, out_of_range;
    } cases[] = {
        {std::string(kRelayLine) + "\r\n",
         100,
         "102",
         4500,
         120,
         {11, 31, 32, 21},
         {0, 230, 410, 380},
         0,
         0,
         0},
        {std::string(kRelayLine) + "\r\n",
         1000,
         "1002",
         4500,
         120,
         {11, 31, 32, 21},
         {0, 230, 410, 380},
         0,
         0,
         0},
        // Without its closing semicolon the line end makes the last control invalid.
        {std::string(kRelayLine).substr(0, std::strlen(kRelayLine) - 1) + "\r\n",
         100,
         "102",
         4500,
         120,
         {11, 31, 32},
         {0, 230, 410},
         0,
         0,
         0},
        // Number 0: the name of the first two fields, cut to 10; the last non-digit decides;
        // an invalid control drops its pair; a code above 255 is left out, never wrapped; a
        // value above 16 bits is 0.
        {"Course-One;Variant;0;x12;;9;5;SF3;6;X4;7;300;70000;8;",
         100,
         "Course-One",
         12,
         0,
         {23, 8},
         {5, 0},
         0,
         1,
         1},
        // 101 pairs: the first 100 kept.
        {pairs(101), 100, "7;B", 1000, 10, {}, {}, 1, 0, 0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.text.substr(0, 60));
        auto c = std::make_unique<Competition>();
        ControlOrderReport r = import_control_orders(*c, k.text, k.scale, lang);
        ASSERT_TRUE(r.ok) << r.message;
        ASSERT_EQ(r.courses, 1);
        const Course& course = *c->tables.courses[0];
        EXPECT_EQ(course.id, 1);
        EXPECT_EQ(field_text(course.name), k.name);
        EXPECT_EQ(course.length_m, k.length);
        EXPECT_EQ(course.climb_m, k.climb);
        EXPECT_EQ(r.cut_courses, k.cut);
        EXPECT_EQ(r.bad_codes, k.bad);
        EXPECT_EQ(r.out_of_range, k.out_of_range);
        if (k.cut) {
            ASSERT_EQ(course.control_count, Course::kControlSlots);
            EXPECT_EQ(course.control_codes[99], 30 + 100 % 200);
            EXPECT_EQ(course.control_values[99], 100);
            EXPECT_NE(r.message.find("more than 100 controls (the first 100 kept): 1"),
                      std::string::npos);
            continue;
        }
        ASSERT_EQ(course.control_count, int(k.codes.size()));
        for (std::size_t i = 0; i < k.codes.size(); ++i) {
            EXPECT_EQ(course.control_codes[i], k.codes[i]);
            EXPECT_EQ(course.control_values[i], k.values[i]);
        }
        EXPECT_EQ(course.control_codes[k.codes.size()], 0);
        EXPECT_EQ(course.control_values[k.codes.size()], 0);
    }
}

TEST(ControlOrders, ShortLineEndsTheImportAndAFullTableChangesNothing) {
    LanguageTable lang;
    lang.build(UiLanguage::kEnglish);
    auto c = std::make_unique<Competition>();
    ControlOrderReport r =
        import_control_orders(*c, "1;A;0;0;0;0;\r\n\r\n2;B;0;0;0;0;\r\n", 100, lang);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.courses, 1);
    EXPECT_EQ(r.stopped_at_line, 2);
    EXPECT_EQ(c->tables.courses.live_count(), 1);
    EXPECT_NE(r.message.find("Line 2 has fewer than two semicolons"), std::string::npos);

    // Room for one course less than the file has: refused whole.
    for (int i = c->tables.courses.live_count(); i < kCourseCapacity - 1; ++i)
        c->tables.courses.new_record();
    const std::string two = std::string(kRelayLine) + "\r\n" + kRelayLine + "\r\n";
    r = import_control_orders(*c, two, 100, lang);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message,
              "The import does not fit the tables (courses: 2 needed, 1 free). The competition "
              "is unchanged.");
    EXPECT_EQ(c->tables.courses.live_count(), kCourseCapacity - 1);
}

TEST(ControlOrders, MenuCommandAsksForTheFile) {
    TempDir dir;
    const std::string order = dir.file("order.txt");
    std::ofstream(order, std::ios::binary) << kRelayLine << "\r\n";
    auto c = std::make_unique<Competition>();
    ScriptedPrompts p;
    p.files = {std::nullopt, dir.file("missing.txt"), order};
    EXPECT_FALSE(run_import_control_orders(*c, 100, p));
    EXPECT_FALSE(run_import_control_orders(*c, 100, p));
    EXPECT_TRUE(run_import_control_orders(*c, 1000, p));
    ASSERT_EQ(p.file_dialogs.size(), 3u);
    EXPECT_EQ(p.file_dialogs[0].suggested, "*.txt");
    EXPECT_EQ(p.file_dialogs[0].extension, "txt");
    ASSERT_EQ(p.messages.size(), 2u);
    EXPECT_EQ(cp1251_to_utf8(p.messages[0]), "Не могу читать указанный файл");
    EXPECT_EQ(cp1251_to_utf8(p.messages[1]), "Импорт из OCAD8: добавлено дистанций 1.");
    EXPECT_EQ(field_text(c->tables.courses[0]->name), "1002");
}

TEST(ControlOrders, ALongLineIsCutNotSplit) {
    LanguageTable lang;
    lang.build(UiLanguage::kEnglish);
    TempDir dir;
    const std::string path = dir.file("long.txt");
    // 150 pairs of 8 characters: the line is cut at 1000 characters; what follows the cut is
    // not read as a line of its own (it would be a third course), the next line is a course.
    std::string line = "7;B;0;1000;10;0;";
    for (int i = 0; i < 150; ++i) line += "100;100;";
    std::ofstream(path, std::ios::binary) << line << "\r\n" << kRelayLine << "\r\n";
    auto c = std::make_unique<Competition>();
    ControlOrderReport r = import_control_orders_file(*c, path, 100, lang);
    ASSERT_EQ(r.courses, 2);
    EXPECT_EQ(r.cut_courses, 1);
    EXPECT_EQ(c->tables.courses[0]->control_count, 100);
    EXPECT_EQ(field_text(c->tables.courses[1]->name), "102");
}
