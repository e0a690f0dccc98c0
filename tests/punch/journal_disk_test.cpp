// The card journal on a disk that fills: a write that does not fit is told and cut off again,
// the entries around it stay readable, and writing resumes once there is room; a torn entry
// left by a power cut is cut off when the journal is opened again.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "punch/card_journal.h"
#include "tests/core/wdb_test_util.h"

namespace skarvel {
namespace {

using test::TempDir;

JournalEntry card(int number) {
    JournalEntry e;
    e.card.card_number = number;
    e.card.punch_count = 1;
    e.card.punches[0].code = 31;
    e.card.punches[0].time = 3600000;
    return e;
}

std::vector<int> numbers_in(const std::string& journal) {
    std::vector<int> out;
    for (const JournalEntry& e : read_journal(journal)) out.push_back(e.card.card_number);
    return out;
}

const std::size_t kEntry = encode_journal_entry(card(1)).size();

TEST(JournalDisk, FullDiskIsToldAndTheJournalStaysReadable) {
    TempDir dir;
    std::string file = dir.file("race.wdb");
    std::string path = journal_path_for(file);
    CardJournal j;
    std::vector<bool> told;
    j.set_state_handler([&](bool writing) { told.push_back(writing); });
    ASSERT_TRUE(j.open(file));
    ASSERT_TRUE(j.wanted());
    ASSERT_TRUE(j.write_now(card(1)));
    // Room for half an entry more: the write fails halfway.
    j.set_room_for_tests(kEntry + kEntry / 2);
    EXPECT_FALSE(j.write_now(card(2)));
    EXPECT_TRUE(j.failing());
    EXPECT_NE(j.last_error(), 0);
    EXPECT_EQ(std::filesystem::file_size(path), kEntry);  // the torn half is cut off
    // Queued entries fail the same way (append says the journal is failing; flush() too).
    EXPECT_FALSE(j.append(card(3)));
    EXPECT_FALSE(j.flush());
    EXPECT_FALSE(j.append(card(4)));
    EXPECT_FALSE(j.flush());
    EXPECT_EQ(told, std::vector<bool>{false});  // told once, not per entry

    j.set_room_for_tests(UINT64_MAX);
    EXPECT_TRUE(j.write_now(card(5)));
    EXPECT_FALSE(j.failing());
    EXPECT_EQ(told, (std::vector<bool>{false, true}));
    EXPECT_TRUE(j.append(card(6)));
    EXPECT_TRUE(j.flush());
    EXPECT_EQ(numbers_in(path), (std::vector<int>{1, 5, 6}));
    EXPECT_EQ(j.size(), 3 * kEntry);

    // Queued entries were dropped since the journal was emptied, so a save's mark may count
    // bytes that never reached the file: its trim keeps everything. Once emptied, trims work.
    EXPECT_TRUE(j.drop_first(path, j.size(), {}));
    EXPECT_EQ(numbers_in(path), (std::vector<int>{1, 5, 6}));
    EXPECT_TRUE(j.clear());
    EXPECT_TRUE(j.write_now(card(7)));
    EXPECT_TRUE(j.drop_first(path, j.size(), {card(8)}));
    EXPECT_EQ(numbers_in(path), std::vector<int>{8});
}

TEST(JournalDisk, OpeningCutsATornLastEntry) {
    TempDir dir;
    std::string file = dir.file("race.wdb");
    std::string path = journal_path_for(file);
    {
        CardJournal j;
        ASSERT_TRUE(j.open(file));
        ASSERT_TRUE(j.write_now(card(1)));
    }
    // A power cut during the second entry's write.
    std::vector<std::uint8_t> torn = encode_journal_entry(card(2));
    {
        std::ofstream out(path, std::ios::binary | std::ios::app);
        out.write(reinterpret_cast<const char*>(torn.data()), std::streamsize(torn.size() / 3));
    }
    CardJournal j;
    ASSERT_TRUE(j.open(file));
    EXPECT_EQ(j.size(), kEntry);
    ASSERT_TRUE(j.write_now(card(3)));
    EXPECT_EQ(numbers_in(path), (std::vector<int>{1, 3}));
}

TEST(JournalDisk, UntitledCompetitionJournalsNothingAndAJournalThatCannotOpenIsTried) {
    TempDir dir;
    CardJournal j;
    ASSERT_TRUE(j.open(""));
    EXPECT_FALSE(j.wanted());
    EXPECT_FALSE(j.write_now(card(1)));
    EXPECT_FALSE(j.failing());

    // The folder is not there (a stick pulled out): told, and tried again on the next card.
    std::filesystem::path gone = dir.path() / "stick";
    std::string file = (gone / "race.wdb").string();
    EXPECT_FALSE(j.open(file));
    EXPECT_TRUE(j.wanted());
    EXPECT_TRUE(j.failing());
    EXPECT_FALSE(j.write_now(card(1)));
    std::filesystem::create_directories(gone);
    EXPECT_TRUE(j.write_now(card(2)));
    EXPECT_FALSE(j.failing());
    EXPECT_EQ(numbers_in(journal_path_for(file)), std::vector<int>{2});
}

}  // namespace
}  // namespace skarvel
