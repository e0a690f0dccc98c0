#include "exchange/iof_commands.h"

#include <gtest/gtest.h>

#include "iof_fixture.h"

using namespace skarvel;
using namespace skarvel::test;

TEST(IofCommands, ExportAsksForTheFileWritesAndSaysSo) {
    TempDir dir;
    Competition c;
    make_race(c);
    LanguageTable lang;
    lang.build(UiLanguage::kEnglish);
    struct Case {
        IofExportKind kind;
        const char* suggested;
        int written;
    } cases[] = {{IofExportKind::kResults, "results.xml", 7},
                 {IofExportKind::kStart, "startlist.xml", 7},
                 {IofExportKind::kEntries, "entries.xml", 7},
                 {IofExportKind::kCourses, "courses.xml", 1}};
    for (const Case& k : cases) {
        ScriptedPrompts prompts;
        std::string path = dir.file(k.suggested);
        prompts.files.push_back(path);
        ASSERT_TRUE(run_iof_export(c, prompts, lang, k.kind));
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0],
                  "IOF XML written: " + path + " (" + std::to_string(k.written) + ").");
        SKARVEL_EXPECT_VALID_IOF(path);
    }
    ScriptedPrompts cancelled;
    cancelled.files.push_back(std::nullopt);
    EXPECT_FALSE(run_iof_export(c, cancelled, lang, IofExportKind::kResults));
    EXPECT_TRUE(cancelled.messages.empty());
}

TEST(IofCommands, ImportTellsWhatWasAddedOrWhyNot) {
    LanguageTable lang;  // Russian
    Competition c;
    ScriptedPrompts prompts;
    prompts.files.push_back(iof_dir() + "/EntryList1.xml");
    prompts.files.push_back(iof_dir() + "/EntryList1.xml");
    prompts.files.push_back(iof_dir() + "/missing.xml");
    EXPECT_TRUE(run_iof_import(c, prompts, lang, IofImportKind::kEntries));
    EXPECT_FALSE(run_iof_import(c, prompts, lang, IofImportKind::kCourses));
    EXPECT_FALSE(run_iof_import(c, prompts, lang, IofImportKind::kEntries));
    ASSERT_EQ(prompts.messages.size(), 3u);
    EXPECT_EQ(cp1251_to_utf8(prompts.messages[0]),
              "Импорт IOF XML: добавлено участников 3, обновлено 0; новых групп 2, коллективов 2, "
              "дистанций 0; группам назначено дистанций 0.\nНазваний длиннее поля, сохранённых "
              "полностью рядом с файлом соревнований: групп 1, дистанций 0, коллективов 0; из них "
              "сделано различимыми номером: 0.");
    EXPECT_EQ(cp1251_to_utf8(prompts.messages[1]),
              "Ожидался документ IOF XML 3.0 CourseData, а в файле EntryList.");
    EXPECT_EQ(cp1251_to_utf8(prompts.messages[2]), "Не могу читать указанный файл");
    EXPECT_EQ(c.tables.runners.occupied_count(), 3);
}

TEST(IofCommands, TimesWithAZoneAskForTheCompetitionsZone) {
    LanguageTable lang;
    lang.build(UiLanguage::kEnglish);
    Competition c;
    ScriptedPrompts prompts;
    prompts.files = {iof_dir() + "/EntryList1.xml", iof_dir() + "/StartList1.xml",
                     iof_dir() + "/StartList1.xml"};
    prompts.texts = {"25:00", "+01:00", std::nullopt};
    ASSERT_TRUE(run_iof_import(c, prompts, lang, IofImportKind::kEntries));
    EXPECT_TRUE(prompts.questions.empty());  // no times, no question
    ASSERT_TRUE(run_iof_import(c, prompts, lang, IofImportKind::kStart));
    EXPECT_EQ(prompts.questions.size(), 2u);
    EXPECT_EQ(prompts.messages[1], "Not a time zone: 25:00 (write it as +HH:MM).");
    EXPECT_EQ(c.tables.runners[0]->start_time, hms(10, 0, 0));
    EXPECT_FALSE(run_iof_import(c, prompts, lang, IofImportKind::kStart));  // cancelled
    EXPECT_EQ(prompts.messages.size(), 3u);
}
