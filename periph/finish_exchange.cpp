#include "periph/finish_exchange.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/finish_results.h"

namespace skarvel {

FinishDatagram encode_finish_datagram(const FinishLine& line, int status) {
    FinishDatagram out{};
    char text[kFinishDatagramSize];
    int n = std::snprintf(text, sizeof text, "%4d %12d %d %d\n",
                          static_cast<int>(static_cast<std::uint16_t>(line.start_number)),
                          static_cast<std::int32_t>(line.time_word), status, line.flags & 0x7F);
    // The longest possible text is far below 128 bytes; the last byte stays the zero.
    std::memcpy(out.data(), text, std::min<std::size_t>(n, kFinishDatagramSize - 1));
    return out;
}

namespace {
constexpr std::string_view kSharedMark = "SKSHARE ";
}  // namespace

void put_shared_mark(FinishDatagram& d, std::string_view competition_id) {
    std::size_t end = 0;
    while (end < d.size() && d[end] != 0) ++end;
    std::size_t at = end + 1;
    std::size_t room = d.size() - at - 1;  // a zero ends the mark too
    std::string mark = std::string(kSharedMark) + std::string(competition_id);
    if (at >= d.size() || mark.size() > room) return;
    std::memcpy(d.data() + at, mark.data(), mark.size());
}

std::string shared_mark_of(std::span<const std::uint8_t> bytes) {
    std::size_t end = 0;
    while (end < bytes.size() && bytes[end] != 0) ++end;
    std::size_t at = end + 1;
    if (at + kSharedMark.size() > bytes.size()) return {};
    if (std::memcmp(bytes.data() + at, kSharedMark.data(), kSharedMark.size()) != 0) return {};
    std::string id;
    for (std::size_t i = at + kSharedMark.size(); i < bytes.size() && bytes[i] != 0; ++i)
        id += static_cast<char>(bytes[i]);
    return id;
}

namespace {

// A decimal field: leading spaces, an optional minus, at least one digit. Advances `p`.
bool read_decimal(const char*& p, const char* end, bool allow_minus, std::int64_t& value) {
    while (p < end && *p == ' ') ++p;
    bool negative = false;
    if (allow_minus && p < end && *p == '-') {
        negative = true;
        ++p;
    }
    const char* digits = p;
    std::int64_t v = 0;
    while (p < end && *p >= '0' && *p <= '9') {
        v = v * 10 + (*p - '0');
        if (v > 0xFFFFFFFFll) return false;
        ++p;
    }
    if (p == digits) return false;
    value = negative ? -v : v;
    return true;
}

}  // namespace

std::optional<FinishDatagramValues> decode_finish_datagram(std::span<const std::uint8_t> bytes) {
    if (bytes.empty() || bytes.size() > kFinishDatagramSize) return std::nullopt;
    const char* begin = reinterpret_cast<const char*>(bytes.data());
    const char* end = static_cast<const char*>(std::memchr(begin, 0, bytes.size()));
    if (!end) return std::nullopt;

    const char* p = begin;
    std::int64_t number, time_word, status, counter;
    if (!read_decimal(p, end, false, number) || p == end || *p != ' ') return std::nullopt;
    if (!read_decimal(p, end, true, time_word) || p == end || *p != ' ') return std::nullopt;
    if (!read_decimal(p, end, false, status)) return std::nullopt;
    // The counter is not used; when present it must be a number too.
    if (p < end && *p == ' ' && (!read_decimal(p, end, false, counter) || counter > 127))
        return std::nullopt;
    if (p < end && *p == '\n') ++p;
    if (p != end) return std::nullopt;

    if (number < 1 || number > 65535) return std::nullopt;
    if (time_word < INT32_MIN || time_word > INT32_MAX) return std::nullopt;
    if (status < 0 || status > 8) return std::nullopt;
    return FinishDatagramValues{static_cast<std::uint16_t>(number),
                                static_cast<std::int32_t>(time_word), static_cast<int>(status)};
}

// --- The client -------------------------------------------------------------------------------

ServerNameKind classify_server_name(std::string_view name) {
    if (name.empty()) return ServerNameKind::kEmpty;
    char first = name.front();
    if ((first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z'))
        return ServerNameKind::kHostName;
    // Four decimal parts 0..255 of one to three digits.
    int parts = 0;
    std::size_t i = 0;
    while (i <= name.size()) {
        std::size_t j = i;
        int value = 0;
        while (j < name.size() && name[j] >= '0' && name[j] <= '9' && j - i < 3)
            value = value * 10 + (name[j++] - '0');
        if (j == i || value > 255) return ServerNameKind::kRefused;
        ++parts;
        if (j == name.size()) break;
        if (name[j] != '.' || parts == 4) return ServerNameKind::kRefused;
        i = j + 1;
    }
    return parts == 4 ? ServerNameKind::kIpv4 : ServerNameKind::kRefused;
}

std::string finish_server_name(const Competition& c) {
    const char* s = c.info.finish_server_name;
    return std::string(s, strnlen(s, 14));
}

namespace {

// The test of a line to send, with the runner's result looked at after at most one
// recomputation (`recomputed` tells whether it was done already).
bool line_due(Competition& c, int slot, bool& recomputed) {
    const FinishLine* line = c.tables.finish_lines[slot];
    if (!line || line->sent() || line->start_number == 0 || line->time() == 0) return false;
    const Runner* r = c.runner_by_number(line->start_number);
    if (!r) return false;
    if (r->result == 0 && !recomputed) {
        c.recompute_finish_results();
        recomputed = true;
    }
    return r->result != 0;
}

}  // namespace

int next_pending_finish_line(Competition& c, ClientPass& pass) {
    const auto& t = c.tables.finish_lines;
    for (int i = pass.next_slot; i < t.capacity() && t[i]; ++i) {
        if (line_due(c, i, pass.recomputed)) {
            pass.next_slot = i + 1;
            return i;
        }
    }
    pass.next_slot = t.capacity();
    return kNoSlot;
}

bool finish_line_due(Competition& c, int slot) {
    if (slot < 0 || slot >= c.tables.finish_lines.capacity()) return false;
    bool recomputed = false;
    return line_due(c, slot, recomputed);
}

FinishDatagram finish_datagram_for(const Competition& c, int slot) {
    const FinishLine& line = *c.tables.finish_lines[slot];
    const Runner* r = c.runner_by_number(line.start_number);
    return encode_finish_datagram(line, r ? r->status : 0);
}

void mark_sent(Competition& c, int slot) {
    if (FinishLine* line = c.tables.finish_lines[slot]) {
        line->flags |= FinishLine::kFlagSent;
        c.modified = true;
    }
}

// --- The server -------------------------------------------------------------------------------

FinishReceiver::Outcome FinishReceiver::store(Competition& c, std::span<const std::uint8_t> bytes) {
    ++counts_.received;
    if (!joined_to.empty() && shared_mark_of(bytes) == joined_to) {
        ++counts_.same_shared;
        return Outcome::kSameShared;
    }
    std::optional<FinishDatagramValues> v = decode_finish_datagram(bytes);
    if (!v) {
        ++counts_.dropped;
        return Outcome::kDropped;
    }
    auto set_status = [&c, &v] {
        if (v->number < kNumberIndexSize)
            if (Runner* r = c.runner_by_number(v->number))
                r->status = static_cast<std::uint8_t>(v->status);
    };
    const std::uint64_t key = (std::uint64_t(v->number) << 32) | std::uint32_t(v->time_word);
    if (auto seen = seen_.find(key); seen != seen_.end()) {
        if (seen->second == v->status) {
            ++counts_.duplicates;
            return Outcome::kDuplicate;
        }
        // The line is here already: only the runner's status was corrected on the client.
        seen->second = v->status;
        set_status();
        c.modified = true;
        ++counts_.status_changes;
        return Outcome::kStatusChanged;
    }
    int slot = c.new_record(kFinishLines);
    if (slot == kNoSlot) {
        ++counts_.table_full;
        return Outcome::kTableFull;
    }
    seen_.emplace(key, v->status);
    FinishLine& line = *c.tables.finish_lines[slot];
    line.start_number = static_cast<std::int16_t>(v->number);
    line.time_word = static_cast<std::uint32_t>(v->time_word);
    set_status();
    if (v->number > kStartTimeNumberOffset) {
        auto& runners = c.tables.runners;
        for (int i = 0; i < runners.used_end(); ++i)
            if (Runner* r = runners[i]; r && r->start_number + kStartTimeNumberOffset == v->number)
                r->start_time = v->time_word;
    }
    c.modified = true;
    ++counts_.stored;
    return Outcome::kStored;
}

bool FinishReceiver::store_all(Competition& c,
                               const std::vector<std::vector<std::uint8_t>>& batch) {
    bool any = false;
    for (const auto& d : batch) {
        const Outcome o = store(c, d);
        any |= o == Outcome::kStored || o == Outcome::kStatusChanged;
    }
    if (any) finish_data_changed(c);
    return any;
}

void FinishReceiver::reset() {
    seen_.clear();
    counts_ = {};
}

}  // namespace skarvel
