#include "punch/station_link.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "core/time_text.h"

namespace skarvel {

std::uint16_t station_crc16(const std::uint8_t* b, std::size_t n) {
    if (n < 2) return 0;
    std::uint32_t crc = (b[0] << 8) | b[1];
    if (n == 2) return static_cast<std::uint16_t>(crc);
    std::size_t passes = n / 2;
    std::size_t at = 2;
    for (std::size_t pass = 0; pass < passes; ++pass) {
        std::uint32_t v;
        if (pass + 1 < passes) {
            v = (b[at] << 8) | b[at + 1];
            at += 2;
        } else {
            v = (n % 2) ? (b[at] << 8) : 0;
        }
        for (int bit = 0; bit < 16; ++bit) {
            bool top = crc & 0x8000;
            crc = ((crc << 1) | ((v >> 15) & 1)) & 0xFFFF;
            if (top) crc ^= 0x8005;
            v = (v << 1) & 0xFFFF;
        }
    }
    return static_cast<std::uint16_t>(crc);
}

namespace {

std::int32_t be16(const std::uint8_t* p) {
    return (p[0] << 8) | p[1];
}
std::int32_t be32(const std::uint8_t* p) {
    return static_cast<std::int32_t>((std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) |
                                     (std::uint32_t(p[2]) << 8) | p[3]);
}

// A time of a type-6/10 card: 12-hour seconds plus the afternoon bit; 0xEE 0xEE is no time.
std::int32_t block_time(const std::uint8_t* hl, std::uint8_t afternoon_byte) {
    if (hl[0] == 0xEE && hl[1] == 0xEE) return 0;
    return (be16(hl) + (afternoon_byte & 1) * 43200) * 100;
}

}  // namespace

void decode_card_type5(const std::uint8_t* p, std::int32_t competition_start, CardReadout& out) {
    int series = p[7] == 1 ? 0 : p[7];
    out.card_number = series * 100000 + be16(p + 5);
    out.start_number = be16(p + 18);

    std::int32_t start = be16(p + 20) * 100;
    if (start > kTwelveHours)
        start = 0;
    else if (start < competition_start)
        start += kTwelveHours;
    out.start.time = start;

    std::int32_t finish = be16(p + 22) * 100;
    if (finish > kTwelveHours) finish = 0;
    if (finish != 0 && finish < start) finish += kTwelveHours;
    if (finish != 0 && finish < competition_start) finish += kTwelveHours;
    out.finish.time = finish;

    // The counter byte counts one more than the punches; a card holds at most 36 of them, so
    // a damaged counter can never make the readout claim slots it does not have.
    out.punch_count = std::clamp(static_cast<int>(p[24]) - 1, 0, kType5Punches);

    for (int g = 0; g < 6; ++g) {
        const std::uint8_t* group = p + 33 + 16 * g;
        out.punches[30 + g].code = group[0];
        out.punches[30 + g].time = 0;
        for (int k = 0; k < 5; ++k) {
            Punch& slot = out.punches[5 * g + k];
            slot.code = group[1 + 3 * k];
            slot.time = be16(group + 2 + 3 * k) * 100;
        }
    }
    std::int32_t reference = competition_start;
    for (int k = 0; k < 30; ++k) {
        std::int32_t& t = out.punches[k].time;
        if (t < reference) t += kTwelveHours;
        reference = t;
    }
    for (int k = out.punch_count; k < CardReadout::kMaxPunches; ++k) {
        out.punches[k].code = 0;
        out.punches[k].time = 0;
    }
}

void decode_card_blocks(const std::uint8_t* d, int type, bool multi_day, CardReadout& out) {
    out.card_number = be32(d + 10);
    out.finish.time = block_time(d + 22, d[20]);
    out.start.time = block_time(d + 26, d[24]);
    out.start_number = be32(d + 40);

    int taken = 0;
    int records = type == 10 ? 32 : 64;
    int limit = type == 10 ? kType10MaxPunches : CardReadout::kMaxPunches;
    for (int i = 0; i < records && taken < limit; ++i) {
        std::uint8_t code;
        std::int32_t time;
        if (type == 10) {
            const std::uint8_t* r = d + 128 + 8 * i;
            code = r[0];
            time = block_time(r + 5, r[4]);
        } else {
            const std::uint8_t* r = d + 128 + 4 * i;
            code = r[1];
            time = block_time(r + 2, r[0]);
        }
        if (time == 0) continue;
        out.punches[taken].code = code;
        out.punches[taken].time = time;
        ++taken;
    }
    out.punch_count = taken;
    // The working readout is reused from card to card: nothing of an earlier card may stay
    // behind the punches of this one.
    for (int k = taken; k < CardReadout::kMaxPunches; ++k) out.punches[k] = Punch{};

    if (multi_day && taken >= 2) {
        std::int32_t last_rolled = 0;
        for (int k = 1; k < taken; ++k) {
            while (out.punches[k].time < out.punches[k - 1].time) {
                out.punches[k].time += kDay;
                last_rolled = out.punches[k].time;
            }
        }
        if (out.finish.time != 0)
            while (out.finish.time <= last_rolled) out.finish.time += kDay;
    }
}

void decode_memory_record(const std::uint8_t* r, std::int32_t& card_number, std::int32_t& time) {
    if (r[0] > 4)
        card_number = r[0] * 65536 + r[1] * 256 + r[2];
    else
        card_number = r[0] * 100000 + r[1] * 256 + r[2];
    time = (r[5] * 256 + r[6]) * 100 + (r[4] & 1) * kTwelveHours + (r[7] * 100) / 256;
}

std::vector<std::uint8_t> station_command_frame(const std::uint8_t* body, std::size_t n) {
    std::uint16_t k = station_crc16(body, n);
    std::vector<std::uint8_t> out(n + 6);
    out[0] = 0xFF;
    out[1] = out[2] = 0x02;
    for (std::size_t i = 0; i < n; ++i) out[3 + i] = body[i];
    out[n + 3] = static_cast<std::uint8_t>(k >> 8);
    out[n + 4] = static_cast<std::uint8_t>(k);
    out[n + 5] = 0x03;
    return out;
}

std::vector<std::uint8_t> memory_record_request(int n) {
    std::uint32_t a = 256 + 8u * static_cast<std::uint32_t>(n);
    std::uint8_t body[6] = {
        0x81, 0x04, std::uint8_t(a >> 16), std::uint8_t(a >> 8), std::uint8_t(a), 0x08};
    return station_command_frame(body, 6);
}

// --- StationLink ---------------------------------------------------------------------------

int StationLink::read_one(bool stuffed) {
    if (read_failed) return 0;
    int b = stop_requested() ? -1 : port_.read_byte(timing_.byte_timeout_ms);
    if (stuffed && b == 0x10) b = stop_requested() ? -1 : port_.read_byte(timing_.byte_timeout_ms);
    if (b < 0) {
        read_failed = true;
        return 0;
    }
    frame_sum = static_cast<std::uint8_t>(frame_sum + b);
    return b;
}

int StationLink::read_stuffed_byte() {
    return read_one(true);
}
int StationLink::read_raw_byte() {
    return read_one(false);
}

void StationLink::drain() {
    read_failed = false;
    while (!read_failed) read_raw_byte();
}

bool StationLink::send(const std::uint8_t* data, std::size_t n) {
    if (stop_requested()) return false;
    return port_.write(data, n);
}

void StationLink::pause_ms(int ms) const {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!stop_requested()) {
        auto now = std::chrono::steady_clock::now();
        if (now >= until) break;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
            until - now, std::chrono::milliseconds(20)));
    }
}

int StationLink::detect_card() {
    detected_number = 0;
    for (int attempt = 0; attempt < 21; ++attempt) {
        if (stop_requested()) return 0;
        read_failed = false;
        if (read_stuffed_byte() != 0x02) continue;
        int x = read_stuffed_byte();
        if (x == 0x46) {
            if (read_stuffed_byte() == 0x49 && read_stuffed_byte() == 0x03)
                return read_failed ? 0 : 5;
            continue;
        }
        if (x == 0x66) {
            for (int i = 0; i < 3; ++i) read_stuffed_byte();
            std::uint8_t number[4];
            for (auto& b : number) b = static_cast<std::uint8_t>(read_stuffed_byte());
            read_stuffed_byte();
            if (read_failed) return 0;
            // The rest of the detection frame (its sum and end byte) is not part of any block
            // reply: drop it, so the first block reply is consumed from its own first byte.
            port_.discard_input();
            detected_number = be32(number);
            return be32(number) / 1000000 == 6 ? 10 : 6;
        }
    }
    return 0;
}

bool StationLink::wait_first_reply_byte() {
    for (int i = 0; i < timing_.first_reply_reads; ++i) {
        read_failed = false;
        read_stuffed_byte();
        if (!read_failed) return true;
        if (stop_requested()) return false;
    }
    return false;
}

bool StationLink::read_card_type5(CardReadout& card, std::int32_t competition_start,
                                  const KeepCard& keep) {
    for (auto& p : card.punches) p.code = 0;
    send({0x02, 0x31, 0x03});
    if (!wait_first_reply_byte()) return false;
    read_stuffed_byte();
    frame_sum = 0;
    std::uint8_t p[kType5FrameSize];
    for (auto& b : p) b = static_cast<std::uint8_t>(read_stuffed_byte());
    std::uint8_t sum = frame_sum;
    int k = read_stuffed_byte();
    int end = read_stuffed_byte();
    bool valid = !read_failed && k == sum;
    // Only a frame whose sum matched is decoded: a damaged frame leaves nothing to store.
    if (valid) decode_card_type5(p, competition_start, card);
    bool taken = valid && (!keep || keep(card));
    if (taken && end == 0x03) send({0x06});
    for (int i = 0; i < 4; ++i) read_stuffed_byte();
    return taken;
}

bool StationLink::read_card_blocks(CardReadout& card, int type, bool multi_day,
                                   const KeepCard& keep) {
    std::uint8_t d[kCardBlockCount * kBlockSize];
    int good_blocks = 0;
    for (int i = 0; i < kCardBlockCount; ++i) {
        send({0x02, 0x61, 0x10, kCardBlocks[i], 0x03});
        if (!wait_first_reply_byte()) break;
        read_stuffed_byte();
        frame_sum = 0;
        read_stuffed_byte();
        read_stuffed_byte();
        for (int j = 0; j < kBlockSize; ++j)
            d[i * kBlockSize + j] = static_cast<std::uint8_t>(read_stuffed_byte());
        std::uint8_t sum = frame_sum;
        int k = read_stuffed_byte();
        read_stuffed_byte();
        if (!read_failed && k == sum) ++good_blocks;
        if (good_blocks == 0) break;
    }
    if (good_blocks != kCardBlockCount) return false;
    decode_card_blocks(d, type, multi_day, card);
    if (keep && !keep(card)) return false;
    send({0x06});
    read_failed = false;
    for (int i = 0; i < 4; ++i) read_stuffed_byte();
    return true;
}

int StationLink::query_memory_count(int station_type) {
    drain();
    const auto& request = memory_count_request();
    send(request.data(), request.size());
    pause_ms(timing_.memory_count_wait_ms);
    read_failed = false;
    if (read_raw_byte() != 0x02) return -1;
    int b = read_raw_byte();
    if (b == 0x02) b = read_raw_byte();
    if (b != 0x83) return -1;
    for (int i = 0; i < 4; ++i) read_raw_byte();
    std::uint32_t m0 = read_raw_byte(), m1 = read_raw_byte();
    for (int i = 0; i < 3; ++i) read_raw_byte();
    std::uint32_t m2 = read_raw_byte(), m3 = read_raw_byte();
    for (int i = 0; i < (station_type != 0 ? 4 : 3); ++i) read_raw_byte();
    // A reply cut short would give a made-up count; report it as a failed query instead.
    if (read_failed) return -1;
    // Records start at address 256, 8 bytes each, and a record request names its address in
    // 3 bytes: an address outside that range is a damaged reply, never a count.
    std::uint32_t address = (m0 << 24) | (m1 << 16) | (m2 << 8) | m3;
    if (address < 256 || address > kMaxMemoryAddress) return -1;
    return static_cast<int>((address - 256) >> 3);
}

int StationLink::read_memory_record(int n, std::int32_t& card_number, std::int32_t& time) {
    if (n < 0 || n >= kMaxMemoryRecords) return -1;
    auto request = memory_record_request(n);
    drain();
    send(request.data(), request.size());
    pause_ms(timing_.memory_record_wait_ms);
    read_failed = false;
    if (read_raw_byte() != 0x02) return -1;
    int b = read_raw_byte();
    if (b == 0x02) b = read_raw_byte();
    if (b != 0x81) return -1;
    for (int i = 0; i < 6; ++i) read_raw_byte();
    std::uint8_t r[8];
    for (auto& x : r) x = static_cast<std::uint8_t>(read_raw_byte());
    for (int i = 0; i < 3; ++i) read_raw_byte();
    if (read_failed) return -1;
    decode_memory_record(r, card_number, time);
    return 1;
}

}  // namespace skarvel
