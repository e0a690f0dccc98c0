// The headless reader's file: written at most once a minute between cards, in the background,
// and a last time when the reader stops; a failed write is told and tried again; the journal
// lets go only of what a write holds.
#include "punch/periodic_saver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <thread>

#include "core/atomic_file.h"
#include "core/wdb_file.h"
#include "tests/punch/punch_fixture.h"

namespace skarvel {
namespace {

using namespace std::chrono_literals;
using Clock = PeriodicSaver::Clock;

struct PeriodicSaverTest : ::testing::Test {
    std::filesystem::path dir;
    std::string file;
    test::PunchFixture f;
    CardJournal journal;
    std::vector<int> failures;
    std::mutex written_mutex;
    int written = 0;

    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              (std::string("skarvel_periodic_") +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        file = (dir / "race.wdb").string();
        ASSERT_TRUE(journal.open(file));
    }
    void TearDown() override {
        journal.close();
        std::filesystem::remove_all(dir);
    }
    // A card came: it is journaled and changes the competition.
    void card(std::int32_t number) {
        JournalEntry e;
        e.card.card_number = number;
        journal.append(e);
        journal.flush();
        f.c.modified = true;
    }
    // Waits until the write under way is on the disk (a busy disk skips a due write).
    static void settle(const PeriodicSaver& s) {
        while (s.writing()) std::this_thread::yield();
    }
    std::unique_ptr<PeriodicSaver> saver(bool fail = false) {
        auto s = std::make_unique<PeriodicSaver>(f.c, journal, file,
                                                 [this](int e) { failures.push_back(e); });
        s->writer = [this, fail](const std::string& path, const std::vector<std::uint8_t>& bytes,
                                 int* error) {
            std::lock_guard<std::mutex> lock(written_mutex);
            ++written;
            if (fail) {
                *error = ENOSPC;
                return false;
            }
            return write_file_atomically(path, bytes.data(), bytes.size(), error);
        };
        return s;
    }
};

TEST_F(PeriodicSaverTest, AtMostOnceAMinuteAndWhenTheReaderStops) {
    f.group(4, "Challen2", 0);
    f.c.long_names.set(kClasses, 4, {"Challen2", "Challenge middle", ""});
    auto s = saver();
    const Clock::time_point t0 = Clock::now();
    card(1);
    s->between_cards(t0);  // the first change is written at once
    settle(*s);
    for (int i = 2; i <= 5; ++i) {
        card(i);
        s->between_cards(t0 + std::chrono::seconds(10 * i));  // within the minute: nothing
    }
    EXPECT_EQ(s->writes(), 1);
    s->between_cards(t0 + 61s);
    EXPECT_EQ(s->writes(), 2);
    settle(*s);
    s->between_cards(t0 + 200s);  // nothing changed since
    EXPECT_EQ(s->writes(), 2);
    card(6);
    EXPECT_TRUE(s->finish());
    EXPECT_EQ(s->writes(), 3);
    EXPECT_FALSE(f.c.modified);
    EXPECT_TRUE(failures.empty());
    // The file holds everything, so the journal is empty.
    EXPECT_TRUE(read_journal(journal_path_for(file)).empty());
    Competition loaded;
    ScriptedPrompts quiet;
    EXPECT_EQ(load_wdb(loaded, file, quiet).status, LoadStatus::kOk);
    // The long names beside the file, as a save by hand writes them.
    const LongName* name = loaded.long_names.find(kClasses, 4, "Challen2");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->full, "Challenge middle");
}

TEST_F(PeriodicSaverTest, TheJournalKeepsWhatCameAfterTheSnapshot) {
    auto s = saver();
    card(1);
    s->between_cards(Clock::now());
    card(2);  // journaled while (or after) the first write runs
    s->finish();
    // Only the write that held card 2 may let it go: the last one did.
    EXPECT_TRUE(read_journal(journal_path_for(file)).empty());
    EXPECT_EQ(s->writes(), 2);
}

TEST_F(PeriodicSaverTest, AFailedWriteIsToldAndTriedAgain) {
    auto s = saver(true);
    const Clock::time_point t0 = Clock::now();
    card(1);
    s->between_cards(t0);
    EXPECT_FALSE(s->finish());
    ASSERT_GE(failures.size(), 1u);
    EXPECT_EQ(failures[0], ENOSPC);
    EXPECT_TRUE(f.c.modified);
    // Nothing left the journal.
    EXPECT_EQ(read_journal(journal_path_for(file)).size(), 1u);
}

}  // namespace
}  // namespace skarvel
