// The on-line post: the exact request address and the `posted` mark.
#include "periph/online_post.h"

#include <gtest/gtest.h>

#include <memory>

namespace skarvel {
namespace {

constexpr const char* kPrefix = "http://results.example/online/res.php?";

struct Post : ::testing::Test {
    std::unique_ptr<Competition> owned = std::make_unique<Competition>();
    Competition& c = *owned;

    void SetUp() override { set_field_text(c.info.online_url_prefix, kPrefix); }
    Runner& runner(int number, std::int32_t start, std::uint8_t status = 0) {
        Runner& r = *c.tables.runners[c.new_record(kRunners)];
        r.id = number;
        r.start_number = static_cast<std::uint16_t>(number);
        r.start_time = start;
        r.status = status;
        c.rebuild_number_index();
        return r;
    }
    int line(int number, std::int32_t time) {
        int slot = c.new_record(kFinishLines);
        c.tables.finish_lines[slot]->start_number = static_cast<std::int16_t>(number);
        c.tables.finish_lines[slot]->set_time(time);
        return slot;
    }
};

TEST_F(Post, RequestAddresses) {
    runner(101, 4320000);
    runner(7, 4320000, 7);
    int first = line(101, 4473100);  // 12:25:31 after a 12:00:00 start
    line(7, 4400000);

    // Results are recomputed first: the runner had none before.
    auto p = prepare_online_post(c, first, 4473100);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->url, std::string(kPrefix) + "num=101&r=00:25:31&fl=0&t=4473100");
    EXPECT_EQ(p->slot, first);

    // The last line of a number gives the result; with crossings its count follows.
    int second = line(101, 4480000);
    c.info.online_send_crossings = 1;
    p = prepare_online_post(c, second, 123);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->url, std::string(kPrefix) + "num=101&r=00:26:40&fl=0&t=123&dubl=2");

    // Status 7: the status-coded result (7 days and the number in seconds) as the time text
    // shows its low 24 bits, colons and comma not escaped.
    c.info.online_send_crossings = 0;
    c.info.time_precision = 2;
    p = prepare_online_post(c, 1, 5000000);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->url, std::string(kPrefix) + "num=7&r=28:11:30,52&fl=7&t=5000000");
}

TEST_F(Post, NothingToPost) {
    runner(101, 4320000);
    int nobody = line(102, 4473100);
    int zero = line(0, 4473100);
    EXPECT_FALSE(prepare_online_post(c, nobody, 0));
    EXPECT_FALSE(prepare_online_post(c, zero, 0));
    // Past the last line (where the cursor stands after posting the last one).
    EXPECT_FALSE(prepare_online_post(c, 2, 0));
    EXPECT_FALSE(prepare_online_post(c, -1, 0));
}

TEST_F(Post, MarkFindsTheLineWhereverItMoved) {
    runner(101, 4320000);
    line(101, 4473100);
    auto p = prepare_online_post(c, 0, 0);
    ASSERT_TRUE(p);
    // A line was put in front of it while the request was on its way (a sort, say).
    line(5, 4400000);
    c.tables.finish_lines.swap_slots(0, 1);
    EXPECT_EQ(mark_posted(c, *p), 1);
    EXPECT_TRUE(c.tables.finish_lines[1]->posted());
    EXPECT_FALSE(c.tables.finish_lines[0]->posted());
    c.tables.finish_lines.clear();
    EXPECT_EQ(mark_posted(c, *p), kNoSlot);
}

}  // namespace
}  // namespace skarvel
