#include "core/wdb_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <random>

#include "core/cp1251.h"
#include "core/demo_competition.h"
#include "core/field_codec.h"
#include "wdb_test_util.h"

using namespace skarvel;
using namespace skarvel::literals;
using namespace skarvel::test;

namespace {

constexpr std::size_t kEmptySize = 1604;
constexpr std::size_t kInfoAtWhenEmpty = 4 + 4 * 4;

Bytes encode(const Competition& c) {
    return encode_wdb(c);
}

LoadResult decode(Competition& c, const Bytes& b) {
    return decode_wdb(c, b.data(), b.size());
}

// A well-formed version-21 file whose records are random bytes throughout (reserved bytes,
// bytes after the NUL of texts, the unused controls 81..100, the counter of finish lines).
Bytes random_v21_file(std::uint32_t seed, const int counts[6]) {
    std::mt19937 rng(seed);
    auto random_block = [&rng](Bytes& b, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) b.push_back(static_cast<std::uint8_t>(rng()));
    };
    const int sizes[6] = {Runner::kSize, Club::kSize,       ClassRecord::kSize,
                          Course::kSize, FinishLine::kSize, CardReadout::kSize};
    Bytes b;
    append_le(b, 21, 4);
    for (int t = 0; t < 6; ++t) {
        if (t == 4) {
            std::size_t at = b.size();
            random_block(b, CompetitionInfo::kSize);
            b[at + 1456] = 0;  // the run-time display flag is cleared by every load
            b[at + 1084] = static_cast<std::uint8_t>(rng() % 6);
        }
        append_le(b, counts[t], 4);
        random_block(b, std::size_t(counts[t]) * sizes[t]);
    }
    b.resize(b.size() + 20, 0);
    return b;
}

}  // namespace

TEST(WdbFile, EmptyCompetitionIs1604Bytes) {
    Competition c;
    Bytes b = encode(c);
    ASSERT_EQ(b.size(), kEmptySize);
    EXPECT_EQ(get_le(b, 0, 4), 21);
    for (int t = 0; t < 4; ++t) EXPECT_EQ(get_le(b, 4 + 4 * t, 4), 0);
    EXPECT_EQ(get_le(b, kInfoAtWhenEmpty + CompetitionInfo::kSize, 4), 0);
    EXPECT_EQ(get_le(b, kInfoAtWhenEmpty + CompetitionInfo::kSize + 4, 4), 0);
    for (std::size_t i = kEmptySize - 20; i < kEmptySize; ++i) EXPECT_EQ(b[i], 0) << i;
    // The header of a new competition.
    EXPECT_EQ(get_le(b, kInfoAtWhenEmpty + 1056, 4), 1);     // formula_c
    EXPECT_EQ(get_le(b, kInfoAtWhenEmpty + 1108, 2), 2000);  // sound durations
    EXPECT_EQ(get_le(b, kInfoAtWhenEmpty + 1112, 2), 3000);
}

TEST(WdbFile, RandomRecordBytesSurviveLoadAndSaveExactly) {
    for (std::uint32_t seed = 1; seed <= 5; ++seed) {
        const int counts[6] = {int(seed * 7), int(seed * 3),  int(seed),
                               int(seed * 2), int(seed * 11), int(seed * 4)};
        Bytes file = random_v21_file(seed, counts);
        Competition c;
        LoadResult res = decode(c, file);
        ASSERT_EQ(res.status, LoadStatus::kOk) << res.message;
        EXPECT_EQ(res.version, 21);
        EXPECT_EQ(c.tables.runners.live_count(), counts[0]);
        EXPECT_EQ(c.tables.card_readouts.live_count(), counts[5]);
        Bytes again = encode(c);
        ASSERT_EQ(again.size(), file.size());
        EXPECT_TRUE(again == file) << "seed " << seed;
    }
}

// The trailing zeros must be there (their content is not checked): a file without them does
// not end where its tables say.
TEST(WdbFile, TrailingBytesMustBeThereAndTheRunTimeFlagIsCleared) {
    const int counts[6] = {2, 1, 1, 1, 1, 1};
    Bytes file = random_v21_file(42, counts);
    std::size_t info_at =
        4 + 4 * 4 + 2 * Runner::kSize + Club::kSize + ClassRecord::kSize + Course::kSize;
    file[info_at + 1456] = 1;
    std::fill(file.end() - 20, file.end(), std::uint8_t(0x5A));
    Competition c;
    ASSERT_EQ(decode(c, file).status, LoadStatus::kOk);
    EXPECT_EQ(c.info.display_on, 0);
    Bytes again = encode(c);
    EXPECT_EQ(again[info_at + 1456], 0);
    again[info_at + 1456] = 1;
    std::fill(again.end() - 20, again.end(), std::uint8_t(0x5A));
    EXPECT_TRUE(again == file);

    file.resize(file.size() - 20);
    LoadResult cut = decode(c, file);
    EXPECT_EQ(cut.status, LoadStatus::kDamaged);
    EXPECT_EQ(cut.damaged_table, "end");
    EXPECT_EQ(cut.records_read, 0);
}

TEST(WdbFile, DemoCompetitionRoundTripsThroughAFile) {
    Competition c;
    DemoOptions o;
    o.runners = 300;
    make_demo_competition(c, o);
    TempDir dir;
    std::string path = dir.file("demo.wdb");
    int error = 0;
    ASSERT_TRUE(save_wdb(c, path, &error)) << error;
    Bytes saved = read_bytes(path);
    EXPECT_TRUE(saved == encode(c));
    Competition d;
    ScriptedPrompts prompts;
    LoadResult res = load_wdb(d, path, prompts);
    ASSERT_EQ(res.status, LoadStatus::kOk);
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_FALSE(d.modified);
    EXPECT_EQ(d.tables.runners.live_count(), 300);
    EXPECT_TRUE(encode(d) == saved);
    // The number index is ready for use right after the load.
    ASSERT_NE(d.runner_by_number(17), nullptr);
    EXPECT_EQ(d.runner_by_number(17)->start_number, 17);
}

TEST(WdbFile, SlotOrderSurvivesAndSetAsideRunnersAreSavedInSlotOrder) {
    Competition c;
    const int ids[] = {7, 3, 5};
    for (int id : ids) c.tables.runners[c.new_record(kRunners)]->id = id;
    // A set-aside runner behind empty slots is saved too, right after the others.
    c.tables.runners.slot(10) = std::make_unique<Runner>();
    c.tables.runners[10]->id = 9;
    for (int id : ids) c.tables.clubs[c.new_record(kClubs)]->id = id;
    Bytes b = encode(c);
    EXPECT_EQ(get_le(b, 4, 4), 4);
    Competition d;
    ASSERT_EQ(decode(d, b).status, LoadStatus::kOk);
    EXPECT_EQ(d.tables.runners.live_count(), 4);
    EXPECT_EQ(d.tables.runners[0]->id, 7);
    EXPECT_EQ(d.tables.runners[1]->id, 3);
    EXPECT_EQ(d.tables.runners[2]->id, 5);
    EXPECT_EQ(d.tables.runners[3]->id, 9);
    EXPECT_EQ(d.tables.clubs[0]->id, 7);
    EXPECT_EQ(d.tables.clubs[2]->id, 5);
    EXPECT_EQ(d.tables.clubs[3], nullptr);
}

TEST(WdbFile, ViewStateIsStoredAsLowBytesAndRestored) {
    Competition c;
    c.view.table = kClasses;
    c.view.cursor[kClasses] = 300;
    c.view.top[kClasses] = 260;
    c.view.cursor[kRunners] = 12;  // not the table on show: not saved
    Bytes b = encode(c);
    EXPECT_EQ(b[kInfoAtWhenEmpty + 1084], kClasses);
    EXPECT_EQ(b[kInfoAtWhenEmpty + 1067], 44);
    EXPECT_EQ(b[kInfoAtWhenEmpty + 1069], 4);
    // encode_wdb leaves the header alone; store_view_state writes the same bytes into it.
    EXPECT_EQ(c.info.view_cursor_row, 0);
    store_view_state(c);
    EXPECT_EQ(c.info.view_cursor_row, 44);
    EXPECT_EQ(c.info.view_table, kClasses);
    Competition d;
    d.view.cursor[kRunners] = 99;
    ASSERT_EQ(decode(d, b).status, LoadStatus::kOk);
    EXPECT_EQ(d.view.table, kClasses);
    EXPECT_EQ(d.view.cursor[kClasses], 44);
    EXPECT_EQ(d.view.top[kClasses], 4);
    EXPECT_EQ(d.view.cursor[kRunners], 0);
    // A table number out of range shows the runners.
    b[kInfoAtWhenEmpty + 1084] = 9;
    ASSERT_EQ(decode(d, b).status, LoadStatus::kOk);
    EXPECT_EQ(d.view.table, kRunners);
}

TEST(WdbFile, LiveBoardOnShowIsStoredAsViewSix) {
    Competition c;
    c.view.table = kCardReadouts;
    c.view.cursor[kCardReadouts] = 7;
    c.view.board = true;
    Bytes b = encode(c);
    EXPECT_EQ(b[kInfoAtWhenEmpty + 1084], 6);
    EXPECT_EQ(b[kInfoAtWhenEmpty + 1067], 0);
    Competition d;
    ASSERT_EQ(decode(d, b).status, LoadStatus::kOk);
    EXPECT_TRUE(d.view.board);
    EXPECT_EQ(d.view.table, kCardReadouts);  // beneath the board, as Ctrl+PgUp returns to it
    // Any other table number beyond the board shows the runners.
    b[kInfoAtWhenEmpty + 1084] = 7;
    ASSERT_EQ(decode(d, b).status, LoadStatus::kOk);
    EXPECT_FALSE(d.view.board);
    EXPECT_EQ(d.view.table, kRunners);
}

TEST(WdbFile, UnknownVersionLeavesAnEmptyCompetition) {
    for (std::int32_t version : {0, 10, 12, 20, 22, -21}) {
        Competition c;
        make_demo_competition(c, DemoOptions{});
        Bytes b = encode(c);
        put_le(b, 0, std::uint32_t(version), 4);
        LoadResult res = decode(c, b);
        EXPECT_EQ(res.status, LoadStatus::kUnknownVersion);
        EXPECT_EQ(res.version, version);
        EXPECT_EQ(res.message, std::string("Неизвестный формат или версия!"_cp1251));
        EXPECT_EQ(c.tables.runners.live_count(), 0);
        EXPECT_EQ(c.runner_by_number(1), nullptr);
    }
    Competition c;
    for (std::size_t n = 0; n < 4; ++n) {
        Bytes b(n, 21);
        EXPECT_EQ(decode(c, b).status, LoadStatus::kUnknownVersion) << n;
    }
}

TEST(WdbFile, LoadShowsItsMessagesThroughPrompts) {
    TempDir dir;
    Competition c;
    make_demo_competition(c, DemoOptions{});
    ScriptedPrompts prompts;
    LoadResult res = load_wdb(c, dir.file("missing.wdb"), prompts);
    EXPECT_EQ(res.status, LoadStatus::kCannotOpen);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0], std::string("Не могу читать указанный файл\n"_cp1251) +
                                       dir.file("missing.wdb") +
                                       std::string(": нет такой папки или файла"_cp1251));
    // A file that cannot be read leaves the open competition as it was.
    EXPECT_EQ(c.tables.runners.live_count(), 200);

    Bytes bad = {22, 0, 0, 0};
    write_bytes(dir.file("bad.wdb"), bad);
    prompts.messages.clear();
    EXPECT_EQ(load_wdb(c, dir.file("bad.wdb"), prompts).status, LoadStatus::kUnknownVersion);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0], std::string("Неизвестный формат или версия!"_cp1251));

    // A folder is not a competition file.
    prompts.messages.clear();
    EXPECT_FALSE(load_wdb(c, dir.path().string(), prompts).ok());
    EXPECT_EQ(prompts.messages.size(), 1u);
}

// --- damaged files ---

namespace {

struct Expected {
    LoadStatus status;
    std::string table;
    int read;
};

// What a load of the first `len` bytes of `file` must report, worked out from the layout.
Expected expected_for_truncation(const Bytes& file, std::size_t len) {
    static const char* names[6] = {"runners", "clubs",        "classes",
                                   "courses", "finish_lines", "card_readouts"};
    const int sizes[6] = {Runner::kSize, Club::kSize,       ClassRecord::kSize,
                          Course::kSize, FinishLine::kSize, CardReadout::kSize};
    if (len < 4) return {LoadStatus::kUnknownVersion, "", 0};
    std::size_t at = 4;
    for (int t = 0; t < 6; ++t) {
        if (t == 4) {
            if (len < at + CompetitionInfo::kSize) return {LoadStatus::kDamaged, "info", 0};
            at += CompetitionInfo::kSize;
        }
        if (len < at + 4) return {LoadStatus::kDamaged, names[t], 0};
        int count = static_cast<int>(get_le(file, at, 4));
        at += 4;
        for (int i = 0; i < count; ++i) {
            if (len < at + sizes[t]) return {LoadStatus::kDamaged, names[t], i};
            at += sizes[t];
        }
    }
    // The 20 bytes after the last table are there whole, or the file is damaged.
    if (len != file.size()) return {LoadStatus::kDamaged, "end", int(len - at)};
    return {LoadStatus::kOk, "", 0};
}

}  // namespace

TEST(WdbDamage, TruncatedAtEveryPlaceIsReportedWithTheTableAndWhatWasRead) {
    Competition c;
    DemoOptions o;
    o.runners = 6;
    make_demo_competition(c, o);
    Bytes file = encode(c);
    Competition d;
    int damaged = 0;
    for (std::size_t len = 0; len <= file.size(); ++len) {
        Bytes part(file.begin(), file.begin() + len);
        LoadResult res = decode(d, part);
        Expected e = expected_for_truncation(file, len);
        ASSERT_EQ(res.status, e.status) << "length " << len;
        if (e.status != LoadStatus::kDamaged) continue;
        ++damaged;
        ASSERT_EQ(res.damaged_table, e.table) << "length " << len;
        ASSERT_EQ(res.records_read, e.read) << "length " << len;
        ASSERT_FALSE(res.message.empty());
        // The readable part is kept: every table before the damaged one is whole.
        if (e.table == "clubs") {
            ASSERT_EQ(d.tables.runners.live_count(), 6);
        }
        if (e.table == "runners") {
            ASSERT_EQ(d.tables.runners.live_count(), e.read);
        }
    }
    EXPECT_GT(damaged, 5000);
}

// Structural damage inside the tables: a count zeroed, bytes inserted or lost. The counts
// after it are read from record bytes, so the file cannot end where they say it does: every
// such file is refused, never loaded as a smaller sound one.
TEST(WdbDamage, ZeroedCountsAndInsertedOrLostBytesAreRefused) {
    Competition c;
    DemoOptions o;
    o.runners = 40;
    make_demo_competition(c, o);
    Bytes good = encode(c);
    const int sizes[6] = {Runner::kSize, Club::kSize,       ClassRecord::kSize,
                          Course::kSize, FinishLine::kSize, CardReadout::kSize};
    std::vector<std::size_t> count_at;
    std::size_t at = 4;
    for (int t = 0; t < 6; ++t) {
        if (t == 4) at += CompetitionInfo::kSize;
        count_at.push_back(at);
        at += 4 + std::size_t(get_le(good, at, 4)) * sizes[t];
    }
    std::vector<std::pair<std::string, Bytes>> damaged;
    for (int t = 0; t < 6; ++t) {
        ASSERT_GT(get_le(good, count_at[t], 4), 0) << t;
        Bytes b = good;
        put_le(b, count_at[t], 0, 4);
        damaged.emplace_back("count of table " + std::to_string(t) + " zeroed", b);
    }
    // A few places in every part of the file, the trailing zeros included.
    for (std::size_t place = 4; place < good.size(); place += good.size() / 97) {
        for (std::size_t n : {1, 3, 4, 12, 556}) {
            Bytes more = good;
            more.insert(more.begin() + std::ptrdiff_t(place), n, std::uint8_t(0));
            damaged.emplace_back(std::to_string(n) + " bytes inserted at " + std::to_string(place),
                                 more);
            if (place + n > good.size()) continue;
            Bytes less = good;
            less.erase(less.begin() + std::ptrdiff_t(place),
                       less.begin() + std::ptrdiff_t(place + n));
            damaged.emplace_back(std::to_string(n) + " bytes lost at " + std::to_string(place),
                                 less);
        }
    }
    for (const auto& [what, bytes] : damaged) {
        Competition d;
        LoadResult res = decode(d, bytes);
        EXPECT_EQ(res.status, LoadStatus::kDamaged) << what;
        EXPECT_FALSE(res.message.empty()) << what;
    }

    // Told in the interface's language, with what was found where.
    Bytes longer = good;
    longer.resize(longer.size() + 8);
    Competition d;
    LoadResult res = decode(d, longer);
    ASSERT_EQ(res.damaged_table, "end");
    LanguageTable english;
    english.build(UiLanguage::kEnglish);
    EXPECT_EQ(damaged_message(res, english),
              "The file is damaged: 28 bytes follow its last table where 20 belong (the record "
              "counts do not match the length of the file).\nWhat was read is loaded, but it may "
              "be wrong.");
}

TEST(WdbDamage, MessageNamesTheTableAndTheCounts) {
    Competition c;
    DemoOptions o;
    o.runners = 10;
    make_demo_competition(c, o);
    Bytes file = encode(c);
    file.resize(4 + 4 + 3 * Runner::kSize + 100);
    Competition d;
    LoadResult res = decode(d, file);
    ASSERT_EQ(res.status, LoadStatus::kDamaged);
    EXPECT_EQ(res.damaged_table, "runners");
    EXPECT_EQ(res.records_read, 3);
    EXPECT_EQ(res.records_expected, 10);
    EXPECT_FALSE(res.ok());
    std::string text = cp1251_to_utf8(res.message);
    EXPECT_NE(text.find("Файл повреждён"), std::string::npos) << text;
    EXPECT_NE(text.find("Участники"), std::string::npos) << text;
    EXPECT_NE(text.find("прочитано записей 3 из 10"), std::string::npos) << text;
    EXPECT_EQ(d.tables.runners.live_count(), 3);
    ASSERT_NE(d.runner_by_number(3), nullptr);

    // Through load_wdb the same message reaches the user.
    TempDir dir;
    write_bytes(dir.file("cut.wdb"), file);
    ScriptedPrompts prompts;
    EXPECT_EQ(load_wdb(d, dir.file("cut.wdb"), prompts).status, LoadStatus::kDamaged);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0], res.message);

    // The English interface is told the same in English.
    LanguageTable english;
    english.build(UiLanguage::kEnglish);
    ScriptedPrompts en;
    en.set_language(&english);
    EXPECT_EQ(load_wdb(d, dir.file("cut.wdb"), en).status, LoadStatus::kDamaged);
    ASSERT_EQ(en.messages.size(), 1u);
    EXPECT_EQ(en.messages[0],
              "The file is damaged: the file ends too early.\nTable \"Runners\": 3 of 10 records "
              "read.\nOnly the part read is loaded.");
}

TEST(WdbDamage, NegativeCountsAreDamage) {
    Competition c;
    make_demo_competition(c, DemoOptions{});
    Bytes good = encode(c);
    // Offsets of each table's count.
    std::vector<std::size_t> count_at;
    std::size_t at = 4;
    const int sizes[6] = {Runner::kSize, Club::kSize,       ClassRecord::kSize,
                          Course::kSize, FinishLine::kSize, CardReadout::kSize};
    for (int t = 0; t < 6; ++t) {
        if (t == 4) at += CompetitionInfo::kSize;
        count_at.push_back(at);
        at += 4 + std::size_t(get_le(good, at, 4)) * sizes[t];
    }
    const char* names[6] = {"runners", "clubs",        "classes",
                            "courses", "finish_lines", "card_readouts"};
    for (int t = 0; t < 6; ++t) {
        for (std::int32_t bad : {-1, -30000, INT32_MIN}) {
            Bytes b = good;
            put_le(b, count_at[t], std::uint32_t(bad), 4);
            Competition d;
            LoadResult res = decode(d, b);
            ASSERT_EQ(res.status, LoadStatus::kDamaged);
            EXPECT_EQ(res.damaged_table, names[t]);
            EXPECT_EQ(res.records_read, 0);
            EXPECT_EQ(res.records_expected, bad);
            EXPECT_NE(cp1251_to_utf8(res.message).find("отрицательное"), std::string::npos);
        }
    }
}

TEST(WdbDamage, CountsOverCapacityKeepWhatFits) {
    // 10001 clubs: the table holds 10000.
    Bytes b;
    append_le(b, 21, 4);
    append_le(b, 0, 4);
    append_le(b, kClubCapacity + 1, 4);
    for (int i = 0; i <= kClubCapacity; ++i) {
        std::size_t at = b.size();
        b.resize(at + Club::kSize, 0);
        put_le(b, at, i + 1, 4);
    }
    Competition c;
    LoadResult res = decode(c, b);
    ASSERT_EQ(res.status, LoadStatus::kDamaged);
    EXPECT_EQ(res.damaged_table, "clubs");
    EXPECT_EQ(res.records_read, kClubCapacity);
    EXPECT_EQ(res.records_expected, kClubCapacity + 1);
    EXPECT_EQ(c.tables.clubs.live_count(), kClubCapacity);
    EXPECT_EQ(c.tables.clubs[kClubCapacity - 1]->id, kClubCapacity);
    EXPECT_NE(cp1251_to_utf8(res.message).find("вместимости таблицы (10000)"), std::string::npos);

    // A huge count in a short file is damage too, and reads only what is there.
    Bytes huge;
    append_le(huge, 21, 4);
    append_le(huge, 0x7FFFFFFF, 4);
    huge.resize(huge.size() + 2 * Runner::kSize, 0);
    res = decode(c, huge);
    EXPECT_EQ(res.status, LoadStatus::kDamaged);
    EXPECT_EQ(res.damaged_table, "runners");
    EXPECT_EQ(res.records_read, 2);
}

TEST(WdbDamage, DamagedHeaderKeepsTheTablesAndTheDefaultHeader) {
    Competition c;
    make_demo_competition(c, DemoOptions{});
    Bytes file = encode(c);
    std::size_t info_at = 4 + 4 * 4 + 200 * Runner::kSize +
                          std::size_t(c.tables.clubs.live_count()) * Club::kSize +
                          std::size_t(c.tables.classes.live_count()) * ClassRecord::kSize +
                          std::size_t(c.tables.courses.live_count()) * Course::kSize;
    file.resize(info_at + 500);
    Competition d;
    d.view.table = kCourses;
    LoadResult res = decode(d, file);
    ASSERT_EQ(res.status, LoadStatus::kDamaged);
    EXPECT_EQ(res.damaged_table, "info");
    EXPECT_EQ(d.tables.runners.live_count(), 200);
    EXPECT_EQ(d.view.table, kRunners);
    EXPECT_EQ(d.info.formula_c, 1);
}

// --- atomic save ---

TEST(WdbSave, ReplacesTheFileAndLeavesNoTemporaryFiles) {
    TempDir dir;
    std::string path = dir.file("comp.wdb");
    write_bytes(path, Bytes(10, 0xAA));
#ifndef _WIN32
    ::chmod(path.c_str(), 0640);
#endif
    Competition c;
    make_demo_competition(c, DemoOptions{});
    ASSERT_TRUE(save_wdb(c, path));
    EXPECT_TRUE(read_bytes(path) == encode(c));
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path())) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 1);
#ifndef _WIN32
    // The replaced file keeps its permissions (Windows files have no such bits).
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
#endif
}

TEST(WdbSave, FailureLeavesTheOldFileAndSaysWhy) {
    TempDir dir;
    Competition c;
    make_demo_competition(c, DemoOptions{});
    int error = 0;

    // A folder that does not exist.
    EXPECT_FALSE(save_wdb(c, dir.file("no/such/folder/comp.wdb"), &error));
    EXPECT_EQ(error, ENOENT);
    error = 0;
    EXPECT_FALSE(save_wdb(c, "", &error));
    EXPECT_EQ(error, ENOENT);

    // A folder in the way of the file.
    std::filesystem::create_directory(dir.file("taken.wdb"));
    error = 0;
    EXPECT_FALSE(save_wdb(c, dir.file("taken.wdb"), &error));
    EXPECT_EQ(error, EISDIR);
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("taken.wdb")));

    // A file as a folder.
    write_bytes(dir.file("plain"), Bytes(3, 1));
    EXPECT_FALSE(save_wdb(c, dir.file("plain/comp.wdb"), &error));
#ifdef _WIN32
    EXPECT_EQ(error, ENOENT);  // Windows finds no such path
#else
    EXPECT_EQ(error, ENOTDIR);
#endif
    EXPECT_TRUE(read_bytes(dir.file("plain")) == Bytes(3, 1));

#ifndef _WIN32
    // A folder where no file can be created: the old file stays as it was.
    std::string old_path = dir.file("ro/comp.wdb");
    std::filesystem::create_directory(dir.file("ro"));
    write_bytes(old_path, Bytes(5, 7));
    ::chmod(dir.file("ro").c_str(), 0555);
    bool can_write_anyway = ::access(dir.file("ro").c_str(), W_OK) == 0;  // root can
    if (!can_write_anyway) {
        EXPECT_FALSE(save_wdb(c, old_path, &error));
        EXPECT_EQ(error, EACCES);
        EXPECT_TRUE(read_bytes(old_path) == Bytes(5, 7));
    }
    ::chmod(dir.file("ro").c_str(), 0755);
    // /proc takes no new files, even from root: the existing file there is untouched.
    Bytes before = read_bytes("/proc/self/cmdline");
    EXPECT_FALSE(save_wdb(c, "/proc/self/cmdline", &error));
    EXPECT_TRUE(read_bytes("/proc/self/cmdline") == before);
#endif
}
