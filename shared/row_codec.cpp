#include "shared/row_codec.h"

#include <algorithm>
#include <type_traits>

namespace skarvel::shared {

namespace {

// The bytes each computer keeps for itself: (offset, size, bit mask within each byte).
struct LocalField {
    int offset, size;
    std::uint8_t bits = 0xFF;
};

const std::vector<LocalField>& local_fields(int kind) {
    static const std::vector<LocalField> fields[kRowKindCount] = {
        // Runners: finish time, result, place (derived), the mark, the draw's scratch key.
        {{64, 4}, {68, 4}, {82, 2}, {96, 1}, {104, 4}},
        // Clubs: the three counters, the mark.
        {{46, 6}, {52, 1}},
        // Classes: the three counters, the mark bit of the flags.
        {{18, 6}, {24, 1, ClassRecord::kFlagMarked}},
        // Courses: the three counters, the mark.
        {{344, 6}, {350, 1}},
        // Finish lines: the list view's own mark.
        {{8, 1, FinishLine::kFlagToggle}},
        // Card readouts: nothing.
        {},
        // The header: the list view's filter, sort key and position, the station port and the
        // station type of this computer, the display's run-time switches, and the finish
        // exchange's peer and sending mode.
        {{998, 10},
         {1032, 1},
         {1067, 1},
         {1069, 1},
         {1084, 1},
         {1087, 1},
         {1135, 1},
         {1456, 3},
         {1526, 16},
         {1551, 1}},
        {},
    };
    return fields[kind];
}

template <class T>
void collect_spans(int offset, std::vector<Span>& out) {
    if constexpr (std::is_array_v<T>) {
        using E = std::remove_extent_t<T>;
        if constexpr (std::is_same_v<std::remove_cv_t<E>, char>) {
            out.push_back({offset, static_cast<int>(std::extent_v<T>)});
        } else {
            const int step = static_cast<int>(codec::stored_size<E>());
            for (std::size_t i = 0; i < std::extent_v<T>; ++i)
                collect_spans<E>(offset + static_cast<int>(i) * step, out);
        }
    } else {
        out.push_back({offset, static_cast<int>(codec::stored_size<T>())});
    }
}

// The spans of a record type's named fields, and single bytes for whatever they leave out.
template <class R>
std::vector<Span> spans_of(int size) {
    std::vector<Span> spans;
    R probe{};
    R::visit_fields(probe, [&spans](std::size_t offset, auto& field) {
        collect_spans<std::remove_reference_t<decltype(field)>>(static_cast<int>(offset), spans);
    });
    std::vector<bool> covered(size, false);
    for (const Span& s : spans)
        for (int i = s.offset; i < s.offset + s.size && i < size; ++i) covered[i] = true;
    for (int i = 0; i < size; ++i)
        if (!covered[i]) spans.push_back({i, 1});
    std::sort(spans.begin(), spans.end(),
              [](const Span& a, const Span& b) { return a.offset < b.offset; });
    return spans;
}

bool same_span(const Bytes& a, const Bytes& b, const Span& s) {
    return std::equal(a.begin() + s.offset, a.begin() + s.offset + s.size, b.begin() + s.offset);
}

}  // namespace

int row_size(int kind) {
    switch (kind) {
        case kRowRunners:
            return Runner::kSize;
        case kRowClubs:
            return Club::kSize;
        case kRowClasses:
            return ClassRecord::kSize;
        case kRowCourses:
            return Course::kSize;
        case kRowFinishLines:
            return FinishLine::kSize;
        case kRowCardReadouts:
            return CardReadout::kSize;
        case kRowInfo:
            return CompetitionInfo::kSize;
        default:
            return 0;
    }
}

const std::vector<std::uint8_t>& local_mask(int kind) {
    static const auto masks = [] {
        std::array<std::vector<std::uint8_t>, kRowKindCount> m;
        for (int k = 0; k < kRowKindCount; ++k) {
            m[k].assign(row_size(k), 0);
            for (const LocalField& f : local_fields(k))
                for (int i = f.offset; i < f.offset + f.size; ++i) m[k][i] |= f.bits;
        }
        return m;
    }();
    return masks[kind];
}

int key_offset(int kind) {
    switch (kind) {
        case kRowRunners:
            return 92;
        case kRowClubs:
        case kRowClasses:
        case kRowCourses:
            return 0;
        default:
            return -1;
    }
}

void clear_local_bits(int kind, Bytes& stored) {
    const auto& mask = local_mask(kind);
    std::size_t n = std::min(mask.size(), stored.size());
    for (std::size_t i = 0; i < n; ++i) stored[i] &= static_cast<std::uint8_t>(~mask[i]);
}

Bytes with_local_bits(int kind, const Bytes& shared, const Bytes& local) {
    const auto& mask = local_mask(kind);
    Bytes out = shared;
    std::size_t n = std::min({mask.size(), out.size(), local.size()});
    for (std::size_t i = 0; i < n; ++i)
        out[i] = static_cast<std::uint8_t>((out[i] & ~mask[i]) | (local[i] & mask[i]));
    return out;
}

Bytes shared_info_bytes(const CompetitionInfo& info) {
    Bytes b(CompetitionInfo::kSize);
    info.encode(b.data());
    clear_local_bits(kRowInfo, b);
    return b;
}

void apply_shared_info(CompetitionInfo& info, const Bytes& shared) {
    if (shared.size() != static_cast<std::size_t>(CompetitionInfo::kSize)) return;
    Bytes local(CompetitionInfo::kSize);
    info.encode(local.data());
    Bytes merged = with_local_bits(kRowInfo, shared, local);
    info.decode(merged.data());
}

const std::vector<Span>& field_spans(int kind) {
    static const std::array<std::vector<Span>, kRowKindCount> spans = {
        spans_of<Runner>(Runner::kSize),
        spans_of<Club>(Club::kSize),
        spans_of<ClassRecord>(ClassRecord::kSize),
        spans_of<Course>(Course::kSize),
        spans_of<FinishLine>(FinishLine::kSize),
        spans_of<CardReadout>(CardReadout::kSize),
        spans_of<CompetitionInfo>(CompetitionInfo::kSize),
        std::vector<Span>{},
    };
    return spans[kind];
}

Bytes encode_name_row(int type, std::int32_t id, const LongName& name) {
    Bytes b;
    b.push_back(static_cast<std::uint8_t>(type));
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<std::uint8_t>(std::uint32_t(id) >> (8 * i)));
    for (const std::string* text : {&name.shown, &name.full, &name.given}) {
        std::size_t n = std::min<std::size_t>(text->size(), 0xFFFF);
        b.push_back(static_cast<std::uint8_t>(n));
        b.push_back(static_cast<std::uint8_t>(n >> 8));
        b.insert(b.end(), text->begin(), text->begin() + static_cast<std::ptrdiff_t>(n));
    }
    return b;
}

bool decode_name_row(const Bytes& data, int& type, std::int32_t& id, LongName& name) {
    if (data.size() < 5) return false;
    type = data[0];
    if (type < kRunners || type > kCourses) return false;
    id = codec::read_at<std::int32_t>(data.data(), 1);
    std::size_t at = 5;
    for (std::string* text : {&name.shown, &name.full, &name.given}) {
        if (data.size() - at < 2) return false;
        std::size_t n = data[at] | (std::size_t(data[at + 1]) << 8);
        at += 2;
        if (data.size() - at < n) return false;
        text->assign(data.begin() + static_cast<std::ptrdiff_t>(at),
                     data.begin() + static_cast<std::ptrdiff_t>(at + n));
        at += n;
    }
    return at == data.size();
}

Merge merge_rows(int kind, const Bytes& base, const Bytes& mine, const Bytes& theirs) {
    Merge m;
    m.merged = theirs;
    std::vector<Span> whole;
    const std::vector<Span>* spans = &field_spans(kind);
    if (spans->empty() || base.size() != mine.size() || mine.size() != theirs.size()) {
        // Rows without a fixed layout change as a whole.
        whole.push_back({0, static_cast<int>(std::max(mine.size(), theirs.size()))});
        spans = &whole;
        if (mine == theirs || mine == base) return m;
        if (theirs == base) {
            m.merged = mine;
            return m;
        }
        m.merged = mine;
        m.conflicts = whole;
        return m;
    }
    for (const Span& s : *spans) {
        if (s.offset + s.size > static_cast<int>(mine.size())) continue;
        bool mine_changed = !same_span(mine, base, s);
        if (!mine_changed) continue;  // theirs stands
        std::copy(mine.begin() + s.offset, mine.begin() + s.offset + s.size,
                  m.merged.begin() + s.offset);
        bool theirs_changed = !same_span(theirs, base, s);
        if (theirs_changed && !same_span(mine, theirs, s)) m.conflicts.push_back(s);
    }
    return m;
}

}  // namespace skarvel::shared
