#include "punch/radio_message.h"

#include "core/finish_results.h"
#include "core/language.h"
#include "core/time_text.h"
#include "punch/readout.h"

namespace skarvel {

namespace {

int hex_digit(char ch) {
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    return -1;
}

// The value of `n` hexadecimal digits from `at`, or -1 when one of them is not one.
std::int32_t hex_value(std::string_view s, std::size_t at, std::size_t n) {
    std::int32_t v = 0;
    for (std::size_t i = at; i < at + n; ++i) {
        int d = hex_digit(s[i]);
        if (d < 0) return -1;
        v = v * 16 + d;
    }
    return v;
}

}  // namespace

std::optional<RadioRecord> parse_radio_record(std::string_view record) {
    if (record.size() < kRadioRecordSize) return std::nullopt;
    RadioRecord r;
    r.control = hex_value(record, 0, 2);
    r.seconds = hex_value(record, 2, 4);
    r.card_number = hex_value(record, 8, 6);
    if (r.control < 0 || r.seconds < 0 || r.card_number < 0) return std::nullopt;
    return r;
}

RadioMessage parse_radio_message(std::string_view text) {
    RadioMessage m;
    if (text.size() > kRadioMaxMessage) text = text.substr(0, kRadioMaxMessage);
    if (text.size() < kRadioMarkAt + 2 || text[kRadioMarkAt] != 'A' ||
        text[kRadioMarkAt + 1] != 'A')
        return m;
    m.radio = true;
    // The mark lies inside the first record, so a radio message always has room for one.
    std::size_t n = (text.size() - kRadioRecordsAt) / kRadioRecordSize;
    m.records.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        auto r = parse_radio_record(text.substr(kRadioRecordsAt + i * kRadioRecordSize));
        if (r)
            m.records.push_back(*r);
        else
            ++m.dropped;
    }
    return m;
}

std::optional<int> parse_listing_index(std::string_view line) {
    if (line.size() > kRadioMaxListing + 6) return std::nullopt;
    if (line.size() < 7 || line[0] != '+') return std::nullopt;
    std::size_t i = 6;
    while (i < line.size() && line[i] == ' ') ++i;
    int v = 0, digits = 0;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9' && digits < 7) {
        v = v * 10 + (line[i] - '0');
        ++digits;
        ++i;
    }
    if (digits == 0 || digits > 6) return std::nullopt;
    return v;
}

std::uint32_t radio_time_word(const RadioRecord& r, std::int32_t competition_start) {
    std::int32_t t = r.seconds * 100;
    if (t == 0) t = kDay - 1;
    if (t < competition_start) t += kTwelveHours;
    return (static_cast<std::uint32_t>(t) & 0xFFFFFFu) |
           (static_cast<std::uint32_t>(r.control & 0xFF) << 24);
}

namespace {

RadioRecordOutcome append_record(Competition& c, const RadioRecord& r, Prompts& prompts) {
    RadioRecordOutcome out;
    c.modified = true;
    out.time_word = radio_time_word(r, c.info.competition_start);
    const Runner* owner = runner_by_card(c, r.card_number);
    out.owner = owner;
    int fs = c.new_record(kFinishLines);
    if (fs == kNoSlot) {
        prompts.message(prompts.text(Txt::kNoMemoryForFinish));
    } else {
        FinishLine& line = *c.tables.finish_lines[fs];
        line.start_number = static_cast<std::int16_t>(owner ? owner->start_number : 0);
        line.time_word = out.time_word;
        out.finish_slot = fs;
    }
    int rs = c.new_record(kCardReadouts);
    if (rs == kNoSlot) {
        prompts.message(prompts.text(Txt::kNoMemoryForCards));
    } else {
        CardReadout& card = *c.tables.card_readouts[rs];
        card.card_number = r.card_number;
        card.finish.time = static_cast<std::int32_t>(out.time_word & 0xFFFFFFu);
        out.readout_slot = rs;
    }
    return out;
}

}  // namespace

RadioRecordOutcome store_radio_record(Competition& c, const RadioRecord& r, Prompts& prompts) {
    RadioRecordOutcome out = append_record(c, r, prompts);
    finish_data_changed(c);
    return out;
}

std::vector<RadioRecordOutcome> store_radio_message(Competition& c, const RadioMessage& m,
                                                    Prompts& prompts) {
    std::vector<RadioRecordOutcome> out;
    out.reserve(m.records.size());
    for (const RadioRecord& r : m.records) out.push_back(append_record(c, r, prompts));
    if (!out.empty()) finish_data_changed(c);
    return out;
}

}  // namespace skarvel
