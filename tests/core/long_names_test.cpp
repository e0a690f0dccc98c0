// The long names kept beside the competition file: written with every save, read with the
// file, carried by a save under another name and by Import WDB.
#include "core/long_names.h"

#include <gtest/gtest.h>

#include "core/cp1251.h"
#include "core/wdb_file.h"
#include "wdb_test_util.h"

using namespace skarvel;
using namespace skarvel::test;

namespace {

// A class, a course, a club and a runner, each with a long name.
void make_named(Competition& c) {
    ClassRecord& k = *c.tables.classes[c.new_record(kClasses)];
    k.id = 4;
    set_field_text(k.name, "Challen2");
    c.long_names.set(kClasses, 4, {"Challen2", "Challenge middle", ""});
    Course& course = *c.tables.courses[c.new_record(kCourses)];
    course.id = 2;
    set_field_text(course.name, "Long cours");
    c.long_names.set(kCourses, 2, {"Long cours", "Long course A", ""});
    Club& club = *c.tables.clubs[c.new_record(kClubs)];
    club.id = 9;
    set_field_text(club.name, utf8_to_cp1251("ОК Север"));
    c.long_names.set(kClubs, 9,
                     {utf8_to_cp1251("ОК Север"), utf8_to_cp1251("ОК Север\tМосква"), ""});
    Runner& r = *c.tables.runners[c.new_record(kRunners)];
    r.id = 7;
    set_field_text(r.name, "VAN BRUSSEL Cecile");
    c.long_names.set(kRunners, 7, {"VAN BRUSSEL Cecile", "VAN BRUSSEL", "Cecile"});
}

std::string file_text(const std::string& path) {
    Bytes b = read_bytes(path);
    return std::string(b.begin(), b.end());
}

}  // namespace

TEST(LongNames, TravelWithSaveSaveAsAndLoad) {
    TempDir dir;
    Competition c;
    make_named(c);
    // A name whose record was deleted, or typed over, is not kept.
    c.long_names.set(kClasses, 99, {"Gone", "Gone for good", ""});
    c.long_names.set(kCourses, 3, {"Old", "Old name", ""});
    std::string path = dir.file("race.wdb");
    ASSERT_TRUE(save_wdb(c, path));
    EXPECT_EQ(file_text(path + ".names"),
              "Skarvel long names 1\r\n"
              "runner\t7\tVAN BRUSSEL Cecile\tVAN BRUSSEL\tCecile\r\n"
              "club\t9\tОК Север\tОК Север Москва\r\n"
              "class\t4\tChallen2\tChallenge middle\r\n"
              "course\t2\tLong cours\tLong course A\r\n");
    // Save As: the new file has its names beside it.
    std::string other = dir.file("copy.wdb");
    ASSERT_TRUE(save_wdb(c, other));
    Competition d;
    ScriptedPrompts prompts;
    ASSERT_TRUE(load_wdb(d, other, prompts).ok());
    const LongName* n = d.long_names.find(kClasses, 4, "Challen2");
    ASSERT_TRUE(n);
    EXPECT_EQ(n->full, "Challenge middle");
    n = d.long_names.find(kRunners, 7, "VAN BRUSSEL Cecile");
    ASSERT_TRUE(n);
    EXPECT_EQ(n->full + "|" + n->given, "VAN BRUSSEL|Cecile");
    EXPECT_FALSE(d.long_names.find(kClasses, 4, "Other"));
    // Nothing left to keep: the file beside goes, so a later competition of that name does
    // not inherit it.
    d.long_names.clear();
    ASSERT_TRUE(save_wdb(d, other));
    EXPECT_FALSE(std::filesystem::exists(other + ".names"));
    ASSERT_TRUE(load_wdb(d, other, prompts).ok());
    EXPECT_TRUE(d.long_names.empty());
}

TEST(LongNames, ImportWdbCarriesThemUnderTheNewIds) {
    TempDir dir;
    Competition src;
    make_named(src);
    std::string path = dir.file("src.wdb");
    ASSERT_TRUE(save_wdb(src, path));
    Competition c;
    make_named(c);  // the same ids already taken: the merged records are shifted
    ScriptedPrompts prompts;
    ASSERT_EQ(import_wdb(c, path, ImportWdbOptions{}, prompts), ImportStatus::kOk);
    EXPECT_TRUE(c.long_names.find(kClasses, 4 + 5, "Challen2"));
    EXPECT_TRUE(c.long_names.find(kCourses, 2 + 3, "Long cours"));
    EXPECT_TRUE(c.long_names.find(kClubs, 9 + 10, utf8_to_cp1251("ОК Север")));
    EXPECT_TRUE(c.long_names.find(kRunners, 8, "VAN BRUSSEL Cecile"));
}

TEST(LongNames, StrangeFilesAreReadForWhatTheyHold) {
    LongNames n;
    EXPECT_FALSE(decode_long_names("class\t1\tA\tAAA\r\n", n));
    EXPECT_TRUE(
        decode_long_names("Skarvel long names 1\n"
                          "class\t1\tA\tAAA\n"
                          "class\tx\tB\tBBB\n"
                          "class\t2\t\tCCC\n"
                          "class\t3\tD\n"
                          "runner\t4\tE F\tE\n"
                          "team\t5\tG\tGGG\n"
                          "course\t6\tH\tHHH\textra\n"
                          "club\t7\tI\tIII",
                          n));
    ASSERT_EQ(n.entries().size(), 2u);
    EXPECT_EQ(n.find(kClasses, 1, "A")->full, "AAA");
    EXPECT_EQ(n.find(kClubs, 7, "I")->full, "III");
}
