// The six record types of a competition. Each struct keeps every byte of its stored form:
// named fields, and the reserved gaps as raw bytes, so a load and save gives the same bytes.
// `visit_fields` lists the fields with their byte offsets; the file codec walks that list,
// never the struct's memory.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace skarvel {

// Status codes of a runner.
enum RunnerStatus : std::uint8_t {
    kStatusOk = 0,
    kStatusWrongPunch = 1,
    kStatusOverTime = 2,
    // 3..6: four reasons named by the user
    kStatusDidNotFinish = 7,
    kStatusDidNotStart = 8,
};
constexpr int kStatusCount = 9;

// Fixed-size NUL-terminated text fields.
template <std::size_t N>
std::string_view field_text(const char (&field)[N]) {
    return {field, strnlen(field, N)};
}
// Stores at most N-1 bytes and zero-fills the rest of the field.
template <std::size_t N>
void set_field_text(char (&field)[N], std::string_view text) {
    std::size_t n = text.size() < N - 1 ? text.size() : N - 1;
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), n);
}

// Which row of a shared competition a record is (see shared/): kept in the record so it
// follows the record through every move, sort and compaction of its table, but never stored
// in the file and never copied: a copy of a record is a new record, and assigning one record
// over another keeps the target's identity (it is that row, changed).
struct RowTag {
    std::int64_t uid = 0;  // 0: not a row yet; < 0: made here, not yet stored on the server
    bool foreign = false;  // made on another computer
    RowTag() = default;
    RowTag(const RowTag&) noexcept {}
    RowTag& operator=(const RowTag&) noexcept { return *this; }
};

struct Runner {
    static constexpr int kSize = 196;
    char name[26] = {};
    char comment[22] = {};
    std::uint16_t birth_year = 0;
    std::uint8_t qualification = 0;
    std::uint8_t reserved51 = 0;
    std::int16_t class_id = 0;
    std::int16_t club_id = 0;
    std::uint8_t reserved56[2] = {};
    std::uint16_t start_number = 0;
    std::int32_t start_time = 0;
    std::int32_t finish_time = 0;
    std::int32_t result = 0;
    std::int32_t reserved72[2] = {};
    std::uint16_t penalty = 0;
    std::uint16_t place = 0;
    std::int32_t reserved84 = 0;
    std::int32_t card_number = 0;
    std::int32_t id = 0;
    std::uint8_t marked = 0;
    std::uint8_t out_of_competition = 0;
    std::uint8_t individual = 0;
    std::uint8_t reserved99 = 0;
    std::uint8_t fee_flags = 0;
    std::uint8_t reserved101[3] = {};
    std::int32_t draw_key = 0;
    std::uint8_t status = 0;
    std::uint8_t reserved109[3] = {};
    std::int32_t day_results[10] = {};
    std::int32_t multiday_total = 0;
    std::int32_t heat_or_leg = 0;
    std::uint8_t reserved160[36] = {};

    static constexpr std::uint8_t kFeeReduced = 1;
    static constexpr std::uint8_t kFeeOwnCard = 2;

    RowTag row;  // not stored

    template <class R, class V>
    static void visit_fields(R& r, V&& v) {
        v(0, r.name);
        v(26, r.comment);
        v(48, r.birth_year);
        v(50, r.qualification);
        v(51, r.reserved51);
        v(52, r.class_id);
        v(54, r.club_id);
        v(56, r.reserved56);
        v(58, r.start_number);
        v(60, r.start_time);
        v(64, r.finish_time);
        v(68, r.result);
        v(72, r.reserved72);
        v(80, r.penalty);
        v(82, r.place);
        v(84, r.reserved84);
        v(88, r.card_number);
        v(92, r.id);
        v(96, r.marked);
        v(97, r.out_of_competition);
        v(98, r.individual);
        v(99, r.reserved99);
        v(100, r.fee_flags);
        v(101, r.reserved101);
        v(104, r.draw_key);
        v(108, r.status);
        v(109, r.reserved109);
        v(112, r.day_results);
        v(152, r.multiday_total);
        v(156, r.heat_or_leg);
        v(160, r.reserved160);
    }
};

// Runner counters kept on clubs, classes and courses; rebuilt by recount_tables.
struct Club {
    static constexpr int kSize = 56;
    std::int32_t id = 0;
    char name[21] = {};
    char representative[21] = {};
    std::int16_t runner_count = 0;
    std::int16_t finish_line_count = 0;
    std::int16_t marked_count = 0;
    std::uint8_t marked = 0;
    std::uint8_t reserved53[3] = {};

    RowTag row;  // not stored

    template <class R, class V>
    static void visit_fields(R& r, V&& v) {
        v(0, r.id);
        v(4, r.name);
        v(25, r.representative);
        v(46, r.runner_count);
        v(48, r.finish_line_count);
        v(50, r.marked_count);
        v(52, r.marked);
        v(53, r.reserved53);
    }
};

struct ClassRecord {
    static constexpr int kSize = 36;
    static constexpr std::uint8_t kFlagMarked = 1;
    static constexpr std::uint8_t kFlagRanksAllowed = 2;
    std::int32_t id = 0;
    char name[9] = {};
    std::uint8_t ms_award = 0;
    std::uint8_t kms_award = 0;
    std::uint8_t reserved15 = 0;
    std::int16_t course_id = 0;
    std::int16_t runner_count = 0;
    std::int16_t finish_line_count = 0;
    std::int16_t marked_count = 0;
    std::uint8_t flags = 0;
    std::uint8_t reserved25 = 0;
    std::int16_t fee_rental_normal = 0;
    std::int16_t fee_rental_reduced = 0;
    std::int16_t fee_own_normal = 0;
    std::int16_t fee_own_reduced = 0;
    std::uint8_t reserved34[2] = {};

    bool marked() const { return flags & kFlagMarked; }
    void set_marked(bool on) { flags = on ? (flags | kFlagMarked) : (flags & ~kFlagMarked); }
    bool ranks_allowed() const { return flags & kFlagRanksAllowed; }
    void set_ranks_allowed(bool on) {
        flags = on ? (flags | kFlagRanksAllowed) : (flags & ~kFlagRanksAllowed);
    }

    RowTag row;  // not stored

    template <class R, class V>
    static void visit_fields(R& r, V&& v) {
        v(0, r.id);
        v(4, r.name);
        v(13, r.ms_award);
        v(14, r.kms_award);
        v(15, r.reserved15);
        v(16, r.course_id);
        v(18, r.runner_count);
        v(20, r.finish_line_count);
        v(22, r.marked_count);
        v(24, r.flags);
        v(25, r.reserved25);
        v(26, r.fee_rental_normal);
        v(28, r.fee_rental_reduced);
        v(30, r.fee_own_normal);
        v(32, r.fee_own_reduced);
        v(34, r.reserved34);
    }
};

struct Course {
    static constexpr int kSize = 352;
    static constexpr int kControlSlots = 100;
    static constexpr int kEditableControls = 80;
    std::int32_t id = 0;
    char name[12] = {};
    std::uint8_t control_codes[100] = {};
    std::uint16_t control_values[100] = {};
    std::int32_t length_m = 0;
    std::int32_t start_corridor = 0;
    std::int32_t control_count = 0;
    std::int32_t climb_m = 0;
    std::int32_t time_limit_min = 0;
    std::int32_t finish_crossings = 0;
    std::int32_t course_setter = 0;
    std::int16_t runner_count = 0;
    std::int16_t finish_line_count = 0;
    std::int16_t marked_count = 0;
    std::uint8_t marked = 0;
    std::uint8_t reserved351 = 0;

    RowTag row;  // not stored

    template <class R, class V>
    static void visit_fields(R& r, V&& v) {
        v(0, r.id);
        v(4, r.name);
        v(16, r.control_codes);
        v(116, r.control_values);
        v(316, r.length_m);
        v(320, r.start_corridor);
        v(324, r.control_count);
        v(328, r.climb_m);
        v(332, r.time_limit_min);
        v(336, r.finish_crossings);
        v(340, r.course_setter);
        v(344, r.runner_count);
        v(346, r.finish_line_count);
        v(348, r.marked_count);
        v(350, r.marked);
        v(351, r.reserved351);
    }
};

struct FinishLine {
    static constexpr int kSize = 12;
    static constexpr std::uint8_t kFlagSent = 0x80;
    static constexpr std::uint8_t kFlagToggle = 0x40;
    static constexpr std::uint8_t kFlagPosted = 0x01;
    std::int16_t start_number = 0;
    std::uint8_t reserved2[2] = {};
    // Low 24 bits: the finish time of day; high 8 bits: a small counter.
    std::uint32_t time_word = 0;
    std::uint8_t flags = 0;
    std::uint8_t reserved9[3] = {};

    std::int32_t time() const { return static_cast<std::int32_t>(time_word & 0xFFFFFF); }
    void set_time(std::int32_t t) {
        time_word = (time_word & 0xFF000000u) | (std::uint32_t(t) & 0xFFFFFF);
    }
    int counter() const { return static_cast<int>(time_word >> 24); }
    void set_counter(int c) {
        time_word = (time_word & 0xFFFFFF) | (std::uint32_t(c & 0xFF) << 24);
    }
    bool sent() const { return flags & kFlagSent; }
    bool posted() const { return flags & kFlagPosted; }

    RowTag row;  // not stored

    template <class R, class V>
    static void visit_fields(R& r, V&& v) {
        v(0, r.start_number);
        v(2, r.reserved2);
        v(4, r.time_word);
        v(8, r.flags);
        v(9, r.reserved9);
    }
};

// One punch as stored in a card readout: a control code and a time of day.
struct Punch {
    static constexpr int kSize = 8;
    std::uint8_t code = 0;
    std::uint8_t reserved[3] = {};
    std::int32_t time = 0;

    template <class R, class V>
    static void visit_fields(R& r, V&& v) {
        v(0, r.code);
        v(1, r.reserved);
        v(4, r.time);
    }
};

struct CardReadout {
    static constexpr int kSize = 556;
    static constexpr int kMaxPunches = 64;
    std::int32_t card_number = 0;
    std::int32_t start_number = 0;
    std::int32_t punch_count = 0;
    Punch start;
    Punch finish;
    Punch station_punches[2];
    Punch punches[64];

    // The punches held in `punches`: `punch_count` as stored, kept within 0..64 (a damaged or
    // hostile file may hold anything there).
    int held_punches() const { return std::clamp(punch_count, 0, kMaxPunches); }

    RowTag row;  // not stored

    template <class R, class V>
    static void visit_fields(R& r, V&& v) {
        v(0, r.card_number);
        v(4, r.start_number);
        v(8, r.punch_count);
        v(12, r.start);
        v(20, r.finish);
        v(28, r.station_punches);
        v(44, r.punches);
    }
};

}  // namespace skarvel
