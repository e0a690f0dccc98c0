// The rows of a shared competition: every record (and the header) travels as its stored bytes,
// the layout of the competition file, with the bytes that stay with each computer zeroed. Those
// are the figures every computer derives for itself (finish times, results, places, the
// counters of clubs, classes and courses, the draw's scratch key) and what is one operator's
// own (selection marks, the list view's filter and position, the station port, the finish
// exchange's peer). A row written on one computer therefore never undoes another computer's
// marks or its freshly computed places.
//
// Two computers that change the same row are merged field by field against the version both
// started from: each keeps what only it changed; a field both changed differently is a
// conflict, which the user decides.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/competition.h"
#include "core/field_codec.h"

namespace skarvel::shared {

// What a row holds: the six record tables by their RecordType, the header, the names kept
// beside the competition.
enum RowKind : int {
    kRowRunners = kRunners,
    kRowClubs = kClubs,
    kRowClasses = kClasses,
    kRowCourses = kCourses,
    kRowFinishLines = kFinishLines,
    kRowCardReadouts = kCardReadouts,
    kRowInfo = 6,
    kRowNames = 7,
};
constexpr int kRowKindCount = 8;

using Bytes = std::vector<std::uint8_t>;

template <class R>
constexpr int kind_of_record();
template <>
constexpr int kind_of_record<Runner>() {
    return kRowRunners;
}
template <>
constexpr int kind_of_record<Club>() {
    return kRowClubs;
}
template <>
constexpr int kind_of_record<ClassRecord>() {
    return kRowClasses;
}
template <>
constexpr int kind_of_record<Course>() {
    return kRowCourses;
}
template <>
constexpr int kind_of_record<FinishLine>() {
    return kRowFinishLines;
}
template <>
constexpr int kind_of_record<CardReadout>() {
    return kRowCardReadouts;
}

// The stored size of a row of this kind (0 for the names, whose size varies).
int row_size(int kind);
// Which bits of the stored form stay with each computer (1 = local), per kind.
const std::vector<std::uint8_t>& local_mask(int kind);
// The byte offset of the record's key (`id`) for runners, clubs, classes and courses; -1 else.
int key_offset(int kind);

// The shared form of a stored form: local bits cleared.
void clear_local_bits(int kind, Bytes& stored);
// `shared` over `local`'s local bits: what a record becomes when a row arrives.
Bytes with_local_bits(int kind, const Bytes& shared, const Bytes& local);

// A record's shared bytes, and a row's shared bytes written into a record (its local fields
// and its row tag kept).
template <class R>
Bytes shared_bytes(const R& r) {
    Bytes b(R::kSize);
    codec::put(b.data(), r);
    clear_local_bits(kind_of_record<R>(), b);
    return b;
}
template <class R>
void apply_shared_bytes(R& r, const Bytes& shared) {
    Bytes local(R::kSize);
    codec::put(local.data(), r);
    Bytes merged = with_local_bits(kind_of_record<R>(), shared, local);
    codec::get(merged.data(), r);
}
Bytes shared_info_bytes(const CompetitionInfo& info);
void apply_shared_info(CompetitionInfo& info, const Bytes& shared);

// A long name kept beside the competition (core/long_names.h) as a row: its table, the record's
// id, the short form it was kept for, the full name and (runners) the given name, each text
// with a 16-bit length. False for bytes of another shape.
Bytes encode_name_row(int type, std::int32_t id, const LongName& name);
bool decode_name_row(const Bytes& data, int& type, std::int32_t& id, LongName& name);

// Fields as byte spans, for merging: a text is one span, each element of a number array its
// own (a punch, a day's result, one title line).
struct Span {
    int offset = 0, size = 0;
};
const std::vector<Span>& field_spans(int kind);

// Three-way merge of one row: what `mine` changed from `base` and what `theirs` changed from
// it. The names row merges name by name (see merge_names). Fields both changed differently
// are listed in `conflicts` (spans of the kind) and take `mine` in `merged`.
struct Merge {
    Bytes merged;
    std::vector<Span> conflicts;
    bool clean() const { return conflicts.empty(); }
};
Merge merge_rows(int kind, const Bytes& base, const Bytes& mine, const Bytes& theirs);

}  // namespace skarvel::shared
