#include "punch/transponders.h"

#include <algorithm>
#include <cstdio>

#include "core/finish_results.h"
#include "core/time_text.h"
#include "punch/card_corrections.h"

namespace skarvel {

namespace {

constexpr std::uint8_t kLeadIn1 = 0x01;
constexpr std::uint8_t kLeadIn2 = 0x40;
constexpr std::uint8_t kEscape = 0x10;
constexpr char kLineFeed = '\n';
// Seconds a passing time may have: one day.
constexpr std::int32_t kDaySeconds = kDay / 100;

bool is_digit(char ch) {
    return ch >= '0' && ch <= '9';
}

// "seconds.ddd" -> centiseconds; nullopt unless it is exactly that and within one day.
std::optional<std::int32_t> parse_passing_time(std::string_view f) {
    const std::size_t point = f.find('.');
    if (point == std::string_view::npos || point == 0 || point > 5 || f.size() != point + 4)
        return std::nullopt;
    std::int32_t seconds = 0;
    for (std::size_t i = 0; i < point; ++i) {
        if (!is_digit(f[i])) return std::nullopt;
        seconds = seconds * 10 + (f[i] - '0');
    }
    std::int32_t digits = 0;
    for (std::size_t i = point + 1; i < f.size(); ++i) {
        if (!is_digit(f[i])) return std::nullopt;
        digits = digits * 10 + (f[i] - '0');
    }
    if (seconds >= kDaySeconds) return std::nullopt;
    return seconds * 100 + (digits / 10) % 100;
}

}  // namespace

std::optional<DecoderPassing> parse_decoder_record(std::string_view text) {
    if (text.size() > kDecoderRecordMax) return std::nullopt;
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    // The fourth tab-separated field.
    std::size_t begin = 0;
    for (int field = 1; field < 4; ++field) {
        const std::size_t tab = text.find('\t', begin);
        if (tab == std::string_view::npos) return std::nullopt;
        begin = tab + 1;
    }
    std::size_t end = text.find('\t', begin);
    if (end == std::string_view::npos) end = text.size();
    const std::optional<std::int32_t> time = parse_passing_time(text.substr(begin, end - begin));
    if (!time) return std::nullopt;

    const std::size_t open = text.find('\'', end);
    if (open == std::string_view::npos) return std::nullopt;
    const std::size_t close = text.find('\'', open + 1);
    if (close == std::string_view::npos) return std::nullopt;
    const std::string_view code = text.substr(open + 1, close - open - 1);
    if (code.size() < kTransponderCodeLength + 1) return std::nullopt;
    DecoderPassing p;
    p.time = *time;
    static constexpr int kTaken[kTransponderCodeLength] = {0, 1, 3, 4, 5, 6, 7};
    for (std::size_t i = 0; i < kTransponderCodeLength; ++i) {
        const char ch = code[kTaken[i]];
        // A control character (a NUL above all) can never be part of a comment.
        if (static_cast<unsigned char>(ch) < 0x20) return std::nullopt;
        p.code[i] = ch;
    }
    return p;
}

std::string encode_decoder_record(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    out += static_cast<char>(kLeadIn1);
    out += static_cast<char>(kLeadIn2);
    for (char ch : text) {
        // Every control character goes out escaped (the tabs too), the escape byte itself
        // above all; the reader takes the byte after an escape as it is.
        if (static_cast<unsigned char>(ch) < 0x20 && ch != kLineFeed)
            out += static_cast<char>(kEscape);
        out += ch;
    }
    out += kLineFeed;
    return out;
}

DecoderRead read_decoder_record(StationLink& link, std::string& text) {
    text.clear();
    bool found = false;
    for (int attempt = 0; attempt < kDecoderLeadInAttempts && !found; ++attempt) {
        link.read_failed = false;
        if (link.read_stuffed_byte() != kLeadIn1 || link.read_failed) {
            if (link.read_failed) return DecoderRead::kNothing;
            continue;
        }
        found = link.read_stuffed_byte() == kLeadIn2;
        if (link.read_failed) return DecoderRead::kNothing;
    }
    if (!found) return DecoderRead::kNothing;
    while (true) {
        const int b = link.read_stuffed_byte();
        if (link.read_failed) return DecoderRead::kBroken;
        if (b == kLineFeed) return DecoderRead::kRecord;
        if (text.size() >= kDecoderRecordMax) break;
        text += static_cast<char>(b);
    }
    // Too long: the rest of the line goes, so the next record starts clean.
    while (true) {
        const int b = link.read_stuffed_byte();
        if (link.read_failed || b == kLineFeed) break;
    }
    return DecoderRead::kBroken;
}

void run_transponder_reader(StationLink& link,
                            const std::function<bool(const DecoderPassing&)>& passing,
                            DecoderReaderStats& stats, int idle_ms) {
    std::string text;
    text.reserve(kDecoderRecordMax);
    while (!link.stop_requested() && link.port().is_open()) {
        const DecoderRead r = read_decoder_record(link, text);
        if (r == DecoderRead::kNothing) {
            link.pause_ms(idle_ms);
            continue;
        }
        const std::optional<DecoderPassing> p =
            r == DecoderRead::kRecord ? parse_decoder_record(text) : std::nullopt;
        if (!p) {
            ++stats.dropped;
            continue;
        }
        ++stats.passings;
        if (passing && !passing(*p)) break;
    }
}

Runner* runner_by_transponder(Competition& c, std::string_view code) {
    auto& t = c.tables.runners;
    for (int i = 0; i < t.used_end(); ++i) {
        Runner* r = t[i];
        if (r && field_text(r->comment) == code) return r;
    }
    return nullptr;
}

std::int32_t passing_time(std::int32_t decoder_time, std::int32_t shift, int precision) {
    std::int64_t t = (std::int64_t(decoder_time) + shift) % kDay;
    if (t < 0) t += kDay;
    if (precision == 0) t -= t % 100;
    if (precision == 1) t -= t % 10;
    return static_cast<std::int32_t>(t);
}

FinishLine passing_line(Competition& c, const DecoderPassing& p) {
    FinishLine line;
    const Runner* owner = runner_by_transponder(c, p.code_text());
    line.start_number = static_cast<std::int16_t>(owner ? owner->start_number : 0);
    line.time_word = static_cast<std::uint32_t>(
                         passing_time(p.time, c.info.amb_time_shift, c.info.time_precision)) &
                     0xFFFFFF;
    return line;
}

PassingOutcome store_passing(Competition& c, const DecoderPassing& p, bool recompute) {
    PassingOutcome out;
    const FinishLine made = passing_line(c, p);
    out.start_number = made.start_number;
    out.time = made.time();
    auto& t = c.tables.finish_lines;
    int last = -1;
    for (int i = t.live_count() - 1; i >= 0; --i)
        if ((t[i]->time() != 0 || t[i]->start_number != 0) && !t[i]->row.foreign) {
            last = i;
            break;
        }
    int slot = last + 1;
    while (t[slot] && t[slot]->row.foreign) ++slot;  // filled where they were prepared
    if (!t[slot]) slot = c.new_record(kFinishLines);
    out.slot = slot;
    if (slot == kNoSlot) return out;
    FinishLine& line = *t[slot];
    line.start_number = made.start_number;
    line.time_word = made.time_word;
    if (recompute) finish_data_changed(c);
    return out;
}

std::string format_amb_shift(std::int32_t shift) {
    const std::int64_t magnitude = shift < 0 ? -std::int64_t(shift) : shift;
    const std::int64_t seconds = magnitude / 100;
    char buf[40];
    std::snprintf(buf, sizeof buf, "%s%02lld:%02lld:%02lld,%02lld", shift < 0 ? "-" : "",
                  static_cast<long long>(seconds / 3600), static_cast<long long>(seconds / 60 % 60),
                  static_cast<long long>(seconds % 60), static_cast<long long>(magnitude % 100));
    return buf;
}

std::optional<std::int32_t> parse_amb_shift(std::string_view text) {
    // The shift as a punch-time shift reads it, with hundredths after a comma.
    std::int32_t hundredths = 0;
    if (const std::size_t comma = text.find(','); comma != std::string_view::npos) {
        std::string_view f = text.substr(comma + 1);
        while (!f.empty() && f.back() == ' ') f.remove_suffix(1);
        if (f.empty() || f.size() > 2 || !is_digit(f[0]) || (f.size() == 2 && !is_digit(f[1])))
            return std::nullopt;
        hundredths = f.size() == 1 ? f[0] - '0' : (f[0] - '0') * 10 + (f[1] - '0');
        text = text.substr(0, comma);
    }
    const std::optional<std::int32_t> whole = parse_time_shift(text);
    // A shift of a day or more means nothing for a time of day.
    if (!whole || *whole <= -kDay || *whole >= kDay) return std::nullopt;
    const bool negative = text.find('-') != std::string_view::npos;
    const std::int32_t shift = *whole + (negative ? -hundredths : hundredths);
    if (shift <= -kDay || shift >= kDay) return std::nullopt;
    return shift;
}

}  // namespace skarvel
