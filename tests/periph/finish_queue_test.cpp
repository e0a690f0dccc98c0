// The finish server's waiting datagrams stay bounded: exact repeats go first, then what does
// not fit is counted for the window to tell.
#include "periph/finish_queue.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace skarvel {
namespace {

std::vector<std::uint8_t> datagram(int number, int time, int status) {
    char text[128] = {};  // a datagram is 128 bytes, the text zero-padded
    std::snprintf(text, sizeof text, "%4d %12d %d %d\n", number, time, status, 1);
    return std::vector<std::uint8_t>(text, text + sizeof text);
}

TEST(FinishQueue, ExactRepeatsGoFirstThenTheOverflowIsCounted) {
    FinishQueue q(3);
    struct Step {
        std::vector<std::uint8_t> bytes;
        FinishQueue::Push result;
    } steps[] = {
        {datagram(101, 4473100, 0), FinishQueue::Push::kQueued},
        {datagram(101, 4473100, 0), FinishQueue::Push::kRepeat},
        // The same line with a changed status is news, not a repeat.
        {datagram(101, 4473100, 7), FinishQueue::Push::kQueued},
        {datagram(102, 4473100, 0), FinishQueue::Push::kQueued},
        {std::vector<std::uint8_t>{'x', 0}, FinishQueue::Push::kMalformed},
        {datagram(103, 4473100, 0), FinishQueue::Push::kFull},
        // Still a repeat when the queue is full: nothing is lost by dropping it.
        {datagram(102, 4473100, 0), FinishQueue::Push::kRepeat},
    };
    for (const Step& s : steps) EXPECT_EQ(q.push(s.bytes), s.result);
    EXPECT_EQ(q.counts().repeats, 2);
    EXPECT_EQ(q.counts().malformed, 1);
    EXPECT_EQ(q.counts().overflow, 1);

    std::vector<std::vector<std::uint8_t>> batch = q.take();
    ASSERT_EQ(batch.size(), 3u);
    EXPECT_EQ(batch[1], datagram(101, 4473100, 7));  // in arrival order
    EXPECT_EQ(q.size(), 0u);
    // Taken: the same datagram may wait again (the receiver knows what it stored).
    EXPECT_EQ(q.push(datagram(101, 4473100, 0)), FinishQueue::Push::kQueued);
}

// A flood of one datagram keeps one copy; a flood of different ones stops at the bound.
TEST(FinishQueue, AFloodStaysBounded) {
    FinishQueue q;
    for (int i = 0; i < 100000; ++i) q.push(datagram(101, 4473100, 0));
    EXPECT_EQ(q.size(), 1u);
    for (int i = 0; i < 30000; ++i) q.push(datagram(1 + i % 29999, 3600000 + i, 0));
    EXPECT_EQ(q.size(), std::size_t(kFinishLineCapacity));
    EXPECT_EQ(q.counts().overflow, 30000 + 1 - kFinishLineCapacity);
}

}  // namespace
}  // namespace skarvel
