// The extended protocol's frames and check value, and the card families' memory: the worked
// cards of the stations' protocol note decoded field by field, the blocks each punch count
// needs, and whole reads over a scripted line (handshake and autosend).
#include "punch/card_families.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "core/rand15.h"
#include "punch/card_journal.h"
#include "punch/extended_frames.h"
#include "punch/extended_link.h"
#include "punch/station_reader.h"
#include "tests/punch/extended_fuzz_body.h"
#include "tests/punch/fake_serial_port.h"
#include "tests/punch/punch_fixture.h"

namespace skarvel {
namespace {

using test::FakeSerialPort;
using test::hms;
using Bytes = std::vector<std::uint8_t>;

// 02 CMD LEN DATA CRC 03 as a station sends it.
Bytes station_frame(std::uint8_t cmd, const Bytes& data) {
    Bytes out = {0x02, cmd, std::uint8_t(data.size())};
    out.insert(out.end(), data.begin(), data.end());
    std::uint16_t k = station_crc16(out.data() + 1, out.size() - 1);
    out.push_back(std::uint8_t(k >> 8));
    out.push_back(std::uint8_t(k));
    out.push_back(0x03);
    return out;
}

TEST(ExtendedCheck, WorkedValues) {
    struct Case {
        Bytes bytes;
        std::uint16_t crc;
    } cases[] = {
        {{0xEF, 0x01, 0x05}, 0xE709},
        {{0xF0, 0x01, 0x4D}, 0x6D0A},
        {{0x83, 0x02, 0x74, 0x01}, 0x0414},
        {{0xB1, 0x00}, 0xB100},
        {{0xEF, 0x01, 0x00}, 0xE209},
        {{0xE8, 0x06, 0x00, 0x0A, 0x01, 0x10, 0x05, 0x90}, 0x0F27},
    };
    for (const Case& c : cases)
        EXPECT_EQ(station_crc16(c.bytes.data(), c.bytes.size()), c.crc) << int(c.bytes[0]);
    EXPECT_EQ(extended_command(0xEF, {0x05}),
              (Bytes{0xFF, 0x02, 0xEF, 0x01, 0x05, 0xE7, 0x09, 0x03}));
    EXPECT_EQ(extended_command(0x83, {0x74, 0x01}),
              (Bytes{0xFF, 0x02, 0x83, 0x02, 0x74, 0x01, 0x04, 0x14, 0x03}));
}

// Feeds bytes; returns the events other than kNone, in order.
std::vector<ExtendedFrameReader::Event> feed(ExtendedFrameReader& r, const Bytes& bytes,
                                             std::vector<ExtendedFrame>* frames = nullptr) {
    std::vector<ExtendedFrameReader::Event> events;
    for (std::uint8_t b : bytes) {
        auto e = r.push(b);
        if (e == ExtendedFrameReader::Event::kNone) continue;
        events.push_back(e);
        if (frames && (e == ExtendedFrameReader::Event::kFrame ||
                       e == ExtendedFrameReader::Event::kBasicFrame))
            frames->push_back(r.frame());
    }
    return events;
}

TEST(ExtendedFrameReader, CountsLengthsChecksAndResynchronises) {
    using E = ExtendedFrameReader::Event;
    ExtendedFrameReader r;
    std::vector<ExtendedFrame> frames;
    // The note's frames: 0x10, 0x02 and 0x03 inside DATA are data; FF and noise between frames
    // are passed over; a basic frame keeps its escape rule.
    Bytes line = {0xFF, 0xFF, 0x02, 0xE8, 0x06, 0x00, 0x0A,
                  0x01, 0x10, 0x05, 0x90, 0x0F, 0x27, 0x03};
    Bytes tail = {0x55, 0x02, 0xF0, 0x03, 0x00, 0x0A, 0x4D, 0x8D, 0x28,
                  0x03, 0x15, 0x02, 0x46, 0x10, 0x03, 0x49, 0x03};
    line.insert(line.end(), tail.begin(), tail.end());
    Bytes with_03 = station_frame(0x83, {0x00, 0x0A, 0x02, 0x03, 0x02});
    line.insert(line.end(), with_03.begin(), with_03.end());
    EXPECT_EQ(feed(r, line, &frames),
              (std::vector<E>{E::kFrame, E::kFrame, E::kNak, E::kBasicFrame, E::kFrame}));
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[0].cmd(), 0xE8);
    EXPECT_EQ(frames[0].station_code(), 0x000A);
    EXPECT_EQ(Bytes(frames[0].payload(), frames[0].payload() + 4), (Bytes{0x01, 0x10, 0x05, 0x90}));
    EXPECT_EQ(frames[1].payload()[0], 0x4D);
    EXPECT_TRUE(frames[2].basic);
    EXPECT_EQ(Bytes(frames[2].data(), frames[2].data() + frames[2].size()), (Bytes{0x03, 0x49}));
    EXPECT_EQ(Bytes(frames[3].payload(), frames[3].payload() + 3), (Bytes{0x02, 0x03, 0x02}));

    // A changed data byte, a wrong end byte: dropped whole; the next frame is read.
    Bytes bad = station_frame(0xF0, {0x00, 0x0A, 0x4D});
    bad[5] ^= 1;
    Bytes bad_end = station_frame(0xF0, {0x00, 0x0A, 0x4D});
    bad_end.back() = 0x04;
    Bytes good = station_frame(0xF0, {0x00, 0x0A, 0x4D});
    Bytes all = bad;
    all.insert(all.end(), bad_end.begin(), bad_end.end());
    all.insert(all.end(), good.begin(), good.end());
    EXPECT_EQ(feed(r, all), (std::vector<E>{E::kBadFrame, E::kBadFrame, E::kFrame}));
    EXPECT_TRUE(r.idle());
}

TEST(CardFamilies, FromNumbers) {
    using F = CardFamily;
    const std::pair<std::int32_t, F> cases[] = {
        {0, F::kUnknown},        {1, F::k5},
        {499999, F::k5},         {500000, F::k6},
        {999999, F::k6},         {1000000, F::k9},
        {1999999, F::k9},        {2000000, F::k8},
        {2003000, F::k6},        {2003999, F::k6},
        {2004000, F::k8},        {3000000, F::kUnknown},
        {4100000, F::kP},        {5000000, F::kUnknown},
        {6100000, F::kT},        {7100000, F::k10},
        {8100000, F::kActive},   {9100000, F::k11},
        {10000000, F::kUnknown}, {16711679, F::kUnknown},
        {16711680, F::k6Star},   {16777215, F::k6Star},
        {16777216, F::kUnknown},
    };
    for (auto [number, family] : cases) EXPECT_EQ(card_family_of(number), family) << number;
}

TEST(CardFamilies, BlocksThePunchCountNeeds) {
    using F = CardFamily;
    struct Case {
        F family;
        int n;
        Bytes blocks;
    } cases[] = {
        {F::k5, 30, {}},
        {F::k6, 0, {}},
        {F::k6, 1, {6}},
        {F::k6, 33, {6, 7}},
        {F::k6, 64, {6, 7}},
        {F::k6, 65, {6, 7, 2}},
        {F::k6Star, 192, {6, 7, 2, 3, 4, 5}},
        {F::k9, 18, {}},
        {F::k9, 19, {1}},
        {F::k8, 1, {1}},
        {F::kP, 1, {1}},
        {F::kT, 9, {}},
        {F::kT, 10, {1}},
        {F::k10, 33, {4, 5}},
        {F::kActive, 64, {4, 5}},
        {F::k11, 128, {4, 5, 6, 7}},
        {F::k11, 500, {4, 5, 6, 7}},
    };
    for (const Case& c : cases) {
        BlockList list = blocks_for_punches(c.family, c.n);
        EXPECT_EQ(Bytes(list.blocks, list.blocks + list.count), c.blocks)
            << int(c.family) << " n=" << c.n;
    }
}

// A card image: every byte EE, then the rows given (block, offset, bytes); every block read.
struct Row {
    int block;
    int offset;
    Bytes bytes;
};
CardImage image_of(CardFamily f, std::initializer_list<Row> rows) {
    CardImage im;
    im.family = f;
    for (auto& b : im.block) b.fill(0xEE);
    for (const Row& r : rows)
        for (std::size_t i = 0; i < r.bytes.size(); ++i)
            im.block[r.block][r.offset + i] = r.bytes[i];
    im.have = 0xFF;
    return im;
}

// Card 6* of the note: punches 1-32 codes 50..81 at 09:01..09:32 in block 6, two more in block 7.
CardImage card6_star() {
    CardImage im =
        image_of(CardFamily::k6Star,
                 {{0, 0x0A, {0x00, 0xFF, 0x00, 0x14}},
                  {0, 0x12, {0x22, 0x23, 0x0C, 0x00, 0x87, 0xF0, 0x0C, 0x00, 0x7E, 0x90}},
                  {7, 0x00, {0x0C, 0x52, 0x86, 0x4C, 0x0C, 0x53, 0x86, 0x88}}});
    for (int k = 0; k < 32; ++k) {
        int t = 32400 + 60 * (k + 1);
        std::uint8_t rec[4] = {0x0C, std::uint8_t(50 + k), std::uint8_t(t >> 8), std::uint8_t(t)};
        std::copy(rec, rec + 4, im.block[6].begin() + 4 * k);
    }
    return im;
}

// The card 9 of the note (the card 8 example is built on it).
const std::initializer_list<Row> kCard9Rows = {
    {0,
     0x00,
     {0x12, 0x34, 0x56, 0x78, 0xEA, 0xEA, 0xEA, 0xEA, 0x0C, 0x07, 0x7D, 0x64, 0x0C, 0x00, 0x7E,
      0x90}},
    {0, 0x10, {0x0C, 0x00, 0x8A, 0x48, 0xEE, 0xEE, 0x02, 0xEE, 0x01, 0x10, 0x05, 0x90}},
    {0, 0x38, {0x0C, 0x79, 0x81, 0x60, 0x0C, 0x7A, 0x85, 0xA7}},
};

struct Worked {
    const char* name;
    CardImage image;
    std::int32_t number, start_number, start, finish, check, clear;
    std::vector<CardPunch> punches;
    int long_code;
    Bytes blocks;  // read after block 0
};

std::vector<Worked> worked_cards() {
    using F = CardFamily;
    std::vector<Worked> w;
    w.push_back(
        {"card 5",
         image_of(F::k5,
                  {{0, 0x00, {0xAA, 0x29, 0x00, 0x01, 0x1F, 0x40, 0x03}},
                   {0, 0x10, {0xEE, 0x00, 0x2A, 0x90, 0x24, 0x0E, 0xA6, 0x04, 0xEE, 0x8D, 0xCC}},
                   {0, 0x20, {0x00, 0x1F, 0x91, 0x5A, 0x2D, 0x96, 0x41, 0x64, 0x0D, 0xAC}},
                   {0, 0x30, {0x00}},
                   {0, 0x40, {0x00}},
                   {0, 0x50, {0x00}},
                   {0, 0x60, {0x00}},
                   {0, 0x70, {0x00}}}),
         308000,
         42,
         hms(10, 15, 0),
         hms(13, 2, 30),
         hms(10, 5, 0),
         0,
         {{31, hms(10, 20, 10)}, {45, hms(10, 41, 5)}, {100, hms(12, 58, 20)}},
         0,
         {}});
    w.push_back({"card 6",
                 image_of(F::k6, {{0, 0x0A, {0x00, 0x09, 0x57, 0xF9}},
                                  {0,
                                   0x12,
                                   {0x02, 0x03, 0x0D, 0x00, 0x26, 0xB6, 0x0D, 0x00, 0x1C, 0x20,
                                    0x0D, 0x00, 0x1A, 0xF4}},
                                  {0, 0x20, {0x0D, 0x00, 0x19, 0xC8}},
                                  {6, 0x00, {0x0D, 0x1F, 0x1E, 0x78, 0x0D, 0x20, 0x20, 0xEF}}}),
                 612345,
                 0,
                 hms(14, 0, 0),
                 hms(14, 45, 10),
                 hms(13, 55, 0),
                 hms(13, 50, 0),
                 {{31, hms(14, 10, 0)}, {32, hms(14, 20, 31)}},
                 0,
                 {6}});
    std::vector<CardPunch> star;
    for (int k = 0; k < 34; ++k) star.push_back({50 + k, hms(9, 1 + k, 0)});
    w.push_back(
        {"card 6*", card6_star(), 16711700, 0, hms(9, 0, 0), hms(9, 40, 0), 0, 0, star, 0, {6, 7}});
    w.push_back({"card 9",
                 image_of(F::k9, kCard9Rows),
                 1050000,
                 0,
                 hms(9, 0, 0),
                 hms(9, 50, 0),
                 hms(8, 55, 0),
                 0,
                 {{121, hms(9, 12, 0)}, {122, hms(9, 30, 15)}},
                 0,
                 {}});
    CardImage card8 = image_of(F::k8, kCard9Rows);
    for (auto [at, b] : std::map<int, std::uint8_t>{{0x16, 0x01},
                                                    {0x18, 0x02},
                                                    {0x19, 0x20},
                                                    {0x1A, 0x0B},
                                                    {0x1B, 0x20},
                                                    {0x10, 0xEE},
                                                    {0x11, 0xEE},
                                                    {0x12, 0xEE},
                                                    {0x13, 0xEE}})
        card8.block[0][at] = b;
    const std::uint8_t p150[] = {0x0C, 0x96, 0x85, 0x98};
    std::copy(p150, p150 + 4, card8.block[1].begin() + 8);
    w.push_back({"card 8",
                 card8,
                 2100000,
                 0,
                 hms(9, 0, 0),
                 0,
                 hms(8, 55, 0),
                 0,
                 {{150, hms(9, 30, 0)}},
                 0,
                 {1}});
    w.push_back({"p-card",
                 image_of(F::kP, {{0, 0x0C, {0x0D, 0x00, 0x54, 0x60, 0x0D, 0x00, 0x5B, 0x68}},
                                  {0, 0x16, {0x02, 0xEE, 0x04, 0x3E, 0x8F, 0xA0}},
                                  {1, 0x30, {0x0D, 0x3D, 0x56, 0xB8, 0x0D, 0x3E, 0x59, 0x15}}}),
                 4100000,
                 0,
                 hms(18, 0, 0),
                 hms(18, 30, 0),
                 0,
                 0,
                 {{61, hms(18, 10, 0)}, {62, hms(18, 20, 5)}},
                 0,
                 {1}});
    w.push_back({"t-card",
                 image_of(F::kT, {{0, 0x0C, {0x0C, 0x00, 0x70, 0x80, 0x0C, 0x00, 0x7B, 0x0C}},
                                  {0, 0x16, {0x02, 0xEE, 0x06, 0x5D, 0x14, 0x20}},
                                  {0,
                                   0x38,
                                   {0x47, 0x01, 0x23, 0x61, 0x64, 0x72, 0xD8, 0x40, 0x48, 0x01,
                                    0x23, 0x61, 0x64, 0x77, 0x88, 0x40}}}),
                 6100000,
                 0,
                 hms(8, 0, 0),
                 hms(8, 45, 0),
                 0,
                 0,
                 {{71, hms(8, 10, 0)}, {72, hms(8, 30, 0)}},
                 0,
                 {}});
    w.push_back(
        {"card 10",
         image_of(
             F::k10,
             {{0, 0x08, {0x0C, 0x07, 0x98, 0x58, 0x0C, 0x00, 0x9A, 0xB0, 0x0D, 0x00, 0x02, 0x58}},
              {0, 0x16, {0x21, 0xEE, 0x0F, 0x6C, 0x56, 0x60}},
              {4, 0x00, {0x0C, 0x1F, 0x9B, 0x28, 0x4C, 0x2C, 0x9B, 0xA0, 0x0C, 0x21, 0x9C, 0x18}},
              {4,
               0x70,
               {0x0C, 0x3B, 0xA8, 0x48, 0x0D, 0x3C, 0x00, 0x00, 0x0D, 0x3D, 0x00, 0x78, 0x0D, 0x3E,
                0x00, 0xF0}},
              {5, 0x00, {0x0D, 0x3F, 0x01, 0x68}}}),
         7100000,
         0,
         hms(11, 0, 0),
         hms(12, 10, 0),
         hms(10, 50, 0),
         0,
         {{31, hms(11, 2, 0)},
          {300, hms(11, 4, 0)},
          {33, hms(11, 6, 0)},
          {59, hms(11, 58, 0)},
          {60, hms(12, 0, 0)},
          {61, hms(12, 2, 0)},
          {62, hms(12, 4, 0)},
          {63, hms(12, 6, 0)}},
         300,
         {4, 5}});
    w.push_back({"card 11",
                 image_of(F::k11, {{0, 0x0C, {0x0D, 0x00, 0x2A, 0x30, 0x0D, 0x00, 0x2E, 0xE0}},
                                   {0, 0x16, {0x01, 0xEE, 0x0F, 0x8A, 0xDA, 0xE0}},
                                   {4, 0x00, {0x0D, 0x21, 0x2C, 0x88}}}),
                 9100000,
                 0,
                 hms(15, 0, 0),
                 hms(15, 20, 0),
                 0,
                 0,
                 {{33, hms(15, 10, 0)}},
                 0,
                 {4}});
    w.push_back(
        {"active card",
         image_of(
             F::kActive,
             {{0, 0x08, {0x0D, 0x05, 0x6B, 0xC6, 0xEE, 0xEE, 0xEE, 0xEE, 0x8B, 0x32, 0x78, 0x22}},
              {0, 0x16, {0x01, 0xEE, 0x0F, 0x7B, 0x98, 0xA0}},
              {4, 0x00, {0x0B, 0x93, 0x6D, 0xD2}}}),
         8100000,
         0,
         0,
         hms(20, 32, 34),
         hms(19, 39, 50),
         0,
         {{147, hms(19, 48, 34)}},
         0,
         {4}});
    return w;
}

TEST(CardDecoders, WorkedCards) {
    CardDecodeOptions options;
    options.competition_start = hms(10, 0, 0);
    for (const Worked& w : worked_cards()) {
        SCOPED_TRACE(w.name);
        WholeCard card;
        ASSERT_TRUE(decode_card_image(w.image, options, card));
        const CardReadout& r = card.readout;
        EXPECT_EQ(card.family, w.image.family);
        EXPECT_EQ(r.card_number, w.number);
        EXPECT_EQ(r.start_number, w.start_number);
        EXPECT_EQ(r.start.time, w.start);
        EXPECT_EQ(r.finish.time, w.finish);
        EXPECT_EQ(card.check_time, w.check);
        EXPECT_EQ(card.clear_time, w.clear);
        ASSERT_EQ(card.punches.size(), w.punches.size());
        ASSERT_EQ(r.punch_count, static_cast<int>(w.punches.size()));
        for (std::size_t k = 0; k < w.punches.size(); ++k) {
            EXPECT_EQ(card.punches[k].code, w.punches[k].code) << k;
            EXPECT_EQ(card.punches[k].time, w.punches[k].time) << k;
            EXPECT_EQ(r.punches[k].code, w.punches[k].code % 256) << k;
            EXPECT_EQ(r.punches[k].time, w.punches[k].time) << k;
        }
        EXPECT_EQ(r.punches[w.punches.size()].code, 0);
        EXPECT_EQ(card.long_code, w.long_code);
        BlockList blocks = blocks_for_punches(w.image.family, image_punch_count(w.image, false));
        EXPECT_EQ(Bytes(blocks.blocks, blocks.blocks + blocks.count), w.blocks);

        // A block the punch count needs that was not read: nothing is decoded.
        if (blocks.count > 0) {
            CardImage missing = w.image;
            missing.have =
                static_cast<std::uint8_t>(missing.have & ~(1u << blocks.blocks[blocks.count - 1]));
            EXPECT_FALSE(decode_card_image(missing, options, card));
        }
    }
}

TEST(CardDecoders, RefusesWrongSeriesAndDamagedCounts) {
    CardDecodeOptions options;
    CardImage card9 = image_of(CardFamily::k9, kCard9Rows);
    WholeCard out;
    CardImage wrong = card9;
    wrong.block[0][0x18] = 0x0F;  // a card 9's number with the series of cards 10/11
    EXPECT_FALSE(decode_card_image(wrong, options, out));
    CardImage other = card9;
    other.family = CardFamily::k8;  // announced as another family
    EXPECT_FALSE(decode_card_image(other, options, out));
    // A count past the family's most (50): the punches of 50 records are looked at, no more.
    CardImage full = card9;
    full.block[0][0x16] = 0xFF;
    for (int i = 2; i < 60; ++i) {
        int address = 0x38 + 4 * i, t = 36000 + i;
        std::uint8_t* rec = &full.block[address / 128][address % 128];
        if (address / 128 > 1) break;
        rec[0] = 0x0C, rec[1] = 40, rec[2] = std::uint8_t(t >> 8), rec[3] = std::uint8_t(t);
    }
    ASSERT_TRUE(decode_card_image(full, options, out));
    EXPECT_EQ(out.punches.size(), 50u);
}

// Card 10 with `n` punches (codes 31.., one a minute from 10:00:00) and a multi-day jump.
CardImage card10(int n) {
    CardImage im =
        image_of(CardFamily::k10, {{0, 0x16, {std::uint8_t(n), 0xEE, 0x0F, 0x6C, 0x56, 0x60}}});
    for (int i = 0; i < n; ++i) {
        int t = 36000 + 60 * i, pm = t >= 43200;
        t -= 43200 * pm;
        std::uint8_t* rec = &im.block[4 + i / 32][4 * (i % 32)];
        rec[0] = std::uint8_t(0x0C | pm), rec[1] = std::uint8_t(31 + i),
        rec[2] = std::uint8_t(t >> 8), rec[3] = std::uint8_t(t);
    }
    return im;
}

TEST(CardDecoders, MoreThan64PunchesKeepsTheFirst64InTheReadout) {
    CardDecodeOptions options;
    WholeCard out;
    ASSERT_TRUE(decode_card_image(card10(128), options, out));
    EXPECT_EQ(out.punches.size(), 128u);
    EXPECT_TRUE(out.shortened());
    EXPECT_EQ(out.readout.punch_count, 64);
    EXPECT_EQ(out.readout.punches[63].code, 31 + 63);
    EXPECT_EQ(out.punches[127].time, hms(10, 127, 0));
    EXPECT_EQ(out.long_code, 0);

    // Card 6 reads 64 punches, or 192 with the station's "192 punches" setting.
    CardImage six = card6_star();
    six.family = CardFamily::k6;
    six.block[0][0x0B] = 0x09;  // a card 6 number
    six.block[0][0x12] = 100;
    EXPECT_EQ(image_punch_count(six, false), 64);
    EXPECT_EQ(image_punch_count(six, true), 100);

    // The 24-hour roll-over of a multi-day event, after the afternoon bits.
    CardImage late = card10(2);
    std::uint8_t p2[4] = {0x0D, 32, 0xA8, 0xBC};  // 23:59:00 ... then
    std::copy(p2, p2 + 4, late.block[4].begin());
    std::uint8_t p3[4] = {0x0C, 33, 0x00, 0x3C};  // 00:01:00
    std::copy(p3, p3 + 4, late.block[4].begin() + 4);
    std::uint8_t finish[4] = {0x0C, 0x00, 0x01, 0x2C};  // 00:05:00
    std::copy(finish, finish + 4, late.block[0].begin() + 0x10);
    options.multi_day = true;
    ASSERT_TRUE(decode_card_image(late, options, out));
    EXPECT_EQ(out.readout.punches[1].time, hms(24, 1, 0));
    EXPECT_EQ(out.readout.finish.time, hms(24, 5, 0));
}

// A card of 128 punches and long codes is journaled whole, entered once after a crash, and
// kept whole (never entered again) across the saves that empty the journal.
TEST(CardJournalWholeCards, KeptWholeAcrossSaves) {
    CardImage im = card10(128);
    im.block[4][0] |= 0x80;  // punch 1: code 31 + 512
    WholeCard card;
    ASSERT_TRUE(decode_card_image(im, {}, card));
    StationEvent e;
    e.card = card.readout;
    e.extras = card;
    JournalEntry entry = JournalEntry::from(e);
    EXPECT_EQ(entry.kind, JournalEntry::Kind::kWholeCard);
    std::vector<JournalEntry> back = decode_journal(encode_journal_entry(entry));
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].extras.punches.size(), 128u);
    EXPECT_EQ(back[0].extras.punches[0].code, 543);
    EXPECT_EQ(back[0].extras.long_code, 543);
    EXPECT_EQ(back[0].extras.punches[127].time, hms(12, 7, 0));
    EXPECT_EQ(back[0].card.punch_count, 64);
    EXPECT_EQ(back[0].extras.family, CardFamily::k10);

    test::PunchFixture f;
    EXPECT_EQ(replay_journal(f.c, back).cards, 1);
    EXPECT_EQ(replay_journal(f.c, back).already_there, 1);

    auto dir = std::filesystem::temp_directory_path() / "skarvel_whole_card_journal";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::string file = (dir / "race.wdb").string();
    CardJournal journal;
    ASSERT_TRUE(journal.open(file));
    journal.append(entry);
    StationEvent plain;
    plain.card.card_number = 12345;
    journal.append(JournalEntry::from(plain));
    ASSERT_TRUE(journal.flush());
    // A save holding both cards: the plain card leaves the journal, the whole card stays as an
    // archive entry, which a replay passes over.
    ASSERT_TRUE(journal.drop_first(journal_path_for(file), journal.size(), {}));
    auto kept = read_journal(journal_path_for(file));
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].kind, JournalEntry::Kind::kCardArchive);
    EXPECT_EQ(kept[0].extras.punches.size(), 128u);
    test::PunchFixture empty;
    EXPECT_EQ(replay_journal(empty.c, kept).cards, 0);
    ASSERT_TRUE(journal.clear());
    EXPECT_EQ(read_journal(journal_path_for(file)).size(), 1u);
    journal.close();
    std::filesystem::remove_all(dir);
}

TEST(StationClock, WorkedReply) {
    const std::uint8_t d[] = {0x18, 0x05, 0x12, 0x0D, 0x1D, 0x53, 0x80};
    StationClock c = decode_station_clock(d);
    EXPECT_EQ(c.year, 2024);
    EXPECT_EQ(c.month, 5);
    EXPECT_EQ(c.day, 18);
    EXPECT_EQ(c.weekday, 6);
    EXPECT_EQ(c.time, hms(14, 5, 7) + 50);
}

// --- Whole reads over a scripted line -------------------------------------------------------

constexpr StationLinkTiming kLine{200, 10, 0, 0};
const Bytes kCode = {0x00, 0x0A};

// A handshake station on a fake line: answers the start-up and the card reads of `cards`
// (images by detection bytes), with faults by request.
struct FakeStation {
    FakeSerialPort port;
    std::uint8_t protocol = 0x05;    // extended, handshake
    std::map<int, CardImage> cards;  // by announced number
    int current = 0;
    std::map<std::string, int> bad_replies;  // request (bytes) -> replies sent damaged
    Bytes remove_on;                         // request answered by E7 (the card pulled out)
    std::vector<Bytes> requests;

    FakeStation() {
        port.responder = [this](const Bytes& w, FakeSerialPort& p) { answer(w, p); };
    }
    Bytes data(const Bytes& rest) {
        Bytes d = kCode;
        d.insert(d.end(), rest.begin(), rest.end());
        return d;
    }
    void answer(const Bytes& w, FakeSerialPort& p) {
        if (w == Bytes{0x06}) current = 0;
        if (w.size() < 4 || w[0] != 0xFF) return;
        requests.push_back(w);
        Bytes args(w.begin() + 4, w.end() - 3);
        std::uint8_t cmd = w[2];
        if (!remove_on.empty() && w == remove_on) {
            // Pulled out, and put in again.
            p.queue(station_frame(0xE7, data({0x00, 0x00, 0x00, 0x00})));
            p.queue(station_frame(0xE8, data({0x0F, 0x6C, 0x56, 0x60})));
            remove_on.clear();
            return;
        }
        Bytes reply;
        if (cmd == 0xF0) reply = station_frame(0xF0, data({0x4D}));
        if (cmd == 0x83) {
            std::uint8_t v = args[0] == 0x74 ? protocol : args[0] == 0x71 ? 0x05 : 0xC1;
            reply = station_frame(0x83, data({args[0], v}));
        }
        auto it = cards.find(current);
        if ((cmd == 0xEF || cmd == 0xE1 || cmd == 0xB1) && it != cards.end()) {
            Bytes block;
            if (cmd != 0xB1) block.push_back(args[0]);
            const CardBlock& b = it->second.block[cmd == 0xB1 ? 0 : args[0]];
            block.insert(block.end(), b.begin(), b.end());
            reply = station_frame(cmd, data(block));
            if (int& bad = bad_replies[std::string(w.begin(), w.end())]; bad > 0) {
                --bad;
                reply[20] ^= 0x01;
            }
        }
        if (reply.empty()) reply = {0x15};
        p.queue(reply);
    }
};

ReadOptions extended_options(std::uint8_t protocol) {
    ReadOptions o;
    o.station.answered = o.station.settings_read = true;
    o.station.protocol = protocol;
    o.station.mode = kStationModeReadout;
    return o;
}

TEST(ExtendedReading, StartUpLearnsTheStationsSettings) {
    FakeStation station;
    StationLink link(station.port, kLine);
    StationSetup setup = start_station(link, 38400);
    EXPECT_TRUE(setup.extended());
    EXPECT_FALSE(setup.autosend());
    EXPECT_TRUE(setup.readout_mode());
    EXPECT_FALSE(setup.card6_192());
    EXPECT_EQ(setup.station_code, 0x000A);
    ASSERT_EQ(station.requests.size(), 4u);
    EXPECT_EQ(station.requests[0], (Bytes{0xFF, 0x02, 0xF0, 0x01, 0x4D, 0x6D, 0x0A, 0x03}));
    EXPECT_EQ(station.requests[1], (Bytes{0xFF, 0x02, 0x83, 0x02, 0x74, 0x01, 0x04, 0x14, 0x03}));

    // A silent line: no station answered, the basic protocol reads as before.
    FakeSerialPort quiet;
    StationLink silent(quiet, kLine);
    StationSetup none = start_station(silent, 4800);
    EXPECT_FALSE(none.answered);
    EXPECT_FALSE(none.extended());
}

TEST(ExtendedReading, HandshakeReadOfTheWorkedCard9) {
    FakeStation station;
    station.cards[1050000] = image_of(CardFamily::k9, kCard9Rows);
    station.current = 1050000;
    // The note's transcript: the card goes in, block 0 is asked for, the card is acknowledged.
    station.port.queue({0x02, 0xE8, 0x06, 0x00, 0x0A, 0x01, 0x10, 0x05, 0x90, 0x0F, 0x27, 0x03});
    StationLink link(station.port, kLine);
    std::vector<WholeCard> read;
    CardReaderHooks hooks;
    hooks.whole_card_read = [&](const WholeCard& c) {
        read.push_back(c);
        return false;
    };
    EXPECT_EQ(run_card_reader(link, extended_options(0x05), hooks), 1);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].readout.card_number, 1050000);
    EXPECT_EQ(read[0].family, CardFamily::k9);
    ASSERT_EQ(station.port.writes.size(), 2u);
    EXPECT_EQ(station.port.writes[0], (Bytes{0xFF, 0x02, 0xEF, 0x01, 0x00, 0xE2, 0x09, 0x03}));
    EXPECT_EQ(station.port.writes[1], (Bytes{0x06}));
    // The block reply carries the note's check value.
    const CardBlock& b0 = station.cards[1050000].block[0];
    Bytes reply = {0xEF, 0x83, 0x00, 0x0A, 0x00};
    reply.insert(reply.end(), b0.begin(), b0.end());
    EXPECT_EQ(station_crc16(reply.data(), reply.size()), 0xB67E);
}

// Detection bytes of an E8 card.
Bytes e8(std::int32_t number, std::uint8_t series) {
    return station_frame(0xE8, {0x00, 0x0A, series, std::uint8_t(number >> 16),
                                std::uint8_t(number >> 8), std::uint8_t(number)});
}
Bytes e7(std::int32_t number) {
    return station_frame(0xE7, {0x00, 0x0A, 0x00, std::uint8_t(number >> 16),
                                std::uint8_t(number >> 8), std::uint8_t(number)});
}

// A line that closes once it has stayed empty for a while: the reader then ends.
struct DryingPort : FakeSerialPort {
    DryingPort() { close_when_dry = 20; }
};

struct ReaderRun {
    std::vector<WholeCard> read;
    std::vector<ReaderNotice> notices;
    CardReaderHooks hooks;
    ReaderRun() {
        hooks.whole_card_read = [this](const WholeCard& c) {
            read.push_back(c);
            return true;
        };
        hooks.notice = [this](const ReaderNotice& n) { notices.push_back(n); };
    }
};

TEST(ExtendedReading, HandshakeFaults) {
    // A damaged block is asked for once more; a card pulled out halfway gives nothing and is
    // read whole when it comes back; a repeated announcement of the card just read is passed
    // over; a card of no family is told and not read.
    FakeStation station;
    DryingPort port;
    port.responder = [&](const Bytes& w, FakeSerialPort& p) {
        station.answer(w, p);
        if (w == Bytes{0x06}) {
            p.queue(e8(7100000, 0x0F));
            p.queue(e8(3000001, 0x0F));
        }
    };
    station.cards[7100000] = card10(40);
    station.current = 7100000;
    const Bytes block0 = extended_command(0xEF, {0x00}), block4 = extended_command(0xEF, {0x04}),
                block5 = extended_command(0xEF, {0x05});
    station.bad_replies[std::string(block4.begin(), block4.end())] = 1;
    station.remove_on = block5;
    port.queue(e8(7100000, 0x0F));
    StationLink link(port, kLine);
    ReaderRun run;
    run_card_reader(link, extended_options(0x05), run.hooks);

    ASSERT_EQ(run.read.size(), 1u);
    EXPECT_EQ(run.read[0].punches.size(), 40u);
    EXPECT_EQ(run.read[0].readout.punches[39].code, 31 + 39);
    EXPECT_EQ(port.writes,
              (std::vector<Bytes>{block0, block4, block4, block5, block0, block4, block5, {0x06}}));
    ASSERT_EQ(run.notices.size(), 1u);
    EXPECT_EQ(run.notices[0].kind, ReaderNotice::Kind::kUnknownCard);
    EXPECT_EQ(run.notices[0].card_number, 3000001);
}

TEST(ExtendedReading, AutosendTakesTheBlocksAsTheyComeAndDropsDamagedCards) {
    DryingPort port;
    auto blocks = [&](const CardImage& im, std::uint8_t cmd, std::initializer_list<int> list,
                      int damaged = -1) {
        for (int b : list) {
            Bytes d = kCode;
            d.push_back(std::uint8_t(b));
            d.insert(d.end(), im.block[b].begin(), im.block[b].end());
            Bytes f = station_frame(cmd, d);
            if (b == damaged) f[40] ^= 0x40;
            port.queue(f);
        }
    };
    CardImage ten = card10(40);
    blocks(ten, 0xEF, {0, 4, 5, 6, 7});
    blocks(ten, 0xEF, {0, 4, 5, 6, 7}, 5);  // the same card again, block 5 damaged
    CardImage nine = image_of(CardFamily::k9, kCard9Rows);
    port.queue(e8(1050000, 0x01));
    blocks(nine, 0xEF, {0, 1});
    port.queue(e7(1050000));
    StationLink link(port, kLine);
    ReaderRun run;
    run_card_reader(link, extended_options(0x07), run.hooks);
    ASSERT_EQ(run.read.size(), 2u);
    EXPECT_EQ(run.read[0].readout.card_number, 7100000);
    EXPECT_EQ(run.read[0].punches.size(), 40u);
    EXPECT_EQ(run.read[1].readout.card_number, 1050000);
    ASSERT_EQ(run.notices.size(), 1u);
    EXPECT_EQ(run.notices[0].kind, ReaderNotice::Kind::kReinsert);
    EXPECT_EQ(run.notices[0].card_number, 7100000);
    EXPECT_TRUE(port.writes.empty());  // autosend: nothing asked, nothing acknowledged
}

// Pseudo-random lines made of good frames of every kind, damaged now and then, and noise: the
// frame reader, decoders and reader must never crash or read outside a block.
TEST(ExtendedHostileInput, RandomLinesNeverCrash) {
    Rand15 rng;
    auto c = test::fuzz_competition();
    const std::uint8_t cmds[] = {0xE5, 0xE6, 0xE8, 0xE7, 0xB1, 0xE1, 0xEF, 0xF0, 0x83, 0x15};
    for (int run = 0; run < 200; ++run) {
        Bytes line = {std::uint8_t(rng.next())};
        while (line.size() < 3000) {
            std::uint8_t cmd = cmds[rng.next() % sizeof cmds];
            Bytes data = {0x00, 0x0A};
            int n = cmd == 0xB1 ? 128 : cmd == 0xE1 || cmd == 0xEF ? 129 : 4;
            for (int i = 0; i < n; ++i)
                data.push_back(rng.next() % 3 ? std::uint8_t(rng.next()) : std::uint8_t(0xEE));
            if (n == 129) data[2] = std::uint8_t(rng.next() % 9);
            Bytes f = station_frame(cmd, data);
            if (rng.next() % 8 == 0) f[rng.next() % f.size()] ^= std::uint8_t(1 + rng.next() % 255);
            line.insert(line.end(), f.begin(), f.end());
            if (rng.next() % 4 == 0) line.push_back(std::uint8_t(rng.next()));
        }
        test::fuzz_extended_input(*c, line.data(), line.size());
    }
    SUCCEED();
}

}  // namespace
}  // namespace skarvel
