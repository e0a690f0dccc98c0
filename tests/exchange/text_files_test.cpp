#include "exchange/text_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/cp1251.h"
#include "core/time_text.h"

using namespace skarvel;

namespace {

class Folder {
  public:
    Folder() {
        static int n = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("skarvel-txt-" + std::to_string(::getpid()) + "-" + std::to_string(++n));
        std::filesystem::create_directories(path_);
    }
    ~Folder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string file(const std::string& name, const std::string& bytes = {}) const {
        std::string p = (path_ / name).string();
        if (!bytes.empty()) std::ofstream(p, std::ios::binary) << bytes;
        return p;
    }

  private:
    std::filesystem::path path_;
};

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

Runner& add(Competition& c, int number, std::int32_t start, int penalty = 0) {
    Runner& r = *c.tables.runners[c.new_record(kRunners)];
    r.start_number = static_cast<std::uint16_t>(number);
    r.start_time = start;
    r.penalty = static_cast<std::uint16_t>(penalty);
    return r;
}

constexpr std::int32_t hms(int h, int m, int s, int cs = 0) {
    return ((h * 60 + m) * 60 + s) * 100 + cs;
}

}  // namespace

TEST(TextFiles, StartListIsWrittenByteForByteAtEachPrecision) {
    const char* expected[] = {
        "7 10:00:00\r\n12 09:30:00\r\n7 11:00:00\r\n",
        "7 10:00:00,5\r\n12 09:30:00,0\r\n7 11:00:00,0\r\n",
        "7 10:00:00,50\r\n12 09:30:00,00\r\n7 11:00:00,00\r\n",
    };
    Folder dir;
    for (int precision = 0; precision <= 2; ++precision) {
        Competition c;
        c.info.time_precision = static_cast<std::uint8_t>(precision);
        add(c, 7, hms(10, 0, 0, 50));
        add(c, 0, hms(8, 0, 0));  // no number: not written
        add(c, 12, hms(9, 30, 0));
        add(c, 7, hms(11, 0, 0));  // a second runner with 7 is written too
        std::string path = dir.file("start.txt", "an older file, longer than the new one");
        ASSERT_TRUE(export_start_list_txt(c, path));
        EXPECT_EQ(slurp(path), expected[precision]) << precision;
    }
}

TEST(TextFiles, StartListRoundTrip) {
    // At precision 1 the tenth is read back as hundredths, as typed times are everywhere.
    const struct {
        int precision;
        std::int32_t back;
    } cases[] = {{0, hms(10, 0, 0)}, {1, hms(10, 0, 0, 5)}, {2, hms(10, 0, 0, 50)}};
    Folder dir;
    for (const auto& k : cases) {
        Competition a, b;
        a.info.time_precision = b.info.time_precision = static_cast<std::uint8_t>(k.precision);
        add(a, 1, k.precision == 0 ? hms(10, 0, 0) : hms(10, 0, 0, 50));
        add(a, 29999, hms(23, 59, 59));
        Runner& one = add(b, 1, 0);
        Runner& last = add(b, 29999, 0);
        std::string path = dir.file("start.txt");
        ASSERT_TRUE(export_start_list_txt(a, path));
        TextImportCounts n;
        ASSERT_TRUE(import_start_times_txt(b, path, n));
        EXPECT_EQ(n.set, 2);
        EXPECT_EQ(one.start_time, k.back) << k.precision;
        EXPECT_EQ(last.start_time, hms(23, 59, 59));
    }
}

TEST(TextFiles, ImportLines) {
    const struct {
        bool penalties;
        std::string text;
        int set, unknown, bad_number, bad_value, unreadable;
        std::int32_t one, two, three, four;  // start time or penalty of runners 1..4 after it
    } cases[] = {
        // A plain number of minutes, tabs and a last line without its end.
        {false, "1 90\r\n2\t10:15\r\n3 9:00:00", 3, 0, 0, 0, 0, hms(1, 30, 0), hms(10, 15, 0),
         hms(9, 0, 0), 0},
        // Out of range numbers and times are skipped, never wrapped; unknown numbers pass.
        {false, "0 10:00\n30000 10:00\n-29999 10:00\n99999999999 10:00\n5 10:00\n", 0, 1, 4, 0, 0,
         0, 0, 0, 0},
        // The program's own marks 25:00:00 (did not start) and 26:00:00 are times it reads.
        {false, "1 25:00:00\n2 99999999\n3 26:00:00\n4 46:36:12,16\n", 2, 0, 0, 2, 0, hms(25, 0, 0),
         0, hms(26, 0, 0), 0},
        {false, "1\nx 10:00\n\r\n   \n", 0, 0, 0, 0, 2, 0, 0, 0, 0},
        {false, "", 0, 0, 0, 0, 0, 0, 0, 0, 0},
        // Penalties: a number held by two runners goes to the later slot (runner "4" here).
        {true, "1 5\r\n2 65535\r\n3 65536\r\n2 -1\r\n1 7x\r\n4abc\r\n", 3, 0, 0, 2, 1, 7, 65535, 0,
         0},
        {true, "3 12\r\n", 1, 0, 0, 0, 0, 0, 0, 0, 12},
    };
    for (const auto& k : cases) {
        Competition c;
        Runner* r[4] = {&add(c, 1, 0), &add(c, 2, 0), &add(c, 3, 0), &add(c, 4, 0)};
        if (k.penalties) r[3]->start_number = 3;  // the later holder of number 3
        TextImportCounts n =
            k.penalties ? import_penalties_text(c, k.text) : import_start_times_text(c, k.text);
        SCOPED_TRACE(k.text.substr(0, 40));
        EXPECT_EQ(n.set, k.set);
        EXPECT_EQ(n.unknown, k.unknown);
        EXPECT_EQ(n.bad_number, k.bad_number);
        EXPECT_EQ(n.bad_value, k.bad_value);
        EXPECT_EQ(n.unreadable, k.unreadable);
        const std::int32_t want[4] = {k.one, k.two, k.three, k.four};
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(k.penalties ? r[i]->penalty : r[i]->start_time, want[i]) << i;
    }
}

TEST(TextFiles, FileImportReadsBoundedLines) {
    Folder dir;
    // A line longer than 99 characters is cut; its rest is never read as a line of its own.
    std::string long_line = "1" + std::string(98, ' ') + "10:00 2 11:00\r\n";
    Competition two;
    Runner& first = add(two, 1, 0);
    TextImportCounts cut;
    ASSERT_TRUE(import_start_times_txt(two, dir.file("long.txt", long_line + "2 12:00"), cut));
    EXPECT_EQ(cut.unreadable, 1);
    EXPECT_EQ(cut.unknown, 1);
    EXPECT_EQ(first.start_time, 0);

    std::string lines;
    for (int i = 0; i < 20000; ++i) lines += "9 1\r\n";
    std::string path = dir.file("many.txt", lines + "1 5\r\n");
    Competition c;
    Runner& one = add(c, 1, 0);
    TextImportCounts n;
    ASSERT_TRUE(import_start_times_txt(c, path, n));
    EXPECT_EQ(n.unknown, 20000);
    EXPECT_EQ(one.start_time, 0);
    ASSERT_TRUE(import_penalties_txt(c, path, n));
    EXPECT_EQ(one.penalty, 5);
}

TEST(TextFiles, Commands) {
    Folder dir;
    LanguageTable lang;  // Russian
    Competition c;
    Runner& one = add(c, 1, 0);
    ScriptedPrompts p;
    // Declined, then a missing file, then a file with a skipped line.
    p.yes_no_answers = {false, true, true, true};
    p.files = {dir.file("missing.txt"), dir.file("start.txt", "1 10:00\r\n0 11:00\r\n"),
               dir.file("shtraf.txt", "1 3\r\n")};
    std::string summary;
    EXPECT_FALSE(run_import_start_times(c, p, lang));
    EXPECT_FALSE(run_import_start_times(c, p, lang));
    EXPECT_TRUE(run_import_start_times(c, p, lang, &summary));
    EXPECT_TRUE(run_import_penalties(c, p, lang, &summary));
    EXPECT_EQ(one.start_time, hms(10, 0, 0));
    EXPECT_EQ(one.penalty, 3);
    ASSERT_EQ(p.questions.size(), 4u);
    EXPECT_EQ(cp1251_to_utf8(p.questions[0]), "Импорт стартового времени?");
    EXPECT_EQ(cp1251_to_utf8(p.questions[3]), "Присвоить штраф из файла?");
    EXPECT_EQ(p.captions, std::vector<std::string>(4, ""));
    ASSERT_EQ(p.file_dialogs.size(), 3u);
    EXPECT_EQ(p.file_dialogs[1].suggested, "start");
    EXPECT_EQ(p.file_dialogs[2].suggested, "shtraf");
    EXPECT_EQ(cp1251_to_utf8(p.file_dialogs[1].title), "Импорт протокола старта");
    EXPECT_EQ(cp1251_to_utf8(p.file_dialogs[2].title), "Штраф маркировки");
    ASSERT_EQ(p.messages.size(), 2u);  // nothing skipped in the penalty file: no message
    EXPECT_EQ(cp1251_to_utf8(p.messages[0]), "Не могу читать указанный файл");
    EXPECT_EQ(cp1251_to_utf8(p.messages[1]),
              "Стартовое время присвоено: 1. Пропущено строк: номер вне 1..29999 - 1, время вне "
              "00:00:00..46:36:12 - 0.");
    EXPECT_EQ(
        cp1251_to_utf8(summary),
        "Штраф присвоен: 1. Пропущено строк: номер вне 1..29999 - 0, штраф вне 0..65535 - 0.");

    ScriptedPrompts e;
    std::string out = dir.file("start.txt");
    e.files = {out, dir.file("no-such-folder/start.txt")};
    EXPECT_TRUE(run_export_start_list(c, e, lang));
    EXPECT_EQ(slurp(out), "1 10:00:00\r\n");
    EXPECT_FALSE(run_export_start_list(c, e, lang));
    ASSERT_EQ(e.file_dialogs.size(), 2u);
    EXPECT_EQ(cp1251_to_utf8(e.file_dialogs[0].title), "Экспорт протокола старта");
    EXPECT_EQ(e.file_dialogs[0].suggested, "start.txt");
    ASSERT_EQ(e.messages.size(), 1u);
    EXPECT_EQ(cp1251_to_utf8(e.messages[0]), "Не могу записать в указанный файл");
}
