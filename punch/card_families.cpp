#include "punch/card_families.h"

#include <algorithm>
#include <cstring>

#include "core/time_text.h"
#include "punch/station_link.h"

namespace skarvel {

namespace {

constexpr std::int32_t kHalfDaySeconds = 43200;

std::int32_t be16(const std::uint8_t* p) {
    return (p[0] << 8) | p[1];
}
std::int32_t be24(const std::uint8_t* p) {
    return (p[0] << 16) | (p[1] << 8) | p[2];
}

// A 12-hour time TH TL with the afternoon bit of its TD byte, in centiseconds; EE EE and values
// past 12 hours are no time (0).
std::int32_t record_time(std::uint8_t td, const std::uint8_t* hl) {
    if (hl[0] == 0xEE && hl[1] == 0xEE) return 0;
    std::int32_t seconds = be16(hl);
    if (seconds >= kHalfDaySeconds) return 0;
    return (seconds + (td & 1) * kHalfDaySeconds) * 100;
}

bool detected_by_e8(CardFamily f) {
    return f != CardFamily::kUnknown && f != CardFamily::k5 && f != CardFamily::k6 &&
           f != CardFamily::k6Star;
}

// Where punch i (0-based) of a card lies: its block and offset, and its record size.
struct PunchPlace {
    int block = 0;
    int offset = 0;
};
constexpr int kNoFirstAddress = -1;

int first_punch_address(CardFamily f) {
    switch (f) {
        case CardFamily::k9:
        case CardFamily::kT:
            return 0x38;
        case CardFamily::k8:
            return 0x88;
        case CardFamily::kP:
            return 0xB0;
        default:
            return kNoFirstAddress;
    }
}

int record_size(CardFamily f) {
    return f == CardFamily::kT ? 8 : 4;
}

PunchPlace punch_place(CardFamily f, int i) {
    if (f == CardFamily::k6 || f == CardFamily::k6Star) {
        static constexpr int kOrder[6] = {6, 7, 2, 3, 4, 5};
        return {kOrder[std::min(i / 32, 5)], 4 * (i % 32)};
    }
    if (int first = first_punch_address(f); first != kNoFirstAddress) {
        int address = first + record_size(f) * i;
        return {address / kCardBlockBytes, address % kCardBlockBytes};
    }
    return {4 + i / 32, 4 * (i % 32)};  // cards 10, 11 and the active card
}

void decode_card5(const CardImage& image, const CardDecodeOptions& options, WholeCard& out) {
    // The basic read's positions are the card's offsets plus one.
    std::uint8_t p[kType5FrameSize] = {};
    std::memcpy(p + 1, image.block[0].data(), kCardBlockBytes);
    decode_card_type5(p, options.competition_start, out.readout);
    out.family = CardFamily::k5;
    for (int k = 0; k < out.readout.punch_count; ++k)
        out.punches.push_back({out.readout.punches[k].code, out.readout.punches[k].time});
    const std::uint8_t* check = image.block[0].data() + 0x19;
    if (!(check[0] == 0xEE && check[1] == 0xEE) && be16(check) < kHalfDaySeconds) {
        std::int32_t t = be16(check) * 100;
        out.check_time = t < options.competition_start ? t + kTwelveHours : t;
    }
}

}  // namespace

CardFamily card_family_of(std::int32_t n) {
    if (n <= 0) return CardFamily::kUnknown;
    if (n < 500000) return CardFamily::k5;
    if (n < 1000000 || (n >= 2003000 && n <= 2003999)) return CardFamily::k6;
    if (n >= 16711680 && n <= 16777215) return CardFamily::k6Star;
    switch (n < 10000000 ? n / 1000000 : 0) {
        case 1:
            return CardFamily::k9;
        case 2:
            return CardFamily::k8;
        case 4:
            return CardFamily::kP;
        case 6:
            return CardFamily::kT;
        case 7:
            return CardFamily::k10;
        case 8:
            return CardFamily::kActive;
        case 9:
            return CardFamily::k11;
        default:
            return CardFamily::kUnknown;
    }
}

std::string_view card_family_code(CardFamily f) {
    switch (f) {
        case CardFamily::k5:
            return "5";
        case CardFamily::k6:
            return "6";
        case CardFamily::k6Star:
            return "6*";
        case CardFamily::k8:
            return "8";
        case CardFamily::k9:
            return "9";
        case CardFamily::k10:
            return "10";
        case CardFamily::k11:
            return "11";
        case CardFamily::kP:
            return "p";
        case CardFamily::kT:
            return "t";
        default:
            return {};
    }
}

std::uint8_t card_family_series(CardFamily f) {
    switch (f) {
        case CardFamily::k9:
            return 0x01;
        case CardFamily::k8:
            return 0x02;
        case CardFamily::kP:
            return 0x04;
        case CardFamily::kT:
            return 0x06;
        case CardFamily::k10:
        case CardFamily::k11:
        case CardFamily::kActive:
            return 0x0F;
        default:
            return 0;
    }
}

bool extended_only(CardFamily f) {
    return detected_by_e8(f) && f != CardFamily::kT;
}

int family_max_punches(CardFamily f, bool card6_192) {
    switch (f) {
        case CardFamily::k5:
            return kType5Punches;
        case CardFamily::k6:
            return card6_192 ? 192 : 64;
        case CardFamily::k6Star:
            return 192;
        case CardFamily::k8:
            return 30;
        case CardFamily::k9:
            return 50;
        case CardFamily::kP:
            return 20;
        case CardFamily::kT:
            return kType10MaxPunches;
        case CardFamily::k10:
        case CardFamily::k11:
        case CardFamily::kActive:
            return 128;
        default:
            return 0;
    }
}

void CardImage::put(int b, const std::uint8_t* bytes) {
    if (b < 0 || b >= kCardMaxBlocks) return;
    std::memcpy(block[b].data(), bytes, kCardBlockBytes);
    have = static_cast<std::uint8_t>(have | (1u << b));
}

int image_punch_count(const CardImage& image, bool card6_192) {
    const CardBlock& b0 = image.block[0];
    int n = 0;
    switch (image.family) {
        case CardFamily::k5:
            n = b0[0x17] - 1;
            break;
        case CardFamily::k6:
        case CardFamily::k6Star:
            n = b0[0x12];
            break;
        default:
            n = b0[0x16];
    }
    return std::clamp(n, 0, family_max_punches(image.family, card6_192));
}

BlockList blocks_for_punches(CardFamily f, int n) {
    BlockList list;
    if (f == CardFamily::k5 || f == CardFamily::kUnknown) return list;
    n = std::min(n, family_max_punches(f, true));
    for (int i = 0; i < n; ++i) {
        int b = punch_place(f, i).block;
        bool listed = b == 0;
        for (int k = 0; k < list.count; ++k) listed = listed || list.blocks[k] == b;
        if (!listed) list.blocks[list.count++] = static_cast<std::uint8_t>(b);
    }
    return list;
}

bool decode_card_image(const CardImage& image, const CardDecodeOptions& options, WholeCard& out) {
    out = WholeCard{};
    if (!image.has(0) || image.family == CardFamily::kUnknown) return false;
    if (image.family == CardFamily::k5) {
        decode_card5(image, options, out);
        return true;
    }
    const CardBlock& b0 = image.block[0];
    CardReadout& r = out.readout;
    bool card6 = image.family == CardFamily::k6 || image.family == CardFamily::k6Star;
    std::int32_t start = 0, finish = 0;
    if (card6) {
        r.card_number = be24(&b0[0x0B]);
        out.family = r.card_number >= 16711680 ? CardFamily::k6Star : CardFamily::k6;
        finish = record_time(b0[0x14], &b0[0x16]);
        start = record_time(b0[0x18], &b0[0x1A]);
        out.check_time = record_time(b0[0x1C], &b0[0x1E]);
        out.clear_time = record_time(b0[0x20], &b0[0x22]);
        // A card with no start number written holds EE there.
        const std::uint8_t* number = &b0[0x28];
        if (!(number[0] == 0xEE && number[1] == 0xEE && number[2] == 0xEE && number[3] == 0xEE))
            r.start_number = static_cast<std::int32_t>((std::uint32_t(number[0]) << 24) |
                                                       (std::uint32_t(number[1]) << 16) |
                                                       (std::uint32_t(number[2]) << 8) | number[3]);
    } else {
        r.card_number = be24(&b0[0x19]);
        out.family = card_family_of(r.card_number);
        // Block 0 must name a card of the family the station announced, with its series byte.
        if (!detected_by_e8(out.family) || out.family != image.family ||
            b0[0x18] != card_family_series(out.family))
            return false;
        out.check_time = record_time(b0[0x08], &b0[0x0A]);
        start = record_time(b0[0x0C], &b0[0x0E]);
        finish = record_time(b0[0x10], &b0[0x12]);
    }
    CardImage counted = image;
    counted.family = out.family;
    int n = image_punch_count(counted, options.card6_192);
    if (options.punch_limit > 0) n = std::min(n, options.punch_limit);
    out.punches.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        PunchPlace at = punch_place(out.family, i);
        if (!image.has(at.block)) return false;
        const std::uint8_t* rec = image.block[at.block].data() + at.offset;
        CardPunch p;
        if (out.family == CardFamily::kT) {
            p.code = rec[0];
            p.time = record_time(rec[4], rec + 5);
        } else {
            p.code = rec[1] + 256 * (rec[0] >> 6);
            p.time = record_time(rec[0], rec + 2);
        }
        if (p.time == 0) continue;
        out.punches.push_back(p);
    }
    if (options.multi_day)
        roll_over_days(out.punches.data(), static_cast<int>(out.punches.size()), finish);
    r.start.time = start;
    r.finish.time = finish;
    int kept = std::min<int>(static_cast<int>(out.punches.size()), CardReadout::kMaxPunches);
    for (int k = 0; k < kept; ++k) {
        r.punches[k].code = static_cast<std::uint8_t>(out.punches[k].code & 0xFF);
        r.punches[k].time = out.punches[k].time;
    }
    r.punch_count = kept;
    for (const CardPunch& p : out.punches)
        if (p.code > 255) {
            out.long_code = p.code;
            break;
        }
    return true;
}

WholeCard whole_card_of(const CardReadout& readout, int basic_type) {
    WholeCard w;
    w.readout = readout;
    w.family = basic_type == 5                   ? CardFamily::k5
               : basic_type == 10                ? CardFamily::kT
               : readout.card_number >= 16711680 ? CardFamily::k6Star
                                                 : CardFamily::k6;
    int n = readout.held_punches();
    w.punches.reserve(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k)
        w.punches.push_back({readout.punches[k].code, readout.punches[k].time});
    return w;
}

}  // namespace skarvel
