#include "tools/station_sim/station_sim.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <thread>

#include "tools/station_sim/sim_main.h"

namespace skarvel::sim {

namespace {

constexpr std::int32_t kHalfDaySeconds = 43200;

// Seconds within the 12-hour dial and the afternoon bit of a time of day (days are dropped).
void dial(std::int32_t time, int& seconds12, int& afternoon) {
    int s = (time / 100) % 86400;
    afternoon = s >= kHalfDaySeconds;
    seconds12 = s % kHalfDaySeconds;
}

void put16(std::vector<std::uint8_t>& d, std::size_t at, int v) {
    d[at] = std::uint8_t((v >> 8) & 0xFF);
    d[at + 1] = std::uint8_t(v & 0xFF);
}
void put32(std::vector<std::uint8_t>& d, std::size_t at, std::uint32_t v) {
    d[at] = std::uint8_t(v >> 24);
    d[at + 1] = std::uint8_t(v >> 16);
    d[at + 2] = std::uint8_t(v >> 8);
    d[at + 3] = std::uint8_t(v);
}

std::vector<std::string> split(const std::string& s, char sep) {
    std::vector<std::string> out;
    std::string cur;
    for (char ch : s) {
        if (ch == sep) {
            out.push_back(cur);
            cur.clear();
        } else {
            cur += ch;
        }
    }
    out.push_back(cur);
    return out;
}

bool parse_int(const std::string& s, std::int32_t& v) {
    if (s.empty()) return false;
    char* end = nullptr;
    long x = std::strtol(s.c_str(), &end, 10);
    if (*end != 0 || x < 0 || x > 0x7FFFFFFF) return false;
    v = static_cast<std::int32_t>(x);
    return true;
}

// The family a card number belongs to (-1 for none).
int family_of_number(std::int32_t n) {
    if (n <= 0) return -1;
    if (n < 500000) return int(SimFamily::k5);
    if (n < 1000000 || (n >= 2003000 && n <= 2003999)) return int(SimFamily::k6);
    if (n >= 16711680 && n <= 16777215) return int(SimFamily::k6Star);
    switch (n < 10000000 ? n / 1000000 : 0) {
        case 1:
            return int(SimFamily::k9);
        case 2:
            return int(SimFamily::k8);
        case 4:
            return int(SimFamily::kP);
        case 6:
            return int(SimFamily::kT);
        case 7:
            return int(SimFamily::k10);
        case 8:
            return int(SimFamily::kActive);
        case 9:
            return int(SimFamily::k11);
        default:
            return -1;
    }
}

const char* const kFamilyNames[] = {"5", "6", "6*", "8", "9", "10", "11", "active", "p", "t"};

bool extended_only(SimFamily f) {
    return f != SimFamily::k5 && f != SimFamily::k6 && f != SimFamily::kT;
}

int family_max_punches(SimFamily f) {
    switch (f) {
        case SimFamily::k5:
            return 36;
        case SimFamily::k6:
        case SimFamily::k6Star:
            return 192;
        case SimFamily::k8:
            return 30;
        case SimFamily::k9:
            return 50;
        case SimFamily::kP:
            return 20;
        case SimFamily::kT:
            return 25;
        default:
            return 128;
    }
}

}  // namespace

bool parse_sim_family(const std::string& text, SimFamily& out) {
    for (int f = 0; f < int(std::size(kFamilyNames)); ++f)
        if (text == kFamilyNames[f]) {
            out = SimFamily(f);
            return true;
        }
    return false;
}

bool parse_sim_time(const std::string& text, std::int32_t& out) {
    if (text == "-") {
        out = -1;
        return true;
    }
    auto dot = text.find('.');
    std::string hms = text.substr(0, dot);
    std::int32_t cs = 0;
    if (dot != std::string::npos) {
        std::string frac = text.substr(dot + 1);
        if (frac.size() != 2 || !parse_int(frac, cs)) return false;
    }
    auto parts = split(hms, ':');
    if (parts.size() != 3) return false;
    std::int32_t h, m, s;
    if (!parse_int(parts[0], h) || !parse_int(parts[1], m) || !parse_int(parts[2], s)) return false;
    if (m > 59 || s > 59 || h > 200) return false;
    out = ((h * 60 + m) * 60 + s) * 100 + cs;
    return true;
}

SimScript script_of_readouts(const std::vector<CardReadout>& cards) {
    SimScript script;
    script.cards.reserve(cards.size());
    for (const CardReadout& c : cards) {
        SimCard s;
        s.type = 6;
        s.number = c.card_number;
        s.start = c.start.time != 0 ? c.start.time : -1;
        s.finish = c.finish.time != 0 ? c.finish.time : -1;
        for (int k = 0; k < c.held_punches(); ++k)
            s.punches.push_back({c.punches[k].code, c.punches[k].time});
        script.cards.push_back(std::move(s));
    }
    return script;
}

bool parse_script(const std::string& text, SimScript& out, std::string* error) {
    std::istringstream in(text);
    std::string line;
    int line_no = 0;
    // Cards only the extended protocol reads whole (checked once the station line is known).
    std::vector<std::pair<int, SimFamily>> needs_extended;
    auto fail = [&](const std::string& why) {
        if (error) *error = "line " + std::to_string(line_no) + ": " + why;
        return false;
    };
    while (std::getline(in, line)) {
        ++line_no;
        if (auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        std::string kind;
        if (!(words >> kind)) continue;
        std::vector<std::pair<std::string, std::string>> fields;
        std::string word;
        while (words >> word) {
            auto eq = word.find('=');
            if (eq == std::string::npos) return fail("expected key=value, got " + word);
            fields.emplace_back(word.substr(0, eq), word.substr(eq + 1));
        }
        if (kind == "station") {
            SimStation& st = out.station;
            for (auto& [k, v] : fields) {
                std::int32_t n;
                if (k == "protocol" && (v == "basic" || v == "extended")) {
                    st.extended = v == "extended";
                } else if (k == "send" && (v == "handshake" || v == "autosend")) {
                    st.autosend = v == "autosend";
                } else if (k == "mode") {
                    const char* names[] = {"", "",      "control", "start", "finish", "readout",
                                           "", "clear", "",        "",      "check"};
                    int m = -1;
                    for (int i = 0; i < int(std::size(names)); ++i)
                        if (v == names[i] && *names[i]) m = i;
                    if (m < 0 && (!parse_int(v, n) || n > 255))
                        return fail("mode is readout, control, start, finish, clear, check or N");
                    st.mode = std::uint8_t(m >= 0 ? m : n);
                } else if (k == "card6" && (v == "64" || v == "192")) {
                    st.card6_192 = v == "192";
                } else if (k == "code") {
                    if (!parse_int(v, n) || n > 0xFFFF) return fail("bad station code");
                    st.code = std::uint16_t(n);
                } else if (k == "date") {
                    auto parts = split(v, '-');
                    std::int32_t y, m, d;
                    if (parts.size() != 3 || !parse_int(parts[0], y) || !parse_int(parts[1], m) ||
                        !parse_int(parts[2], d) || y < 2000 || y > 2255 || m < 1 || m > 12 ||
                        d < 1 || d > 31)
                        return fail("date is YYYY-MM-DD");
                    st.year = y, st.month = m, st.day = d;
                } else if (k == "clock") {
                    if (!parse_sim_time(v, st.clock) || st.clock < 0 || st.clock >= 8640000)
                        return fail("bad clock");
                } else {
                    return fail(
                        "station takes protocol=basic|extended, send=handshake|autosend, "
                        "mode=, card6=64|192, code=, date=, clock=");
                }
            }
            continue;
        }
        if (kind == "card") {
            SimCard card;
            bool have_number = false, have_type = false, have_family = false;
            for (auto& [k, v] : fields) {
                std::int32_t n;
                if (k == "family") {
                    if (!parse_sim_family(v, card.family))
                        return fail("family is 5, 6, 6*, 8, 9, 10, 11, active, p or t");
                    have_family = true;
                } else if (k == "type") {
                    have_type = true;
                    if (!parse_int(v, n) || (n != 5 && n != 6 && n != 10))
                        return fail("type is 5, 6 or 10");
                    card.type = n;
                } else if (k == "number") {
                    if (!parse_int(v, card.number)) return fail("bad card number");
                    have_number = true;
                } else if (k == "startno") {
                    if (!parse_int(v, card.start_number)) return fail("bad start number");
                } else if (k == "start") {
                    if (!parse_sim_time(v, card.start)) return fail("bad start time");
                } else if (k == "finish") {
                    if (!parse_sim_time(v, card.finish)) return fail("bad finish time");
                } else if (k == "punches") {
                    if (v.empty() || v == "-") continue;
                    for (const auto& p : split(v, ',')) {
                        auto at = p.find('@');
                        SimPunch punch;
                        std::int32_t code;
                        if (at == std::string::npos || !parse_int(p.substr(0, at), code) ||
                            code > 1023 || !parse_sim_time(p.substr(at + 1), punch.time) ||
                            punch.time < 0)
                            return fail("punch is CODE@HH:MM:SS");
                        punch.code = code;
                        card.punches.push_back(punch);
                    }
                } else if (k == "fault") {
                    if (v == "badsum")
                        card.fault = Fault::kBadSum;
                    else if (v == "silence")
                        card.fault = Fault::kSilence;
                    else if (v == "garbage")
                        card.fault = Fault::kGarbage;
                    else if (v == "badwrite")
                        card.fault = Fault::kBadWrite;
                    else if (v == "removed")
                        card.fault = Fault::kRemoved;
                    else if (v != "none")
                        return fail("fault is badsum, silence, garbage, badwrite or removed");
                } else if (k == "words") {
                    // Up to 256 hex digits: the bytes of words 8..39 from the first on.
                    if (v.size() % 2 != 0 || v.size() > 2 * card.words.size())
                        return fail("words is up to 256 hex digits");
                    for (std::size_t i = 0; i < v.size(); i += 2) {
                        char* end = nullptr;
                        std::string pair = v.substr(i, 2);
                        long x = std::strtol(pair.c_str(), &end, 16);
                        if (*end != 0 || !std::isxdigit(static_cast<unsigned char>(pair[0])))
                            return fail("words is up to 256 hex digits");
                        card.words[i / 2] = static_cast<std::uint8_t>(x);
                    }
                    card.has_words = true;
                } else {
                    return fail("unknown card field " + k);
                }
            }
            if (!have_number) return fail("card without number");
            if (have_family && have_type) return fail("a card has a type or a family, not both");
            if (have_family) {
                // A family named: its number range, its most punches; the basic layout of the
                // families the basic protocol carries.
                if (family_of_number(card.number) != int(card.family))
                    return fail(std::string("the number is not one of a card ") +
                                kFamilyNames[int(card.family)]);
                if (int(card.punches.size()) > family_max_punches(card.family))
                    return fail("too many punches for the card");
                bool long_codes = false;
                for (const SimPunch& p : card.punches) long_codes = long_codes || p.code > 255;
                if (long_codes && (card.family == SimFamily::k5 || card.family == SimFamily::kT))
                    return fail("control codes above 255 need a card 6 or later");
                card.type = card.family == SimFamily::k5   ? 5
                            : card.family == SimFamily::kT ? 10
                                                           : 6;
                if (extended_only(card.family) || long_codes || card.punches.size() > 64)
                    needs_extended.push_back({line_no, card.family});
                out.cards.push_back(std::move(card));
                continue;
            }
            for (const SimPunch& p : card.punches)
                if (p.code > 255) return fail("control codes above 255 need a family");
            card.family = card.type == 5            ? SimFamily::k5
                          : card.type == 10         ? SimFamily::kT
                          : card.number >= 16711680 ? SimFamily::k6Star
                                                    : SimFamily::k6;
            if (card.type == 5) {
                int series = card.number / 100000;
                if (series == 1 || series > 255 || card.number % 100000 > 0xFFFF)
                    return fail("number does not fit a type-5 card");
                if (card.punches.size() > 36) return fail("a type-5 card holds 36 punches");
            } else {
                bool six_million = card.number / 1000000 == 6;
                if ((card.type == 10) != six_million)
                    return fail(
                        "type-10 cards are numbered 6000000..6999999, type-6 cards are not");
                std::size_t cap = card.type == 10 ? 32 : 64;
                if (card.punches.size() > cap) return fail("too many punches for the card");
            }
            out.cards.push_back(std::move(card));
        } else if (kind == "memory") {
            SimMemoryRecord r;
            for (auto& [k, v] : fields) {
                if (k == "card") {
                    if (!parse_int(v, r.card_number) || r.card_number > 0xFFFFFF)
                        return fail("bad card");
                } else if (k == "time") {
                    if (!parse_sim_time(v, r.time) || r.time < 0) return fail("bad time");
                } else if (k == "fault") {
                    if (v != "fail") return fail("memory fault is fail");
                    r.fail_first = true;
                } else {
                    return fail("unknown memory field " + k);
                }
            }
            out.memory.push_back(r);
        } else {
            return fail("unknown item " + kind);
        }
    }
    if (!out.station.extended && out.station.autosend)
        return fail("send=autosend is played in the extended protocol (protocol=extended)");
    if (!out.station.extended && !needs_extended.empty()) {
        line_no = needs_extended[0].first;
        return fail(std::string("card ") + kFamilyNames[int(needs_extended[0].second)] +
                    " with these punches needs the station's extended protocol "
                    "(station protocol=extended)");
    }
    return true;
}

// --- Encoding -------------------------------------------------------------------------------

void put_escaped(std::vector<std::uint8_t>& out, std::uint8_t b) {
    if (b == 0x02 || b == 0x03 || b == 0x06 || b == 0x10 || b == 0x15) out.push_back(0x10);
    out.push_back(b);
}

std::uint16_t crc16(const std::uint8_t* b, std::size_t n) {
    // Feeds the bytes as 16-bit words (a zero word after an even count, the last byte padded
    // after an odd one) through a shift register with polynomial 0x8005.
    if (n < 2) return 0;
    std::uint16_t reg = std::uint16_t((b[0] << 8) | b[1]);
    if (n == 2) return reg;
    std::vector<std::uint16_t> words;
    for (std::size_t i = 2; i + 1 < n; i += 2)
        words.push_back(std::uint16_t((b[i] << 8) | b[i + 1]));
    words.push_back(n % 2 ? std::uint16_t(b[n - 1] << 8) : std::uint16_t(0));
    for (std::uint16_t w : words) {
        for (int bit = 15; bit >= 0; --bit) {
            bool carry = reg & 0x8000;
            reg = std::uint16_t((reg << 1) | ((w >> bit) & 1));
            if (carry) reg ^= 0x8005;
        }
    }
    return reg;
}

std::vector<std::uint8_t> detection_frame(const SimCard& card) {
    if (card.type == 5) return {0x02, 0x46, 0x49, 0x03};
    std::vector<std::uint8_t> body = {0x83, 0x08, 0x00};
    for (int shift = 24; shift >= 0; shift -= 8) body.push_back(std::uint8_t(card.number >> shift));
    body.push_back(0x00);
    std::vector<std::uint8_t> out = {0x02, 0x66};
    std::uint8_t sum = 0;
    for (auto b : body) {
        put_escaped(out, b);
        sum = std::uint8_t(sum + b);
    }
    put_escaped(out, sum);
    out.push_back(0x03);
    return out;
}

std::vector<std::uint8_t> card_content(const SimCard& card) {
    int s12 = 0, pm = 0;
    if (card.type == 5) {
        std::vector<std::uint8_t> p(129, 0);
        int series = card.number / 100000;
        p[7] = std::uint8_t(series == 0 ? 1 : series);
        put16(p, 5, card.number % 100000);
        put16(p, 18, card.start_number & 0xFFFF);
        auto put_time = [&](std::size_t at, std::int32_t t) {
            if (t < 0) {
                p[at] = p[at + 1] = 0xEE;
            } else {
                dial(t, s12, pm);
                put16(p, at, s12);
            }
        };
        put_time(20, card.start);
        put_time(22, card.finish);
        p[24] = std::uint8_t(card.punches.size() + 1);
        for (std::size_t k = 0; k < card.punches.size(); ++k) {
            const SimPunch& punch = card.punches[k];
            if (k < 30) {
                std::size_t at = 33 + 16 * (k / 5) + 1 + 3 * (k % 5);
                p[at] = std::uint8_t(punch.code);
                dial(punch.time, s12, pm);
                put16(p, at + 1, s12);
            } else {
                p[33 + 16 * (k - 30)] = std::uint8_t(punch.code);
            }
        }
        return p;
    }
    std::vector<std::uint8_t> d(384, 0xEE);
    put32(d, 10, std::uint32_t(card.number));
    auto put_time = [&](std::size_t pm_at, std::size_t at, std::int32_t t) {
        if (t < 0) {
            d[pm_at] = 0;
            d[at] = d[at + 1] = 0xEE;
        } else {
            dial(t, s12, pm);
            d[pm_at] = std::uint8_t(pm);
            put16(d, at, s12);
        }
    };
    put_time(20, 22, card.finish);
    put_time(24, 26, card.start);
    put32(d, 40, std::uint32_t(card.start_number));
    for (std::size_t k = 0; k < card.punches.size(); ++k) {
        const SimPunch& punch = card.punches[k];
        dial(punch.time, s12, pm);
        if (card.type == 10) {
            std::size_t at = 128 + 8 * k;
            d[at] = std::uint8_t(punch.code);
            d[at + 4] = std::uint8_t(pm);
            put16(d, at + 5, s12);
        } else {
            std::size_t at = 128 + 4 * k;
            d[at] = std::uint8_t(pm);
            d[at + 1] = std::uint8_t(punch.code);
            put16(d, at + 2, s12);
        }
    }
    return d;
}

// --- The extended protocol -----------------------------------------------------------------

std::vector<std::uint8_t> extended_frame(std::uint8_t cmd, std::uint16_t station_code,
                                         const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> out;
    out.reserve(data.size() + 8);
    for (std::uint8_t b : {std::uint8_t(0x02), cmd, std::uint8_t(data.size() + 2),
                           std::uint8_t(station_code >> 8), std::uint8_t(station_code)})
        out.push_back(b);
    for (std::uint8_t b : data) out.push_back(b);
    std::uint16_t k = crc16(out.data() + 1, out.size() - 1);
    out.push_back(std::uint8_t(k >> 8));
    out.push_back(std::uint8_t(k));
    out.push_back(0x03);
    return out;
}

namespace {

std::uint8_t family_series(SimFamily f) {
    switch (f) {
        case SimFamily::k9:
            return 0x01;
        case SimFamily::k8:
            return 0x02;
        case SimFamily::kP:
            return 0x04;
        case SimFamily::kT:
            return 0x06;
        default:
            return 0x0F;
    }
}

bool is_card6(SimFamily f) {
    return f == SimFamily::k6 || f == SimFamily::k6Star;
}

// Block and offset of punch i (0-based) of a card of the later families or card 6.
std::pair<int, int> punch_at(SimFamily f, int i) {
    if (is_card6(f)) {
        static constexpr int kOrder[6] = {6, 7, 2, 3, 4, 5};
        return {kOrder[i / 32], 4 * (i % 32)};
    }
    int first = f == SimFamily::k9 || f == SimFamily::kT ? 0x38
                : f == SimFamily::k8                     ? 0x88
                : f == SimFamily::kP                     ? 0xB0
                                                         : -1;
    if (first < 0) return {4 + i / 32, 4 * (i % 32)};
    int address = first + (f == SimFamily::kT ? 8 : 4) * i;
    return {address / 128, address % 128};
}

// A 4-byte time record TD CN TH TL (Saturday; the code's bits 8 and 9 in TD's top bits).
void put_record(std::uint8_t* r, int code, std::int32_t time) {
    if (time < 0) {
        r[0] = r[1] = r[2] = r[3] = 0xEE;
        return;
    }
    int s12 = 0, pm = 0;
    dial(time, s12, pm);
    r[0] = std::uint8_t(0x0C | pm | ((code >> 8) << 6));
    r[1] = std::uint8_t(code);
    r[2] = std::uint8_t(s12 >> 8);
    r[3] = std::uint8_t(s12);
}

void put24(std::uint8_t* at, std::int32_t v) {
    at[0] = std::uint8_t(v >> 16);
    at[1] = std::uint8_t(v >> 8);
    at[2] = std::uint8_t(v);
}

// The blocks a station sends for a card by itself (autosend, or a read of "all blocks").
std::vector<int> sent_blocks(SimFamily f, bool card6_192) {
    if (f == SimFamily::k5) return {0};
    if (is_card6(f))
        return card6_192 ? std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7} : std::vector<int>{0, 6, 7};
    if (f == SimFamily::k10 || f == SimFamily::k11 || f == SimFamily::kActive)
        return {0, 4, 5, 6, 7};
    return {0, 1};
}

// The block that holds the card's last punch as the program reads it (0 when none is beyond
// block 0): the faults of a reading hit it.
int last_block(const SimCard& card, bool card6_192) {
    int n = static_cast<int>(card.punches.size());
    if (card.family == SimFamily::k6 && !card6_192) n = std::min(n, 64);
    if (card.family == SimFamily::k5 || n == 0) return 0;
    return punch_at(card.family, n - 1).first;
}

// Days since 1970-01-01 of a date, for the weekday.
int days_from_civil(int y, int m, int d) {
    y -= m <= 2;
    int era = y / 400;
    int yoe = y - era * 400;
    int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

}  // namespace

SimBlocks extended_blocks(const SimCard& card) {
    SimBlocks b;
    for (auto& block : b) block.fill(0xEE);
    auto& b0 = b[0];
    if (card.family == SimFamily::k5) {
        SimCard five = card;
        five.type = 5;
        auto p = card_content(five);
        std::copy(p.begin() + 1, p.end(), b0.begin());
        return b;
    }
    int n = static_cast<int>(card.punches.size());
    if (is_card6(card.family)) {
        b0[0x0A] = 0x00;
        put24(&b0[0x0B], card.number);
        b0[0x12] = std::uint8_t(n);
        b0[0x13] = std::uint8_t(n + 1);
        put_record(&b0[0x14], 0, card.finish);
        put_record(&b0[0x18], 0, card.start);
        for (int i = 0; i < 4; ++i) b0[0x28 + i] = std::uint8_t(card.start_number >> (24 - 8 * i));
    } else {
        const std::uint8_t head[8] = {0x12, 0x34, 0x56, 0x78, 0xEA, 0xEA, 0xEA, 0xEA};
        std::copy(head, head + 8, b0.begin());
        put_record(&b0[0x0C], 0, card.start);
        put_record(&b0[0x10], 0, card.finish);
        b0[0x16] = std::uint8_t(n);
        b0[0x18] = family_series(card.family);
        put24(&b0[0x19], card.number);
    }
    for (int i = 0; i < n; ++i) {
        const SimPunch& p = card.punches[static_cast<std::size_t>(i)];
        auto [block, offset] = punch_at(card.family, i);
        std::uint8_t* r = &b[block][offset];
        if (card.family == SimFamily::kT) {
            int s12 = 0, pm = 0;
            dial(p.time, s12, pm);
            const std::uint8_t rec[8] = {std::uint8_t(p.code),
                                         0x01,
                                         0x23,
                                         0x61,
                                         std::uint8_t(0x64 | pm),
                                         std::uint8_t(s12 >> 8),
                                         std::uint8_t(s12),
                                         0x00};
            std::copy(rec, rec + 8, r);
        } else {
            put_record(r, p.code, p.time);
        }
    }
    return b;
}

std::vector<std::uint8_t> extended_detection(const SimCard& card, std::uint16_t station_code,
                                             bool removed) {
    std::uint8_t id[4] = {0x00};
    std::uint8_t cmd = 0xE8;
    if (card.family == SimFamily::k5) {
        int series = card.number / 100000;
        id[1] = std::uint8_t(series == 0 ? 1 : series);
        id[2] = std::uint8_t((card.number % 100000) >> 8);
        id[3] = std::uint8_t(card.number % 100000);
        cmd = 0xE5;
    } else {
        put24(id + 1, card.number);
        if (is_card6(card.family))
            cmd = 0xE6;
        else
            id[0] = family_series(card.family);
    }
    if (removed) {
        cmd = 0xE7;
        id[0] = 0x00;
    }
    return extended_frame(cmd, station_code, {id[0], id[1], id[2], id[3]});
}

// --- The station ------------------------------------------------------------------------------

StationSimulator::StationSimulator(SimScript script, SimOptions options)
    : script_(std::move(script)), options_(options) {
    memory_failed_.assign(script_.memory.size(), 0);
    for (const SimCard& card : script_.cards)
        if (card.has_words) words_[card.number] = card.words;
}

SimWords StationSimulator::card_words(std::int32_t number) {
    std::lock_guard<std::mutex> lock(words_mutex_);
    auto it = words_.find(number);
    return it == words_.end() ? SimWords{} : it->second;
}

void StationSimulator::write_word(int word, const std::uint8_t* data) {
    SimCard* card = current();
    if (!card || card->type == 5 || word < kSimFirstWord || word >= kSimFirstWord + kSimWords)
        return;
    if (!(card->fault == Fault::kBadWrite && word == kSimFirstWord)) {
        std::lock_guard<std::mutex> lock(words_mutex_);
        std::memcpy(words_[card->number].data() + 4 * (word - kSimFirstWord), data, 4);
    }
    ++words_written_;
    // The station's answer to a write: the command and the word.
    std::uint8_t body[3] = {0xEA, 0x01, std::uint8_t(word)};
    std::uint16_t k = crc16(body, 3);
    replied_ = true;
    send({0x02, 0x02, body[0], body[1], body[2], std::uint8_t(k >> 8), std::uint8_t(k), 0x03});
}

void StationSimulator::reply_word(int word) {
    SimCard* card = current();
    if (!card || card->type == 5 || word < kSimFirstWord || word >= kSimFirstWord + kSimWords)
        return;
    SimWords w = card_words(card->number);
    const std::uint8_t* d = w.data() + 4 * (word - kSimFirstWord);
    // 0x02 0x02 0xEB 0x06 0x00 W D0 D1 D2 D3 CH CL 0x03: 13 bytes, the word at 6..9.
    std::vector<std::uint8_t> body = {0xEB, 0x06, 0x00, std::uint8_t(word), d[0], d[1], d[2], d[3]};
    std::uint16_t k = crc16(body.data(), body.size());
    std::vector<std::uint8_t> out = {0x02, 0x02};
    out.insert(out.end(), body.begin(), body.end());
    out.push_back(std::uint8_t(k >> 8));
    out.push_back(std::uint8_t(k));
    out.push_back(0x03);
    replied_ = true;
    ++reads_answered_;
    send(out);
}

void StationSimulator::add_memory_record(const SimMemoryRecord& r) {
    std::lock_guard<std::mutex> lock(memory_mutex_);
    script_.memory.push_back(r);
    memory_failed_.push_back(0);
}

std::vector<std::chrono::steady_clock::time_point> StationSimulator::last_bytes() const {
    std::lock_guard<std::mutex> lock(taken_mutex_);
    return last_bytes_;
}

std::vector<std::chrono::steady_clock::time_point> StationSimulator::acknowledged() const {
    std::lock_guard<std::mutex> lock(taken_mutex_);
    return acks_;
}

void StationSimulator::occupy_line(std::size_t bytes) {
    if (options_.baud <= 0) return;
    const auto now = std::chrono::steady_clock::now();
    const auto start = std::max(now, line_free_);
    line_free_ = start + std::chrono::nanoseconds(static_cast<std::int64_t>(bytes) * 10 *
                                                  1000000000 / options_.baud);
}

void StationSimulator::send(const std::vector<std::uint8_t>& bytes) {
    if (options_.baud > 0) {
        // The bytes arrive when their last one would have crossed the line.
        occupy_line(bytes.size());
        std::this_thread::sleep_until(line_free_);
    }
    // A line nobody reads stays full: the rest is dropped after a while.
    const std::size_t done = write_all(line_.fd(), bytes.data(), bytes.size(), stop_, 500);
    bytes_sent_ += done;
    last_send_ = std::chrono::steady_clock::now();
}

SimCard* StationSimulator::current() {
    return inserted_ && next_card_ < script_.cards.size() ? &script_.cards[next_card_] : nullptr;
}

void StationSimulator::pull_out() {
    inserted_ = false;
    removed_at_ = std::chrono::steady_clock::now();
}

void StationSimulator::take_card() {
    pull_out();
    ++next_card_;
    ++cards_taken_;
    fault_done_ = false;
}

void StationSimulator::announce() {
    SimCard* card = current();
    if (!card) return;
    std::vector<std::uint8_t> out;
    if (card->fault == Fault::kGarbage && replies_sent_ == 0 && !replied_) {
        // Noise, including starts of frames that lead nowhere.
        out = {0x55, 0xAA, 0x02, 0x13, 0x00, 0x02, 0x46, 0x00, 0xFF};
    }
    if (script_.station.extended && script_.station.autosend) {
        send(out);
        send_autosend();
        return;
    }
    auto frame = script_.station.extended ? extended_detection(*card, script_.station.code)
                                          : detection_frame(*card);
    out.insert(out.end(), frame.begin(), frame.end());
    replied_ = false;
    send(out);
}

void StationSimulator::reply_type5() {
    SimCard* card = current();
    if (!card || card->type != 5) return;
    auto p = card_content(*card);
    std::uint8_t sum = 0;
    for (auto b : p) sum = std::uint8_t(sum + b);
    bool first = replies_sent_++ == 0;
    if (first && card->fault == Fault::kBadSum) sum = std::uint8_t(sum + 1);
    std::vector<std::uint8_t> out = {0x02, 0x31};
    std::size_t stop_at = first && card->fault == Fault::kSilence ? 60 : p.size();
    for (std::size_t i = 0; i < stop_at; ++i) put_escaped(out, p[i]);
    if (stop_at == p.size()) {
        put_escaped(out, sum);
        out.push_back(0x03);
    }
    replied_ = true;
    ++reads_answered_;
    send(out);
    card_replied_ = last_send_;
}

void StationSimulator::reply_block(std::uint8_t block) {
    SimCard* card = current();
    if (!card || card->type == 5) return;
    int index = block == 0x00 ? 0 : block == 0x06 ? 1 : block == 0x07 ? 2 : -1;
    if (index < 0) return;
    auto d = card_content(*card);
    std::uint8_t head[2] = {0x83, block};
    std::uint8_t sum = std::uint8_t(head[0] + head[1]);
    for (int i = 0; i < 128; ++i) sum = std::uint8_t(sum + d[index * 128 + i]);
    // Faults hit the card's first reading: a wrong sum on its last block, silence halfway
    // through its middle block.
    bool first_reading = replies_sent_ < 3;
    ++replies_sent_;
    if (first_reading && card->fault == Fault::kBadSum && index == 2)
        sum = std::uint8_t(sum ^ 0x5A);
    std::vector<std::uint8_t> out = {0x02, 0x61};
    put_escaped(out, head[0]);
    put_escaped(out, head[1]);
    int stop_at = first_reading && card->fault == Fault::kSilence && index == 1 ? 64 : 128;
    for (int i = 0; i < stop_at; ++i) put_escaped(out, d[index * 128 + i]);
    if (stop_at == 128) {
        put_escaped(out, sum);
        out.push_back(0x03);
    }
    replied_ = true;
    ++reads_answered_;
    send(out);
    card_replied_ = last_send_;
}

void StationSimulator::reply_memory_count() {
    std::uint32_t count;
    {
        std::lock_guard<std::mutex> lock(memory_mutex_);
        count = static_cast<std::uint32_t>(script_.memory.size());
    }
    std::uint32_t address = 256 + 8 * count;
    std::vector<std::uint8_t> body = {0x83,
                                      0x0B,
                                      0x1C,
                                      0x07,
                                      0x00,
                                      std::uint8_t(address >> 24),
                                      std::uint8_t(address >> 16),
                                      0x00,
                                      0x00,
                                      0x00,
                                      std::uint8_t(address >> 8),
                                      std::uint8_t(address)};
    std::uint16_t k = crc16(body.data(), body.size());
    std::vector<std::uint8_t> out;
    out.reserve(body.size() + 6);
    out.push_back(0x02);
    out.push_back(0x02);
    for (std::uint8_t b : body) out.push_back(b);
    out.push_back(std::uint8_t(k >> 8));
    out.push_back(std::uint8_t(k));
    if (options_.station_type != 0) out.push_back(0x00);
    out.push_back(0x03);
    send(out);
}

void StationSimulator::reply_memory_record(std::uint32_t address) {
    std::uint8_t r[8];
    std::memset(r, 0xFF, sizeof r);
    {
        std::lock_guard<std::mutex> lock(memory_mutex_);
        if (address >= 256 && (address - 256) % 8 == 0) {
            std::size_t n = (address - 256) / 8;
            if (n < script_.memory.size()) {
                const SimMemoryRecord& m = script_.memory[n];
                if (m.fail_first && memory_failed_[n]++ == 0) return;  // no answer this time
                std::uint32_t card = static_cast<std::uint32_t>(m.card_number);
                if (card < 500000 && card % 100000 <= 0xFFFF) {
                    r[0] = std::uint8_t(card / 100000);
                    r[1] = std::uint8_t((card % 100000) >> 8);
                    r[2] = std::uint8_t(card % 100000);
                } else {
                    r[0] = std::uint8_t(card >> 16);
                    r[1] = std::uint8_t(card >> 8);
                    r[2] = std::uint8_t(card);
                }
                int seconds = m.time / 100;
                int afternoon = seconds >= kHalfDaySeconds;
                int dial_seconds = seconds - afternoon * kHalfDaySeconds;
                r[3] = 0x00;
                r[4] = std::uint8_t(afternoon);
                r[5] = std::uint8_t((dial_seconds >> 8) & 0xFF);
                r[6] = std::uint8_t(dial_seconds & 0xFF);
                r[7] = std::uint8_t(((m.time % 100) * 256 + 99) / 100);
            }
        }
    }
    std::vector<std::uint8_t> body = {0x81,
                                      0x0B,
                                      0x00,
                                      std::uint8_t(address >> 16),
                                      std::uint8_t(address >> 8),
                                      std::uint8_t(address),
                                      0x08};
    body.insert(body.end(), r, r + 8);
    std::uint16_t k = crc16(body.data(), body.size());
    std::vector<std::uint8_t> out;
    out.reserve(body.size() + 6);
    out.push_back(0x02);
    out.push_back(0x02);
    for (std::uint8_t b : body) out.push_back(b);
    out.push_back(std::uint8_t(k >> 8));
    out.push_back(std::uint8_t(k));
    out.push_back(0x03);
    send(out);
}

void StationSimulator::send_blocks(const SimCard& card, std::uint8_t cmd, int block, bool damaged) {
    SimBlocks blocks = extended_blocks(card);
    std::vector<std::uint8_t> data;
    if (cmd != 0xB1) data.push_back(std::uint8_t(block));
    data.insert(data.end(), blocks[block].begin(), blocks[block].end());
    auto frame = extended_frame(cmd, script_.station.code, data);
    if (damaged) frame[12] ^= 0x01;
    replied_ = true;
    ++reads_answered_;
    send(frame);
}

void StationSimulator::send_autosend() {
    SimCard* card = current();
    if (!card) return;
    const SimStation& st = script_.station;
    const bool first = !fault_done_;
    const std::uint8_t cmd = card->family == SimFamily::k5 ? 0xB1
                             : is_card6(card->family)      ? 0xE1
                                                           : 0xEF;
    send(extended_detection(*card, st.code));
    auto list = sent_blocks(card->family, st.card6_192);
    int damaged = -1;
    if (first && card->fault == Fault::kBadSum) {
        damaged = last_block(*card, st.card6_192);
        if (std::find(list.begin(), list.end(), damaged) == list.end()) damaged = list.back();
    }
    for (int b : list) {
        send_blocks(*card, cmd, b, b == damaged);
        // Pulled out after the first block: the rest never comes.
        if (first && card->fault == Fault::kRemoved) break;
    }
    send(extended_detection(*card, st.code, true));
    if (first && (card->fault == Fault::kRemoved || card->fault == Fault::kBadSum)) {
        // The runner is told to put the card in again: it is sent once more after the gap.
        fault_done_ = true;
        pull_out();
        return;
    }
    take_card();
}

void StationSimulator::reply_card(std::uint8_t cmd, int block) {
    SimCard* card = current();
    const SimStation& st = script_.station;
    bool fits = card && (cmd == 0xB1   ? card->family == SimFamily::k5
                         : cmd == 0xE1 ? is_card6(card->family)
                                       : card->family != SimFamily::k5 && !is_card6(card->family));
    if (!fits || block < 0 || block > 8) {
        send({0x15});  // no card, or not one this command reads
        return;
    }
    if (block == 8) {
        for (int b : sent_blocks(card->family, st.card6_192)) send_blocks(*card, cmd, b, false);
        return;
    }
    const bool hit = !fault_done_ && block == last_block(*card, st.card6_192);
    if (hit && card->fault == Fault::kRemoved) {
        // Taken out instead of the reply; put in again after the gap.
        fault_done_ = true;
        send(extended_detection(*card, st.code, true));
        pull_out();
        return;
    }
    if (hit && card->fault == Fault::kSilence) {
        // The reply stops halfway and the station falls silent; the card stays in.
        fault_done_ = true;
        auto frame = extended_frame(cmd, st.code, std::vector<std::uint8_t>(60, 0x00));
        frame.resize(30);
        replied_ = true;
        send(frame);
        return;
    }
    if (hit && card->fault == Fault::kBadSum) fault_done_ = true;
    send_blocks(*card, cmd, block, hit && card->fault == Fault::kBadSum);
}

void StationSimulator::handle_extended(std::uint8_t cmd, const std::vector<std::uint8_t>& data) {
    const SimStation& st = script_.station;
    auto reply = [&](const std::vector<std::uint8_t>& d) { send(extended_frame(cmd, st.code, d)); };
    switch (cmd) {
        case 0xF0:
        case 0xF1:
            reply({data.empty() ? std::uint8_t(0x4D) : data[0]});
            return;
        case 0x83: {
            if (data.size() < 2) break;
            std::vector<std::uint8_t> d = {data[0]};
            for (int i = 0; i < data[1]; ++i) {
                int address = data[0] + i;
                std::uint8_t v = 0;
                if (address == 0x74)
                    v = std::uint8_t((st.extended ? 1 : 0) | (st.autosend ? 2 : 4));
                if (address == 0x71) v = st.mode;
                if (address == 0x33) {
                    v = st.card6_192 ? 0xFF : 0xC1;
                    set_up_asked_ = true;
                }
                d.push_back(v);
            }
            reply(d);
            return;
        }
        case 0xF7: {
            int seconds = st.clock / 100, pm = seconds >= kHalfDaySeconds;
            int s12 = seconds % kHalfDaySeconds;
            int weekday = ((days_from_civil(st.year, st.month, st.day) % 7) + 11) %
                          7;  // 1970-01-01: Thursday
            reply({std::uint8_t(st.year - 2000), std::uint8_t(st.month), std::uint8_t(st.day),
                   std::uint8_t(weekday * 2 + pm), std::uint8_t(s12 >> 8), std::uint8_t(s12),
                   std::uint8_t((st.clock % 100) * 256 / 100)});
            return;
        }
        case 0xF9:
            reply({data.empty() ? std::uint8_t(1) : data[0]});
            return;
        case 0xB1:
        case 0xE1:
        case 0xEF:
            reply_card(cmd, cmd == 0xB1 ? 0 : data.empty() ? -1 : data[0]);
            return;
        default:
            break;
    }
    send({0x15});
}

void StationSimulator::handle_input() {
    while (!in_.empty()) {
        std::uint8_t b0 = in_[0];
        if (b0 == 0x06) {
            in_.erase(in_.begin());
            if (current() && replied_) {
                {
                    std::lock_guard<std::mutex> lock(taken_mutex_);
                    last_bytes_.push_back(card_replied_);
                    acks_.push_back(std::chrono::steady_clock::now());
                }
                if (on_acknowledged) on_acknowledged();
                if (script_.station.extended)
                    send(extended_detection(*current(), script_.station.code, true));
                else
                    send({0x02, 0x4F, 0x4B, 0x03});
                take_card();
            }
            continue;
        }
        if (b0 == 0x02) {
            if (in_.size() < 3) return;
            if (in_[1] >= 0x80) {
                // An extended command: 02 CMD LEN DATA CRC1 CRC0 03, counted by its length.
                std::size_t length = in_[2];
                if (in_.size() < length + 6) return;
                std::uint16_t k = crc16(&in_[1], length + 2);
                bool ok =
                    in_[length + 5] == 0x03 && k == ((in_[length + 3] << 8) | in_[length + 4]);
                std::uint8_t cmd = in_[1];
                std::vector<std::uint8_t> data(in_.begin() + 3, in_.begin() + 3 + long(length));
                in_.erase(in_.begin(), in_.begin() + long(length) + 6);
                if (ok)
                    handle_extended(cmd, data);
                else
                    send({0x15});
                continue;
            }
            if (in_[1] == 0x31 && in_[2] == 0x03) {
                in_.erase(in_.begin(), in_.begin() + 3);
                reply_type5();
                continue;
            }
            if (in_[1] == 0x61) {
                if (in_.size() < 5) return;
                if (in_[2] == 0x10 && in_[4] == 0x03) {
                    std::uint8_t block = in_[3];
                    in_.erase(in_.begin(), in_.begin() + 5);
                    reply_block(block);
                    continue;
                }
            }
            in_.erase(in_.begin());
            continue;
        }
        if (b0 == 0xFF) {
            if (in_.size() < 4) return;
            if (in_[1] == 0x02 && in_[2] == 0x02 && in_[3] == 0x83) {
                if (in_.size() < 10) return;
                bool ok = in_[9] == 0x03 && crc16(&in_[3], 4) == ((in_[7] << 8) | in_[8]);
                in_.erase(in_.begin(), in_.begin() + 10);
                if (ok) reply_memory_count();
                continue;
            }
            if (in_[1] == 0x02 && in_[2] == 0x02 && in_[3] == 0x81) {
                if (in_.size() < 12) return;
                bool ok = in_[11] == 0x03 && crc16(&in_[3], 6) == ((in_[9] << 8) | in_[10]);
                std::uint32_t address = (in_[5] << 16) | (in_[6] << 8) | in_[7];
                in_.erase(in_.begin(), in_.begin() + 12);
                if (ok) reply_memory_record(address);
                continue;
            }
            if (in_[1] == 0x02 && in_[2] == 0x02 && in_[3] == 0xEA) {
                if (in_.size() < 13) return;
                bool ok = in_[12] == 0x03 && crc16(&in_[3], 7) == ((in_[10] << 8) | in_[11]);
                std::uint8_t data[4] = {in_[6], in_[7], in_[8], in_[9]};
                int word = in_[5];
                in_.erase(in_.begin(), in_.begin() + 13);
                if (ok) write_word(word, data);
                continue;
            }
            if (in_[1] == 0x02 && in_[2] == 0x02 && in_[3] == 0xEB) {
                if (in_.size() < 9) return;
                bool ok = in_[8] == 0x03 && crc16(&in_[3], 3) == ((in_[6] << 8) | in_[7]);
                int word = in_[5];
                in_.erase(in_.begin(), in_.begin() + 9);
                if (ok) reply_word(word);
                continue;
            }
        }
        in_.erase(in_.begin());
    }
}

void StationSimulator::run(bool exit_when_done) {
    using clock = std::chrono::steady_clock;
    last_send_ = clock::now();
    removed_at_ = clock::now() - std::chrono::milliseconds(options_.gap_ms);
    while (!stop_.load()) {
        auto now = clock::now();
        // A station in another mode than readout reports no cards. A station that sends cards
        // by itself sends the first once the program has asked for its settings (what it sent
        // before would be flushed away by the opening) and the next one only once the program
        // has taken in the last (the runners queue at the station, not on the line).
        if (!inserted_ && next_card_ < script_.cards.size() && script_.station.mode == 0x05 &&
            (!script_.station.autosend || (set_up_asked_ && line_.unread() == 0)) &&
            now - removed_at_ >= std::chrono::milliseconds(options_.gap_ms)) {
            inserted_ = true;
            replies_sent_ = 0;
            replied_ = false;
            announce();
        } else if (inserted_ && !script_.station.autosend &&
                   now - last_send_ >= std::chrono::milliseconds(options_.resend_ms)) {
            // No acknowledgement: the card is still in the station; announce it again.
            announce();
        }
        if (exit_when_done && next_card_ >= script_.cards.size()) break;

        int wait_ms = 20;
        if (inserted_)
            wait_ms = std::max(1, std::min(wait_ms, options_.resend_ms));
        else if (next_card_ < script_.cards.size())
            wait_ms = std::max(0, std::min(wait_ms, options_.gap_ms));
        pollfd p{line_.fd(), POLLIN, 0};
        int ready = ::poll(&p, 1, wait_ms);
        if (ready > 0 && (p.revents & POLLIN)) {
            std::uint8_t buf[512];
            ssize_t n = ::read(line_.fd(), buf, sizeof buf);
            if (n > 0) {
                occupy_line(static_cast<std::size_t>(n));
                bytes_received_ += static_cast<std::uint64_t>(n);
                in_.insert(in_.end(), buf, buf + n);
                handle_input();
            }
        } else if (ready > 0 && (p.revents & (POLLHUP | POLLERR))) {
            // No reader on the other side yet (or any more): keep waiting for one.
            ::poll(nullptr, 0, wait_ms);
        }
    }
}

}  // namespace skarvel::sim
