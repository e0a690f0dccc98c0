// The station link byte by byte: the escape rule and frame sum, detection, the three card
// layouts, the memory exchange and its 16-bit check.
#include "punch/station_link.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/time_text.h"
#include "tests/punch/fake_serial_port.h"

namespace skarvel {
namespace {

using test::FakeSerialPort;
using Bytes = std::vector<std::uint8_t>;

// The memory exchange's pauses shortened: the fake line answers at once.
constexpr StationLinkTiming kQuick{200, 10, 1, 1};

constexpr std::int32_t hms(int h, int m, int s) {
    return ((h * 60 + m) * 60 + s) * 100;
}

std::uint16_t crc(const Bytes& b) {
    return station_crc16(b.data(), b.size());
}

TEST(StationCrc16, CheckValues) {
    EXPECT_EQ(crc({0x83, 0x02, 0x1C, 0x07}), 0x7406);
    EXPECT_EQ(crc({0x81, 0x04, 0x00, 0x01, 0x00, 0x08}), 0xF94F);
    EXPECT_EQ(crc({'a', 'b', 'c'}), 0xA449);
    EXPECT_EQ(crc({}), 0);
    EXPECT_EQ(crc({0x42}), 0);
    EXPECT_EQ(crc({0x12, 0x34}), 0x1234);
}

TEST(StationFrames, MemoryRequests) {
    EXPECT_EQ(memory_record_request(0),
              (Bytes{0xFF, 0x02, 0x02, 0x81, 0x04, 0x00, 0x01, 0x00, 0x08, 0xF9, 0x4F, 0x03}));
    Bytes r1 = memory_record_request(1);
    ASSERT_EQ(r1.size(), 12u);
    EXPECT_EQ(r1[6], 0x01);
    EXPECT_EQ(r1[7], 0x08);  // address 264
    EXPECT_EQ((r1[9] << 8) | r1[10], crc(Bytes(r1.begin() + 3, r1.begin() + 9)));
    EXPECT_EQ(memory_count_request(),
              (Bytes{0xFF, 0x02, 0x02, 0x83, 0x02, 0x1C, 0x07, 0x74, 0x06, 0x03}));
}

TEST(StationLinkBytes, EscapeDropsTheMarkAndDeliversTheNextByte) {
    FakeSerialPort port;
    port.queue({0x10, 0x10, 0x10, 0x02, 0x41});
    StationLink link(port);
    EXPECT_EQ(link.read_stuffed_byte(), 0x10);
    EXPECT_EQ(link.read_stuffed_byte(), 0x02);
    EXPECT_EQ(link.read_stuffed_byte(), 0x41);
    EXPECT_EQ(link.frame_sum, std::uint8_t(0x10 + 0x02 + 0x41));
    EXPECT_FALSE(link.read_failed);
}

TEST(StationLinkBytes, RawReadKeepsTheMark) {
    FakeSerialPort port;
    port.queue({0x10, 0x20});
    StationLink link(port);
    EXPECT_EQ(link.read_raw_byte(), 0x10);
    EXPECT_EQ(link.read_raw_byte(), 0x20);
}

TEST(StationLinkBytes, FailedReadFailsTheRestOfTheFrameAtOnce) {
    FakeSerialPort port;
    port.input = {0x01, -1, 0x02, 0x03};
    StationLink link(port);
    EXPECT_EQ(link.read_stuffed_byte(), 0x01);
    EXPECT_EQ(link.read_stuffed_byte(), 0);
    EXPECT_TRUE(link.read_failed);
    int reads = port.reads;
    EXPECT_EQ(link.read_stuffed_byte(), 0);
    EXPECT_EQ(port.reads, reads);  // no further read of the line
    link.read_failed = false;
    EXPECT_EQ(link.read_stuffed_byte(), 0x02);
}

TEST(StationLinkBytes, DrainReadsUntilSilence) {
    FakeSerialPort port;
    port.input = {1, 2, 3, -1, 4};
    StationLink link(port);
    link.drain();
    EXPECT_TRUE(link.read_failed);
    ASSERT_EQ(port.input.size(), 1u);
    EXPECT_EQ(port.input.front(), 4);
}

TEST(StationDetect, Type5Frame) {
    FakeSerialPort port;
    port.queue({0x02, 0x46, 0x49, 0x03});
    StationLink link(port);
    EXPECT_EQ(link.detect_card(), 5);
}

Bytes frame66(std::uint32_t number) {
    return {0x02,
            0x66,
            0x83,
            0x08,
            0x00,
            std::uint8_t(number >> 24),
            std::uint8_t(number >> 16),
            std::uint8_t(number >> 8),
            std::uint8_t(number),
            0x00,
            0x77,
            0x03};
}

TEST(StationDetect, Type6AndType10ByCardNumber) {
    FakeSerialPort port;
    StationLink link(port);
    port.queue(frame66(1234567));
    EXPECT_EQ(link.detect_card(), 6);
    EXPECT_TRUE(port.input.empty());  // the rest of the frame was purged
    port.queue(frame66(6000123));
    EXPECT_EQ(link.detect_card(), 10);
    port.queue(frame66(7000000));
    EXPECT_EQ(link.detect_card(), 6);
    port.queue(frame66(5999999));
    EXPECT_EQ(link.detect_card(), 6);
}

TEST(StationDetect, GivesUpAfter21Attempts) {
    FakeSerialPort port;
    for (int i = 0; i < 21; ++i) port.input.push_back(0x55);
    port.queue({0x02, 0x46, 0x49, 0x03});
    StationLink link(port);
    EXPECT_EQ(link.detect_card(), 0);
    EXPECT_EQ(port.input.size(), 4u);  // exactly one byte per attempt was spent
    EXPECT_EQ(link.detect_card(), 5);
}

TEST(StationDetect, WrongFramesAreSkipped) {
    FakeSerialPort port;
    // A start byte with an unknown kind, a half 0x46 frame, then the real one.
    port.queue({0x02, 0x13, 0x02, 0x46, 0x00, 0x02, 0x46, 0x49, 0x03});
    StationLink link(port);
    EXPECT_EQ(link.detect_card(), 5);
}

TEST(StationDetect, CutOffFrameGivesNothing) {
    FakeSerialPort port;
    port.input = {0x02, 0x66, 0x83, 0x08, -1};
    StationLink link(port);
    EXPECT_EQ(link.detect_card(), 0);
}

// --- Type 5 ---------------------------------------------------------------------------------

Bytes type5_frame() {
    Bytes p(129, 0);
    p[5] = 0x30;
    p[6] = 0x39;
    p[7] = 1;
    p[18] = 0x00;
    p[19] = 42;
    int start = 10 * 3600, finish = 10 * 3600 + 1800;
    p[20] = std::uint8_t(start >> 8);
    p[21] = std::uint8_t(start);
    p[22] = std::uint8_t(finish >> 8);
    p[23] = std::uint8_t(finish);
    p[24] = 4;  // three punches
    int times[3] = {10 * 3600 + 300, 10 * 3600 + 600, 10 * 3600 + 900};
    std::uint8_t codes[3] = {31, 0x10, 33};  // 16 needs the escape on the line
    for (int k = 0; k < 3; ++k) {
        std::size_t at = 33 + 1 + 3 * k;
        p[at] = codes[k];
        p[at + 1] = std::uint8_t(times[k] >> 8);
        p[at + 2] = std::uint8_t(times[k]);
    }
    return p;
}

Bytes escaped_reply(const Bytes& content, std::uint8_t sum_delta = 0) {
    Bytes out = {0x02, 0x31};
    std::uint8_t sum = 0;
    for (auto b : content) {
        if (b == 0x02 || b == 0x03 || b == 0x10) out.push_back(0x10);
        out.push_back(b);
        sum = std::uint8_t(sum + b);
    }
    sum = std::uint8_t(sum + sum_delta);
    if (sum == 0x02 || sum == 0x03 || sum == 0x10) out.push_back(0x10);
    out.push_back(sum);
    out.push_back(0x03);
    return out;
}

TEST(StationType5, DecodesNumberTimesAndPunches) {
    CardReadout c;
    Bytes p = type5_frame();
    decode_card_type5(p.data(), hms(9, 0, 0), c);
    EXPECT_EQ(c.card_number, 12345);
    EXPECT_EQ(c.start_number, 42);
    EXPECT_EQ(c.start.time, hms(10, 0, 0));
    EXPECT_EQ(c.finish.time, hms(10, 30, 0));
    EXPECT_EQ(c.punch_count, 3);
    EXPECT_EQ(c.punches[1].code, 0x10);
    EXPECT_EQ(c.punches[2].time, hms(10, 15, 0));
    EXPECT_EQ(c.punches[3].code, 0);

    p[7] = 3;
    decode_card_type5(p.data(), hms(9, 0, 0), c);
    EXPECT_EQ(c.card_number, 312345);
}

TEST(StationType5, TwelveHourRollOver) {
    CardReadout c;
    Bytes p = type5_frame();
    p[20] = p[21] = 0xEE;  // no start
    decode_card_type5(p.data(), hms(9, 0, 0), c);
    EXPECT_EQ(c.start.time, 0);

    int start = 8 * 3600;  // 08:00 on the dial with the race starting at 09:00: 20:00
    p[20] = std::uint8_t(start >> 8);
    p[21] = std::uint8_t(start);
    int finish = 3600;  // 01:00 on the dial after a 20:00 start: 13:00, then below 09:00? no
    p[22] = std::uint8_t(finish >> 8);
    p[23] = std::uint8_t(finish);
    decode_card_type5(p.data(), hms(9, 0, 0), c);
    EXPECT_EQ(c.start.time, hms(20, 0, 0));
    EXPECT_EQ(c.finish.time, hms(13, 0, 0));

    // Punches: each below its predecessor gets twelve hours.
    Bytes q = type5_frame();
    int times[3] = {11 * 3600 + 3000, 3600 / 2, 3600};  // 11:50, 00:30 -> 12:30, 01:00 -> 13:00
    for (int k = 0; k < 3; ++k) {
        q[33 + 2 + 3 * k] = std::uint8_t(times[k] >> 8);
        q[33 + 3 + 3 * k] = std::uint8_t(times[k]);
    }
    decode_card_type5(q.data(), hms(9, 0, 0), c);
    EXPECT_EQ(c.punches[0].time, hms(11, 50, 0));
    EXPECT_EQ(c.punches[1].time, hms(12, 30, 0));
    EXPECT_EQ(c.punches[2].time, hms(13, 0, 0));
}

TEST(StationType5, DamagedCounterStaysInsideTheCard) {
    CardReadout c;
    Bytes p = type5_frame();
    p[24] = 0;
    decode_card_type5(p.data(), 0, c);
    EXPECT_EQ(c.punch_count, 0);
    p[24] = 250;
    decode_card_type5(p.data(), 0, c);
    EXPECT_EQ(c.punch_count, 36);
}

TEST(StationType5, ReadSendsCommandAndAcknowledgesGoodFrame) {
    FakeSerialPort port;
    Bytes content = type5_frame();
    port.responder = [&](const Bytes& w, FakeSerialPort& p) {
        if (w == Bytes{0x02, 0x31, 0x03}) p.queue(escaped_reply(content));
        if (w == Bytes{0x06}) p.queue({0x02, 0x4F, 0x4B, 0x03});
    };
    StationLink link(port);
    CardReadout c;
    ASSERT_TRUE(link.read_card_type5(c, hms(9, 0, 0)));
    ASSERT_EQ(port.writes.size(), 2u);
    EXPECT_EQ(port.writes[1], Bytes{0x06});
    EXPECT_EQ(c.card_number, 12345);
    EXPECT_EQ(c.punches[1].code, 0x10);
    EXPECT_TRUE(port.input.empty());
}

TEST(StationType5, BadSumIsNotAcknowledgedAndNothingDecoded) {
    FakeSerialPort port;
    Bytes content = type5_frame();
    port.responder = [&](const Bytes& w, FakeSerialPort& p) {
        if (w == Bytes{0x02, 0x31, 0x03}) p.queue(escaped_reply(content, 1));
    };
    StationLink link(port);
    CardReadout c;
    c.card_number = 777;
    EXPECT_FALSE(link.read_card_type5(c, 0));
    ASSERT_EQ(port.writes.size(), 1u);
    EXPECT_EQ(c.card_number, 777);
}

TEST(StationType5, SilenceMidFrameCostsOneTimeOut) {
    FakeSerialPort port;
    Bytes content = type5_frame();
    port.responder = [&](const Bytes& w, FakeSerialPort& p) {
        if (w == Bytes{0x02, 0x31, 0x03}) {
            Bytes r = escaped_reply(content);
            r.resize(70);
            p.queue(r);
        }
    };
    StationLink link(port);
    CardReadout c;
    EXPECT_FALSE(link.read_card_type5(c, 0));
    EXPECT_EQ(port.timeouts, 1);
    EXPECT_EQ(port.writes.size(), 1u);
}

TEST(StationType5, NoReplyAfterTenReads) {
    FakeSerialPort port;
    StationLink link(port);
    CardReadout c;
    EXPECT_FALSE(link.read_card_type5(c, 0));
    EXPECT_EQ(port.timeouts, 10);
}

// --- Types 6 and 10 ---------------------------------------------------------------------------

void put_time(Bytes& d, std::size_t pm_at, std::size_t at, std::int32_t t) {
    int s = t / 100;
    d[pm_at] = s >= 43200;
    s %= 43200;
    d[at] = std::uint8_t(s >> 8);
    d[at + 1] = std::uint8_t(s);
}

Bytes blocks_card(std::uint32_t number, int type,
                  const std::vector<std::pair<int, std::int32_t>>& punches, std::int32_t finish) {
    Bytes d(384, 0xEE);
    d[10] = std::uint8_t(number >> 24);
    d[11] = std::uint8_t(number >> 16);
    d[12] = std::uint8_t(number >> 8);
    d[13] = std::uint8_t(number);
    if (finish > 0) put_time(d, 20, 22, finish);
    put_time(d, 24, 26, hms(10, 0, 0));
    d[40] = d[41] = d[42] = 0;
    d[43] = 7;
    for (std::size_t k = 0; k < punches.size(); ++k) {
        if (type == 10) {
            std::size_t at = 128 + 8 * k;
            d[at] = std::uint8_t(punches[k].first);
            put_time(d, at + 4, at + 5, punches[k].second);
        } else {
            std::size_t at = 128 + 4 * k;
            d[at + 1] = std::uint8_t(punches[k].first);
            put_time(d, at, at + 2, punches[k].second);
        }
    }
    return d;
}

TEST(StationBlocks, Type6Fields) {
    Bytes d = blocks_card(1234567, 6, {{31, hms(10, 5, 0)}, {32, hms(13, 10, 0)}}, hms(13, 30, 0));
    CardReadout c;
    c.punches[5].code = 99;  // left over from an earlier card
    decode_card_blocks(d.data(), 6, false, c);
    EXPECT_EQ(c.card_number, 1234567);
    EXPECT_EQ(c.start_number, 7);
    EXPECT_EQ(c.start.time, hms(10, 0, 0));
    EXPECT_EQ(c.finish.time, hms(13, 30, 0));
    ASSERT_EQ(c.punch_count, 2);
    EXPECT_EQ(c.punches[1].code, 32);
    EXPECT_EQ(c.punches[1].time, hms(13, 10, 0));
    EXPECT_EQ(c.punches[5].code, 0);
}

TEST(StationBlocks, Type10KeepsTheFirst25Punches) {
    std::vector<std::pair<int, std::int32_t>> punches;
    for (int k = 0; k < 30; ++k) punches.push_back({31 + k, hms(10, 1 + k, 0)});
    Bytes d = blocks_card(6000001, 10, punches, hms(11, 0, 0));
    CardReadout c;
    decode_card_blocks(d.data(), 10, false, c);
    EXPECT_EQ(c.punch_count, 25);
    EXPECT_EQ(c.punches[24].code, 55);
}

TEST(StationBlocks, SkipsEmptyRecordsAndPacks) {
    Bytes d =
        blocks_card(1234567, 6, {{31, hms(10, 5, 0)}, {32, hms(10, 6, 0)}, {33, hms(10, 7, 0)}}, 0);
    d[128 + 4 + 2] = d[128 + 4 + 3] = 0xEE;  // the second record has no time
    CardReadout c;
    decode_card_blocks(d.data(), 6, false, c);
    ASSERT_EQ(c.punch_count, 2);
    EXPECT_EQ(c.punches[1].code, 33);
    EXPECT_EQ(c.finish.time, 0);
}

TEST(StationBlocks, MultiDayRollOver) {
    Bytes d = blocks_card(1234567, 6, {{31, hms(23, 59, 0)}, {32, hms(0, 1, 0)}}, hms(0, 5, 0));
    CardReadout c;
    decode_card_blocks(d.data(), 6, true, c);
    EXPECT_EQ(c.punches[0].time, hms(23, 59, 0));
    EXPECT_EQ(c.punches[1].time, hms(24, 1, 0));
    EXPECT_EQ(c.finish.time, hms(24, 5, 0));

    // Without the setting nothing rolls over.
    decode_card_blocks(d.data(), 6, false, c);
    EXPECT_EQ(c.punches[1].time, hms(0, 1, 0));
    EXPECT_EQ(c.finish.time, hms(0, 5, 0));

    // No finish punch stays 0 whatever the setting.
    Bytes e = blocks_card(1234567, 6, {{31, hms(23, 59, 0)}, {32, hms(0, 1, 0)}}, 0);
    decode_card_blocks(e.data(), 6, true, c);
    EXPECT_EQ(c.finish.time, 0);
}

Bytes block_reply(const Bytes& d, int index, std::uint8_t sum_delta = 0) {
    Bytes out = {0x02, 0x61};
    std::uint8_t head[2] = {0x83, 0x00};
    std::uint8_t sum = 0;
    auto put = [&](std::uint8_t b) {
        if (b == 0x02 || b == 0x03 || b == 0x10) out.push_back(0x10);
        out.push_back(b);
        sum = std::uint8_t(sum + b);
    };
    put(head[0]);
    put(head[1]);
    for (int i = 0; i < 128; ++i) put(d[index * 128 + i]);
    std::uint8_t k = std::uint8_t(sum + sum_delta);
    if (k == 0x02 || k == 0x03 || k == 0x10) out.push_back(0x10);
    out.push_back(k);
    out.push_back(0x03);
    return out;
}

struct BlockStation {
    Bytes d;
    int bad_block = -1;  // its first reply carries a wrong sum
    std::vector<int> asked;
    void attach(FakeSerialPort& port) {
        port.responder = [this](const Bytes& w, FakeSerialPort& p) {
            if (w.size() == 5 && w[0] == 0x02 && w[1] == 0x61 && w[2] == 0x10 && w[4] == 0x03) {
                int index = w[3] == 0 ? 0 : w[3] == 6 ? 1 : 2;
                asked.push_back(w[3]);
                bool bad = index == bad_block;
                if (bad) bad_block = -1;
                p.queue(block_reply(d, index, bad ? 1 : 0));
            }
            if (w == Bytes{0x06}) p.queue({0x02, 0x4F, 0x4B, 0x03});
        };
    }
};

TEST(StationBlocks, ReadAsksBlocks0_6_7AndAcknowledges) {
    FakeSerialPort port;
    BlockStation st{blocks_card(1234567, 6, {{31, hms(10, 5, 0)}}, hms(10, 30, 0)), -1, {}};
    st.attach(port);
    StationLink link(port);
    CardReadout c;
    ASSERT_TRUE(link.read_card_blocks(c, 6, false));
    EXPECT_EQ(st.asked, (std::vector<int>{0, 6, 7}));
    EXPECT_EQ(port.writes.back(), Bytes{0x06});
    EXPECT_EQ(port.writes[0], (Bytes{0x02, 0x61, 0x10, 0x00, 0x03}));
    EXPECT_EQ(c.card_number, 1234567);
    EXPECT_TRUE(port.input.empty());
}

TEST(StationBlocks, AnyBadBlockMeansNoAcknowledgement) {
    for (int bad = 0; bad < 3; ++bad) {
        FakeSerialPort port;
        BlockStation st{blocks_card(1234567, 6, {{31, hms(10, 5, 0)}}, hms(10, 30, 0)), bad, {}};
        st.attach(port);
        StationLink link(port);
        CardReadout c;
        EXPECT_FALSE(link.read_card_blocks(c, 6, false)) << bad;
        for (const auto& w : port.writes) EXPECT_NE(w, Bytes{0x06});
        EXPECT_EQ(c.card_number, 0);
        // A bad first block stops the exchange; later ones let it go on.
        EXPECT_EQ(st.asked.size(), bad == 0 ? 1u : 3u);
        // Read again, the card comes through.
        port.input.clear();
        EXPECT_TRUE(link.read_card_blocks(c, 6, false));
    }
}

// A card the reader cannot make safe (its journal cannot write) is decoded but not taken: the
// station hears no acknowledgement and keeps it; once the reader takes it, it is acknowledged.
TEST(StationKeep, RefusedCardIsNotAcknowledged) {
    for (int type : {5, 6}) {
        for (bool take : {false, true}) {
            FakeSerialPort port;
            Bytes content = type5_frame();
            BlockStation st{blocks_card(1234567, 6, {{31, hms(10, 5, 0)}}, hms(10, 30, 0)), -1, {}};
            if (type == 5) {
                port.responder = [&](const Bytes& w, FakeSerialPort& p) {
                    if (w == Bytes{0x02, 0x31, 0x03}) p.queue(escaped_reply(content));
                    if (w == Bytes{0x06}) p.queue({0x02, 0x4F, 0x4B, 0x03});
                };
            } else {
                st.attach(port);
            }
            StationLink link(port);
            CardReadout c;
            std::int32_t offered = 0;
            auto keep = [&](const CardReadout& card) {
                offered = card.card_number;
                return take;
            };
            bool got = type == 5 ? link.read_card_type5(c, hms(9, 0, 0), keep)
                                 : link.read_card_blocks(c, 6, false, keep);
            EXPECT_EQ(got, take) << type;
            EXPECT_EQ(offered, type == 5 ? 12345 : 1234567) << type;
            bool acknowledged = false;
            for (const auto& w : port.writes) acknowledged |= w == Bytes{0x06};
            EXPECT_EQ(acknowledged, take) << type;
        }
    }
}

// --- Memory ------------------------------------------------------------------------------------

TEST(StationMemory, RecordDecoding) {
    std::int32_t card, time;
    std::uint8_t r[8] = {5, 0x12, 0x34, 0, 1, 0x00, 0x3C, 128};
    decode_memory_record(r, card, time);
    EXPECT_EQ(card, 332340);
    EXPECT_EQ(time, 60 * 100 + kTwelveHours + 50);
    std::uint8_t s[8] = {3, 0x30, 0x39, 0, 0, 0x8C, 0xA0, 0};
    decode_memory_record(s, card, time);
    EXPECT_EQ(card, 312345);
    EXPECT_EQ(time, 36000 * 100);
}

Bytes count_reply_at(std::uint32_t a, bool extra) {
    Bytes r = {0x02,
               0x02,
               0x83,
               1,
               2,
               3,
               4,
               std::uint8_t(a >> 24),
               std::uint8_t(a >> 16),
               9,
               9,
               9,
               std::uint8_t(a >> 8),
               std::uint8_t(a),
               7,
               7};
    if (extra) r.push_back(7);
    r.push_back(0x03);
    return r;
}

Bytes count_reply(std::uint32_t records, bool extra) {
    return count_reply_at(256 + 8 * records, extra);
}

TEST(StationMemory, CountQuery) {
    for (int type : {0, 2}) {
        FakeSerialPort port;
        port.responder = [&](const Bytes& w, FakeSerialPort& p) {
            if (w == memory_count_request()) p.queue(count_reply(1234, type != 0));
        };
        StationLink link(port, kQuick);
        EXPECT_EQ(link.query_memory_count(type), 1234);
        EXPECT_TRUE(port.input.empty());
    }
}

TEST(StationMemory, CountQueryFailures) {
    FakeSerialPort port;
    StationLink link(port, kQuick);
    EXPECT_EQ(link.query_memory_count(0), -1);  // silence
    port.responder = [&](const Bytes& w, FakeSerialPort& p) {
        if (w == memory_count_request()) {
            Bytes r = count_reply(5, false);
            r.resize(10);  // cut off before the low address bytes
            p.queue(r);
        }
    };
    EXPECT_EQ(link.query_memory_count(0), -1);
    port.responder = [&](const Bytes& w, FakeSerialPort& p) {
        if (w == memory_count_request()) p.queue({0x02, 0x81});
    };
    EXPECT_EQ(link.query_memory_count(0), -1);
}

TEST(StationMemory, HostileAddressesAreRefused) {
    // The count comes from the station's next free address; one that no record request can
    // name (3 address bytes) or that lies below the first record is a damaged reply.
    struct Case {
        std::uint32_t address;
        int count;
    } cases[] = {{256, 0},          {264, 1},          {0xFFFFFF, kMaxMemoryRecords - 1},
                 {0x1000000, -1},   {255, -1},         {0, -1},
                 {0x80000000u, -1}, {0x800000FFu, -1}, {0xFFFFFFFFu, -1}};
    for (const Case& c : cases) {
        FakeSerialPort port;
        port.responder = [&](const Bytes& w, FakeSerialPort& p) {
            if (w == memory_count_request()) p.queue(count_reply_at(c.address, false));
        };
        StationLink link(port, kQuick);
        EXPECT_EQ(link.query_memory_count(0), c.count) << std::hex << c.address;
    }
    // Record numbers outside the memory are not asked for at all.
    FakeSerialPort port;
    StationLink link(port, kQuick);
    std::int32_t card = 0, time = 0;
    for (int n : {-1, kMaxMemoryRecords, 0x7FFFFFFF}) {
        EXPECT_EQ(link.read_memory_record(n, card, time), -1);
        EXPECT_TRUE(port.writes.empty());
    }
}

TEST(StationMemory, RecordRead) {
    FakeSerialPort port;
    port.responder = [&](const Bytes& w, FakeSerialPort& p) {
        if (w == memory_record_request(3))
            p.queue(
                {0x02, 0x02, 0x81, 0, 0, 0, 0, 0, 0, 5, 0x12, 0x34, 0, 0, 0x8C, 0xA0, 0, 1, 2, 3});
    };
    StationLink link(port, kQuick);
    std::int32_t card = 0, time = 0;
    EXPECT_EQ(link.read_memory_record(3, card, time), 1);
    EXPECT_EQ(card, 332340);
    EXPECT_EQ(time, hms(10, 0, 0));
    card = time = 0;
    EXPECT_EQ(link.read_memory_record(4, card, time), -1);
    EXPECT_EQ(card, 0);
}

TEST(StationLinkStop, StopMakesEveryReadFail) {
    FakeSerialPort port;
    port.queue({0x02, 0x46, 0x49, 0x03});
    StationLink link(port, kQuick);
    link.request_stop();
    EXPECT_EQ(link.detect_card(), 0);
    EXPECT_EQ(port.reads, 0);
}

}  // namespace
}  // namespace skarvel

// --- Hostile lines ------------------------------------------------------------------------------

#include "core/rand15.h"
#include "tests/punch/station_fuzz_body.h"

namespace skarvel {
namespace {

// Pseudo-random lines made mostly of frame bytes, so that detection and frames get far.
TEST(StationHostileInput, RandomLinesNeverCrash) {
    Rand15 rng;
    const std::uint8_t alphabet[] = {0x02, 0x03, 0x10, 0x46, 0x49, 0x66,
                                     0x06, 0x81, 0x83, 0xEE, 0x00, 0xFF};
    auto c = test::fuzz_competition();
    for (int run = 0; run < 300; ++run) {
        std::vector<std::uint8_t> line(1 + rng.next() % 1200);
        for (auto& b : line)
            b = rng.next() % 3 ? alphabet[rng.next() % sizeof alphabet] : std::uint8_t(rng.next());
        // Now and then a whole well-formed detection frame.
        if (run % 4 == 0 && line.size() > 20) {
            line[5] = 0x02;
            line[6] = 0x46;
            line[7] = 0x49;
            line[8] = 0x03;
        }
        test::fuzz_station_input(*c, line.data(), line.size());
    }
    SUCCEED();
}

}  // namespace
}  // namespace skarvel

// --- The card reader loop
// -------------------------------------------------------------------------

#include "punch/station_reader.h"

namespace skarvel {
namespace {

TEST(CardReaderLoop, PersonalisationTakesBlockCardsAndEndsOnClosedPort) {
    FakeSerialPort port;
    port.queue(frame66(1234567));
    port.input.push_back(-1);              // a pause: the purge after the frame stops here
    port.queue({0x02, 0x46, 0x49, 0x03});  // then a type-5 card whose reading fails
    // The adapter is pulled out when the type-5 card is asked for: the loop ends by itself.
    port.responder = [](const Bytes& w, FakeSerialPort& p) {
        if (w == Bytes{0x02, 0x31, 0x03}) p.open = false;
    };
    StationLink link(port);
    int personalised = 0, delivered = 0;
    CardReaderHooks hooks;
    hooks.personalise = [&](StationLink&, int type) {
        EXPECT_EQ(type, 6);
        ++personalised;
        return true;
    };
    hooks.card_read = [&](const CardReadout&) {
        ++delivered;
        return true;
    };
    int cards = run_card_reader(link, ReadOptions{}, hooks, ReaderPauses{0, 0});
    EXPECT_EQ(personalised, 1);
    EXPECT_EQ(cards, 0);
    EXPECT_EQ(delivered, 0);
    EXPECT_FALSE(port.is_open());
}

}  // namespace
}  // namespace skarvel
