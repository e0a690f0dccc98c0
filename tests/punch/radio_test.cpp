// Radio control messages: records, the listing line, the finish time rules, what a record
// makes in the competition, and the reader's command cycle against a scripted modem.
#include <gtest/gtest.h>

#include "core/time_text.h"
#include "punch/card_journal.h"
#include "punch/radio_message.h"
#include "punch/radio_reader.h"
#include "tests/punch/fake_serial_port.h"
#include "tests/punch/punch_fixture.h"

namespace skarvel {
namespace {

using test::hms;

// A message as a modem lists it: 54 characters of header, then the records.
std::string message(std::initializer_list<std::string_view> records) {
    std::string m(kRadioRecordsAt, '0');
    for (auto r : records) m += r;
    return m;
}

TEST(RadioRecord, Fields) {
    struct Case {
        std::string_view text;
        bool ok;
        int control;
        std::int32_t seconds, card;
    } cases[] = {
        {"1F8CA0AA0F4240", true, 31, 36000, 1000000},
        {"010000AA000001", true, 1, 0, 1},
        {"ffffffAAffffff", true, 255, 65535, 16777215},
        {"1F8CA0zz0F4240", true, 31, 36000, 1000000},  // characters 6-7 are not read
        {"1G8CA0AA0F4240", false, 0, 0, 0},
        {"1F8CA0AA0F424 ", false, 0, 0, 0},
        {"1F8CA0AA0F424", false, 0, 0, 0},  // short
    };
    for (const Case& c : cases) {
        auto r = parse_radio_record(c.text);
        ASSERT_EQ(r.has_value(), c.ok) << c.text;
        if (!r) continue;
        EXPECT_EQ(r->control, c.control) << c.text;
        EXPECT_EQ(r->seconds, c.seconds) << c.text;
        EXPECT_EQ(r->card_number, c.card) << c.text;
    }
}

TEST(RadioRecord, TimeWord) {
    struct Case {
        int control, seconds;
        std::int32_t competition_start, time;
    } cases[] = {
        {31, 36000, hms(9, 0, 0), hms(10, 0, 0)},
        {31, 0, hms(9, 0, 0), kDay - 1},           // 23:59:59,99
        {200, 3600, hms(9, 0, 0), hms(13, 0, 0)},  // 01:00:00 on a 12-hour clock
        {7, 32400, hms(9, 0, 0), hms(9, 0, 0)},
    };
    for (const Case& c : cases) {
        std::uint32_t w = radio_time_word({c.control, c.seconds, 1}, c.competition_start);
        EXPECT_EQ(static_cast<std::int32_t>(w & 0xFFFFFF), c.time) << c.seconds;
        EXPECT_EQ(static_cast<int>(w >> 24), c.control) << c.seconds;
    }
    EXPECT_EQ(format_time_text(kDay - 1, 2), "23:59:59,99");
}

TEST(RadioMessage, RecordsMarkAndDropped) {
    struct Case {
        std::string text;
        bool radio;
        int records, dropped;
    } cases[] = {
        {message({"1F8CA0AA0F4240"}), true, 1, 0},
        {message({"1F8CA0AA0F4240", "208CA1AA0F4241", "218CA2AA0F42"}), true, 2, 0},  // cut
        {message({"1F8CA0AA0F4240", "2X8CA1AA0F4241", "218CA2AA0F4242"}), true, 2, 1},
        {message({"1F8CA0BB0F4240"}), false, 0, 0},
        {message({"1F8CA0"}), false, 0, 0},
        {std::string(5000, 'A'), true, kRadioMaxRecords, 0},  // cut at 3000
        {"", false, 0, 0},
    };
    for (const Case& c : cases) {
        RadioMessage m = parse_radio_message(c.text);
        EXPECT_EQ(m.radio, c.radio) << c.text;
        EXPECT_EQ(static_cast<int>(m.records.size()), c.records) << c.text;
        EXPECT_EQ(m.dropped, c.dropped) << c.text;
    }
}

TEST(RadioMessage, ListingIndex) {
    struct Case {
        std::string_view line;
        std::optional<int> index;
    } cases[] = {
        {"+CMGL: 3,1,,24\r", 3},     {"+CMGL:12,0,,40", 12},
        {"+CMGL: 999999,1", 999999}, {"+CMGL: 1234567,1", std::nullopt},
        {"+CMGL: ,1", std::nullopt}, {"OK", std::nullopt},
        {"+CMGL", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(parse_listing_index(c.line), c.index) << c.line;
}

TEST(RadioMessage, StoreRecordMakesFinishLineAndReadout) {
    test::PunchFixture f;
    f.c.info.competition_start = hms(9, 0, 0);
    f.runner(1, 17, 1000000, 0);
    ScriptedPrompts prompts;
    struct Case {
        RadioRecord r;
        int start_number;
        std::int32_t time;
    } cases[] = {{{31, 36000, 1000000}, 17, hms(10, 0, 0)}, {{5, 0, 42}, 0, kDay - 1}};
    for (const Case& c : cases) {
        auto out = store_radio_record(f.c, c.r, prompts);
        ASSERT_NE(out.finish_slot, kNoSlot);
        ASSERT_NE(out.readout_slot, kNoSlot);
        const FinishLine& line = *f.c.tables.finish_lines[out.finish_slot];
        EXPECT_EQ(line.start_number, c.start_number);
        EXPECT_EQ(line.time(), c.time);
        EXPECT_EQ(line.time_word >> 24, static_cast<std::uint32_t>(c.r.control));
        const CardReadout& card = *f.c.tables.card_readouts[out.readout_slot];
        EXPECT_EQ(card.card_number, c.r.card_number);
        EXPECT_EQ(card.finish.time, c.time);
        EXPECT_EQ(card.punch_count, 0);
    }
}

// Journaled records come back after a crash, each once.
TEST(RadioMessage, JournalReplaysEachRecordOnce) {
    test::PunchFixture f;
    f.c.info.competition_start = hms(9, 0, 0);
    f.runner(1, 17, 1000000, 0);
    std::vector<std::uint8_t> bytes;
    for (RadioRecord r : {RadioRecord{31, 36000, 1000000}, RadioRecord{5, 0, 42}}) {
        auto b = encode_journal_entry(JournalEntry::radio_record(r));
        bytes.insert(bytes.end(), b.begin(), b.end());
    }
    std::vector<JournalEntry> entries = decode_journal(bytes);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].radio.card_number, 42);
    EXPECT_EQ(replay_journal(f.c, entries).cards, 2);
    EXPECT_EQ(replay_journal(f.c, entries).already_there, 2);
    ASSERT_EQ(f.c.tables.finish_lines.live_count(), 2);
    EXPECT_EQ(f.c.tables.finish_lines[0]->time_word, (31u << 24) | std::uint32_t(hms(10, 0, 0)));
    EXPECT_EQ(f.c.tables.finish_lines[0]->start_number, 17);
    EXPECT_EQ(f.c.tables.card_readouts.live_count(), 2);
}

// A modem that lists the given messages (first index 1) and deletes on request.
struct ScriptedModem {
    std::vector<std::string> held;
    std::vector<int> deleted;
    bool silent_listing = false;
    bool cut_once = false;  // the first listing falls silent in the middle of its message
    void operator()(const std::vector<std::uint8_t>& w, test::FakeSerialPort& port) {
        std::string cmd(w.begin(), w.end());
        auto say = [&](const std::string& s) {
            port.queue({s.begin(), s.end()});
            port.input.push_back(-1);
        };
        if (cmd == "\r") {
            if (silent_listing) return;  // the lead-in line never ends
            std::string out = "\r\r\n";
            for (std::size_t i = 0; i < held.size(); ++i)
                if (!held[i].empty())
                    out += "+CMGL: " + std::to_string(i + 1) + ",1,,40\r\n" + held[i] + "\r\n";
            if (cut_once) {
                cut_once = false;
                return say(out.substr(0, out.size() - 10));
            }
            say(out + "\r\nOK\r\n");
        } else if (cmd.rfind("AT+CMGD=", 0) == 0) {
            int index = std::atoi(cmd.c_str() + 8);
            deleted.push_back(index);
            if (index >= 1 && index <= static_cast<int>(held.size())) held[index - 1].clear();
        } else {
            say(cmd + "\r\nOK\r\n");
        }
    }
};

TEST(RadioReader, TakesDeletesAndKeepsForeignMessages) {
    test::FakeSerialPort port;
    ScriptedModem modem;
    modem.held = {"hello", message({"1F8CA0AA0F4240", "208CA1AA0F4241"}),
                  message({"2X8CA1AA0F4241"})};
    port.responder = [&modem](const auto& w, auto& p) { modem(w, p); };
    StationLink link(port);
    std::vector<RadioRecord> got;
    RadioReaderStats stats;
    int taken = run_radio_reader(
        link,
        [&](const RadioMessage& m) {
            got.insert(got.end(), m.records.begin(), m.records.end());
            return stats.messages < 2;
        },
        {0, 0}, &stats);
    EXPECT_EQ(taken, 2);
    EXPECT_EQ(modem.deleted, (std::vector<int>{2, 3}));  // "hello" stays on the modem
    EXPECT_EQ(modem.held[0], "hello");
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[1].card_number, 1000001);
    EXPECT_EQ(stats.foreign_kept, 1);
    EXPECT_EQ(stats.records_dropped, 1);
    EXPECT_EQ(port.writes[0],
              (std::vector<std::uint8_t>{kModemSelectStore.begin(), kModemSelectStore.end()}));
}

// A store of nothing but other messages is polled like an empty one, never read in a loop on
// one of them, and the reader still stops.
TEST(RadioReader, OnlyForeignMessagesAreListedAgainAndKept) {
    test::FakeSerialPort port;
    ScriptedModem modem;
    modem.held = {"hello", "world"};
    int listings = 0;
    port.responder = [&](const auto& w, auto& p) {
        modem(w, p);
        if (w.size() == 1 && ++listings == 3) p.close();
    };
    StationLink link(port);
    RadioReaderStats stats;
    EXPECT_EQ(run_radio_reader(link, nullptr, {0, 0}, &stats), 0);
    EXPECT_EQ(stats.cycles, 3);
    EXPECT_EQ(stats.foreign_kept, 2);
    EXPECT_TRUE(modem.deleted.empty());
}

TEST(RadioReader, MessageCutShortIsReadAgainNotDeleted) {
    test::FakeSerialPort port;
    ScriptedModem modem;
    modem.held = {message({"1F8CA0AA0F4240"})};
    modem.cut_once = true;
    port.responder = [&modem](const auto& w, auto& p) {
        modem(w, p);
        if (p.writes.size() > 100) p.close();  // a broken reader fails instead of hanging
    };
    StationLink link(port);
    int messages = 0;
    run_radio_reader(link, [&](const RadioMessage&) { return ++messages < 1; }, {0, 0});
    EXPECT_EQ(messages, 1);
    EXPECT_EQ(modem.deleted, std::vector<int>{1});
}

TEST(RadioReader, SilentListingStartsAgainAndStops) {
    test::FakeSerialPort port;
    ScriptedModem modem;
    modem.silent_listing = true;
    port.responder = [&](const auto& w, auto& p) {
        modem(w, p);
        if (modem.silent_listing && w.size() == 1 && port.writes.size() > 20) port.close();
    };
    StationLink link(port);
    RadioReaderStats stats;
    EXPECT_EQ(run_radio_reader(link, nullptr, {0, 0}, &stats), 0);
    EXPECT_GE(stats.listing_timeouts, 2);
}

}  // namespace
}  // namespace skarvel
