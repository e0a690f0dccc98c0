#include "core/wdb_file.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>

#include "core/atomic_file.h"
#include "core/cp1251.h"
#include "core/field_codec.h"
#include "core/file_error.h"
#include "core/finish_results.h"
#include "core/long_names.h"
#include "core/text_format.h"

namespace skarvel {

using namespace literals;

namespace {

constexpr std::size_t kTrailerSize = 20;
constexpr std::size_t kStatusBlockSize = 220;

// Old (version 11) record and header sizes.
constexpr std::size_t kOldRunnerSize = 140;
constexpr std::size_t kOldClubSize = 220;
constexpr std::size_t kOldClassSize = 56;
constexpr std::size_t kOldCourseSize = 320;
constexpr std::size_t kOldHeaderSize = 632;
constexpr std::size_t kOldFinishLineSize = 16;
constexpr std::size_t kOldCardReadoutSize = 312;

struct PartName {
    const char* id;  // for LoadResult::damaged_table
    Txt user;        // for the message
};

const PartName kRunnersPart{"runners", Txt::kWdbPartRunners};
const PartName kClubsPart{"clubs", Txt::kWdbPartClubs};
const PartName kClassesPart{"classes", Txt::kWdbPartClasses};
const PartName kCoursesPart{"courses", Txt::kWdbPartCourses};
const PartName kInfoPart{"info", Txt::kWdbPartInfo};
const PartName kFinishPart{"finish_lines", Txt::kWdbPartFinish};
const PartName kCardsPart{"card_readouts", Txt::kWdbPartCards};
const PartName kStatusPart{"status_texts", Txt::kWdbPartStatus};
const PartName kEndPart{"end", Txt::kWdbPartEnd};
const PartName* const kParts[] = {&kRunnersPart, &kClubsPart,  &kClassesPart,
                                  &kCoursesPart, &kInfoPart,   &kFinishPart,
                                  &kCardsPart,   &kStatusPart, &kEndPart};

// kWrongEnd: the bytes after the last table are not what the version holds (a count changed,
// bytes inserted or lost inside a table); records_read and records_expected then count bytes.
enum class Damage { kEndedEarly, kNegativeCount, kOverCapacity, kWrongEnd };

}  // namespace

std::string damaged_message(const LoadResult& res, const LanguageTable& lang) {
    if (static_cast<Damage>(res.damage) == Damage::kWrongEnd)
        return strf_view(lang.text(Txt::kWdbWrongEnd), res.records_read, res.records_expected);
    Txt table = Txt::kWdbPartRunners;
    for (const PartName* p : kParts)
        if (res.damaged_table == p->id) table = p->user;
    std::string reason;
    switch (static_cast<Damage>(res.damage)) {
        case Damage::kEndedEarly:
            reason = lang.text(Txt::kWdbEndedEarly);
            break;
        case Damage::kNegativeCount:
            reason = lang.text(Txt::kWdbNegativeCount);
            break;
        case Damage::kOverCapacity:
            reason = strf_view(lang.text(Txt::kWdbOverCapacity), res.table_capacity);
            break;
        case Damage::kWrongEnd:
            break;
    }
    return strf_view(lang.text(Txt::kWdbDamaged), reason.c_str(),
                     std::string(lang.text(table)).c_str(), res.records_read, res.records_expected);
}

namespace {

// Bounds-checked reading of the file's bytes.
class Reader {
  public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool has(std::size_t n) const { return size_ - pos_ >= n; }
    std::size_t remaining() const { return size_ - pos_; }
    const std::uint8_t* take(std::size_t n) {
        const std::uint8_t* p = data_ + pos_;
        pos_ += n;
        return p;
    }
    bool read_i32(std::int32_t& v) {
        if (!has(4)) return false;
        v = codec::read_at<std::int32_t>(take(4), 0);
        return true;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

void mark_damaged(LoadResult& res, const PartName& part, Damage damage, int read, int expected,
                  int capacity) {
    res.status = LoadStatus::kDamaged;
    res.damaged_table = part.id;
    res.records_read = read;
    res.records_expected = expected;
    res.damage = static_cast<int>(damage);
    res.table_capacity = capacity;
    res.message = damaged_message(res, russian_language_table());
}

// Reads one table section: a count and that many records, each decoded by `decode` from
// `record_size` bytes into a fresh zero-filled record. The table was cleared, so records go
// to slots 0, 1, 2, ... in file order. False when the file is damaged (res says how).
template <class R, class Decode>
bool read_table(Reader& in, Table<R>& table, std::size_t record_size, const PartName& part,
                LoadResult& res, Decode&& decode) {
    std::int32_t count = 0;
    if (!in.read_i32(count)) {
        mark_damaged(res, part, Damage::kEndedEarly, 0, 0, table.capacity());
        return false;
    }
    if (count < 0) {
        mark_damaged(res, part, Damage::kNegativeCount, 0, count, table.capacity());
        return false;
    }
    int n = std::min(count, table.capacity());
    for (int i = 0; i < n; ++i) {
        if (!in.has(record_size)) {
            mark_damaged(res, part, Damage::kEndedEarly, i, count, table.capacity());
            return false;
        }
        auto r = std::make_unique<R>();
        decode(in.take(record_size), *r);
        table.slot(i) = std::move(r);
    }
    if (count > table.capacity()) {
        mark_damaged(res, part, Damage::kOverCapacity, n, count, table.capacity());
        return false;
    }
    return true;
}

// Every byte is accounted for: after its last table a file holds exactly one of `lengths`
// (a count read from record bytes, or bytes inserted or lost in a table, shows here).
bool check_end(const Reader& in, std::initializer_list<std::size_t> lengths, LoadResult& res) {
    for (std::size_t n : lengths)
        if (in.remaining() == n) return true;
    std::size_t most = 0;
    for (std::size_t n : lengths) most = std::max(most, n);
    int found = static_cast<int>(std::min<std::size_t>(in.remaining(), INT32_MAX));
    mark_damaged(res, kEndPart, Damage::kWrongEnd, found, static_cast<int>(most), 0);
    return false;
}

template <class R>
void decode_record(const std::uint8_t* p, R& r) {
    codec::get(p, r);
}

// --- version 11 conversions ---

template <class T>
T old_at(const std::uint8_t* p, std::size_t offset) {
    return codec::read_at<T>(p, offset);
}

// Copies a text of an old record up to its NUL (or the end of its old field).
template <std::size_t N>
void old_text(char (&field)[N], const std::uint8_t* p, std::size_t offset, std::size_t old_width) {
    const char* s = reinterpret_cast<const char*>(p + offset);
    set_field_text(field, std::string_view(s, strnlen(s, old_width)));
}

void convert_old_runner(const std::uint8_t* p, Runner& r) {
    old_text(r.name, p, 4, 28);
    r.birth_year = old_at<std::uint16_t>(p, 32);
    r.qualification = old_at<std::uint8_t>(p, 36);
    r.class_id = old_at<std::int16_t>(p, 40);
    r.club_id = old_at<std::int16_t>(p, 44);
    r.day_results[2] = old_at<std::int32_t>(p, 48);
    r.day_results[3] = old_at<std::int32_t>(p, 52);
    r.heat_or_leg = old_at<std::int32_t>(p, 56);
    r.start_number = old_at<std::uint16_t>(p, 60);
    r.start_time = old_at<std::int32_t>(p, 64);
    r.finish_time = old_at<std::int32_t>(p, 68);
    r.result = old_at<std::int32_t>(p, 72);
    r.penalty = old_at<std::uint16_t>(p, 76);
    r.place = old_at<std::uint16_t>(p, 80);
    r.reserved84 = old_at<std::int32_t>(p, 88);
    r.multiday_total = old_at<std::int32_t>(p, 92);
    r.card_number = old_at<std::int32_t>(p, 96);
    r.id = old_at<std::int32_t>(p, 100);
    r.out_of_competition = old_at<std::uint8_t>(p, 104);
    r.individual = old_at<std::uint8_t>(p, 105);
    r.reserved99 = old_at<std::uint8_t>(p, 106);
    r.fee_flags = old_at<std::uint8_t>(p, 107);
    r.marked = old_at<std::uint8_t>(p, 112);
    r.day_results[4] = old_at<std::int32_t>(p, 120);
    r.draw_key = old_at<std::int32_t>(p, 124);
    r.status = old_at<std::uint8_t>(p, 128);
    r.day_results[0] = old_at<std::int32_t>(p, 132);
    r.day_results[1] = old_at<std::int32_t>(p, 136);
}

void convert_old_club(const std::uint8_t* p, Club& c) {
    c.id = old_at<std::int32_t>(p, 4);
    old_text(c.name, p, 8, 21);
    old_text(c.representative, p, 29, 21);
    c.runner_count = old_at<std::int16_t>(p, 188);
    c.finish_line_count = old_at<std::int16_t>(p, 192);
    c.marked_count = old_at<std::int16_t>(p, 196);
    c.marked = old_at<std::uint8_t>(p, 204);
}

void convert_old_class(const std::uint8_t* p, ClassRecord& c) {
    c.id = old_at<std::int32_t>(p, 4);
    old_text(c.name, p, 8, 12);
    c.course_id = old_at<std::int16_t>(p, 20);
    c.fee_rental_normal = old_at<std::int16_t>(p, 24);
    c.runner_count = old_at<std::int16_t>(p, 28);
    c.finish_line_count = old_at<std::int16_t>(p, 32);
    c.marked_count = old_at<std::int16_t>(p, 36);
    c.flags = old_at<std::uint8_t>(p, 40) | ClassRecord::kFlagRanksAllowed;
    c.fee_rental_reduced = old_at<std::int16_t>(p, 44);
    c.fee_own_normal = old_at<std::int16_t>(p, 48);
    c.fee_own_reduced = old_at<std::int16_t>(p, 52);
}

void convert_old_course(const std::uint8_t* p, Course& c) {
    c.id = old_at<std::int32_t>(p, 4);
    old_text(c.name, p, 12, 12);
    for (int k = 0; k < Course::kEditableControls; ++k) {
        c.control_codes[k] = p[24 + k];
        c.control_values[k] = old_at<std::uint16_t>(p, 104 + 2 * k);
    }
    c.length_m = old_at<std::int32_t>(p, 276);
    c.start_corridor = old_at<std::int32_t>(p, 280);
    c.control_count = old_at<std::int32_t>(p, 284);
    c.climb_m = old_at<std::int32_t>(p, 288);
    c.time_limit_min = old_at<std::int32_t>(p, 292);
    c.finish_crossings = old_at<std::int32_t>(p, 296);
    c.course_setter = old_at<std::int32_t>(p, 300);
    c.runner_count = old_at<std::int16_t>(p, 304);
    c.finish_line_count = old_at<std::int16_t>(p, 308);
    c.marked_count = old_at<std::int16_t>(p, 312);
    c.marked = old_at<std::uint8_t>(p, 316);
}

void convert_old_finish_line(const std::uint8_t* p, FinishLine& f) {
    f.start_number = old_at<std::int16_t>(p, 4);
    f.time_word = old_at<std::uint32_t>(p, 8) & 0xFFFFFFu;
    f.flags = old_at<std::uint8_t>(p, 12);
}

void convert_old_card_readout(const std::uint8_t* p, CardReadout& c) {
    c.card_number = old_at<std::int32_t>(p, 4);
    c.start_number = old_at<std::int32_t>(p, 8);
    c.start.time = old_at<std::int32_t>(p, 12);
    c.finish.time = old_at<std::int32_t>(p, 16);
    c.punch_count = old_at<std::int32_t>(p, 20);
    for (int k = 0; k < 36; ++k) {
        c.punches[k].code = p[24 + 4 * k];
        c.punches[k].time = old_at<std::int32_t>(p, 168 + 4 * k);
    }
}

// Old header offset, new block offset, width in bytes.
struct HeaderMove {
    std::uint16_t from, to, width;
};
constexpr HeaderMove kOldHeaderMoves[] = {
    {4, 0, 80},     {84, 80, 80},   {164, 160, 80}, {244, 800, 25}, {269, 825, 25}, {294, 850, 25},
    {319, 875, 21}, {340, 896, 1},  {344, 897, 1},  {348, 898, 25}, {373, 923, 25}, {398, 948, 25},
    {423, 973, 25}, {448, 998, 2},  {452, 1000, 2}, {456, 1002, 2}, {460, 1004, 2}, {464, 1006, 2},
    {468, 1018, 2}, {476, 1024, 4}, {480, 1020, 2}, {484, 1032, 1}, {485, 1033, 1}, {486, 1034, 1},
    {487, 1035, 1}, {496, 1036, 1}, {500, 1037, 1}, {504, 1038, 1}, {508, 1039, 1}, {516, 1040, 1},
    {517, 1041, 1}, {518, 1042, 1}, {519, 1043, 1}, {520, 1044, 1}, {521, 1045, 1}, {522, 1046, 1},
    {523, 1047, 1}, {524, 1048, 4}, {528, 1052, 4}, {532, 1056, 4}, {540, 1060, 1}, {544, 1061, 1},
    {552, 1008, 2}, {556, 1010, 2}, {560, 1012, 2}, {564, 1066, 1}, {568, 1067, 1}, {572, 1068, 1},
    {576, 1069, 1}, {580, 1072, 4}, {585, 1077, 1}, {586, 1078, 1}, {587, 1079, 1}, {588, 1080, 1},
    {589, 1081, 1}, {590, 1082, 1}, {591, 1083, 1}, {592, 1084, 1}, {593, 1085, 1}, {595, 1087, 1},
    {596, 1088, 1}, {597, 1089, 1}, {598, 1090, 1}, {599, 1091, 1}, {600, 1092, 1}, {601, 1093, 1},
    {602, 1094, 1}, {603, 1124, 1}, {604, 1125, 1}, {605, 1126, 1}, {606, 1127, 1}, {607, 1128, 1},
    {608, 1095, 1}, {609, 1096, 1}, {610, 1097, 1}, {611, 1098, 1}, {612, 1099, 1}, {613, 1100, 1},
    {614, 1101, 1}, {617, 1104, 1}, {618, 1105, 1}, {619, 1106, 1}, {620, 1108, 2}, {624, 1110, 2},
    {628, 1112, 2},
};

void convert_old_header(const std::uint8_t* p, CompetitionInfo& info) {
    std::uint8_t block[CompetitionInfo::kSize];
    info.encode(block);
    // Title lines 4..10 and the text field at 1353 start empty; the other bytes not named
    // keep the values they had.
    std::memset(block + 240, 0, 560);
    std::memset(block + 1353, 0, 101);
    for (const HeaderMove& m : kOldHeaderMoves) std::memcpy(block + m.to, p + m.from, m.width);
    // Texts end inside their fields whatever the old file held.
    for (int k = 0; k < 3; ++k) block[80 * k + 79] = 0;
    block[824] = block[849] = block[874] = block[895] = 0;
    for (int k = 0; k < 4; ++k) block[898 + 25 * k + 24] = 0;
    info.decode(block);
}

void apply_status_block(const std::uint8_t* p, CompetitionInfo& info) {
    for (int s = 0; s < kStatusCount; ++s) {
        std::memcpy(info.status_short_texts[s], p + 4 + 12 * s, 12);
        std::memcpy(info.status_names[s], p + 112 + 12 * s, 12);
    }
}

// The view number of the live results board; it has no rows of its own (cursor and top 0).
constexpr int kBoardView = kRecordTypeCount;

// Step 5 of a load: indexes, the view state stored in the header, the run-time flag.
void finish_load(Competition& c, bool header_read) {
    c.rebuild_number_index();
    c.count_finish_lines();
    c.view.reset();
    if (header_read && c.info.view_table == kBoardView) {
        c.view.table = kCardReadouts;
        c.view.board = true;
    } else if (header_read) {
        int table = c.info.view_table < kRecordTypeCount ? int(c.info.view_table) : int(kRunners);
        c.view.table = table;
        c.view.cursor[table] = c.info.view_cursor_row;
        c.view.top[table] = c.info.view_top_row;
    }
    c.info.display_on = 0;
    c.modified = false;
}

void decode_v21(Competition& c, Reader& in, LoadResult& res) {
    RecordTables& t = c.tables;
    bool header_read = false;
    auto rec = [](const std::uint8_t* p, auto& r) { decode_record(p, r); };
    if (read_table(in, t.runners, Runner::kSize, kRunnersPart, res, rec) &&
        read_table(in, t.clubs, Club::kSize, kClubsPart, res, rec) &&
        read_table(in, t.classes, ClassRecord::kSize, kClassesPart, res, rec) &&
        read_table(in, t.courses, Course::kSize, kCoursesPart, res, rec)) {
        if (!in.has(CompetitionInfo::kSize)) {
            mark_damaged(res, kInfoPart, Damage::kEndedEarly, 0, 1, 1);
        } else {
            c.info.decode(in.take(CompetitionInfo::kSize));
            header_read = true;
            if (read_table(in, t.finish_lines, FinishLine::kSize, kFinishPart, res, rec) &&
                read_table(in, t.card_readouts, CardReadout::kSize, kCardsPart, res, rec))
                check_end(in, {kTrailerSize}, res);
        }
    }
    finish_load(c, header_read);
}

void decode_v11(Competition& c, Reader& in, LoadResult& res) {
    RecordTables& t = c.tables;
    bool header_read = false;
    auto runner = [](const std::uint8_t* p, Runner& r) { convert_old_runner(p, r); };
    auto club = [](const std::uint8_t* p, Club& r) { convert_old_club(p, r); };
    auto klass = [](const std::uint8_t* p, ClassRecord& r) { convert_old_class(p, r); };
    auto course = [](const std::uint8_t* p, Course& r) { convert_old_course(p, r); };
    auto line = [](const std::uint8_t* p, FinishLine& r) { convert_old_finish_line(p, r); };
    auto card = [](const std::uint8_t* p, CardReadout& r) { convert_old_card_readout(p, r); };
    if (read_table(in, t.runners, kOldRunnerSize, kRunnersPart, res, runner) &&
        read_table(in, t.clubs, kOldClubSize, kClubsPart, res, club) &&
        read_table(in, t.classes, kOldClassSize, kClassesPart, res, klass) &&
        read_table(in, t.courses, kOldCourseSize, kCoursesPart, res, course)) {
        if (!in.has(kOldHeaderSize)) {
            mark_damaged(res, kInfoPart, Damage::kEndedEarly, 0, 1, 1);
        } else {
            convert_old_header(in.take(kOldHeaderSize), c.info);
            header_read = true;
            if (read_table(in, t.finish_lines, kOldFinishLineSize, kFinishPart, res, line) &&
                read_table(in, t.card_readouts, kOldCardReadoutSize, kCardsPart, res, card)) {
                // The status block is optional: a file may end before it.
                if (in.remaining() > 0 && in.remaining() < kStatusBlockSize)
                    mark_damaged(res, kStatusPart, Damage::kEndedEarly, 0, 1, 1);
                else if (check_end(in, {0, kStatusBlockSize}, res) && in.remaining() != 0)
                    apply_status_block(in.take(kStatusBlockSize), c.info);
            }
        }
    }
    finish_load(c, header_read);
}

template <class R>
std::size_t put_table(std::uint8_t* out, const Table<R>& table) {
    std::uint8_t* p = out + 4;
    std::int32_t count = 0;
    for (int i = 0; i < table.used_end(); ++i) {
        if (const R* r = table[i]) {
            codec::put(p, *r);
            p += R::kSize;
            ++count;
        }
    }
    codec::put(out, count);
    return 4 + static_cast<std::size_t>(count) * R::kSize;
}

template <class R>
std::size_t stored_table_size(const Table<R>& table) {
    return 4 + static_cast<std::size_t>(table.occupied_count()) * R::kSize;
}

void put_view_state(const ViewState& view, CompetitionInfo& info) {
    if (view.board) {
        info.view_table = kBoardView;
        info.view_cursor_row = info.view_top_row = 0;
        return;
    }
    int table = view.table >= 0 && view.table < kRecordTypeCount ? view.table : int(kRunners);
    info.view_table = static_cast<std::uint8_t>(table);
    info.view_cursor_row = static_cast<std::uint8_t>(view.cursor[table] & 0xFF);
    info.view_top_row = static_cast<std::uint8_t>(view.top[table] & 0xFF);
}

}  // namespace

std::size_t max_wdb_size() {
    return 4 + 4 * 6 + std::size_t(kRunnerCapacity) * Runner::kSize +
           std::size_t(kClubCapacity) * Club::kSize +
           std::size_t(kClassCapacity) * ClassRecord::kSize +
           std::size_t(kCourseCapacity) * Course::kSize + CompetitionInfo::kSize +
           std::size_t(kFinishLineCapacity) * FinishLine::kSize +
           std::size_t(kCardReadoutCapacity) * CardReadout::kSize + kTrailerSize;
}

void store_view_state(Competition& c) {
    put_view_state(c.view, c.info);
}

std::vector<std::uint8_t> encode_wdb(const Competition& c) {
    const RecordTables& t = c.tables;
    std::size_t size = 4 + stored_table_size(t.runners) + stored_table_size(t.clubs) +
                       stored_table_size(t.classes) + stored_table_size(t.courses) +
                       CompetitionInfo::kSize + stored_table_size(t.finish_lines) +
                       stored_table_size(t.card_readouts) + kTrailerSize;
    std::vector<std::uint8_t> out(size);
    std::uint8_t* p = out.data();
    codec::put(p, kWdbVersion);
    p += 4;
    p += put_table(p, t.runners);
    p += put_table(p, t.clubs);
    p += put_table(p, t.classes);
    p += put_table(p, t.courses);
    CompetitionInfo info = c.info;
    put_view_state(c.view, info);
    info.encode(p);
    p += CompetitionInfo::kSize;
    p += put_table(p, t.finish_lines);
    p += put_table(p, t.card_readouts);
    // The five trailing zeros are already there.
    return out;
}

LoadResult decode_wdb(Competition& c, const std::uint8_t* data, std::size_t size) {
    LoadResult res;
    Reader in(data, size);
    std::int32_t version = 0;
    bool have_version = in.read_i32(version);
    c.clear();
    res.version = version;
    if (have_version && version == kWdbVersion) {
        decode_v21(c, in, res);
    } else if (have_version && version == kWdbOldVersion) {
        res.status = LoadStatus::kConverted;
        decode_v11(c, in, res);
    } else {
        res.status = LoadStatus::kUnknownVersion;
        res.message = text_in(false, Txt::kWdbUnknownVersion);
        finish_load(c, false);
    }
    return res;
}

LoadResult load_wdb(Competition& c, const std::string& path, Prompts& prompts) {
    std::string bytes;
    int error = 0;
    if (!read_file_bytes(path, max_wdb_size(), bytes, &error)) {
        LoadResult res;
        res.status = LoadStatus::kCannotOpen;
        // Named, with the reason: the file may be a recent entry from another folder or disk.
        res.message =
            file_error_message(prompts.lang(), prompts.text(Txt::kCannotReadFile), path, error);
        prompts.message(res.message);
        return res;
    }
    LoadResult res =
        decode_wdb(c, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    if (res.status == LoadStatus::kConverted) res.message = prompts.text(Txt::kWdbConverted);
    if (res.status == LoadStatus::kUnknownVersion)
        res.message = prompts.text(Txt::kWdbUnknownVersion);
    if (res.status == LoadStatus::kDamaged) res.message = damaged_message(res, prompts.lang());
    if (res.status != LoadStatus::kUnknownVersion) read_long_names(c, path);
    if (!res.message.empty()) prompts.message(res.message);
    return res;
}

bool save_wdb(const Competition& c, const std::string& path, int* error) {
    // The names first: when they cannot be written the competition file is left as it was.
    if (!write_long_names(path, encode_long_names(c), error)) return false;
    std::vector<std::uint8_t> bytes = encode_wdb(c);
    return write_file_atomically(path, bytes.data(), bytes.size(), error);
}

// --- Import WDB ---

namespace {

// Reads the file to import (at most `limit` bytes) and checks its version.
ImportStatus read_import_bytes(const std::string& path, std::size_t limit, std::string& bytes,
                               Prompts& prompts) {
    int error = 0;
    if (!read_file_bytes(path, limit, bytes, &error)) {
        prompts.message(
            file_error_message(prompts.lang(), prompts.text(Txt::kCannotReadFile), path, error));
        return ImportStatus::kCannotOpen;
    }
    std::int32_t version =
        bytes.size() >= 4
            ? codec::read_at<std::int32_t>(reinterpret_cast<const std::uint8_t*>(bytes.data()), 0)
            : 0;
    if (version != kWdbVersion) {
        prompts.message(prompts.text(Txt::kWrongFileVersion));
        return ImportStatus::kWrongVersion;
    }
    return ImportStatus::kOk;
}

// Gives the first empty slot at or after the last one handed out: the slots this import fills
// stay filled, so the first empty slot only moves forward.
template <class R>
class SlotFiller {
  public:
    explicit SlotFiller(Table<R>& t) : t_(t) {}
    R* add(const R& record) {
        while (pos_ < t_.capacity() && t_[pos_]) ++pos_;
        if (pos_ >= t_.capacity()) return nullptr;
        t_.slot(pos_) = std::make_unique<R>(record);
        return t_[pos_++];
    }

  private:
    Table<R>& t_;
    int pos_ = 0;
};

// Ids in a file may be anything: add without overflowing.
std::int32_t add32(std::int32_t value, std::int32_t shift) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value) +
                                     static_cast<std::uint32_t>(shift));
}

std::int16_t add16(std::int16_t value, std::int32_t shift) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(value) +
                                     static_cast<std::uint16_t>(shift));
}

template <class R>
int free_slots(const Table<R>& t) {
    return t.capacity() - t.occupied_count();
}

}  // namespace

ImportStatus check_import_file(const std::string& path, Prompts& prompts) {
    std::string bytes;
    return read_import_bytes(path, 4, bytes, prompts);
}

ImportStatus import_wdb(Competition& c, const std::string& path, const ImportWdbOptions& options,
                        Prompts& prompts) {
    // The dialog's choice is kept whatever the file turns out to hold.
    c.info.only_marked = options.only_marked ? 1 : 0;
    std::string bytes;
    if (ImportStatus st = read_import_bytes(path, max_wdb_size(), bytes, prompts);
        st != ImportStatus::kOk)
        return st;
    // Read and check the whole file first, so a damaged file merges nothing.
    auto other = std::make_unique<Competition>();
    LoadResult loaded =
        decode_wdb(*other, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    if (loaded.status != LoadStatus::kOk) {
        prompts.message(loaded.message);
        return ImportStatus::kDamaged;
    }
    read_long_names(*other, path);
    // A merged record brings its long name along, under its new id.
    auto carry_name = [&](RecordType type, std::int32_t old_id, std::string_view shown,
                          std::int32_t new_id) {
        if (const LongName* n = other->long_names.find(type, old_id, shown))
            c.long_names.set(type, new_id, *n);
    };
    const RecordTables& in = other->tables;
    RecordTables& t = c.tables;

    int runners = 0;
    if (options.runners_clubs_classes)
        for (int i = 0; i < in.runners.capacity() && in.runners[i]; ++i)
            if (!options.only_marked || in.runners[i]->marked) ++runners;
    struct Need {
        int wanted, free;
        Txt name;
    };
    const Need needs[] = {
        {runners, free_slots(t.runners), kRunnersPart.user},
        {options.runners_clubs_classes ? in.clubs.live_count() : 0, free_slots(t.clubs),
         kClubsPart.user},
        {options.runners_clubs_classes ? in.classes.live_count() : 0, free_slots(t.classes),
         kClassesPart.user},
        {options.courses ? in.courses.live_count() : 0, free_slots(t.courses), kCoursesPart.user},
        {options.finish_lines ? in.finish_lines.live_count() : 0, free_slots(t.finish_lines),
         kFinishPart.user},
        {options.card_readouts ? in.card_readouts.live_count() : 0, free_slots(t.card_readouts),
         kCardsPart.user},
    };
    for (const Need& n : needs) {
        if (n.wanted > n.free) {
            prompts.message(strf_view(prompts.text(Txt::kWdbImportNoRoom),
                                      std::string(prompts.text(n.name)).c_str(), n.wanted, n.free));
            return ImportStatus::kTableFull;
        }
    }

    const std::int32_t club_shift = c.next_record_id(kClubs);
    const std::int32_t class_shift = c.next_record_id(kClasses);
    const std::int32_t course_shift = c.next_record_id(kCourses);

    if (options.runners_clubs_classes) {
        // next_record_id of runners with the copied record already in the table: the highest
        // id so far or the copied one, plus one.
        std::int32_t max_id = add32(c.next_record_id(kRunners), -1);
        SlotFiller<Runner> fill(t.runners);
        for (int i = 0; i < in.runners.capacity() && in.runners[i]; ++i) {
            const Runner& src = *in.runners[i];
            if (options.only_marked && !src.marked) continue;
            Runner* r = fill.add(src);
            r->club_id = add16(r->club_id, club_shift);
            r->class_id = add16(r->class_id, class_shift);
            max_id = add32(std::max(max_id, r->id), 1);
            r->id = max_id;
            carry_name(kRunners, src.id, field_text(src.name), r->id);
        }
        SlotFiller<Club> clubs(t.clubs);
        for (int i = 0; i < in.clubs.capacity() && in.clubs[i]; ++i) {
            Club* k = clubs.add(*in.clubs[i]);
            k->id = add32(in.clubs[i]->id, club_shift);
            carry_name(kClubs, in.clubs[i]->id, field_text(k->name), k->id);
        }
        SlotFiller<ClassRecord> classes(t.classes);
        for (int i = 0; i < in.classes.capacity() && in.classes[i]; ++i) {
            ClassRecord* k = classes.add(*in.classes[i]);
            k->id = add32(k->id, class_shift);
            k->course_id = add16(k->course_id, course_shift);
            carry_name(kClasses, in.classes[i]->id, field_text(k->name), k->id);
        }
    }
    if (options.courses) {
        SlotFiller<Course> courses(t.courses);
        for (int i = 0; i < in.courses.capacity() && in.courses[i]; ++i) {
            Course* k = courses.add(*in.courses[i]);
            k->id = add32(in.courses[i]->id, course_shift);
            carry_name(kCourses, in.courses[i]->id, field_text(k->name), k->id);
        }
    }
    if (options.replace_info) {
        std::uint8_t display_on = c.info.display_on;
        c.info = other->info;
        c.info.display_on = display_on;
    }
    if (options.finish_lines) {
        SlotFiller<FinishLine> lines(t.finish_lines);
        for (int i = 0; i < in.finish_lines.capacity() && in.finish_lines[i]; ++i)
            lines.add(*in.finish_lines[i]);
    }
    if (options.card_readouts) {
        SlotFiller<CardReadout> cards(t.card_readouts);
        for (int i = 0; i < in.card_readouts.capacity() && in.card_readouts[i]; ++i)
            cards.add(*in.card_readouts[i]);
    }
    finish_data_changed(c);
    c.modified = true;
    return ImportStatus::kOk;
}

}  // namespace skarvel
