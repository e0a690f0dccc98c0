// The finish datagram both ways, the client's choice of lines and what the server stores.
#include "periph/finish_exchange.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace skarvel {
namespace {

std::vector<std::uint8_t> bytes_of(std::string_view text, std::size_t size = kFinishDatagramSize) {
    std::vector<std::uint8_t> out(size, 0);
    std::copy(text.begin(), text.end(), out.begin());
    return out;
}

struct Exchange : ::testing::Test {
    std::unique_ptr<Competition> owned = std::make_unique<Competition>();
    Competition& c = *owned;

    Runner& runner(int number, std::int32_t start = 4320000) {
        Runner& r = *c.tables.runners[c.new_record(kRunners)];
        r.id = number;
        r.start_number = static_cast<std::uint16_t>(number);
        r.start_time = start;
        c.rebuild_number_index();
        return r;
    }
    FinishLine& line(int number, std::int32_t time, std::uint8_t flags = 0) {
        FinishLine& l = *c.tables.finish_lines[c.new_record(kFinishLines)];
        l.start_number = static_cast<std::int16_t>(number);
        l.set_time(time);
        l.flags = flags;
        return l;
    }
};

TEST_F(Exchange, DatagramBytesOfALine) {
    FinishLine l;
    l.start_number = 101;
    l.time_word = 4473100;  // 12:25:31
    l.flags = 1;
    FinishDatagram d = encode_finish_datagram(l, 0);
    EXPECT_EQ(std::vector<std::uint8_t>(d.begin(), d.end()), bytes_of(" 101      4473100 0 1\n"));

    struct Case {
        std::int16_t number;
        std::uint32_t word;
        std::uint8_t flags;
        int status;
        std::string text;
    } cases[] = {
        {10101, 3600000, 0x80, 3, "10101      3600000 3 0\n"},
        // Numbers are unsigned 16 bit; the whole time word goes out signed, counter included.
        {-25537, 0x01000000u | 100, 0x7F, 8, "39999     16777316 8 127\n"},
        {7, 0xFF000000u | 5, 0, 0, "   7    -16777211 0 0\n"},
    };
    for (const Case& k : cases) {
        FinishLine x;
        x.start_number = k.number;
        x.time_word = k.word;
        x.flags = k.flags;
        FinishDatagram got = encode_finish_datagram(x, k.status);
        EXPECT_EQ(std::vector<std::uint8_t>(got.begin(), got.end()), bytes_of(k.text)) << k.text;
    }
}

TEST_F(Exchange, ReadsWhatItWritesAndDropsTheRest) {
    auto v = decode_finish_datagram(bytes_of(" 101      4473100 0 1\n"));
    ASSERT_TRUE(v);
    EXPECT_EQ(v->number, 101);
    EXPECT_EQ(v->time_word, 4473100);
    EXPECT_EQ(v->status, 0);
    // Also shorter datagrams with the zero, without counter and line feed.
    EXPECT_TRUE(decode_finish_datagram(bytes_of("10101 3600000 3", 16)));

    const char* bad[] = {
        "",                           // nothing before the zero
        "abc 4473100 0 1\n",          // not a number
        " 101 44731x0 0 1\n",         // a letter in the time
        " 101      4473100 9 1\n",    // status above 8
        "   0      4473100 0 1\n",    // number 0
        "65536      4473100 0 1\n",   // number above 16 bits
        " 101 99999999999 0 1\n",     // beyond 32 bits
        " 101      4473100 0 1\nX",   // something after the line
        " 101      4473100 0 999\n",  // counter above 7 bits
        " 101      4473100\n",        // no status
    };
    for (const char* text : bad) EXPECT_FALSE(decode_finish_datagram(bytes_of(text))) << text;
    // No terminating zero within 128 bytes, or too long: dropped, not read past the end.
    std::vector<std::uint8_t> full(kFinishDatagramSize, '1');
    EXPECT_FALSE(decode_finish_datagram(full));
    EXPECT_FALSE(decode_finish_datagram(bytes_of(" 101 4473100 0 1\n", 129)));
    EXPECT_FALSE(decode_finish_datagram({}));
}

TEST_F(Exchange, ServerStoresStatusStartTimeAndIgnoresRepeats) {
    Runner& r101 = runner(101);
    runner(102);
    FinishReceiver server;
    using O = FinishReceiver::Outcome;
    EXPECT_EQ(server.store(c, bytes_of(" 101      4473100 0 1\n")), O::kStored);
    EXPECT_EQ(server.store(c, bytes_of(" 102      4480000 3 0\n")), O::kStored);
    EXPECT_EQ(server.store(c, bytes_of("10101      3600000 0 0\n")), O::kStored);
    // The same line from an overlapping pass; a malformed one; a number nobody has.
    EXPECT_EQ(server.store(c, bytes_of(" 101      4473100 0 1\n")), O::kDuplicate);
    EXPECT_EQ(server.store(c, bytes_of("garbage")), O::kDropped);
    EXPECT_EQ(server.store(c, bytes_of(" 555      4490000 0 0\n")), O::kStored);

    const auto& t = c.tables.finish_lines;
    ASSERT_EQ(t.live_count(), 4);
    EXPECT_EQ(t[0]->start_number, 101);
    EXPECT_EQ(t[0]->time_word, 4473100u);
    EXPECT_EQ(t[0]->flags, 0);
    EXPECT_EQ(t[2]->start_number, 10101);
    EXPECT_EQ(t[3]->start_number, 555);
    EXPECT_EQ(r101.start_time, 3600000);
    EXPECT_EQ(c.runner_by_number(102)->status, 3);
    EXPECT_EQ(server.counts().received, 6);
    EXPECT_EQ(server.counts().stored, 4);
    EXPECT_EQ(server.counts().duplicates, 1);
    EXPECT_EQ(server.counts().dropped, 1);

    // A batch recomputes the results once it is stored.
    EXPECT_TRUE(server.store_all(c, {bytes_of(" 102      4490000 0 0\n")}));
    EXPECT_EQ(c.runner_by_number(102)->result, 4490000 - 4320000);
    EXPECT_EQ(c.runner_by_number(102)->status, 0);
    EXPECT_EQ(r101.result, 4473100 - 3600000);
}

// A line sent again after its runner's status was corrected (the client's "+" cleared) changes
// the status and adds no line; only number, time and status all equal make a repeat. Times of
// 24:00:00 and later (after midnight, radio control lines) are stored as they come.
TEST_F(Exchange, ServerTakesACorrectedStatusAndTimesPastMidnight) {
    Runner& r = runner(101);
    FinishReceiver server;
    using O = FinishReceiver::Outcome;
    const struct {
        const char* datagram;
        O outcome;
        int lines, status;
    } steps[] = {
        {" 101      8700000 0 1\n", O::kStored, 1, 0},  // 24:10:00
        {" 101      8700000 2 1\n", O::kStatusChanged, 1, 2},
        {" 101      8700000 2 2\n", O::kDuplicate, 1, 2},  // the counter is not compared
        {" 101      8700000 0 1\n", O::kStatusChanged, 1, 0},
        {" 101    520093696 0 0\n", O::kStored, 2, 0},  // 31 << 24: a radio line at 00:00:00
        {" 101     16777215 0 0\n", O::kStored, 3, 0},  // the largest 24-bit time
    };
    for (const auto& k : steps) {
        EXPECT_EQ(server.store(c, bytes_of(k.datagram)), k.outcome) << k.datagram;
        EXPECT_EQ(c.tables.finish_lines.live_count(), k.lines) << k.datagram;
        EXPECT_EQ(r.status, k.status) << k.datagram;
    }
    EXPECT_EQ(c.tables.finish_lines[0]->time_word, 8700000u);
    EXPECT_EQ(server.counts().stored, 3);
    EXPECT_EQ(server.counts().status_changes, 2);
    EXPECT_EQ(server.counts().duplicates, 1);
    // A status change alone is worth a recomputation: the runner's result follows it.
    EXPECT_TRUE(server.store_all(c, {bytes_of(" 101      8700000 3 1\n")}));
    EXPECT_EQ(r.result, 3 * 8640000 + 101 * 100);
}

TEST_F(Exchange, ServerWithAFullTableCountsTheLoss) {
    while (c.new_record(kFinishLines) != kNoSlot) {
    }
    FinishReceiver server;
    EXPECT_EQ(server.store(c, bytes_of(" 101      4473100 0 1\n")),
              FinishReceiver::Outcome::kTableFull);
    EXPECT_EQ(server.counts().table_full, 1);
}

TEST_F(Exchange, SharedMarkRefusesLinesOfTheSameSharedCompetitionOnly) {
    const std::string id = "5f0c7a3e-2b1d-4c8e-9a6f-0d1e2f3a4b5c";
    FinishReceiver joined, alone;
    joined.joined_to = id;
    using O = FinishReceiver::Outcome;
    struct Case {
        std::string mark;
        O at_joined;
    } cases[] = {{"", O::kStored}, {"another", O::kStored}, {id, O::kSameShared}};
    int number = 101;
    for (const Case& k : cases) {
        FinishDatagram d = encode_finish_datagram(line(number, 4473100 + number), 0);
        const auto plain = decode_finish_datagram(d);
        if (!k.mark.empty()) put_shared_mark(d, k.mark);
        // A receiver reads nothing after the text's zero: the line is the same with the mark.
        const auto marked = decode_finish_datagram(d);
        ASSERT_TRUE(plain && marked);
        EXPECT_EQ(marked->number, plain->number);
        EXPECT_EQ(marked->time_word, plain->time_word);
        EXPECT_EQ(shared_mark_of(d), k.mark);
        EXPECT_EQ(joined.store(c, d), k.at_joined) << k.mark;
        EXPECT_EQ(alone.store(c, d), O::kStored) << k.mark;  // a station on its own file
        ++number;
    }
    EXPECT_EQ(joined.counts().same_shared, 1);
    EXPECT_EQ(joined.counts().stored, 2);
}

TEST_F(Exchange, ClientSendsLinesWithResultsOnceAndInOrder) {
    runner(101);
    runner(102);
    line(101, 4473100);
    line(0, 4480000);                             // no number
    line(102, 0);                                 // no time
    line(103, 4490000);                           // nobody holds 103
    line(102, 4500000, FinishLine::kFlagSent);    // sent already
    line(102, 4510000, FinishLine::kFlagPosted);  // due
    // Runners have no results yet: the pass recomputes once and then finds them.
    ClientPass pass;
    std::vector<int> due;
    for (int s; (s = next_pending_finish_line(c, pass)) != kNoSlot;) {
        due.push_back(s);
        mark_sent(c, s);
    }
    EXPECT_EQ(due, (std::vector<int>{0, 5}));
    EXPECT_TRUE(pass.recomputed);
    EXPECT_TRUE(c.tables.finish_lines[5]->sent());
    EXPECT_TRUE(c.tables.finish_lines[5]->posted());
    ClientPass again;
    EXPECT_EQ(next_pending_finish_line(c, again), kNoSlot);
}

TEST_F(Exchange, ALineWithoutResultIsHeldBack) {
    Runner& r = runner(101, 4473100);
    line(101, 4473100);  // finish equal to start: result 0
    ClientPass pass;
    EXPECT_EQ(next_pending_finish_line(c, pass), kNoSlot);
    EXPECT_FALSE(finish_line_due(c, 0));
    r.start_time = 4000000;
    EXPECT_TRUE(finish_line_due(c, 0));
    FinishDatagram d = finish_datagram_for(c, 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(d.data())), " 101      4473100 0 0\n");
}

TEST_F(Exchange, ServerNames) {
    struct Case {
        const char* name;
        ServerNameKind kind;
    } cases[] = {
        {"", ServerNameKind::kEmpty},
        {"finish2", ServerNameKind::kHostName},
        {"Server-A.local", ServerNameKind::kHostName},
        {"192.168.0.12", ServerNameKind::kIpv4},
        {"127.0.0.1", ServerNameKind::kIpv4},
        {"2finish", ServerNameKind::kRefused},
        {"192.168.0", ServerNameKind::kRefused},
        {"192.168.0.256", ServerNameKind::kRefused},
        {"1.2.3.4.5", ServerNameKind::kRefused},
        {"1..2.3", ServerNameKind::kRefused},
        {"1.2.3.4.", ServerNameKind::kRefused},
        {"-host", ServerNameKind::kRefused},
    };
    for (const Case& k : cases) EXPECT_EQ(classify_server_name(k.name), k.kind) << k.name;
}

}  // namespace
}  // namespace skarvel
