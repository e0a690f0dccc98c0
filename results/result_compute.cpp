#include "results/result_compute.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "core/file_io.h"
#include "core/finish_results.h"
#include "core/language.h"
#include "core/time_text.h"

namespace skarvel {

int qualification_points(int code) {
    static constexpr int kPoints[11] = {0,   300,  200,   100,   2500, 1200,
                                        600, 5000, 10000, 10000, 10000};
    return code >= 0 && code < 11 ? kPoints[code] : 0;
}

const std::array<RankNormRow, 31>& rank_norm_table() {
    static const std::array<RankNormRow, 31> kTable = {{
        {100000, 100001, {148, 148, 148}, {4, 4, 4}}, {85000, 99999, {144, 144, 144}, {4, 4, 4}},
        {75000, 84999, {140, 140, 140}, {4, 4, 4}},   {65000, 74999, {136, 136, 136}, {4, 4, 4}},
        {50000, 64999, {132, 150, 150}, {4, 5, 5}},   {42500, 49999, {128, 146, 146}, {4, 5, 5}},
        {37500, 42499, {124, 142, 142}, {4, 5, 5}},   {32500, 37499, {120, 138, 138}, {4, 5, 5}},
        {25000, 32499, {116, 134, 152}, {4, 5, 6}},   {21100, 24999, {112, 130, 148}, {4, 5, 6}},
        {18500, 21099, {108, 126, 144}, {4, 5, 6}},   {15900, 18499, {104, 122, 140}, {4, 5, 6}},
        {12000, 15899, {100, 118, 136}, {4, 5, 6}},   {10200, 11999, {114, 132, 156}, {5, 6, 1}},
        {9000, 10199, {110, 128, 152}, {5, 6, 1}},    {7800, 8999, {106, 124, 148}, {5, 6, 1}},
        {6000, 7799, {102, 120, 144}, {5, 6, 1}},     {5100, 5999, {100, 115, 140}, {5, 6, 1}},
        {4500, 5099, {110, 135, 160}, {6, 1, 2}},     {3900, 4499, {105, 130, 155}, {6, 1, 2}},
        {3000, 3899, {102, 125, 150}, {6, 1, 2}},     {2700, 2999, {100, 120, 145}, {6, 1, 2}},
        {2500, 2699, {115, 140, 140}, {1, 2, 2}},     {2300, 2499, {110, 135, 135}, {1, 2, 2}},
        {2000, 2299, {105, 130, 130}, {1, 2, 2}},     {1700, 1999, {100, 125, 125}, {1, 2, 2}},
        {1500, 1699, {120, 120, 120}, {2, 2, 2}},     {1300, 1499, {115, 115, 115}, {2, 2, 2}},
        {1100, 1299, {110, 110, 110}, {2, 2, 2}},     {1000, 1099, {105, 105, 105}, {2, 2, 2}},
        {700, 999, {100, 100, 100}, {2, 2, 2}},
    }};
    return kTable;
}

int lap_count(const Competition& c, const Runner& r) {
    int n = r.start_number;
    if (n <= 0 || n >= static_cast<int>(c.finish_count_by_number.size())) return 0;
    return c.finish_count_by_number[n];
}

namespace {
std::int32_t cut_to_precision(std::int32_t v, int precision) {
    if (precision == 0) return v / 100;
    if (precision == 1) return v / 10;
    return v;
}
int sign(std::int64_t v) {
    return v < 0 ? -1 : v > 0 ? 1 : 0;
}
}  // namespace

std::int32_t ranking_result(const Runner& r) {
    // Status results start at one day; an error sorts just below them.
    return r.status == 0 && r.result < 0 ? kDay - 1 : r.result;
}

int compare_results(const Competition& c, const Runner& a, const Runner& b) {
    if (c.info.count_laps) {
        int la = lap_count(c, a), lb = lap_count(c, b);
        if (la != lb) return la > lb ? -1 : 1;
    }
    std::int32_t ra = cut_to_precision(ranking_result(a), c.info.time_precision);
    std::int32_t rb = cut_to_precision(ranking_result(b), c.info.time_precision);
    if (ra != rb) return ra < rb ? -1 : 1;
    return sign(std::int64_t(a.start_time) - b.start_time);
}

int compare_finish_times(const Competition& c, const Runner& a, const Runner& b) {
    if (c.info.count_laps) {
        int la = lap_count(c, a), lb = lap_count(c, b);
        if (la != lb) return la > lb ? -1 : 1;
    }
    // A finish before the start is an error: after every finisher, before every status.
    auto key = [](const Runner& r) -> std::int32_t {
        return r.status != 0 ? kDay + r.start_number : r.result < 0 ? kDay - 1 : r.finish_time;
    };
    return sign(std::int64_t(key(a)) - key(b));
}

void sort_results(const Competition& c, std::vector<Runner*>& runners) {
    if (c.info.competition_kind == kKindHandicap)
        std::stable_sort(runners.begin(), runners.end(), [&c](const Runner* a, const Runner* b) {
            return compare_finish_times(c, *a, *b) < 0;
        });
    else
        std::stable_sort(runners.begin(), runners.end(), [&c](const Runner* a, const Runner* b) {
            return compare_results(c, *a, *b) < 0;
        });
}

// --- index ---

ResultIndex::ResultIndex(const Competition& c) {
    const auto& t = c.tables;
    for (int i = 0; i < t.classes.capacity(); ++i)
        if (const ClassRecord* r = t.classes[i]) classes.emplace(r->id, r);
    for (int i = 0; i < t.clubs.capacity(); ++i)
        if (const Club* r = t.clubs[i]) clubs.emplace(r->id, r);
    for (int i = 0; i < t.courses.capacity(); ++i)
        if (const Course* r = t.courses[i]) courses.emplace(r->id, r);
    for (int i = 0; i < t.card_readouts.capacity(); ++i)
        if (const CardReadout* r = t.card_readouts[i]) cards[r->card_number].push_back(r);
    for (int i = 0; i < t.finish_lines.capacity() && t.finish_lines[i]; ++i) {
        const FinishLine& f = *t.finish_lines[i];
        if (f.start_number > 0) finishes[f.start_number].push_back(f.time());
    }
    for (int i = 0; i < t.runners.capacity(); ++i) {
        Runner* r = t.runners[i];
        if (!r || r->result == 0) continue;
        by_class[r->class_id].push_back(r);
        if (const ClassRecord* cls = class_by_id(r->class_id))
            by_course[cls->course_id].push_back(r);
    }
}

namespace {
template <class M>
auto find_or_null(const M& m, std::int32_t key) -> decltype(&m.begin()->second) {
    auto it = m.find(key);
    return it == m.end() ? nullptr : &it->second;
}
}  // namespace

const ClassRecord* ResultIndex::class_by_id(std::int32_t id) const {
    auto p = find_or_null(classes, id);
    return p ? *p : nullptr;
}
const Club* ResultIndex::club_by_id(std::int32_t id) const {
    auto p = find_or_null(clubs, id);
    return p ? *p : nullptr;
}
const Course* ResultIndex::course_by_id(std::int32_t id) const {
    auto p = find_or_null(courses, id);
    return p ? *p : nullptr;
}
const CardReadout* ResultIndex::first_readout(std::int32_t card_number) const {
    auto p = find_or_null(cards, card_number);
    return p && !p->empty() ? p->front() : nullptr;
}
const std::vector<const CardReadout*>* ResultIndex::readouts(std::int32_t card_number) const {
    return find_or_null(cards, card_number);
}
const std::vector<std::int32_t>* ResultIndex::finish_times(int start_number) const {
    return find_or_null(finishes, start_number);
}
const std::vector<Runner*>* ResultIndex::class_runners(std::int32_t class_id) const {
    return find_or_null(by_class, class_id);
}
const std::vector<Runner*>* ResultIndex::course_runners(std::int32_t course_id) const {
    return find_or_null(by_course, course_id);
}

// --- lists ---

std::int32_t winner_time(const CompetitionInfo& info, const std::vector<Runner*>& sorted) {
    if (sorted.empty() || sorted.front()->result < 0) return 0;
    if (info.winner_from_six && sorted.size() > 6) {
        std::int64_t sum = 0;
        for (int i = 0; i < 6; ++i) sum += sorted[i]->result;
        return static_cast<std::int32_t>(sum / 6);
    }
    return sorted.front()->result;
}

RankNorms rank_norms(const CompetitionInfo& info, const std::vector<Runner*>& sorted,
                     std::int32_t winner) {
    RankNorms norms;
    if (!info.print_ranks || sorted.size() < 10) return norms;
    static constexpr int kOrder[11] = {10, 9, 8, 7, 4, 5, 6, 1, 2, 3, 0};
    int counted = 0;
    int level = 0;
    for (int code : kOrder) {
        for (const Runner* r : sorted) {
            if (counted >= 10) break;
            if (r->status != 0 || r->qualification != code) continue;
            level += qualification_points(code);
            ++counted;
        }
    }
    norms.level = level;
    if (counted < 10) return norms;
    for (const auto& row : rank_norm_table()) {
        if (level < row.level_from || level > row.level_to) continue;
        norms.determined = true;
        for (int i = 0; i < 3; ++i) {
            norms.rank[i] = row.rank[i];
            norms.percent[i] = row.percent[i];
            norms.limit_s[i] =
                static_cast<std::int32_t>((std::int64_t(winner) * row.percent[i] / 100) / 100);
        }
        break;
    }
    return norms;
}

namespace {
void finish_list(const Competition& c, ResultList& list) {
    if (list.runners.size() > static_cast<std::size_t>(kMaxResultList))
        list.runners.resize(kMaxResultList);
    sort_results(c, list.runners);
    list.winner_time = winner_time(c.info, list.runners);
    list.norms = rank_norms(c.info, list.runners, list.winner_time);
}
}  // namespace

ResultList build_result_list(const Competition& c, const ResultIndex& index,
                             const ClassRecord& cls) {
    ResultList list;
    list.class_record = &cls;
    list.course = index.course_by_id(cls.course_id);
    if (auto* rs = index.class_runners(cls.id)) list.runners = *rs;
    finish_list(c, list);
    return list;
}

ResultList build_result_list(const Competition& c, const ResultIndex& index, const Course& course) {
    ResultList list;
    list.course = &course;
    list.by_course = true;
    if (auto* rs = index.course_runners(course.id)) list.runners = *rs;
    finish_list(c, list);
    return list;
}

ResultList build_result_list(const Competition& c, const ClassRecord& cls) {
    return build_result_list(c, ResultIndex(c), cls);
}

ResultList build_result_list(const Competition& c, const Course& course) {
    return build_result_list(c, ResultIndex(c), course);
}

// --- places, ranks, points ---

PlaceCounter::PlaceCounter(const CompetitionInfo& info, const ResultList& list)
    : no_points_individual_(info.no_points_individual != 0),
      r_(list.runners.empty() ? 0 : list.runners.front()->result) {}

PlaceCell PlaceCounter::next(const Runner& r) {
    if (r.status != 0) return {};
    if (r.result < 0) return {PlaceCell::Error, 0};
    if (r.out_of_competition) return {PlaceCell::OutOfCompetition, 0};
    if (r.individual && no_points_individual_) return {PlaceCell::NoPoints, 0};
    ++n_;
    if (r.result != r_) p_ = n_;
    r_ = r.result;
    return {PlaceCell::Place, p_};
}

int rank_for_time(const RankNorms& norms, std::int32_t result) {
    if (!norms.determined) return -1;
    std::int32_t t = result / 100;
    for (int i = 0; i < 3; ++i)
        if (t <= norms.limit_s[i]) return norms.rank[i];
    return -1;
}

RankCell runner_rank(const RankNorms& norms, const ClassRecord* cls, const Runner& r, int p) {
    RankCell cell;
    if (!norms.determined || r.status != 0 || r.result < 0) return cell;
    int code = rank_for_time(norms, r.result);
    if (code >= 0) cell = {RankCell::Norm, code};
    if (cls) {
        if (p <= cls->kms_award) cell = {RankCell::AwardKms, 7};
        if (p <= cls->ms_award) cell = {RankCell::AwardMs, 8};
    }
    return cell;
}

std::int32_t formula_points(const CompetitionInfo& info, std::int32_t result, std::int32_t winner) {
    std::int64_t c = info.formula_c == 0 ? 1 : info.formula_c;
    if (winner == 0) return 10;  // no winner time to compare with: the lower bound
    std::int64_t w = info.formula_a - (std::int64_t(result) * info.formula_b / c) / winner;
    if (w < 10) w = 10;
    if (w > 0x7FFFFFFF) w = 0x7FFFFFFF;
    return static_cast<std::int32_t>(w);
}

namespace {
std::string points_text(std::int64_t value) {
    char buf[48];
    if (value < 0) {
        char num[32];
        std::snprintf(num, sizeof num, "-%lld", static_cast<long long>(-value / 10));
        std::snprintf(buf, sizeof buf, " %3s.%d", num, static_cast<int>(-value % 10));
    } else {
        std::snprintf(buf, sizeof buf, " %3lld.%d", static_cast<long long>(value / 10),
                      static_cast<int>(value % 10));
    }
    return buf;
}
}  // namespace

std::string result_points(const CompetitionInfo& info, const ResultList& list, const Runner& r,
                          const PlaceCell& place, const std::vector<std::int32_t>* points_table) {
    static const std::string kZero = "   0.0";
    if (info.points_mode == 1) {
        if (r.status != 0 || place.kind == PlaceCell::Error) return kZero;
        return points_text(formula_points(info, r.result, list.winner_time));
    }
    if (info.points_mode == 2) {
        if (place.kind != PlaceCell::Place || !points_table || points_table->empty()) return kZero;
        std::size_t k = static_cast<std::size_t>(place.place - 1);
        if (k >= points_table->size()) k = points_table->size() - 1;
        return points_text((*points_table)[k]);
    }
    return {};
}

std::int32_t leading_integer(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::int64_t v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        v = v * 10 + (text[i] - '0');
        if (v > 0x7FFFFFFF) v = 0x7FFFFFFF;
    }
    return static_cast<std::int32_t>(negative ? -v : v);
}

std::vector<std::int32_t> parse_points_table(std::string_view text) {
    std::vector<std::int32_t> table;
    table.reserve(kPointsTableSize);
    std::size_t pos = 0;
    while (pos < text.size() && table.size() < static_cast<std::size_t>(kPointsTableSize)) {
        std::size_t end = text.find('\n', pos);
        std::string_view line =
            text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
        if (line.size() > kPointsLineMax) line = line.substr(0, kPointsLineMax);
        table.push_back(leading_integer(line));
        if (end == std::string_view::npos) break;
        pos = end + 1;
    }
    std::int32_t last = table.empty() ? 0 : table.back();
    table.resize(kPointsTableSize, last);
    return table;
}

bool load_points_table(const std::string& path, std::vector<std::int32_t>& table) {
    // Only the first 30000 lines of up to 99 characters matter: neither a huge file nor a
    // huge line is read to its end.
    std::string text;
    if (!read_text_lines(path, kPointsLineMax, kPointsTableSize, text)) return false;
    table = parse_points_table(text);
    return true;
}

// --- splits ---

const Course* split_course(const Competition& c, const ResultIndex& index, const ResultList& list,
                           const Runner& r) {
    if (c.info.check_mode != 2) return list.course;
    (void)index;
    // The first course in table order whose name reads as the start number.
    const auto& t = c.tables.courses;
    for (int i = 0; i < t.capacity(); ++i) {
        const Course* k = t[i];
        if (!k) continue;
        if (leading_integer(field_text(k->name)) == r.start_number) return k;
    }
    return nullptr;
}

SplitTables compute_split_tables(const Competition& c, const ResultIndex& index,
                                 const ResultList& list, bool include_non_starters) {
    SplitTables t;
    t.rows = static_cast<int>(list.runners.size());
    t.leg.assign(std::size_t(t.rows) * kMaxSplitControls, 0);
    t.cumulative.assign(std::size_t(t.rows) * kMaxSplitControls, 0);
    for (int i = 0; i < t.rows; ++i) {
        const Runner& r = *list.runners[i];
        if (r.status == kStatusDidNotStart && !include_non_starters) continue;
        const CardReadout* card = index.first_readout(r.card_number);
        if (!card) continue;
        const Course* course = split_course(c, index, list, r);
        std::int32_t prev = r.start_time;
        walk_course_punches(course, *card, [&](int k, std::int32_t time) {
            t.leg[std::size_t(i) * kMaxSplitControls + k] = time - prev;
            t.cumulative[std::size_t(i) * kMaxSplitControls + k] = time - r.start_time;
            prev = time;
        });
    }
    return t;
}

namespace {
// Sorts keys (time in the high half, biased to unsigned; row in the low half) by their time
// with a three-pass radix sort of 11 bits each: linear in the number of rows.
void radix_sort_by_time(std::vector<std::uint64_t>& keys, std::vector<std::uint64_t>& scratch) {
    scratch.resize(keys.size());
    for (int shift = 32; shift < 64; shift += 11) {
        std::uint32_t count[2049] = {};
        for (std::uint64_t key : keys) ++count[((key >> shift) & 2047) + 1];
        for (int b = 0; b < 2048; ++b) count[b + 1] += count[b];
        for (std::uint64_t key : keys) scratch[count[(key >> shift) & 2047]++] = key;
        keys.swap(scratch);
    }
}
}  // namespace

SplitPlaces::SplitPlaces(const SplitTables& t, bool cumulative, int m)
    : t_(t),
      cumulative_(cumulative),
      m_(std::max(0, std::min(m, t.rows))),
      sorted_(kMaxSplitControls) {
    const std::vector<std::int32_t>& table = cumulative ? t.cumulative : t.leg;
    // Two sequential passes gather every control's times with their rows into one buffer:
    // first the counts, then the keys at each control's offset.
    std::size_t count[kMaxSplitControls + 1] = {};
    for (int q = 0; q < m_; ++q) {
        const std::int32_t* row = &table[std::size_t(q) * kMaxSplitControls];
        for (int k = 0; k < kMaxSplitControls; ++k) count[k + 1] += row[k] != 0;
    }
    for (int k = 0; k < kMaxSplitControls; ++k) count[k + 1] += count[k];
    std::vector<std::uint64_t> keys(count[kMaxSplitControls]);
    std::size_t fill[kMaxSplitControls];
    std::copy(count, count + kMaxSplitControls, fill);
    for (int q = 0; q < m_; ++q) {
        const std::int32_t* row = &table[std::size_t(q) * kMaxSplitControls];
        for (int k = 0; k < kMaxSplitControls; ++k)
            if (row[k] != 0) {
                std::uint64_t biased = static_cast<std::uint32_t>(row[k]) ^ 0x80000000u;
                keys[fill[k]++] = biased << 32 | static_cast<std::uint32_t>(q);
            }
    }
    stride_ = 0;
    for (int k = 0; k < kMaxSplitControls; ++k)
        if (count[k + 1] != count[k]) stride_ = k + 1;
    places_.assign(std::size_t(m_) * stride_, 0);
    std::vector<std::uint64_t> column, scratch;
    for (int k = 0; k < kMaxSplitControls; ++k) {
        if (count[k + 1] == count[k]) continue;
        column.assign(keys.begin() + count[k], keys.begin() + count[k + 1]);
        radix_sort_by_time(column, scratch);
        auto& sorted = sorted_[k];
        sorted.resize(column.size());
        int place = 1;
        for (std::size_t j = 0; j < column.size(); ++j) {
            std::uint32_t biased = static_cast<std::uint32_t>(column[j] >> 32);
            if (j > 0 && biased != static_cast<std::uint32_t>(column[j - 1] >> 32))
                place = static_cast<int>(j) + 1;
            places_[std::size_t(static_cast<std::uint32_t>(column[j])) * stride_ + k] =
                static_cast<std::uint16_t>(place);
            sorted[j] = static_cast<std::int32_t>(biased ^ 0x80000000u);
        }
    }
}

int SplitPlaces::place(int i, int k) const {
    if (k < 0 || k >= kMaxSplitControls) return 1;
    if (i >= 0 && i < m_ && k < stride_)
        if (int p = places_[std::size_t(i) * stride_ + k]; p != 0) return p;
    // A row outside the first m (or without a time): count the smaller times directly.
    std::int32_t x = cumulative_ ? t_.cum_at(i, k) : t_.leg_at(i, k);
    const auto& v = sorted_[k];
    return 1 + static_cast<int>(std::lower_bound(v.begin(), v.end(), x) - v.begin());
}

int split_place(const SplitTables& t, bool cumulative, int i, int k, int m) {
    auto at = [&](int q) { return cumulative ? t.cum_at(q, k) : t.leg_at(q, k); };
    std::int32_t x = at(i);
    int place = 1;
    for (int q = 0; q < m && q < t.rows; ++q)
        if (at(q) != 0 && at(q) < x) ++place;
    return place;
}

// --- single runner ---

int runner_place(Competition& c, int start_number) {
    Runner* runner = c.runner_by_number(start_number);
    if (!runner) return 0;
    c.recompute_finish_results();
    int place = finish_place_of(c, *runner);
    runner->place = static_cast<std::uint16_t>(place);
    return place;
}

std::vector<int> runner_places(Competition& c, const std::vector<int>& start_numbers) {
    c.recompute_finish_results();
    std::vector<const Runner*> runners;
    runners.reserve(start_numbers.size());
    for (int n : start_numbers) runners.push_back(c.runner_by_number(n));
    std::vector<int> places = finish_places_of(c, runners);
    for (std::size_t i = 0; i < places.size(); ++i)
        if (Runner* r = c.runner_by_number(start_numbers[i]))
            r->place = static_cast<std::uint16_t>(places[i]);
    return places;
}

int finishers_with_same_laps(const Competition& c, int start_number) {
    const Runner* runner = c.runner_by_number(start_number);
    if (!runner) return 0;
    int laps = lap_count(c, *runner);
    if (laps == 0) return 0;
    int count = 0;
    const auto& t = c.tables.finish_lines;
    for (int i = 0; i < t.capacity() && t[i]; ++i) {
        const Runner* s = c.runner_by_number(t[i]->start_number);
        if (s && s->class_id == runner->class_id && lap_count(c, *s) == laps) ++count;
    }
    return count / laps;
}

std::int32_t leader_result(const Competition& c, int start_number) {
    const Runner* runner = c.runner_by_number(start_number);
    if (!runner) return 0;
    int laps = lap_count(c, *runner);
    std::int32_t best = runner->result;
    const auto& t = c.tables.finish_lines;
    for (int i = 0; i < t.capacity() && t[i]; ++i) {
        const Runner* s = c.runner_by_number(t[i]->start_number);
        if (!s || s->class_id != runner->class_id || s->out_of_competition) continue;
        if (lap_count(c, *s) != laps || t[i]->time() == 0) continue;
        if (s->result != 0 && s->result < best) best = s->result;
    }
    return best;
}

std::vector<SameLapsFigures> same_laps_figures(const Competition& c,
                                               const std::vector<int>& start_numbers) {
    struct Query {
        const Runner* runner;
        int laps;
        int lines = 0;
        std::int32_t best;
    };
    std::vector<Query> queries;
    queries.reserve(start_numbers.size());
    for (int number : start_numbers) {
        const Runner* r = c.runner_by_number(number);
        queries.push_back({r, r ? lap_count(c, *r) : 0, 0, r ? r->result : 0});
    }
    const auto& t = c.tables.finish_lines;
    constexpr int kAhead = 8;
    for (int i = 0; i < t.capacity() && t[i]; ++i) {
        // Lines and runners are records of their own: fetch the line two steps ahead and the
        // runner of the line one step ahead while this one is looked at.
        if (const FinishLine* far = t[i + 2 * kAhead]) __builtin_prefetch(far);
        if (const FinishLine* near = t[i + kAhead])
            if (const Runner* ahead = c.runner_by_number(near->start_number)) {
                __builtin_prefetch(&ahead->class_id);
                __builtin_prefetch(&ahead->out_of_competition);
            }
        const Runner* s = c.runner_by_number(t[i]->start_number);
        if (!s) continue;
        const int laps = lap_count(c, *s);
        const bool can_lead = !s->out_of_competition && t[i]->time() != 0 && s->result != 0;
        for (Query& q : queries) {
            if (!q.runner || q.runner->class_id != s->class_id || q.laps != laps) continue;
            ++q.lines;
            if (can_lead && s->result < q.best) q.best = s->result;
        }
    }
    std::vector<SameLapsFigures> out;
    out.reserve(queries.size());
    for (const Query& q : queries) out.push_back({q.laps == 0 ? 0 : q.lines / q.laps, q.best});
    return out;
}

std::string_view result_error_text(bool english) {
    const TextPair& pair = text_pair(Txt::kResultError);
    return english ? pair.en : pair.ru;
}

std::string time_behind_text(std::int32_t result, std::int32_t winner, int precision) {
    std::int64_t d = std::int64_t(result) - winner;
    char sign = '+';
    if (d < 0) {
        sign = '-';
        d = -d;
    }
    // Hours are shown as minutes past 59, so an hour or more behind is not cut to its minutes.
    std::int64_t minutes = d / 6000;
    std::string full = format_time_text(static_cast<std::int32_t>(d % 6000), precision);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%c%02lld%s", sign, static_cast<long long>(minutes),
                  full.c_str() + 5);
    return buf;
}

}  // namespace skarvel
